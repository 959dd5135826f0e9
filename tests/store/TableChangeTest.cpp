#include "TableChange.h"
#include "GridFile.h"
#include "TaskTables.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <random>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

// A sorted store of `days` days with one task each, and a weekly task.
Grid weeklyStore(int days)
{
    Grid g = NewStoreGrid();
    g.setRowCount(1);
    for (int d = 0; d < days; ++d) {
        const int day = 46000 + d;
        const bool weekly = d % 7 == 0;
        const int rows = weekly ? 2 : 1;
        const int at = g.rowCount();
        g.setRowCount(at + rows);
        for (int k = 0; k < rows; ++k) {
            g.setCell(kStoreKey, at + k, MakeStoreKey(day, 101 + k));
            g.setCell(kStoreTime, at + k, k ? u"9:00 AM" : u"8:00 AM");
            g.setCell(kStoreCategory, at + k, k ? u"Home" : u"Work");
            g.setCell(kStoreNotes, at + k, k ? u"Water plants"_s : u"Task %1"_s.arg(d));
            g.setCell(kStoreDone, at + k, u"No");
            g.setCell(kStoreAlarm, at + k, u"No");
        }
    }
    return g;
}

void expectRoundTrip(const Grid &before, const Grid &after, TableChange::Less less)
{
    const TableChange change = TableChange::between(before, after, less);
    EXPECT_TRUE(change.isAsAfter(after));
    EXPECT_TRUE(change.isAsBefore(before));
    const Grid back = change.before(after);
    EXPECT_EQ(GridFileBytes(back), GridFileBytes(before));
    EXPECT_EQ(GridFileBytes(change.after(back)), GridFileBytes(after));
}

}  // namespace

TEST(TableChangeTest, HoldsOnlyTheRowsACommandTouchedAndRebuildsBothStatesExactly)
{
    const Grid before = weeklyStore(2000);
    Grid after = before;
    // A weekly task deleted with its repeats from the second year on: its
    // rows lie thinly over the whole store.
    after.removeRowsIf(1, after.rowCount(), [](Grid::RowRef r) {
        return r.cell(kStoreNotes) == "Water plants" && KeyDay(r.cell(kStoreKey)) >= 46365;
    });
    const TableChange change = TableChange::between(before, after, StoreRowLess);
    EXPECT_EQ(change.rowsTakenOut(), 233);
    EXPECT_EQ(change.rowsPutIn(), 0);
    EXPECT_FALSE(change.empty());
    // Far less than the store itself.
    EXPECT_LT(change.bytes(), std::size_t(GridFileBytes(before).size()) / 4);
    expectRoundTrip(before, after, StoreRowLess);

    // Without the order the same change is one span, and still exact.
    EXPECT_GT(TableChange::between(before, after).rowsTakenOut(), 1000);
    expectRoundTrip(before, after, nullptr);

    // One edited cell is one row out and one in; no change is empty.
    Grid edited = before;
    edited.setCell(kStoreNotes, 700, u"Dentist");
    const TableChange one = TableChange::between(before, edited, StoreRowLess);
    EXPECT_EQ(one.rowsTakenOut(), 1);
    EXPECT_EQ(one.rowsPutIn(), 1);
    EXPECT_TRUE(TableChange::between(before, before, StoreRowLess).empty());
    // A table that is neither state is recognised as such.
    EXPECT_FALSE(one.isAsAfter(before));
    EXPECT_FALSE(one.isAsBefore(edited));
}

TEST(TableChangeTest, RandomEditsOfOrderedAndUnorderedTablesAlwaysRebuildExactly)
{
    std::mt19937 rng(20261209);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int round = 0; round < 200; ++round) {
        // Few distinct texts, so that equal and tied rows (equal but for the
        // alarm, which the order does not look at) are common.
        Grid before(6, 1 + pick(12));
        for (int r = 1; r < before.rowCount(); ++r)
            for (int c = 0; c < 6; ++c)
                if (pick(4))
                    before.setCell(c, r, QString::number(pick(3)));
        if (round % 2)
            before.sortRows(1, before.rowCount(), StoreRowLess);
        Grid after = before;
        for (int e = pick(4); e >= 0; --e) {
            switch (pick(5)) {
            case 0: after.insertRows(1 + pick(after.rowCount()), 1 + pick(2)); break;
            case 1: if (after.rowCount() > 1) after.removeRows(1 + pick(after.rowCount() - 1)); break;
            case 2: after.setCell(pick(after.colCount()), pick(after.rowCount()), QString::number(pick(3))); break;
            case 3: if (after.rowCount() > 2) after.moveRow(1 + pick(after.rowCount() - 1), 1 + pick(after.rowCount() - 1)); break;
            default: after.setColCount(5 + pick(3)); break;
            }
        }
        SCOPED_TRACE(round);
        expectRoundTrip(before, after, StoreRowLess);
        expectRoundTrip(before, after, nullptr);
    }
}

TEST(TableChangeTest, WidthsFollowEachStateButAreNoChangeOfTheirOwn)
{
    Grid before(3, 3);
    before.setCell(0, 1, u"Home");
    before.setColWidth(1, 200);
    Grid after = before;
    after.setColWidth(1, 90);
    // Widths follow the window: alone they change nothing.
    EXPECT_TRUE(TableChange::between(before, after).empty());
    EXPECT_EQ(TableDigest(before), TableDigest(after));

    after.setCell(1, 2, u"Buy stamps");
    const TableChange change = TableChange::between(before, after);
    EXPECT_EQ(change.before(after).colWidth(1), 200);
    EXPECT_EQ(change.after(before).colWidth(1), 90);

    // Text moved into the next cell is another table.
    Grid a(2, 2), b(2, 2);
    a.setCell(0, 1, u"x");
    b.setCell(1, 1, u"x");
    EXPECT_NE(TableDigest(a), TableDigest(b));
    // A cleared row is the same as one never written.
    Grid cleared = a;
    cleared.clearRow(1);
    EXPECT_EQ(TableDigest(cleared), TableDigest(Grid(2, 2)));
}
