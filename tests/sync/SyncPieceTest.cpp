// The sync's pieces that need no server: answers read, paths encoded, the
// change feed's pairing, and a repeating event's object changed.

#include "CalDavClient.h"
#include "SyncFeed.h"
#include "SyncTask.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

TEST(SyncPieces, PathsAreKeptDecodedAndEncodedForRequests)
{
    // However the server spells a path, it is the same path.
    EXPECT_EQ(DavPath("/ann/cal%40home%20t%C3%A9/x.ics"), u"/ann/cal@home té/x.ics"_s);
    EXPECT_EQ(DavPath("/ann/cal@home%20t%c3%a9/x.ics"), u"/ann/cal@home té/x.ics"_s);
    EXPECT_EQ(DavPath("https://cloud.example.org/ann/cal%40home/"), u"/ann/cal@home/"_s);
    EXPECT_EQ(DavEncodedPath(u"/ann/cal@home té/x.ics"_s), "/ann/cal@home%20t%C3%A9/x.ics");
    EXPECT_EQ(DavUrl(QUrl(u"http://127.0.0.1:5232"_s), u"/ann/a b/"_s).toEncoded(), "http://127.0.0.1:5232/ann/a%20b/");
}

TEST(SyncPieces, AMultistatusAnswerIsReadWithItsRemovalsAndToken)
{
    const QByteArray xml = R"(<?xml version="1.0"?>
<multistatus xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav" xmlns:A="http://apple.com/ns/ical/">
 <response><href>/ann/cal%40x/</href><propstat><prop><displayname>Home</displayname>
   <A:calendar-color>#FF0000FF</A:calendar-color><resourcetype><collection/><C:calendar/></resourcetype>
   <C:supported-calendar-component-set><C:comp name="VEVENT"/></C:supported-calendar-component-set></prop>
   <status>HTTP/1.1 200 OK</status></propstat></response>
 <response><href>/ann/cal%40x/a.ics</href><propstat><prop><getetag>"e1"</getetag></prop>
   <status>HTTP/1.1 200 OK</status></propstat></response>
 <response><href>/ann/cal%40x/b.ics</href><status>HTTP/1.1 404 Not Found</status></response>
 <sync-token>http://radicale.org/ns/sync/abc</sync-token>
</multistatus>)";
    const DavMultiStatus ms = ParseMultiStatus(xml);
    ASSERT_TRUE(ms.ok);
    ASSERT_EQ(ms.entries.size(), 3u);
    EXPECT_TRUE(ms.entries[0].calendar);
    EXPECT_EQ(ms.entries[0].displayName, u"Home"_s);
    EXPECT_EQ(ms.entries[0].color, u"#FF0000FF"_s);
    EXPECT_EQ(ms.entries[0].components, QStringList{u"VEVENT"_s});
    EXPECT_EQ(ms.entries[1].path, u"/ann/cal@x/a.ics"_s);
    EXPECT_EQ(ms.entries[1].etag, "\"e1\"");
    EXPECT_EQ(ms.entries[2].status, 404);
    EXPECT_EQ(ms.syncToken, "http://radicale.org/ns/sync/abc");
    EXPECT_FALSE(ParseMultiStatus("<html>not found</html>").ok);
}

SyncTask task(int day, const QString &time, const QString &notes, const QString &category = u"Work"_s)
{
    SyncTask t;
    t.day = day;
    t.task = {time, category, notes};
    return t;
}

TEST(SyncPieces, TheFeedTellsAnEditFromAnAddAndARemoval)
{
    const SyncTask a = task(100, u"9:00 AM"_s, u"Dentist"_s), b = task(100, u"2:00 PM"_s, u"Bank"_s);
    // A day written back: the same rows out and in are no change.
    EXPECT_TRUE(TaskEditsBetween({a, b}, {b, a}).empty());
    // The time changed: one task changed.
    SyncTask later = a;
    later.task.time = u"10:00 AM"_s;
    std::vector<TaskEdit> e = TaskEditsBetween({a, b}, {b, later});
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].before->key(), a.key());
    EXPECT_EQ(e[0].after->key(), later.key());
    // The notes changed and the task moved: still one task, the only one left.
    SyncTask moved = task(101, u"9:00 AM"_s, u"Dentist at noon"_s);
    e = TaskEditsBetween({a}, {moved});
    ASSERT_EQ(e.size(), 1u);
    EXPECT_TRUE(e[0].before && e[0].after);
    // A repeat added and a task removed on another day are no edit.
    e = TaskEditsBetween({a, b}, {b, task(300, u"9:00 AM"_s, u"Other"_s, u"Home"_s), task(301, u""_s, u"More"_s)});
    ASSERT_EQ(e.size(), 3u);
    EXPECT_TRUE(e[0].before && !e[0].after);
    EXPECT_TRUE(!e[1].before && e[1].after);
}

