#pragma once
// The task tables: the hidden store of dated tasks kept sorted by store key,
// the day list read from it and written back, the to-do list and the
// completed table; and the task filter that decides which dated tasks show.

#include "Grid.h"
#include "GridFile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace morvane {

// Columns of the dated-task store.
enum StoreColumn { kStoreKey = 0, kStoreTime, kStoreCategory, kStoreNotes, kStoreDone, kStoreAlarm, kStoreCols };
// Columns of the day list: the store's columns 1 to 5.
enum DayColumn { kDayTime = 0, kDayCategory, kDayNotes, kDayDone, kDayAlarm, kDayCols };
// Columns of the to-do list.
enum TodoColumn { kTodoCategory = 0, kTodoNotes, kTodoDone, kTodoCols };
// Columns of the completed table.
enum CompletedColumn { kCompDate = 0, kCompTime, kCompCategory, kCompOrigDate, kCompNotes, kCompNotesDone, kCompCols };

Grid NewStoreGrid();
Grid NewDayGrid();
Grid NewTodoGrid();
Grid NewCompletedGrid();
void SetDayHeaders(Grid &dayList);
void SetTodoHeaders(Grid &todo);
void SetCompletedHeaders(Grid &completed);

// A completed task goes to row 1; a row is inserted there first unless row 1
// is free. Returns 1.
int AddCompletedRow(Grid &completed, const QStringList &cells);

// A to-do task may have no category, so a to-do row is free only when both
// its category and its notes are empty.
bool TodoRowHoldsTask(const Grid &todo, int row);
int FirstFreeTodoRow(Grid &todo);

// The store key of a task: day number, a point, 100 + position ("36120.101").
QString MakeStoreKey(int day, int position);
// The day number of a store key: its integer part, 0 when it does not convert.
int KeyDay(QByteArrayView key);
// The store order: keys as (day number, position) numbers, which is the byte
// order of keys with five-digit days and three-digit positions and stays
// right outside that range; equal keys by columns 1 to 4 as bytes.
bool StoreRowLess(Grid::RowRef a, Grid::RowRef b);

struct CategoryCheck {
    QString name;
    bool checked = true;
};

// Which dated tasks the views show: done ones, not-done ones, and the
// categories that are checked. Categories not in the list always show.
class TaskFilter {
public:
    bool showDone() const { return showDone_; }
    bool showNotDone() const { return showNotDone_; }
    const QList<CategoryCheck> &categories() const { return categories_; }
    void setShowDone(bool on);
    void setShowNotDone(bool on);
    void setCategories(QList<CategoryCheck> categories);
    void setChecked(int index, bool checked);

    bool TaskPassesFilter(QStringView done, QStringView category) const;
    bool passes(QByteArrayView done, QByteArrayView category) const;  // UTF-8 cells
    bool rowPasses(const Grid &store, int row) const;
    bool FiltersOn() const;

private:
    void rebuild();
    bool showDone_ = true;
    bool showNotDone_ = true;
    QList<CategoryCheck> categories_;
    std::vector<QByteArray> lowered_;  // names with A-Z lowered, UTF-8
    std::vector<QString> folded_;      // names case-folded, for other letters
    bool allPass_ = true;
};

// Searches of the sorted store. Rows count when the filter lets them through.
int FindDayRow(const Grid &table, int day, bool toFirst, const TaskFilter &filter);
int CountDayRows(const Grid &table, int row, const TaskFilter &filter);
// The first row of the sorted store whose day is `day` or later (the row
// count when there is none).
int FirstRowOnOrAfter(const Grid &table, int day);
// 1 when the day's first deciding visible task is done (and done is wanted),
// 2 when it is not done (and not-done is wanted), -1 otherwise.
int DayDoneState(const Grid &table, int day, bool wantDone, bool wantNotDone, int *firstRow,
                 const TaskFilter &filter);

// One dated task as the store holds it, its key aside.
struct StoredTask {
    QString time, category, notes;
    QString done = QStringLiteral("No");
    QString alarm = QStringLiteral("No");
};

// A dated task with its day number, as imports hand tasks to the store.
struct DatedTask {
    int day = 0;
    StoredTask task;
};

// The dated-task store and its file. The day list is a working copy of one
// day's visible tasks; a write-back replaces exactly the store rows the last
// read handed out, whatever the filter says by then, so rows hidden by the
// filter are never lost or duplicated.
class TaskStore {
public:
    TaskStore(const TaskFilter &filter, QString path);
    // A load held back and never released is abandoned, not waited for.
    ~TaskStore();
    TaskStore(const TaskStore &) = delete;
    TaskStore &operator=(const TaskStore &) = delete;

    // The table, to read. It changes only through the operations below, so
    // that the day list's write-back always knows which rows are whose.
    const Grid &grid() const
    {
        settled();
        return store_;
    }
    // For tests and benchmarks that build a store by hand.
    Grid &gridForTests()
    {
        settle();
        return store_;
    }
    const QString &path() const { return path_; }

    // Loads the file; a damaged file blocks saving until allowSaveOver().
    FileResult load();
    bool saveBlocked()
    {
        settle();
        return saveBlocked_;
    }
    // The person has been told the file was damaged and agreed to replace it.
    void allowSaveOver()
    {
        settle();
        saveBlocked_ = false;
    }

