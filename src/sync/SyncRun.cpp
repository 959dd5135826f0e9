#include "SyncRun.h"

#include "SyncJournal.h"

#include <QTime>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

const QByteArray kDiscoveryProps = "<d:resourcetype/><d:current-user-principal/><c:calendar-home-set/>"
                                   "<d:displayname/><a:calendar-color/><c:supported-calendar-component-set/>";

// A PROPFIND that follows the redirects a well-known address answers with.
DavResponse propfindFollowing(CalDavClient &client, QUrl url, int depth, const QByteArray &props, QUrl *finalUrl)
{
    DavResponse r;
    for (int hop = 0; hop < 5; ++hop) {
        r = client.propfind(url, depth, props);
        if ((r.status == 301 || r.status == 302 || r.status == 303 || r.status == 307 || r.status == 308) &&
            !r.location.isEmpty()) {
            const QUrl next = url.resolved(QUrl::fromEncoded(r.location));
            // Never from https down to http, nor to another server.
            if (next.host() != url.host() || (url.scheme() == u"https" && next.scheme() != u"https"))
                break;
            url = next;
            continue;
        }
        break;
    }
    if (finalUrl)
        *finalUrl = url;
    return r;
}

FoundCalendar calendarOf(const DavEntry &e)
{
    FoundCalendar c;
    c.path = e.path;
    QString path = e.path;
    while (path.endsWith(u'/'))
        path.chop(1);
    // Some servers give the path as the name of a calendar that has none.
    c.name = e.displayName;
    if (c.name.isEmpty() || path.endsWith(c.name))
        c.name = path.section(u'/', -1);
    c.color = e.color;
    if (!e.components.isEmpty()) {
        c.events = e.components.contains(u"VEVENT"_s);
        c.todos = e.components.contains(u"VTODO"_s);
    }
    return c;
}

bool failed(Discovery &d, CalDavClient &client, const DavResponse &r)
{
    d.ok = false;
    d.error = client.failureText(r);
    if (d.error.isEmpty())
        d.error = u"The server answered %1, so it is not a CalDAV server."_s.arg(r.status);
    return false;
}

}  // namespace

Discovery DiscoverCalendars(CalDavClient &client, const QUrl &url)
{
    Discovery d;
    const QString notCalDav = u"%1 is not a CalDAV server (it names no calendars)."_s.arg(url.host());
    QString home;
    QString principal;
    if (url.path().length() > 1) {
        const DavResponse r = client.propfind(url, 0, kDiscoveryProps);
        if (r.status == 401 || (r.status == 0 && r.error != QNetworkReply::NoError)) {
            failed(d, client, r);
            return d;
        }
        if (r.ok()) {
            const DavMultiStatus ms = ParseMultiStatus(r.body);
            for (const DavEntry &e : ms.entries) {
                if (e.calendar) {
                    d.ok = true;
                    d.calendars.push_back(calendarOf(e));
                    return d;
                }
                if (!e.home.isEmpty())
                    home = e.home;
                if (!e.principal.isEmpty())
                    principal = e.principal;
            }
        }
    }
    if (home.isEmpty() && principal.isEmpty()) {
        QUrl at = DavUrl(url, u"/.well-known/caldav"_s);
        DavResponse r = propfindFollowing(client, at, 0, "<d:current-user-principal/>", &at);
        if (r.status == 401 || (r.status == 0 && r.error != QNetworkReply::NoError)) {
            failed(d, client, r);
            return d;
        }
        if (!r.ok())
            r = client.propfind(DavUrl(url, u"/"_s), 0, "<d:current-user-principal/>");
        if (r.status == 401 || (r.status == 0 && r.error != QNetworkReply::NoError)) {
            failed(d, client, r);
            return d;
        }
        if (r.ok())
            for (const DavEntry &e : ParseMultiStatus(r.body).entries)
                if (!e.principal.isEmpty())
                    principal = e.principal;
    }
    if (home.isEmpty() && !principal.isEmpty()) {
        d.principal = principal;
        const DavResponse r = client.propfind(DavUrl(url, principal), 0, "<c:calendar-home-set/>");
        if (!r.ok()) {
            failed(d, client, r);
            return d;
        }
        for (const DavEntry &e : ParseMultiStatus(r.body).entries)
            if (!e.home.isEmpty())
                home = e.home;
    }
    if (home.isEmpty()) {
        d.error = notCalDav;
        return d;
    }
    d.home = home;
    const DavResponse r = client.propfind(DavUrl(url, home), 1, kDiscoveryProps);
    if (!r.ok()) {
        failed(d, client, r);
        return d;
    }
    for (const DavEntry &e : ParseMultiStatus(r.body).entries)
        if (e.calendar)
            d.calendars.push_back(calendarOf(e));
    d.ok = true;
    return d;
}

