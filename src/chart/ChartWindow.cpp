#include "ChartWindow.h"

#include "Colors.h"
#include "DateRangeDialog.h"
#include "GridTableModel.h"
#include "ShadowLabel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRubberBand>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr int kDepthMin = 5;
constexpr int kDepthMax = 70;
// How far a ribbon reaches back at a depth of 100 percent, as a share of the
// axes' spans.
constexpr qreal kDepthReach = 0.1;
constexpr int kAnimationMs = 80;
constexpr int kCategoryLabelChars = 40;

// The category list: counts are right-aligned.
class CategoryModel final : public GridTableModel {
public:
    using GridTableModel::GridTableModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment((index.column() > 0 ? Qt::AlignRight : Qt::AlignLeft) |
                                                     Qt::AlignVCenter));
        return GridTableModel::data(index, role);
    }
};

// The count axis from 0 to a round number a little above the largest count,
// with whole-number ticks.
void setCountRange(QValueAxis *axis, int largest)
{
    if (largest < 1) {
        axis->setRange(0, 5);
        axis->setTickCount(6);
        return;
    }
    const double target = largest * 1.12;
    const double raw = target / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * magnitude;
        if (step >= raw)
            break;
    }
    step = std::max(1.0, std::ceil(step));
    const double top = std::ceil(target / step) * step;
    axis->setRange(0, top);
    axis->setTickCount(int(top / step) + 1);
}

QChart *newChart()
{
    auto *chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

QValueAxis *countAxis(QChart *chart, Qt::Alignment where)
{
    auto *axis = new QValueAxis;
    axis->setLabelFormat(u"%i"_s);
    axis->setRange(0, 5);
    chart->addAxis(axis, where);
    return axis;
}

QAreaSeries *newRibbon(QChart *chart)
{
    auto *ribbon = new QAreaSeries;
    ribbon->setUpperSeries(new QLineSeries(ribbon));
    ribbon->setLowerSeries(new QLineSeries(ribbon));
    chart->addSeries(ribbon);
    for (QLegendMarker *m : chart->legend()->markers(ribbon))
        m->setVisible(false);
    return ribbon;
}

QCheckBox *seriesBox(const QString &text, const QString &name, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

QScrollBar *depthBar(const QString &name, QWidget *parent)
{
    auto *bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(kDepthMin, kDepthMax);
    bar->setValue(kDepthMin);
    bar->setFixedWidth(140);
    bar->setToolTip(u"Depth of the chart"_s);
    return bar;
}

// The strip under a chart: its depth bar (none when `depthName` is empty)
// and the boxes that show or hide the two series.
struct ChartStrip {
    QWidget *widget;
    QScrollBar *depth;
    QCheckBox *done, *notDone;
};
ChartStrip makeStrip(const QString &depthName, const QString &doneName, const QString &notDoneName)
{
    auto *strip = new QWidget;
    QScrollBar *depth = depthName.isEmpty() ? nullptr : depthBar(depthName, strip);
    QCheckBox *done = seriesBox(u"Done"_s, doneName, strip);
    QCheckBox *notDone = seriesBox(u"Not done"_s, notDoneName, strip);
    auto *sl = new QHBoxLayout(strip);
    sl->setContentsMargins(5, 0, 5, 4);
    sl->setSpacing(5);
    if (depth)
        sl->addWidget(depth);
    sl->addWidget(done);
    sl->addWidget(notDone);
    sl->addStretch();
    return {strip, depth, done, notDone};
}

// Labels of the category axis: long names cut, and each one different,
// because the axis drops a label it already has (and with it a bar).
QStringList categoryLabels(const std::vector<CategoryRow> &rows)
{
    QStringList out;
    for (const CategoryRow &r : rows) {
        QString text = r.name;
        for (QChar &c : text)
            if (c.category() == QChar::Other_Control)
                c = u' ';
        if (text.size() > kCategoryLabelChars)
            text = text.left(kCategoryLabelChars - 1) + QChar(0x2026);
        const QString base = text;
        for (int n = 2; out.contains(text); ++n)
            text = base + u" (%1)"_s.arg(n);
        out.append(text);
    }
    return out;
}

// Puts a bar set into its series or takes it out, keeping done first.
void showBarSet(QAbstractBarSeries *series, QBarSet *set, bool on, int index)
{
    const bool in = series->barSets().contains(set);
    if (on && !in)
        series->insert(std::min(index, int(series->count())), set);
    else if (!on && in)
        series->take(set);
}

void replaceCategories(QCategoryAxis *axis, const QList<std::pair<QString, qreal>> &labels)
{
    for (const QString &l : axis->categoriesLabels())
        axis->remove(l);
    for (const auto &[text, at] : labels)
        axis->append(text, at);
}

}  // namespace

// ---------------------------------------------------------------------------
// ChartView

ChartView::ChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setRenderHint(QPainter::Antialiasing);
    setAlignment(Qt::AlignCenter);
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    band_->hide();
}

