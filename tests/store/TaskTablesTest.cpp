#include "TaskTables.h"
#include "TestFiles.h"
#include "Utility.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {

struct Task {
    const char *key, *time, *category, *notes, *done, *alarm;
};

void fill(Grid &store, std::initializer_list<Task> tasks)
{
    store.setRowCount(int(tasks.size()) + 1);
    int r = 1;
    for (const Task &t : tasks) {
        const char *cells[] = {t.key, t.time, t.category, t.notes, t.done, t.alarm};
        for (int c = 0; c < 6; ++c)
            store.setCell(c, r, QString::fromUtf8(cells[c]));
        ++r;
    }
}

QStringList column(const Grid &g, int col)
{
    QStringList out;
    for (int r = 1; r < g.rowCount(); ++r)
        out << g.cell(col, r);
    return out;
}

class StoreTest : public ::testing::Test {
protected:
    TempFolder dir;
    TaskFilter filter;
    TaskStore store{filter, dir.file("grid.grd")};
    Grid day = NewDayGrid();

    void addToDay(const char *time, const char *category, const char *notes, const char *done = "No")
    {
        const int r = FirstFreeRow(day);
        day.setCell(kDayTime, r, QString::fromUtf8(time));
        day.setCell(kDayCategory, r, QString::fromUtf8(category));
        day.setCell(kDayNotes, r, QString::fromUtf8(notes));
        day.setCell(kDayDone, r, QString::fromUtf8(done));
        day.setCell(kDayAlarm, r, u"No");
    }
};

}  // namespace

TEST(TaskFilter, DoneSwitchesAndCategories)
{
    TaskFilter f;
    EXPECT_FALSE(f.FiltersOn());
    EXPECT_TRUE(f.TaskPassesFilter(u"Yes", u"Work"));

    f.setShowDone(false);
    EXPECT_TRUE(f.FiltersOn());
    EXPECT_FALSE(f.TaskPassesFilter(u"Yes", u"Work"));
    EXPECT_TRUE(f.TaskPassesFilter(u"No", u"Work"));
    EXPECT_TRUE(f.TaskPassesFilter(u"yes", u"Work"));  // only "Yes" is done
    f.setShowDone(true);
    f.setShowNotDone(false);
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"Work"));
    EXPECT_TRUE(f.TaskPassesFilter(u"", u"Work"));
    f.setShowNotDone(true);

    f.setCategories({{"Work", true}, {"Home", false}, {"Café", false}});
    EXPECT_TRUE(f.FiltersOn());
    EXPECT_TRUE(f.TaskPassesFilter(u"No", u"WORK"));
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"hOmE"));
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"CAFé"));
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"CAFÉ"));  // every letter folds, not only A to Z
    EXPECT_TRUE(f.TaskPassesFilter(u"No", u"Garden"));  // not in the list: shown
    EXPECT_TRUE(f.TaskPassesFilter(u"No", u""));

    f.setCategories({{"", false}, {"Home", false}, {"home", true}});
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u""));
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"home"));  // the first match decides
    f.setChecked(0, true);
    f.setChecked(1, true);
    EXPECT_FALSE(f.FiltersOn());
}

TEST(StoreKeys, DaysAndOrder)
{
    EXPECT_EQ(MakeStoreKey(36120, 101), "36120.101");
    EXPECT_EQ(KeyDay("36120.101"), 36120);
    EXPECT_EQ(KeyDay("-5.101"), -5);
    EXPECT_EQ(KeyDay(""), 0);
    EXPECT_EQ(KeyDay("garbage"), 0);
    EXPECT_EQ(KeyDay("36120"), 36120);
    EXPECT_EQ(KeyDay(" 36120.5 "), 36120);  // read as a number

    Grid g(6, 1);
    fill(g, {{"100000.101", "", "", "", "", ""},   // beyond five digits
             {"36121.100", "", "", "", "", ""},
             {"9999.101", "", "", "", "", ""},     // before May 1927
             {"36121.1000", "", "", "", "", ""},   // past 899 tasks a day
             {"36121.99", "", "", "", "", ""},
             {"36121.101", "9:00 AM", "", "", "", ""},
             {"36121.101", "10:00 AM", "", "", "", ""}});
    g.sortRows(1, g.rowCount(), StoreRowLess);
    EXPECT_EQ(column(g, 0), QStringList({"9999.101", "36121.99", "36121.100", "36121.101", "36121.101",
                                         "36121.1000", "100000.101"}));
    EXPECT_EQ(g.cell(1, 4), "10:00 AM");  // equal keys by the time text's bytes
}

