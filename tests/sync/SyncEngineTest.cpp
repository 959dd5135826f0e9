// The sync against a real Radicale on 127.0.0.1, with phone.py as the
// other device.

#include "SyncFixtures.h"

#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

class SyncTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new RadicaleServer;
        ASSERT_TRUE(server_->start()) << "radicale did not start";
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }

    // A calendar of its own for each test.
    QString makeCalendar(const QString &name)
    {
        const QString path = u"/ann/"_s + name + u'/';
        phone().run({u"mkcal"_s, path});
        return path;
    }
    Phone phone() const { return Phone(*server_); }

    SyncSettings settings(const QString &calendar, bool todo = true) const
    {
        SyncSettings s;
        s.url = server_->url();
        s.user = server_->user;
        s.calendar = QString::fromUtf8(DavUrl(QUrl(server_->url()), calendar).toEncoded());
        if (todo)
            s.todoCalendar = s.calendar;
        return s;
    }

    SyncResult sync(const DataFolder &data, const SyncSettings &s, const std::function<void(int)> &after = {},
                    const QString &password = u"secret"_s, const QDate &today = kSyncToday)
    {
        FixedClock clock(QDateTime(today, QTime(9, 0)));
        FileSyncTables tables(data.path(), clock);
        EXPECT_EQ(tables.load(s.completedLog), QString());
        requests_ = 0;
        SyncMapping m = TestMapping();
        m.today = today;
        return SyncOnce(data.path(), s, password, tables, m, [&](CalDavClient &c) {
            c.afterRequest = [&](int n) {
                requests_ = n;
                if (after)
                    after(n);
            };
        });
    }

    static std::vector<JournalItem> journalItems(const DataFolder &data)
    {
        SyncJournal j;
        QString why;
        EXPECT_TRUE(j.open(data.path(), false, &why)) << why.toStdString();
        return j.items();
    }

    // Syncs the folder holding dentist_ alone, then changes its notes here
    // to "Dentist, changed here"; the server item's UID.
    QString syncThenChangeHere(DataFolder &data, const QString &cal)
    {
        EXPECT_TRUE(sync(data, settings(cal)).ok);
        SyncTask here = AsSyncTask(dentist_);
        here.task.notes = u"Dentist, changed here"_s;
        data.change({{AsSyncTask(dentist_), here}});
        return phone().list(cal)[0][u"uid"_s].toString();
    }

    // A sync in a child process that kills itself after request
    // `killAfter` (0: never); whether it was killed. *requests: how many it
    // sent when it was not.
    bool childSync(const DataFolder &data, const SyncSettings &s, int killAfter, int *requests = nullptr)
    {
        QProcess p;
        DieWithParent(p);
        QStringList args{data.path(), s.url, s.user, server_->password, s.calendar, s.todoCalendar,
                         QString::number(killAfter)};
        if (s.completedLog)
            args << QStringLiteral("log");
        p.start(QStringLiteral(MORVANE_SYNC_CHILD), args);
        p.waitForFinished(120000);
        if (p.exitStatus() == QProcess::CrashExit)
            return true;
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        if (requests)
            *requests = p.readAllStandardOutput().trimmed().toInt();
        return false;
    }

    static RadicaleServer *server_;
    int requests_ = 0;
    const DatedTask dentist_ = Dated(QDate(2026, 12, 14), QStringLiteral("10:30 AM"), QStringLiteral("Dentist"));
};

RadicaleServer *SyncTest::server_ = nullptr;

const QDate kDay(2026, 12, 14);

TEST_F(SyncTest, FirstSyncBothWaysMatchesEqualItemsAndASecondSyncIsOneRequest)
{
    const QString cal = makeCalendar(u"first"_s);
    phone().run({u"add"_s, cal, u"p-dentist"_s, u"Dentist"_s, u"20261214T103000"_s, u"Work"_s});
    phone().run({u"add"_s, cal, u"p-only"_s, u"Phone only"_s, u"20261215"_s});
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s), Dated(kDay, u"2:00 PM"_s, u"Here only"_s)},
                    {u"Paint the door"_s});

    const SyncResult r = sync(data, settings(cal));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(phone().summaries(cal), (QStringList{u"Dentist"_s, u"Here only"_s, u"Paint the door"_s, u"Phone only"_s}));
    EXPECT_EQ(data.notes(), (QStringList{u"Dentist"_s, u"Here only"_s, u"Paint the door"_s, u"Phone only"_s}));
    for (const SyncTask &t : data.tasks()) {
        if (t.task.notes == u"Phone only") {
            EXPECT_EQ(t.task.time, u"All day"_s);
        }
    }

    // Both sides settle in one sync: the next finds nothing to do, in one request.
    const SyncResult again = sync(data, settings(cal));
    ASSERT_TRUE(again.ok) << again.error.toStdString();
    EXPECT_EQ(requests_, 1);
    EXPECT_EQ(again.sent + again.received, 0);
    EXPECT_EQ(phone().list(cal).size(), 4);
    EXPECT_EQ(data.tasks().size(), 4u);
}

