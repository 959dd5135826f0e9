// A sync in a process of its own, for the test that kills a sync at each of
// its requests: it runs one sync of a data folder and, when told, stops
// itself with SIGKILL right after the server answered request N, before
// anything of that answer is kept.
//
//   morvane_sync_child FOLDER SERVER USER PASSWORD CALENDAR TODOCALENDAR KILL_AFTER
//
// Prints the number of requests and ends with 0, or prints why it failed
// and ends with 1.

#include "SyncRun.h"
#include "SyncTables.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <csignal>
#include <cstdio>

using namespace morvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    // An optional last argument "log": the completed log is synced too.
    if (a.size() != 8 && !(a.size() == 9 && a[8] == QLatin1String("log")))
        return 2;
    SyncSettings s;
    s.url = a[2];
    s.user = a[3];
    s.calendar = a[5];
    s.todoCalendar = a[6];
    s.completedLog = a.size() == 9;
    const int killAfter = a[7].toInt();
    FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    FileSyncTables tables(a[1], clock);
    if (const QString why = tables.load(s.completedLog); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    SyncMapping m;
    m.today = clock.today();
    m.stamp = QDateTime(m.today, QTime(9, 0), Qt::UTC);
    int requests = 0;
    const SyncResult r = SyncOnce(a[1], s, a[4], tables, m, [&](CalDavClient &c) {
        c.afterRequest = [&](int n) {
            requests = n;
            if (n == killAfter)
                std::raise(SIGKILL);
        };
    });
    if (!r.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return 1;
    }
    std::printf("%d\n", requests);
    return 0;
}
