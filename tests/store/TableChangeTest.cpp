#include "TableChange.h"
#include "GridFile.h"
#include "TaskTables.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

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

namespace {

std::multiset<QString> rowTexts(const Grid &g, int count)
{
    std::multiset<QString> rows;
    for (int r = 0; r < count; ++r) {
        QString t;
        for (int c = 0; c < g.colCount(); ++c)
            t += g.cell(c, r) + u'\t';
        rows.insert(t);
    }
    return rows;
}

Grid randomlyEdited(const Grid &from, bool sorted, std::mt19937 &rng)
{
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    Grid g = from;
    for (int e = pick(4); e >= 0; --e) {
        switch (pick(4)) {
        case 0: {
            const int at = 1 + pick(g.rowCount());
            g.insertRows(at, 1);
            for (int c = 0; c < g.colCount(); ++c)
                g.setCell(c, at, QString::number(pick(4)));
            break;
        }
        case 1: if (g.rowCount() > 1) g.removeRows(1 + pick(g.rowCount() - 1)); break;
        case 2: if (g.rowCount() > 1) g.setCell(pick(g.colCount()), 1 + pick(g.rowCount() - 1), QString::number(pick(4))); break;
        default: if (!sorted && g.rowCount() > 2) g.moveRow(1 + pick(g.rowCount() - 1), 1 + pick(g.rowCount() - 1)); break;
        }
    }
    if (sorted)
        g.sortRows(1, g.rowCount(), StoreRowLess);
    return g;
}

}  // namespace

TEST(TableChangeTest, TwoChangesMadeApartAreCarriedOverEachOtherUnlessTheyTouchTheSameRow)
{
    std::mt19937 rng(20261210);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    int carried = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const bool sorted = round % 2;
        const TableChange::Less less = sorted ? StoreRowLess : nullptr;
        Grid x(6, 1 + pick(10));
        for (int r = 1; r < x.rowCount(); ++r)
            for (int c = 0; c < 6; ++c)
                x.setCell(c, r, QString::number(pick(4)));
        if (sorted)
            x.sortRows(1, x.rowCount(), StoreRowLess);
        const Grid a = randomlyEdited(x, sorted, rng), d = randomlyEdited(x, sorted, rng);
        const TableChange ca = TableChange::between(x, a, less), cd = TableChange::between(x, d, less);
        const auto over = TableChange::rebase(ca, cd, less);
        if (!over) {
            ++refused;
            continue;
        }
        ++carried;
        const auto &[aOverD, dOverA] = *over;
        EXPECT_TRUE(aOverD.isAsBefore(d));
        EXPECT_TRUE(dOverA.isAsBefore(a));
        // Both ways lead to one table, and back again to each.
        const Grid both = aOverD.after(d);
        EXPECT_EQ(GridFileBytes(dOverA.after(a)), GridFileBytes(both));
        EXPECT_EQ(GridFileBytes(aOverD.before(both)), GridFileBytes(d));
        EXPECT_EQ(GridFileBytes(dOverA.before(both)), GridFileBytes(a));
        // It holds what was kept by both and what either put in.
        std::multiset<QString> want = rowTexts(x, x.rowCount());
        for (const TableChange *c : {&ca, &cd}) {
            for (const QString &t : rowTexts(c->rowsOut(), c->rowsTakenOut()))
                want.erase(want.find(t));
            for (const QString &t : rowTexts(c->rowsIn(), c->rowsPutIn()))
                want.insert(t);
        }
        EXPECT_EQ(rowTexts(both, both.rowCount()), want);
        if (sorted) {
            for (int r = 2; r < both.rowCount(); ++r)
                EXPECT_FALSE(StoreRowLess(both.row(r), both.row(r - 1))) << "row " << r;
        }
        // Taking `a` back after another change to its table: its reverse
        // carried over that change.
        const Grid later = randomlyEdited(a, sorted, rng);
        const TableChange cl = TableChange::between(a, later, less);
        if (const auto back = TableChange::rebase(ca.reversed(), cl, less)) {
            EXPECT_TRUE(back->first.isAsBefore(later));
            EXPECT_EQ(GridFileBytes(back->first.after(later)), GridFileBytes(back->second.after(x)));
        }
    }
    EXPECT_GT(carried, 100);
    EXPECT_GT(refused, 20);

    // Refused: both changed one row; and a change of another table.
    Grid x = weeklyStore(30);
    Grid here = x, there = x;
    here.setCell(kStoreNotes, 5, u"Dentist");
    there.setCell(kStoreNotes, 5, u"Dentist at ten");
    EXPECT_FALSE(TableChange::rebase(TableChange::between(x, here, StoreRowLess),
                                     TableChange::between(x, there, StoreRowLess), StoreRowLess));
    Grid other = weeklyStore(31);
    EXPECT_FALSE(TableChange::rebase(TableChange::between(x, here, StoreRowLess),
                                     TableChange::between(other, there, StoreRowLess), StoreRowLess));
}
