#pragma once
// One task as the sync sees it: a dated task (its day and cells), a to-do
// task, or an entry of the completed log, compared whole, written to a
// calendar server as the iCalendar export writes it and read back as the
// import reads it.
//
// Tasks have no identity in their files, so the sync journal knows each one
// by its content as the tables last held it (key()). The store's change feed
// keeps that content up to date as commands edit tasks, so a task keeps its
// server copy across edits.

#include "IcsExport.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace morvane {

struct SyncTask {
    enum class Kind : char { Dated = 'E', Todo = 'T', Completed = 'C' };
    Kind kind = Kind::Dated;
    int day = 0;       // dated tasks only
    StoredTask task;   // time and alarm: dated tasks only; done: not in the log
    // An entry of the log: the texts of its completion date and of the
    // task's own date, and the notes on its completion (its time, category
    // and notes are in `task`).
    QString completedOn, originalDate, completionNotes;

    // The whole content in one byte string, the journal's name for the task.
    QByteArray key() const;
    static std::optional<SyncTask> fromKey(QByteArrayView key);
    bool operator==(const SyncTask &o) const { return key() == o.key(); }

    // Equal for the first sync of a calendar that holds items already: the
    // same day, time, category and notes (done and alarm are left out, which
    // other programs do not carry; of a log entry, the notes on completion).
    bool sameItem(const SyncTask &o) const;

    // A row of the completed log, and the entry it holds.
    QStringList completedCells() const;
    static SyncTask fromCompletedCells(const QStringList &cells);
};

// The text a conflict copy's notes end with: the copy keeps what was changed
// here while the server's copy changed too.
inline constexpr const char16_t *kConflictCopyMark = u"(Conflict copy: changed here while the server's copy changed)";
SyncTask ConflictCopy(const SyncTask &task);

// How tasks are written and read: the import's window of days for repeating
// events, the locale's time format, the alarms' lead time, the stamp.
struct SyncMapping {
    FormatSettings formats = FormatSettings::enUS();
    int alarmLeadMinutes = 0;
    QDate today;
    QDateTime stamp;
};

// The task as a calendar object of its own, under `uid`.
QByteArray SyncTaskObject(const SyncTask &task, const QByteArray &uid, const SyncMapping &m);

// What a calendar object holds: one task for a single event or to-do, one
// for each occurrence within the window for a repeating event (`occurrence`
// naming it as RECURRENCE-ID would).
struct SyncObjectTask {
    QByteArray occurrence;
    SyncTask task;
};
struct SyncObject {
    bool ok = true;
    QString error;
    QByteArray uid;
    std::vector<SyncObjectTask> tasks;
    bool repeating() const;
};
SyncObject ReadSyncObject(const QByteArray &ics, const SyncMapping &m);

// The task as it comes back from the server after being written: what the
// mapping keeps of it (a time cell that is no time of day becomes "All day").
SyncTask RoundTrip(const SyncTask &task, const SyncMapping &m);

// A repeating event's object with one occurrence changed (an override
// component with its RECURRENCE-ID, replacing one there was) or taken out
// (an EXDATE on the event, and any override of it gone).
QByteArray WithOccurrenceChanged(const QByteArray &ics, const QByteArray &occurrence, const SyncTask &task,
                                 const QByteArray &uid, const SyncMapping &m);
QByteArray WithOccurrenceRemoved(const QByteArray &ics, const QByteArray &occurrence);

// The server's copy of a single event or to-do, `agreed` when it was last
// read, changed into `task`: the properties of what changed here are
// written as the mapping writes them, and every other line is kept as the
// server had it (a place, attendees, another program's own properties, its
// reminders while the alarm stays as it was). Its SEQUENCE, where it has
// one, goes up by one. The mapping's own object when the copy is not one
// single item of the task's kind.
// Whether the server's text of a single item holds anything the mapping's
// own object for its task would not: then it is kept, for WithTaskChanged.
bool HoldsMoreThanTheMapping(const QByteArray &ics, const SyncObject &object, const SyncMapping &m);

QByteArray WithTaskChanged(const QByteArray &serverIcs, const SyncTask &agreed, const SyncTask &task,
                           const QByteArray &uid, const SyncMapping &m);

}  // namespace morvane
