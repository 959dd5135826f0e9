#pragma once
// The task tables as the sync reads and changes them. The program hands the
// sync its own tables (changed on the window's thread, saved as any change
// is); `morvane --sync` without a running copy uses the files themselves.

#include "Clock.h"
#include "SyncTask.h"
#include "TaskTables.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace morvane {

class SyncTables {
public:
    virtual ~SyncTables() = default;

    // The tasks of the kinds asked for (the completed log's entries with `completed`).
    virtual std::vector<SyncTask> tasks(bool dated, bool todo, bool completed) = 0;

    // One change, found by content: `from` none adds `to`, `to` none
    // removes `from`. A task not found is left alone.
    struct Change {
        std::optional<SyncTask> from, to;
    };
    // Makes the changes and saves; returns why it could not save, or nothing.
    virtual QString apply(const std::vector<Change> &changes) = 0;
};

// Tables given by two functions (the program's window hands its own).
class FunctionSyncTables final : public SyncTables {
public:
    FunctionSyncTables(std::function<std::vector<SyncTask>(bool, bool, bool)> tasks,
                       std::function<QString(const std::vector<Change> &)> apply)
        : tasks_(std::move(tasks)), apply_(std::move(apply))
    {
    }
    std::vector<SyncTask> tasks(bool dated, bool todo, bool completed) override
    {
        return tasks_(dated, todo, completed);
    }
    QString apply(const std::vector<Change> &changes) override { return apply_(changes); }

private:
    std::function<std::vector<SyncTask>(bool, bool, bool)> tasks_;
    std::function<QString(const std::vector<Change> &)> apply_;
};

// The changes made to a store, to-do list and completed log held in memory
// (a change of a log entry into a to-do task moves it); the caller saves.
// Changes to the log are left out without one. Returns which tables changed.
struct TablesTouched {
    bool store = false, todo = false, completed = false;
};
TablesTouched ApplySyncChanges(TaskStore &store, Grid &todo, Grid *completed,
                               const std::vector<SyncTables::Change> &changes);
// Whether any of the changes reaches the completed log.
bool ReachesCompletedLog(const std::vector<SyncTables::Change> &changes);
// The tasks of the rows from `firstRow` on (1 skips the header row).
std::vector<SyncTask> TasksOf(const Grid &store, const Grid &todo, int firstRow, bool dated, bool withTodo);
// The entries of the completed log's rows from `firstRow` on; its empty rows are none.
std::vector<SyncTask> CompletedTasksOf(const Grid &completed, int firstRow);

// The files of a data folder: loaded when first read, saved after each
// change by the same rules as the window's (a damaged file is refused, the
// day's backup is kept, the save is atomic).
class FileSyncTables final : public SyncTables {
public:
    FileSyncTables(QString folder, const Clock &clock);
    // Why the files cannot be used, or nothing. The completed log is read
    // too when it is synced.
    QString load(bool withCompleted = false);
    std::vector<SyncTask> tasks(bool dated, bool todo, bool completed) override;
    QString apply(const std::vector<Change> &changes) override;

private:
    QString folder_;
    const Clock &clock_;
    TaskFilter all_;
    TaskStore store_;
    Grid todo_;
    std::optional<Grid> completed_;
};

}  // namespace morvane
