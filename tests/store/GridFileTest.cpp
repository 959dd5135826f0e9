#include "Grid.h"
#include "GridFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {

Grid load(const QByteArray &bytes, Grid g = Grid(1, 1))
{
    const FileResult r = LoadGridBytes(g, bytes, "test.grd");
    EXPECT_TRUE(r.ok) << r.message.toStdString();
    return g;
}

// Loads a file that reads by the format's rules but counts as damaged: the
// table holds what could be read.
Grid loadDamaged(const QByteArray &bytes, Grid g = Grid(1, 1))
{
    const FileResult r = LoadGridBytes(g, bytes, "test.grd");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.damaged && r.partial) << r.message.toStdString();
    return g;
}

// The example store of one task with two-line notes.
Grid exampleStore()
{
    Grid g(6, 2);
    const int widths[] = {110, 94, 146, 64, 64, 64};
    for (int c = 0; c < 6; ++c)
        g.setColWidth(c, widths[c]);
    g.setCell(0, 1, u"36120.101");
    g.setCell(1, 1, u"10:30 AM");
    g.setCell(2, 1, u"Work");
    g.setCell(3, 1, u"Call the bank\r\nAsk for the form\r\n");
    g.setCell(4, 1, u"No");
    g.setCell(5, 1, u"Yes");
    return g;
}

const QByteArray kExampleBytes =
    "6,2\r\ncw 0,110\r\ncw 1,94\r\ncw 2,146\r\ncw 3,64\r\ncw 4,64\r\ncw 5,64\r\n"
    "0,1,36120.101\r\n1,1,10:30 AM\r\n2,1,Work\r\n3,1,Call the bank\t\bAsk for the form\t\b\r\n"
    "4,1,No\r\n5,1,Yes\r\n";

}  // namespace

TEST(GridFileFormat, SavesTheExactBytes)
{
    EXPECT_EQ(GridFileBytes(exampleStore()), kExampleBytes);

    // Only the header holds text: size, widths and row 0's cells.
    Grid todo(3, 2);
    todo.setCell(0, 0, u"Category");
    todo.setCell(2, 0, u"Done?");
    EXPECT_EQ(GridFileBytes(todo),
              "3,2\r\ncw 0,64\r\ncw 1,64\r\ncw 2,64\r\n0,0,Category\r\n2,0,Done?\r\n");

    // Cells come row by row, column by column; text is UTF-8.
    Grid g(2, 3);
    g.setCell(1, 2, u"b, with commas");
    g.setCell(0, 2, u"a");
    g.setCell(1, 1, u"café");
    EXPECT_EQ(GridFileBytes(g),
              "2,3\r\ncw 0,64\r\ncw 1,64\r\n1,1,caf\xC3\xA9\r\n0,2,a\r\n1,2,b, with commas\r\n");
}

TEST(GridFileFormat, RoundTripsNotesCommasAndWidths)
{
    const Grid back = load(kExampleBytes);
    EXPECT_EQ(back.colCount(), 6);
    EXPECT_EQ(back.rowCount(), 2);
    EXPECT_EQ(back.colWidth(2), 146);
    EXPECT_EQ(back.cell(3, 1), u"Call the bank\r\nAsk for the form\r\n");
    EXPECT_EQ(GridFileBytes(back), kExampleBytes);

    // A TAB or BS in a cell comes back as CR or LF: the format cannot keep them.
    Grid g(1, 2);
    g.setCell(0, 1, u"a\tb\bc");
    EXPECT_EQ(load(GridFileBytes(g)).cell(0, 1), "a\rb\nc");
}

