// What Edit > Undo costs each command at 100k tasks: the copy of the store
// taken as the command starts, the change worked out as it ends, and the
// table rebuilt when the step is taken back. Each is set beside the save that
// every command makes anyway (BM_SaveGridFile in the same run).

#include "Dataset.h"

#include "GridFile.h"
#include "TableChange.h"
#include "TaskTables.h"

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

}  // namespace

BENCHMARK(BM_UndoRecordStep)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoTakeBackStep)->Arg(100000)->Unit(benchmark::kMillisecond);
