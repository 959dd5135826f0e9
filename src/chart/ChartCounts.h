#pragma once
// The counting behind the chart window, without any widget: which store rows
// a chart takes, the weekday, half-hour and day-by-day counts of done and
// not-done tasks, the category table and its top ten, the heading, and the
// stored range. The window only turns these figures into series.

#include "Grid.h"
#include "SettingsStore.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QByteArrayView>
#include <QString>
#include <QTime>
#include <array>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace morvane {

// The days a chart covers, as day numbers, both ends included.
struct ChartRange {
    int start = 0;
    int end = 0;
    bool operator==(const ChartRange &) const = default;
};

// 1 January 1998, the first day of a chart before the person picks a range.
constexpr int kChartDefaultStart = 35796;

// Where the range and the animation switch live between runs.
constexpr IntSetting kChartStartSetting{"Options", "ChartStart", kChartDefaultStart};
constexpr BoolSetting kAnimateSetting{"Options", "Animate", true};
// ChartEnd defaults to today, so it is declared with today's day number.
IntSetting ChartEndSetting(int today);

// The stored range; a value written by hand that lies outside the days a
// date box can show (14 September 1752 to 31 December 9999) is brought back
// inside them, so no date conversion ever leaves the calendar.
ChartRange ReadChartRange(const SettingsStore &settings, int today);
void WriteChartRange(SettingsStore &settings, const ChartRange &range);
int ClampChartDay(int day);

// Which row of the range dialog is chosen and the two counts; the chart keeps the
// last choice for the rest of the run.
struct RangeChoice {
    enum Row { Between = 0, Months = 1, Days = 2 };
    int row = Between;
    int months = 1;
    int days = 1;
    bool operator==(const RangeChoice &) const = default;
};

// Whether the day-by-day page counts each day or the five parts of each
// month: by parts once the store is large (100 rows, the header row
// included) and the range long (100 days).
enum class BucketMode { Daily, Weekly };
BucketMode ChooseBucketMode(int storeRowCount, const ChartRange &range);

// The bucket a day falls in: the day itself, or in weekly mode
// year × 1000 + month × 10 + (day of month div 7), so days 1-6, 7-13, 14-20,
// 21-27 and 28-31 of a month share a key. (A year factor of 100 would give
// November of one year the keys of January of the next.)
int BucketKey(BucketMode mode, int day);
// The day a bucket's point is drawn at: the day that opened it, or in weekly
// mode the 1st, 8th, 15th, 22nd or 28th of its month, one for each part, so
// that two parts never share a date.
int PlottedDay(BucketMode mode, int day);

// The half hour of a time of day: hour × 2, plus 1 from minute 30 on.
int HalfHourSlot(const QTime &time);
// The label of a half-hour slot: its start in the short time format.
QString HalfHourLabel(int slot, const FormatSettings &fs);

// The heading: "All tasks " or "Filtered tasks ", then "from <start>
// through <end>" in the short date format.
QString ChartHeading(bool filtersOn, const ChartRange &range, const FormatSettings &fs);

// Whether a store row is charted: its day lies in the range and the filter
// shows it.
bool IsEventOkToChart(const Grid &store, int row, const ChartRange &range, const TaskFilter &filter);

// A task counts as done when its done cell is exactly "Yes".
bool IsDoneCell(QByteArrayView done);

constexpr const char *kBlankCategory = "BLANK CATEGORY";

struct CategoryRow {
    QString name;
    int done = 0;
    int notDone = 0;
    int total() const { return done + notDone; }
    bool operator==(const CategoryRow &) const = default;
};

// The category table as it fills: one row per category in the order they
// are first met. Names are compared byte for byte, so "Work" and "work" are
// two rows; an empty or blank category is "BLANK CATEGORY".
class CategoryTable {
public:
    // Counts one task of the category (its UTF-8 bytes). The bytes are
    // remembered by reference until rows() is called, so they must outlive
    // the counting (store cells do, while the store does not change).
    void AddToGrid(QByteArrayView category, bool done);
    // The rows, in the order first met.
    std::vector<CategoryRow> rows() const;
    int size() const { return int(counts_.size()); }

private:
    struct Count {
        QByteArrayView name;
        int done = 0;
        int notDone = 0;
    };
    std::vector<Count> counts_;
    std::unordered_map<std::string_view, int> index_;
};

// The top-ten order: most done tasks first; equal done counts by most
// not-done tasks; equal in both, in the order first met.
void SortForTopTen(std::vector<CategoryRow> &rows);
// The first ten rows of a table in top-ten order.
std::vector<CategoryRow> TopTen(const std::vector<CategoryRow> &sorted);

// The category table as the window's list shows it: a header row
// "Category", "Done", "Not done", "Total", then one row per category with
// the counts as decimal text.
Grid CategoryGrid(const std::vector<CategoryRow> &rows);
// Sorts the list by a column: the category byte for byte (so "Work" before
// "work"), the three counts as numbers (a count that is not a number counts
// as 0). Rows equal in that column are ordered by the next columns to the
// right, up to "Not done"; rows equal in all of them keep their order.
void SortCategoryGrid(Grid &grid, int column, bool ascending);

struct DayPoint {
    int day = 0;    // the plotted day number
    int count = 0;
    bool operator==(const DayPoint &) const = default;
};

// Everything one plot counts.
struct ChartReadings {
    BucketMode mode = BucketMode::Daily;
    QString heading;
    int tasks = 0;                       // rows charted
    std::array<int, 8> weekDone{};       // 1 = Sunday .. 7 = Saturday; 0 unused
    std::array<int, 8> weekNotDone{};
    std::array<int, 48> hourDone{};      // half-hour slots 0 .. 47, tasks with a time
    std::array<int, 48> hourNotDone{};
    std::vector<DayPoint> dayDone;       // one point per bucket with a done task
    std::vector<DayPoint> dayNotDone;
    std::vector<CategoryRow> categories; // every category, in top-ten order
    std::vector<CategoryRow> topTen;
};

// Counts the store rows of the range that the filter shows. The store is in
// store order (by day), which keeps each bucket's days together and lets the
// count start at the range's first day. A task whose time cell is not a time
// ("All day", empty) is in no half hour and counts everywhere else.
ChartReadings PlotReadings(const Grid &store, const TaskFilter &filter, const ChartRange &range,
                           const FormatSettings &fs);

}  // namespace morvane
