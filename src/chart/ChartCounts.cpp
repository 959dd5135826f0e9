#include "ChartCounts.h"

#include <QDate>
#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// The days a date box can show.
int firstShowableDay() { return DayNumber(QDate(1752, 9, 14)); }
int lastShowableDay() { return DayNumber(QDate(9999, 12, 31)); }

std::string_view view(QByteArrayView b) { return std::string_view(b.data(), std::size_t(b.size())); }

bool isBlankBytes(QByteArrayView b)
{
    // The blanks IsBlankText allows; all of them are single bytes in UTF-8.
    return std::all_of(b.begin(), b.end(), [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\b'; });
}

// Day 1 (31 December 1899) was a Sunday.
int weekdayOfDay(int day) { return int(((qint64(day) - 1) % 7 + 7) % 7) + 1; }

}  // namespace

IntSetting ChartEndSetting(int today) { return IntSetting{"Options", "ChartEnd", today}; }

int ClampChartDay(int day) { return std::clamp(day, firstShowableDay(), lastShowableDay()); }

ChartRange ReadChartRange(const SettingsStore &settings, int today)
{
    return ChartRange{ClampChartDay(settings.read(kChartStartSetting)),
                      ClampChartDay(settings.read(ChartEndSetting(today)))};
}

void WriteChartRange(SettingsStore &settings, const ChartRange &range)
{
    settings.write(kChartStartSetting, range.start);
    settings.write(ChartEndSetting(range.end), range.end);
}

BucketMode ChooseBucketMode(int storeRowCount, const ChartRange &range)
{
    const bool manyRows = storeRowCount >= 100;
    const bool longRange = qint64(range.end) - range.start >= 100;
    return manyRows && longRange ? BucketMode::Weekly : BucketMode::Daily;
}

int BucketKey(BucketMode mode, int day)
{
    if (mode == BucketMode::Daily)
        return day;
    const QDate date = DateOfDay(day);
    return date.year() * 1000 + date.month() * 10 + date.day() / 7;
}

int PlottedDay(BucketMode mode, int day)
{
    if (mode == BucketMode::Daily)
        return day;
    const QDate date = DateOfDay(day);
    static constexpr int kPartStart[] = {1, 8, 15, 22, 28};
    return DayNumber(QDate(date.year(), date.month(), kPartStart[date.day() / 7]));
}

int HalfHourSlot(const QTime &time)
{
    if (!time.isValid())
        return 0;
    return time.hour() * 2 + (time.minute() >= 30 ? 1 : 0);
}

QString HalfHourLabel(int slot, const FormatSettings &fs)
{
    return FormatDateTime(u"t", TimeValue(slot / 2, slot % 2 ? 30 : 0), fs);
}

QString ChartHeading(bool filtersOn, const ChartRange &range, const FormatSettings &fs)
{
    auto date = [&](int day) { return FormatDateTime(u"ddddd", ToDateValue(DateOfDay(day)), fs); };
    return (filtersOn ? u"Filtered tasks "_s : u"All tasks "_s) +
           u"from %1 through %2"_s.arg(date(range.start), date(range.end));
}

bool IsDoneCell(QByteArrayView done) { return done == QByteArrayView("Yes"); }

bool IsEventOkToChart(const Grid &store, int row, const ChartRange &range, const TaskFilter &filter)
{
    // A row whose key is empty is a free row, not a task.
    const QByteArrayView key = store.cellUtf8(kStoreKey, row);
    if (key.isEmpty())
        return false;
    const int d = KeyDay(key);
    if (d < range.start || d > range.end)
        return false;
    return filter.rowPasses(store, row);
}

// ---------------------------------------------------------------------------
// The category table

void CategoryTable::AddToGrid(QByteArrayView category, bool done)
{
    if (isBlankBytes(category))
        category = QByteArrayView(kBlankCategory);
    auto [it, added] = index_.try_emplace(view(category), int(counts_.size()));
    if (added)
        counts_.push_back(Count{category});
    Count &c = counts_[std::size_t(it->second)];
    (done ? c.done : c.notDone) += 1;
}

std::vector<CategoryRow> CategoryTable::rows() const
{
    std::vector<CategoryRow> out;
    out.reserve(counts_.size());
    for (const Count &c : counts_)
        out.push_back(CategoryRow{QString::fromUtf8(c.name), c.done, c.notDone});
    return out;
}

void SortForTopTen(std::vector<CategoryRow> &rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const CategoryRow &a, const CategoryRow &b) {
        if (a.done != b.done)
            return a.done > b.done;
        return a.notDone > b.notDone;
    });
}

std::vector<CategoryRow> TopTen(const std::vector<CategoryRow> &sorted)
{
    std::vector<CategoryRow> out;
    for (const CategoryRow &r : sorted) {
        if (out.size() == 10)
            break;
        if (!r.name.isEmpty())
            out.push_back(r);
    }
    return out;
}

Grid CategoryGrid(const std::vector<CategoryRow> &rows)
{
    Grid g(4, int(rows.size()) + 1);
    const QString headers[] = {u"Category"_s, u"Done"_s, u"Not done"_s, u"Total"_s};
    const int widths[] = {296, 98, 81, 86};
    for (int c = 0; c < 4; ++c) {
        g.setCell(c, 0, headers[c]);
        g.setColWidth(c, widths[c]);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = int(i) + 1;
        g.setCell(0, r, rows[i].name);
        g.setCell(1, r, QString::number(rows[i].done));
        g.setCell(2, r, QString::number(rows[i].notDone));
        g.setCell(3, r, QString::number(rows[i].total()));
    }
    return g;
}

