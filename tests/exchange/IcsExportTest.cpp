// The iCalendar export: read back by Python's icalendar module (a reader
// nobody here wrote), its UIDs, and what the filter and the range select.

#include "ExchangeFixtures.h"
#include "IcsExport.h"
#include "IcsIdentity.h"
#include "IcsLibical.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

Grid smallStore()
{
    return StoreOf({
        {"2026-12-09", "9:30 AM", "Work", "Call the bank", "No", "Yes"},
        {"2026-12-09", "2:00 PM", "Home", "Pick up kids\r\nthen buy milk\r\n", "Yes", "No"},
        {"2026-12-09", "4:00 PM", "Home", "Pick up kids\r\nthen buy milk\r\n", "No", "No"},
        {"2026-12-10", "", "Birthday", "Anna's birthday", "No", "Yes"},
        {"2026-12-31", "11:45 PM", "Work, Club", "Late call; \"quoted\" \\ text", "No", "No"},
    });
}

Grid smallTodo() { return TodoOf({{"Garden", "Plant roses", "No"}, {"", "Renew passport", "Yes"}}); }

Grid smallCompleted()
{
    Grid g = NewCompletedGrid();
    g.setRowCount(2);
    const char *cells[] = {"12/1/2026", "9:00 AM", "Work", "Mon 11/30/2026", "Send report", "Sent by mail"};
    for (int c = 0; c < kCompCols; ++c)
        g.setCell(c, 1, QString::fromUtf8(cells[c]));
    return g;
}

IcsExportOptions options()
{
    IcsExportOptions o;
    o.alarmLeadMinutes = 15;
    o.stamp = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
    return o;
}

// A python3 that has the icalendar module, or an empty string.
QString pythonWithIcalendar()
{
    QStringList candidates;
    const QString onPath = QStandardPaths::findExecutable(u"python3"_s);
    if (!onPath.isEmpty())
        candidates << onPath;
    candidates << u"/usr/bin/python3"_s;
    for (const QString &python : candidates) {
        QProcess p;
        p.start(python, {u"-c"_s, u"import icalendar"_s});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return python;
    }
    return {};
}

// Every event and to-do of the file as Python's icalendar reads it.
const char *const kReadBack = R"PY(
import sys, json, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
out = []
for c in cal.walk():
    if c.name not in ('VEVENT', 'VTODO'):
        continue
    d = {'type': c.name}
    for k in ('uid', 'summary', 'description', 'status', 'x-morvane-done', 'x-morvane-list', 'comment',
              'x-morvane-original-date', 'x-morvane-time', 'x-morvane-category'):
        if c.get(k) is not None:
            d[k] = str(c.get(k))
    cats = c.get('categories')
    if cats is not None:
        d['categories'] = [str(x) for x in cats.cats]
    for k in ('dtstart', 'dtend', 'completed'):
        if c.get(k) is not None:
            d[k] = c.get(k).dt.isoformat()
    d['alarms'] = [[str(a.get('action')), str(a.get('description')), int(a.get('trigger').dt.total_seconds())]
                   for a in c.subcomponents if a.name == 'VALARM']
    out.append(d)
print(json.dumps(out))
)PY";

QJsonObject component(std::initializer_list<std::pair<const char *, QJsonValue>> fields)
{
    QJsonObject o;
    for (const auto &[k, v] : fields)
        o.insert(QString::fromLatin1(k), v);
    if (!o.contains(u"alarms"))
        o.insert(u"alarms"_s, QJsonArray());
    return o;
}

}  // namespace

