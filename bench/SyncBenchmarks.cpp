// The sync against a Radicale on 127.0.0.1 started for the run, each case
// beside its floor: the same requests sent by a bare client in the same run.
//
//   BM_SyncNoChange        a sync with no change on either side (one PROPFIND
//                          of the calendar's ctag), the journal and the task
//                          files read as a sync does
//   BM_SyncNoChangeFloor   that one PROPFIND alone, on a new connection
//   BM_SyncListingFloor    the sync-collection REPORT a no-change sync sent
//                          before it asked for the ctag, for comparison
//   BM_SyncUpload          a first sync of N new tasks to an empty calendar
//   BM_SyncUploadFloor     N PUTs of objects made beforehand
//
// Goals: the no-change sync under 50 ms; the upload within 1.5 times its floor.

#include "Clock.h"
#include "SyncJournal.h"
#include "SyncRun.h"
#include "SyncTables.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

using namespace morvane;

namespace {

// Debian's Radicale on a free port of 127.0.0.1, for the whole run.
class LocalRadicale {
public:
    static LocalRadicale &instance()
    {
        static LocalRadicale r;
        return r;
    }
    bool ok() const { return ok_; }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    ~LocalRadicale()
    {
        process_.terminate();
        if (!process_.waitForFinished(10000))
            process_.kill();
    }

private:
    LocalRadicale()
    {
        {
            QTcpServer s;
            s.listen(QHostAddress::LocalHost, 0);
            port_ = s.serverPort();
        }
        QFile config(dir_.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n[auth]\ntype = none\n"
                                    "[storage]\nfilesystem_folder = %2\n[web]\ntype = none\n[logging]\nlevel = error\n")
                         .arg(port_)
                         .arg(dir_.filePath(QStringLiteral("collections")))
                         .toUtf8());
        config.close();
        process_.start(QStringLiteral("/usr/bin/radicale"), {QStringLiteral("--config"), config.fileName()});
        for (int i = 0; i < 600 && process_.state() != QProcess::NotRunning; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, quint16(port_));
            if ((ok_ = s.waitForConnected(100)))
                return;
            QThread::msleep(50);
        }
    }

    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    bool ok_ = false;
};

// A new empty calendar; its decoded path.
QString newCalendar(CalDavClient &client)
{
    const QString path = QStringLiteral("/bench/%1/").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
    client.send("MKCALENDAR", DavUrl(client.server(), path));
    return path;
}

// A data folder with `n` dated tasks and an empty to-do list.
void writeTasks(const QString &folder, int n)
{
    TaskFilter all;
    TaskStore store(all, JoinPath(folder, QStringLiteral("grid.grd")));
    store.gridForTests() = NewStoreGrid();
    std::vector<DatedTask> tasks;
    for (int i = 0; i < n; ++i)
        tasks.push_back({DayNumber(QDate(2026, 12, 1).addDays(i % 365)),
                         StoredTask{QStringLiteral("%1:00 AM").arg(1 + i % 11), QStringLiteral("Work"),
                                    QStringLiteral("Task %1").arg(i)}});
    store.insertTasks(tasks);
    (void)store.SortGridStore();
    (void)SaveGridFile(NewTodoGrid(), JoinPath(folder, QStringLiteral("gridNon.grd")));
}

SyncMapping mapping()
{
    SyncMapping m;
    m.today = QDate(2026, 12, 10);
    m.stamp = QDateTime(m.today, QTime(9, 0), Qt::UTC);
    return m;
}

SyncSettings settingsFor(const QString &calendar)
{
    SyncSettings s;
    s.url = LocalRadicale::instance().url();
    s.user = QStringLiteral("bench");
    s.calendar = s.url + calendar;
    return s;
}

SyncResult syncFolder(const QString &folder, const SyncSettings &s)
{
    FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    FileSyncTables tables(folder, clock);
    if (!tables.load().isEmpty())
        return SyncResult{false, QStringLiteral("the files did not load")};
    return SyncOnce(folder, s, QStringLiteral("x"), tables, mapping());
}

// A folder of 1,000 tasks synced once, for the no-change cases.
struct Synced {
    QTemporaryDir folder;
    SyncSettings settings;
    bool ok = false;
    Synced()
    {
        CalDavClient client(QUrl(LocalRadicale::instance().url()), QStringLiteral("bench"), QStringLiteral("x"));
        settings = settingsFor(newCalendar(client));
        writeTasks(folder.path(), 1000);
        ok = syncFolder(folder.path(), settings).ok;
    }
};

