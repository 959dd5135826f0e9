#include "ChartWindow.h"

#include "Colors.h"
#include "DateRangeDialog.h"
#include "GridTableModel.h"
#include "ShadowLabel.h"

#include <QAreaSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace morvane {

RangeChoice &TfrmChart::rememberedChoice()
{
    static RangeChoice choice;
    return choice;
}

TfrmChart::TfrmChart(Services services, QWidget *parent)
    : QDialog(parent), sv_(std::move(services)), gridCat_(4, 2)
{
    setObjectName(u"frmChart"_s);
    setWindowTitle(u"Chart of Activity"_s);
    // The list's heading before the first plot.
    const QString headers[] = {u"Category"_s, u"Done"_s, u"Not Done"_s, u"Total"_s};
    for (int c = 0; c < 4; ++c)
        gridCat_.setCell(c, 0, headers[c]);

    lblTitle = new ShadowLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setAlignment(Qt::AlignCenter);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(u"PageControl1"_s);
    makeWeekChart();
    makeHourChart();
    makeDayChart();
    makeCatChart();
    makeCategoryList();
    for (QValueAxis *axis : {weekCount, hourCount, dayCount, catCount})
        connect(axis, &QValueAxis::rangeChanged, this, [this, axis] { countAxisRangeChanged(axis); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    Panel1 = new QWidget(this);
    Panel1->setObjectName(u"Panel1"_s);
    auto button = [this](const QString &text, const QString &name, const QString &hint) {
        auto *b = new QPushButton(text, Panel1);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    btPlot = button(u"&Redraw"_s, u"btPlot"_s, u"Redraw screen"_s);
    btDateRange = button(u"&Date Range"_s, u"btDateRange"_s, u"Select range of dates"_s);
    cbAnimate = new QCheckBox(u"&Animate?"_s, Panel1);
    cbAnimate->setObjectName(u"cbAnimate"_s);
    btHint = button(u"&Hints"_s, u"btHint"_s, u"Hints on graph scroll/zoom"_s);
    btClose = button(u"&Close"_s, u"btClose"_s, u"Return to Morvane"_s);
    auto *pl = new QHBoxLayout(Panel1);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->addWidget(btPlot);
    pl->addWidget(btDateRange);
    pl->addSpacing(8);
    pl->addWidget(cbAnimate);
    pl->addStretch();
    pl->addWidget(btHint);
    pl->addWidget(btClose);
    connect(btPlot, &QPushButton::clicked, this, [this] { btPlotClick(); });
    connect(btDateRange, &QPushButton::clicked, this, [this] { btDateRangeClick(); });
    connect(cbAnimate, &QCheckBox::clicked, this, [this] { cbAnimateClick(); });
    connect(btHint, &QPushButton::clicked, this, [this] { btHintClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });

    // The hints, over the window's lower right corner when asked for.
    pnlHints = new QFrame(this);
    pnlHints->setObjectName(u"pnlHints"_s);
    pnlHints->setFrameShape(QFrame::Panel);
    pnlHints->setFrameShadow(QFrame::Raised);
    pnlHints->setLineWidth(2);
    pnlHints->setAutoFillBackground(true);
    QPalette hp = pnlHints->palette();
    hp.setColor(QPalette::Window, hp.color(QPalette::ToolTipBase));
    hp.setColor(QPalette::WindowText, hp.color(QPalette::ToolTipText));
    pnlHints->setPalette(hp);
    auto *hl = new QVBoxLayout(pnlHints);
    auto *hintsTitle = new QLabel(u"Graph Zoom/Navigation Hints"_s, pnlHints);
    QFont bold = hintsTitle->font();
    bold.setBold(true);
    hintsTitle->setFont(bold);
    hl->addWidget(hintsTitle);
    for (const QString &line : {u"Left click and drag mouse from upper left to lower right to zoom"_s,
                                u"Right click and drag mouse to move graph"_s,
                                u"Left click and drag mouse from lower right to upper left to reset"_s})
        hl->addWidget(new QLabel(line, pnlHints));
    btHintsOK = new QPushButton(u"OK"_s, pnlHints);
    btHintsOK->setObjectName(u"btOK"_s);
    btHintsOK->setAutoDefault(false);
    auto *okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(btHintsOK);
    okRow->addStretch();
    hl->addLayout(okRow);
    pnlHints->hide();
    connect(btHintsOK, &QPushButton::clicked, this, [this] { btOKClick(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(kAnimationMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(6, 6, 6, 6);
    l->addWidget(lblTitle);
    l->addWidget(PageControl1, 1);
    l->addWidget(Panel1);
    setMinimumSize(560, 420);
    resize(625, 464);
    setSizeGripEnabled(true);

    FormCreate();
}

TfrmChart::~TfrmChart()
{
    Timer1->stop();
    // The children go after this object's own members: nothing they send
    // while they are taken down (a tab changing, a plot area shrinking) may
    // reach a handler any more.
    for (QObject *o : findChildren<QObject *>())
        disconnect(o, nullptr, this, nullptr);
    for (ChartView *v : {chrtWeek, chrtHour, chrtDay, chrtCat}) {
        v->onResize = nullptr;
        disconnect(v->chart(), nullptr, this, nullptr);
    }
    for (QObject *axis : std::initializer_list<QObject *>{hourAxis, dayAxis, weekCount, hourCount, dayCount, catCount})
        disconnect(axis, nullptr, this, nullptr);
    // The list's model reads gridCat_, which goes before the child widgets.
    delete gridCat;
    delete catModel_;
}

// ---------------------------------------------------------------------------
// Life cycle

void TfrmChart::FormCreate()
{
    cbAnimate->setChecked(sv_.settings.read(kAnimateSetting));
    range_ = ReadChartRange(sv_.settings, DayNumber(sv_.clock.today()));
    animated_ = nullptr;
}

void TfrmChart::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmChart::setHeadingLook(ShadowLabel *label) const
{
    label->setFont(sv_.titleFont);
    label->setShadowDepth(sv_.shadows ? 4 : 1);
    label->setTextColor(sv_.shadows ? QColor(0, 0, 255) : QColor(0, 0, 128));
}

void TfrmChart::FormShow()
{
    setHeadingLook(lblTitle);
    PageControl1->setCurrentIndex(0);
    applyColours();
    btPlotClick();
}

void TfrmChart::applyColours()
{
    const QColor done = ToQColor(sv_.doneColorBG, palette());
    const QColor notDone = ToQColor(sv_.notDoneColorBG, palette());
    auto gradient = [](const QColor &c) {
        QLinearGradient g(0, 0, 1, 0);
        g.setCoordinateMode(QGradient::ObjectBoundingMode);
        g.setColorAt(0, c.lighter(160));
        g.setColorAt(0.5, c);
        g.setColorAt(1, c.darker(140));
        return QBrush(g);
    };
    for (auto [set, c] : {std::pair{serWeekDone, done}, std::pair{serWeekNotDone, notDone}}) {
        set->setBrush(gradient(c));
        set->setPen(QPen(c.darker(170), 1));
    }
    for (auto [set, c] : {std::pair{serCatDone, done}, std::pair{serCatNotDone, notDone}}) {
        set->setColor(c);
        set->setPen(QPen(c.darker(170), 1));
    }
    for (auto [line, c] : {std::pair{serHourDone, done}, std::pair{serHourNotDone, notDone},
                           std::pair{serDayDone, done}, std::pair{serDayNotDone, notDone}}) {
        line->setPen(QPen(c, 2));
    }
    for (auto [ribbon, c] : {std::pair{depHourDone, done}, std::pair{depHourNotDone, notDone},
                             std::pair{depDayDone, done}, std::pair{depDayNotDone, notDone}}) {
        QColor fill = c.darker(125);
        fill.setAlpha(120);
        ribbon->setBrush(fill);
        ribbon->setPen(QPen(c.darker(170), 1));
    }
}

void TfrmChart::FormClose()
{
    Timer1->stop();
    sv_.settings.write(kAnimateSetting, cbAnimate->isChecked());
    WriteChartRange(sv_.settings, range_);
}

void TfrmChart::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfrmChart::btCloseClick() { reject(); }

// ---------------------------------------------------------------------------
// Range and hints

void TfrmChart::btDateRangeClick()
{
    TfrmSelectDateRange dlg({sv_.clock, sv_.fs, sv_.weekStart}, this);
    dlg.lblTitle->setShadowDepth(sv_.shadows ? 4 : 1);
    dlg.lblTitle->setTextColor(sv_.shadows ? QColor(0, 0, 255) : QColor(0, 0, 128));
    dlg.setRange(range_);
    dlg.setChoice(rememberedChoice());
    if (sv_.runner.showModal(dlg) != QDialog::Accepted)
        return;
    range_ = dlg.chosenRange();
    rememberedChoice() = dlg.choice();
    btPlotClick();
}

void TfrmChart::btHintClick()
{
    pnlHints->adjustSize();
    pnlHints->move(width() - pnlHints->width(), height() - pnlHints->height());
    pnlHints->show();
    pnlHints->raise();
}

void TfrmChart::btOKClick() { pnlHints->hide(); }

}  // namespace morvane
