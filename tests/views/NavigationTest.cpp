#include "Navigation.h"
#include "Utility.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {

// A store from (date, category, done) triples, sorted as the program keeps it.
Grid storeOf(const std::vector<std::tuple<QDate, const char *, const char *>> &tasks)
{
    Grid g = NewStoreGrid();
    g.setRowCount(int(tasks.size()) + 1);
    int r = 1;
    for (const auto &[date, category, done] : tasks) {
        g.setCell(kStoreKey, r, MakeStoreKey(DayNumber(date), 101));
        g.setCell(kStoreCategory, r, QString::fromLatin1(category));
        g.setCell(kStoreNotes, r, u"task");
        g.setCell(kStoreDone, r, QString::fromLatin1(done));
        ++r;
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    return g;
}

QDate next(const Grid &g, const QDate &d, Highlight h = {}, const TaskFilter &f = {})
{
    return DateOfDay(NextHighlightedDay(g, DayNumber(d), h, f));
}
QDate prior(const Grid &g, const QDate &d, Highlight h = {}, const TaskFilter &f = {})
{
    return DateOfDay(PriorHighlightedDay(g, DayNumber(d), h, f));
}

}  // namespace

TEST(HighlightedDays, NextAndPriorFindTheNearestDayWithAShownTask)
{
    const Grid g = storeOf({{QDate(2026, 3, 3), "Work", "No"},
                            {QDate(2026, 3, 10), "Work", "No"},
                            {QDate(2026, 3, 20), "Work", "No"},
                            {QDate(2027, 1, 5), "Home", "Yes"}});
    const Highlight notDone{false, true};
    EXPECT_EQ(next(g, QDate(2026, 3, 10), notDone), QDate(2026, 3, 20));
    EXPECT_EQ(prior(g, QDate(2026, 3, 10), notDone), QDate(2026, 3, 3));
    EXPECT_EQ(next(g, QDate(2026, 3, 20), notDone), QDate(2026, 3, 20));  // none after: stays
    EXPECT_EQ(prior(g, QDate(2026, 3, 3), notDone), QDate(2026, 3, 3));
    // From a day without tasks, across months and years.
    EXPECT_EQ(next(g, QDate(2025, 12, 31), notDone), QDate(2026, 3, 3));
    EXPECT_EQ(next(g, QDate(2026, 3, 21)), QDate(2027, 1, 5));
    EXPECT_EQ(prior(g, QDate(2027, 6, 1)), QDate(2027, 1, 5));
    // A done day is skipped without the done colour, and nothing is
    // highlighted with both colours off.
    EXPECT_EQ(next(g, QDate(2026, 3, 21), notDone), QDate(2026, 3, 21));
    EXPECT_EQ(next(g, QDate(2026, 3, 1), Highlight{false, false}), QDate(2026, 3, 1));
    EXPECT_EQ(prior(g, QDate(2027, 6, 1), Highlight{true, false}), QDate(2027, 1, 5));
    // A task the filter hides makes no target.
    TaskFilter work;
    work.setCategories({{"Home", false}, {"Work", true}});
    EXPECT_EQ(next(g, QDate(2026, 3, 21), {}, work), QDate(2026, 3, 21));
}

TEST(HighlightedDays, MonthAndYearStepsKeepTheDayWithinTheMonth)
{
    EXPECT_EQ(StepMonths(QDate(2027, 1, 31), 1), QDate(2027, 2, 28));
    EXPECT_EQ(StepMonths(QDate(2028, 1, 31), 1), QDate(2028, 2, 29));
    EXPECT_EQ(StepMonths(QDate(2000, 2, 29), 12), QDate(2001, 2, 28));
    EXPECT_EQ(StepMonths(QDate(2026, 3, 31), -1), QDate(2026, 2, 28));
    EXPECT_EQ(StepMonths(QDate(2026, 12, 15), 1), QDate(2027, 1, 15));
}
