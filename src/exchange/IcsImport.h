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
//   SUMMARY and DESCRIPTION         the notes (the summary as first line
//                                   unless the description begins with it)
//   CATEGORIES                      the category (several: joined by commas;
//                                   X-MORVANE-CATEGORY, when there, is exact)
//   an alarm                        the alarm flag of a timed task
//   X-MORVANE-DONE, STATUS          the done state
//
// One import adds at most kMaxIcsImportTasks tasks; the summary says so when
// the file holds more.
//
// What is already here is not added again: an occurrence matches a task of
// the same day with the same content, or, in a file this program wrote, the
// task its UID names (IcsIdentity.h). A file that cannot be read is refused
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
    };
    Kind kind;
    QString summary;  // the event's or to-do's summary
    QDate date;       // its first date, when it has one
    QDate until = {};  // a rule cut short: the last day it was followed to
};

struct IcsImportPlan {
    bool ok = true;
    // When the file cannot be read: the line (from 1) and the message that
    // names it, and the plan holds nothing.
    int errorLine = 0;
    QString error;

    std::vector<DatedTask> dated;  // one per occurrence, in the order of the file
    std::vector<StoredTask> todo;  // category, notes and done of to-do rows
    int alreadyHere = 0;           // occurrences and to-dos the tables hold already
    int outsideRange = 0;          // dated occurrences outside the chosen days
    int cancelled = 0;             // events the file marks as cancelled
    int completedLog = 0;          // completed-log entries of an export: not added
    bool full = false;             // kMaxIcsImportTasks reached: the rest of the file is left out
    bool interrupted = false;      // the planning was cancelled; the plan holds nothing
    std::vector<IcsImportNote> notes;

    int taskCount() const { return int(dated.size() + todo.size()); }
    int count(IcsImportNote::Kind kind) const;
};

// What a cancelled planning gives back: a plan that failed, holding nothing.
IcsImportPlan InterruptedIcsImportPlan();

// The days an import takes by default: one year back to two years ahead.
std::pair<QDate, QDate> DefaultIcsImportRange(const QDate &today);

// Reads the file and works out what an import would add; changes nothing.
// Recurring events are expanded over [from, to]; single events outside it
// are counted, not added. Time texts are written in the short time format
// of `formats`. With a control, it reports its progress and stops early
// (a plan that failed, marked interrupted) when cancelled.
IcsImportPlan PlanIcsImport(const QByteArray &file, const Grid &store, const Grid &todo, QDate from, QDate to,
                            const FormatSettings &formats, IcsPlanControl *control = nullptr);

// Adds the planned rows: the dated tasks to the store (which is then sorted
// and saved: the result is that save's), the to-do rows to the to-do list's
// free rows and then its end. A plan that failed adds nothing.
FileResult ApplyIcsImport(const IcsImportPlan &plan, TaskStore &store, Grid &todo);

// What the summary dialog says before anything changes: how many tasks will
// be added, what is skipped, and a line for each thing that cannot come
// across, e.g. "Team meeting (5/6/2024): its attendees are not kept".
QString IcsImportSummary(const IcsImportPlan &plan, const FormatSettings &formats);
QStringList IcsImportNoteLines(const IcsImportPlan &plan, const FormatSettings &formats);

}  // namespace morvane
