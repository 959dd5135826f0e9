#pragma once
// Small dated-task stores for the chart tests, built task by task.

#include "ChartCounts.h"
#include "TaskTables.h"
#include "TestFiles.h"
#include "Utility.h"

#include <QDate>
#include <ostream>

namespace morvane {

struct ChartTask {
    QDate date;
    QString time = QStringLiteral("9:00 AM");
    QString category = QStringLiteral("Work");
    bool done = false;
};

// The tasks in store order, keyed by their day and position.
inline Grid ChartStore(const QList<ChartTask> &tasks)
{
    Grid g = NewStoreGrid();
    g.setRowCount(int(std::max<qsizetype>(1, tasks.size())) + 1);
    for (int i = 0; i < tasks.size(); ++i) {
        const ChartTask &t = tasks[i];
        const int r = i + 1;
        g.setCell(kStoreKey, r, MakeStoreKey(DayNumber(t.date), 101 + i % 800));
        g.setCell(kStoreTime, r, t.time);
        g.setCell(kStoreCategory, r, t.category);
        g.setCell(kStoreNotes, r, QStringLiteral("Task %1").arg(i));
        g.setCell(kStoreDone, r, YesNo(t.done));
        g.setCell(kStoreAlarm, r, QStringLiteral("No"));
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    return g;
}

inline int Day(int y, int m, int d) { return DayNumber(QDate(y, m, d)); }

// A range as a failed test shows it: its two dates.
inline void PrintTo(const ChartRange &r, std::ostream *os)
{
    *os << DateOfDay(r.start).toString(Qt::ISODate).toStdString() << " through "
        << DateOfDay(r.end).toString(Qt::ISODate).toStdString();
}

}  // namespace morvane
