#include "CompletedTasks.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace morvane;

namespace {

const FormatSettings kFs = fix2000(FormatSettings::enUS());

// A completed table from rows of six cells.
Grid completed(const QList<QStringList> &rows)
{
    Grid g = NewCompletedGrid();
    g.setRowCount(int(std::max<qsizetype>(1, rows.size())) + 1);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            g.setCell(c, r + 1, rows[r][c]);
    return g;
}

QStringList column(const Grid &g, int col)
{
    QStringList out;
    for (int r = 1; r < g.rowCount(); ++r)
        out << g.cell(col, r);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// The rules

TEST(CompletedTasks, ColumnWidthsGiveTheRestToTheTwoTextColumns)
{
    const auto w = CompletedColumnWidths(1000, 96, 0, 4);
    EXPECT_EQ(w, (std::array<int, 6>{70, 62, 58, 128, 336, 336}));  // 1000 - 318 - 4 - 6 = 672
    // Widening gives half the gain to each text column and nothing to the rest.
    const auto wider = CompletedColumnWidths(1100, 96, 0, 4);
    EXPECT_EQ(wider, (std::array<int, 6>{70, 62, 58, 128, 386, 386}));
    // The scroll bar, when it shows, comes off the text columns.
    EXPECT_EQ(CompletedColumnWidths(1000, 96, 16, 4)[4], 328);
    // The short columns scale with the screen, rounded down.
    EXPECT_EQ(CompletedColumnWidths(1000, 120, 0, 4), (std::array<int, 6>{87, 77, 72, 160, 297, 297}));
    // Too narrow for the short columns: the text columns get nothing, never less.
    EXPECT_EQ(CompletedColumnWidths(200, 96, 0, 4)[4], 0);
    // A wide font widens a short column that would cut its text, and the
    // text columns give up the difference.
    EXPECT_EQ(CompletedColumnWidths(1000, 96, 0, 4, {84, 50, 0, 128}),
              (std::array<int, 6>{84, 62, 58, 128, 329, 329}));
}

TEST(CompletedTasks, DateColumnsSortAsDatesWithTextThatIsNoDateFirst)
{
    Grid g = completed({{"12/9/2026", "9:00 AM", "b", "Wed 12/9/2026", "late"},
                        {"1/15/2025", "9:00 AM", "b", "To-do task", "early"},
                        {"garbled", "9:00 AM", "b", "Non date task", "none"},
                        {"3/1/2026", "9:00 AM", "b", "Fri 2/27/2026", "middle"}});
    CompletedSortState state;
    ASSERT_TRUE(ClickCompletedHeading(g, kCompDate, state, kFs));
    // As text "1/15" < "12/9" < "3/1"; as dates the years decide.
    EXPECT_EQ(column(g, kCompNotes), QStringList({"none", "early", "middle", "late"}));
    EXPECT_EQ(g.cell(0, 0), "Comp Date");  // the header row stays

    // The same heading again reverses.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompDate, state, kFs));
    EXPECT_EQ(column(g, kCompNotes), QStringList({"late", "middle", "early", "none"}));

    // The origin column reads past the weekday; the to-do texts come first,
    // ordered between themselves by the next columns ("What").
    ASSERT_TRUE(ClickCompletedHeading(g, kCompOrigDate, state, kFs));
    EXPECT_TRUE(state.ascending);  // another heading starts ascending
    EXPECT_EQ(column(g, kCompNotes), QStringList({"early", "none", "middle", "late"}));

    DateValue v = 0;
    EXPECT_TRUE(ReadCompletedDate(u"Wednesday 12/9/2026", kFs, &v));
    EXPECT_EQ(FromDateValue(v).date(), QDate(2026, 12, 9));
    EXPECT_FALSE(ReadCompletedDate(u"Soon 12/9/2026", kFs, &v));
    EXPECT_FALSE(ReadCompletedDate(u"", kFs, &v));
}

TEST(CompletedTasks, TextColumnsSortByCharacterCodesAndTiesByTheNextColumns)
{
    Grid g = completed({{"1/1/2026", "9:00 AM", "apple", "x", "w1", "n1"},
                        {"1/1/2026", "10:00 AM", "Banana", "x", "w2", "n2"},
                        {"1/2/2026", "9:00 AM", "apple", "x", "w0", "n3"},
                        {"1/1/2026", "9:00 AM", "apple", "x", "w1", "n0"}});
    CompletedSortState state;
    // Case-sensitive: "B" (66) before "a" (97); ties by the columns after.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompCategory, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n2", "n3", "n1", "n0"}));
    // Time as text: "10:00 AM" before "9:00 AM"; equal times by category,
    // origin, then "What". Rows equal up to "What" keep their order: the
    // completion notes never decide.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompTime, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n2", "n3", "n1", "n0"}));
    ASSERT_TRUE(ClickCompletedHeading(g, kCompTime, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n1", "n0", "n3", "n2"}));
    // Sorting by the completion notes themselves does use them.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompNotesDone, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n0", "n1", "n2", "n3"}));

    // One row: nothing to sort, and the click does not count.
    Grid one = completed({{"1/1/2026", "9:00 AM"}});
    CompletedSortState fresh;
    EXPECT_FALSE(ClickCompletedHeading(one, kCompTime, fresh, kFs));
    EXPECT_EQ(fresh.column, -1);
}

TEST(CompletedTasks, DeleteKeepsOneRowAndClearEmptiesTheTable)
{
    Grid g = completed({{"1/1/2026", "a"}, {"1/2/2026", "b"}, {"1/3/2026", "c"}});
    DeleteCompletedRow(g, 2);
    EXPECT_EQ(column(g, kCompTime), QStringList({"a", "c"}));
    DeleteCompletedRow(g, 0);  // the header row is never removed
    DeleteCompletedRow(g, 7);  // nor anything past the end
    EXPECT_EQ(g.rowCount(), 3);
    DeleteCompletedRow(g, 1);
    DeleteCompletedRow(g, 1);  // the last row is emptied, not removed
    EXPECT_EQ(g.rowCount(), 2);
    EXPECT_EQ(column(g, kCompTime), QStringList({""}));
    EXPECT_EQ(g.cell(kCompNotesDone, 0), "Comp Notes");

    Grid many = completed({{"1/1/2026", "a"}, {"1/2/2026", "b"}});
    ClearCompletedTable(many);
    EXPECT_EQ(many.rowCount(), 2);
    EXPECT_TRUE(many.cellEmpty(kCompDate, 1));
    EXPECT_EQ(many.cell(kCompDate, 0), "Comp Date");
    Grid single = completed({{"1/1/2026", "a"}});
    ClearCompletedTable(single);
    EXPECT_EQ(single.rowCount(), 2);
    EXPECT_TRUE(single.cellEmpty(kCompTime, 1));
}
