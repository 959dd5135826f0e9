// The iCalendar import: files written by hand in the style of other
// calendar programs become exactly these rows; nothing is added twice; a
// broken file names its line and changes nothing; an export comes back as
// the tasks it was made from.

#include "ExchangeFixtures.h"
#include "IcsExport.h"
#include "IcsImport.h"
#include "IcsReader.h"

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

// Hand-written calendar text: lines joined by CR LF.
QByteArray Calendar(std::initializer_list<const char *> lines)
{
    QByteArray out;
    for (const char *l : lines)
        out += QByteArray(l) + "\r\n";
    return out;
}

// A completed-tasks log of one entry.
Grid OneCompletedEntry()
{
    Grid completed = NewCompletedGrid();
    completed.setRowCount(2);
    completed.setCell(kCompDate, 1, u"12/1/2026");
    completed.setCell(kCompNotes, 1, u"Send report");
    return completed;
}

class IcsImportTest : public ::testing::Test {
protected:
    // Times are checked as a person in Berlin would see them.
    TimeZoneGuard zone{"Europe/Berlin"};
    FormatSettings fs = FormatSettings::enUS();
    QDate from{2025, 12, 9}, to{2028, 12, 9};
    Grid store = NewStoreGrid();
    Grid todo = NewTodoGrid();

    IcsImportPlan plan(const QByteArray &file) { return PlanIcsImport(file, store, todo, from, to, fs); }
};

}  // namespace

TEST_F(IcsImportTest, AWeeklyMeetingInANewYorkZoneComesAtBerlinTimesLessItsExdate)
{
    const IcsImportPlan p = plan(Sample("weekly-meeting.ics"));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    // 10:00 in New York: 16:00 here while both cities keep standard time or
    // both summer time, 15:00 in the weeks New York has moved and Berlin not.
    EXPECT_EQ(RowsOf(p.dated), QStringList({
                                   "2026-03-02|4:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                                   "2026-03-09|3:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                                   "2026-03-16|3:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                                   "2026-03-30|4:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                               }));
    EXPECT_TRUE(p.todo.empty());
    // Its location is kept in the notes; its reminder ten minutes ahead is
    // one only while the options' lead time is ten minutes.
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Team meeting (3/2/2026): its attendees are not kept",
                           "Team meeting (3/2/2026): reminder 10 minutes before becomes a reminder at the start"}));
    const IcsImportPlan lead = PlanIcsImport(Sample("weekly-meeting.ics"), store, todo, from, to, fs, nullptr, 10);
    EXPECT_EQ(IcsImportNoteLines(lead, fs), QStringList({"Team meeting (3/2/2026): its attendees are not kept"}));
    EXPECT_EQ(RowsOf(lead.dated), RowsOf(p.dated));
}

TEST_F(IcsImportTest, AnAllDayBirthdayRepeatsYearlyWithinTheRangeWithoutAnAlarm)
{
    const IcsImportPlan p = plan(Sample("birthday.ics"));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({
                                   "2026-04-15|All day|Birthday|Anna's birthday|No|No",
                                   "2027-04-15|All day|Birthday|Anna's birthday|No|No",
                                   "2028-04-15|All day|Birthday|Anna's birthday|No|No",
                               }));
    // A repeat without end says how many tasks it brings.
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Anna's birthday (4/15/1990): repeats without end: 3 tasks within the chosen dates"}));
    EXPECT_EQ(p.outsideRange, 0);
}

TEST_F(IcsImportTest, AUtcEventTakesLocalTimeAndWhatCannotComeAcrossIsListed)
{
    const IcsImportPlan p = plan(Sample("utc-event.ics"));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated),
              QStringList({
                  "2026-06-10|10:00 AM|Health|Dentist/Dr. Weber/Bring the insurance card/|No|Yes",
                  "2026-08-01|All day||Trip to Lisbon|No|No",
              }));
    // One category: the first; the others are named.
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Dentist (6/10/2026): its attachments are not kept",
                           "Dentist (6/10/2026): only its first category is kept; not Personal",
                           "Dentist (6/10/2026): reminder 30 minutes before becomes a reminder at the start",
                           "Trip to Lisbon (8/1/2026): lasts more than a day; added on its first day only"}));
    EXPECT_EQ(p.count(IcsImportNote::Kind::LongDuration), 1);

    // The same file seen from New York.
    TimeZoneGuard newYork("America/New_York");
    EXPECT_EQ(RowsOf(plan(Sample("utc-event.ics")).dated).first(),
              "2026-06-10|4:00 AM|Health|Dentist/Dr. Weber/Bring the insurance card/|No|Yes");
}

TEST_F(IcsImportTest, ToDosWithADueDateAreDatedAndTheOthersJoinTheToDoList)
{
    const IcsImportPlan p = plan(Sample("todo.ics"));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({"2026-07-01|5:00 PM|Bills|File the tax return|No|No"}));
    ASSERT_EQ(p.todo.size(), 2u);
    EXPECT_EQ(p.todo[0].category + u'|' + p.todo[0].notes + u'|' + p.todo[0].done, "|Paint the fence|No");
    EXPECT_EQ(p.todo[1].category + u'|' + p.todo[1].notes + u'|' + p.todo[1].done, "Home|Buy a new lamp|Yes");
}

TEST_F(IcsImportTest, ApplyingAddsTheRowsAndAnotherImportOfTheFilesAddsNothing)
{
    TempFolder dir;
    TaskFilter filter;
    TaskStore tasks(filter, dir.file(u"grid.grd"_s));
    todo = TodoOf({{"Garden", "Plant roses", "No"}, {"", "", ""}, {"Work", "Call Ann", "No"}});

    int added = 0;
    for (const char *name : {"weekly-meeting.ics", "birthday.ics", "utc-event.ics", "todo.ics"}) {
        const IcsImportPlan p = PlanIcsImport(Sample(name), tasks.grid(), todo, from, to, fs);
        ASSERT_TRUE(p.ok) << name;
        added += int(p.dated.size());
        ASSERT_TRUE(ApplyIcsImport(p, tasks, todo).ok);
    }
    EXPECT_EQ(added, 10);
    // Sorted into the store and saved.
    EXPECT_EQ(RowsOf(tasks.grid()), QStringList({
                                        "2026-03-02|4:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                                        "2026-03-09|3:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                                        "2026-03-16|3:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                                        "2026-03-30|4:00 PM||Team meeting/Where: Room 4/Weekly status, room 4/|No|Yes",
                                        "2026-04-15|All day|Birthday|Anna's birthday|No|No",
                                        "2026-06-10|10:00 AM|Health|Dentist/Dr. Weber/Bring the "
                                        "insurance card/|No|Yes",
                                        "2026-07-01|5:00 PM|Bills|File the tax return|No|No",
                                        "2026-08-01|All day||Trip to Lisbon|No|No",
                                        "2027-04-15|All day|Birthday|Anna's birthday|No|No",
                                        "2028-04-15|All day|Birthday|Anna's birthday|No|No",
                                    }));
    Grid saved;
    ASSERT_TRUE(LoadGridFile(saved, tasks.path()).ok);
    EXPECT_EQ(RowsOf(saved), RowsOf(tasks.grid()));
    // The to-do rows take the free row first, then the end.
    EXPECT_EQ(TodoRowsOf(todo),
              QStringList({"Garden|Plant roses|No", "|Paint the fence|No", "Work|Call Ann|No", "Home|Buy a new lamp|Yes"}));
    EXPECT_EQ(todo.cell(kTodoNotes, 2), "Paint the fence");

    // Done here since: still the same task.
    tasks.gridForTests().setCell(kStoreDone, 1, u"Yes");
    for (const char *name : {"weekly-meeting.ics", "birthday.ics", "utc-event.ics", "todo.ics"}) {
        const IcsImportPlan again = PlanIcsImport(Sample(name), tasks.grid(), todo, from, to, fs);
        ASSERT_TRUE(again.ok);
        EXPECT_EQ(again.taskCount(), 0) << name;
        EXPECT_GT(again.alreadyHere, 0) << name;
    }
    EXPECT_EQ(PlanIcsImport(Sample("weekly-meeting.ics"), tasks.grid(), todo, from, to, fs).alreadyHere, 4);
}