TEST_F(SyncTest, EditsAndDeletesOnEitherSideKeepEachItemsIdentity)
{
    const QString cal = makeCalendar(u"edits"_s);
    const DatedTask dentist = Dated(kDay, u"10:30 AM"_s, u"Dentist"_s);
    const DatedTask bank = Dated(kDay, u"2:00 PM"_s, u"Bank"_s);
    DataFolder data({dentist, bank, Dated(kDay.addDays(1), u"9:00 AM"_s, u"Gym"_s)});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    auto hrefOf = [&](const QString &summary) {
        for (const QJsonValue &v : phone().list(cal))
            if (v[u"summary"_s].toString() == summary)
                return v[u"href"_s].toString();
        return QString();
    };
    auto etagOf = [&](const QString &notes) {
        for (const JournalItem &j : journalItems(data))
            if (j.local && SyncTask::fromKey(*j.local)->task.notes == notes)
                return j.etag;
        return QByteArray();
    };
    const QString dentistHref = hrefOf(u"Dentist"_s);
    const QByteArray dentistEtag = etagOf(u"Dentist"_s);
    ASSERT_FALSE(dentistHref.isEmpty());

    // Edited here: the same item on the server, with a new ETag.
    SyncTask moved = AsSyncTask(dentist);
    moved.day = DayNumber(kDay.addDays(2));
    moved.task.time = u"11:00 AM"_s;
    moved.task.notes = u"Dentist, moved"_s;
    data.change({{AsSyncTask(dentist), moved}});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(hrefOf(u"Dentist, moved"_s), dentistHref);
    EXPECT_NE(etagOf(u"Dentist, moved"_s), dentistEtag);
    EXPECT_EQ(phone().list(cal).size(), 3);

    // Edited on the phone: the same task changed here.
    const QString uid = dentistHref.section(u'/', -1).chopped(4);
    phone().run({u"edit"_s, cal, uid, u"Dentist, from the phone"_s});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(data.notes(), (QStringList{u"Bank"_s, u"Dentist, from the phone"_s, u"Gym"_s}));
    EXPECT_EQ(hrefOf(u"Dentist, from the phone"_s), dentistHref);

    // Deleted here, then on the phone.
    data.change({{AsSyncTask(bank), std::nullopt}});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(phone().summaries(cal), (QStringList{u"Dentist, from the phone"_s, u"Gym"_s}));
    phone().run({u"delete"_s, cal, uid});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(data.notes(), QStringList{u"Gym"_s});
    EXPECT_EQ(phone().summaries(cal), QStringList{u"Gym"_s});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(requests_, 1);
}

// An event made on the phone with a place, an attendee, a property of its
// own and a reminder a quarter of an hour before: an edit here changes only
// what was edited, and the next edit starts from what the server holds.
TEST_F(SyncTest, AnEditHereKeepsWhatThePhoneWroteThatTasksDoNotHold)
{
    const QString cal = makeCalendar(u"rich"_s);
    DataFolder data;
    phone().run({u"addrich"_s, cal, u"p-rich"_s, u"Dentist"_s, u"20261214T103000"_s});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    ASSERT_EQ(data.tasks().size(), 1u);
    const SyncTask came = data.tasks().front();
    EXPECT_EQ(came.task.notes, u"Dentist\r\nWhere: High Street 4\r\n"_s);
    auto raw = [&] { return phone().list(cal)[0][u"raw"_s].toString(); };
    auto expectKept = [&](const QString &text) {
        for (const char *kept : {"LOCATION:High Street 4", "ATTENDEE:mailto:ann@example.org", "X-PHONE-COLOUR:teal",
                                 "TRIGGER:-PT15M"})
            EXPECT_TRUE(text.contains(QLatin1StringView(kept))) << kept << "\n" << text.toStdString();
    };

    SyncTask edited = came;
    edited.task.notes = u"Dentist, bring the card\r\nWhere: High Street 4\r\n"_s;
    data.change({{came, edited}});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    QString text = raw();
    expectKept(text);
    EXPECT_TRUE(text.contains(u"SUMMARY:Dentist\\, bring the card"_s)) << text.toStdString();
    EXPECT_EQ(phone().list(cal)[0][u"uid"_s].toString(), u"p-rich"_s);

    // Moved: the new summary stays, the place too.
    SyncTask moved = edited;
    moved.day += 1;
    moved.task.time = u"2:00 PM"_s;
    data.change({{edited, moved}});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    text = raw();
    expectKept(text);
    EXPECT_TRUE(text.contains(u"SUMMARY:Dentist\\, bring the card"_s)) << text.toStdString();
    EXPECT_EQ(phone().list(cal)[0][u"start"_s].toString(), u"20261215T140000"_s);

    // Nothing comes back changed, and the next sync is one request.
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(data.tasks().size(), 1u);
    EXPECT_EQ(data.tasks().front().key(), moved.key());
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(requests_, 1);
}

