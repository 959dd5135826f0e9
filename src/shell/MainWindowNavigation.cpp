// Moving the selected day: the Navigate menu, the bar under the calendars,
// the keys the main window sees first, and double-clicks on the headings.

#include "MainWindow.h"

#include "Colors.h"
#include "MonthCalendar.h"
#include "FindDialog.h"
#include "Navigation.h"
#include "ScreenPlacement.h"
#include "YearView.h"
#include "ShadowLabel.h"

#include <QAction>
#include <QApplication>
#include <QScopeGuard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTableView>
#include <QSplitter>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmMain::buildNavigation()
{
    pnlNav_ = new QWidget(pnlCalendars_);
    pnlNav_->setObjectName(u"pnlNav"_s);
    tbMonthNav_ = new QToolBar(u"tbMonthNav"_s, pnlNav_);
    tbMonthNav_->setObjectName(u"tbMonthNav"_s);
    tbMonthNav_->setIconSize(QSize(16, 16));
    auto *row = new QHBoxLayout(pnlNav_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    row->addWidget(tbMonthNav_);
    row->addStretch();

    QMenu *nav = new QMenu(u"&Navigate"_s, this);
    nav->setObjectName(u"Navigate1"_s);
    menuBar()->insertMenu(menuBar()->actions().value(2), nav);
    struct Step {
        const char16_t *menuName, *caption, *key, *buttonName, *hint;
        void (TfrmMain::*handler)();
        ToolIcon icon;
    };
    const Step steps[] = {
        {u"NextTask1", u"Next Highlighted Task", u"Ctrl+N", u"ToolButton19", u"Next highlighted date - Ctrl-N",
         &TfrmMain::NextTask1Click, ToolIcon::NextTask},
        {u"PriorTask1", u"Prior Highlighted Task", u"Ctrl+P", u"ToolButton13", u"Prior highlighted date - Ctrl-P",
         &TfrmMain::PriorTask1Click, ToolIcon::PriorTask},
        {u"NextMonth1", u"Next Month", u"PgDown", u"tbNextMonth", u"Next month - PgDn", &TfrmMain::NextMonth1Click,
         ToolIcon::NextMonth},
        {u"PriorMonth1", u"Prior Month", u"PgUp", u"ToolButton20", u"Prior month - PgUp", &TfrmMain::PriorMonth1Click,
         ToolIcon::PriorMonth},
        {u"NextYear1", u"Next Year", u"Ctrl+PgDown", u"tbNextYear", u"Next year - Ctrl-PgDn",
         &TfrmMain::NextYear1Click, ToolIcon::NextYear},
        {u"PriorYear1", u"Prior Year", u"Ctrl+PgUp", u"ToolButton25", u"Prior year - Ctrl-PgUp",
         &TfrmMain::PriorYear1Click, ToolIcon::PriorYear},
        {u"Today1", u"Today", u"Ctrl+Home", u"ToolButton21", u"Today - Ctrl-Home", &TfrmMain::Today1Click,
         ToolIcon::Today},
    };
    std::map<QString, QAction *> buttons;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step &s = steps[i];
        auto handler = s.handler;
        QAction *m = nav->addAction(QString::fromUtf16(s.caption));
        m->setObjectName(QString::fromUtf16(s.menuName));
        m->setShortcut(QKeySequence(QString::fromUtf16(s.key)));
        connect(m, &QAction::triggered, this, [this, handler] { guard([this, handler] { (this->*handler)(); }); });
        if (i == 1 || i == 3 || i == 5)
            nav->addSeparator();
        auto *b = new QAction(MakeToolIcon(s.icon), QString::fromUtf16(s.caption), this);
        b->setObjectName(QString::fromUtf16(s.buttonName));
        b->setToolTip(QString::fromUtf16(s.hint));
        connect(b, &QAction::triggered, this, [this, handler] { guard([this, handler] { (this->*handler)(); }); });
        buttons[b->objectName()] = b;
    }
    // Left to right: back a year, a month, a highlighted day; today; on a
    // highlighted day, a month, a year.
    for (const char16_t *name : {u"ToolButton25", u"ToolButton20", u"ToolButton13"})
        tbMonthNav_->addAction(buttons[QString::fromUtf16(name)]);
    tbMonthNav_->addSeparator();
    tbMonthNav_->addAction(buttons[u"ToolButton21"_s]);
    tbMonthNav_->addSeparator();
    for (const char16_t *name : {u"ToolButton19", u"tbNextMonth", u"tbNextYear"})
        tbMonthNav_->addAction(buttons[QString::fromUtf16(name)]);
}

