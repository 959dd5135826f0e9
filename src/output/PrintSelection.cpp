#include "PrintSelection.h"

#include <climits>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

const char *const kPrintHeaders[kPrintCols] = {"Date", "Time", "Category", "What", "Completed", "Alarm"};

bool inRange(int day, const PrintRange &range)
{
    return !range.byDate || (day >= DayNumber(range.first) && day <= DayNumber(range.last));
}

QString modeWord(PrintRange::Mode mode)
{
    switch (mode) {
    case PrintRange::Mode::Export: return u"Export "_s;
    case PrintRange::Mode::Clear: return u"Clear "_s;
    case PrintRange::Mode::Print: break;
    }
    return u"Print "_s;
}

QString scopeWord(bool filtersOn) { return filtersOn ? u"filtered "_s : u"all "_s; }

}  // namespace

Grid NewPrintGrid()
{
    Grid g(kPrintCols, 1);
    static const int widths[kPrintCols] = {59, 63, 68, 350, 48, 54};
    for (int c = 0; c < kPrintCols; ++c) {
        g.setCellUtf8(c, 0, kPrintHeaders[c]);
        g.setColWidth(c, widths[c]);
    }
    return g;
}

bool okToPrintDateTask(const Grid &store, int row, int day, const PrintRange &range, const TaskFilter &filter)
{
    if (!inRange(day, range))
        return false;
    return filter.passes(store.cellUtf8(kStoreDone, row), store.cellUtf8(kStoreCategory, row));
}

bool okToPrintNonDateTask(const Grid &todo, int row, const PrintRange &range, const TaskFilter &filter)
{
    if (!range.includeTodo)
        return false;
    return filter.passes(todo.cellUtf8(kTodoDone, row), todo.cellUtf8(kTodoCategory, row));
}

CombinedList::CombinedList(const Grid &store, const PrintRange &range, const TaskFilter &filter,
                           const FormatSettings &fs)
    : store_(store)
{
    int lastDay = INT_MIN;
    for (int r = 1; r < store.rowCount(); ++r) {
        const QByteArrayView key = store.cellUtf8(kStoreKey, r);
        if (key.isEmpty())
            continue;
        const int day = KeyDay(key);
        if (!okToPrintDateTask(store, r, day, range, filter))
            continue;
        if (day != lastDay || dates_.empty()) {  // the store is in day order: one text a day
            lastDay = day;
            dates_.push_back(FormatDateTime(u"ddddd", DateValue(day), fs).toUtf8());
        }
        rows_.push_back({r, int(dates_.size()) - 1});
    }
}

QByteArrayView CombinedList::cellUtf8(int col, int row) const
{
    if (col < 0 || col >= kPrintCols || row < 0 || row > int(rows_.size()))
        return {};
    if (row == 0)
        return kPrintHeaders[col];
    const Row &r = rows_[std::size_t(row - 1)];
    if (col == kPrintDate)
        return dates_[std::size_t(r.date)];
    // The other five columns are the store's columns 1 to 5.
    return store_.cellUtf8(col, r.storeRow);
}

Grid CombinedList::toGrid() const
{
    Grid out = NewPrintGrid();
    out.setRowCount(rowCount());
    for (int r = 1; r < rowCount(); ++r)
        for (int c = 0; c < kPrintCols; ++c)
            out.setCellUtf8(c, r, cellUtf8(c, r));
    return out;
}

void TransfertoGridPrint(Grid &gridPrint, const Grid &store, const PrintRange &range, const TaskFilter &filter,
                         const FormatSettings &fs)
{
    gridPrint = CombinedList(store, range, filter, fs).toGrid();
}

void AppendTodoTasks(Grid &gridPrint, const Grid &todo, const PrintRange &range, const TaskFilter &filter)
{
    for (int r = 1; r < todo.rowCount(); ++r) {
        // A blank row of the list is no task, and a to-do task may lack a
        // category, so both of its texts decide.
        if (!TodoRowHoldsTask(todo, r) || !okToPrintNonDateTask(todo, r, range, filter))
            continue;
        const int row = gridPrint.rowCount();
        gridPrint.setRowCount(row + 1);
        gridPrint.setCell(kPrintDate, row, u"To-do");
        gridPrint.setCellUtf8(kPrintCategory, row, todo.cellUtf8(kTodoCategory, r));
        gridPrint.setCellUtf8(kPrintWhat, row, todo.cellUtf8(kTodoNotes, r));
        gridPrint.setCellUtf8(kPrintCompleted, row, todo.cellUtf8(kTodoDone, r));
    }
}