void ChartView::captureHome()
{
    home_.clear();
    for (QAbstractAxis *a : chart()->axes()) {
        if (auto *v = qobject_cast<QValueAxis *>(a))
            home_.append(AxisHome{a, v->min(), v->max(), {}, {}});
        else if (auto *c = qobject_cast<QBarCategoryAxis *>(a))
            home_.append(AxisHome{a, 0, 0, c->min(), c->max()});
    }
}

void ChartView::resetView()
{
    chart()->zoomReset();
    for (const AxisHome &h : std::as_const(home_)) {
        if (auto *v = qobject_cast<QValueAxis *>(h.axis))
            v->setRange(h.min, h.max);
        else if (auto *c = qobject_cast<QBarCategoryAxis *>(h.axis); c && !h.minText.isEmpty())
            c->setRange(h.minText, h.maxText);
    }
}

void ChartView::setView3D(const View3D &v)
{
    view_ = v;
    const qreal z = std::clamp(v.zoom, 1, 100) / 100.0;
    setTransform(QTransform::fromScale(z, z));
}

void ChartView::mousePressEvent(QMouseEvent *e)
{
    const bool left = e->button() == Qt::LeftButton, right = e->button() == Qt::RightButton;
    if (left && leftDrag_ == LeftDrag::Zoom) {
        drag_ = Drag::Zoom;
        origin_ = e->position().toPoint();
        band_->setGeometry(QRect(origin_, QSize()));
        band_->show();
    } else if (left || right) {
        drag_ = Drag::Move;
        last_ = e->position().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
    } else {
        QChartView::mousePressEvent(e);
        return;
    }
    e->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint at = e->position().toPoint();
    if (drag_ == Drag::Zoom) {
        band_->setGeometry(QRect(origin_, at).normalized());
    } else if (drag_ == Drag::Move) {
        const QPoint d = at - last_;
        // The chart follows the pointer.
        chart()->scroll(-d.x(), d.y());
        last_ = at;
    } else {
        QChartView::mouseMoveEvent(e);
        return;
    }
    e->accept();
}

void ChartView::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint at = e->position().toPoint();
    if (drag_ == Drag::Zoom) {
        band_->hide();
        if (at.x() > origin_.x() && at.y() > origin_.y()) {
            const QRectF r = mapToScene(QRect(origin_, at)).boundingRect().intersected(chart()->plotArea());
            if (r.width() >= 3 && r.height() >= 3)
                chart()->zoomIn(r);
        } else if (at.x() < origin_.x() && at.y() < origin_.y()) {
            resetView();
        }
    } else if (drag_ == Drag::Move) {
        viewport()->unsetCursor();
    } else {
        QChartView::mouseReleaseEvent(e);
        return;
    }
    drag_ = Drag::None;
    e->accept();
}

void ChartView::resizeEvent(QResizeEvent *e)
{
    QChartView::resizeEvent(e);
    if (onResize)
        onResize();
}