TEST_F(IcsImportTest, TwoLikeItemsAgainstOneTaskHereAddOneAndFindOne)
{
    // A task here matches one item of the file only: a second item just like
    // it (another UID, the same day and text) is a task of its own.
    store = StoreOf({{"2026-06-10", "10:00 AM", "Health", "Dentist", "No", "No"}});
    todo = TodoOf({{"Home", "Buy a lamp", "No"}});
    const QByteArray file = Calendar({
        "BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Test//EN",
        "BEGIN:VEVENT", "UID:a@elsewhere", "DTSTART:20260610T100000", "SUMMARY:Dentist", "CATEGORIES:Health",
        "END:VEVENT",
        "BEGIN:VEVENT", "UID:b@elsewhere", "DTSTART:20260610T100000", "SUMMARY:Dentist", "CATEGORIES:Health",
        "END:VEVENT",
        "BEGIN:VTODO", "UID:c@elsewhere", "SUMMARY:Buy a lamp", "CATEGORIES:Home", "END:VTODO",
        "BEGIN:VTODO", "UID:d@elsewhere", "SUMMARY:Buy a lamp", "CATEGORIES:Home", "END:VTODO",
        "END:VCALENDAR",
    });
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.alreadyHere, 2);
    EXPECT_EQ(RowsOf(p.dated), QStringList({"2026-06-10|10:00 AM|Health|Dentist|No|No"}));
    EXPECT_EQ(p.todo.size(), std::size_t(1));

    // Two like tasks of one time, one of them done: the store keeps them in
    // the order of their cells, the file in its own, and each event still
    // finds the one it made.
    store = StoreOf({{"2026-06-10", "10:00 AM", "Health", "Dentist", "No", "No"},
                     {"2026-06-10", "10:00 AM", "Health", "Dentist", "Yes", "No"}});
    const QByteArray doneFirst = Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT", "UID:a@elsewhere", "DTSTART:20260610T100000", "SUMMARY:Dentist", "CATEGORIES:Health",
        "X-MORVANE-DONE:Yes", "END:VEVENT",
        "BEGIN:VEVENT", "UID:b@elsewhere", "DTSTART:20260610T100000", "SUMMARY:Dentist", "CATEGORIES:Health",
        "X-MORVANE-DONE:No", "END:VEVENT",
        "END:VCALENDAR",
    });
    const IcsImportPlan again = plan(doneFirst);
    EXPECT_EQ(again.alreadyHere, 2);
    EXPECT_TRUE(again.changes.empty()) << IcsImportChangeLines(again, fs).join(u'\n').toStdString();
}

TEST_F(IcsImportTest, AMalformedFileNamesTheLineAndChangesNothing)
{
    struct Case {
        QByteArray file;
        int line;
        const char *says;
    };
    const Case cases[] = {
        {Calendar({"BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VEVENT", "UID:1", "DTSTART:20260101T100000",
                   "this line is no property", "END:VEVENT", "END:VCALENDAR"}),
         6, "\"this line is no property\" is not an iCalendar line"},
        {Calendar({"BEGIN:VCALENDAR", "BEGIN:VEVENT", "UID:1", "SUMMARY:A long", " folded summary",
                   "DTSTART:2026-01-01 10:00", "END:VEVENT", "END:VCALENDAR"}),
         6, "the value of DTSTART cannot be read"},
        {Calendar({"BEGIN:VCALENDAR", "BEGIN:VEVENT", "UID:1", "DTSTART:20260101T100000", "END:VTODO",
                   "END:VCALENDAR"}),
         5, "END:VTODO does not close BEGIN:VEVENT of line 2"},
        {Calendar({"BEGIN:VCALENDAR", "BEGIN:VEVENT", "UID:1", "DTSTART:20260101T100000"}), 2,
         "BEGIN:VEVENT is never closed"},
        {QByteArray("Date,Time,Category\r\n12/9/2026,9:00 AM,Work\r\n"), 1, "not an iCalendar file"},
        {QByteArray(), 1, "not an iCalendar file"},
        {Calendar({"BEGIN:VCALENDAR", "BEGIN:VEVENT", "UID:1", "DTSTART:20260101T100000", "EXDATE:next Monday",
                   "RRULE:FREQ=DAILY", "END:VEVENT", "END:VCALENDAR"}),
         5, "the value of EXDATE cannot be read"},
        // Dates libical takes but which name no day.
        {Calendar({"BEGIN:VCALENDAR", "BEGIN:VEVENT", "UID:1", "SUMMARY:Party", "DTSTART:2026-13-45", "END:VEVENT",
                   "END:VCALENDAR"}),
         5, "the value of DTSTART cannot be read (\"2026-13-45\"): it names no day or time"},
        {Calendar({"BEGIN:VCALENDAR", "BEGIN:VTODO", "UID:1", "SUMMARY:Pay", "DUE:20260230T100000", "END:VTODO",
                   "END:VCALENDAR"}),
         5, "the value of DUE cannot be read (\"20260230T100000\")"},
    };
    todo = TodoOf({{"Garden", "Plant roses", "No"}});
    TempFolder dir;
    TaskFilter filter;
    TaskStore tasks(filter, dir.file(u"grid.grd"_s));
    tasks.gridForTests() = StoreOf({{"2026-01-01", "9:00 AM", "Work", "Kept", "No", "No"}});
    for (const Case &c : cases) {
        const IcsImportPlan p = PlanIcsImport(c.file, tasks.grid(), todo, from, to, fs);
        EXPECT_FALSE(p.ok) << c.says;
        EXPECT_EQ(p.errorLine, c.line) << p.error.toStdString();
        EXPECT_TRUE(p.error.startsWith(u"Line %1: "_s.arg(c.line))) << p.error.toStdString();
        EXPECT_TRUE(p.error.contains(QString::fromUtf8(c.says))) << p.error.toStdString();
        EXPECT_EQ(p.taskCount(), 0);
        EXPECT_EQ(IcsImportSummary(p, fs), p.error);
        EXPECT_FALSE(ApplyIcsImport(p, tasks, todo).ok);
        EXPECT_EQ(RowsOf(tasks.grid()), QStringList({"2026-01-01|9:00 AM|Work|Kept|No|No"}));
        EXPECT_EQ(TodoRowsOf(todo), QStringList({"Garden|Plant roses|No"}));
        EXPECT_FALSE(QFile::exists(tasks.path()));
    }
}

TEST_F(IcsImportTest, ComponentsNestedDeeperThanCalendarsNestThemAreRefusedAtTheirLine)
{
    // Ten thousand events, each inside the one before: refused at the first
    // BEGIN deeper than any calendar goes, before libical sees a line.
    QByteArray file = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < 10000; ++i)
        file += "BEGIN:VEVENT\r\nDTSTART:20260101T100000\r\n";
    for (int i = 0; i < 10000; ++i)
        file += "END:VEVENT\r\n";
    file += "END:VCALENDAR\r\n";
    IcsImportPlan p = plan(file);
    EXPECT_FALSE(p.ok);
    // VCALENDAR on line 1, the events from line 3, two lines each: the sixth
    // event is the seventh level.
    EXPECT_EQ(p.errorLine, 13);
    EXPECT_EQ(p.error, u"Line 13: BEGIN:VEVENT lies more than 6 components deep; calendars never nest them "
                       "so deep, so this is not a calendar."_s);
    EXPECT_EQ(p.taskCount(), 0);

    // An alarm inside an event, and a location inside the alarm, are fine.
    p = plan(Calendar({"BEGIN:VCALENDAR", "BEGIN:VEVENT", "DTSTART:20260101T100000", "SUMMARY:Ring",
                       "BEGIN:VALARM", "ACTION:DISPLAY", "TRIGGER:-PT5M", "BEGIN:VLOCATION", "NAME:Office",
                       "END:VLOCATION", "END:VALARM", "END:VEVENT", "END:VCALENDAR"}));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({"2026-01-01|10:00 AM||Ring|No|Yes"}));
}