Grid BuildPrintList(const Grid &store, const Grid &todo, const PrintRange &range, const TaskFilter &filter,
                    const FormatSettings &fs)
{
    Grid list;
    TransfertoGridPrint(list, store, range, filter, fs);
    if (range.mode == PrintRange::Mode::Print && range.includeTodo)
        AppendTodoTasks(list, todo, range, filter);
    return list;
}

std::vector<int> SelectedStoreRows(const Grid &store, const PrintRange &range, const TaskFilter &filter)
{
    std::vector<int> rows;
    for (int r = 1; r < store.rowCount(); ++r) {
        const QByteArrayView key = store.cellUtf8(kStoreKey, r);
        if (!key.isEmpty() && okToPrintDateTask(store, r, KeyDay(key), range, filter))
            rows.push_back(r);
    }
    return rows;
}

QString RangeAllCaption(PrintRange::Mode mode, bool filtersOn)
{
    return modeWord(mode) + scopeWord(filtersOn) + u"tasks"_s;
}

QString RangeDatesCaption(PrintRange::Mode mode, bool filtersOn)
{
    return modeWord(mode) + scopeWord(filtersOn) + u"tasks within a range of dates"_s;
}

QString CheckPrintRange(const PrintRange &range)
{
    if (range.byDate && range.last < range.first)
        return u"The second date must be AFTER the first date!"_s;
    return {};
}

bool RangeShowsTodoBox(PrintRange::Mode mode) { return mode != PrintRange::Mode::Export; }

QString PrintTitle(const PrintRange &range, bool filtersOn, const FormatSettings &fs)
{
    QString title;
    if (!range.byDate) {
        // No blank after "(filtered)": the to-do words bring their own.
        title = u"All tasks"_s;
        if (filtersOn)
            title += u" (filtered)"_s;
    } else {
        title = u"Tasks"_s + (filtersOn ? u" (filtered) "_s : u" "_s) + u"from "_s +
                FormatDateTime(u"ddddd", ToDateValue(range.first), fs) + u" through "_s +
                FormatDateTime(u"ddddd", ToDateValue(range.last), fs);
    }
    if (range.includeTodo)
        title += u" including the To-do list"_s;
    return title;
}

PrintRange ClearRangeOn(QDate day) { return {PrintRange::Mode::Clear, true, day, day, false}; }

std::vector<int> SelectedTodoRows(const Grid &todo, const PrintRange &range, const TaskFilter &filter)
{
    std::vector<int> rows;
    for (int r = 1; r < todo.rowCount(); ++r)
        if (TodoRowHoldsTask(todo, r) && okToPrintNonDateTask(todo, r, range, filter))
            rows.push_back(r);
    return rows;
}

namespace {

QString howMany(int n, const QString &what) { return u"%1 %2%3"_s.arg(n).arg(what, n == 1 ? u""_s : u"s"_s); }

// The days of a range as a person says them: "on 9 December 2026", "from 1 to
// 31 December 2026", "from 28 November to 3 December 2026", each part only
// as long as it must be.
QString daysOf(const PrintRange &range, const FormatSettings &fs)
{
    if (!range.byDate)
        return u"of all dates"_s;
    const QDate a = range.first, b = range.last;
    auto month = [&](QDate d) { return fs.longMonthNames[std::size_t(d.month() - 1)]; };
    const QString last = u"%1 %2 %3"_s.arg(b.day()).arg(month(b)).arg(b.year());
    if (a == b)
        return u"on "_s + last;
    QString first = QString::number(a.day());
    if (a.month() != b.month() || a.year() != b.year())
        first += u' ' + month(a);
    if (a.year() != b.year())
        first += u' ' + QString::number(a.year());
    return u"from %1 to %2"_s.arg(first, last);
}

}  // namespace

QString ClearQuestion(const PrintRange &range, int tasks, int todoTasks, const FormatSettings &fs)
{
    QString q = u"Remove %1 %2"_s.arg(howMany(tasks, u"task"_s), daysOf(range, fs));
    if (range.includeTodo)
        q += u" and "_s + howMany(todoTasks, u"to-do task"_s);
    return q + u'?';
}

}  // namespace morvane