// ---------------------------------------------------------------------------
// TfrmChart

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
    disconnect(hourAxis, nullptr, this, nullptr);
    disconnect(dayAxis, nullptr, this, nullptr);
    // The list's model reads gridCat_, which goes before the child widgets.
    delete gridCat;
    delete catModel_;
}

QWidget *TfrmChart::chartPage(const QString &name, ChartView *view, QToolBar **toolbar, QWidget *strip)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    view->setParent(page);
    auto *tb = new QToolBar(page);
    tb->setObjectName(u"Tee"_s + name.mid(2));
    tb->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tb->setIconSize(QSize(16, 16));
    QAction *reset = tb->addAction(u"Reset"_s);
    reset->setObjectName(u"actReset"_s);
    reset->setToolTip(u"Show the whole chart"_s);
    auto *modes = new QActionGroup(tb);
    QAction *zoom = tb->addAction(u"Zoom"_s);
    zoom->setObjectName(u"actZoom"_s);
    zoom->setToolTip(u"Left drag zooms"_s);
    QAction *move = tb->addAction(u"Move"_s);
    move->setObjectName(u"actMove"_s);
    move->setToolTip(u"Left drag moves the chart"_s);
    for (QAction *a : {zoom, move}) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    zoom->setChecked(true);
    tb->addSeparator();
    QAction *print = tb->addAction(u"Print"_s);
    print->setObjectName(u"actPrint"_s);
    print->setToolTip(u"Print the chart"_s);
    connect(reset, &QAction::triggered, view, &ChartView::resetView);
    connect(zoom, &QAction::triggered, view, [view] { view->setLeftDrag(ChartView::LeftDrag::Zoom); });
    connect(move, &QAction::triggered, view, [view] { view->setLeftDrag(ChartView::LeftDrag::Move); });
    connect(print, &QAction::triggered, this, [this, view] { printChart(view); });
    *toolbar = tb;

    auto *l = new QVBoxLayout(page);
    l->setContentsMargins(2, 2, 2, 2);
    l->setSpacing(2);
    l->addWidget(tb);
    l->addWidget(view, 1);
    if (strip)
        l->addWidget(strip);
    return page;
}

void TfrmChart::makeWeekChart()
{
    QChart *chart = newChart();
    serWeekDone = new QBarSet(u"Done"_s);
    serWeekNotDone = new QBarSet(u"Not Done"_s);
    weekSeries = new QBarSeries;
    weekSeries->append(serWeekDone);
    weekSeries->append(serWeekNotDone);
    chart->addSeries(weekSeries);
    weekDays = new QBarCategoryAxis;
    chart->addAxis(weekDays, Qt::AlignBottom);
    weekSeries->attachAxis(weekDays);
    weekCount = countAxis(chart, Qt::AlignLeft);
    weekCount->setTitleText(u"Frequency"_s);
    weekSeries->attachAxis(weekCount);
    chrtWeek = new ChartView(chart);
    chrtWeek->setObjectName(u"chrtWeek"_s);
    tbWeek = chartPage(u"tbWeek"_s, chrtWeek, &TeeWeek, nullptr);
    PageControl1->addTab(tbWeek, u"Day of week"_s);
}