TEST(SyncPieces, TaskKeysRoundTripAndAConflictCopyIsMarkedInItsNotes)
{
    const SyncTask a = task(46000, u"9:00 AM"_s, u"Two\r\nlines\r\n"_s);
    EXPECT_EQ(SyncTask::fromKey(a.key())->key(), a.key());
    // What the server gives back of a task is the task, notes of two lines too.
    SyncMapping m;
    m.today = QDate(2026, 1, 1);
    EXPECT_EQ(RoundTrip(a, m).key(), a.key());
    SyncTask todo;
    todo.kind = SyncTask::Kind::Todo;
    todo.task = {QString(), u"Home"_s, u"Paint"_s, u"No"_s, QString()};
    EXPECT_EQ(SyncTask::fromKey(todo.key())->key(), todo.key());
    EXPECT_EQ(ConflictCopy(todo).task.notes, u"Paint\r\n"_s + QString::fromUtf16(kConflictCopyMark) + u"\r\n"_s);
}

TEST(SyncPieces, AnOccurrenceIsChangedAsAnOverrideAndRemovedAsAnExdate)
{
    const QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:w\r\n"
                           "DTSTART:20261214T190000\r\nRRULE:FREQ=WEEKLY;COUNT=4\r\nSUMMARY:Choir\r\nEND:VEVENT\r\n"
                           "END:VCALENDAR\r\n";
    SyncMapping m;
    m.today = QDate(2026, 12, 10);
    const SyncObject before = ReadSyncObject(ics, m);
    ASSERT_TRUE(before.ok);
    ASSERT_EQ(before.tasks.size(), 4u);
    EXPECT_EQ(before.tasks[1].occurrence, ":20261221T190000");
    EXPECT_EQ(before.uid, "w");

    SyncTask changed = before.tasks[1].task;
    changed.task.notes = u"Choir, in the church"_s;
    QByteArray after = WithOccurrenceChanged(ics, before.tasks[1].occurrence, changed, "w", m);
    after = WithOccurrenceRemoved(after, before.tasks[2].occurrence);
    EXPECT_TRUE(after.contains("EXDATE:20261228T190000\r\n"));
    EXPECT_TRUE(after.contains("RECURRENCE-ID:20261221T190000\r\n"));
    const SyncObject read = ReadSyncObject(after, m);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    QStringList notes;
    for (const SyncObjectTask &t : read.tasks)
        notes << t.task.task.notes;
    notes.sort();
    EXPECT_EQ(notes, (QStringList{u"Choir"_s, u"Choir"_s, u"Choir, in the church"_s}));
    // The override keeps naming its occurrence.
    bool found = false;
    for (const SyncObjectTask &t : read.tasks)
        found = found || (t.occurrence == ":20261221T190000" && t.task.task.notes == u"Choir, in the church"_s);
    EXPECT_TRUE(found);
}