QString DiscoveryText(const Discovery &d)
{
    if (!d.ok)
        return d.error;
    if (d.calendars.empty())
        return u"Connected, but this user has no calendars on the server yet."_s;
    QStringList names;
    for (const FoundCalendar &c : d.calendars)
        names << c.name;
    return (d.calendars.size() == 1 ? u"Connected. Found 1 calendar: %1."_s
                                    : u"Connected. Found %2 calendars: %1."_s.arg(u"%1"_s).arg(d.calendars.size()))
        .arg(names.join(u", "_s));
}

SyncResult SyncOnce(const QString &folder, const SyncSettings &settings, const QString &password,
                    SyncTables &tables, const SyncMapping &mapping,
                    const std::function<void(CalDavClient &)> &prepare, int timeoutMs)
{
    SyncResult result;
    if (!settings.configured()) {
        result.ok = false;
        result.error = u"No sync server is set: enter one in Options, on the Sync page."_s;
        return result;
    }
    const QUrl server = SyncServerUrl(settings.url);
    CalDavClient client(server, settings.user, password, timeoutMs);
    if (prepare)
        prepare(client);
    SyncTargets targets{CalendarPath(settings.calendar), CalendarPath(settings.todoCalendar), {}};
    if (settings.completedLog)
        targets.completed = targets.todo;
    if (targets.dated.isEmpty()) {
        // No calendar chosen yet: the address's own calendar, or the first
        // one of the user's that takes events.
        const Discovery d = DiscoverCalendars(client, server);
        if (!d.ok) {
            result.ok = false;
            result.error = d.error;
            return result;
        }
        for (const FoundCalendar &c : d.calendars)
            if (c.events) {
                targets.dated = c.path;
                break;
            }
        if (targets.dated.isEmpty()) {
            result.ok = false;
            result.error = u"The server has no calendar for events: make one there, then choose it in Options."_s;
            return result;
        }
    }
    SyncJournal journal;
    QString why;
    if (!journal.open(folder, true, &why)) {
        result.ok = false;
        result.error = why;
        return result;
    }
    SyncEngine engine(journal, tables, client, mapping);
    return engine.run(targets);
}

QString SyncDoneText(const SyncResult &r)
{
    QString text = u"Synced: %1 here, %2 sent to the server."_s.arg(
        r.received == 1 ? u"1 change"_s : u"%1 changes"_s.arg(r.received),
        r.sent == 1 ? u"1 item"_s : u"%1 items"_s.arg(r.sent));
    if (r.conflicts > 0)
        text += u" %1 changed on both sides: the server's version was kept, and this side's as a conflict copy."_s.arg(
            r.conflicts == 1 ? u"1 task was"_s : u"%1 tasks were"_s.arg(r.conflicts));
    return text;
}

QString SyncStatusText(const SyncResult &r, const QTime &at)
{
    if (!r.ok)
        return u"Sync failed: "_s + r.error;
    return u"Synced "_s + at.toString(u"HH:mm"_s);
}

}  // namespace morvane
