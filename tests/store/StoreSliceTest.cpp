// The first look: the rows of a few days read straight from a task file.

#include "GridFile.h"
#include "StoreSlice.h"
#include "TaskTables.h"
#include "TestFiles.h"
#include "TestStores.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>

namespace morvane {
namespace {

// n tasks from `firstDay` on, two or three a day, every third done, some
// notes of two lines and with accented letters.
Grid TasksFrom(int firstDay, int n)
{
    Grid g = NewStoreGrid();
    g.setRowCount(n + 1);
    for (int r = 1; r <= n; ++r) {
        const int day = firstDay + r * 2 / 5;
        g.setCell(kStoreKey, r, MakeStoreKey(day, 101 + r % 3));
        g.setCell(kStoreTime, r, r % 4 ? u"9:00 AM" : u"All day");
        g.setCell(kStoreCategory, r, r % 2 ? u"Work" : u"Home");
        g.setCell(kStoreNotes, r, r % 5 ? QStringLiteral("Task %1").arg(r) : QStringLiteral("Caf\u00e9 %1\r\nsecond line").arg(r));
        g.setCell(kStoreDone, r, r % 3 ? u"No" : u"Yes");
        g.setCell(kStoreAlarm, r, r % 7 ? u"No" : u"Yes");
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    return g;
}

// The rows of the loaded table whose day lies in from .. to, as cell texts.
QList<QStringList> RowsOf(const Grid &g, int from, int to)
{
    QList<QStringList> rows;
    for (int r = 1; r < g.rowCount(); ++r) {
        const int day = KeyDay(g.cellUtf8(kStoreKey, r));
        if (g.cellEmpty(kStoreKey, r) || day < from || day > to)
            continue;
        QStringList cells;
        for (int c = 0; c < kStoreCols; ++c)
            cells << g.cell(c, r);
        rows << cells;
    }
    return rows;
}

TEST(StoreSliceTest, TheRowsOfTheDaysAskedForAreThoseTheWholeLoadHolds)
{
    const int first = 45000;
    const QByteArray file = GridFileBytes(TasksFrom(first, 6000));
    Grid whole;
    ASSERT_TRUE(LoadGridBytes(whole, file, "grid.grd").ok);
    // The start, the middle, the end, past the end, before the start, one day.
    for (const auto &[from, to] : {std::pair{first, first + 120}, std::pair{first + 1000, first + 1122},
                                   std::pair{first + 2300, first + 2600}, std::pair{first + 5000, first + 5100},
                                   std::pair{first - 300, first - 1}, std::pair{first + 777, first + 777}}) {
        const std::optional<Grid> slice = ReadStoreSlice(file, from, to);
        ASSERT_TRUE(slice) << from;
        EXPECT_EQ(RowsOf(*slice, from, to), RowsOf(whole, from, to)) << from;
        EXPECT_EQ(RowsOf(*slice, INT_MIN, INT_MAX).size(), RowsOf(whole, from, to).size()) << from;
    }
}

TEST(StoreSliceTest, AnyDoubtGivesNothing)
{
    const int first = 45000;
    const Grid tasks = TasksFrom(first, 6000);
    const QByteArray good = GridFileBytes(tasks);
    const int from = first + 1000, to = first + 1120;
    ASSERT_TRUE(ReadStoreSlice(good, from, to));

    // Not in store order: the days run backwards.
    Grid backwards = tasks;
    for (int r = 1; r < backwards.rowCount(); ++r)
        backwards.moveRow(backwards.rowCount() - 1, r);
    EXPECT_FALSE(ReadStoreSlice(GridFileBytes(backwards), from, to));
    // Two tasks of one key the whole load would put the other way round.
    {
        Grid swapped = tasks;
        const int r = FirstRowOnOrAfter(swapped, from + 10);
        for (int c = kStoreKey; c < kStoreNotes; ++c)
            swapped.setCell(c, r + 1, swapped.cell(c, r));
        swapped.setCell(kStoreNotes, r, u"Zzz");
        swapped.setCell(kStoreNotes, r + 1, u"Aaa");
        EXPECT_FALSE(ReadStoreSlice(GridFileBytes(swapped), from, to));
    }
    // Layouts the program does not write, and damage.
    const qsizetype mid = good.indexOf("\r\n", good.indexOf(QByteArray::number(from + 50) + ".")) + 2;
    const QList<QByteArray> doubtful = {
        "\xEF\xBB\xBF" + good,                              // a byte-order mark
        good.chopped(2),                                    // the last line without its end
        good.left(mid) + "not a cell\r\n" + good.mid(mid),  // a line that is no cell line
        QByteArray(good).replace(good.indexOf("Task ", mid) + 1, 1, QByteArray(1, '\0')),  // a NUL byte
        QByteArray(good).replace(mid, 1, "9"),               // a cell beyond the columns
        QByteArray(good).replace(good.indexOf("Caf\xC3\xA9", mid), 5, "Caf\xE9 "),  // not UTF-8
        "6,99999999" + good.mid(good.indexOf("\r\n")),      // a size line beyond every table
        "6,2" + good.mid(good.indexOf("\r\n")),             // rows beyond the size line
        QByteArray(good).replace("\r\n", "\n").replace('\n', '\r'),  // CR alone ends lines
    };
    for (const QByteArray &bytes : doubtful)
        EXPECT_FALSE(ReadStoreSlice(bytes, from, to)) << bytes.left(40).toStdString();
    EXPECT_FALSE(ReadStoreSlice({}, from, to));
}

TEST(StoreSliceTest, TheStoreWaitsForTheWholeTableBeforeAnythingButTheFirstLook)
{
    TempFolder data;
    const int first = 45000;
    writeBytes(data.file("grid.grd"), GridFileBytes(TasksFrom(first, 6000)));
    TaskFilter filter;
    TaskStore store(filter, data.file("grid.grd"));
    store.startLoad();
    ASSERT_TRUE(store.showFirstLook(first + 1000, first + 1120));
    EXPECT_TRUE(store.firstLookCovers(first + 1010, first + 1100));
    EXPECT_FALSE(store.firstLookCovers(first + 900, first + 1100));
    Grid day = NewDayGrid();
    store.readFirstLook(first + 1050, day);
    EXPECT_EQ(TasksIn(store.firstLook()), RowsOf(store.firstLook(), first + 1000, first + 1120).size());

    // A change waits for the whole table: its save holds every task, and
    // the day list read from the first look writes back over its own rows.
    day.setCell(kDayNotes, 1, u"Changed");
    ASSERT_TRUE(store.writeToStore(first + 1050, day).ok);
    EXPECT_FALSE(store.loading());
    EXPECT_FALSE(store.firstLookDiffered());
    ASSERT_TRUE(store.SortGridStore().ok);
    Grid saved;
    ASSERT_TRUE(LoadGridFile(saved, data.file("grid.grd")).ok);
    EXPECT_EQ(TasksIn(saved), 6000);
    ASSERT_TRUE(store.takeLoadResult());
    EXPECT_FALSE(store.takeLoadResult());  // once
}

// Whether the store's thread has come to beforeLoad.
struct Began {
    std::promise<void> p;
    std::future<void> f = p.get_future();
    std::function<void()> mark() { return [this] { p.set_value(); }; }
    bool ready(std::chrono::milliseconds wait) const { return f.wait_for(wait) == std::future_status::ready; }
};

// The first look the load's thread reads ahead is the one read here, and
// a file that gives doubt gives none either way.
TEST(StoreSliceTest, TheFirstLookReadAheadOnTheLoadsThreadIsTheOneReadHere)
{
    TempFolder data;
    const int first = 45000;
    const Grid tasks = TasksFrom(first, 4000);
    writeBytes(data.file("grid.grd"), GridFileBytes(tasks));
    TaskFilter filter;
    const std::pair<int, int> days{first + 600, first + 760};
    for (const bool sameDays : {true, false}) {
        TaskStore store(filter, data.file("grid.grd"));
        Began began;
        // Unheld, the thread runs on to beforeLoad once it has read ahead.
        store.startLoad(began.mark(), false, days);
        ASSERT_TRUE(began.ready(std::chrono::seconds(60)));
        const int to = sameDays ? days.second : days.second - 40;
        ASSERT_TRUE(store.showFirstLook(days.first, to));
        EXPECT_EQ(RowsOf(store.firstLook(), days.first, to), RowsOf(tasks, days.first, to)) << sameDays;
        EXPECT_EQ(TasksIn(store.firstLook()), RowsOf(tasks, days.first, to).size()) << sameDays;
        EXPECT_EQ(TasksIn(store.grid()), 4000);
    }
    // Out of order in the days looked at: no first look, and the whole
    // load still arrives.
    Grid shuffled = tasks;
    shuffled.setCell(kStoreKey, 1510, MakeStoreKey(first + 700, 101));
    shuffled.setCell(kStoreKey, 1520, MakeStoreKey(first + 650, 101));
    writeBytes(data.file("grid.grd"), GridFileBytes(shuffled));
    TaskStore store(filter, data.file("grid.grd"));
    store.startLoad({}, true, days);
    EXPECT_FALSE(store.showFirstLook(days.first, days.second));
    EXPECT_EQ(TasksIn(store.grid()), 4000);
}

// A held load begins when it is released or when anything needs the
// table, and a store given up while its load is held ends without loading.
TEST(StoreSliceTest, AHeldLoadBeginsWhenReleasedOrNeededAndIsAbandonedWithTheStore)
{
    TempFolder data;
    const int first = 45000;
    writeBytes(data.file("grid.grd"), GridFileBytes(TasksFrom(first, 3000)));
    TaskFilter filter;
    {
        Began began;
        TaskStore store(filter, data.file("grid.grd"));
        store.startLoad(began.mark(), true);
        ASSERT_TRUE(store.showFirstLook(first + 100, first + 200));  // the first look needs no load
        // Held, it does not begin of itself (an unheld load begins at once).
        EXPECT_FALSE(began.ready(std::chrono::milliseconds(50)));
        EXPECT_TRUE(store.loading());
        store.releaseLoad();
        EXPECT_TRUE(began.ready(std::chrono::seconds(60)));
        store.releaseLoad();  // again: nothing more
        EXPECT_EQ(TasksIn(store.grid()), 3000);
    }
    {
        // Needed before it was released: the table arrives whole.
        Began began;
        TaskStore store(filter, data.file("grid.grd"));
        store.startLoad(began.mark(), true);
        EXPECT_EQ(TasksIn(store.grid()), 3000);
        EXPECT_TRUE(began.ready(std::chrono::milliseconds(0)));
        ASSERT_TRUE(store.takeLoadResult());
    }
    {
        // Given up: the destructor neither hangs nor loads, and the file is
        // left as it was.
        bool loaded = false;
        {
            TaskStore store(filter, data.file("grid.grd"));
            store.startLoad([&] { loaded = true; }, true);
        }
        EXPECT_FALSE(loaded);
        Grid onDisk;
        ASSERT_TRUE(LoadGridFile(onDisk, data.file("grid.grd")).ok);
        EXPECT_EQ(TasksIn(onDisk), 3000);
    }
}

}  // namespace
}  // namespace morvane