TEST_F(SyncTest, AConflictKeepsTheServersVersionAndACopyOfThisSides)
{
    const QString cal = makeCalendar(u"conflict"_s);
    DataFolder data({dentist_});
    const QString uid = syncThenChangeHere(data, cal);
    phone().run({u"edit"_s, cal, uid, u"Dentist, changed there"_s});
    const SyncResult r = sync(data, settings(cal));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.conflicts, 1);
    const QString copy = u"Dentist, changed here\r\n"_s + QString::fromUtf16(kConflictCopyMark) + u"\r\n"_s;
    EXPECT_EQ(data.notes(), (QStringList{copy, u"Dentist, changed there"_s}));
    EXPECT_EQ(phone().list(cal).size(), 2);
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(requests_, 1);
    EXPECT_EQ(data.tasks().size(), 2u);

    // Removed here while changed there: the change comes back, nothing is lost.
    SyncTask there = AsSyncTask(dentist_);
    there.task.notes = u"Dentist, changed there"_s;
    data.change({{there, std::nullopt}});
    phone().run({u"edit"_s, cal, uid, u"Dentist, changed there again"_s});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(data.notes(), (QStringList{copy, u"Dentist, changed there again"_s}));
    EXPECT_EQ(phone().list(cal).size(), 2);
}

TEST_F(SyncTest, ACalendarPathWithAnAtASpaceAndAccentsNamesTheSameItems)
{
    const QString cal = makeCalendar(u"ann@home työ été"_s);
    phone().run({u"add"_s, cal, u"p1"_s, u"From the phone"_s, u"20261214T080000"_s});
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(requests_, 1);
    EXPECT_EQ(phone().summaries(cal), (QStringList{u"Dentist"_s, u"From the phone"_s}));
    EXPECT_EQ(data.notes(), (QStringList{u"Dentist"_s, u"From the phone"_s}));
    for (const JournalItem &j : journalItems(data))
        EXPECT_TRUE(j.href.startsWith(cal)) << j.href.toStdString();
}

TEST_F(SyncTest, AWrongPasswordIsSaidPlainlyAndChangesNothing)
{
    const QString cal = makeCalendar(u"password"_s);
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)});
    const SyncResult r = sync(data, settings(cal), {}, u"wrong"_s);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, u"The server refused the user name or password."_s);
    EXPECT_EQ(phone().list(cal).size(), 0);
    EXPECT_EQ(data.notes(), QStringList{u"Dentist"_s});
}

TEST_F(SyncTest, AServerWhoseCertificateIsNotTrustedIsToldAndGetsNothing)
{
    UntrustedServer untrusted;
    ASSERT_TRUE(untrusted.ready());
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)});
    SyncSettings s = settings(u"/ann/tls/"_s);
    s.url = untrusted.url();
    s.calendar = untrusted.url() + u"/ann/tls/"_s;
    s.todoCalendar = s.calendar;
    const SyncResult r = sync(data, s);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, u"The server's certificate is not trusted, so nothing was sent to 127.0.0.1."_s);
    EXPECT_TRUE(untrusted.received().isEmpty()) << untrusted.received().toStdString();
    EXPECT_EQ(data.notes(), QStringList{u"Dentist"_s});
}

TEST_F(SyncTest, ChangesMadeWhileTheServerIsDownGoOutOnceItIsBack)
{
    RadicaleServer own;
    ASSERT_TRUE(own.start());
    Phone ownPhone(own);
    ownPhone.run({u"mkcal"_s, u"/ann/down/"_s});
    SyncSettings s = settings(u"/ann/down/"_s);
    s.url = own.url();
    s.calendar = own.url() + u"/ann/down/"_s;
    s.todoCalendar = s.calendar;
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)});
    ASSERT_TRUE(sync(data, s).ok);

    own.stop();
    data.change({{std::nullopt, AsSyncTask(Dated(kDay, u"1:00 PM"_s, u"Lunch"_s))}});
    const SyncResult down = sync(data, s);
    EXPECT_FALSE(down.ok);
    EXPECT_EQ(down.error, u"No server answers at 127.0.0.1:%1 (the connection was refused)."_s.arg(own.port()));

    ASSERT_TRUE(own.start());
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(ownPhone.summaries(u"/ann/down/"_s), (QStringList{u"Dentist"_s, u"Lunch"_s}));
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(requests_, 1);
    EXPECT_EQ(ownPhone.list(u"/ann/down/"_s).size(), 2);
}

