// The summary over the day list when the mouse rests on a calendar day, and
// the calendars' popup menu that switches it.

#include "MainWindow.h"

#include "Colors.h"
#include "OptionsDialog.h"
#include "PopupSummary.h"
#include "ShadowLabel.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmMain::buildPopup()
{
    // The summary panel and the calendars' menu are made when first wanted
    // (popupPanel, popupMenu): the window's first paint needs neither.
    for (QWidget *w : std::initializer_list<QWidget *>{lblDate_, tvDay_->viewport(), memWhat_, EsLabel1_,
                                                       tvNonday_->viewport(), ToolBar1_}) {
        w->setMouseTracking(true);
        popupHiders_.insert(w);  // moving onto these closes the summary
    }
    for (MonthCalendar *c : cal_) {
        c->setMouseTracking(true);
        c->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(c, &QWidget::customContextMenuRequested, this,
                [this, c](const QPoint &at) { popupMenu()->popup(c->mapToGlobal(at)); });
    }
}

QFrame *TfrmMain::popupPanel()
{
    if (pnlPop_)
        return pnlPop_;
    pnlPop_ = new QFrame(splitDay_->parentWidget());
    pnlPop_->setObjectName(u"pnlPop"_s);
    pnlPop_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlPop_->setLineWidth(2);
    pnlPop_->setAutoFillBackground(true);
    pnlPop_->hide();
    QFont bold(u"Arial"_s);
    bold.setBold(true);
    lblPopDate_ = new QLabel(pnlPop_);
    lblPopDate_->setObjectName(u"lblPopDate"_s);
    lblPopWhen_ = new QLabel(pnlPop_);
    lblPopWhen_->setObjectName(u"lblPopWhen"_s);
    for (QLabel *l : {lblPopDate_, lblPopWhen_}) {
        l->setFont(bold);
        l->setAlignment(Qt::AlignCenter);
    }
    // Two columns: the time, then the first line of the notes.
    lbPopup_ = new QTreeWidget(pnlPop_);
    lbPopup_->setObjectName(u"lbPopup"_s);
    lbPopup_->setColumnCount(2);
    lbPopup_->header()->hide();
    lbPopup_->setRootIsDecorated(false);
    lbPopup_->setSelectionMode(QAbstractItemView::NoSelection);
    lbPopup_->setFocusPolicy(Qt::NoFocus);
    lbPopup_->setMouseTracking(true);
    lbPopup_->viewport()->setMouseTracking(true);
    popupHiders_.insert(lbPopup_->viewport());
    auto *l = new QVBoxLayout(pnlPop_);
    l->setContentsMargins(4, 4, 4, 4);
    l->addWidget(lblPopDate_);
    l->addWidget(lblPopWhen_);
    l->addWidget(lbPopup_, 1);
    return pnlPop_;
}

QMenu *TfrmMain::popupMenu()
{
    if (popPopup_)
        return popPopup_;
    popPopup_ = new QMenu(this);
    popPopup_->setObjectName(u"popPopup"_s);
    auto *group = new QActionGroup(popPopup_);
    memPopupEnable_ = popPopup_->addAction(u"Enable popup summary"_s);
    memPopupEnable_->setObjectName(u"memPopupEnable"_s);
    memPopupDisable_ = popPopup_->addAction(u"Disable popup summary"_s);
    memPopupDisable_->setObjectName(u"memPopupDisable"_s);
    for (QAction *a : {memPopupEnable_, memPopupDisable_}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    (options_.qPopup ? memPopupEnable_ : memPopupDisable_)->setChecked(true);
    connect(memPopupEnable_, &QAction::triggered, this, [this] { guard([this] { memPopupEnableClick(); }); });
    connect(memPopupDisable_, &QAction::triggered, this, [this] { guard([this] { memPopupDisableClick(); }); });
    return popPopup_;
}

void TfrmMain::hidePopup()
{
    if (pnlPop_)
        pnlPop_->hide();
}

void TfrmMain::popupMouseLeft()
{
    // The mouse may leave the window straight from a day, without passing
    // over anything that hides the summary; nor may a countdown begun on
    // that day open it after the mouse has gone.
    hover_.reset();
    hidePopup();
}

bool TfrmMain::popupVisible() const { return pnlPop_ && pnlPop_->isVisible(); }

QStringList TfrmMain::popupLines() const
{
    QStringList out;
    for (int i = 0; lbPopup_ && i < lbPopup_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lbPopup_->topLevelItem(i);
        out << (item->text(1).isEmpty() ? item->text(0) : item->text(0) + u'\t' + item->text(1));
    }
    return out;
}

void TfrmMain::cal2MouseMove(int cal, const QPoint &pos)
{
    if (!options_.qPopup)
        return;
    hoverCalendar_ = cal;
    const int cell = cal_[std::size_t(cal)]->cellAt(pos);
    if (hover_.mouseMove(std::max(0, cell), pos, popupVisible()))
        hidePopup();
}

void TfrmMain::tmPopupTimer()
{
    if (alarmShowing_ || !optionsRead_)
        return;
    if (!hover_.tick() || !options_.qPopup)
        return;
    pool_.setEnabled(tmPopup_, false);
    if (hover_.cell() > 0 && hoverCalendar_ >= 0) {
        QWidget *section = splitDay_->parentWidget();
        popupPanel()->setGeometry(0, 0, section->width(), section->height());
        lbPopup_->clear();
        const QDate d = cal_[std::size_t(hoverCalendar_)]->dateOfCell(hover_.cell());
        lblPopDate_->setText(FormatDateTime(u"dddddd", ToDateValue(d), fs_));
        lblPopWhen_->setText(RelativeDayText(ToDateValue(d), sv_.clock));
        QPalette p = lbPopup_->palette();
        p.setColor(QPalette::Base, palette().color(QPalette::Button));
        p.setColor(QPalette::Text, palette().color(QPalette::WindowText));
        QStringList lines;
        const QString holiday = holidays_.nameFor(d);
        if (!holiday.isEmpty()) {
            p.setColor(QPalette::Base, ToQColor(options_.holidayColorBG));
            p.setColor(QPalette::Text, ToQColor(options_.holidayColorFG));
            lines << ShownText(holiday) << QString();
        }
        lbPopup_->setPalette(p);
        lines << PopupLines(store_.grid(), DayNumber(d), filter_);
        for (const QString &line : lines) {
            const qsizetype tab = line.indexOf(u'\t');
            new QTreeWidgetItem(lbPopup_, tab < 0 ? QStringList{line} : QStringList{line.left(tab), line.mid(tab + 1)});
        }
        lbPopup_->resizeColumnToContents(0);
        pnlPop_->setVisible(lines.size() > 1);
        pnlPop_->raise();
    }
    pool_.setEnabled(tmPopup_, true);
}

void TfrmMain::setPopupOption(bool on)
{
    TfrmOptions *options = frmOptions();
    options->cbPopup->setChecked(on);
    options->SaveSettings();
    options_ = options->options();
    pool_.setEnabled(tmPopup_, on);
    if (memPopupEnable_)
        (on ? memPopupEnable_ : memPopupDisable_)->setChecked(true);
    if (!on)
        hidePopup();
}

void TfrmMain::memPopupEnableClick() { setPopupOption(true); }
void TfrmMain::memPopupDisableClick() { setPopupOption(false); }

}  // namespace morvane
