#pragma once
// Import of the events and to-dos of an iCalendar file written by another
// program, in two steps: PlanIcsImport reads the file and works out the
// rows it would add, without changing anything, so that the person can see
// what will happen and what cannot come across; ApplyIcsImport then adds
// them through the store's own operations.
//
//   event or to-do with a date      a dated task on that day (a to-do's date
//                                   is its DUE, else its DTSTART)
//   to-do without a date            a row of the to-do list
//   time in a zone or in UTC        converted to the machine's local time
//   floating time                   taken as local time
//   all-day                         a task whose time cell reads "All day"
//   RRULE / RDATE / EXDATE          one task per occurrence within the range
//                                   (a rule is followed with a ceiling on its
//                                   work; one cut short is listed)
//   RECURRENCE-ID                   the occurrence it names, moved or changed;
//                                   cancelled with RANGE=THISANDFUTURE, the
//                                   repeat ends there; changed so, the later
//                                   ones stay as the repeat has them (listed)
//   SUMMARY and DESCRIPTION         the notes (the summary as first line
//                                   unless the description begins with it)
//   LOCATION                        "Where: ..." as the notes' second line
//   CATEGORIES                      the category: the first value (the others
//                                   are listed; X-MORVANE-CATEGORY, when
//                                   there, is exact)
//   an alarm                        the alarm flag of a timed task (a reminder
//                                   at another lead time than the options'
//                                   is listed: the lead time is one for all)
//   X-MORVANE-DONE, STATUS          the done state
//
// One import adds at most kMaxIcsImportTasks tasks; the summary says so when
// the file holds more.
//
// What is already here is not added again: an occurrence is matched to a
// task by the rule of IcsIdentity.h. A task matched whose day, time or text
// the file changed is listed as changed, and one whose event the file
// cancelled (STATUS:CANCELLED, an EXDATE) as to be removed; the person
// chooses whether the import changes them. A file that cannot be read is refused
// with a message naming the line; nothing is added from it. Values libical
// cannot read count only where the import uses them (dates, times, zones);
// a rule it cannot follow is listed, and its event added on its first date.

#include "GridFile.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <utility>
#include <vector>

namespace morvane {

class Grid;

constexpr int kMaxIcsImportTasks = 100000;

// Lets a planning on another thread tell how far it has come and be stopped.
class IcsPlanControl {
public:
    // Called on the planning's thread with the share done, 0 to 1000, as it grows.
    std::function<void(int)> onProgress;

    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    const std::atomic<bool> *flag() const { return &cancelled_; }
    // The planning's part: `done` of `total`; tells onProgress when the share grows.
    void report(qint64 done, qint64 total);

private:
    std::atomic<bool> cancelled_{false};
    int reported_ = -1;
};

// Something of the file that the tables cannot hold.
struct IcsImportNote {
    enum class Kind {
        Attendees,              // the task is added, its attendees are not
        Attachments,            // the task is added, its attachments are not
        LongDuration,           // added on its first day only
        UnsupportedRecurrence,  // a rule that cannot be followed: first date only
        RuleCutShort,           // a rule that repeats too often: followed up to `until`
        NoDate,                 // an event without a start: not added
        OutsideRange,           // a single event outside the chosen days: not added
        RepeatsWithoutEnd,      // a repeat without end: `count` tasks within the chosen days
        OtherCategories,        // its first category is kept, `detail` lists the others
        Reminder,               // a reminder `count` seconds from the start (`detail`: "end"
                                // when from the end, "time" when at a set time)
        UnknownZone,            // its time zone `detail` is nowhere defined: taken as local time
        ChangedFromHereOn,      // an occurrence changed "this and the following": only it is changed
    };
    Kind kind;
    QString summary;  // the event's or to-do's summary
    QDate date;       // its first date, when it has one
    QDate until = {};  // a rule cut short: the last day it was followed to
    QString detail = {};
    qint64 count = 0;
};

// A task here that the file has changed or cancelled.
struct IcsTaskChange {
    bool todo = false;        // a row of the to-do list, else of the store
    bool remove = false;      // cancelled in the file
    std::uint64_t rowId = 0;  // the row's identity in its table (Grid::rowId)
    int dayWas = 0;           // the task as the table holds it
    StoredTask was;
    int day = 0;              // as the file has it (when not removed)
    StoredTask now;
};

// At most this many single events outside the chosen days are named.
constexpr int kMaxNamedOutsideRange = 20;

struct IcsImportPlan {
    bool ok = true;
    // When the file cannot be read: the line (from 1) and the message that
    // names it, and the plan holds nothing.
    int errorLine = 0;
    QString error;