// A phone's event holds a place, an attendee, its own property and a
// reminder a quarter of an hour before. Edited here, it keeps all of them
// but what was edited.
TEST(SyncPieces, AnEditHereChangesOnlyWhatWasEditedInTheServersCopy)
{
    const QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:phone\r\nBEGIN:VEVENT\r\nUID:p1\r\n"
                           "DTSTAMP:20260101T000000Z\r\nDTSTART:20261214T103000\r\nDTEND:20261214T113000\r\n"
                           "SUMMARY:Dentist\r\nLOCATION:High Street 4\r\nATTENDEE:mailto:ann@example.org\r\n"
                           "SEQUENCE:2\r\nX-PHONE-COLOUR:teal\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\n"
                           "DESCRIPTION:Dentist\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    SyncMapping m;
    m.today = QDate(2026, 12, 10);
    m.stamp = QDateTime(QDate(2026, 12, 10), QTime(9, 0), Qt::UTC);
    const SyncObject read = ReadSyncObject(ics, m);
    ASSERT_TRUE(read.ok && read.tasks.size() == 1u);
    EXPECT_TRUE(HoldsMoreThanTheMapping(ics, read, m));
    const SyncTask agreed = read.tasks.front().task;

    // The notes edited: the summary and description are the mapping's, the
    // rest stays, the sequence goes up.
    EXPECT_EQ(agreed.task.notes, u"Dentist\r\nWhere: High Street 4\r\n"_s);
    SyncTask edited = agreed;
    edited.task.notes = u"Dentist, bring the card\r\nWhere: High Street 4\r\n"_s;
    const QByteArray after = WithTaskChanged(ics, agreed, edited, "p1", m);
    for (const char *kept : {"LOCATION:High Street 4\r\n", "ATTENDEE:mailto:ann@example.org\r\n",
                             "X-PHONE-COLOUR:teal\r\n", "TRIGGER:-PT15M\r\n", "DTSTART:20261214T103000\r\n",
                             "DTEND:20261214T113000\r\n", "SEQUENCE:3\r\n", "UID:p1\r\n", "PRODID:phone\r\n"})
        EXPECT_TRUE(after.contains(kept)) << kept << "\n" << after.toStdString();
    EXPECT_TRUE(after.contains("SUMMARY:Dentist\\, bring the card\r\n")) << after.toStdString();
    EXPECT_TRUE(after.contains("DESCRIPTION:Dentist\\, bring the card\\nWhere: High Street 4\r\n"));
    EXPECT_FALSE(after.contains("SUMMARY:Dentist\r\n"));
    EXPECT_FALSE(after.contains("SEQUENCE:2"));
    EXPECT_EQ(after.count("DTSTAMP"), 1);
    const SyncObject back = ReadSyncObject(after, m);
    ASSERT_TRUE(back.ok && back.tasks.size() == 1u) << back.error.toStdString();
    EXPECT_EQ(back.tasks.front().task.key(), edited.key());

    // Moved and its alarm taken off: the times and reminders are the
    // mapping's (none), the place stays.
    SyncTask moved = edited;
    moved.day += 1;
    moved.task.time = u"2:00 PM"_s;
    moved.task.alarm = u"No"_s;
    const QByteArray again = WithTaskChanged(after, edited, moved, "p1", m);
    EXPECT_TRUE(again.contains("DTSTART:20261215T140000\r\n")) << again.toStdString();
    EXPECT_FALSE(again.contains("VALARM"));
    EXPECT_FALSE(again.contains("DTEND:20261214"));
    EXPECT_TRUE(again.contains("LOCATION:High Street 4\r\n"));
    EXPECT_TRUE(again.contains("SUMMARY:Dentist\\, bring the card\r\n"));
    EXPECT_TRUE(again.contains("SEQUENCE:4\r\n"));
    const SyncObject movedBack = ReadSyncObject(again, m);
    ASSERT_TRUE(movedBack.ok && movedBack.tasks.size() == 1u);
    EXPECT_EQ(movedBack.tasks.front().task.key(), moved.key());

    // The place taken out of the notes goes from the copy as well.
    SyncTask nowhere = moved;
    nowhere.task.notes = u"Dentist, bring the card"_s;
    const QByteArray gone = WithTaskChanged(again, moved, nowhere, "p1", m);
    EXPECT_FALSE(gone.contains("LOCATION"));
    EXPECT_TRUE(gone.contains("ATTENDEE:mailto:ann@example.org\r\n"));
    const SyncObject goneBack = ReadSyncObject(gone, m);
    ASSERT_TRUE(goneBack.ok && goneBack.tasks.size() == 1u);
    EXPECT_EQ(goneBack.tasks.front().task.key(), nowhere.key());

    // What this program wrote itself holds nothing more: no copy is kept.
    const QByteArray own = SyncTaskObject(moved, "p2", m);
    EXPECT_FALSE(HoldsMoreThanTheMapping(own, ReadSyncObject(own, m), m));
    // A copy that is not one item of the task's kind is not edited but replaced.
    EXPECT_EQ(WithTaskChanged("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", edited, moved, "p1", m),
              SyncTaskObject(moved, "p1", m));
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

SyncTask logEntry(const QString &notes, const QString &completionNotes = QString())
{
    return SyncTask::fromCompletedCells({u"12/10/2026"_s, u"9:00 AM"_s, u"Work, Club"_s, u"Wed 12/9/26"_s, notes,
                                         completionNotes});
}

// An entry of the completed log goes to the server as a completed to-do
// marked as the log's and comes back as it was; one marked as not done
// again elsewhere is a to-do task again; and a to-do task archived into the
// log is one task changed, not one removed and another added.
TEST(SyncPieces, ACompletedLogEntryGoesAsACompletedToDoAndComesBackWhole)
{
    SyncMapping m;
    m.today = QDate(2026, 12, 10);
    m.stamp = QDateTime(m.today, QTime(9, 0), Qt::UTC);
    const SyncTask entry = logEntry(u"Dentist\r\nBring the card\r\n"_s, u"Went well\r\nNext in June\r\n"_s);
    EXPECT_EQ(SyncTask::fromKey(entry.key())->key(), entry.key());
    EXPECT_NE(entry.key(), logEntry(u"Dentist\r\nBring the card\r\n"_s).key());

    const QByteArray ics = SyncTaskObject(entry, "log-1", m);
    EXPECT_TRUE(ics.contains("BEGIN:VTODO")) << ics.constData();
    EXPECT_TRUE(ics.contains("STATUS:COMPLETED")) << ics.constData();
    EXPECT_TRUE(ics.contains("X-MORVANE-LIST:COMPLETED-LOG")) << ics.constData();
    SyncObject back = ReadSyncObject(ics, m);
    ASSERT_TRUE(back.ok);
    ASSERT_EQ(back.tasks.size(), 1u);
    EXPECT_EQ(back.uid, "log-1");
    EXPECT_EQ(back.tasks[0].task.key(), entry.key()) << back.tasks[0].task.key().toStdString();
    EXPECT_EQ(RoundTrip(entry, m).key(), entry.key());

    // The log's own text of the day comes back as it was, in whatever
    // spelling; a day changed on the phone comes back as the log writes it.
    SyncTask spelled = entry;
    spelled.completedOn = u"Thu 12/10/26"_s;
    EXPECT_EQ(RoundTrip(spelled, m).completedOn, u"Thu 12/10/26"_s);
    QByteArray moved = ics;
    const qsizetype at = moved.indexOf("COMPLETED:");
    ASSERT_GE(at, 0) << ics.constData();
    moved.replace(at, moved.indexOf("\r\n", at) - at, "COMPLETED;VALUE=DATE:20261205");
    EXPECT_EQ(ReadSyncObject(moved, m).tasks.at(0).task.completedOn, u"12/5/2026"_s) << moved.constData();

    // Marked as not done on the phone: a to-do task again, its text kept.
    QByteArray reopened = ics;
    reopened.replace("STATUS:COMPLETED", "STATUS:NEEDS-ACTION");
    back = ReadSyncObject(reopened, m);
    ASSERT_EQ(back.tasks.size(), 1u);
    EXPECT_EQ(back.tasks[0].task.kind, SyncTask::Kind::Todo);
    EXPECT_EQ(back.tasks[0].task.task.notes, entry.task.notes);
    EXPECT_EQ(back.tasks[0].task.task.category, u"Work, Club"_s);
    EXPECT_EQ(back.tasks[0].task.task.done, u"No"_s);

    // The notes on completion changed here: the phone's own lines stay.
    QByteArray phones = ics;
    phones.replace("END:VTODO", "X-PHONE-FLAG:red\r\nEND:VTODO");
    const SyncTask changed = logEntry(u"Dentist\r\nBring the card\r\n"_s, u"Went badly"_s);
    const QByteArray sent = WithTaskChanged(phones, entry, changed, "log-1", m);
    EXPECT_TRUE(sent.contains("X-PHONE-FLAG:red")) << sent.constData();
    EXPECT_TRUE(sent.contains("COMMENT:Went badly")) << sent.constData();
    EXPECT_FALSE(sent.contains("Next in June")) << sent.constData();
    EXPECT_EQ(ReadSyncObject(sent, m).tasks.at(0).task.key(), changed.key());
    // The day of completion changed here, in the log's own words or in a
    // date's: both the day and the text go.
    for (const QString &day : {u"12/11/2026"_s, u"Fri 12/11/26"_s}) {
        SyncTask moved = changed;
        moved.completedOn = day;
        const QByteArray movedIcs = WithTaskChanged(sent, changed, moved, "log-1", m);
        EXPECT_EQ(ReadSyncObject(movedIcs, m).tasks.at(0).task.completedOn, day) << movedIcs.constData();
    }

    // Archived: the to-do task left the list and came into the log.
    SyncTask todo;
    todo.kind = SyncTask::Kind::Todo;
    todo.task = {QString(), u"Work, Club"_s, u"Dentist\r\nBring the card\r\n"_s, u"Yes"_s, QString()};
    const std::vector<TaskEdit> e = TaskEditsBetween({todo}, {entry});
    ASSERT_EQ(e.size(), 1u);
    ASSERT_TRUE(e[0].before && e[0].after);
    EXPECT_EQ(e[0].after->kind, SyncTask::Kind::Completed);
    // A dated task archived is not: its calendar is another.
    const SyncTask dated = task(100, u"9:00 AM"_s, u"Dentist\r\nBring the card\r\n"_s, u"Work, Club"_s);
    EXPECT_EQ(TaskEditsBetween({dated}, {entry}).size(), 2u);
}

}  // namespace
}  // namespace morvane