TEST(GridFileFormat, ReadingRulesForOddLines)
{
    // Size counts below 1 are 1.
    EXPECT_EQ(load("0,0\r\n").colCount(), 1);
    EXPECT_EQ(load("0,0\r\n").rowCount(), 1);
    // A line without comma sets cell (0, 0) to the whole line; with one comma
    // the row reads as 0 and the text is not cut. Such lines are no lines the
    // program writes: a file holding one is damaged, but still read by the
    // same rules.
    EXPECT_EQ(loadDamaged("1,1\r\nwhole line\r\n").cell(0, 0), "whole line");
    EXPECT_EQ(loadDamaged("1,2\r\nwhole line\r\n0,1,a\r\n0,1,b\r\n").cell(0, 0), "whole line");
    EXPECT_EQ(loadDamaged("2,2\r\n1,abc\r\n").cell(1, 0), "abc");
    // Numbers stop at the first other character; blanks before are skipped.
    const Grid g = loadDamaged("3,3x\r\n 2,2z,text, more\r\n+1,1,y\r\n");
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.cell(2, 2), "text, more");
    EXPECT_EQ(g.cell(1, 1), "y");
    // Cells and widths outside the columns are ignored. A width lost that
    // way loses nothing; a cell does, so its line makes the file damaged.
    const Grid six = load("6,2\r\ncw 9,50\r\ncw 2,50\r\n0,1,ok\r\n");
    EXPECT_EQ(six.colWidth(2), 50);
    EXPECT_EQ(six.colWidth(0), Grid::kDefaultColWidth);
    const Grid outside = loadDamaged("6,2\r\ncw -1,7\r\n7,1,x\r\n0,1,ok\r\n");
    EXPECT_EQ(outside.colWidth(0), Grid::kDefaultColWidth);
    EXPECT_EQ(outside.cell(0, 1), "ok");
    EXPECT_EQ(GridFileBytes(outside).count("\r\n0,"), 1);
    // A later line for the same cell wins.
    EXPECT_EQ(load("1,2\r\n0,1,first\r\n0,1,second\r\n").cell(0, 1), "second");
    // Huge numbers do not wrap around into the table.
    EXPECT_TRUE(loadDamaged("2,2\r\n4294967296,1,x\r\n0,18446744073709551617,y\r\n").cellEmpty(0, 1));
    // A width line keeps at most 255 characters after the comma.
    EXPECT_EQ(loadDamaged("1,1\r\ncw 0," + QByteArray(255, ' ') + "7\r\n").colWidth(0), 0);
    EXPECT_EQ(loadDamaged("1,1\r\ncw 0," + QByteArray(254, ' ') + "7\r\n").colWidth(0), 7);
}

TEST(GridFileFormat, LineEndsAndEndOfFileMarks)
{
    // Lone LF ends a line as well: an LF-only file is not one long line that
    // would load as an empty table and then be saved over every task.
    const Grid lf = load("2,3\ncw 0,80\n0,1,a\n1,2,b\n");
    EXPECT_EQ(lf.rowCount(), 3);
    EXPECT_EQ(lf.colWidth(0), 80);
    EXPECT_EQ(lf.cell(0, 1), "a");
    EXPECT_EQ(lf.cell(1, 2), "b");
    // Lone CR. A last line without an end is read, but the file was cut
    // short: the program ends every line it writes.
    EXPECT_EQ(load("1,3\r0,1,a\r0,2,b\r").cell(0, 2), "b");
    EXPECT_EQ(loadDamaged("1,3\r0,1,a\r0,2,b").cell(0, 2), "b");
    // Empty lines carry nothing and change nothing.
    EXPECT_EQ(load("1,2\r\n0,0,Head\r\n\r\n\r\n0,1,x\r\n").cell(0, 0), "Head");

    // 0x1A at the very end is an old end mark; anywhere else it is text.
    EXPECT_EQ(load("1,3\r\n0,1,a\r\n\x1A\x1A\x1A").cell(0, 1), "a");
    for (const QByteArray &tail : {QByteArray("\r\n\x1A"), QByteArray("\r\n\x1A\x1A\x1A"), QByteArray("\x1A")}) {
        // Read from memory and from a file: the run is no line, and no cell.
        // Without a line end before it the last line was cut short.
        const QByteArray bytes = "2,2\r\n1,1,b" + tail;
        const bool whole = tail.startsWith("\r\n");
        const Grid g = whole ? load(bytes) : loadDamaged(bytes);
        EXPECT_TRUE(g.cellEmpty(0, 0)) << g.cell(0, 0).toStdString();
        EXPECT_EQ(g.cell(1, 1), "b");
        TempFolder dir;
        writeBytes(dir.file("t.grd"), bytes);
        Grid f(1, 1);
        const FileResult r = LoadGridFile(f, dir.file("t.grd"));
        EXPECT_EQ(r.ok, whole) << r.message.toStdString();
        EXPECT_EQ(r.partial, !whole);
        EXPECT_TRUE(f.cellEmpty(0, 0)) << f.cell(0, 0).toStdString();
        EXPECT_EQ(f.cell(1, 1), "b");
    }
    const Grid mid = load("1,3\r\n0,1,a\x1A"
                          "b\r\n0,2,after\r\n");
    EXPECT_EQ(mid.cell(0, 1), "a\x1A"
                              "b");
    EXPECT_EQ(mid.cell(0, 2), "after");
    // A byte-order mark left by an editor does not spoil the size line.
    EXPECT_EQ(load("\xEF\xBB\xBF" "6,2\r\n5,1,Yes\r\n").cell(5, 1), "Yes");
    EXPECT_EQ(load("\xEF\xBB\xBF\xEF\xBB\xBF" "6,2\r\n5,1,Yes\r\n").cell(5, 1), "Yes");
}