TEST_F(IcsImportTest, ReplacedAndCancelledOccurrencesRdatesAndRulesThatCannotBeFollowed)
{
    const QByteArray file = Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT",
        "UID:standup@example.com",
        "DTSTART:20260105T090000",
        "DURATION:PT15M",
        "RRULE:FREQ=DAILY;UNTIL=20260109T235959",
        "RDATE:20260110T110000",
        "SUMMARY:Stand-up",
        "END:VEVENT",
        // The Wednesday moved to the afternoon, the Thursday cancelled.
        "BEGIN:VEVENT",
        "UID:standup@example.com",
        "RECURRENCE-ID:20260107T090000",
        "DTSTART:20260107T140000",
        "SUMMARY:Stand-up",
        "END:VEVENT",
        "BEGIN:VEVENT",
        "UID:standup@example.com",
        "RECURRENCE-ID:20260108T090000",
        "DTSTART:20260108T090000",
        "STATUS:CANCELLED",
        "SUMMARY:Stand-up",
        "END:VEVENT",
        "BEGIN:VEVENT",
        "UID:odd@example.com",
        "DTSTART:20260301T080000",
        "RRULE:FREQ=WEEKLY;BYDAY=XX",
        "SUMMARY:Odd rule",
        "END:VEVENT",
        "BEGIN:VEVENT",
        "UID:old@example.com",
        "DTSTART:20200301T080000",
        "SUMMARY:Long ago",
        "END:VEVENT",
        // Both ends of the range belong to it.
        "BEGIN:VEVENT",
        "DTSTART:20251209T120000",
        "SUMMARY:First day",
        "END:VEVENT",
        "BEGIN:VEVENT",
        "DTSTART:20281209T120000",
        "SUMMARY:Last day",
        "END:VEVENT",
        "BEGIN:VEVENT",
        "DTSTART:20281210T120000",
        "SUMMARY:A day too late",
        "END:VEVENT",
        "END:VCALENDAR",
    });
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({
                                   "2026-01-05|9:00 AM||Stand-up|No|No",
                                   "2026-01-06|9:00 AM||Stand-up|No|No",
                                   "2026-01-09|9:00 AM||Stand-up|No|No",
                                   "2026-01-10|11:00 AM||Stand-up|No|No",
                                   "2026-01-07|2:00 PM||Stand-up|No|No",
                                   "2026-03-01|8:00 AM||Odd rule|No|No",
                                   "2025-12-09|12:00 PM||First day|No|No",
                                   "2028-12-09|12:00 PM||Last day|No|No",
                               }));
    EXPECT_EQ(p.cancelled, 1);
    EXPECT_EQ(p.outsideRange, 2);
    // The single events the dates leave out are named.
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Odd rule (3/1/2026): repeats by a rule that cannot be followed; added on its first date only",
                           "Long ago (3/1/2020): outside the chosen dates; not added",
                           "A day too late (12/10/2028): outside the chosen dates; not added"}));
    EXPECT_EQ(IcsImportSummary(p, fs), u"8 tasks will be added (8 dated, 0 to the to-do list).\n"
                                       "2 tasks outside the chosen dates will be left out.\n"
                                       "1 event cancelled will be left out.\n"
                                       "\n"
                                       "What cannot come across as it is:\n"
                                       "Odd rule (3/1/2026): repeats by a rule that cannot be followed; added on "
                                       "its first date only\n"
                                       "Long ago (3/1/2020): outside the chosen dates; not added\n"
                                       "A day too late (12/10/2028): outside the chosen dates; not added"_s);
}

TEST_F(IcsImportTest, RulesThatRepeatTooOftenAreCutShortAndSaid)
{
    // A rule whose steps mostly miss, one counted from long ago, and an
    // ordinary one: the first two are followed as far as their work allows
    // and listed, the third comes whole.
    const QByteArray file = Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT", "UID:tick@example.org", "DTSTART:20260101T090000",
        "RRULE:FREQ=SECONDLY;INTERVAL=7;BYSECOND=0", "SUMMARY:Tick", "END:VEVENT",
        "BEGIN:VEVENT", "UID:count@example.org", "DTSTART:20100105T090000",
        "RRULE:FREQ=SECONDLY;COUNT=2000000000", "SUMMARY:Counted", "END:VEVENT",
        "BEGIN:VEVENT", "UID:weekly@example.org", "DTSTART:20260105T093000",
        "RRULE:FREQ=WEEKLY;COUNT=3", "SUMMARY:Weekly", "END:VEVENT",
        "END:VCALENDAR",
    });
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_FALSE(p.full);
    const QStringList notes = IcsImportNoteLines(p, fs);
    ASSERT_EQ(notes.size(), 2) << notes.join(u'\n').toStdString();
    EXPECT_TRUE(notes[0].startsWith(u"Tick (1/1/2026): repeats more often than can be followed; its dates after "_s))
        << notes[0].toStdString();
    EXPECT_EQ(notes[1], u"Counted (1/5/2010): repeats more often than can be followed; its dates after 1/6/2010 are "
                        "left out"_s);
    // What was followed is added: a tick a minute from nine o'clock, up to
    // the ceiling, and the weekly event whole.
    const QStringList rows = RowsOf(p.dated);
    EXPECT_EQ(rows.first(), "2026-01-01|9:00 AM||Tick|No|No");
    EXPECT_EQ(rows.count(u"2026-01-01|9:07 AM||Tick|No|No"_s), 1);
    EXPECT_GT(rows.size(), 10000);
    EXPECT_EQ(rows.mid(rows.size() - 3),
              QStringList({"2026-01-05|9:30 AM||Weekly|No|No", "2026-01-12|9:30 AM||Weekly|No|No",
                           "2026-01-19|9:30 AM||Weekly|No|No"}));
}

TEST_F(IcsImportTest, OneImportAddsAtMostAHundredThousandTasksAndSaysSo)
{
    // Every minute of the year by the parts of a yearly rule (tasks keep no
    // seconds), then events ticking every minute: the first fills the import.
    const QByteArray everyMinute = "RRULE:FREQ=YEARLY;BYMONTH=" + EveryNumber(1, 12) + ";BYMONTHDAY=" +
                                   EveryNumber(1, 31) + ";BYDAY=MO,TU,WE,TH,FR,SA,SU;BYHOUR=" + EveryNumber(0, 23) +
                                   ";BYMINUTE=" + EveryNumber(0, 59) + ";BYSECOND=0";
    QByteArray file = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:many@example.org\r\nDTSTART:20260101T000000\r\n" +
                      everyMinute + "\r\nSUMMARY:Many parts\r\nEND:VEVENT\r\n";
    for (int i = 0; i < 3; ++i)
        file += "BEGIN:VEVENT\r\nUID:tick-" + QByteArray::number(i) +
                "@example.org\r\nDTSTART:20260101T090000\r\nRRULE:FREQ=MINUTELY\r\nSUMMARY:Tick\r\nEND:VEVENT\r\n";
    file += "END:VCALENDAR\r\n";
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_TRUE(p.full);
    EXPECT_EQ(p.taskCount(), kMaxIcsImportTasks);
    EXPECT_EQ(RowsOf({p.dated.front()}).first(), "2026-01-01|12:00 AM||Many parts|No|No");
    EXPECT_TRUE(IcsImportSummary(p, fs).startsWith(
        u"100000 tasks will be added (100000 dated, 0 to the to-do list).\n"
        "One import adds at most 100,000 tasks: the rest of the file is left out.\n"
        "\n"
        "What cannot come across as it is:\n"
        "Many parts (1/1/2026): repeats more often than can be followed; its dates after 5/19/2026 are left out"_s))
        << IcsImportSummary(p, fs).toStdString();
}