TEST(DaySearch, FindCountAndDoneState)
{
    Grid g(6, 1);
    fill(g, {{"36119.101", "9:00 AM", "Work", "a", "Yes", "No"},
             {"36120.101", "9:00 AM", "Home", "b", "Yes", "No"},
             {"36120.102", "10:00 AM", "Work", "c", "No", "No"},
             {"36120.103", "11:00 AM", "Home", "d", "No", "No"},
             {"36122.101", "9:00 AM", "Work", "e", "No", "No"}});
    TaskFilter all;
    EXPECT_EQ(FindDayRow(g, 36120, true, all), 2);
    EXPECT_EQ(FindDayRow(g, 36121, true, all), -1);
    EXPECT_EQ(FindDayRow(g, 36122, true, all), 5);
    EXPECT_EQ(FindDayRow(Grid(6, 1), 36120, true, all), -1);
    EXPECT_EQ(CountDayRows(g, 2, all), 3);
    EXPECT_EQ(CountDayRows(g, 3, all), 2);

    int first = 0;
    EXPECT_EQ(DayDoneState(g, 36120, true, true, &first, all), 1);  // first row is done
    EXPECT_EQ(first, 2);
    EXPECT_EQ(DayDoneState(g, 36120, false, true, &first, all), 2);
    EXPECT_EQ(DayDoneState(g, 36119, false, true, &first, all), -1);
    first = 77;
    EXPECT_EQ(DayDoneState(g, 36120, false, false, &first, all), -1);
    EXPECT_EQ(first, 77);  // left alone when nothing is wanted
    EXPECT_EQ(DayDoneState(g, 36121, true, true, &first, all), -1);
    EXPECT_EQ(first, -1);

    TaskFilter noHome;
    noHome.setCategories({{"Home", false}});
    EXPECT_EQ(FindDayRow(g, 36120, true, noHome), 3);
    EXPECT_EQ(CountDayRows(g, 3, noHome), 1);
    EXPECT_EQ(DayDoneState(g, 36120, true, true, nullptr, noHome), 2);
    TaskFilter noWork;
    noWork.setCategories({{"work", false}});
    EXPECT_EQ(FindDayRow(g, 36122, true, noWork), -1);
    EXPECT_EQ(FindDayRow(g, 36120, true, noWork), 2);
    EXPECT_EQ(FindDayRow(g, 36120, false, noWork), 4);  // found beside the middle row
}

TEST_F(StoreTest, ReadingADayAndAnEmptyDay)
{
    fill(store.gridForTests(), {{"36120.101", "9:00 AM", "Work", "a", "No", "Yes"},
                        {"36120.102", "10:00 AM", "Home", "b\r\nc\r\n", "Yes", "No"},
                        {"36121.101", "9:00 AM", "Work", "z", "No", "No"}});
    store.readFromStore(36120, day);
    EXPECT_EQ(day.rowCount(), 3);
    EXPECT_EQ(column(day, kDayNotes), QStringList({"a", "b\r\nc\r\n"}));
    EXPECT_EQ(day.cell(kDayAlarm, 1), "Yes");
    EXPECT_EQ(day.cell(kDayTime, 0), "Time");  // the header stays

    store.readFromStore(36200, day);
    EXPECT_EQ(day.rowCount(), 2);
    EXPECT_TRUE(day.cellEmpty(kDayTime, 1));
    EXPECT_TRUE(day.cellEmpty(kDayNotes, 1));
}

TEST_F(StoreTest, WritingBackGivesFreshKeysAndSaves)
{
    fill(store.gridForTests(), {{"36119.101", "9:00 AM", "", "before", "No", "No"},
                        {"36121.101", "9:00 AM", "", "after", "No", "No"}});
    store.readFromStore(36120, day);
    addToDay("8:00 AM", "Work", "one");
    ASSERT_TRUE(store.writeToStore(36120, day).ok);
    EXPECT_EQ(column(store.gridForTests(), 0), QStringList({"36119.101", "36120.101", "36121.101"}));

    // Three tasks with a free row between: keys follow the day list, and the
    // free row leaves nothing.
    store.readFromStore(36120, day);
    day.setRowCount(5);
    day.setCell(kDayTime, 3, u"11:00 AM");
    day.setCell(kDayNotes, 3, u"three");
    day.setCell(kDayTime, 4, u"12:00 PM");
    day.setCell(kDayNotes, 4, u"four");
    ASSERT_TRUE(store.writeToStore(36120, day).ok);
    EXPECT_EQ(column(store.gridForTests(), 0),
              QStringList({"36119.101", "36120.101", "36120.103", "36120.104", "36121.101"}));
    EXPECT_EQ(column(store.gridForTests(), kStoreNotes), QStringList({"before", "one", "three", "four", "after"}));

    // It is on disk at once.
    Grid disk;
    ASSERT_TRUE(LoadGridFile(disk, store.path()).ok);
    EXPECT_EQ(GridFileBytes(disk), GridFileBytes(store.gridForTests()));

    // Writing a day back twice does not duplicate it.
    ASSERT_TRUE(store.writeToStore(36120, day).ok);
    EXPECT_EQ(store.gridForTests().rowCount(), 6);
}

