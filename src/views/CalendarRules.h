#pragma once
// The rules of the four month calendars and the two task lists, without
// widgets: how a day cell is coloured, where the four months go, how the
// calendars are sized, the headings' texts, and how the lists sort and fit
// their columns.

#include "Grid.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QColor>
#include <QDate>
#include <QString>
#include <array>
#include <functional>

namespace morvane {

class HolidayIndex;

// The colour options that act on the calendars (0x00BBGGRR colours).
struct CalendarColours {
    bool doneColor = true, notDoneColor = true, holidayColor = true, monthColor = false;
    quint32 doneFG = 0, doneBG = 0xFFFF00;
    quint32 notDoneFG = 0xFFFFFF, notDoneBG = 255;
    quint32 holidayFG = 0, holidayBG = 0xFFFF;
    quint32 monthBG = 65280;
};

// What decides a day cell's colours, lowest to highest: plain, holiday,
// done, not-done, today.
enum class DayLook { Plain, Holiday, Done, NotDone, Today };

DayLook ClassifyDay(const QDate &date, const QDate &today, const CalendarColours &c, const Grid &store,
                    const TaskFilter &filter, const std::function<bool(const QDate &)> &isHoliday);

// Background and text colour of a look; plain uses the given face colours.
struct CellColours {
    QColor back, text;
};
CellColours ColoursOf(DayLook look, const CalendarColours &c, const QColor &face, const QColor &windowText);

// The dates of the four calendars when calendar `current` (0..3) holds
// `date`: each neighbour steps one month from the one next to it, keeping
// the day but not beyond its month's end.
std::array<QDate, 4> PlaceMonths(int current, const QDate &date);

// The calendars' sizes for the splitter positions P1 (width of the calendar
// pane) and P2 (height of the upper pane).
struct CalendarSizing {
    int width = 0, height = 0;
    bool navVisible = false;
    bool weekDayHeader = false;
    bool labels = false;       // month and year labels
    bool raisedLabels = false;
    int cellFontSize = 8;
    bool cellBevel = false;
};
CalendarSizing SizeCalendars(int p1, int p2, int navHeight, int optionsFontSize);
// The looks a calendar of height h takes (header, labels, their relief,
// cell font size, cell frames), the same for every calendar of the program.
void LookForHeight(CalendarSizing &s, int h, int optionsFontSize);

// The headings above the to-do list and the day list.
QString ToDoHeading(int todoRowCount);
struct DayHeading {
    QString text;
    bool holiday = false;  // shown in red
};
DayHeading MakeDayHeading(const QDate &date, int dayRowCount, const QString &holiday, const FormatSettings &fs,
                          const Clock &clock);

// Sorting the lists by a column: ties by the columns to the right, up to the
// last but one. The day list's time column compares times; each row's time
// is read once per sort, an empty time sorts after every time, and a time
// that cannot be read counts as `now` (the moment the sort began).
void SortDayList(Grid &dayList, int column, bool ascending, const FormatSettings &fs, DateValue now);
void SortTodoList(Grid &todo, int column, bool ascending);

// Column widths of the lists for a list width, at `ppi` pixels per inch.
std::array<int, 5> DayListWidths(int listWidth, int ppi, int scrollBar, int frame);
std::array<int, 3> TodoListWidths(int listWidth, int ppi, int scrollBar, int frame);

}  // namespace morvane