TEST_F(IcsImportTest, TheRulesThatFrozeTheWindowAreCutShortAndSaid)
{
    // Small versions of the two files: events ticking every second, and a
    // rule whose parts make every second of the year an occurrence, begun in
    // December (where libical took 70 us an occurrence of it).
    QByteArray file = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 2; ++i)
        file += "BEGIN:VEVENT\r\nUID:tick-" + QByteArray::number(i) +
                "@example.org\r\nDTSTART:20260101T090000\r\nRRULE:FREQ=SECONDLY\r\nSUMMARY:Tick " +
                QByteArray::number(i) + "\r\nEND:VEVENT\r\n";
    const QByteArray rule = "RRULE:FREQ=YEARLY;BYWEEKNO=" + EveryNumber(1, 53) + ";BYDAY=MO,TU,WE,TH,FR,SA,SU;BYHOUR=" +
                            EveryNumber(0, 23) + ";BYMINUTE=" + EveryNumber(0, 59) + ";BYSECOND=" + EveryNumber(0, 59);
    file += "BEGIN:VEVENT\r\nUID:many@example.org\r\nDTSTART:20251210T090000\r\n" + rule +
            "\r\nSUMMARY:Many parts\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_FALSE(p.full);
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Tick 0 (1/1/2026): repeats more often than can be followed; its dates after 1/2/2026 are "
                           "left out",
                           "Tick 1 (1/1/2026): repeats more often than can be followed; its dates after 1/2/2026 are "
                           "left out",
                           "Many parts (12/10/2025): repeats more often than can be followed; its dates after "
                           "12/12/2025 are left out"}));
    // Tasks keep minutes, not seconds: a task a minute while followed.
    const QStringList rows = RowsOf(p.dated);
    EXPECT_EQ(rows.count(u"2026-01-01|9:00 AM||Tick 0|No|No"_s), 1);
    EXPECT_EQ(rows.count(u"2025-12-11|11:59 PM||Many parts|No|No"_s), 1);
}

TEST_F(IcsImportTest, TimeZoneRulesAreFollowedWithACeilingToo)
{
    auto zoneWith = [](const char *daylightRule) {
        return Calendar({"BEGIN:VCALENDAR", "BEGIN:VTIMEZONE", "TZID:Home", "BEGIN:STANDARD",
                         "DTSTART:19701025T030000", "TZOFFSETFROM:+0200", "TZOFFSETTO:+0100",
                         "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU", "END:STANDARD", "BEGIN:DAYLIGHT",
                         "DTSTART:19700329T020000", "TZOFFSETFROM:+0100", "TZOFFSETTO:+0200", daylightRule,
                         "END:DAYLIGHT", "END:VTIMEZONE", "BEGIN:VEVENT", "UID:a", "DTSTART;TZID=Home:20260115T100000",
                         "SUMMARY:Winter", "END:VEVENT", "BEGIN:VEVENT", "UID:b", "DTSTART;TZID=Home:20260715T100000",
                         "SUMMARY:Summer", "END:VEVENT", "END:VCALENDAR"});
    };
    // A zone like Berlin's, seen from Berlin.
    IcsImportPlan p = plan(zoneWith("RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU"));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({"2026-01-15|10:00 AM||Winter|No|No", "2026-07-15|10:00 AM||Summer|No|No"}));
    // Summer time that never comes: the zone keeps its winter offset.
    p = plan(zoneWith("RRULE:FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30"));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({"2026-01-15|10:00 AM||Winter|No|No", "2026-07-15|11:00 AM||Summer|No|No"}));
    // A zone changing every second is no zone.
    p = plan(zoneWith("RRULE:FREQ=SECONDLY"));
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, u"Line 2: the time zone beginning here changes its offset more often than any time zone "
                       "does, so this is not a calendar."_s);
}

TEST_F(IcsImportTest, AOneMebibyteLineIsReadWholeFoldedOrNot)
{
    // A description of a mebibyte on one line, with escapes along it; and
    // the same folded into lines of 75 bytes.
    QByteArray value, expected;
    for (int i = 0; value.size() < (1 << 20); ++i) {
        value += "Part " + QByteArray::number(i) + "\\, then\\; more\\\\ ";
        expected += "Part " + QByteArray::number(i) + ", then; more\\ ";
    }
    value += "end";
    expected += "end";
    const QByteArray line = "DESCRIPTION:" + value;
    QByteArray folded = line.first(75);
    for (qsizetype at = 75; at < line.size(); at += 74)
        folded += "\r\n " + line.mid(at, 74);
    for (const QByteArray &description : {line, folded}) {
        const QByteArray file = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:long@example.org\r\nDTSTART:20260610T090000\r\n"
                                "SUMMARY:Long\r\n" + description + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        const IcsImportPlan p = plan(file);
        ASSERT_TRUE(p.ok) << p.error.toStdString();
        ASSERT_EQ(p.dated.size(), 1u);
        // Compared without printing a mebibyte when they differ.
        const QString notes = p.dated[0].task.notes, want = u"Long\r\n"_s + QString::fromUtf8(expected) + u"\r\n"_s;
        EXPECT_EQ(notes.size(), want.size());
        EXPECT_TRUE(notes == want) << notes.right(40).toStdString();
    }
}

TEST_F(IcsImportTest, ParametersAndListsAreReadAsLibicalReadsThem)
{
    // Two thousand parameters the import does not read before the zone's
    // name; a zone name with a colon in it, unquoted, as one program writes
    // them; six hundred categories and excluded dates in one line each, of
    // which libical keeps five hundred.
    QByteArray params;
    for (int i = 0; i < 2000; ++i)
        params += ";X-P" + QByteArray::number(i) + "=\"a;b:c\"";
    QByteArray categories = "CATEGORIES:", exdates = "EXDATE;TZID=America/New_York:";
    const QDate first(2026, 1, 5);
    for (int i = 0; i < 600; ++i) {
        categories += (i ? ",c" : "c") + QByteArray::number(i);
        exdates += (i ? "," : "") + first.addDays(i).toString(u"yyyyMMdd").toLatin1() + "T100000";
    }
    const QByteArray file = Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT", "UID:zone@example.org", ("DTSTART" + params + ";TZID=America/New_York:20260610T090000").constData(),
        "SUMMARY:Params", "END:VEVENT",
        "BEGIN:VEVENT", "UID:quirk@example.org", "DTSTART;TZID=GMT+05:30:20260611T090000", "SUMMARY:Quirk",
        "END:VEVENT",
        "BEGIN:VEVENT", "UID:daily@example.org", "DTSTART;TZID=America/New_York:20260105T100000",
        "RRULE:FREQ=DAILY;COUNT=700", exdates.constData(), categories.constData(), "SUMMARY:Daily", "END:VEVENT",
        "END:VCALENDAR",
    });
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    const QStringList rows = RowsOf(p.dated);
    ASSERT_EQ(rows.size(), 2 + 200);
    EXPECT_EQ(rows[0], "2026-06-10|3:00 PM||Params|No|No");
    // A zone nobody knows: the time as it stands.
    EXPECT_EQ(rows[1], "2026-06-11|9:00 AM||Quirk|No|No");
    // The first five hundred days are left out.
    EXPECT_EQ(rows[2], u"2027-05-20|4:00 PM|c0|Daily|No|No"_s);
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({u"Quirk (6/11/2026): its time zone \"GMT+05:30\" is not known; its time is "
                           "taken as local time"_s,
                           u"Daily (1/5/2026): only its first category is kept; not c1, c2, c3, c4, c5 and 494 more"_s}));
}