TEST_F(StoreTest, APlacedLaterRowListsFirstUntilTheDayIsWritten)
{
    fill(store.gridForTests(), {{"36120.101", "9:00 AM", "", "placed", "No", "No"},
                        {"36120.100", "3:00 PM", "", "moved here", "No", "No"}});
    ASSERT_TRUE(store.SortGridStore().ok);
    store.readFromStore(36120, day);
    EXPECT_EQ(column(day, kDayNotes), QStringList({"moved here", "placed"}));
    ASSERT_TRUE(store.writeToStore(36120, day).ok);
    EXPECT_EQ(column(store.gridForTests(), 0), QStringList({"36120.101", "36120.102"}));
}

TEST_F(StoreTest, HiddenRowsSurviveAWriteBackExactlyOnce)
{
    fill(store.gridForTests(), {{"36120.101", "9:00 AM", "Work", "shown 1", "No", "No"},
                        {"36120.102", "10:00 AM", "Secret", "hidden", "No", "No"},
                        {"36120.103", "11:00 AM", "Work", "shown 2", "No", "No"}});
    filter.setCategories({{"Secret", false}});
    store.readFromStore(36120, day);
    EXPECT_EQ(column(day, kDayNotes), QStringList({"shown 1", "shown 2"}));
    day.setCell(kDayNotes, 2, u"shown 2, edited");
    ASSERT_TRUE(store.writeToStore(36120, day).ok);
    QStringList notes = column(store.gridForTests(), kStoreNotes);
    notes.sort();
    EXPECT_EQ(notes, QStringList({"hidden", "shown 1", "shown 2, edited"}));
}

// The filter may change between reading a day and writing it back (the
// filter dialog closed with its close box does not re-read the day). The
// write-back must replace exactly the rows that were read.
TEST_F(StoreTest, AFilterChangedBetweenReadAndWriteLosesAndDuplicatesNothing)
{
    fill(store.gridForTests(), {{"36120.101", "9:00 AM", "Work", "work", "No", "No"},
                        {"36120.102", "10:00 AM", "Home", "home", "No", "No"}});
    filter.setCategories({{"Home", false}, {"Work", true}});
    store.readFromStore(36120, day);  // lists "work" only
    filter.setCategories({{"Home", true}, {"Work", false}});
    addToDay("11:00 AM", "Home", "new");
    ASSERT_TRUE(store.writeToStore(36120, day).ok);
    QStringList notes = column(store.gridForTests(), kStoreNotes);
    notes.sort();
    EXPECT_EQ(notes, QStringList({"home", "new", "work"}));

    // Rows put in after the read (a task moved to this day) stay too.
    store.readFromStore(36120, day);
    const int r = store.gridForTests().rowCount();
    store.gridForTests().setRowCount(r + 1);
    store.gridForTests().setCell(kStoreKey, r, u"36120.100");
    store.gridForTests().setCell(kStoreNotes, r, u"moved in");
    store.gridForTests().setCell(kStoreTime, r, u"1:00 PM");
    ASSERT_TRUE(store.writeToStore(36120, day).ok);
    EXPECT_EQ(store.gridForTests().rowCount(), 5);
    EXPECT_TRUE(column(store.gridForTests(), kStoreNotes).contains("moved in"));
}

TEST_F(StoreTest, ManyTasksInsertedAtOnceTakeTheirDaysAfterTheSort)
{
    addToDay("9:00 AM", "Work", "Kept");
    ASSERT_TRUE(store.writeToStore(40000, day).ok);
    StoredTask a;
    a.time = "8:00 AM";
    a.category = "Home";
    a.notes = "Later day";
    StoredTask b = a;
    b.notes = "Same day";
    b.done = "Yes";
    store.insertTasks({{40001, a}, {40000, b}});
    EXPECT_EQ(store.grid().rowCount(), 4);
    EXPECT_EQ(store.grid().cell(kStoreKey, 1), "40001.100");
    EXPECT_EQ(store.grid().cell(kStoreKey, 2), "40000.100");
    ASSERT_TRUE(store.SortGridStore().ok);
    EXPECT_EQ(column(store.grid(), kStoreKey), QStringList({"40000.100", "40000.101", "40001.100"}));
    EXPECT_EQ(column(store.grid(), kStoreNotes), QStringList({"Same day", "Kept", "Later day"}));
    EXPECT_EQ(column(store.grid(), kStoreDone), QStringList({"Yes", "No", "No"}));
    store.insertTasks({});
    EXPECT_EQ(store.grid().rowCount(), 4);
}