    std::vector<DatedTask> dated;  // one per occurrence, in the order of the file
    // Beside each dated row: which occurrence of a repeating event it is, as
    // the RECURRENCE-ID naming it reads after the property's name
    // (";TZID=Europe/Paris:20261210T100000", ":20261210T090000Z",
    // ";VALUE=DATE:20261210"); empty for a single event.
    std::vector<QByteArray> occurrences;
    std::vector<StoredTask> todo;  // category, notes and done of to-do rows
    int alreadyHere = 0;           // occurrences and to-dos the tables hold already
    int outsideRange = 0;          // dated occurrences outside the chosen days
    int cancelled = 0;             // events the file marks as cancelled
    int completedLog = 0;          // completed-log entries of an export: not added
    bool full = false;             // kMaxIcsImportTasks reached: the rest of the file is left out
    bool interrupted = false;      // the planning was cancelled; the plan holds nothing
    int alarmLeadMinutes = 0;      // the options' lead time the plan was made with
    std::vector<IcsImportNote> notes;
    std::vector<IcsTaskChange> changes;  // tasks here the file changed, in the order of the file

    int taskCount() const { return int(dated.size() + todo.size()); }
    int count(IcsImportNote::Kind kind) const;
    int removals() const;
};

// What a cancelled planning gives back: a plan that failed, holding nothing.
IcsImportPlan InterruptedIcsImportPlan();

// The days an import takes by default: one year back to two years ahead.
std::pair<QDate, QDate> DefaultIcsImportRange(const QDate &today);

// An entry of the completed log as a calendar server holds it (the export's
// completed to-do marked as the log's): its six cells, kCompDate to
// kCompNotesDone, the completion date written in the short date format.
// `reopened` when another program has marked it not completed again.
struct IcsCompletedEntry {
    QStringList cells;
    bool reopened = false;
};
// The log's entries among the to-dos of an object (an import leaves them
// out); none when it cannot be read.
std::vector<IcsCompletedEntry> ReadIcsCompletedEntries(const QByteArray &ics, const FormatSettings &formats);

// Reads the file and works out what an import would add and change;
// changes nothing. Events (single or repeating) are taken over [from, to];
// single events outside it are counted and named, not added. Time texts are
// written in the short time format of `formats`; `alarmLeadMinutes` is the
// options' lead time of alarms. With a control, it reports its progress and
// stops early (a plan that failed, marked interrupted) when cancelled.
IcsImportPlan PlanIcsImport(const QByteArray &file, const Grid &store, const Grid &todo, QDate from, QDate to,
                            const FormatSettings &formats, IcsPlanControl *control = nullptr,
                            int alarmLeadMinutes = 0);

// Adds the planned rows: the dated tasks to the store (which is then sorted
// and saved: the result is that save's), the to-do rows to the to-do list's
// free rows and then its end; with `withChanges`, the tasks the file changed
// are changed in place and those it cancelled removed, through the store's
// own operations. A plan that failed adds nothing.
FileResult ApplyIcsImport(const IcsImportPlan &plan, TaskStore &store, Grid &todo, bool withChanges = true);

// What an import did, e.g. "Added 4 tasks, changed 1."
QString IcsImportDoneText(const IcsImportPlan &plan, bool withChanges);
// One line for each task the file changed, e.g.
// "Dentist (6/10/2026): moved to 6/11/2026 at 9:00 AM".
QStringList IcsImportChangeLines(const IcsImportPlan &plan, const FormatSettings &formats);

// What the summary dialog says before anything changes: how many tasks will
// be added, what is skipped, and a line for each thing that cannot come
// across, e.g. "Team meeting (5/6/2024): its attendees are not kept".
QString IcsImportSummary(const IcsImportPlan &plan, const FormatSettings &formats);
QStringList IcsImportNoteLines(const IcsImportPlan &plan, const FormatSettings &formats);

}  // namespace morvane