TEST(GridFileFormat, LoadingReplacesTheOldTableButKeepsUnmentionedHeaders)
{
    Grid g(3, 5);
    g.setCell(0, 0, u"Category");
    g.setCell(1, 0, u"What");
    g.setColWidth(1, 300);
    for (int r = 1; r < 5; ++r)
        g.setCell(1, r, QString("old %1").arg(r));
    g.setCell(2, 0, u"Done?");
    g = load("3,3\r\n1,0,Notes\r\n2,0,\r\n2,2,new\r\n", g);
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.cell(0, 0), "Category");  // no line for it: kept
    EXPECT_EQ(g.cell(1, 0), "Notes");
    EXPECT_EQ(g.cell(2, 0), "");  // its line empties it
    EXPECT_EQ(g.colWidth(1), 300);
    for (int r = 1; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(g.cellEmpty(c, r), !(c == 2 && r == 2)) << c << "," << r;

    // An empty size line keeps the size and the cells, then applies the
    // lines; a size line missing like that makes the file damaged.
    Grid kept(2, 3);
    kept.setCell(0, 1, u"stays");
    kept = loadDamaged("\r\n1,2,added\r\n", kept);
    EXPECT_EQ(kept.rowCount(), 3);
    EXPECT_EQ(kept.cell(0, 1), "stays");
    EXPECT_EQ(kept.cell(1, 2), "added");
}

TEST(GridFileFormat, WindowsCodePageFilesAreReadAsSuch)
{
    // "Café – 5 €" as an older Windows copy wrote it.
    const Grid g = load("1,2\r\n0,1,Caf\xE9 \x96 5 \x80\r\n");
    EXPECT_EQ(g.cell(0, 1), u"Café – 5 €");
    // Saved again, it is UTF-8.
    EXPECT_EQ(GridFileBytes(g), "1,2\r\ncw 0,64\r\n0,1,Caf\xC3\xA9 \xE2\x80\x93 5 \xE2\x82\xAC\r\n");
    EXPECT_EQ(DecodeFileText("\x93quoted\x94"), u"\u201Cquoted\u201D");
    // Overlong forms and surrogates are not UTF-8: such text is the code page.
    EXPECT_TRUE(IsValidUtf8("\xE0\xA0\x80", 3));   // U+0800, the first three-byte letter
    EXPECT_FALSE(IsValidUtf8("\xE0\x82\x80", 3));  // U+0080 in three bytes
    EXPECT_FALSE(IsValidUtf8("\xC0\x80", 2));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80", 3));  // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xF0\x82\x82\xAC", 4));
    EXPECT_EQ(DecodeFileText("\xE0\x82\x80"), u"\u00E0\u201A\u20AC");
    EXPECT_EQ(load("1,2\r\n0,1,\xE0\x82\x80\r\n").cell(0, 1), u"\u00E0\u201A\u20AC");
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF", 2));        // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80", 3));    // surrogate
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80", 4));
}