void TfrmChart::makeHourChart()
{
    QChart *chart = newChart();
    depHourDone = newRibbon(chart);
    depHourNotDone = newRibbon(chart);
    serHourDone = new QLineSeries;
    serHourDone->setName(u"Done"_s);
    serHourNotDone = new QLineSeries;
    serHourNotDone->setName(u"Not done"_s);
    chart->addSeries(serHourDone);
    chart->addSeries(serHourNotDone);
    hourAxis = new QCategoryAxis;
    hourAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    hourAxis->setLabelsAngle(-90);
    // The labels are thinned out to fit; cut short they would read "...".
    hourAxis->setTruncateLabels(false);
    hourAxis->setRange(0, 48);
    hourAxis->setStartValue(-1);
    chart->addAxis(hourAxis, Qt::AlignBottom);
    hourCount = countAxis(chart, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(hourAxis);
        s->attachAxis(hourCount);
    }
    chrtHour = new ChartView(chart);
    chrtHour->setObjectName(u"chrtHour"_s);
    chrtHour->onResize = [this] { chrtHourResize(); };
    connect(chart, &QChart::plotAreaChanged, this, [this] { chrtHourResize(); });
    connect(hourAxis, &QValueAxis::rangeChanged, this, [this] { updateHourLabels(); });

    const ChartStrip controls = makeStrip(u"sbTime"_s, u"cbHourDone"_s, u"cbHourNotDone"_s);
    QWidget *strip = controls.widget;
    sbTime = controls.depth;
    cbHourDone = controls.done;
    cbHourNotDone = controls.notDone;
    connect(sbTime, &QScrollBar::valueChanged, this, [this] { sbTimeChange(); });
    connect(cbHourDone, &QCheckBox::clicked, this, [this] { cbHourDoneClick(); });
    connect(cbHourNotDone, &QCheckBox::clicked, this, [this] { cbHourDoneClick(); });
    tbHour = chartPage(u"tbHour"_s, chrtHour, &TeeHour, strip);
    PageControl1->addTab(tbHour, u"Hour of day"_s);
}

void TfrmChart::makeDayChart()
{
    QChart *chart = newChart();
    depDayDone = newRibbon(chart);
    depDayNotDone = newRibbon(chart);
    serDayDone = new QLineSeries;
    serDayDone->setName(u"Done"_s);
    serDayNotDone = new QLineSeries;
    serDayNotDone->setName(u"Not Done"_s);
    for (QLineSeries *s : {serDayDone, serDayNotDone}) {
        s->setPointsVisible(true);
        chart->addSeries(s);
    }
    dayAxis = new QCategoryAxis;
    dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    dayAxis->setTruncateLabels(false);
    chart->addAxis(dayAxis, Qt::AlignBottom);
    dayCount = countAxis(chart, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(dayAxis);
        s->attachAxis(dayCount);
    }
    chrtDay = new ChartView(chart);
    chrtDay->setObjectName(u"chrtDay"_s);
    chrtDay->onResize = [this] { chrtDayResize(); };
    connect(chart, &QChart::plotAreaChanged, this, [this] { chrtDayResize(); });
    connect(dayAxis, &QValueAxis::rangeChanged, this, [this] { updateDayLabels(); });

    const ChartStrip controls = makeStrip(u"sbDayDay"_s, u"cbDayDone"_s, u"cbDayNotDone"_s);
    QWidget *strip = controls.widget;
    sbDayDay = controls.depth;
    cbDayDone = controls.done;
    cbDayNotDone = controls.notDone;
    connect(sbDayDay, &QScrollBar::valueChanged, this, [this] { sbDayDayChange(); });
    connect(cbDayDone, &QCheckBox::clicked, this, [this] { cbDayDoneClick(); });
    connect(cbDayNotDone, &QCheckBox::clicked, this, [this] { cbDayDoneClick(); });
    tbDay = chartPage(u"tbDay"_s, chrtDay, &TeeDay, strip);
    PageControl1->addTab(tbDay, u"Day by day"_s);
}

void TfrmChart::makeCatChart()
{
    QChart *chart = newChart();
    serCatDone = new QBarSet(u"Done"_s);
    serCatNotDone = new QBarSet(u"Not done"_s);
    catSeries = new QHorizontalBarSeries;
    catSeries->append(serCatDone);
    catSeries->append(serCatNotDone);
    chart->addSeries(catSeries);
    catNames = new QBarCategoryAxis;
    // Names are cut to a readable length here, never to dots by the axis.
    catNames->setTruncateLabels(false);
    chart->addAxis(catNames, Qt::AlignLeft);
    catSeries->attachAxis(catNames);
    catCount = countAxis(chart, Qt::AlignBottom);
    catSeries->attachAxis(catCount);
    chrtCat = new ChartView(chart);
    chrtCat->setObjectName(u"chrtCat"_s);

    const ChartStrip controls = makeStrip({}, u"cbCatDone"_s, u"cbCatNotDone"_s);
    QWidget *strip = controls.widget;
    cbCatDone = controls.done;
    cbCatNotDone = controls.notDone;
    connect(cbCatDone, &QCheckBox::clicked, this, [this] { cbCatDoneClick(); });
    connect(cbCatNotDone, &QCheckBox::clicked, this, [this] { cbCatDoneClick(); });
    tbCategory = chartPage(u"tbCategory"_s, chrtCat, &TeeCat, strip);
    TeeCat->setObjectName(u"TeeCat"_s);
    PageControl1->addTab(tbCategory, u"Top 10 Categories"_s);
}

