#pragma once
// Export of the tasks as an iCalendar file (RFC 5545) that other calendar
// programs read: every dated task an event on its day, the to-do list as
// to-dos, and, when asked for, the completed log as completed to-dos.
//
//   dated task with a time   DTSTART in floating local time, DTEND 30 minutes later
//   dated task without one   an all-day event (DTSTART;VALUE=DATE, DTEND the next day)
//   notes                    SUMMARY = the first line, DESCRIPTION = all of them
//   category                 CATEGORIES (and X-MORVANE-CATEGORY when it holds a comma)
//   alarm "Yes"              a DISPLAY alarm, the options' lead time ahead
//   done                     X-MORVANE-DONE (and STATUS: CONFIRMED for an event,
//                            which has no done state; COMPLETED or NEEDS-ACTION
//                            for a to-do)
//
// Every UID comes from the task's content (IcsIdentity.h), so exporting again
// updates the other program's copies rather than adding new ones. Every
// property is written by libical, as it writes it inside a component.

#include "GridFile.h"
#include "PrintSelection.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace morvane {

class Grid;

struct IcsExportOptions {
    // Which dated tasks: the range dialog's choice of all or a range of days
    // (its other fields are not used here) ...
    PrintRange range;
    // ... and the filter in force; none lets every task through.
    const TaskFilter *filter = nullptr;
    bool includeTodo = true;
    // AlarmMin of the options: how many minutes ahead alarms are raised.
    int alarmLeadMinutes = 0;
    // DTSTAMP of every component: when the file was written (the clock's now).
    QDateTime stamp;
    // The locale's formats, to read the tables' time and date texts.
    FormatSettings formats = FormatSettings::enUS();
};

// A time cell that is empty or is not a time makes the task an all-day one;
// an all-day event imported becomes a task with this text in its time cell
// (a task needs a non-empty time cell to show in the day list).
inline constexpr const char16_t *kIcsAllDayTime = u"All day";

// The whole file. The completed log is added when `completed` is given; the
// filter applies to it as to tasks done, and the range to its completion
// dates. `written`, when given, is set to the number of tasks written.
QByteArray ExportIcs(const Grid &store, const Grid &todo, const Grid *completed, const IcsExportOptions &options,
                     int *written = nullptr);

// Writes the file atomically: the old file stays whole until the new one is
// complete on disk. Refuses read-only files and folders.
FileResult ExportIcsFile(const QString &path, const Grid &store, const Grid &todo, const Grid *completed,
                         const IcsExportOptions &options, int *written = nullptr);

// One task as an event or to-do of its own, mapped as the file export maps
// it but under the `uid` given (a task synced with a calendar server keeps
// the UID it was first sent with, whatever its text becomes). `extraLines`
// (whole, folded lines) go before the component's END line.
QByteArray IcsDatedTaskComponent(const DatedTask &task, const QByteArray &uid, const IcsExportOptions &options,
                                 QByteArrayView extraLines = {});
QByteArray IcsTodoTaskComponent(const StoredTask &task, const QByteArray &uid, const IcsExportOptions &options);
// An entry of the completed log (its six cells, kCompDate to kCompNotesDone).
QByteArray IcsCompletedTaskComponent(const QStringList &cells, const QByteArray &uid, const IcsExportOptions &options);
// Components as one calendar object of a calendar server: the calendar's
// own lines around them, without METHOD, which a stored object must not have.
QByteArray IcsCalendarObject(QByteArrayView components);

// What an export did: "Exported 12 tasks to /home/ann/morvane.ics."
QString IcsExportDoneText(int written, const QString &path);

}  // namespace morvane