TEST(IcsReader, LinesHandedOneByOneReadAsLibicalReadsTheWholeText)
{
    // libical's reading of lists, escapes, quotes and its own way with a
    // colon in a zone name, line by line against its reading of the text.
    const char *lines[] = {
        "EXDATE:20260101T100000,,20260102T100000", "EXDATE:20260101T100000,", "CATEGORIES:a\\,b,c",
        "CATEGORIES:\"a,b\"", "CATEGORIES:a,\"b,c\",d", "CATEGORIES: a , b ,c ", "CATEGORIES:", "EXDATE:",
        "DTSTART;TZID=GMT+05:30:20260611T090000", "DTSTART;VALUE=DATE:20260611", "DESCRIPTION:trailing\\",
        "SUMMARY:Hello\\, world\\nline  ", "RDATE;VALUE=PERIOD:20260101T100000Z/PT1H,20260102T100000Z/PT1H",
        "EXDATE;TZID=America/New_York:20260105T100000,20260106T100000", "RRULE:FREQ=WEEKLY;BYDAY=MO,TU",
        "SUMMARY:A folded\r\n  line", "DUE:20260101T1000\r\n 00Z",
    };
    for (const char *line : lines) {
        const QByteArray text = QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:x\r\n") + line +
                                "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
        const IcsStructure s = ScanIcsStructure(text);
        ASSERT_EQ(s.blocks.size(), 1u) << line;
        const IcsBlock &b = s.blocks[0];
        const IcalPtr whole(icalparser_parse_string(text.mid(b.begin, b.end - b.begin).constData()));
        IcsReadBuffers buffers;
        IcalPtr read;
        IcsReadErrors errors;
        ReadIcsComponent(text, b, buffers, read, errors);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ(IcalText(read.get()), IcalText(whole.get())) << line;
    }
}

TEST_F(IcsImportTest, AnExportComesBackAsTheTasksItWasMadeFrom)
{
    const Grid original = StoreOf({
        {"2026-12-09", "9:30 AM", "Work", "Call the bank", "No", "Yes"},
        {"2026-12-09", "2:00 PM", "Home", "Pick up kids\r\nthen buy milk\r\n", "Yes", "No"},
        {"2026-12-09", "4:00 PM", "Home", "Pick up kids\r\nthen buy milk\r\n", "No", "No"},
        {"2026-12-10", "All day", "Birthday", "Anna's birthday", "No", "No"},
        {"2026-12-31", "11:45 PM", "Work, Club", "Late call; \"quoted\" \\ text", "No", "No"},
    });
    const Grid originalTodo = TodoOf({{"Garden", "Plant roses", "No"}, {"", "Renew passport", "Yes"}});
    const Grid completed = OneCompletedEntry();
    IcsExportOptions o;
    o.stamp = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
    const QByteArray ics = ExportIcs(original, originalTodo, &completed, o);

    TempFolder dir;
    TaskFilter filter;
    TaskStore tasks(filter, dir.file(u"grid.grd"_s));
    const IcsImportPlan p = PlanIcsImport(ics, tasks.grid(), todo, from, to, fs);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.completedLog, 1);
    ASSERT_TRUE(ApplyIcsImport(p, tasks, todo).ok);
    // The tasks of a day come in the store's order for tasks not yet placed
    // in their day (by time text); the day list places them when shown.
    QStringList want = RowsOf(original), got = RowsOf(tasks.grid());
    want.sort();
    got.sort();
    EXPECT_EQ(got, want);
    EXPECT_EQ(TodoRowsOf(todo), TodoRowsOf(originalTodo));
    // Another program that drops this program's own lines still has the
    // category whole.
    QByteArray plain = ics;
    plain.replace("X-MORVANE-CATEGORY:Work, Club\r\n", "");
    ASSERT_NE(plain, ics);
    EXPECT_TRUE(RowsOf(PlanIcsImport(plain, NewStoreGrid(), todo, from, to, fs).dated)
                    .contains(u"2026-12-31|11:45 PM|Work, Club|Late call; \"quoted\" \\ text|No|No"_s));

    // Into the tables it came from: nothing is new, even where the other
    // program changed an event's text (its UID still names the task, which
    // the file has changed).
    QByteArray edited = ics;
    edited.replace("SUMMARY:Call the bank", "SUMMARY:Call the bank (edited elsewhere)");
    edited.replace("DESCRIPTION:Call the bank", "DESCRIPTION:Call the bank (edited elsewhere)");
    ASSERT_NE(edited, ics);
    const IcsImportPlan again = PlanIcsImport(edited, original, originalTodo, from, to, fs);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.taskCount(), 0);
    EXPECT_EQ(again.alreadyHere, 6);
    EXPECT_EQ(IcsImportChangeLines(again, fs),
              QStringList({u"Call the bank (12/9/2026): its text now reads \"Call the bank (edited elsewhere)\""_s}));
}