TEST(GridFileFormat, ADamagedSizeLineFailsAndLeavesTheTable)
{
    Grid g(2, 2);
    g.setCell(1, 1, u"precious");
    for (const QByteArray &bad : {QByteArray("257,2\r\n1,1,x\r\n"), QByteArray("6,20000001\r\n"),
                                  QByteArray("6,99999999999999999999\r\n")}) {
        const FileResult r = LoadGridBytes(g, bad, "/data/grid.grd");
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.damaged);
        EXPECT_TRUE(r.message.contains("grid.grd")) << r.message.toStdString();
        EXPECT_EQ(g.colCount(), 2);
        EXPECT_EQ(g.cell(1, 1), "precious");
    }
    // The limits themselves load.
    EXPECT_TRUE(LoadGridBytes(g, "256,20000000\r\n255,19999999,far\r\n", "big").ok);
    EXPECT_EQ(g.cell(255, 19999999), "far");
}

TEST(GridFiles, SaveAndLoadThroughTheDisk)
{
    TempFolder dir;
    const QString path = dir.file("grid.grd");
    ASSERT_TRUE(SaveGridFile(exampleStore(), path).ok);
    EXPECT_EQ(readBytes(path), kExampleBytes);
    Grid g;
    ASSERT_TRUE(LoadGridFile(g, path).ok);
    EXPECT_EQ(g.cell(2, 1), "Work");

    const FileResult missing = LoadGridFile(g, dir.file("none.grd"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.message, "File " + dir.file("none.grd") + " not found");
    EXPECT_EQ(g.cell(2, 1), "Work");
    EXPECT_EQ(dir.entries(), QStringList({"grid.grd"}));  // no temporary file left
}

TEST(PickLists, LinesInAndOut)
{
    EXPECT_EQ(ParsePickList("Work\r\nHome\r\n"), QStringList({"Work", "Home"}));
    EXPECT_EQ(ParsePickList("a\rb\nc"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(ParsePickList("a\r\n\r\nb\r\n"), QStringList({"a", "", "b"}));
    EXPECT_EQ(ParsePickList(QByteArray("a\r\nb\0c\r\n", 9)), QStringList({"a", "b"}));
    EXPECT_EQ(ParsePickList(""), QStringList());
    EXPECT_EQ(ParsePickList("\xEF\xBB\xBF\xEF\xBB\xBFWork\r\n"), QStringList({"Work"}));
    EXPECT_EQ(ParsePickList("Caf\xE9\r\n"), QStringList({"Café"}));

    TempFolder dir;
    const QString path = dir.file("category.xxx");
    ASSERT_TRUE(SavePickList({"Work", "", "Café"}, path).ok);
    EXPECT_EQ(readBytes(path), "Work\r\n\r\nCaf\xC3\xA9\r\n");
    QStringList items;
    ASSERT_TRUE(LoadPickList(path, &items).ok);
    EXPECT_EQ(items, QStringList({"Work", "", "Café"}));
    EXPECT_FALSE(LoadPickList(dir.file("category.yyy"), &items).ok);
}

TEST(GridFileFormat, WhatTheProgramWritesNeverLoadsAsDamaged)
{
    // Widths may be negative (a file said so); written back, they are still
    // width lines, and the file loads whole.
    Grid g(2, 2);
    g.setColWidth(0, -2147483647 - 1);
    g.setColWidth(1, -5);
    g.setCell(1, 1, u"x");
    Grid back;
    const FileResult r = LoadGridBytes(back, GridFileBytes(g), "saved");
    EXPECT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(back.colWidth(1), -5);
}