TEST_F(StoreTest, SortGridStoreDropsRowsWithoutKeyAndSorts)
{
    fill(store.gridForTests(), {{"36122.101", "", "", "c", "", ""},
                        {"", "9:00 AM", "", "no key", "", ""},
                        {"36120.101", "", "", "a", "", ""}});
    ASSERT_TRUE(store.SortGridStore().ok);
    EXPECT_EQ(column(store.gridForTests(), kStoreNotes), QStringList({"a", "c"}));

    fill(store.gridForTests(), {{"", "", "", "", "", ""}});
    ASSERT_TRUE(store.SortGridStore().ok);
    EXPECT_EQ(store.gridForTests().rowCount(), 2);  // one body row always remains
}

TEST_F(StoreTest, LoadingOrdersTheStoreAndADamagedFileIsNeverSavedOver)
{
    writeBytes(store.path(), "6,3\r\n0,1,36121.101\r\n3,1,later\r\n0,2,36120.101\r\n3,2,sooner\r\n");
    ASSERT_TRUE(store.load().ok);
    EXPECT_EQ(column(store.gridForTests(), kStoreNotes), QStringList({"sooner", "later"}));
    store.readFromStore(36120, day);
    EXPECT_EQ(day.cell(kDayNotes, 1), "sooner");

    const QByteArray damaged = "6,30000000\r\n0,1,36120.101\r\n";
    writeBytes(store.path(), damaged);
    const FileResult r = store.load();
    EXPECT_TRUE(r.damaged);
    EXPECT_TRUE(store.saveBlocked());
    EXPECT_EQ(store.gridForTests().cell(kStoreNotes, 1), "sooner");  // memory keeps working
    const FileResult w = store.writeToStore(36120, day);
    EXPECT_FALSE(w.ok);
    EXPECT_TRUE(w.message.contains("damaged")) << w.message.toStdString();
    EXPECT_EQ(readBytes(store.path()), damaged);
    store.allowSaveOver();
    EXPECT_TRUE(store.SortGridStore().ok);
    EXPECT_NE(readBytes(store.path()), damaged);
}

TEST_F(StoreTest, ARestoredTableIsPutInOrderAsALoadedOneIs)
{
    // An archive written by another copy: out of key order, with a keyless row.
    Grid restored = NewStoreGrid();
    fill(restored, {{"36121.101", "", "", "later", "", ""},
                    {"", "", "", "no key", "", ""},
                    {"36120.102", "", "", "second", "", ""},
                    {"36120.101", "", "", "first", "", ""}});
    store.replaceTable(std::move(restored));
    EXPECT_EQ(column(store.grid(), kStoreNotes), QStringList({"first", "second", "later"}));
    store.readFromStore(36120, day);
    EXPECT_EQ(column(day, kDayNotes), QStringList({"first", "second"}));
    store.readFromStore(36121, day);
    EXPECT_EQ(day.cell(kDayNotes, 1), "later");
}

TEST(OtherTables, ToDoFreeRowsAndCompletedRows)
{
    Grid todo = NewTodoGrid();
    EXPECT_EQ(todo.cell(kTodoNotes, 0), "What");
    todo.setCell(kTodoNotes, 1, u"no category, still a task");
    EXPECT_TRUE(TodoRowHoldsTask(todo, 1));
    EXPECT_EQ(FirstFreeTodoRow(todo), 2);  // row 1 is not taken for free
    EXPECT_EQ(todo.rowCount(), 3);

    Grid done = NewCompletedGrid();
    EXPECT_EQ(done.cell(kCompNotesDone, 0), "Comp Notes");
    AddCompletedRow(done, {"12/9/2026", "9:00 AM", "Work", "Wed 12/9/2026", "first", ""});
    EXPECT_EQ(done.rowCount(), 2);  // row 1 was free
    AddCompletedRow(done, {"12/10/2026", "9:00 AM", "Work", "To-do task", "second", "ok"});
    EXPECT_EQ(done.rowCount(), 3);
    EXPECT_EQ(column(done, kCompNotes), QStringList({"second", "first"}));
}

TEST(Filter, CategoriesMatchWhateverTheCaseOfEveryLetter)
{
    TaskFilter f;
    f.setCategories({{"Épicerie", false}, {"Work", true}, {"ÅRSMØTE", false}});
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"épicerie"));
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"ÉPICERIE"));
    EXPECT_FALSE(f.TaskPassesFilter(u"No", u"årsmøte"));
    EXPECT_TRUE(f.TaskPassesFilter(u"No", u"WORK"));
    EXPECT_TRUE(f.TaskPassesFilter(u"No", u"Epicerie"));  // another word: not listed, shown
}