void TfrmMain::Search1Click()
{
    monthChangeBusy_ = dateChangeBusy_ = false;
    findState_.findPosition = 0;
    findState_.fresh = true;
    if (!FindDialog1_) {
        FindDialog1_ = new FindDialog(this);
        FindDialog1_->installEventFilter(new OnScreenGuard(FindDialog1_));  // near the screen's edge too
        connect(FindDialog1_, &FindDialog::findNext, this, [this] { guard([this] { FindDialog1Find(); }); });
        connect(FindDialog1_, &FindDialog::closed, this, [this] {
            foundTask_.clear();
        });
    }
    // Where the splitters meet.
    FindDialog1_->move(mapToGlobal(QPoint(split1_->sizes().value(0), split2_->sizes().value(0))));
    foundTask_.clear();
    FindDialog1_->show();
    FindDialog1_->raise();
    FindDialog1_->activateWindow();
}

void TfrmMain::FindDialog1Find()
{
    if (!FindDialog1_)
        return;
    FindRequest request = FindDialog1_->request();
    request.fromDay = DayNumber(selectedDay());
    const FindResult r = FindStep(store_.grid(), filter_, findState_, request);
    if (r.row < 0) {
        // The end of a run of matches is news, not a failure.
        if (r.nowhere)
            sv_.prompts.ErrorBox(r.notFound);
        else
            sv_.prompts.InfoBox(r.notFound);
        return;
    }
    const Grid &g = store_.grid();
    foundTask_ = {g.cell(kStoreTime, r.row), g.cell(kStoreCategory, r.row), g.cell(kStoreNotes, r.row)};
    const QDate day = DateOfDay(KeyDay(g.cellUtf8(kStoreKey, r.row)));
    if (day == selectedDay())
        selectFoundTask(request.down);  // the date does not change: select it here
    else
        setCurrentDate(day);            // the date change selects it
}

void TfrmMain::selectFoundTask(bool fromTop)
{
    if (foundTask_.size() != 3)
        return;
    tvDay_->setFocus();
    const int n = gridDay_.rowCount() - 1;
    for (int i = 0; i < n; ++i) {
        const int row = fromTop ? i + 1 : n - i;
        if (gridDay_.cell(kDayTime, row) == foundTask_[0] && gridDay_.cell(kDayCategory, row) == foundTask_[1] &&
            gridDay_.cell(kDayNotes, row) == foundTask_[2]) {
            selectDayRow(row);
            return;
        }
    }
}

void TfrmMain::N12monthcalendar1Click()
{
    commitNotes();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    TfrmYear year({sv_.settings, sv_.clock, [this] { return selectedDay(); },
                   [this](const QDate &d) {
                       setCurrentDate(d);
                       cal1DateChange();
                   },
                   [this] { return statusText(); }, options_.sunday ? Qt::Sunday : Qt::Monday,
                   [this](QPainter &p, const QDate &d, bool &defaultDraw) { paintDayCell(p, d, defaultDraw); },
                   options_.calFont.size, hints_, options_.monthColor ? ToQColor(options_.monthColorBG) : QColor()},
                  this);
    QApplication::restoreOverrideCursor();
    restore.dismiss();
    sv_.runner.showModal(year);
}

QDate TfrmMain::goForward(const QDate &date) const
{
    const Highlight h{options_.doneColor, options_.notDoneColor};
    return DateOfDay(NextHighlightedDay(store_.grid(), DayNumber(date), h, filter_));
}

QDate TfrmMain::goBack(const QDate &date) const
{
    const Highlight h{options_.doneColor, options_.notDoneColor};
    return DateOfDay(PriorHighlightedDay(store_.grid(), DayNumber(date), h, filter_));
}

void TfrmMain::setCurrentDate(const QDate &date)
{
    if (current_ < 0 || !date.isValid())
        return;
    // The calendar's own date and month changes re-read the day and move
    // the other calendars.
    cal_[std::size_t(current_)]->setDate(date);
}

void TfrmMain::moveCurrentDay(int days) { setCurrentDate(selectedDay().addDays(days)); }

