// What Edit > Undo costs each command at 100k tasks: the copy of the store
// taken as the command starts, the change worked out as it ends, and the
// table rebuilt when the step is taken back. Each is set beside the save that
// every command makes anyway (BM_SaveGridFile in the same run).

#include "Dataset.h"

#include "GridFile.h"
#include "TableChange.h"
#include "TaskTables.h"
#include "UndoHistory.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <memory>

using namespace morvane;
using namespace morvane::bench;

namespace {

// A store of n tasks loaded from its file, as the program holds it.
struct UndoStore {
    QTemporaryDir dir;
    TaskFilter filter;
    std::unique_ptr<TaskStore> store;
    explicit UndoStore(int n)
    {
        const QString path = dir.filePath(QStringLiteral("grid.grd"));
        if (!SaveGridFile(MakeStore(n), path).ok)
            std::abort();
        store = std::make_unique<TaskStore>(filter, path);
        if (!store->load().ok)
            std::abort();
    }
    // A task in the middle of the store, where a change is hardest to find.
    std::uint64_t middleTask() const { return store->grid().rowId(store->grid().rowCount() / 2); }
};

// A delete recorded as a step: the copy before, the command, the change.
void BM_UndoRecordStep(benchmark::State &state)
{
    UndoStore s(int(state.range(0)));
    const Grid original = s.store->grid();
    for (auto _ : state) {
        Grid before = s.store->grid();
        s.store->removeTask(s.middleTask());
        TableChange change = TableChange::between(before, s.store->grid(), StoreRowLess);
        benchmark::DoNotOptimize(change);
        state.PauseTiming();
        if (change.rowsTakenOut() != 1)
            state.SkipWithError("the delete was not found");
        s.store->putBack(original);
        state.ResumeTiming();
    }
}

// The same delete taken back: the check that the table is as the step left
// it, and the table rebuilt from it.
void BM_UndoTakeBackStep(benchmark::State &state)
{
    UndoStore s(int(state.range(0)));
    const Grid before = s.store->grid();
    s.store->removeTask(s.middleTask());
    const Grid after = s.store->grid();
    const TableChange change = TableChange::between(before, after, StoreRowLess);
    for (auto _ : state) {
        if (!change.isAsAfter(after))
            state.SkipWithError("the table is not as the step left it");
        Grid back = change.before(after);
        benchmark::DoNotOptimize(back);
    }
}

// A sync bringing two changes (a task added, another changed) while the
// history holds a hundred steps, each a task deleted somewhere in the store:
// the copy of the store before the changes, the changes worked out, and
// every step carried over them.
void BM_UndoCarryOverSync(benchmark::State &state)
{
    UndoStore s(int(state.range(0)));
    std::vector<TablesChange> steps;
    for (int i = 0; i < UndoHistory::kLimit; ++i) {
        const Grid before = s.store->grid();
        s.store->removeTask(s.store->grid().rowId(1 + (i * 997) % (s.store->grid().rowCount() - 1)));
        TablesChange c;
        c.store = TableChange::between(before, s.store->grid(), StoreRowLess);
        steps.push_back(std::move(c));
    }
    const Grid withHistory = s.store->grid();
    Grid synced = withHistory;
    const int changedRow = synced.rowCount() / 3;
    synced.setCell(kStoreNotes, changedRow, synced.cell(kStoreNotes, changedRow) + QStringLiteral(" (from the phone)"));
    synced.insertRows(1, 1);
    synced.setCell(kStoreKey, 1, MakeStoreKey(KeyDay(synced.cellUtf8(kStoreKey, synced.rowCount() / 2)), 100));
    synced.setCell(kStoreTime, 1, QStringLiteral("9:00 AM"));
    synced.setCell(kStoreCategory, 1, QStringLiteral("Home"));
    synced.setCell(kStoreNotes, 1, QStringLiteral("Added on the phone"));
    synced.setCell(kStoreDone, 1, QStringLiteral("No"));
    synced.setCell(kStoreAlarm, 1, QStringLiteral("No"));
    synced.sortRows(1, synced.rowCount(), StoreRowLess);
    for (auto _ : state) {
        state.PauseTiming();
        s.store->putBack(withHistory);
        UndoHistory history([](const TablesChange &, bool) {});
        for (const TablesChange &c : steps)
            history.record(QStringLiteral("Delete task"), c);
        state.ResumeTiming();
        const Grid before = s.store->grid();
        state.PauseTiming();
        s.store->putBack(synced);
        state.ResumeTiming();
        const TableChange change = TableChange::between(before, s.store->grid(), StoreRowLess);
        if (history.carryOver(change, std::nullopt, std::nullopt, StoreRowLess) != 0)
            state.SkipWithError("a step was not carried over");
    }
}

}  // namespace

BENCHMARK(BM_UndoRecordStep)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoTakeBackStep)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoCarryOverSync)->Arg(100000)->Unit(benchmark::kMillisecond);