TEST_F(SyncTest, AKillAtAnyRequestOfASyncNeitherLosesNorDuplicates)
{
    // Each run: a fresh calendar and data folder, a sync killed right after
    // the server answered request n, then two whole syncs.
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        const QString cal = makeCalendar(u"kill-%1"_s.arg(n));
        phone().run({u"add"_s, cal, u"p-dentist"_s, u"Dentist"_s, u"20261214T103000"_s, u"Work"_s});
        phone().run({u"add"_s, cal, u"p-only"_s, u"Phone only"_s, u"20261215T080000"_s});
        DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s), Dated(kDay, u"2:00 PM"_s, u"Bank"_s),
                         Dated(kDay.addDays(1), u"9:00 AM"_s, u"Gym"_s)},
                        {u"Paint the door"_s});
        const SyncSettings s = settings(cal);
        if (!childSync(data, s, n)) {
            EXPECT_GT(n, 2);
            break;  // the sync ended before request n: every request has had its kill
        }
        // The next sync settles both sides; the one after finds nothing to do.
        ASSERT_FALSE(childSync(data, s, 0));
        const QStringList all{u"Bank"_s, u"Dentist"_s, u"Gym"_s, u"Paint the door"_s, u"Phone only"_s};
        EXPECT_EQ(phone().summaries(cal), all);
        EXPECT_EQ(data.notes(), all);
        int requests = 0;
        ASSERT_FALSE(childSync(data, s, 0, &requests));
        EXPECT_EQ(requests, 1);
        ASSERT_LT(n, 40);
    }
}

TEST_F(SyncTest, AnItemChangedOnTheServerDuringTheSyncIsRefusedWith412AndNothingIsLost)
{
    const QString cal = makeCalendar(u"precondition"_s);
    DataFolder data({dentist_});
    const QString uid = syncThenChangeHere(data, cal);

    // The phone changes the item after the listing, before the PUT.
    const SyncResult r = sync(data, settings(cal), [&](int n) {
        if (n == 1)
            phone().run({u"edit"_s, cal, uid, u"Dentist, changed there"_s});
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.conflicts, 1);
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(data.tasks().size(), 2u);
    EXPECT_EQ(phone().list(cal).size(), 2);
    EXPECT_TRUE(phone().summaries(cal).contains(u"Dentist, changed there"_s));
}

TEST_F(SyncTest, AServerErrorOrNoAnswerFailsPlainlyAndTheNextSyncCatchesUp)
{
    const QString cal = makeCalendar(u"errors"_s);
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    data.change({{std::nullopt, AsSyncTask(Dated(kDay, u"1:00 PM"_s, u"Lunch"_s))}});

    for (const int status : {500, 0}) {
        StandIn standIn(status);
        SyncSettings s = settings(cal);
        s.url = standIn.url();
        s.calendar = standIn.url() + cal;
        s.todoCalendar = s.calendar;
        FixedClock clock(QDateTime(kSyncToday, QTime(9, 0)));
        FileSyncTables tables(data.path(), clock);
        ASSERT_EQ(tables.load(), QString());
        const SyncResult r = SyncOnce(data.path(), s, u"secret"_s, tables, TestMapping(), {}, status ? 60000 : 300);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, status ? u"The server 127.0.0.1 reported an error (500). Try again later."_s
                                  : u"The server 127.0.0.1 did not answer in time."_s);
        EXPECT_EQ(data.notes(), (QStringList{u"Dentist"_s, u"Lunch"_s}));
    }
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(phone().summaries(cal), (QStringList{u"Dentist"_s, u"Lunch"_s}));
}

TEST_F(SyncTest, ARepeatingEventComesInOverTheWindowAndChangesGoBackAsOverridesAndExdates)
{
    const QString cal = makeCalendar(u"repeat"_s);
    phone().run({u"add"_s, cal, u"weekly"_s, u"Choir"_s, u"20261214T190000"_s, u"Music"_s, u"FREQ=WEEKLY;COUNT=4"_s});
    DataFolder data;
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    std::vector<SyncTask> tasks = data.tasks();
    ASSERT_EQ(tasks.size(), 4u);
    std::sort(tasks.begin(), tasks.end(), [](const SyncTask &a, const SyncTask &b) { return a.day < b.day; });

    SyncTask changed = tasks[1];
    changed.task.notes = u"Choir, in the church"_s;
    data.change({{tasks[1], changed}, {tasks[2], std::nullopt}});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    const QJsonArray items = phone().list(cal);
    ASSERT_EQ(items.size(), 2);  // the event and one override, in one object
    int exdates = 0;
    QStringList overrides;
    for (const QJsonValue &v : items) {
        exdates += v[u"exdates"_s].toInt();
        if (!v[u"recurrence_id"_s].toString().isEmpty())
            overrides << v[u"summary"_s].toString();
    }
    EXPECT_EQ(exdates, 1);
    EXPECT_EQ(overrides, QStringList{u"Choir, in the church"_s});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(data.notes(), (QStringList{u"Choir"_s, u"Choir"_s, u"Choir, in the church"_s}));
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(requests_, 1);
}