void TfrmChart::makeCategoryList()
{
    tbCatGrid = new QWidget;
    tbCatGrid->setObjectName(u"tbCatGrid"_s);
    catModel_ = new CategoryModel(gridCat_, this);
    gridCat = new QTableView(tbCatGrid);
    gridCat->setObjectName(u"gridCat"_s);
    gridCat->setModel(catModel_);
    gridCat->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridCat->setSelectionMode(QAbstractItemView::SingleSelection);
    gridCat->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridCat->verticalHeader()->hide();
    gridCat->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView *h = gridCat->horizontalHeader();
    h->setSectionsClickable(true);
    h->setSortIndicatorShown(true);
    h->setHighlightSections(false);
    h->setSortIndicator(-1, Qt::AscendingOrder);
    const int widths[] = {296, 98, 81, 86};
    for (int c = 0; c < 4; ++c)
        gridCat->setColumnWidth(c, widths[c]);
    connect(h, &QHeaderView::sectionClicked, this, [this](int c) { gridCatHeaderClick(c); });
    auto *l = new QVBoxLayout(tbCatGrid);
    l->setContentsMargins(2, 2, 2, 2);
    l->addWidget(gridCat);
    PageControl1->addTab(tbCatGrid, u"Category list"_s);
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
        QPen pen(c.darker(115), 2);
        line->setPen(pen);
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
// Plotting

void TfrmChart::btPlotClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    PlotReadings();
    AnimateWindow();
}

void TfrmChart::PlotReadings()
{
    readings_ = morvane::PlotReadings(sv_.store, sv_.filter, range_, sv_.fs, sv_.clock);
    lblTitle->setText(readings_.heading);
    fillWeek();
    fillHour();
    fillDay();
    fillCat();
    fillCategoryList();
    for (ChartView *v : {chrtWeek, chrtHour, chrtDay, chrtCat})
        v->captureHome();
}

void TfrmChart::fillWeek()
{
    QStringList days;
    for (int w = 1; w <= 7; ++w)
        days.append(sv_.fs.shortDayNames[std::size_t(w - 1)]);
    weekDays->clear();
    weekDays->append(days);
    serWeekDone->remove(0, serWeekDone->count());
    serWeekNotDone->remove(0, serWeekNotDone->count());
    int largest = 0;
    for (int w = 1; w <= 7; ++w) {
        serWeekDone->append(readings_.weekDone[std::size_t(w)]);
        serWeekNotDone->append(readings_.weekNotDone[std::size_t(w)]);
        largest = std::max({largest, readings_.weekDone[std::size_t(w)], readings_.weekNotDone[std::size_t(w)]});
    }
    setCountRange(weekCount, largest);
}

void TfrmChart::fillHour()
{
    QList<QPointF> done, notDone;
    int largest = 0;
    for (int s = 0; s < 48; ++s) {
        done.append(QPointF(s, readings_.hourDone[std::size_t(s)]));
        notDone.append(QPointF(s, readings_.hourNotDone[std::size_t(s)]));
        largest = std::max({largest, readings_.hourDone[std::size_t(s)], readings_.hourNotDone[std::size_t(s)]});
    }
    serHourDone->replace(done);
    serHourNotDone->replace(notDone);
    hourAxis->setRange(0, 48);
    setCountRange(hourCount, largest);
    updateHourLabels();
    updateHourDepth();
}

