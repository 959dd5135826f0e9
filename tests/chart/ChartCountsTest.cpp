#include "ChartCounts.h"
#include "ChartStores.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <climits>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

const FormatSettings kFs = fix2000(FormatSettings::enUS());

ChartReadings plot(const Grid &store, ChartRange range, const TaskFilter &filter = {})
{
    return PlotReadings(store, filter, range, kFs);
}

// n not-done tasks in 1990, outside every range the tests chart: they make
// the store large without being counted.
QList<ChartTask> filler(int n)
{
    QList<ChartTask> out;
    for (int i = 0; i < n; ++i)
        out.append(ChartTask{QDate(1990, 1, 1).addDays(i)});
    return out;
}

std::vector<DayPoint> points(std::initializer_list<std::pair<QDate, int>> list)
{
    std::vector<DayPoint> out;
    for (const auto &[date, count] : list)
        out.push_back(DayPoint{DayNumber(date), count});
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Day by day

TEST(ChartCounts, DailyBucketsGiveOnePointPerDayForEachState)
{
    const Grid store = ChartStore({{QDate(2000, 3, 1), "9:00 AM", "Work", true},
                                   {QDate(2000, 3, 1), "10:00 AM", "Work", false},
                                   {QDate(2000, 3, 3), "11:00 AM", "Home", false}});
    const ChartReadings r = plot(store, {Day(2000, 3, 1), Day(2000, 3, 31)});
    EXPECT_EQ(r.mode, BucketMode::Daily);
    EXPECT_EQ(r.tasks, 3);
    EXPECT_EQ(r.dayDone, points({{QDate(2000, 3, 1), 1}}));
    EXPECT_EQ(r.dayNotDone, points({{QDate(2000, 3, 1), 1}, {QDate(2000, 3, 3), 1}}));
}

TEST(ChartCounts, BucketModeTurnsWeeklyAtOneHundredRowsAndOneHundredDays)
{
    EXPECT_EQ(ChooseBucketMode(99, {0, 1000}), BucketMode::Daily);
    EXPECT_EQ(ChooseBucketMode(100, {0, 99}), BucketMode::Daily);
    EXPECT_EQ(ChooseBucketMode(100, {0, 100}), BucketMode::Weekly);
    EXPECT_EQ(ChooseBucketMode(5000, {10, 110}), BucketMode::Weekly);

    // Through a plot: tasks on 2, 3 and 9 March 2000; a range of 100 days.
    QList<ChartTask> tasks = {{QDate(2000, 3, 2)}, {QDate(2000, 3, 3)}, {QDate(2000, 3, 9)}};
    const ChartRange hundred{Day(2000, 3, 1), Day(2000, 3, 1) + 100};
    const ChartRange ninetyNine{Day(2000, 3, 1), Day(2000, 3, 1) + 99};

    // 98 rows of tasks and the header row: 99 rows, day by day.
    const Grid small = ChartStore(tasks + filler(95));
    ASSERT_EQ(small.rowCount(), 99);
    ChartReadings r = plot(small, hundred);
    EXPECT_EQ(r.mode, BucketMode::Daily);
    EXPECT_EQ(r.dayNotDone,
              points({{QDate(2000, 3, 2), 1}, {QDate(2000, 3, 3), 1}, {QDate(2000, 3, 9), 1}}));

    // 100 rows and 100 days: by parts of the month; 2 and 3 March share the
    // part that begins on the 1st, the 9th is in the part drawn on the 8th.
    const Grid large = ChartStore(tasks + filler(96));
    ASSERT_EQ(large.rowCount(), 100);
    r = plot(large, hundred);
    EXPECT_EQ(r.mode, BucketMode::Weekly);
    EXPECT_EQ(r.dayNotDone, points({{QDate(2000, 3, 1), 2}, {QDate(2000, 3, 8), 1}}));

    // 100 rows but 99 days: day by day again.
    r = plot(large, ninetyNine);
    EXPECT_EQ(r.mode, BucketMode::Daily);
    EXPECT_EQ(r.dayNotDone.size(), 3u);
}

TEST(ChartCounts, WeeklyKeysKeepNovemberApartFromTheNextJanuary)
{
    // Under a year factor of 100 both dates had the key 200110.
    EXPECT_NE(BucketKey(BucketMode::Weekly, Day(2000, 11, 3)), BucketKey(BucketMode::Weekly, Day(2001, 1, 4)));
    EXPECT_EQ(BucketKey(BucketMode::Weekly, Day(2000, 11, 3)), 2000110);
    EXPECT_EQ(BucketKey(BucketMode::Weekly, Day(2001, 1, 4)), 2001010);
    EXPECT_EQ(BucketKey(BucketMode::Weekly, Day(2000, 12, 31)), 2000124);
    EXPECT_EQ(BucketKey(BucketMode::Daily, Day(2000, 11, 3)), Day(2000, 11, 3));

    // With no task in December the two weeks stay two points.
    const Grid store = ChartStore(QList<ChartTask>{{QDate(2000, 11, 3)}, {QDate(2001, 1, 4)}} + filler(120));
    const ChartReadings r = plot(store, {Day(2000, 10, 1), Day(2001, 2, 28)});
    ASSERT_EQ(r.mode, BucketMode::Weekly);
    EXPECT_EQ(r.dayNotDone, points({{QDate(2000, 11, 1), 1}, {QDate(2001, 1, 1), 1}}));
}

TEST(ChartCounts, EachPartOfAMonthIsDrawnOnADateOfItsOwn)
{
    int expected[32] = {};
    for (int d = 1; d <= 31; ++d)
        expected[d] = d <= 6 ? 1 : d <= 13 ? 8 : d <= 20 ? 15 : d <= 27 ? 22 : 28;
    for (int d = 1; d <= 31; ++d)
        EXPECT_EQ(PlottedDay(BucketMode::Weekly, Day(2001, 1, d)), Day(2001, 1, expected[d])) << d;
    EXPECT_EQ(PlottedDay(BucketMode::Daily, Day(2001, 1, 7)), Day(2001, 1, 7));

    // The 6th and the 7th are in different parts, so their points must not
    // fall on one date.
    const Grid store = ChartStore(QList<ChartTask>{{QDate(2001, 1, 6)}, {QDate(2001, 1, 7)}} + filler(120));
    const ChartReadings r = plot(store, {Day(2000, 10, 1), Day(2001, 2, 28)});
    EXPECT_EQ(r.dayNotDone, points({{QDate(2001, 1, 1), 1}, {QDate(2001, 1, 8), 1}}));
}

// ---------------------------------------------------------------------------
// Weekdays and half hours

TEST(ChartCounts, WeekdaysAndHalfHours)
{
    EXPECT_EQ(HalfHourSlot(QTime(0, 0)), 0);
    EXPECT_EQ(HalfHourSlot(QTime(9, 29, 59)), 18);
    EXPECT_EQ(HalfHourSlot(QTime(9, 30)), 19);
    EXPECT_EQ(HalfHourSlot(QTime(23, 59)), 47);
    EXPECT_EQ(HalfHourLabel(18, kFs), "9:00 AM");
    EXPECT_EQ(HalfHourLabel(19, kFs), "9:30 AM");
    EXPECT_EQ(HalfHourLabel(0, kFs), "12:00 AM");
    EXPECT_EQ(HalfHourLabel(47, kFs), "11:30 PM");

    // 2 June 2000 was a Friday; 4 June a Sunday.
    const Grid store = ChartStore({{QDate(2000, 6, 2), "9:29 AM", "Work", true},
                                   {QDate(2000, 6, 2), "9:30 AM", "Work", false},
                                   {QDate(2000, 6, 2), "21:30", "Work", false},
                                   {QDate(2000, 6, 4), "", "Home", false},
                                   {QDate(2000, 6, 4), "soon", "Home", true},
                                   {QDate(2000, 6, 4), "All day", "Home", true}});
    const ChartReadings r = plot(store, {Day(2000, 6, 1), Day(2000, 6, 30)});
    EXPECT_EQ(r.weekDone[6], 1);
    EXPECT_EQ(r.weekNotDone[6], 2);
    EXPECT_EQ(r.weekDone[1], 2);
    EXPECT_EQ(r.weekNotDone[1], 1);
    for (int w : {2, 3, 4, 5, 7})
        EXPECT_EQ(r.weekDone[std::size_t(w)] + r.weekNotDone[std::size_t(w)], 0) << w;
    EXPECT_EQ(r.hourDone[18], 1);
    EXPECT_EQ(r.hourNotDone[18], 0);
    EXPECT_EQ(r.hourNotDone[19], 1);
    EXPECT_EQ(r.hourNotDone[43], 1);
    // No time, a text that is not a time, an "All day" task: no half hour,
    // so none of the half hours counts them ...
    int hours = 0;
    for (std::size_t s = 0; s < 48; ++s)
        hours += r.hourDone[s] + r.hourNotDone[s];
    EXPECT_EQ(hours, 3);
    // ... while every other count takes them.
    EXPECT_EQ(r.tasks, 6);
    EXPECT_EQ(r.dayDone, points({{QDate(2000, 6, 2), 1}, {QDate(2000, 6, 4), 2}}));
    EXPECT_EQ(r.dayNotDone, points({{QDate(2000, 6, 2), 2}, {QDate(2000, 6, 4), 1}}));
    ASSERT_EQ(r.categories.size(), 2u);
    EXPECT_EQ(r.categories[0], (CategoryRow{"Home", 2, 1}));
}

// ---------------------------------------------------------------------------
// Which rows count

TEST(ChartCounts, RangeEndsAreIncludedAndFreeRowsAreNotTasks)
{
    Grid store = ChartStore({{QDate(2000, 2, 29)},
                             {QDate(2000, 3, 1)},
                             {QDate(2000, 3, 31)},
                             {QDate(2000, 4, 1)}});
    const ChartRange march{Day(2000, 3, 1), Day(2000, 3, 31)};
    EXPECT_EQ(plot(store, march).tasks, 2);
    EXPECT_FALSE(IsEventOkToChart(store, 1, march, {}));
    EXPECT_TRUE(IsEventOkToChart(store, 2, march, {}));
    EXPECT_TRUE(IsEventOkToChart(store, 3, march, {}));
    EXPECT_FALSE(IsEventOkToChart(store, 4, march, {}));

    // An empty row (a store of no tasks keeps one) counts as nothing, even
    // in a range that takes in day 0.
    Grid empty = NewStoreGrid();
    empty.setRowCount(2);
    const ChartRange wide{ClampChartDay(INT_MIN), ClampChartDay(INT_MAX)};
    EXPECT_FALSE(IsEventOkToChart(empty, 1, wide, {}));
    const ChartReadings r = plot(empty, wide);
    EXPECT_EQ(r.tasks, 0);
    EXPECT_TRUE(r.categories.empty());
    EXPECT_TRUE(r.dayDone.empty() && r.dayNotDone.empty());
    EXPECT_EQ(r.heading, "All tasks from 9/14/1752 through 12/31/9999");

    // A reversed range charts nothing and does not fail.
    EXPECT_EQ(plot(store, {Day(2000, 3, 31), Day(2000, 3, 1)}).tasks, 0);
}

TEST(ChartCounts, FilterSetsTheHeadingAndHidesTasksEverywhere)
{
    const Grid store = ChartStore({{QDate(2000, 6, 2), "9:00 AM", "Work", true},
                                   {QDate(2000, 6, 3), "9:00 AM", "Home", false},
                                   {QDate(2000, 6, 3), "10:00 AM", "Garden", false}});
    const ChartRange june{Day(2000, 6, 1), Day(2000, 6, 30)};
    EXPECT_EQ(plot(store, june).heading, "All tasks from 6/1/2000 through 6/30/2000");

    TaskFilter filter;
    filter.setShowDone(false);
    filter.setCategories({{"Garden", false}, {"Home", true}});
    ASSERT_TRUE(filter.FiltersOn());
    const ChartReadings r = plot(store, june, filter);
    EXPECT_EQ(r.heading, "Filtered tasks from 6/1/2000 through 6/30/2000");
    EXPECT_EQ(r.tasks, 1);
    EXPECT_EQ(r.weekDone[6], 0);
    EXPECT_EQ(r.weekNotDone[7], 1);
    EXPECT_EQ(r.hourDone[18], 0);
    EXPECT_EQ(r.hourNotDone[18], 1);
    EXPECT_EQ(r.hourNotDone[20], 0);
    EXPECT_TRUE(r.dayDone.empty());
    EXPECT_EQ(r.dayNotDone, points({{QDate(2000, 6, 3), 1}}));
    ASSERT_EQ(r.categories.size(), 1u);
    EXPECT_EQ(r.categories[0], (CategoryRow{"Home", 0, 1}));
}

// ---------------------------------------------------------------------------
// Categories

TEST(ChartCounts, CategoriesAreComparedByteForByteAndBlanksAreNamed)
{
    const Grid store = ChartStore({{QDate(2000, 6, 2), "9:00 AM", "Work", true},
                                   {QDate(2000, 6, 2), "9:00 AM", "work", false},
                                   {QDate(2000, 6, 3), "9:00 AM", "", false},
                                   {QDate(2000, 6, 3), "9:00 AM", "   ", true},
                                   {QDate(2000, 6, 4), "9:00 AM", "Work", false},
                                   {QDate(2000, 6, 4), "9:00 AM", QString::fromUtf8("Café"), false}});
    ChartReadings r = plot(store, {Day(2000, 6, 1), Day(2000, 6, 30)});
    ASSERT_EQ(r.categories.size(), 4u);
    // Top-ten order: most done first, then most not done.
    EXPECT_EQ(r.categories[0], (CategoryRow{"Work", 1, 1}));
    EXPECT_EQ(r.categories[1], (CategoryRow{"BLANK CATEGORY", 1, 1}));
    EXPECT_EQ(r.categories[2], (CategoryRow{"work", 0, 1}));
    EXPECT_EQ(r.categories[3], (CategoryRow{QString::fromUtf8("Café"), 0, 1}));

    const Grid g = CategoryGrid(r.categories);
    EXPECT_EQ(g.rowCount(), 5);
    EXPECT_EQ(QStringList({g.cell(0, 0), g.cell(1, 0), g.cell(2, 0), g.cell(3, 0)}),
              QStringList({"Category", "Done", "Not done", "Total"}));
    EXPECT_EQ(QStringList({g.cell(0, 2), g.cell(1, 2), g.cell(2, 2), g.cell(3, 2)}),
              QStringList({"BLANK CATEGORY", "1", "1", "2"}));
}

TEST(ChartCounts, TopTenTakesTheMostDoneTasks)
{
    // Category i has i done tasks; "Lots" has only not-done tasks, more than
    // any other category has in all.
    QList<ChartTask> tasks;
    for (int i = 1; i <= 12; ++i)
        for (int k = 0; k < i; ++k)
            tasks.append(ChartTask{QDate(2000, 6, 1 + k % 28), "9:00 AM", QStringLiteral("C%1").arg(i), true});
    for (int k = 0; k < 40; ++k)
        tasks.append(ChartTask{QDate(2000, 6, 1 + k % 28), "9:00 AM", "Lots", false});
    // Two with equal done counts: the one with more not-done tasks first.
    tasks.append(ChartTask{QDate(2000, 6, 5), "9:00 AM", "C5", false});
    const ChartReadings r = plot(ChartStore(tasks), {Day(2000, 6, 1), Day(2000, 6, 30)});
    ASSERT_EQ(r.topTen.size(), 10u);
    QStringList names;
    for (const CategoryRow &c : r.topTen)
        names << c.name;
    EXPECT_EQ(names, QStringList({"C12", "C11", "C10", "C9", "C8", "C7", "C6", "C5", "C4", "C3"}));
    EXPECT_EQ(r.topTen[7], (CategoryRow{"C5", 5, 1}));
    EXPECT_EQ(r.categories.size(), 13u);
    EXPECT_EQ(r.categories.back(), (CategoryRow{"Lots", 0, 40}));

    std::vector<CategoryRow> tie = {{"A", 2, 1}, {"B", 2, 3}, {"C", 2, 3}, {"D", 5, 0}};
    SortForTopTen(tie);
    EXPECT_EQ(tie[0].name, "D");
    EXPECT_EQ(tie[1].name, "B");
    EXPECT_EQ(tie[2].name, "C");
    EXPECT_EQ(tie[3].name, "A");
}

TEST(ChartCounts, CategoryListSortsNamesByteForByteAndCountsAsNumbers)
{
    Grid g = CategoryGrid({{"beta", 9, 0}, {"Alpha", 10, 5}, {"gamma", 2, 100}, {"Delta", 0, 0}, {u"\u00c9t\u00e9"_s, 1, 1}});
    auto names = [&] {
        QStringList out;
        for (int r = 1; r < g.rowCount(); ++r)
            out << g.cell(0, r);
        return out;
    };
    SortCategoryGrid(g, 1, true);
    EXPECT_EQ(names(), QStringList({"Delta", u"\u00c9t\u00e9"_s, "gamma", "beta", "Alpha"}));  // 0, 1, 2, 9, 10
    SortCategoryGrid(g, 1, false);
    EXPECT_EQ(names(), QStringList({"Alpha", "beta", "gamma", u"\u00c9t\u00e9"_s, "Delta"}));
    SortCategoryGrid(g, 3, false);
    EXPECT_EQ(names(), QStringList({"gamma", "Alpha", "beta", u"\u00c9t\u00e9"_s, "Delta"}));  // 102, 15, 9, 2, 0
    // Names byte for byte: capitals, then small letters, then accented ones.
    SortCategoryGrid(g, 0, false);
    EXPECT_EQ(names(), QStringList({u"\u00c9t\u00e9"_s, "gamma", "beta", "Delta", "Alpha"}));
    SortCategoryGrid(g, 0, true);
    EXPECT_EQ(names(), QStringList({"Alpha", "Delta", "beta", "gamma", u"\u00c9t\u00e9"_s}));
    // The rows move whole.
    EXPECT_EQ(g.cell(3, 1), "15");

    // A count that is not a number sorts as 0.
    g.setCell(2, 1, u"lots");
    SortCategoryGrid(g, 2, true);
    EXPECT_EQ(names().first(), "Alpha");

    // Equal counts are ordered by the next column to the right, in the same
    // direction, as the plot orders its top ten.
    Grid tie = CategoryGrid({{"a", 3, 1}, {"b", 3, 7}, {"c", 1, 0}, {"d", 3, 4}});
    SortCategoryGrid(tie, 1, false);
    EXPECT_EQ(tie.cell(0, 1) + tie.cell(0, 2) + tie.cell(0, 3) + tie.cell(0, 4), u"bdac"_s);
    SortCategoryGrid(tie, 1, true);
    EXPECT_EQ(tie.cell(0, 1) + tie.cell(0, 2) + tie.cell(0, 3) + tie.cell(0, 4), u"cadb"_s);
}

// ---------------------------------------------------------------------------
// The stored range

TEST(ChartCounts, StoredRangeDefaultsRoundTripsAndStaysOnTheCalendar)
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("Task.conf"));
    const int today = Day(2001, 3, 31);
    EXPECT_EQ(ReadChartRange(settings, today), (ChartRange{Day(1998, 1, 1), today}));
    EXPECT_EQ(kChartDefaultStart, Day(1998, 1, 1));
    EXPECT_TRUE(settings.read(kAnimateSetting));

    WriteChartRange(settings, {Day(2000, 1, 1), Day(2000, 12, 31)});
    EXPECT_EQ(settings.raw("Options", "ChartStart"), QString::number(Day(2000, 1, 1)));
    EXPECT_EQ(settings.raw("Options", "ChartEnd"), QString::number(Day(2000, 12, 31)));
    EXPECT_EQ(ReadChartRange(settings, today), (ChartRange{Day(2000, 1, 1), Day(2000, 12, 31)}));

    // Values edited by hand beyond the calendar come back inside it.
    settings.writeText("Options", "ChartStart", "-2000000000");
    settings.writeText("Options", "ChartEnd", "0x7fffffff");
    EXPECT_EQ(ReadChartRange(settings, today), (ChartRange{Day(1752, 9, 14), Day(9999, 12, 31)}));
}