Synced &synced()
{
    static Synced s;
    return s;
}

void BM_SyncNoChange(benchmark::State &state)
{
    if (!LocalRadicale::instance().ok() || !synced().ok) {
        state.SkipWithError("radicale did not start");
        return;
    }
    for (auto _ : state) {
        const SyncResult r = syncFolder(synced().folder.path(), synced().settings);
        if (!r.ok || r.sent + r.received != 0)
            state.SkipWithError("the sync found changes");
    }
}

void BM_SyncNoChangeFloor(benchmark::State &state)
{
    if (!LocalRadicale::instance().ok() || !synced().ok) {
        state.SkipWithError("radicale did not start");
        return;
    }
    const QString calendar = CalendarPath(synced().settings.calendar);
    const QUrl url = DavUrl(QUrl(LocalRadicale::instance().url()), calendar);
    // A client of its own each time, as each sync has: the connection is part
    // of the cost.
    for (auto _ : state) {
        CalDavClient client(QUrl(LocalRadicale::instance().url()), QStringLiteral("bench"), QStringLiteral("x"));
        benchmark::DoNotOptimize(client.propfind(url, 0, "<cs:getctag/>").status);
    }
}

void BM_SyncListingFloor(benchmark::State &state)
{
    if (!LocalRadicale::instance().ok() || !synced().ok) {
        state.SkipWithError("radicale did not start");
        return;
    }
    SyncJournal journal;
    QString why;
    journal.open(synced().folder.path(), false, &why);
    const QString calendar = CalendarPath(synced().settings.calendar);
    const QByteArray token = journal.value(QStringLiteral("token:") + calendar);
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" + token +
                            "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>"
                            "</d:sync-collection>";
    const QUrl url = DavUrl(QUrl(LocalRadicale::instance().url()), calendar);
    for (auto _ : state) {
        CalDavClient client(QUrl(LocalRadicale::instance().url()), QStringLiteral("bench"), QStringLiteral("x"));
        benchmark::DoNotOptimize(client.report(url, 0, body).status);
    }
}

void BM_SyncUpload(benchmark::State &state)
{
    if (!LocalRadicale::instance().ok()) {
        state.SkipWithError("radicale did not start");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        writeTasks(folder.path(), int(state.range(0)));
        CalDavClient client(QUrl(LocalRadicale::instance().url()), QStringLiteral("bench"), QStringLiteral("x"));
        const SyncSettings s = settingsFor(newCalendar(client));
        state.ResumeTiming();
        const SyncResult r = syncFolder(folder.path(), s);
        if (!r.ok || r.sent != state.range(0))
            state.SkipWithError("not every task went up");
    }
}

void BM_SyncUploadFloor(benchmark::State &state)
{
    if (!LocalRadicale::instance().ok()) {
        state.SkipWithError("radicale did not start");
        return;
    }
    const SyncMapping m = mapping();
    for (auto _ : state) {
        state.PauseTiming();
        CalDavClient client(QUrl(LocalRadicale::instance().url()), QStringLiteral("bench"), QStringLiteral("x"));
        const QString calendar = newCalendar(client);
        std::vector<std::pair<QUrl, QByteArray>> objects;
        for (int i = 0; i < state.range(0); ++i) {
            SyncTask t;
            t.day = DayNumber(QDate(2026, 12, 1).addDays(i % 365));
            t.task = {QStringLiteral("%1:00 AM").arg(1 + i % 11), QStringLiteral("Work"), QStringLiteral("Task %1").arg(i)};
            const QByteArray uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8();
            objects.emplace_back(DavUrl(client.server(), calendar + QString::fromUtf8(uid) + QStringLiteral(".ics")),
                                 SyncTaskObject(t, uid, m));
        }
        state.ResumeTiming();
        for (const auto &[url, body] : objects)
            benchmark::DoNotOptimize(client.send("PUT", url, body, {{"If-None-Match", "*"}}).status);
    }
}

}  // namespace

BENCHMARK(BM_SyncNoChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncNoChangeFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncListingFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncUpload)->Arg(1000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncUploadFloor)->Arg(1000)->Iterations(2)->Unit(benchmark::kMillisecond);