TEST_F(IcsImportTest, WhatTheFileMovedEditedOrCancelledIsChangedInPlaceWhenAsked)
{
    // Tasks exported, then changed in another program: one moved to the next
    // day, one to another hour, one cancelled, one left alone; the to-do
    // done there.
    const Grid exported = StoreOf({
        {"2026-06-10", "10:00 AM", "Health", "Dentist", "No", "No"},
        {"2026-06-10", "2:00 PM", "Work", "Review", "No", "Yes"},
        {"2026-06-12", "9:00 AM", "", "Lunch with Ann", "No", "No"},
        {"2026-06-15", "8:00 AM", "", "Untouched", "No", "Yes"},
    });
    const Grid exportedTodo = TodoOf({{"Home", "Buy a lamp", "No"}});
    IcsExportOptions o;
    o.stamp = QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC);
    QByteArray ics = ExportIcs(exported, exportedTodo, nullptr, o);
    const auto edit = [&](const char *from, const char *to) {
        ASSERT_TRUE(ics.contains(from)) << from;
        ics.replace(from, to);
    };
    edit("DTSTART:20260610T100000", "SEQUENCE:1\r\nDTSTART:20260611T090000");
    edit("DTEND:20260610T103000", "DTEND:20260611T093000");
    edit("DTSTART:20260610T140000", "DTSTART:20260610T153000");
    edit("DTEND:20260610T143000", "DTEND:20260610T160000");
    edit("DTSTART:20260612T090000", "STATUS:CANCELLED\r\nDTSTART:20260612T090000");
    edit("STATUS:NEEDS-ACTION", "STATUS:COMPLETED");
    // Another program's repeat, imported before, now without its second
    // date; and one of two like tasks of a day moved an hour (the other,
    // first in the file, must not take its task).
    ics.replace("END:VCALENDAR", "BEGIN:VEVENT\r\nUID:yoga@elsewhere\r\nDTSTART:20260613T090000\r\n"
                                 "RRULE:FREQ=WEEKLY;COUNT=3\r\nEXDATE:20260620T090000\r\nSUMMARY:Yoga\r\nEND:VEVENT\r\n"
                                 "BEGIN:VEVENT\r\nUID:cat-evening@elsewhere\r\nDTSTART:20260616T180000\r\n"
                                 "SUMMARY:Feed the cat\r\nEND:VEVENT\r\n"
                                 "BEGIN:VEVENT\r\nUID:cat-morning@elsewhere\r\nDTSTART:20260616T090000\r\n"
                                 "SUMMARY:Feed the cat\r\nEND:VEVENT\r\nEND:VCALENDAR");

    TempFolder dir;
    TaskFilter filter;
    TaskStore tasks(filter, dir.file(u"grid.grd"_s));
    Grid here = exported;
    for (const TaskRow &t : std::initializer_list<TaskRow>{{"2026-06-13", "9:00 AM", "", "Yoga", "No", "No"},
                                                           {"2026-06-16", "6:00 PM", "", "Feed the cat", "Yes", "No"},
                                                           {"2026-06-16", "8:00 AM", "", "Feed the cat", "No", "No"},
                                                           {"2026-06-20", "9:00 AM", "", "Yoga", "No", "No"},
                                                           {"2026-06-27", "9:00 AM", "", "Yoga", "No", "No"}}) {
        const int r = here.rowCount();
        here.setRowCount(r + 1);
        here.setCell(kStoreKey, r, MakeStoreKey(DayOf(t.date), t.date[9] == '6' && t.time[0] == '6' ? 102 : 101));
        here.setCell(kStoreTime, r, QString::fromUtf8(t.time));
        here.setCell(kStoreNotes, r, QString::fromUtf8(t.notes));
        here.setCell(kStoreDone, r, QString::fromUtf8(t.done));
        here.setCell(kStoreAlarm, r, QString::fromUtf8(t.alarm));
    }
    here.sortRows(1, here.rowCount(), StoreRowLess);
    tasks.replaceTable(here);
    ASSERT_TRUE(tasks.save().ok);
    todo = exportedTodo;

    const IcsImportPlan p = PlanIcsImport(ics, tasks.grid(), todo, from, to, fs);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.taskCount(), 0);
    EXPECT_EQ(IcsImportChangeLines(p, fs),
              QStringList({"Dentist (6/10/2026): moved to 6/11/2026 at 9:00 AM",
                           "Review (6/10/2026): now at 3:30 PM",
                           "Lunch with Ann (6/12/2026): cancelled in the file; it will be removed",
                           "Buy a lamp (to-do list): now done",
                           "Yoga (6/20/2026): cancelled in the file; it will be removed",
                           "Feed the cat (6/16/2026): now at 9:00 AM"}));
    EXPECT_EQ(p.alreadyHere, 4);  // Untouched, two Yoga, the evening cat
    EXPECT_TRUE(IcsImportSummary(p, fs).contains(u"\n6 tasks changed in the file (4 to change, 2 to remove).\n"_s))
        << IcsImportSummary(p, fs).toStdString();

    // Not asked to: nothing changes, not a byte of the file.
    const QByteArray before = readBytes(tasks.path());
    Grid todoBefore = todo;
    ASSERT_TRUE(ApplyIcsImport(p, tasks, todo, false).ok);
    EXPECT_EQ(readBytes(tasks.path()), before);
    EXPECT_EQ(TodoRowsOf(todo), TodoRowsOf(todoBefore));
    EXPECT_EQ(IcsImportDoneText(p, false), u"Nothing was changed."_s);

    // Asked to: the same rows change, the others stay as they were.
    const std::uint64_t reviewRow = tasks.grid().rowId(2);
    ASSERT_EQ(tasks.grid().cell(kStoreNotes, 2), u"Review"_s);
    ASSERT_TRUE(ApplyIcsImport(p, tasks, todo, true).ok);
    EXPECT_EQ(RowsOf(tasks.grid()), QStringList({
                                        "2026-06-10|3:30 PM|Work|Review|No|Yes",
                                        "2026-06-11|9:00 AM|Health|Dentist|No|No",
                                        "2026-06-13|9:00 AM||Yoga|No|No",
                                        "2026-06-15|8:00 AM||Untouched|No|Yes",
                                        "2026-06-16|9:00 AM||Feed the cat|No|No",
                                        "2026-06-16|6:00 PM||Feed the cat|Yes|No",
                                        "2026-06-27|9:00 AM||Yoga|No|No",
                                    }));
    EXPECT_EQ(tasks.grid().rowId(1), reviewRow);
    Grid saved;
    ASSERT_TRUE(LoadGridFile(saved, tasks.path()).ok);
    EXPECT_EQ(RowsOf(saved), RowsOf(tasks.grid()));
    EXPECT_EQ(TodoRowsOf(todo), QStringList({"Home|Buy a lamp|Yes"}));
    EXPECT_EQ(IcsImportDoneText(p, true), u"Changed 4 tasks, removed 2."_s);

    // Imported again: all here as the file has it.
    const IcsImportPlan again = PlanIcsImport(ics, tasks.grid(), todo, from, to, fs);
    EXPECT_TRUE(again.changes.empty()) << IcsImportChangeLines(again, fs).join(u'\n').toStdString();
    EXPECT_EQ(again.taskCount(), 0);
}

TEST_F(IcsImportTest, OneOlderLineAmongUtf8OnesFoldedNamesAndRemindersFromTheEnd)
{
    // UTF-8 throughout but for one line in Windows-1252; a character and a
    // property name split by a fold; reminders from the end, at a set time,
    // and at the start.
    const QByteArray file = Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT", "UID:1", "DTSTART:20260610T090000", "DTEND:20260610T100000", "SUMMARY:Caf\xC3\xA9 one",
        "BEGIN:VALARM", "ACTION:DISPLAY", "TRIGGER;RELATED=END:-PT15M", "END:VALARM", "END:VEVENT",
        "BEGIN:VEVENT", "UID:2", "DTSTART:20260611T090000", "SUMMARY:Caf\xE9 two",
        "BEGIN:VALARM", "ACTION:DISPLAY", "TRIGGER;VALUE=DATE-TIME:20260611T060000Z", "END:VALARM", "END:VEVENT",
        "BEGIN:VEVENT", "UID:3", "DTST", " ART:20260612T090000", "SUMMARY:Caf\xC3", " \xA9 three", "LOC",
        " ATION:Main street", "BEGIN:VALARM", "ACTION:DISPLAY", "TRIGGER:PT0S", "END:VALARM", "END:VEVENT",
        "BEGIN:VEVENT", "UID:4", "DTSTART:20260613T090000", "SUMMARY:Day", "CATEGORIES:Work\\, Club,Bills",
        "END:VEVENT",
        "END:VCALENDAR",
    });
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({"2026-06-10|9:00 AM||Caf\u00e9 one|No|Yes",
                                            "2026-06-11|9:00 AM||Caf\u00e9 two|No|Yes",
                                            "2026-06-12|9:00 AM||Caf\u00e9 three/Where: Main street/|No|Yes",
                                            "2026-06-13|9:00 AM|Work, Club|Day|No|No"}));
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Caf\u00e9 one (6/10/2026): reminder 15 minutes before the end becomes a reminder at the "
                           "start",
                           "Caf\u00e9 two (6/11/2026): reminder at a set time becomes a reminder at the start",
                           "Day (6/13/2026): only its first category is kept; not Bills"}));
    // With a lead time of its own, the program says so.
    EXPECT_EQ(IcsImportNoteLines(PlanIcsImport(file, store, todo, from, to, fs, nullptr, 45), fs).first(),
              "Caf\u00e9 one (6/10/2026): reminder 15 minutes before the end becomes a reminder 45 minutes before, "
              "as every task's");
}

TEST_F(IcsImportTest, OlderWindowsFilesSeveralCalendarsAndZonesNobodyDefined)
{
    // Windows-1252 text (0xE9 is e-acute), several calendars in one file, a
    // zone named but not defined (a system zone is used), one nobody knows
    // (the time is taken as it stands), and a byte-order mark.
    QByteArray file = "\xEF\xBB\xBF" + Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT",
        "UID:a",
        "DTSTART;TZID=America/New_York:20260610T090000",
        "SUMMARY:Caf\xE9 with Lee",
        "END:VEVENT",
        "END:VCALENDAR",
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT",
        "UID:b",
        "DTSTART;TZID=Somewhere Standard Time:20260611T090000",
        "SUMMARY:Call",
        "END:VEVENT",
        "BEGIN:VJOURNAL",
        "UID:c",
        "DTSTART:20260612T090000",
        "SUMMARY:A journal entry is no task",
        "END:VJOURNAL",
        "END:VCALENDAR",
    });
    const IcsImportPlan p = plan(file);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(RowsOf(p.dated), QStringList({"2026-06-10|3:00 PM||Caf\u00e9 with Lee|No|No",
                                            "2026-06-11|9:00 AM||Call|No|No"}));
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Call (6/11/2026): its time zone \"Somewhere Standard Time\" is not known; its time is "
                           "taken as local time"}));

    // The same text in UTF-8 reads the same.
    file.replace("\xE9", "\xC3\xA9");
    EXPECT_EQ(RowsOf(plan(file).dated).first(), "2026-06-10|3:00 PM||Caf\u00e9 with Lee|No|No");
}

