#pragma once
// Generated dated-task stores for tests: n tasks as the program writes them.

#include "GridFile.h"
#include "TaskTables.h"

namespace morvane {

// n tasks, a few a day on the days before `lastDay`, with notes
// `notes` + their number, not done, no alarm.
inline QByteArray StoreOfTasks(int n, const QString &notes = QStringLiteral("Task "), int lastDay = 46365)
{
    Grid g = NewStoreGrid();
    g.setRowCount(n + 1);
    for (int r = 1; r <= n; ++r) {
        g.setCell(kStoreKey, r, MakeStoreKey(lastDay - r / 3, 101 + r % 3));
        g.setCell(kStoreTime, r, u"9:00 AM");
        g.setCell(kStoreCategory, r, u"Work");
        g.setCell(kStoreNotes, r, notes + QString::number(r));
        g.setCell(kStoreDone, r, u"No");
        g.setCell(kStoreAlarm, r, u"No");
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    return GridFileBytes(g);
}

// The rows of a store that hold a task.
inline int TasksIn(const Grid &store)
{
    int n = 0;
    for (int r = 1; r < store.rowCount(); ++r)
        n += !store.cellEmpty(kStoreKey, r);
    return n;
}

}  // namespace morvane
