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

// Tasks on 2 December 2026 (46358) and on 9 December 2026 (46365), which
// has two: "Water plants", repeated on the 16th and 23rd, and "Call the
// bank" with an alarm; and "Meeting" on the 11th.
inline QByteArray StoreWithRepeats()
{
    Grid g = NewStoreGrid();
    struct T {
        int day, pos;
        const char *time, *category, *notes, *done, *alarm;
    };
    const T tasks[] = {
        {46358, 101, "8:00 AM", "Home", "Water plants", "No", "No"},
        {46365, 101, "8:00 AM", "Home", "Water plants", "No", "No"},
        {46365, 102, "9:00 AM", "Work", "Call the bank", "No", "Yes"},
        {46367, 101, "10:00 AM", "Work", "Meeting", "No", "No"},
        {46372, 101, "8:00 AM", "Home", "Water plants", "No", "No"},
        {46379, 101, "8:00 AM", "Home", "Water plants", "No", "No"},
    };
    g.setRowCount(int(std::size(tasks)) + 1);
    int r = 1;
    for (const T &t : tasks) {
        g.setCell(kStoreKey, r, MakeStoreKey(t.day, t.pos));
        g.setCell(kStoreTime, r, QString::fromLatin1(t.time));
        g.setCell(kStoreCategory, r, QString::fromLatin1(t.category));
        g.setCell(kStoreNotes, r, QString::fromLatin1(t.notes));
        g.setCell(kStoreDone, r, QString::fromLatin1(t.done));
        g.setCell(kStoreAlarm, r, QString::fromLatin1(t.alarm));
        ++r;
    }
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