TEST_F(SyncTest, AThousandTasksGoUpAndTheNextSyncIsStillOneRequest)
{
    const QString cal = makeCalendar(u"thousand"_s);
    std::vector<DatedTask> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(Dated(kDay.addDays(i % 300), u"%1:00 AM"_s.arg(1 + i % 11), u"Task %1"_s.arg(i)));
    DataFolder data(many);
    const SyncResult r = sync(data, settings(cal));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.sent, 1000);
    EXPECT_EQ(phone().list(cal).size(), 1000);
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    EXPECT_EQ(requests_, 1);
    EXPECT_EQ(data.tasks().size(), 1000u);
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// `morvane --sync` without a display and without a running copy: the files
// are synced, the status says how it went.
TEST_F(SyncTest, TheTerminalCommandSyncsTheFilesWithoutADisplay)
{
    const QString cal = makeCalendar(u"terminal"_s);
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)});
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Helmsworth Corporation/Task.conf"_s;
    auto run = [&](QByteArray *out, QByteArray *err) {
        QProcess p;
        DieWithParent(p);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"MORVANE_DIR"_s, data.path());
        env.remove(u"DISPLAY"_s);
        env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(MORVANE_BIN_DIR "/morvane"), {u"--sync"_s});
        p.waitForFinished(120000);
        *out = p.readAllStandardOutput();
        *err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QByteArray out, err;
    QFile::remove(config);
    EXPECT_EQ(run(&out, &err), 1);
    EXPECT_TRUE(err.contains("no sync server is set")) << err.toStdString();

    SyncSettings s = settings(cal);
    s.passwordCommand = u"echo secret"_s;
    {
        SettingsStore store(config);
        s.write(store);
        ASSERT_TRUE(store.sync());
    }
    ASSERT_EQ(run(&out, &err), 0) << err.toStdString();
    EXPECT_EQ(out, "Synced: 0 changes here, 1 item sent to the server.\n");
    EXPECT_EQ(phone().summaries(cal), QStringList{u"Dentist"_s});
    EXPECT_TRUE(QFile::exists(data.path() + u"/sync.db"_s));

    s.passwordCommand = u"echo wrong"_s;
    {
        SettingsStore store(config);
        s.write(store);
        ASSERT_TRUE(store.sync());
    }
    EXPECT_EQ(run(&out, &err), 1);
    EXPECT_EQ(err, "morvane: The server refused the user name or password.\n");

    // While the program runs, the running copy syncs and answers.
    {
        QProcess window;
        DieWithParent(window);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"MORVANE_DIR"_s, data.path());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        window.setProcessEnvironment(env);
        s.passwordCommand = u"echo secret"_s;
        {
            SettingsStore store(config);
            s.write(store);
            ASSERT_TRUE(store.sync());
        }
        window.start(QStringLiteral(MORVANE_BIN_DIR "/morvane"), {});
        ASSERT_TRUE(window.waitForStarted(10000));
        const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/morvane.socket"_s;
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }, 30000));
        phone().run({u"add"_s, cal, u"p-terminal"_s, u"From the phone"_s, u"20261214T080000"_s});
        ASSERT_EQ(run(&out, &err), 0) << err.toStdString();
        EXPECT_TRUE(out.startsWith("Synced: ")) << out.toStdString();
        EXPECT_EQ(window.state(), QProcess::Running);
        window.terminate();
        ASSERT_TRUE(window.waitForFinished(30000));
        EXPECT_EQ(data.notes(), (QStringList{u"Dentist"_s, u"From the phone"_s}));
    }

    // No keyring and no command: a terminal cannot be asked, so it says why.
    s.passwordCommand.clear();
    {
        SettingsStore store(config);
        s.write(store);
        ASSERT_TRUE(store.sync());
    }
    EXPECT_EQ(run(&out, &err), 1);
    EXPECT_TRUE(err.contains("Set PasswordCommand")) << err.toStdString();
    QFile::remove(config);
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// Another calendar chosen, then the first again: each holds every task
// once, and nothing here is doubled.
TEST_F(SyncTest, ChoosingAnotherCalendarAndBackDoublesNothing)
{
    const QString first = makeCalendar(u"switch-a"_s), second = makeCalendar(u"switch-b"_s);
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)}, {u"Paint the door"_s});
    ASSERT_TRUE(sync(data, settings(first)).ok);
    ASSERT_TRUE(sync(data, settings(second)).ok);
    phone().run({u"add"_s, first, u"p-while"_s, u"Added meanwhile"_s, u"20261214T080000"_s});
    ASSERT_TRUE(sync(data, settings(first)).ok);
    EXPECT_EQ(phone().summaries(first), (QStringList{u"Added meanwhile"_s, u"Dentist"_s, u"Paint the door"_s}));
    EXPECT_EQ(phone().summaries(second), (QStringList{u"Dentist"_s, u"Paint the door"_s}));
    EXPECT_EQ(data.notes(), (QStringList{u"Added meanwhile"_s, u"Dentist"_s, u"Paint the door"_s}));
}

