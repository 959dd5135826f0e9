#include "CompletedTasks.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace morvane {

std::array<int, kCompCols> CompletedColumnWidths(int tableWidth, int ppi, int scrollBar, int frame,
                                                 const ShortColumnMinimums &atLeast)
{
    std::array<int, kCompCols> w{ppi * 70 / 96, ppi * 62 / 96, ppi * 58 / 96, ppi * 128 / 96, 0, 0};
    for (std::size_t c = 0; c < atLeast.size(); ++c)
        w[c] = std::max(w[c], atLeast[c]);
    const int rest = tableWidth - w[kCompDate] - w[kCompTime] - w[kCompCategory] - w[kCompOrigDate] - scrollBar
                     - frame - 6;
    w[kCompNotes] = w[kCompNotesDone] = std::max(0, rest) / 2;
    return w;
}

namespace {

bool isDayName(QStringView word, const FormatSettings &fs)
{
    for (std::size_t i = 0; i < fs.shortDayNames.size(); ++i)
        if (word.compare(fs.shortDayNames[i], Qt::CaseInsensitive) == 0
            || word.compare(fs.longDayNames[i], Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

}  // namespace

bool ReadCompletedDate(QStringView text, const FormatSettings &fs, DateValue *out)
{
    text = text.trimmed();
    if (StrToDate(text, fs, out))
        return true;
    const qsizetype space = text.indexOf(u' ');
    if (space <= 0 || !isDayName(text.first(space), fs))
        return false;
    return StrToDate(text.sliced(space + 1).trimmed(), fs, out);
}

void SortCompletedRows(Grid &table, int column, bool ascending, const FormatSettings &fs)
{
    const int n = table.rowCount() - 1;
    if (n < 2 || column < 0 || column >= kCompCols)
        return;

    // Each row's dates and time, read once: a cell that is no date (or no
    // time, such as "All day") sorts first. A time compared as text would
    // put "10:05 AM" before "9:00 AM".
    constexpr int kValued[] = {kCompDate, kCompOrigDate, kCompTime};
    struct Values {
        bool read[3] = {false, false, false};
        DateValue value[3] = {0, 0, 0};
    };
    std::vector<Values> values(std::size_t(table.rowCount()));
    for (int r = 1; r < table.rowCount(); ++r) {
        Values &v = values[std::size_t(r)];
        v.read[0] = ReadCompletedDate(table.cell(kCompDate, r), fs, &v.value[0]);
        v.read[1] = ReadCompletedDate(table.cell(kCompOrigDate, r), fs, &v.value[1]);
        v.read[2] = StrToTime(table.cell(kCompTime, r).trimmed(), fs, &v.value[2]);
    }
    auto compareColumn = [&](int a, int b, int col) {
        const auto *valued = std::find(std::begin(kValued), std::end(kValued), col);
        if (valued == std::end(kValued))
            return CompareCellBytes(table.cellUtf8(col, a), table.cellUtf8(col, b));
        const auto k = std::size_t(valued - std::begin(kValued));
        const Values &da = values[std::size_t(a)], &db = values[std::size_t(b)];
        if (!da.read[k] || !db.read[k])
            return int(da.read[k]) - int(db.read[k]);
        return da.value[k] < db.value[k] ? -1 : da.value[k] > db.value[k] ? 1 : 0;
    };
    // Ties go to the next columns, up to "What"; "Comp Notes" only counts
    // when it is the heading clicked.
    const int lastTieColumn = kCompNotes;
    auto compareRows = [&](int a, int b) {
        if (const int c = compareColumn(a, b, column))
            return c;
        for (int col = column + 1; col <= lastTieColumn; ++col)
            if (const int c = compareColumn(a, b, col))
                return c;
        return 0;
    };

    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compareRows(a, b);
        return ascending ? c < 0 : c > 0;
    });

    const Grid copy = table;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < table.colCount(); ++c)
            table.setCellUtf8(c, i + 1, copy.cellUtf8(c, order[std::size_t(i)]));
}

bool ClickCompletedHeading(Grid &table, int column, CompletedSortState &state, const FormatSettings &fs)
{
    if (table.rowCount() < 3 || column < 0 || column >= kCompCols)
        return false;
    state.ascending = column == state.column ? !state.ascending : true;
    state.column = column;
    SortCompletedRows(table, column, state.ascending, fs);
    return true;
}

void DeleteCompletedRow(Grid &table, int row)
{
    if (row < 1 || row >= table.rowCount())
        return;
    table.deleteBodyRow(row);
}

void ClearCompletedTable(Grid &table)
{
    ClearGridBody(table);
    table.setRowCount(2);
}

void ShapeCompletedTable(Grid &table)
{
    if (table.colCount() < kCompCols)
        table.setColCount(kCompCols);
    if (table.rowCount() < 2)
        table.setRowCount(2);
    SetCompletedHeaders(table);
}

}  // namespace morvane