void TfrmMain::NextTask1Click() { setCurrentDate(goForward(selectedDay())); }
void TfrmMain::PriorTask1Click() { setCurrentDate(goBack(selectedDay())); }
void TfrmMain::NextMonth1Click() { setCurrentDate(StepMonths(selectedDay(), 1)); }
void TfrmMain::PriorMonth1Click() { setCurrentDate(StepMonths(selectedDay(), -1)); }

void TfrmMain::stepYears(int years)
{
    if (current_ < 0)
        return;
    {
        const QSignalBlocker quiet(cal_[std::size_t(current_)]);
        cal_[std::size_t(current_)]->setDate(StepMonths(selectedDay(), 12 * years));
    }
    monthChangeBusy_ = dateChangeBusy_ = true;
    updateAppropriateMonth();
    monthChangeBusy_ = dateChangeBusy_ = false;
    cal1DateChange();
}

void TfrmMain::NextYear1Click() { stepYears(1); }
void TfrmMain::PriorYear1Click() { stepYears(-1); }

void TfrmMain::Today1Click()
{
    commitNotes();
    previous_ = current_;
    for (int i = 0; i < 4; ++i) {
        MonthCalendar *c = cal_[std::size_t(i)];
        c->bevel = i == 1 ? MonthCalendar::Bevel::Raised : MonthCalendar::Bevel::Lowered;
        c->colorSelectedBack = i == 1 ? ToQColor(kButtonHighlight, palette()) : palette().color(QPalette::Button);
        c->update();
    }
    current_ = 1;
    {
        const QSignalBlocker quiet(cal_[1]);
        cal_[1]->setDate(sv_.clock.today());
    }
    monthChangeBusy_ = dateChangeBusy_ = true;
    updateAppropriateMonth();
    monthChangeBusy_ = dateChangeBusy_ = false;
    cal1DateChange();
}

bool TfrmMain::FormKeyDown(QWidget *target, QKeyEvent *e)
{
    const int key = e->key();
    const bool inNotes = target == memWhat_;
    // The arrows move the day whatever modifier is held (and from the
    // keypad too): outside the notes pane nothing else answers them, and a
    // held Shift or Ctrl must not turn a move of the day into nothing.
    if (key == Qt::Key_Left && !inNotes) {
        moveCurrentDay(-1);
        return true;
    }
    if (key == Qt::Key_Right && !inNotes) {
        moveCurrentDay(1);
        return true;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && target == tvDay_) {
        // Inside the list the arrows move the selection; at its ends they
        // move the day by a week.
        const int rows = gridDay_.rowCount();
        const int row = selectedRow(tvDay_, 1);
        if (key == Qt::Key_Up && (rows < 3 || row == 1)) {
            moveCurrentDay(-7);
            return true;
        }
        if (key == Qt::Key_Down && (rows < 3 || row == rows - 1)) {
            moveCurrentDay(7);
            return true;
        }
    }
    // A day just clicked has the focus on its calendar: Insert adds a task
    // to it there as in the day list.
    const bool onCalendar = std::find(cal_.begin(), cal_.end(), target) != cal_.end();
    if ((key == Qt::Key_Insert || key == Qt::Key_Delete) &&
        (target == tvDay_ || target == tvNonday_ || (onCalendar && key == Qt::Key_Insert))) {
        // Acted on when released; a key stroke that was a menu shortcut
        // never arrives here, so it is not acted on twice.
        if (!e->isAutoRepeat())
            pendingKey_ = key;
        return true;
    }
    return false;
}

void TfrmMain::FormKeyUp(QWidget *target, QKeyEvent *e)
{
    if (e->isAutoRepeat())
        return;
    const int key = e->key();
    if ((key == Qt::Key_Insert || key == Qt::Key_Delete) && pendingKey_ == key) {
        pendingKey_ = 0;
        if (target == tvDay_)
            key == Qt::Key_Insert ? btAddClick(Sender::tbAdd1) : btDelClick(Sender::tbDel1);
        else if (std::find(cal_.begin(), cal_.end(), target) != cal_.end())
            btAddClick(Sender::tbAdd1);
        else if (target == tvNonday_)
            key == Qt::Key_Insert ? btAddClick(Sender::tbAdd2) : btDelClick(Sender::tbDel2);
    }
    // Until the clock's next tick, the date without the time.
    StatusBar1_->setText(u"Today is "_s + FormatDateTime(u"dddddd", ToDateValue(sv_.clock.now()), fs_));
}

}  // namespace morvane
