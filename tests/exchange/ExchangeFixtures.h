#pragma once
// Shared pieces of the exchange tests: small task tables, the time zone of
// the test process, and the sample files.

#include "TaskTables.h"
#include "TestFiles.h"
#include "Utility.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <ctime>
#include <initializer_list>

namespace morvane {

struct TaskRow {
    const char *date;  // yyyy-MM-dd
    const char *time, *category, *notes, *done, *alarm;
};

inline int DayOf(const char *isoDate) { return DayNumber(QDate::fromString(QString::fromLatin1(isoDate), Qt::ISODate)); }

// A sorted store of the tasks, keyed by their day and their place in it.
inline Grid StoreOf(std::initializer_list<TaskRow> tasks)
{
    Grid g = NewStoreGrid();
    g.setRowCount(int(tasks.size()) + 1);
    int r = 1, position = 100, lastDay = 0;
    for (const TaskRow &t : tasks) {
        const int day = DayOf(t.date);
        position = day == lastDay ? position + 1 : 101;
        lastDay = day;
        g.setCell(kStoreKey, r, MakeStoreKey(day, position));
        g.setCell(kStoreTime, r, QString::fromUtf8(t.time));
        g.setCell(kStoreCategory, r, QString::fromUtf8(t.category));
        g.setCell(kStoreNotes, r, QString::fromUtf8(t.notes));
        g.setCell(kStoreDone, r, QString::fromUtf8(t.done));
        g.setCell(kStoreAlarm, r, QString::fromUtf8(t.alarm));
        ++r;
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    return g;
}

inline Grid TodoOf(std::initializer_list<std::array<const char *, 3>> rows)
{
    Grid g = NewTodoGrid();
    g.setRowCount(std::max<int>(2, int(rows.size()) + 1));
    int r = 1;
    for (const auto &row : rows) {
        for (int c = 0; c < kTodoCols; ++c)
            g.setCell(c, r, QString::fromUtf8(row[std::size_t(c)]));
        ++r;
    }
    return g;
}

// The store's tasks as "yyyy-MM-dd|time|category|notes|done|alarm", in store
// order, with CR LF shown as "/" so that failures read well.
inline QStringList RowsOf(const Grid &store)
{
    QStringList out;
    for (int r = 1; r < store.rowCount(); ++r) {
        if (store.cellEmpty(kStoreKey, r))
            continue;
        QString notes = store.cell(kStoreNotes, r);
        notes.replace(QStringLiteral("\r\n"), QStringLiteral("/"));
        out << DateOfDay(KeyDay(store.cellUtf8(kStoreKey, r))).toString(Qt::ISODate) + u'|' + store.cell(kStoreTime, r) +
                   u'|' + store.cell(kStoreCategory, r) + u'|' + notes + u'|' + store.cell(kStoreDone, r) + u'|' +
                   store.cell(kStoreAlarm, r);
    }
    return out;
}

inline QStringList RowsOf(const std::vector<DatedTask> &tasks)
{
    QStringList out;
    for (const DatedTask &t : tasks) {
        QString notes = t.task.notes;
        notes.replace(QStringLiteral("\r\n"), QStringLiteral("/"));
        out << DateOfDay(t.day).toString(Qt::ISODate) + u'|' + t.task.time + u'|' + t.task.category + u'|' + notes +
                   u'|' + t.task.done + u'|' + t.task.alarm;
    }
    return out;
}

inline QStringList TodoRowsOf(const Grid &todo)
{
    QStringList out;
    for (int r = 1; r < todo.rowCount(); ++r)
        if (TodoRowHoldsTask(todo, r))
            out << todo.cell(kTodoCategory, r) + u'|' + todo.cell(kTodoNotes, r).replace(QStringLiteral("\r\n"), QStringLiteral("/")) + u'|' +
                       todo.cell(kTodoDone, r);
    return out;
}

// Sets the process's time zone for one test and puts the old one back.
class TimeZoneGuard {
public:
    explicit TimeZoneGuard(const char *zone) : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneGuard()
    {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool had_;
    QByteArray old_;
};

// "first,first+1,...,last": a part of a repeat rule that lists every value.
inline QByteArray EveryNumber(int first, int last)
{
    QByteArray out = QByteArray::number(first);
    for (int i = first + 1; i <= last; ++i)
        out += "," + QByteArray::number(i);
    return out;
}

inline QByteArray Sample(const char *name)
{
    return readBytes(QStringLiteral(MORVANE_ICS_SAMPLES "/") + QString::fromLatin1(name));
}

}  // namespace morvane