TEST(IcsExport, PythonsIcalendarReadsEveryEventAsWritten)
{
    const QString python = pythonWithIcalendar();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with the icalendar module is not installed (Debian: python3-icalendar)";
    TempFolder dir;
    const QString path = dir.file(u"morvane.ics"_s);
    const Grid store = smallStore(), todo = smallTodo(), completed = smallCompleted();
    ASSERT_TRUE(ExportIcsFile(path, store, todo, &completed, options()).ok);

    QProcess p;
    p.start(python, {u"-c"_s, QString::fromUtf8(kReadBack), path});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonArray got = QJsonDocument::fromJson(p.readAllStandardOutput()).array();

    const QString hBank = QString::fromLatin1(IcsContentHash({"Work", "Call the bank"}));
    const QString hKids = QString::fromLatin1(IcsContentHash({"Home", "Pick up kids\r\nthen buy milk\r\n"}));
    const QString hAnna = QString::fromLatin1(IcsContentHash({"Birthday", "Anna's birthday"}));
    const QString hLate = QString::fromLatin1(IcsContentHash({"Work, Club", "Late call; \"quoted\" \\ text"}));
    const QString hRoses = QString::fromLatin1(IcsContentHash({"Garden", "Plant roses"}));
    const QString hPassport = QString::fromLatin1(IcsContentHash({"", "Renew passport"}));
    const QString hReport =
        QString::fromLatin1(IcsContentHash({"Work", "Send report", "12/1/2026", "Mon 11/30/2026"}));
    // The completion day's local midnight, in UTC.
    const QString completedAt =
        QDateTime(QDate(2026, 12, 1), QTime(0, 0)).toUTC().toString(Qt::ISODate).replace(u"Z"_s, u"+00:00"_s);

    const QJsonArray want{
        component({{"type", "VEVENT"}, {"uid", hBank + u"-20261209@morvane"_s}, {"summary", "Call the bank"},
                   {"description", "Call the bank"}, {"categories", QJsonArray{"Work"}},
                   {"dtstart", "2026-12-09T09:30:00"}, {"dtend", "2026-12-09T10:00:00"}, {"status", "CONFIRMED"},
                   {"x-morvane-done", "No"}, {"alarms", QJsonArray{QJsonArray{"DISPLAY", "Call the bank", -900}}}}),
        component({{"type", "VEVENT"}, {"uid", hKids + u"-20261209@morvane"_s}, {"summary", "Pick up kids"},
                   {"description", "Pick up kids\nthen buy milk"}, {"categories", QJsonArray{"Home"}},
                   {"dtstart", "2026-12-09T14:00:00"}, {"dtend", "2026-12-09T14:30:00"}, {"status", "CONFIRMED"},
                   {"x-morvane-done", "Yes"}}),
        component({{"type", "VEVENT"}, {"uid", hKids + u"-20261209-2@morvane"_s}, {"summary", "Pick up kids"},
                   {"description", "Pick up kids\nthen buy milk"}, {"categories", QJsonArray{"Home"}},
                   {"dtstart", "2026-12-09T16:00:00"}, {"dtend", "2026-12-09T16:30:00"}, {"status", "CONFIRMED"},
                   {"x-morvane-done", "No"}}),
        component({{"type", "VEVENT"}, {"uid", hAnna + u"-20261210@morvane"_s}, {"summary", "Anna's birthday"},
                   {"description", "Anna's birthday"}, {"categories", QJsonArray{"Birthday"}},
                   {"dtstart", "2026-12-10"}, {"dtend", "2026-12-11"}, {"status", "CONFIRMED"},
                   {"x-morvane-done", "No"}, {"alarms", QJsonArray{QJsonArray{"DISPLAY", "Anna's birthday", -900}}}}),
        // A category's comma is written escaped, which libical reads as one
        // category; Debian 12's icalendar module (4.0.3) splits a list at
        // every comma, escaped or not.
        component({{"type", "VEVENT"}, {"uid", hLate + u"-20261231@morvane"_s},
                   {"summary", "Late call; \"quoted\" \\ text"}, {"description", "Late call; \"quoted\" \\ text"},
                   {"categories", QJsonArray{"Work", " Club"}}, {"x-morvane-category", "Work, Club"},
                   {"dtstart", "2026-12-31T23:45:00"},
                   {"dtend", "2027-01-01T00:15:00"}, {"status", "CONFIRMED"}, {"x-morvane-done", "No"}}),
        component({{"type", "VTODO"}, {"uid", hRoses + u"-todo@morvane"_s}, {"summary", "Plant roses"},
                   {"description", "Plant roses"}, {"categories", QJsonArray{"Garden"}}, {"status", "NEEDS-ACTION"},
                   {"x-morvane-done", "No"}}),
        component({{"type", "VTODO"}, {"uid", hPassport + u"-todo@morvane"_s}, {"summary", "Renew passport"},
                   {"description", "Renew passport"}, {"status", "COMPLETED"}, {"x-morvane-done", "Yes"}}),
        component({{"type", "VTODO"}, {"uid", hReport + u"-done@morvane"_s}, {"summary", "Send report"},
                   {"description", "Send report"}, {"categories", QJsonArray{"Work"}}, {"status", "COMPLETED"},
                   {"completed", completedAt}, {"comment", "Sent by mail"}, {"x-morvane-done", "Yes"},
                   {"x-morvane-list", "COMPLETED-LOG"}, {"x-morvane-original-date", "Mon 11/30/2026"},
                   {"x-morvane-time", "9:00 AM"}}),
    };
    ASSERT_EQ(got.size(), want.size()) << QJsonDocument(got).toJson().toStdString();
    for (qsizetype i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i].toObject(), want[i].toObject())
            << "component " << i << "\n got: " << QJsonDocument(got[i].toObject()).toJson().toStdString()
            << "\nwant: " << QJsonDocument(want[i].toObject()).toJson().toStdString();
}