    // The start of the program: the file loads whole on a thread of its own
    // (beforeLoad runs first on that thread). Meanwhile the window may paint
    // from the rows of a few days read straight from the file (the first
    // look); every operation of this class but firstLook and
    // readFirstLook first waits for the whole table and puts it in place
    // (settle), so that no command, read or save ever sees a part of it.
    // A `held` load waits to begin until releaseLoad() or anything that
    // needs the table: the window paints first from the first look, without
    // a thread filling memory on the other core (on a two-core machine that
    // made the first paint half as fast again). With `lookDays`, the thread
    // first reads the first look of those days, while the window is built
    // here; showFirstLook of the same days then takes it.
    void startLoad(std::function<void()> beforeLoad = {}, bool held = false,
                   std::pair<int, int> lookDays = {0, -1});
    void releaseLoad();
    // Reads the rows of fromDay .. toDay from the file for the first look;
    // false when the file gives any doubt that they are what the whole
    // load will hold there.
    bool showFirstLook(int fromDay, int toDay);
    bool firstLookCovers(int fromDay, int toDay) const
    {
        return look_ && lookFrom_ <= fromDay && toDay <= lookTo_;
    }
    // The first look while it stands in for the table, else the table.
    const Grid &firstLook() const { return look_ ? *look_ : store_; }
    // readFromStore from the first look; the write-back that follows the
    // load's arrival replaces the whole table's rows of that day.
    void readFirstLook(int day, Grid &dayList);
    bool loading() const { return loading_.valid(); }
    // Waits for the load startLoad began, if it is still pending, and puts
    // its table in place: a damaged or unreadable file blocks saving.
    void settle();
    // The result of the load startLoad began, after settle, once; nothing
    // when there was none or it was taken.
    std::optional<FileResult> takeLoadResult();
    // Whether the first look's rows differed from the whole table's rows of
    // its days (a file not in store order throughout).
    bool firstLookDiffered() const { return lookDiffered_; }
    // How long the last load on its thread took.
    qint64 loadMs() const { return loadMs_; }
    // Runs before every save of the file (the day's backup copy).
    void setBeforeSave(std::function<void()> f) { beforeSave_ = std::move(f); }

    // Puts a task at row 1 keyed to `day` at position 100 (not yet placed
    // within its day); the next SortGridStore puts it in its place.
    // Returns the row's identity.
    std::uint64_t insertTask(int day, const StoredTask &task);
    // The same for many tasks at once (an import of thousands): they go to
    // rows 1 onwards in one move, in the order given.
    void insertTasks(const std::vector<DatedTask> &tasks);
    // Removes the row with that identity, if it is still there.
    bool removeTask(std::uint64_t id);
    // Changes the rows with these identities in place: their cells, and
    // their day (a row given another day is keyed to it at position 100, to
    // be placed by the next SortGridStore). Returns how many were found.
    struct TaskChange {
        std::uint64_t id = 0;
        DatedTask task;
    };
    int changeTasks(const std::vector<TaskChange> &changes);
    // Removes the rows with these identities (a last body row is cleared
    // instead); returns how many went.
    int removeTasks(const std::vector<std::uint64_t> &ids);
    // The tasks on `fromDay` or later whose category, notes and done texts
    // are these: a task and its repeats. Time and alarm are not compared.
    int countRepeats(int fromDay, QStringView category, QStringView notes, QStringView done) const;
    // Removes them (a last body row is cleared instead); returns how many.
    int removeRepeats(int fromDay, QStringView category, QStringView notes, QStringView done);

    // Replaces the whole table, as a restored archive does. The person chose
    // to overwrite everything, so a file that loaded damaged may now be
    // saved over (its copy is in the backups). The day list reads afresh.
    void replaceTable(Grid table);
    // Puts back a state this table had before (a change taken back, or made
    // again). Unlike a restore it is no consent to save over a file that
    // loaded damaged. The day list reads afresh.
    void putBack(Grid table);
    // Removes the rows with these indices (a last body row is cleared
    // instead); returns how many went.
    int removeRows(const std::vector<int> &rows);

    void readFromStore(int day, Grid &dayList);
    FileResult writeToStore(int day, const Grid &dayList);
    // Removes rows without a key, restores the store order and saves.
    FileResult SortGridStore();
    FileResult save();

private:
    // What every table put in whole needs: its columns, no keyless rows, key order.
    void tidyLoadedTable();
    bool sorted() const;
    int firstRowOfDayOrAfter(int day) const;
    void readDay(const Grid &from, int day, Grid &dayList);
    // settle() for the reading operations. A store with a pending load is
    // never a const object (startLoad is not const), so the cast is sound;
    // for any other store settle does nothing.
    void settled() const { const_cast<TaskStore *>(this)->settle(); }
    struct Loaded {
        Grid table;
        FileResult result;
        qint64 ms = 0;
    };

    const TaskFilter &filter_;
    QString path_;
    Grid store_;
    bool saveBlocked_ = false;
    std::function<void()> beforeSave_;
    int readDay_ = 0;
    bool haveRead_ = false;
    std::vector<std::uint64_t> readIds_;  // store rows the day list came from
    bool readFromLook_ = false;           // ... or rows of the first look
    std::optional<Grid> look_;
    int lookFrom_ = 0, lookTo_ = -1;
    bool lookDiffered_ = false;
    std::optional<FileResult> loadResult_;
    qint64 loadMs_ = 0;
    // The word a held load waits for: true to begin, false when it is
    // abandoned.
    std::optional<std::promise<bool>> go_;
    // The first look of these days, read ahead by the load's thread:
    // whichever side comes to it first reads it.
    struct LookAhead {
        enum : int { kNobody, kThread, kHere };
        std::pair<int, int> days;
        std::atomic<int> claim{kNobody};
        std::promise<std::optional<Grid>> result;
    };
    std::shared_ptr<LookAhead> lookAhead_;
    // Last, so that a pending load's thread ends before the rest is gone.
    std::future<Loaded> loading_;
};

}  // namespace morvane