void TfrmChart::fillDay()
{
    QList<QPointF> done, notDone;
    int largest = 0;
    qreal lo = 0, hi = 0;
    bool any = false;
    for (auto [points, list] : {std::pair{&readings_.dayDone, &done}, std::pair{&readings_.dayNotDone, &notDone}})
        for (const DayPoint &p : *points) {
            list->append(QPointF(p.day, p.count));
            largest = std::max(largest, p.count);
            lo = any ? std::min(lo, qreal(p.day)) : p.day;
            hi = any ? std::max(hi, qreal(p.day)) : p.day;
            any = true;
        }
    serDayDone->replace(done);
    serDayNotDone->replace(notDone);
    if (!any) {
        lo = range_.start;
        hi = std::max(range_.end, range_.start + 1);
    }
    const qreal pad = readings_.mode == BucketMode::Weekly ? 4 : 1;
    dayMin_ = lo - pad;
    dayMax_ = hi + pad;
    dayAxis->setRange(dayMin_, dayMax_);
    setCountRange(dayCount, largest);
    updateDayLabels();
    updateDayDepth();
}

void TfrmChart::fillCat()
{
    catNames->clear();
    serCatDone->remove(0, serCatDone->count());
    serCatNotDone->remove(0, serCatNotDone->count());
    // Horizontal bars stack their categories from the bottom, and a bar
    // category axis cannot be turned over, so the ten go in from the last:
    // the first category ends up at the top.
    std::vector<CategoryRow> bottomUp(readings_.topTen.rbegin(), readings_.topTen.rend());
    int largest = 0;
    for (const CategoryRow &r : bottomUp) {
        serCatDone->append(r.done);
        serCatNotDone->append(r.notDone);
        largest = std::max({largest, r.done, r.notDone});
    }
    QStringList labels = categoryLabels(readings_.topTen);
    std::reverse(labels.begin(), labels.end());
    catNames->append(labels);
    setCountRange(catCount, largest);
}

void TfrmChart::fillCategoryList()
{
    gridCat_ = CategoryGrid(readings_.categories);
    catModel_->reload();
    // The plot leaves the list in top-ten order.
    catSortColumn_ = 1;
    catSortAscending_ = false;
    gridCat->horizontalHeader()->setSortIndicator(1, Qt::DescendingOrder);
}

void TfrmChart::gridCatHeaderClick(int column)
{
    if (column == catSortColumn_) {
        catSortAscending_ = !catSortAscending_;
    } else {
        catSortColumn_ = column;
        // Names from A, counts from the largest.
        catSortAscending_ = column == 0;
    }
    SortCategoryGrid(gridCat_, column, catSortAscending_);
    catModel_->reload();
    gridCat->horizontalHeader()->setSortIndicator(column, catSortAscending_ ? Qt::AscendingOrder
                                                                              : Qt::DescendingOrder);
}

// ---------------------------------------------------------------------------
// Depth and labels

void TfrmChart::updateDepth(QAreaSeries *ribbon, const QLineSeries *line, int depth, qreal xSpan, qreal ySpan)
{
    const qreal dx = depth / 100.0 * kDepthReach * xSpan;
    const qreal dy = depth / 100.0 * kDepthReach * ySpan;
    const QList<QPointF> points = line->points();
    QList<QPointF> back;
    back.reserve(points.size());
    for (const QPointF &p : points)
        back.append(p + QPointF(dx, dy));
    ribbon->upperSeries()->replace(back);
    ribbon->lowerSeries()->replace(points);
}

void TfrmChart::updateHourDepth()
{
    const int depth = sbTime->value();
    updateDepth(depHourDone, serHourDone, depth, 48, hourCount->max());
    updateDepth(depHourNotDone, serHourNotDone, depth, 48, hourCount->max());
}

