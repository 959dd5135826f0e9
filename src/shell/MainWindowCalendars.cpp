// The four month calendars and the headings above the lists.

#include "MainWindow.h"

#include "CalendarRules.h"
#include "Colors.h"
#include "GridTableModel.h"
#include "ShadowLabel.h"
#include "OptionsDialog.h"

#include <QApplication>
#include <QEvent>
#include <QLocale>
#include <QPainter>
#include <QSignalBlocker>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {
QColor face() { return QApplication::palette().color(QPalette::Button); }
}  // namespace

void TfrmMain::buildCalendars()
{
    for (int i = 0; i < 4; ++i) {
        auto *cal = new MonthCalendar(pnlCalendars_);
        cal->setObjectName(u"cal%1"_s.arg(i + 1));
        cal->setDate(sv_.clock.today());
        cal->colorBack = face();
        cal->colorSelectedBack = face();
        cal->colorPrevNextBack = face();
        cal->colorHeaderBack = face();
        cal->bevel = MonthCalendar::Bevel::Lowered;
        cal->bevelWidth = 3;
        cal->setDrawCell([this, i](QPainter &p, const MonthCalendar::Cell &c, bool &defaultDraw) {
            cal1DrawCell(i, p, c, defaultDraw);
        });
        connect(cal, &MonthCalendar::clicked, this, [this, i] { guard([this, i] { cal1Click(i); }); });
        connect(cal, &MonthCalendar::dateChanged, this, [this] { guard([this] { cal1DateChange(); }); });
        connect(cal, &MonthCalendar::monthChanged, this, [this] { guard([this] { cal1MonthChange(); }); });
        // A double-click on a day edits its task, or adds one to an empty day.
        connect(cal, &MonthCalendar::cellDoubleClicked, this, [this](const QRect &, bool inMonth, int, int) {
            if (inMonth)
                guard([this] { cal1CellDblClick(); });
        });
        cal_[std::size_t(i)] = cal;
    }
}

CalendarColours TfrmMain::calendarColours() const
{
    const Options &o = options_;
    CalendarColours c;
    c.doneColor = o.doneColor;
    c.notDoneColor = o.notDoneColor;
    c.holidayColor = o.holidayColor;
    c.monthColor = o.monthColor;
    c.doneFG = o.doneColorFG;
    c.doneBG = o.doneColorBG;
    c.notDoneFG = o.notDoneColorFG;
    c.notDoneBG = o.notDoneColorBG;
    c.holidayFG = o.holidayColorFG;
    c.holidayBG = o.holidayColorBG;
    c.monthBG = o.monthColorBG;
    return c;
}

void TfrmMain::cal1DrawCell(int cal, QPainter &p, const MonthCalendar::Cell &cell, bool &defaultDraw)
{
    if (!shownOnce_ || !calendarsInStep_)
        return;  // nothing is painted before the months are placed
    if (!cell.inMonth) {
        defaultDraw = true;  // neighbouring months keep the control's own look
        return;
    }
    const MonthCalendar *c = cal_[std::size_t(cal)];
    const QDate date(c->date().year(), c->date().month(), cell.day);
    if (!date.isValid())
        return;
    if (cell.selected && cal == current_) {
        defaultDraw = true;  // the selected day keeps the selection look
        return;
    }
    paintDayCell(p, date, defaultDraw);
}

void TfrmMain::paintDayCell(QPainter &p, const QDate &date, bool &defaultDraw) const
{
    const CalendarColours colours = calendarColours();
    // The first look until the store has loaded whole (then the store).
    const DayLook look = ClassifyDay(date, sv_.clock.today(), colours, store_.firstLook(), filter_,
                                     [this](const QDate &d) { return !holidays_.nameFor(d).isEmpty(); });
    const CellColours cc = ColoursOf(look, colours, face(), palette().color(QPalette::WindowText));
    p.setBrush(cc.back);
    p.setPen(cc.text);
    defaultDraw = true;
}

void TfrmMain::ColorAllCalendars(bool all)
{
    const QDate today = sv_.clock.today();
    for (int i = 0; i < 4; ++i) {
        MonthCalendar *c = cal_[std::size_t(i)];
        // The calendar showing the real current month may take its own background.
        const bool thisMonth = c->date().year() == today.year() && c->date().month() == today.month();
        const QColor back = options_.monthColor && thisMonth ? ToQColor(options_.monthColorBG) : face();
        c->colorBack = back;
        c->colorHeaderBack = back;
        if (all || i == current_)
            c->update();
    }
}

void TfrmMain::updateAppropriateMonth()
{
    if (current_ < 0)
        return;
    calendarsInStep_ = false;
    const auto dates = PlaceMonths(current_, cal_[std::size_t(current_)]->date());
    for (int i = 0; i < 4; ++i) {
        if (i == current_)
            continue;
        // The current calendar's date is the one shown: the others' changes
        // need no handling of their own.
        const QSignalBlocker quiet(cal_[std::size_t(i)]);
        cal_[std::size_t(i)]->setDate(dates[std::size_t(i)]);
    }
    calendarsInStep_ = true;
    ColorAllCalendars(true);
}

void TfrmMain::cal1MonthChange()
{
    if (current_ >= 0 && calendarsInStep_ && !monthChangeBusy_) {
        monthChangeBusy_ = true;
        updateAppropriateMonth();
        monthChangeBusy_ = false;
    }
}