TEST_F(IcsImportTest, AnOccurrenceMovedToAnotherDayIsTheSameTaskBeforeAndAfterTheMove)
{
    // A daily repeat whose Thursday another program moved to the Wednesday
    // afternoon.
    QByteArray file = Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT", "UID:series@elsewhere", "DTSTART:20260601T100000", "RRULE:FREQ=DAILY;COUNT=6",
        "SUMMARY:Series", "END:VEVENT",
        "BEGIN:VEVENT", "UID:series@elsewhere", "RECURRENCE-ID:20260604T100000", "DTSTART:20260603T150000",
        "SUMMARY:Series", "END:VEVENT",
        "END:VCALENDAR",
    });
    const auto imported = [&](TaskStore &tasks, const QStringList &changes) {
        const IcsImportPlan p = PlanIcsImport(file, tasks.grid(), todo, from, to, fs);
        ASSERT_TRUE(p.ok) << p.error.toStdString();
        EXPECT_EQ(IcsImportChangeLines(p, fs), changes);
        ASSERT_TRUE(ApplyIcsImport(p, tasks, todo).ok);
        // Imported again, the file finds every task where it left it.
        const IcsImportPlan again = PlanIcsImport(file, tasks.grid(), todo, from, to, fs);
        EXPECT_EQ(again.taskCount(), 0) << RowsOf(again.dated).join(u'\n').toStdString();
        EXPECT_TRUE(again.changes.empty()) << IcsImportChangeLines(again, fs).join(u'\n').toStdString();
    };
    const QStringList moved = {"2026-06-01|10:00 AM||Series|No|No", "2026-06-02|10:00 AM||Series|No|No",
                               "2026-06-03|10:00 AM||Series|No|No", "2026-06-03|3:00 PM||Series|No|No",
                               "2026-06-05|10:00 AM||Series|No|No", "2026-06-06|10:00 AM||Series|No|No"};
    TempFolder dir;
    TaskFilter filter;

    // Imported after the move: its task stands where the file puts it.
    TaskStore fresh(filter, dir.file(u"fresh.grd"_s));
    imported(fresh, {});
    EXPECT_EQ(RowsOf(fresh.grid()), moved);
    // Put an hour later here, it is still that occurrence, on its day now.
    ASSERT_EQ(fresh.grid().cell(kStoreTime, 4), u"3:00 PM"_s);
    fresh.gridForTests().setCell(kStoreTime, 4, u"4:00 PM"_s);
    imported(fresh, {"Series (6/3/2026): now at 3:00 PM"});
    EXPECT_EQ(RowsOf(fresh.grid()), moved);

    // Imported before the move: its task stood on the Thursday and moves.
    TaskStore before(filter, dir.file(u"before.grd"_s));
    before.replaceTable(StoreOf({{"2026-06-01", "10:00 AM", "", "Series", "No", "No"},
                                 {"2026-06-02", "10:00 AM", "", "Series", "No", "No"},
                                 {"2026-06-03", "10:00 AM", "", "Series", "No", "No"},
                                 {"2026-06-04", "10:00 AM", "", "Series", "No", "No"},
                                 {"2026-06-05", "10:00 AM", "", "Series", "No", "No"},
                                 {"2026-06-06", "10:00 AM", "", "Series", "No", "No"}}));
    imported(before, {"Series (6/4/2026): moved to 6/3/2026 at 3:00 PM"});
    // A task moved keeps its place among the day's tasks.
    const auto sorted = [](QStringList rows) {
        rows.sort();
        return rows;
    };
    EXPECT_EQ(sorted(RowsOf(before.grid())), moved);

    // Then cancelled from the Friday on ("this and the following"): the
    // repeat ends there, and the tasks it had here go (the one the repeat
    // gives first, in the order of the file).
    file.replace("END:VCALENDAR", "BEGIN:VEVENT\r\nUID:series@elsewhere\r\n"
                                  "RECURRENCE-ID;RANGE=THISANDFUTURE:20260605T100000\r\n"
                                  "DTSTART:20260605T100000\r\nSTATUS:CANCELLED\r\nSUMMARY:Series\r\nEND:VEVENT\r\n"
                                  "END:VCALENDAR");
    imported(before, {"Series (6/6/2026): cancelled in the file; it will be removed",
                      "Series (6/5/2026): cancelled in the file; it will be removed"});
    EXPECT_EQ(sorted(RowsOf(before.grid())), moved.first(4));
    TaskStore cancelledFirst(filter, dir.file(u"cancelled.grd"_s));
    imported(cancelledFirst, {});
    EXPECT_EQ(RowsOf(cancelledFirst.grid()), moved.first(4));
    // The moved one cancelled in turn: its task goes from where it stands.
    const QByteArray movedFile = file;
    file.replace("DTSTART:20260603T150000", "DTSTART:20260603T150000\r\nSTATUS:CANCELLED");
    imported(cancelledFirst, {"Series (6/3/2026): cancelled in the file; it will be removed"});
    EXPECT_EQ(RowsOf(cancelledFirst.grid()), moved.first(3));
    file = movedFile;

    // Moved "this and the following": the later dates stay where the repeat
    // puts them, and the list says so.
    file.replace("RECURRENCE-ID:20260604T100000", "RECURRENCE-ID;RANGE=THISANDFUTURE:20260604T100000");
    const IcsImportPlan p = plan(file);
    EXPECT_EQ(RowsOf(p.dated), moved.first(4));
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Series (6/3/2026): changed from this date on in the file; only this date is changed, the "
                           "later ones stay as the repeat has them"}));
}

TEST_F(IcsImportTest, AnEventFromATimeToADateLastsTheHoursBetween)
{
    // A date counts from its midnight, in the same seconds as a time: ten in
    // the morning to the next day is fourteen hours, not thousands of years;
    // a day to the morning of the day after next is more than a day.
    const IcsImportPlan p = plan(Calendar({
        "BEGIN:VCALENDAR",
        "BEGIN:VEVENT", "UID:a", "DTSTART:20260610T100000", "DTEND;VALUE=DATE:20260611", "SUMMARY:Until midnight",
        "BEGIN:VALARM", "ACTION:DISPLAY", "TRIGGER;RELATED=END:-PT14H", "END:VALARM", "END:VEVENT",
        "BEGIN:VEVENT", "UID:b", "DTSTART;VALUE=DATE:20260612", "DTEND:20260614T090000", "SUMMARY:Two days and more",
        "END:VEVENT",
        "END:VCALENDAR",
    }));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    // Fourteen hours before an end fourteen hours after the start is the start.
    EXPECT_EQ(IcsImportNoteLines(p, fs),
              QStringList({"Two days and more (6/12/2026): lasts more than a day; added on its first day only"}));
}