TEST(IcsExport, TheFileIsACalendarOfCrLfLinesFoldedAt75Bytes)
{
    Grid store = StoreOf({{"2026-12-09", "9:30 AM", "Work", "A very long note that goes on and on, well beyond "
                                                            "what one line of an iCalendar file may hold, with ä and ö",
                           "No", "No"},
                          {"2026-12-10", "9:30 AM", "Clubs, societies; and the long names of äöü äöü äöü äöü äöü äöü",
                           "Meet", "No", "No"}});
    int written = 0;
    const QByteArray ics = ExportIcs(store, NewTodoGrid(), nullptr, options(), &written);
    EXPECT_EQ(written, 2);
    // A category with a comma is written escaped, and folded as libical
    // folds its own lines.
    QByteArray unfolded = ics;
    unfolded.replace("\r\n ", "");
    EXPECT_TRUE(unfolded.contains(
        "\r\nCATEGORIES:Clubs\\, societies\\; and the long names of äöü äöü äöü äöü äöü äöü\r\nEND:VEVENT\r\n"))
        << ics.toStdString();
    EXPECT_EQ(IcsExportDoneText(written, u"/tmp/out.ics"_s), u"Exported 2 tasks to /tmp/out.ics."_s);
    EXPECT_TRUE(ics.startsWith("BEGIN:VCALENDAR\r\n"));
    EXPECT_TRUE(ics.endsWith("END:VCALENDAR\r\n"));
    EXPECT_TRUE(ics.contains("\r\nPRODID:-//Morvane//Morvane Calendar//EN\r\n"));
    EXPECT_TRUE(ics.contains("\r\nVERSION:2.0\r\n"));
    EXPECT_TRUE(ics.contains("\r\nDTSTAMP:20261209T120000Z\r\n"));
    QList<QByteArray> lines = ics.split('\n');
    ASSERT_TRUE(lines.takeLast().isEmpty());
    for (const QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        EXPECT_LE(line.size() - 1, 75) << line.toStdString();
    }
    // Nothing of the to-do list or the completed log was asked for.
    EXPECT_EQ(ics.count("BEGIN:VEVENT"), 2);
    EXPECT_EQ(ics.count("BEGIN:VTODO"), 0);
}

