#include "Find.h"
#include "Utility.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {

Grid storeOf(const QList<std::tuple<QDate, QString, QString>> &tasks)
{
    Grid g = NewStoreGrid();
    g.setRowCount(int(tasks.size()) + 1);
    int r = 1;
    for (const auto &[date, category, notes] : tasks) {
        g.setCell(kStoreKey, r, MakeStoreKey(DayNumber(date), 101));
        g.setCell(kStoreCategory, r, category);
        g.setCell(kStoreNotes, r, notes);
        g.setCell(kStoreDone, r, u"No");
        ++r;
    }
    return g;
}

}  // namespace

TEST(Find, TheDentistBothWays)
{
    const Grid g = storeOf({{QDate(2026, 5, 1), "Home", "Buy milk"},
                            {QDate(2026, 5, 3), "Health", "Call dentist"},
                            {QDate(2026, 5, 9), "Health", "dentist 2pm"}});
    const TaskFilter all;
    FindState s;
    FindRequest down{"dentist", true, false, false};
    EXPECT_EQ(FindStep(g, all, s, down).row, 2);
    EXPECT_EQ(FindStep(g, all, s, down).row, 3);
    const FindResult none = FindStep(g, all, s, down);
    EXPECT_EQ(none.row, -1);
    EXPECT_EQ(none.notFound, "Could not find \"dentist\" in any calendar task. Search reset to first task date");
    EXPECT_EQ(FindStep(g, all, s, down).row, 2);  // again from the top

    // Upward from a fresh start begins at the last task.
    FindState up;
    FindRequest upward{"dentist", false, false, false};
    EXPECT_EQ(FindStep(g, all, up, upward).row, 3);
    EXPECT_EQ(FindStep(g, all, up, upward).row, 2);
    EXPECT_EQ(FindStep(g, all, up, upward).notFound,
              "Could not find \"dentist\" in any calendar task. Search reset to last task date");
    EXPECT_EQ(FindStep(g, all, up, upward).row, 3);
    // After a downward miss, an upward step starts at the last task.
    FindState mixed;
    EXPECT_EQ(FindStep(g, all, mixed, FindRequest{"nothing", true}).row, -1);
    EXPECT_EQ(FindStep(g, all, mixed, upward).row, 3);
}

TEST(Find, CaseWholeWordsAndTheFilter)
{
    const Grid g = storeOf({{QDate(2026, 5, 3), "Health", "Call dentist"}, {QDate(2026, 5, 9), "Work", "(dentist)"}});
    const TaskFilter all;
    FindState s;
    EXPECT_EQ(FindStep(g, all, s, FindRequest{"DENTIST", true, false, false}).row, 1);
    s = {};
    EXPECT_EQ(FindStep(g, all, s, FindRequest{"DENTIST", true, true, false}).row, -1);
    s = {};
    EXPECT_EQ(FindStep(g, all, s, FindRequest{"dent", true, false, true}).row, -1);
    s = {};
    FindRequest whole{"dentist", true, false, true};
    EXPECT_EQ(FindStep(g, all, s, whole).row, 1);
    EXPECT_EQ(FindStep(g, all, s, whole).row, 2);  // brackets are delimiters
    // A task the filter hides is never found.
    TaskFilter noHealth;
    noHealth.setCategories({{"Health", false}});
    s = {};
    EXPECT_EQ(FindStep(g, noHealth, s, whole).row, 2);
    s = {};
    EXPECT_EQ(FindStep(g, all, s, FindRequest{"", true}).row, -1);  // nothing is found for nothing
}

TEST(Find, StartsFromTheDayShownAndTellsWhetherTheTextIsAnywhere)
{
    const Grid g = storeOf({{QDate(2026, 5, 1), "Home", "Buy milk"},
                            {QDate(2026, 5, 3), "Health", "Call dentist"},
                            {QDate(2026, 5, 9), "Health", "dentist 2pm"}});
    const TaskFilter all;
    const int may5 = DayNumber(QDate(2026, 5, 5));

    // Down from 5 May: 9 May, then the end (the text is elsewhere: no
    // error), then round from the first task.
    FindState s;
    FindRequest down{"dentist", true, false, false, may5};
    EXPECT_EQ(FindStep(g, all, s, down).row, 3);
    down.fromDay = DayNumber(QDate(2026, 5, 9));  // the window shows the match
    const FindResult end = FindStep(g, all, s, down);
    EXPECT_EQ(end.row, -1);
    EXPECT_FALSE(end.nowhere);
    EXPECT_EQ(end.notFound, "Could not find \"dentist\" in any calendar task. Search reset to first task date");
    EXPECT_EQ(FindStep(g, all, s, down).row, 2);

    // Up from 5 May: 3 May first. The day shown counts in both directions.
    FindState up;
    EXPECT_EQ(FindStep(g, all, up, FindRequest{"dentist", false, false, false, may5}).row, 2);
    FindState onTheDay;
    EXPECT_EQ(FindStep(g, all, onTheDay, FindRequest{"2pm", false, false, false, DayNumber(QDate(2026, 5, 9))}).row,
              3);
    onTheDay = {};
    EXPECT_EQ(FindStep(g, all, onTheDay, FindRequest{"milk", true, false, false, DayNumber(QDate(2026, 5, 1))}).row,
              1);

    // Moving to another day between steps starts the next step there.
    FindState moved;
    FindRequest next{"dentist", true, false, false, DayNumber(QDate(2026, 5, 9))};
    EXPECT_EQ(FindStep(g, all, moved, next).row, 3);
    next.fromDay = DayNumber(QDate(2026, 5, 2));
    EXPECT_EQ(FindStep(g, all, moved, next).row, 2);

    // A text no task holds, from the middle: nowhere, at the first end.
    FindState none;
    const FindResult missing = FindStep(g, all, none, FindRequest{"nothing", true, false, false, may5});
    EXPECT_EQ(missing.row, -1);
    EXPECT_TRUE(missing.nowhere);
    // Nor is a task the filter hides "somewhere".
    TaskFilter noHealth;
    noHealth.setCategories({{"Health", false}});
    FindState hidden;
    EXPECT_TRUE(FindStep(g, noHealth, hidden, FindRequest{"dentist", true, false, false, may5}).nowhere);
}