void TfrmMain::cal1Click(int cal)
{
    hidePopup();
    commitNotes();
    previous_ = current_;
    current_ = cal;
    for (int i = 0; i < 4; ++i) {
        MonthCalendar *c = cal_[std::size_t(i)];
        if (i == current_) {
            c->colorSelectedBack = ToQColor(kButtonHighlight, palette());
        } else {
            c->colorSelectedBack = face();
            c->bevel = MonthCalendar::Bevel::Lowered;
            c->bevelWidth = 3;
        }
        c->update();
    }
    if (current_ != previous_) {
        cal_[std::size_t(current_)]->bevel = MonthCalendar::Bevel::Raised;
        cal_[std::size_t(current_)]->bevelWidth = 3;
        cal1DateChange();
    }
}

QDate TfrmMain::selectedDay() const
{
    return current_ >= 0 ? cal_[std::size_t(current_)]->date() : QDate();
}

void TfrmMain::cal1DateChange()
{
    if (dateChangeBusy_)
        return;
    dateChangeBusy_ = true;
    if (current_ >= 0) {
        previous_ = current_;
        commitNotes();
        if (paintingFirstLook_)
            store_.readFirstLook(DayNumber(selectedDay()), gridDay_);
        else
            store_.readFromStore(DayNumber(selectedDay()), gridDay_);
        applyDaySort();
        if (dayModel_)
            dayModel_->reload();
        ResizeGridDay();  // the columns fit the day's texts
        UpdateLabels(current_);
        selectDayRow(1);
        // While Find is open, the task it found is the one selected.
        if (!foundTask_.isEmpty())
            selectFoundTask(true);
        ColorAllCalendars(false);
    }
    dateChangeBusy_ = false;
    if (trayIcon_)
        trayIcon_->setToolTip(u"Today is "_s + FormatDateTime(u"dddddd", ToDateValue(sv_.clock.now()), fs_));
}

void TfrmMain::UpdateLabels(int cal)
{
    EsLabel1_->setText(ToDoHeading(gridNonday_.rowCount()));
    if (cal != current_ || cal < 0)
        return;
    const QDate date = cal_[std::size_t(cal)]->date();
    const DayHeading h = MakeDayHeading(date, gridDay_.rowCount(), holidays_.nameFor(date), fs_, sv_.clock);
    lblDate_->setText(h.text);
    lblDate_->setProperty("holiday", h.holiday);
    lblDate_->setTextColor(h.holiday ? QColor(255, 0, 0) : shadows_ ? QColor(0, 0, 255) : QColor(0, 0, 128));
}

QString TfrmMain::dayHeading() const { return lblDate_->text(); }
QString TfrmMain::todoHeading() const { return EsLabel1_->text(); }
bool TfrmMain::dayHeadingIsHoliday() const { return lblDate_->property("holiday").toBool(); }

QColor TfrmMain::dayHeadingColor() const { return lblDate_->textColor(); }

CalendarSizing TfrmMain::placeCalendars()
{
    const int optionSize = options_.calFont.size;
    const int navHeight = pnlNav_ ? pnlNav_->sizeHint().height() : 0;
    const CalendarSizing s = SizeCalendars(pnlCalendars_->width(), pnlCalendars_->height(), navHeight, optionSize);
    const int w = s.width, h = s.height;
    const QPoint at[4] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
    if (pnlNav_) {
        // The navigation bar sits under the calendars while there is room.
        pnlNav_->setVisible(s.navVisible);
        pnlNav_->setGeometry(0, 2 * h - 1, std::max(0, 2 * w - 1), navHeight);
    }
    for (int i = 0; i < 4; ++i)
        cal_[std::size_t(i)]->setGeometry(QRect(at[i], QSize(std::max(0, w), std::max(0, h))));
    return s;
}

void TfrmMain::resizeCalendars()
{
    const CalendarSizing s = placeCalendars();
    const int w = s.width, h = s.height;
    QFont font = TfrmOptions::toFont(options_.calFont);
    font.setPointSize(std::max(1, s.cellFontSize));
    // No larger than the cells hold: a month has up to eight lines (label,
    // weekdays, six weeks) and seven columns; the label line is a month name
    // and a year across the calendar.
    const int cellHeight = std::max(1, h / 8), cellWidth = std::max(1, w / 7);
    font = FitFont(font, u"30"_s, cellWidth - 4, cellHeight);
    QFont label(u"Times New Roman"_s, std::max(1, s.cellFontSize));
    label.setBold(true);
    const QString widest = QLocale().monthName(9) + u" 2026"_s;  // September: a long name
    label = FitFont(label, widest, w - 8, cellHeight + 4);
    for (int i = 0; i < 4; ++i) {
        MonthCalendar *c = cal_[std::size_t(i)];
        c->showWeekDayHeader = s.weekDayHeader;
        c->showOnCalendar = s.labels;
        c->text3dLabels = s.raisedLabels;
        c->cellBevel = s.cellBevel;
        c->cellFont = font;
        c->selectedCellFont = font;
        c->selectedCellFont.setBold(true);
        c->monthLabelFont = label;
        c->yearLabelFont = label;
        c->update();
    }
}

void TfrmMain::followToday()
{
    // At midnight (or after the machine wakes on a new day) today's cell,
    // the relative day texts and the tray hint move on.
    const QDate today = sv_.clock.today();
    if (today == today_)
        return;
    today_ = today;
    UpdateLabels(current_);
    ColorAllCalendars(true);
    UpdateTrayIcon();
}

}  // namespace morvane
