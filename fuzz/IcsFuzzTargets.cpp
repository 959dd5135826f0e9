#include "IcsFuzzTargets.h"

#include "Grid.h"
#include "IcsImport.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QByteArray>
#include <QDate>

namespace morvane {

namespace {

constexpr int kMaxReimportChecked = 5000;

// The tables as ApplyIcsImport leaves them, without the save of the store
// it ends with: a save is a write to disk on every input.
bool applyInMemory(const IcsImportPlan &plan, Grid &store, Grid &todo)
{
    TaskFilter everything;
    TaskStore tasks(everything, QString());
    tasks.insertTasks(plan.dated);
    Grid added = tasks.grid();
    added.sortRows(1, added.rowCount(), StoreRowLess);
    store = std::move(added);

    IcsImportPlan todoOnly;
    todoOnly.todo = plan.todo;
    TaskStore untouched(everything, QString());
    return ApplyIcsImport(todoOnly, untouched, todo).ok;
}

bool holdsNothing(const IcsImportPlan &plan) { return plan.dated.empty() && plan.todo.empty(); }

}  // namespace

const char *FuzzIcsImport(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    static const FormatSettings us = fix2000(FormatSettings::enUS());
    const auto [from, to] = DefaultIcsImportRange(QDate(2026, 6, 15));

    IcsPlanControl watch;
    int lastShare = -1;
    bool shareWentBack = false;
    watch.onProgress = [&](int share) {
        shareWentBack = shareWentBack || share <= lastShare || share > 1000;
        lastShare = share;
    };
    const Grid emptyStore = NewStoreGrid();
    const Grid emptyTodo = NewTodoGrid();
    const IcsImportPlan plan = PlanIcsImport(file, emptyStore, emptyTodo, from, to, us, &watch);
    if (shareWentBack)
        return "the progress went back or past the end";
    if (plan.interrupted)
        return "a planning nobody cancelled was interrupted";
    // The summary is what the person reads; it must be there whatever the file.
    if (IcsImportSummary(plan, us).isEmpty())
        return "the summary is empty";
    if (!plan.ok) {
        if (!holdsNothing(plan))
            return "a refused file still plans tasks";
        if (plan.error.isEmpty() || plan.errorLine < 0)
            return "a refused file has no message";
        return nullptr;
    }
    if (lastShare != 1000)
        return "the progress did not reach its end";
    if (plan.taskCount() > kMaxIcsImportTasks)
        return "the plan holds more tasks than one import may add";
    const int fromDay = DayNumber(from), toDay = DayNumber(to);
    for (const DatedTask &t : plan.dated)
        if (t.day < fromDay || t.day > toDay)
            return "a task lies outside the chosen days";
    for (const IcsImportNote &n : plan.notes)
        if (n.kind == IcsImportNote::Kind::RuleCutShort && !n.until.isValid())
            return "a rule cut short does not say where";

    // Cancelled as soon as it first reports, the planning gives nothing back.
    IcsPlanControl stop;
    stop.onProgress = [&stop](int) { stop.cancel(); };
    const IcsImportPlan stopped = PlanIcsImport(file, emptyStore, emptyTodo, from, to, us, &stop);
    if (stopped.interrupted && (stopped.ok || !holdsNothing(stopped)))
        return "a cancelled planning still plans tasks";

    // Imported again, the same file adds nothing. A plan of thousands of
    // tasks (an exploding rule) is checked no better than a small one, and
    // building its tables would cost the fuzzer seconds an input.
    if (plan.full || plan.taskCount() == 0 || plan.taskCount() > kMaxReimportChecked)
        return nullptr;
    Grid store = emptyStore, todo = emptyTodo;
    if (!applyInMemory(plan, store, todo))
        return "the planned to-do rows could not be added";
    const IcsImportPlan again = PlanIcsImport(file, store, todo, from, to, us);
    if (!again.ok)
        return "a file planned once is refused the second time";
    if (again.taskCount() != 0)
        return "a second import of the same file adds tasks again";
    if (!again.changes.empty())
        return "a second import of the same file changes the tasks the first added";
    return nullptr;
}

}  // namespace morvane