void SortCategoryGrid(Grid &grid, int column, bool ascending)
{
    if (column < 0 || column >= grid.colCount() || grid.rowCount() < 3)
        return;
    const int cols = grid.colCount();
    struct Row {
        QList<QByteArray> cells;
        std::vector<qint64> numbers;  // the counts; the name's place is unused
    };
    std::vector<Row> rows;
    for (int r = 1; r < grid.rowCount(); ++r) {
        Row row;
        for (int c = 0; c < cols; ++c) {
            row.cells.append(grid.cellUtf8(c, r).toByteArray());
            row.numbers.push_back(c > 0 ? SafeStrToInt(QString::fromUtf8(row.cells.back())) : 0);
        }
        rows.push_back(std::move(row));
    }
    // Rows equal in the sort column are ordered by the next columns to the
    // right, the last one (the total) excepted, so that "Done" from the
    // most is the order of the top ten.
    const int lastCompared = std::max(column, cols - 2);
    auto compare = [&](const Row &a, const Row &b) {
        for (int c = column; c <= lastCompared; ++c) {
            // A name byte for byte, as the table tells categories apart.
            const int order = c == 0 ? a.cells[0].compare(b.cells[0])
                                     : (a.numbers[std::size_t(c)] > b.numbers[std::size_t(c)]) -
                                           (a.numbers[std::size_t(c)] < b.numbers[std::size_t(c)]);
            if (order != 0)
                return order;
        }
        return 0;
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const Row &a, const Row &b) { return ascending ? compare(a, b) < 0 : compare(a, b) > 0; });
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (int c = 0; c < cols; ++c)
            grid.setCell(c, int(i) + 1, QString::fromUtf8(rows[i].cells[c]));
}

// ---------------------------------------------------------------------------
// One plot

ChartReadings PlotReadings(const Grid &store, const TaskFilter &filter, const ChartRange &range,
                           const FormatSettings &fs)
{
    ChartReadings out;
    out.mode = ChooseBucketMode(store.rowCount(), range);
    out.heading = ChartHeading(filter.FiltersOn(), range, fs);
    const BucketMode mode = out.mode;

    // Time texts repeat (a few hundred distinct ones in a large store), so
    // each distinct text is parsed once.
    std::unordered_map<std::string_view, int> slotOfText;
    CategoryTable categories;

    // The open bucket.
    bool open = false;
    int bucketKey = 0, bucketDay = 0, bucketDone = 0, bucketNotDone = 0;
    auto closeBucket = [&] {
        if (!open)
            return;
        const int plotted = PlottedDay(mode, bucketDay);
        if (bucketDone >= 1)
            out.dayDone.push_back(DayPoint{plotted, bucketDone});
        if (bucketNotDone >= 1)
            out.dayNotDone.push_back(DayPoint{plotted, bucketNotDone});
    };

    // The day of the previous row and what follows from it.
    int lastDay = INT_MIN, lastWeekday = 1, lastKey = 0;

    const int rows = store.rowCount();
    const int first = range.start > range.end ? rows : FirstRowOnOrAfter(store, range.start);
    for (int r = first; r < rows; ++r) {
        const QByteArrayView key = store.cellUtf8(kStoreKey, r);
        if (key.isEmpty())
            continue;
        const int d = KeyDay(key);
        if (d > range.end)
            break;  // the store is in day order
        if (d < range.start || !filter.rowPasses(store, r))
            continue;
        ++out.tasks;
        const bool done = IsDoneCell(store.cellUtf8(kStoreDone, r));

        if (d != lastDay) {
            lastDay = d;
            lastWeekday = weekdayOfDay(d);
            lastKey = BucketKey(mode, d);
        }
        (done ? out.weekDone : out.weekNotDone)[std::size_t(lastWeekday)] += 1;

        const QByteArrayView timeText = store.cellUtf8(kStoreTime, r);
        auto [slotIt, fresh] = slotOfText.try_emplace(view(timeText), -1);
        if (fresh) {
            DateValue v = 0;
            if (StrToTime(QString::fromUtf8(timeText), fs, &v))
                slotIt->second = HalfHourSlot(TimeOfValue(v));
        }
        // A task without a time of its own ("All day", an empty cell) has no
        // half hour; counted at the moment of plotting, it would make a peak
        // wherever the clock stood.
        if (const int slot = slotIt->second; slot >= 0)
            (done ? out.hourDone : out.hourNotDone)[std::size_t(slot)] += 1;

        if (!open || lastKey != bucketKey) {
            closeBucket();
            open = true;
            bucketKey = lastKey;
            bucketDay = d;
            bucketDone = bucketNotDone = 0;
        }
        (done ? bucketDone : bucketNotDone) += 1;

        categories.AddToGrid(store.cellUtf8(kStoreCategory, r), done);
    }
    closeBucket();

    out.categories = categories.rows();
    SortForTopTen(out.categories);
    out.topTen = TopTen(out.categories);
    return out;
}

}  // namespace morvane
