#include "CalendarRules.h"

#include "Colors.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

using namespace Qt::StringLiterals;

namespace morvane {

DayLook ClassifyDay(const QDate &date, const QDate &today, const CalendarColours &c, const Grid &store,
                    const TaskFilter &filter, const std::function<bool(const QDate &)> &isHoliday)
{
    if (date == today)
        return DayLook::Today;
    const int d = DayNumber(date);
    if (c.doneColor && c.notDoneColor) {
        if (DayDoneState(store, d, false, true, nullptr, filter) == 2)
            return DayLook::NotDone;
        if (DayDoneState(store, d, true, false, nullptr, filter) == 1)
            return DayLook::Done;
    } else {
        const int r = DayDoneState(store, d, c.doneColor, c.notDoneColor, nullptr, filter);
        if (r == 1)
            return DayLook::Done;
        if (r == 2)
            return DayLook::NotDone;
    }
    if (c.holidayColor && isHoliday && isHoliday(date))
        return DayLook::Holiday;
    return DayLook::Plain;
}

CellColours ColoursOf(DayLook look, const CalendarColours &c, const QColor &face, const QColor &windowText)
{
    switch (look) {
    case DayLook::Plain: return {face, windowText};
    case DayLook::Holiday: return {ToQColor(c.holidayBG), ToQColor(c.holidayFG)};
    case DayLook::Done: return {ToQColor(c.doneBG), ToQColor(c.doneFG)};
    case DayLook::NotDone: return {ToQColor(c.notDoneBG), ToQColor(c.notDoneFG)};
    case DayLook::Today: return {QColor(0, 255, 0), QColor(0, 0, 0)};
    }
    return {face, windowText};
}

std::array<QDate, 4> PlaceMonths(int current, const QDate &date)
{
    std::array<QDate, 4> d;
    current = std::clamp(current, 0, 3);
    d[std::size_t(current)] = date;
    for (int i = current - 1; i >= 0; --i)
        d[std::size_t(i)] = d[std::size_t(i + 1)].addMonths(-1);
    for (int i = current + 1; i < 4; ++i)
        d[std::size_t(i)] = d[std::size_t(i - 1)].addMonths(1);
    return d;
}

CalendarSizing SizeCalendars(int p1, int p2, int navHeight, int optionsFontSize)
{
    CalendarSizing s;
    s.width = (p1 - 1) / 2;
    s.height = (p2 - navHeight - 5) / 2;
    s.navVisible = s.height > 90;
    if (!s.navVisible)
        s.height = (p2 - 5) / 2;
    LookForHeight(s, s.height, optionsFontSize);
    return s;
}

void LookForHeight(CalendarSizing &s, int h, int optionsFontSize)
{
    s.weekDayHeader = h > 106;
    s.labels = h > 50;
    if (h < 50) {
        s.raisedLabels = false;
        s.cellFontSize = 4;
    } else if (h > 74) {
        s.raisedLabels = true;
        s.cellFontSize = optionsFontSize;
    } else {
        s.raisedLabels = false;
        s.cellFontSize = 6;
    }
    s.cellBevel = h > 106;
}

QString ToDoHeading(int todoRowCount)
{
    if (todoRowCount < 3)
        return u"To-do Tasks"_s;
    return u"%1 To-do Tasks"_s.arg(todoRowCount - 1);
}

DayHeading MakeDayHeading(const QDate &date, int dayRowCount, const QString &holiday, const FormatSettings &fs,
                          const Clock &clock)
{
    const QString relative = RelativeDayText(ToDateValue(date), clock);
    if (!holiday.isEmpty())
        return {ShownText(holiday) + u"  "_s + relative, true};
    const QString count = dayRowCount < 3 ? QString() : QString::number(dayRowCount - 1) + u" tasks "_s;
    return {count + FormatDateTime(u"ddd ddddd", ToDateValue(date), fs) + u"  "_s + relative, false};
}

namespace {


// Sorts body rows by `column`, ties broken by the columns after it up to
// `lastCompared`.
void sortRowsBy(Grid &g, int column, bool ascending, int lastCompared,
                const std::function<int(int rowA, int rowB, int col)> &compareColumn)
{
    const int n = g.rowCount() - 1;
    if (n < 2)
        return;
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    // The sort column first, also when it is the last one, then the columns
    // after it as tie-breaks.
    auto cmpRows = [&](int a, int b) {
        if (const int c = compareColumn(a, b, column))
            return c;
        for (int col = column + 1; col <= lastCompared; ++col)
            if (const int c = compareColumn(a, b, col))
                return c;
        return 0;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = cmpRows(a, b);
        return ascending ? c < 0 : c > 0;
    });
    // Apply the order: rebuild the body from a copy.
    const Grid copy = g;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < g.colCount(); ++c)
            g.setCellUtf8(c, i + 1, copy.cellUtf8(c, order[std::size_t(i)]));
}

}  // namespace

void SortDayList(Grid &day, int column, bool ascending, const FormatSettings &fs, DateValue now)
{
    // Each row's time, read once: empty sorts last, unreadable counts as now.
    std::vector<double> times(std::size_t(day.rowCount()), 0);
    std::vector<bool> empty(std::size_t(day.rowCount()), true);
    for (int r = 1; r < day.rowCount(); ++r) {
        const QString t = day.cell(kDayTime, r);
        empty[std::size_t(r)] = t.isEmpty();
        DateValue v = 0;
        times[std::size_t(r)] = t.isEmpty() ? 0 : StrToTime(t, fs, &v) ? v : now;
    }
    sortRowsBy(day, column, ascending, kDayDone, [&](int a, int b, int col) {
        if (col != kDayTime)
            return CompareCellBytes(day.cellUtf8(col, a), day.cellUtf8(col, b));
        const bool ea = empty[std::size_t(a)], eb = empty[std::size_t(b)];
        if (ea || eb)
            return ea == eb ? 0 : ea ? 1 : -1;
        const double ta = times[std::size_t(a)], tb = times[std::size_t(b)];
        return ta < tb ? -1 : ta > tb ? 1 : 0;
    });
}

void SortTodoList(Grid &todo, int column, bool ascending)
{
    sortRowsBy(todo, column, ascending, kTodoNotes, [&](int a, int b, int col) {
        return CompareCellBytes(todo.cellUtf8(col, a), todo.cellUtf8(col, b));
    });
}

std::array<int, 5> DayListWidths(int listWidth, int ppi, int scrollBar, int frame)
{
    std::array<int, 5> w{ppi * 58 / 96, ppi * 74 / 96, 0, ppi * 46 / 96, ppi * 46 / 96};
    w[2] = std::max(0, listWidth - w[0] - w[1] - w[3] - w[4] - scrollBar - frame - 5);
    return w;
}

std::array<int, 3> TodoListWidths(int listWidth, int ppi, int scrollBar, int frame)
{
    std::array<int, 3> w{ppi * 84 / 96, 0, ppi * 54 / 96};
    w[1] = std::max(0, listWidth - w[0] - w[2] - scrollBar - frame - 5);
    return w;
}

}  // namespace morvane