TEST(IcsExport, UidsStayWhenATaskIsDoneOrMovedInTheDayAndChangeWithItsText)
{
    const QRegularExpression uidLine(u"UID:([^\r]*)\r"_s);
    auto uids = [&](const Grid &store) {
        QStringList out;
        const QString ics = QString::fromUtf8(ExportIcs(store, NewTodoGrid(), nullptr, options()));
        for (auto it = uidLine.globalMatch(ics); it.hasNext();)
            out << it.next().captured(1);
        return out;
    };
    const QStringList before = uids(smallStore());
    ASSERT_EQ(before.size(), 5);
    EXPECT_EQ(before.size(), QSet<QString>(before.begin(), before.end()).size());
    for (const QString &uid : before)
        EXPECT_TRUE(QRegularExpression(u"^[0-9a-f]{16}-\\d{8}(-\\d+)?@morvane$"_s).match(uid).hasMatch()) << uid.toStdString();

    Grid changed = smallStore();
    changed.setCell(kStoreDone, 1, u"Yes");
    changed.setCell(kStoreTime, 1, u"10:30 AM");
    changed.setCell(kStoreAlarm, 1, u"No");
    EXPECT_EQ(uids(changed), before);
    changed.setCell(kStoreNotes, 1, u"Call the bank again");
    const QStringList after = uids(changed);
    EXPECT_NE(after[0], before[0]);
    EXPECT_EQ(after.mid(1), before.mid(1));

    // A UID this program made is recognised; another program's is not.
    const auto own = ParseOwnIcsUid(before[2].toUtf8());
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->kind, OwnIcsUid::Kind::Dated);
    EXPECT_EQ(own->date, QDate(2026, 12, 9));
    EXPECT_EQ(own->ordinal, 2);
    EXPECT_FALSE(ParseOwnIcsUid("040000008200E00074C5B7101A82E008@example.com").has_value());
    EXPECT_FALSE(ParseOwnIcsUid("0123456789abcdef-20261332@morvane").has_value());
    EXPECT_TRUE(ParseOwnIcsUid("0123456789abcdef-todo-3@morvane").has_value());
}

TEST(IcsExport, TheFilterAndTheRangeChooseTheTasks)
{
    const Grid store = smallStore(), todo = smallTodo();
    TaskFilter filter;
    filter.setShowDone(false);
    filter.setCategories({{u"Home"_s, true}, {u"Birthday"_s, false}});
    IcsExportOptions o = options();
    o.filter = &filter;
    o.range.byDate = true;
    o.range.first = QDate(2026, 12, 9);
    o.range.last = QDate(2026, 12, 10);
    const QByteArray ics = ExportIcs(store, todo, nullptr, o);
    // The done task, the unchecked category and the day outside the range
    // are left out; the to-do list passes the same filter.
    EXPECT_EQ(ics.count("BEGIN:VEVENT"), 2);
    EXPECT_TRUE(ics.contains("DTSTART:20261209T093000"));
    EXPECT_TRUE(ics.contains("DTSTART:20261209T160000"));
    EXPECT_EQ(ics.count("BEGIN:VTODO"), 1);
    EXPECT_TRUE(ics.contains("SUMMARY:Plant roses"));
    // Left-out twins do not change the UIDs of the others.
    EXPECT_TRUE(ics.contains("-20261209-2@morvane"));

    o.includeTodo = false;
    EXPECT_EQ(ExportIcs(store, todo, nullptr, o).count("BEGIN:VTODO"), 0);

    // The completed log by its completion dates; done tasks are what it holds,
    // so the filter's done switch decides too.
    const Grid completed = smallCompleted();  // completed 12/1/2026
    o.filter = nullptr;
    EXPECT_EQ(ExportIcs(store, todo, &completed, o).count("X-MORVANE-LIST:COMPLETED-LOG"), 0);
    o.range.first = QDate(2026, 12, 1);
    EXPECT_EQ(ExportIcs(store, todo, &completed, o).count("X-MORVANE-LIST:COMPLETED-LOG"), 1);
    o.filter = &filter;
    EXPECT_EQ(ExportIcs(store, todo, &completed, o).count("X-MORVANE-LIST:COMPLETED-LOG"), 0);
}