// A calendar chosen again is listed whole even when nothing changed there
// since it was last synced: its items may be missing here by then.
TEST_F(SyncTest, ACalendarChosenAgainIsListedWholeThoughItsTagIsAsItWas)
{
    const QString dated = makeCalendar(u"again-d"_s), first = makeCalendar(u"again-a"_s),
                  second = makeCalendar(u"again-b"_s);
    phone().run({u"addtodo"_s, first, u"p-stamps"_s, u"Buy stamps"_s});
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)});
    SyncSettings s = settings(dated, false);
    s.todoCalendar = settings(first).calendar;
    ASSERT_TRUE(sync(data, s).ok);
    ASSERT_EQ(data.notes(), (QStringList{u"Buy stamps"_s, u"Dentist"_s}));
    // To-do tasks go elsewhere, and the one there is done with here.
    s.todoCalendar = settings(second).calendar;
    ASSERT_TRUE(sync(data, s).ok);
    for (const SyncTask &t : data.tasks())
        if (t.kind == SyncTask::Kind::Todo)
            data.change({{t, std::nullopt}});
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_TRUE(phone().list(second).isEmpty());
    // Back to the first, which still holds it: it comes back.
    s.todoCalendar = settings(first).calendar;
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(data.notes(), (QStringList{u"Buy stamps"_s, u"Dentist"_s}));
    EXPECT_EQ(phone().summaries(first), QStringList{u"Buy stamps"_s});
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// A repeat without end: as the days go by, the occurrences coming into the
// window arrive, those it leaves behind stay, and nothing is sent back.
TEST_F(SyncTest, ARepeatWithoutEndRollsForwardWithTheDate)
{
    const QString cal = makeCalendar(u"rolling"_s);
    phone().run({u"add"_s, cal, u"weekly-open"_s, u"Swim"_s, u"20261214T070000"_s, u"Sport"_s, u"FREQ=WEEKLY"_s});
    DataFolder data;
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    const std::size_t first = data.tasks().size();
    EXPECT_GT(first, 100u);  // two years ahead, weekly

    const SyncResult later = sync(data, settings(cal), {}, u"secret"_s, kSyncToday.addYears(1));
    ASSERT_TRUE(later.ok) << later.error.toStdString();
    EXPECT_EQ(later.sent, 0);
    EXPECT_EQ(requests_, 1);
    const std::vector<SyncTask> tasks = data.tasks();
    EXPECT_GT(tasks.size(), first + 50);
    const auto [earliest, latest] = std::minmax_element(
        tasks.begin(), tasks.end(), [](const SyncTask &a, const SyncTask &b) { return a.day < b.day; });
    EXPECT_EQ(DateOfDay(earliest->day), QDate(2026, 12, 14));
    EXPECT_GT(DateOfDay(latest->day), QDate(2029, 12, 1));
    EXPECT_EQ(phone().list(cal).size(), 1);
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// The same for a sync that carries edits and removals both ways: each item
// keeps its address, and nothing is lost or doubled.
TEST_F(SyncTest, AKillAtAnyRequestOfASyncOfEditsNeitherLosesNorDuplicates)
{
    const DatedTask bank = Dated(kDay, u"2:00 PM"_s, u"Bank"_s), gym = Dated(kDay.addDays(1), u"9:00 AM"_s, u"Gym"_s);
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        const QString cal = makeCalendar(u"kill-edits-%1"_s.arg(n));
        phone().run({u"add"_s, cal, u"p-dentist"_s, u"Dentist"_s, u"20261214T103000"_s, u"Work"_s});
        phone().run({u"add"_s, cal, u"p-only"_s, u"Phone only"_s, u"20261215T080000"_s});
        DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s), bank, gym}, {u"Paint the door"_s});
        const SyncSettings s = settings(cal);
        ASSERT_FALSE(childSync(data, s, 0));
        QString bankHref;
        for (const QJsonValue &v : phone().list(cal))
            if (v[u"summary"_s].toString() == u"Bank")
                bankHref = v[u"href"_s].toString();

        SyncTask moved = AsSyncTask(bank);
        moved.task.notes = u"Bank, moved"_s;
        moved.task.time = u"3:00 PM"_s;
        data.change({{AsSyncTask(bank), moved}, {AsSyncTask(gym), std::nullopt}});
        phone().run({u"edit"_s, cal, u"p-dentist"_s, u"Dentist, phone"_s});
        phone().run({u"delete"_s, cal, u"p-only"_s});
        phone().run({u"add"_s, cal, u"p-new"_s, u"New on phone"_s, u"20261216T080000"_s});

        if (!childSync(data, s, n)) {
            EXPECT_GT(n, 2);
            break;
        }
        ASSERT_FALSE(childSync(data, s, 0));
        const QStringList all{u"Bank, moved"_s, u"Dentist, phone"_s, u"New on phone"_s, u"Paint the door"_s};
        EXPECT_EQ(phone().summaries(cal), all);
        EXPECT_EQ(data.notes(), all);
        int requests = 0;
        ASSERT_FALSE(childSync(data, s, 0, &requests));
        EXPECT_EQ(requests, 1);
        for (const QJsonValue &v : phone().list(cal)) {
            if (v[u"summary"_s].toString() == u"Bank, moved") {
                EXPECT_EQ(v[u"href"_s].toString(), bankHref);
            }
        }
        ASSERT_LT(n, 40);
    }
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// Dated and to-do tasks each to their own calendar; without a to-do
// calendar the to-do list stays here.
TEST_F(SyncTest, DatedAndToDoTasksGoToTheirOwnCalendars)
{
    const QString events = makeCalendar(u"own-events"_s), todos = makeCalendar(u"own-todos"_s);
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s)}, {u"Paint the door"_s});
    SyncSettings s = settings(events, false);
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(phone().summaries(events), QStringList{u"Dentist"_s});
    EXPECT_TRUE(phone().summaries(todos).isEmpty());

    s.todoCalendar = settings(todos).calendar;
    phone().run({u"addtodo"_s, todos, u"p-todo"_s, u"Call the bank"_s});
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(phone().summaries(events), QStringList{u"Dentist"_s});
    EXPECT_EQ(phone().summaries(todos), (QStringList{u"Call the bank"_s, u"Paint the door"_s}));
    EXPECT_EQ(data.notes(), (QStringList{u"Call the bank"_s, u"Dentist"_s, u"Paint the door"_s}));
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(requests_, 2);  // one listing per calendar
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// Without its journal, the next sync is a first sync again: every item is
// matched to its task, a task whose time cell is no time of day too.
TEST_F(SyncTest, ASyncWithoutItsJournalMatchesEveryItemAgain)
{
    const QString cal = makeCalendar(u"journal-lost"_s);
    DataFolder data({Dated(kDay, u"10:30 AM"_s, u"Dentist"_s), Dated(kDay, u"Morning"_s, u"Walk"_s)},
                    {u"Paint the door\r\nblue\r\n"_s});
    ASSERT_TRUE(sync(data, settings(cal)).ok);
    for (const QString &name : {u"sync.db"_s, u"sync.db-wal"_s, u"sync.db-shm"_s})
        QFile::remove(data.path() + u'/' + name);
    const SyncResult again = sync(data, settings(cal));
    ASSERT_TRUE(again.ok) << again.error.toStdString();
    EXPECT_EQ(phone().list(cal).size(), 3);
    EXPECT_EQ(data.tasks().size(), 3u);
    EXPECT_EQ(again.received, 0);
}

