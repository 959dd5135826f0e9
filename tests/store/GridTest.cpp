#include "Grid.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace morvane;

namespace {

// The first cells of every row, as one text, for checking row order.
QString column0(const Grid &g)
{
    QStringList cells;
    for (int r = 0; r < g.rowCount(); ++r)
        cells << g.cell(0, r);
    return cells.join(u'|');
}

Grid lettered(int rows)
{
    Grid g(2, rows + 1);
    g.setCell(0, 0, u"H");
    for (int r = 1; r <= rows; ++r) {
        g.setCell(0, r, QString(QChar(u'a' + r - 1)));
        g.setCell(1, r, QString::number(r));
    }
    return g;
}

}  // namespace

TEST(Grid, CellsSizesAndWidths)
{
    Grid g(0, 0);
    EXPECT_EQ(g.colCount(), 1);
    EXPECT_EQ(g.rowCount(), 1);

    g = Grid(6, 3);
    EXPECT_EQ(g.colWidth(5), Grid::kDefaultColWidth);
    g.setColWidth(2, 146);
    EXPECT_EQ(g.colWidth(2), 146);
    g.setColWidth(9, 50);  // outside: ignored
    EXPECT_EQ(g.colWidth(9), Grid::kDefaultColWidth);

    g.setCell(3, 2, u"Ünïcode, commas\r\nand lines");
    EXPECT_EQ(g.cell(3, 2), u"Ünïcode, commas\r\nand lines");
    EXPECT_TRUE(g.cellEmpty(0, 2));
    EXPECT_EQ(g.cell(7, 1), "");   // reading outside is empty
    EXPECT_EQ(g.cell(0, -1), "");
    EXPECT_THROW(g.setCell(6, 0, u"x"), std::out_of_range);
    EXPECT_THROW(g.setCell(0, 3, u"x"), std::out_of_range);

    g.setCell(3, 2, u"");
    EXPECT_TRUE(g.cellEmpty(3, 2));

    g.setCell(5, 1, u"last column");
    g.setColCount(4);
    EXPECT_EQ(g.colCount(), 4);
    g.setColCount(6);
    EXPECT_TRUE(g.cellEmpty(5, 1));  // a dropped column does not come back
    g.setCell(1, 1, u"kept");
    g.setRowCount(1);
    g.setRowCount(3);
    EXPECT_TRUE(g.cellEmpty(1, 1));
}

TEST(Grid, RowsInsertRemoveMoveAndTheHeader)
{
    Grid g = lettered(4);
    g.insertRows(2, 2);
    EXPECT_EQ(column0(g), "H|a|||b|c|d");
    g.removeRows(2, 2);
    EXPECT_EQ(column0(g), "H|a|b|c|d");
    g.moveRow(1, 4);
    EXPECT_EQ(column0(g), "H|b|c|d|a");
    g.moveRow(4, 2);
    EXPECT_EQ(column0(g), "H|b|a|c|d");
    EXPECT_EQ(g.cell(1, 2), "1");  // the whole row moved

    EXPECT_THROW(g.removeRows(0, 1), std::out_of_range);  // never the header
    EXPECT_THROW(g.moveRow(0, 2), std::out_of_range);
    EXPECT_THROW(g.insertRows(0), std::out_of_range);

    // Deleting keeps one body row: the last one is cleared instead.
    Grid one = lettered(1);
    one.deleteBodyRow(1);
    EXPECT_EQ(one.rowCount(), 2);
    EXPECT_TRUE(one.cellEmpty(0, 1));
    g.deleteBodyRow(1);
    EXPECT_EQ(column0(g), "H|a|c|d");

    g.removeRowsIf(0, g.rowCount(), [](Grid::RowRef r) { return r.cell(0) == "c" || r.cell(0) == "H"; });
    EXPECT_EQ(column0(g), "H|a|d");
    g.removeRowsIf(1, 2, [](Grid::RowRef) { return true; });
    EXPECT_EQ(column0(g), "H|d");
}

TEST(Grid, RowIdentitySurvivesReorderingButNotRemoval)
{
    Grid g = lettered(3);
    const auto idA = g.rowId(1), idC = g.rowId(3);
    EXPECT_NE(idA, 0u);
    EXPECT_NE(idA, idC);
    g.sortRows(1, g.rowCount(), [](Grid::RowRef x, Grid::RowRef y) { return x.cell(0) > y.cell(0); });
    EXPECT_EQ(column0(g), "H|c|b|a");
    EXPECT_EQ(g.rowId(3), idA);
    EXPECT_EQ(g.rowId(1), idC);
    g.setCell(1, 3, u"edited");
    EXPECT_EQ(g.rowId(3), idA);

    g.removeRows(3, 1);
    g.setRowCount(4);
    g.setCell(0, 3, u"new");
    EXPECT_NE(g.rowId(3), idA);  // a reused slot is a new row
    EXPECT_EQ(Grid(2, 2).rowId(1), 0u);
}

TEST(Grid, CopiesAreIndependentAndSelfCopiesAreSafe)
{
    Grid g = lettered(2);
    Grid copy = g;
    copy.setCell(0, 1, u"changed");
    EXPECT_EQ(g.cell(0, 1), "a");

    // Copying a cell of the grid into itself while the arena grows.
    g.setCell(1, 1, QString(5000, u'x'));
    for (int i = 0; i < 50; ++i)
        g.setCellUtf8(1, 2, g.cellUtf8(1, 1));
    EXPECT_EQ(g.cell(1, 2), QString(5000, u'x'));

    Grid moved = std::move(copy);
    EXPECT_EQ(moved.cell(0, 1), "changed");
}

TEST(Grid, RewritingCellsKeepsTheArenaSmall)
{
    Grid g(2, 3);
    const QString big(100000, u'n');
    for (int i = 0; i < 200; ++i)
        g.setCell(1, 1 + i % 2, big + QString::number(i));
    // 200 rewrites of 100 kB would be 20 MB of text without compaction.
    EXPECT_LT(g.deadBytes(), 4u << 20);
    EXPECT_EQ(g.cell(1, 1), big + "198");
    EXPECT_EQ(g.cell(1, 2), big + "199");
}