TEST_F(IcsImportTest, ALargeFileReadInBatchesComesBackWholeAndInOrder)
{
    // Enough events to be read a batch at a time on several threads.
    Grid original = NewStoreGrid();
    const int n = 9000, first = DayOf("2026-01-01");
    original.setRowCount(n + 1);
    for (int i = 0; i < n; ++i) {
        const int r = i + 1;
        original.setCell(kStoreKey, r, MakeStoreKey(first + i / 10, 101 + i % 10));
        original.setCell(kStoreTime, r, QStringLiteral("%1:%2 AM").arg(1 + i % 10).arg(i % 6 * 10, 2, 10, QChar(u'0')));
        original.setCell(kStoreCategory, r, i % 3 ? u"Work" : u"Home");
        original.setCell(kStoreNotes, r, QStringLiteral("Task %1").arg(i));
        original.setCell(kStoreDone, r, i % 4 ? u"No" : u"Yes");
        original.setCell(kStoreAlarm, r, i % 5 ? u"No" : u"Yes");
    }
    IcsExportOptions o;
    o.stamp = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
    const IcsImportPlan p = plan(ExportIcs(original, todo, nullptr, o));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    // In the order of the file, which is the store's.
    EXPECT_EQ(RowsOf(p.dated), RowsOf(original));
}

TEST(IcsImportRange, OneYearBackToTwoYearsAhead)
{
    EXPECT_EQ(DefaultIcsImportRange(QDate(2026, 12, 9)), std::make_pair(QDate(2025, 12, 9), QDate(2028, 12, 9)));
    EXPECT_EQ(DefaultIcsImportRange(QDate(2028, 2, 29)), std::make_pair(QDate(2027, 2, 28), QDate(2030, 2, 28)));
}

namespace {

// The file with the name of every property but BEGIN, END and the X- ones
// (which libical knows by their capital X) in small letters: libical reads
// it as before, and no component of it is in the plain form this program
// writes, so all of it goes through libical.
QByteArray WithSmallNames(const QByteArray &file)
{
    QList<QByteArray> lines = file.split('\n');
    for (QByteArray &line : lines) {
        if (line.isEmpty() || line[0] == ' ' || line.startsWith("BEGIN:") || line.startsWith("END:") ||
            line.startsWith("X-"))
            continue;
        qsizetype i = 0;
        while (i < line.size() && line[i] != ':' && line[i] != ';')
            ++i;
        line = line.first(i).toLower() + line.sliced(i);
    }
    return lines.join('\n');
}

// Everything a plan holds that the person or the tables see.
QString PlanText(const IcsImportPlan &p, const FormatSettings &fs)
{
    QStringList out = RowsOf(p.dated);
    for (const QByteArray &o : p.occurrences)
        out << QString::fromUtf8(o);
    for (const StoredTask &t : p.todo)
        out << t.category + u'|' + t.notes + u'|' + t.done;
    out << p.error << IcsImportSummary(p, fs) << IcsImportChangeLines(p, fs);
    return out.join(u'\n');
}

}  // namespace

TEST_F(IcsImportTest, PlainLinesReadWithoutLibicalGiveWhatLibicalGives)
{
    // An export of text that must be escaped, letters beyond ASCII, blanks
    // at the ends, every kind of reminder lead and the lists; then
    // components written by hand at the edges of the plain form.
    const Grid exported = StoreOf({
        {"2026-12-09", "9:30 AM", "Work", "Call the bank", "No", "Yes"},
        {"2026-12-09", "2:00 PM", "Home", "Pick up kids\r\nthen buy milk\r\n", "Yes", "No"},
        {"2026-12-10", "All day", "Büro", "Café – naïve 😀, résumé; ok", "No", "Yes"},
        {"2026-12-11", "11:45 PM", "Work, Club", "Late call; \"quoted\" \\ text", "No", "No"},
        {"2026-12-12", "8:00 AM", "", " leading and trailing ", "Yes", "Yes"},
        {"2026-12-13", "8:05 AM", "A;B", "Time: 10:00\r\n\r\nafter an empty line", "No", "Yes"},
        {"2026-12-14", "", "", "", "No", "Yes"},
    });
    const Grid exportedTodo = TodoOf({{"Garden", "Plant roses", "No"}, {"", "Renew passport", "Yes"}});
    const Grid completed = OneCompletedEntry();
    std::vector<QByteArray> files;
    for (int lead : {0, 15, 90, 24 * 60, 7 * 24 * 60, 8 * 24 * 60 + 61}) {
        IcsExportOptions o;
        o.stamp = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
        o.alarmLeadMinutes = lead;
        files.push_back(ExportIcs(exported, exportedTodo, &completed, o));
    }
    const char *const components[] = {
        "SUMMARY:Escapes\\N\\n\\\\n\\,\\;", "SUMMARY:Unknown escape\\x", "SUMMARY:Ends in a backslash\\",
        "SUMMARY:Bare, comma", "SUMMARY:Bare; semicolon", "SUMMARY:\"Quoted\"", "SUMMARY:", "SUMMARY:Tab\there",
        "SUMMARY:First\r\nSUMMARY:Second", "LOCATION:Room 4\\, floor 2", "DESCRIPTION: lead",
        "DTSTART:20260610", "DTSTART;VALUE=DATE:20260610T100000", "DTSTART:20260610T100000Z",
        "DTSTART:20260610T100060", "DTSTART:20260610T1000", "DTSTART;TZID=Europe/Paris:20260610T100000",
        "DTEND:20260610T090000", "DTEND;VALUE=DATE:20260611", "DURATION:PT2H",
        "BEGIN:VALARM\r\nTRIGGER:-P1W\r\nEND:VALARM", "BEGIN:VALARM\r\nTRIGGER:-P1DT2H30M5S\r\nEND:VALARM",
        "BEGIN:VALARM\r\nTRIGGER:+PT5M\r\nEND:VALARM", "BEGIN:VALARM\r\nTRIGGER:P1W2D\r\nEND:VALARM",
        "BEGIN:VALARM\r\nTRIGGER;RELATED=END:PT5M\r\nEND:VALARM", "BEGIN:VALARM\r\nTRIGGER:-PT\r\nEND:VALARM",
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nEND:VALARM\r\nBEGIN:VALARM\r\nTRIGGER:-PT5M\r\nEND:VALARM",
        "BEGIN:VALARM\r\nTRIGGER;VALUE=DATE-TIME:20260610T080000Z\r\nEND:VALARM",
        "STATUS:CANCELLED", "STATUS:TENTATIVE", "STATUS:confirmed", "STATUS:DONE",
        "X-MORVANE-DONE:yes", "X-MORVANE-DONE: Yes", "X-MORVANE-DONE:Yes\r\nX-MORVANE-DONE:No",
        "X-MORVANE-CATEGORY:Home\\, garden", "X-MORVANE-LIST:COMPLETED-LOG", "X-MORVANE-OTHER:Anything",
        "CATEGORIES:A,B", "CATEGORIES:A\r\nCATEGORIES:B", "CATEGORIES:A\\,B", "CATEGORIES:",
        "UID:other@elsewhere", "RRULE:FREQ=DAILY;COUNT=2", "RDATE:20260612T100000", "EXDATE:20260610T100000",
    };
    for (const char *component : components)
        for (const char *kind : {"VEVENT", "VTODO"}) {
            const QByteArray begin = "BEGIN:" + QByteArray(kind) + "\r\nUID:" + QByteArray::number(qHash(component)),
                             end = "END:" + QByteArray(kind);
            files.push_back(Calendar({"BEGIN:VCALENDAR", "VERSION:2.0", begin.constData(), "DTSTART:20260610T100000",
                                      "SUMMARY:Plain", component, end.constData(), "END:VCALENDAR"}));
            files.push_back(Calendar({"BEGIN:VCALENDAR", "VERSION:2.0", begin.constData(), component,
                                      end.constData(), "END:VCALENDAR"}));
        }
    for (const QByteArray &file : files) {
        const QByteArray viaLibical = WithSmallNames(file);
        ASSERT_NE(viaLibical, file);
        EXPECT_EQ(PlanText(plan(file), fs), PlanText(plan(viaLibical), fs)) << file.toStdString();
    }
}