void TfrmChart::updateDayDepth()
{
    const int depth = sbDayDay->value();
    updateDepth(depDayDone, serDayDone, depth, dayMax_ - dayMin_, dayCount->max());
    updateDepth(depDayNotDone, serDayNotDone, depth, dayMax_ - dayMin_, dayCount->max());
}

void TfrmChart::sbTimeChange() { updateHourDepth(); }
void TfrmChart::sbDayDayChange() { updateDayDepth(); }

void TfrmChart::chrtHourResize() { updateHourLabels(); }
void TfrmChart::chrtDayResize() { updateDayLabels(); }

void TfrmChart::updateHourLabels()
{
    if (labelling_)
        return;
    labelling_ = true;
    // The labels stand on end, so each takes a line's height of the width.
    const qreal width = chrtHour->chart()->plotArea().width() > 10 ? chrtHour->chart()->plotArea().width()
                                                                    : std::max(100, chrtHour->width() - 80);
    const qreal each = QFontMetricsF(hourAxis->labelsFont()).height() + 3;
    const qreal shown = std::max<qreal>(1, hourAxis->max() - hourAxis->min());
    int step = 48;
    for (int s : {1, 2, 4, 6, 8, 12, 24}) {
        if (shown / s * each <= width) {
            step = s;
            break;
        }
    }
    QList<std::pair<QString, qreal>> labels;
    for (int s = 0; s < 48; s += step)
        if (s >= hourAxis->min() - 0.5 && s <= hourAxis->max() + 0.5)
            labels.append({HalfHourLabel(s, sv_.fs), qreal(s)});
    QStringList now = hourAxis->categoriesLabels();
    QStringList want;
    for (const auto &l : labels)
        want.append(l.first);
    if (now != want) {
        hourAxis->setStartValue(labels.isEmpty() ? hourAxis->min() : labels.first().second - 1);
        replaceCategories(hourAxis, labels);
    }
    labelling_ = false;
}

void TfrmChart::updateDayLabels()
{
    if (labelling_)
        return;
    labelling_ = true;
    const qreal width = chrtDay->chart()->plotArea().width() > 10 ? chrtDay->chart()->plotArea().width()
                                                                   : std::max(100, chrtDay->width() - 80);
    const QFontMetricsF fm(dayAxis->labelsFont());
    const qreal each = fm.horizontalAdvance(FormatDateTime(u"dd/mmm/yy", ToDateValue(QDate(2026, 9, 28)), sv_.fs)) + 16;
    const qreal lo = dayAxis->min(), hi = dayAxis->max();
    const qreal weeks = std::max<qreal>(1, (hi - lo) / 7);
    // Labels on Sundays, one week apart or as many weeks as the width needs.
    int step = 1;
    for (int s : {1, 2, 4, 8, 13, 26, 52, 104, 208, 520, 1040, 5200}) {
        step = s;
        if (weeks / s * each <= width)
            break;
    }
    QList<std::pair<QString, qreal>> labels;
    const qint64 stepDays = qint64(step) * 7;
    // Day 1 is a Sunday; labels fall on days 1 + k × stepDays.
    qint64 first = qint64(std::ceil((lo - 1) / stepDays)) * stepDays + 1;
    for (qint64 d = first; d <= hi && labels.size() < 400; d += stepDays)
        labels.append({FormatDateTime(u"dd/mmm/yy", ToDateValue(DateOfDay(int(d))), sv_.fs), qreal(d)});
    QStringList now = dayAxis->categoriesLabels();
    QStringList want;
    for (const auto &l : labels)
        want.append(l.first);
    if (now != want) {
        dayAxis->setStartValue(labels.isEmpty() ? lo : labels.first().second - 1);
        replaceCategories(dayAxis, labels);
    }
    labelling_ = false;
}

// ---------------------------------------------------------------------------
// Switches

void TfrmChart::cbHourDoneClick()
{
    serHourDone->setVisible(cbHourDone->isChecked());
    depHourDone->setVisible(cbHourDone->isChecked());
    serHourNotDone->setVisible(cbHourNotDone->isChecked());
    depHourNotDone->setVisible(cbHourNotDone->isChecked());
}