// The completed log stays here unless the setting says otherwise; synced,
// its entries are completed to-dos in the to-do tasks' calendar, changed and
// removed both ways, brought back to the to-do list when the phone marks one
// as not done, never doubled when the journal is lost, and left on the
// server when the setting is turned off again.
TEST_F(SyncTest, TheCompletedLogGoesToTheServerOnlyWhenTheSettingSaysSo)
{
    const QString cal = makeCalendar(u"completed-log"_s);
    DataFolder data({}, {u"Paint the door"_s});
    data.writeLog({{u"12/9/2026"_s, u"9:00 AM"_s, u"Work"_s, u"Wed 12/9/26"_s, u"Dentist"_s, u"Went well"_s},
                   {u"12/8/2026"_s, u"2:00 PM"_s, u"Home"_s, u"Tue 12/8/26"_s, u"Bank\r\nForms\r\n"_s, QString()},
                   {u"12/7/2026"_s, u"8:00 AM"_s, u"Home"_s, u"Mon 12/7/26"_s, u"Walk"_s, QString()}});
    const QByteArray logBytes = readBytes(data.path() + u"/gridComp.grd"_s);
    SyncSettings s = settings(cal);
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(phone().summaries(cal), QStringList{u"Paint the door"_s});
    EXPECT_EQ(readBytes(data.path() + u"/gridComp.grd"_s), logBytes);

    s.completedLog = true;
    SyncResult r = sync(data, s);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(phone().summaries(cal), (QStringList{u"Bank"_s, u"Dentist"_s, u"Paint the door"_s, u"Walk"_s}));
    auto item = [&](const QString &summary) { return phone().item(cal, summary); };
    EXPECT_EQ(item(u"Dentist"_s)[u"status"_s].toString(), u"COMPLETED"_s);
    EXPECT_EQ(item(u"Dentist"_s)[u"kind"_s].toString(), u"VTODO"_s);
    EXPECT_EQ(readBytes(data.path() + u"/gridComp.grd"_s), logBytes);
    r = sync(data, s);
    EXPECT_EQ(r.sent + r.received, 0);
    EXPECT_EQ(requests_, 1);

    // Changed, removed and marked as not done on the phone.
    phone().run({u"edit"_s, cal, item(u"Dentist"_s)[u"uid"_s].toString(), u"Dentist at ten"_s});
    phone().run({u"delete"_s, cal, item(u"Walk"_s)[u"uid"_s].toString()});
    const QString bank = item(u"Bank"_s)[u"uid"_s].toString();
    phone().run({u"reopen"_s, cal, bank});
    r = sync(data, s);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(data.logNotes(), QStringList{u"Dentist at ten"_s});
    EXPECT_EQ(data.notes(), (QStringList{u"Bank\r\nForms\r\n"_s, u"Dentist at ten"_s, u"Paint the door"_s}));
    EXPECT_EQ(item(u"Bank"_s)[u"uid"_s].toString(), bank);
    r = sync(data, s);
    EXPECT_EQ(r.sent + r.received, 0);

    // Completed here again, the to-do task goes back into the log: the same item there.
    SyncTask todo;
    for (const SyncTask &t : data.tasks())
        if (t.task.notes.startsWith(u"Bank"_s))
            todo = t;
    ASSERT_EQ(todo.kind, SyncTask::Kind::Todo);
    const SyncTask archived = SyncTask::fromCompletedCells(
        {u"12/10/2026"_s, QString(), todo.task.category, u"To-do task"_s, todo.task.notes, u"Done at last"_s});
    data.change({{todo, archived}});
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(item(u"Bank"_s)[u"uid"_s].toString(), bank);
    EXPECT_EQ(item(u"Bank"_s)[u"status"_s].toString(), u"COMPLETED"_s);
    EXPECT_EQ(phone().list(cal).size(), 3);

    // The journal lost: every entry is matched again, none doubled.
    for (const QString &name : {u"sync.db"_s, u"sync.db-wal"_s, u"sync.db-shm"_s})
        QFile::remove(data.path() + u'/' + name);
    r = sync(data, s);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(phone().list(cal).size(), 3);
    EXPECT_EQ(data.logNotes(), (QStringList{u"Bank\r\nForms\r\n"_s, u"Dentist at ten"_s}));

    // Turned off: the log is not synced any more, and nothing goes from the server.
    s.completedLog = false;
    const QByteArray before = readBytes(data.path() + u"/gridComp.grd"_s);
    ASSERT_TRUE(sync(data, s).ok);
    phone().run({u"edit"_s, cal, item(u"Dentist at ten"_s)[u"uid"_s].toString(), u"Dentist at nine"_s});
    ASSERT_TRUE(sync(data, s).ok);
    EXPECT_EQ(phone().list(cal).size(), 3);
    EXPECT_EQ(readBytes(data.path() + u"/gridComp.grd"_s), before);
}

