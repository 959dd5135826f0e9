#include "SyncTables.h"

#include "DailyBackup.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

bool datedRowIs(const Grid &store, int r, const SyncTask &t)
{
    return store.cell(kStoreTime, r) == t.task.time && store.cell(kStoreCategory, r) == t.task.category &&
           store.cell(kStoreNotes, r) == t.task.notes && store.cell(kStoreDone, r) == t.task.done &&
           store.cell(kStoreAlarm, r) == t.task.alarm;
}

int findDated(const Grid &store, const SyncTask &t, const std::vector<std::uint64_t> &taken)
{
    for (int r = FirstRowOnOrAfter(store, t.day); r < store.rowCount(); ++r) {
        if (KeyDay(store.cellUtf8(kStoreKey, r)) != t.day)
            break;
        if (datedRowIs(store, r, t) &&
            std::find(taken.begin(), taken.end(), store.rowId(r)) == taken.end())
            return r;
    }
    return -1;
}

int findTodo(const Grid &todo, const SyncTask &t)
{
    for (int r = 1; r < todo.rowCount(); ++r)
        if (TodoRowHoldsTask(todo, r) && todo.cell(kTodoCategory, r) == t.task.category &&
            todo.cell(kTodoNotes, r) == t.task.notes && todo.cell(kTodoDone, r) == t.task.done)
            return r;
    return -1;
}

int findCompleted(const Grid &completed, const SyncTask &t)
{
    const QStringList cells = t.completedCells();
    for (int r = 1; r < completed.rowCount(); ++r) {
        bool same = true;
        for (int c = 0; c < kCompCols && same; ++c)
            same = completed.cell(c, r) == cells[c];
        if (same)
            return r;
    }
    return -1;
}

void putTodo(Grid &todo, int row, const StoredTask &t)
{
    todo.setCell(kTodoCategory, row, t.category);
    todo.setCell(kTodoNotes, row, t.notes);
    todo.setCell(kTodoDone, row, t.done);
}

}  // namespace

std::vector<SyncTask> TasksOf(const Grid &store, const Grid &todo, int firstRow, bool dated, bool withTodo)
{
    std::vector<SyncTask> out;
    if (dated) {
        out.reserve(std::size_t(store.rowCount()));
        for (int r = firstRow; r < store.rowCount(); ++r) {
            const int day = KeyDay(store.cellUtf8(kStoreKey, r));
            if (day < 1)
                continue;
            SyncTask t;
            t.day = day;
            t.task = {store.cell(kStoreTime, r), store.cell(kStoreCategory, r), store.cell(kStoreNotes, r),
                      store.cell(kStoreDone, r), store.cell(kStoreAlarm, r)};
            out.push_back(std::move(t));
        }
    }
    if (withTodo) {
        for (int r = firstRow; r < todo.rowCount(); ++r) {
            if (!TodoRowHoldsTask(todo, r))
                continue;
            SyncTask t;
            t.kind = SyncTask::Kind::Todo;
            t.task = {QString(), todo.cell(kTodoCategory, r), todo.cell(kTodoNotes, r), todo.cell(kTodoDone, r),
                      QString()};
            out.push_back(std::move(t));
        }
    }
    return out;
}

std::vector<SyncTask> CompletedTasksOf(const Grid &completed, int firstRow)
{
    std::vector<SyncTask> out;
    for (int r = firstRow; r < completed.rowCount(); ++r) {
        if (completed.cellEmpty(kCompDate, r) && completed.cellEmpty(kCompNotes, r))
            continue;
        QStringList cells;
        for (int c = 0; c < kCompCols; ++c)
            cells << completed.cell(c, r);
        out.push_back(SyncTask::fromCompletedCells(cells));
    }
    return out;
}

bool ReachesCompletedLog(const std::vector<SyncTables::Change> &changes)
{
    return std::any_of(changes.begin(), changes.end(), [](const SyncTables::Change &c) {
        return (c.from && c.from->kind == SyncTask::Kind::Completed) ||
               (c.to && c.to->kind == SyncTask::Kind::Completed);
    });
}