void TfrmChart::cbDayDoneClick()
{
    serDayDone->setVisible(cbDayDone->isChecked());
    depDayDone->setVisible(cbDayDone->isChecked());
    serDayNotDone->setVisible(cbDayNotDone->isChecked());
    depDayNotDone->setVisible(cbDayNotDone->isChecked());
}

void TfrmChart::cbCatDoneClick()
{
    showBarSet(catSeries, serCatDone, cbCatDone->isChecked(), 0);
    showBarSet(catSeries, serCatNotDone, cbCatNotDone->isChecked(), 1);
}

bool TfrmChart::barSetShown(const QBarSet *set)
{
    const auto *series = qobject_cast<const QAbstractBarSeries *>(set->parent());
    return series && series->barSets().contains(const_cast<QBarSet *>(set));
}

// ---------------------------------------------------------------------------
// Range, hints, animation, printing

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

void TfrmChart::PageControl1Change() { AnimateWindow(); }
void TfrmChart::cbAnimateClick() { AnimateWindow(); }

void TfrmChart::AnimateWindow()
{
    if (!cbAnimate->isChecked())
        return;
    if (animated_ && Timer1->isActive()) {
        Timer1->stop();
        // The turn ends where it would have ended, at full size.
        animated_->setView3D(ChartView::View3D{true, 360, 360, 100});
    }
    ChartView *const charts[] = {chrtWeek, chrtHour, chrtDay, chrtCat};
    const int page = PageControl1->currentIndex();
    animated_ = page >= 0 && page < 4 ? charts[page] : nullptr;
    if (!animated_)
        return;
    animated_->setView3D(ChartView::View3D{false, 270, 270, 33});
    Timer1->start(kAnimationMs);
}

void TfrmChart::Timer1Timer()
{
    if (!animated_) {
        Timer1->stop();
        return;
    }
    ChartView::View3D v = animated_->view3D();
    v.rotation += 4;
    v.elevation += 4;
    v.zoom += 3;
    if (v.rotation >= 360) {
        Timer1->stop();
        v.zoom = 100;
        v.orthogonal = true;
    }
    animated_->setView3D(v);
}

void TfrmChart::printChart(ChartView *view)
{
    // A chart caught in its opening turn prints at full size.
    if (view == animated_ && Timer1->isActive()) {
        Timer1->stop();
        view->setView3D(ChartView::View3D{});
    }
    QPrinter printer(QPrinter::HighResolution);
    // Qt starts every printer on A4; the locale knows better.
    const QLocale::MeasurementSystem units = QLocale::system().measurementSystem();
    printer.setPageSize(QPageSize(units == QLocale::MetricSystem ? QPageSize::A4 : QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(u"Print"_s);
    if (sv_.runner.showModal(dialog) != QDialog::Accepted)
        return;
    QPainter p;
    if (!p.begin(&printer)) {
        sv_.prompts.ErrorBox(u"The printer could not be started."_s);
        return;
    }
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    // The heading over the chart, then the chart as large as the page allows.
    QFont heading = sv_.titleFont;
    heading.setPointSizeF(std::min<qreal>(heading.pointSizeF() > 0 ? heading.pointSizeF() : 14, 16));
    p.setFont(heading);
    const qreal headingHeight = QFontMetricsF(heading, &printer).height() * 1.5;
    p.drawText(QRectF(page.left(), page.top(), page.width(), headingHeight), Qt::AlignCenter, lblTitle->text());
    const QRectF space(page.left(), page.top() + headingHeight, page.width(), page.height() - headingHeight);
    const QSizeF source = view->viewport()->size();
    const qreal scale = std::min(space.width() / source.width(), space.height() / source.height());
    const QRectF target(space.left() + (space.width() - source.width() * scale) / 2, space.top(),
                        source.width() * scale, source.height() * scale);
    view->render(&p, target, view->viewport()->rect());
    p.end();
}

}  // namespace morvane
