#pragma once
// The web calendar: one HTML page per month, a seven-column calendar whose
// day cells list the day's tasks, optionally followed by a table of every
// task of the month; and for a whole year, an index page linking the twelve
// month pages. Pages are UTF-8 with CR LF lines, written atomically.
//
// Text that comes from the person (task texts, categories, times, holiday
// names, the calendar title) is escaped; only the markup written here is
// markup. The pages take the day contents from a WebCalContent, so that the
// window that owns the task tables decides what a day shows; StoreWebContent
// is that content for the dated-task store.

#include "GridFile.h"
#include "Grid.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QByteArray>
#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

namespace morvane {

// Our home page, named in every month page's title and footer.
inline constexpr char kHomePageAddress[] = "https://morvane.example.org/";

// The settings of one publishing run, as the publisher dialog collects them.
struct WebCalSettings {
    QString title = QStringLiteral("Morvane");
    QDate month;                 // any day of the month; its year is a year set's year
    bool details = true;         // the details table under each month
    bool alarmColumn = false;    // the details table's "Alarm?" column
    bool doneColumn = false;     // the details table's "Done?" column
    bool withinDay = false;      // day cells show each task's text
    bool withCategory = true;    // with withinDay, the category too
    bool truncate = false;       // with withinDay, cut each text ...
    int truncLength = 50;        // ... to this many characters (0 to 500)
    int fontSize = 9;            // points, 6 to 20
    QString webColor = QStringLiteral("#D9FFFF");  // the alternating background
    bool mondayFirst = false;    // weeks start on Monday (else Sunday)
};

// "#RRGGBB", upper-case, always six digits.
QString ColorToWebColor(const QColor &colour);
// The same for a stored colour value 0x00BBGGRR (red in the low byte). A
// system colour (high bit set) must be resolved by the caller first; here it
// is taken by its low three bytes.
QString ColorToWebColor(quint32 storedColour);

// One task of a day for the details table, its texts as stored.
struct DetailLine {
    int day = 0;                 // day of the month
    QString time;                // lower case
    QString category, alarm, done, text;
};

// What the pages ask of the task tables. dayFragment gives the HTML of a day
// cell (already safe markup, empty for an empty day) under the settings of
// the page being written, so the cell's links always match the page;
// dayDetails gives the tasks of a day for the details table (plain text,
// escaped by the page). Either may be left empty: cells are then empty and
// the table has no rows.
struct WebCalContent {
    std::function<QString(const QDate &, const WebCalSettings &)> dayFragment;
    std::function<std::vector<DetailLine>(const QDate &)> dayDetails;
};

// The day contents of the dated-task store under the task filter, with the
// holiday of each day. The store and filter must outlive it.
class StoreWebContent {
public:
    using HolidayNameFn = std::function<QString(const QDate &)>;
    StoreWebContent(const Grid &store, const TaskFilter &filter, HolidayNameFn holidayName);

    // The day cell: the holiday in blue, then one line per task that the
    // filter lets through, in store order.
    QString HTMLDumpEventDay(const QDate &date, const WebCalSettings &settings) const;
    std::vector<DetailLine> HTMLDumpEventDetails(const QDate &date) const;
    WebCalContent content() const;

private:
    template <class F> void forEachTask(const QDate &date, F f) const;
    const Grid &store_;
    const TaskFilter &filter_;
    HolidayNameFn holidayName_;
};

// The month grid: day numbers by week (0 to 5) and position (0 to 6), 0 for
// a position outside the month.
using WebMonthGrid = std::array<std::array<int, 7>, 6>;
// The position (1 to 7) of a date in its week.
int MyDayOfWeek(const QDate &date, bool mondayFirst);
WebMonthGrid FillGridWithNumbers(const QDate &month, bool mondayFirst);

// The month page and the year index as bytes.
QByteArray MonthPageHtml(const WebCalSettings &settings, bool yearSet, const QDate &month,
                         const WebCalContent &content, const FormatSettings &fs);
QByteArray YearIndexHtml(const WebCalSettings &settings, int year, const FormatSettings &fs);

// "3_2001.htm" and "2001.htm": the names a year set's pages link by.
QString MonthPageFileName(int month, int year);
QString YearIndexFileName(int year);

// Writes one page atomically.
FileResult PublishThisMonth(const QString &path, const WebCalSettings &settings, bool yearSet, const QDate &month,
                            const WebCalContent &content, const FormatSettings &fs);
FileResult PublishYearHtm(const QString &folder, const WebCalSettings &settings, int year, const FormatSettings &fs);

// For the publisher dialog's checks: empty when the name may be used,
// otherwise the message to show.
QString CheckWebPageFileName(const QString &file);
QString CheckWebFolderName(const QString &folder);
// Creates the folder and any missing parents.
FileResult CreateFolderWithParents(const QString &folder);

// One publishing run: the month of settings.month to `file`, or its whole
// year into `folder` (the index first, then January to December). Stops at
// the first page that cannot be written; pages written before it stay.
struct WebPublishRequest {
    bool wholeYear = false;
    QString file;    // month mode
    QString folder;  // year mode; must exist
    WebCalSettings settings;
};
struct WebPublishResult {
    bool ok = true;
    QStringList written;   // full names, in the order written
    QString failedFile;    // the page that could not be written
    QString message;       // why, naming the file
    QString pageToOpen;    // the month page, or the year's index page
};
// `writing`, when given, is told the full name of each month page of a year
// before the page is made, so that a window can show how far the run is.
WebPublishResult PublishWebCalendar(const WebPublishRequest &request, const WebCalContent &content,
                                    const FormatSettings &fs,
                                    const std::function<void(const QString &)> &writing = {});

}  // namespace morvane