// The same with the completed log synced: entries changed and removed on
// the phone, a to-do task moved into the log and an entry added here.
TEST_F(SyncTest, AKillAtAnyRequestOfASyncOfTheLogNeitherLosesNorDuplicates)
{
    const QStringList walk{u"12/7/2026"_s, u"8:00 AM"_s, u"Home"_s, u"Mon 12/7/26"_s, u"Walk"_s, QString()},
        bank{u"12/8/2026"_s, u"2:00 PM"_s, u"Home"_s, u"Tue 12/8/26"_s, u"Bank"_s, QString()};
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        const QString cal = makeCalendar(u"kill-log-%1"_s.arg(n));
        DataFolder data({}, {u"Paint the door"_s});
        data.writeLog({walk, bank});
        SyncSettings s = settings(cal);
        s.completedLog = true;
        ASSERT_FALSE(childSync(data, s, 0));
        auto uidOf = [&](const QString &summary) { return phone().uidOf(cal, summary); };
        const QString door = uidOf(u"Paint the door"_s);
        phone().run({u"edit"_s, cal, uidOf(u"Walk"_s), u"Long walk"_s});
        phone().run({u"delete"_s, cal, uidOf(u"Bank"_s)});
        SyncTask todo;
        for (const SyncTask &t : data.tasks())
            if (t.kind == SyncTask::Kind::Todo)
                todo = t;
        const SyncTask done = SyncTask::fromCompletedCells(
            {u"12/10/2026"_s, QString(), todo.task.category, u"To-do task"_s, todo.task.notes, u"Blue"_s});
        const SyncTask added = SyncTask::fromCompletedCells(
            {u"12/9/2026"_s, u"9:00 AM"_s, u"Work"_s, u"Wed 12/9/26"_s, u"Report"_s, QString()});
        data.change({{todo, done}, {std::nullopt, added}});

        if (!childSync(data, s, n)) {
            EXPECT_GT(n, 2);
            break;
        }
        ASSERT_FALSE(childSync(data, s, 0));
        EXPECT_EQ(phone().summaries(cal), (QStringList{u"Long walk"_s, u"Paint the door"_s, u"Report"_s}));
        EXPECT_EQ(uidOf(u"Paint the door"_s), door);
        QStringList log = data.logNotes();
        log.sort();
        EXPECT_EQ(log, (QStringList{u"Long walk"_s, u"Paint the door"_s, u"Report"_s}));
        EXPECT_EQ(data.tasks().size(), 3u);
        int requests = 0;
        ASSERT_FALSE(childSync(data, s, 0, &requests));
        EXPECT_EQ(requests, 1);
        ASSERT_LT(n, 40);
    }
}

}  // namespace
}  // namespace morvane