TablesTouched ApplySyncChanges(TaskStore &store, Grid &todo, Grid *completed,
                               const std::vector<SyncTables::Change> &given)
{
    TablesTouched touched;
    std::vector<TaskStore::TaskChange> changed;
    std::vector<std::uint64_t> removed, taken;
    std::vector<DatedTask> added;
    if (todo.colCount() < kTodoCols)
        todo.setColCount(kTodoCols);
    // A task that changes its kind leaves one table for another.
    std::vector<SyncTables::Change> changes;
    changes.reserve(given.size());
    for (const SyncTables::Change &c : given) {
        if (c.from && c.to && c.from->kind != c.to->kind) {
            changes.push_back({c.from, std::nullopt});
            changes.push_back({std::nullopt, c.to});
        } else {
            changes.push_back(c);
        }
    }
    for (const SyncTables::Change &c : changes) {
        const SyncTask &any = c.from ? *c.from : *c.to;
        if (any.kind == SyncTask::Kind::Completed) {
            if (!completed)
                continue;
            if (completed->colCount() < kCompCols)
                completed->setColCount(kCompCols);
            const int row = c.from ? findCompleted(*completed, *c.from) : -1;
            if (c.from && row < 0)
                continue;
            if (!c.to) {
                completed->deleteBodyRow(row);
            } else if (row < 0) {
                AddCompletedRow(*completed, c.to->completedCells());
            } else {
                const QStringList cells = c.to->completedCells();
                for (int col = 0; col < kCompCols; ++col)
                    completed->setCell(col, row, cells[col]);
            }
            touched.completed = true;
            continue;
        }
        if (any.kind == SyncTask::Kind::Todo) {
            const int row = c.from ? findTodo(todo, *c.from) : FirstFreeTodoRow(todo);
            if (row < 0)
                continue;
            putTodo(todo, row, c.to ? c.to->task : StoredTask{QString(), QString(), QString(), QString(), QString()});
            touched.todo = true;
            continue;
        }
        if (!c.from) {
            added.push_back({c.to->day, c.to->task});
            continue;
        }
        const int row = findDated(store.grid(), *c.from, taken);
        if (row < 0)
            continue;
        const std::uint64_t id = store.grid().rowId(row);
        taken.push_back(id);
        if (c.to)
            changed.push_back({id, {c.to->day, c.to->task}});
        else
            removed.push_back(id);
    }
    if (!changed.empty())
        touched.store = store.changeTasks(changed) > 0 || touched.store;
    if (!removed.empty())
        touched.store = store.removeTasks(removed) > 0 || touched.store;
    if (!added.empty()) {
        store.insertTasks(added);
        touched.store = true;
    }
    return touched;
}

FileSyncTables::FileSyncTables(QString folder, const Clock &clock)
    : folder_(std::move(folder)), clock_(clock), store_(all_, JoinPath(folder_, u"grid.grd"_s))
{
}

QString FileSyncTables::load(bool withCompleted)
{
    if (const FileResult r = store_.load(); !r)
        return r.damaged ? r.message + u" Nothing was synced."_s : r.message;
    const QString path = JoinPath(folder_, u"gridNon.grd"_s);
    if (!QFileInfo::exists(path))
        return u"GridNon.grd file not found!"_s;
    todo_ = NewTodoGrid();
    if (const FileResult r = LoadGridFile(todo_, path); !r)
        return r.damaged ? r.message + u" Nothing was synced."_s : r.message;
    completed_.reset();
    if (withCompleted) {
        // No log yet is an empty one: the first task completed makes the file.
        Grid log = NewCompletedGrid();
        const QString logPath = JoinPath(folder_, u"gridComp.grd"_s);
        if (QFileInfo::exists(logPath))
            if (const FileResult r = LoadGridFile(log, logPath); !r)
                return r.damaged ? r.message + u" Nothing was synced."_s : r.message;
        completed_ = std::move(log);
    }
    return {};
}

std::vector<SyncTask> FileSyncTables::tasks(bool dated, bool todo, bool completed)
{
    std::vector<SyncTask> out = TasksOf(store_.grid(), todo_, 1, dated, todo);
    if (completed && completed_)
        for (SyncTask &t : CompletedTasksOf(*completed_, 1))
            out.push_back(std::move(t));
    return out;
}

QString FileSyncTables::apply(const std::vector<Change> &changes)
{
    const TablesTouched t = ApplySyncChanges(store_, todo_, completed_ ? &*completed_ : nullptr, changes);
    DailyBackup backup(folder_, clock_);
    if (t.store || t.todo || t.completed)
        (void)backup.beforeSave();
    if (t.store)
        if (const FileResult r = store_.SortGridStore(); !r)
            return r.message;
    if (t.todo)
        if (const FileResult r = SaveGridFile(todo_, JoinPath(folder_, u"gridNon.grd"_s)); !r)
            return r.message;
    if (t.completed)
        if (const FileResult r = SaveGridFile(*completed_, JoinPath(folder_, u"gridComp.grd"_s)); !r)
            return r.message;
    return {};
}

}  // namespace morvane