TEST(IcsExport, ALargeStoreWrittenInPiecesKeepsStoreOrderAndItsTwinsApart)
{
    // Three identical tasks a day for 5000 days: large enough to be written
    // in pieces, whose cuts must fall between days.
    Grid store = NewStoreGrid();
    const int days = 5000, first = DayOf("2010-01-01");
    store.setRowCount(3 * days + 1);
    for (int i = 0; i < 3 * days; ++i) {
        const int r = i + 1;
        store.setCell(kStoreKey, r, MakeStoreKey(first + i / 3, 101 + i % 3));
        store.setCell(kStoreTime, r, QStringLiteral("%1:00 AM").arg(8 + i % 3));
        store.setCell(kStoreCategory, r, u"Work");
        store.setCell(kStoreNotes, r, u"Stand-up");
        store.setCell(kStoreDone, r, u"No");
        store.setCell(kStoreAlarm, r, u"No");
    }
    const QString ics = QString::fromUtf8(ExportIcs(store, NewTodoGrid(), nullptr, options()));
    const QRegularExpression uidLine(u"UID:[0-9a-f]{16}-(\\d{8})(-\\d)?@morvane\r\nDTSTAMP:[^\r]*\r\n"
                                     "SUMMARY:[^\r]*\r\nDESCRIPTION:[^\r]*\r\nCATEGORIES:[^\r]*\r\n"
                                     "DTSTART:(\\d{8})T(\\d{6})"_s);
    int n = 0;
    for (auto it = uidLine.globalMatch(ics); it.hasNext(); ++n) {
        const QRegularExpressionMatch m = it.next();
        const QDate day = DateOfDay(first + n / 3);
        ASSERT_EQ(m.captured(1), day.toString(u"yyyyMMdd"_s)) << n;
        ASSERT_EQ(m.captured(2), n % 3 == 0 ? QString() : u"-%1"_s.arg(n % 3 + 1)) << n;
        ASSERT_EQ(m.captured(3), m.captured(1)) << n;
        ASSERT_EQ(m.captured(4), u"%1"_s.arg(8 + n % 3, 2, 10, QChar(u'0')) + u"0000"_s) << n;
    }
    EXPECT_EQ(n, 3 * days);
    EXPECT_EQ(ics.count(u"BEGIN:VCALENDAR"_s), 1);
    EXPECT_TRUE(ics.endsWith(u"END:VCALENDAR\r\n"_s));

    // The file, written piece by piece as the pieces are made, holds the
    // same bytes in the same order.
    TempFolder dir;
    const QString path = dir.file(u"morvane.ics"_s);
    int written = 0;
    ASSERT_TRUE(ExportIcsFile(path, store, NewTodoGrid(), nullptr, options(), &written).ok);
    EXPECT_EQ(written, 3 * days);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == ics.toUtf8());
}

TEST(IcsExport, AReadOnlyFolderIsRefusedAndNothingIsLeftBehind)
{
    TempFolder dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const FileResult r = ExportIcsFile(dir.file(u"morvane.ics"_s), smallStore(), smallTodo(), nullptr, options());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_TRUE(dir.entries().isEmpty());
}

TEST(IcsExport, EveryLineIsAsLibicalWritesItsOwnComponents)
{
    // Read back by libical and written out again whole, an export of every
    // kind of component and value comes out byte for byte the same: the
    // lines written one property at a time are libical's own.
    Grid store = StoreOf({
        {"2026-12-09", "9:30 AM", "Work", "Call the bank", "No", "Yes"},
        {"2026-12-09", "2:00 PM", "Home", "Pick up kids\r\nthen buy milk\r\n", "Yes", "No"},
        {"2026-12-10", "All day", "Büro", "Café – naïve, résumé; \"ok\" \\ done", "No", "Yes"},
        {"2026-12-11", "11:45 PM", "x:y", "A long note; with: colons and spaces, well past the fold of a line ééééé", "No", "Yes"},
        {"2026-12-12", "", "", "No time", "Yes", "Yes"},
    });
    // (Empty notes are left out: libical writes an empty SUMMARY but reads
    // it back as an error.)
    for (int lead : {0, 15, 90, 24 * 60, 7 * 24 * 60}) {
        IcsExportOptions o = options();
        o.alarmLeadMinutes = lead;
        const Grid completed = smallCompleted();
        const QByteArray ics = ExportIcs(store, smallTodo(), &completed, o);
        const IcalPtr read(icalparser_parse_string(ics.constData()));
        ASSERT_TRUE(read);
        EXPECT_EQ(IcalText(read.get()), ics) << lead;
    }
}
