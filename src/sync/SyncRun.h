#pragma once
// Finding the calendars of a server, and one whole sync of a data folder:
// what `morvane --sync`, the program's sync timer and "Test connection" run.

#include "CalDavClient.h"
#include "SyncEngine.h"
#include "SyncSettings.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

namespace morvane {

struct FoundCalendar {
    QString path;   // decoded
    QString name;   // its display name, else the last part of its path
    QString color;  // "#RRGGBB" or "#RRGGBBAA" as the server gives it; may be empty
    bool events = true, todos = true;  // what it takes (both when the server does not say)
};

struct Discovery {
    bool ok = false;
    QString error;  // in plain words
    QString principal, home;
    std::vector<FoundCalendar> calendars;
};

// From a bare server address through /.well-known/caldav (RFC 6764), the
// current user's principal and its calendar home set (RFC 4791), or from
// the address of a calendar or of a home set itself.
Discovery DiscoverCalendars(CalDavClient &client, const QUrl &url);

// What "Test connection" says of a discovery: "Found 2 calendars: Home, Work."
QString DiscoveryText(const Discovery &d);

// One sync of the tables with the server the settings name, keeping its
// journal in `folder`. `prepare` sees the client before the first request.
SyncResult SyncOnce(const QString &folder, const SyncSettings &settings, const QString &password,
                    SyncTables &tables, const SyncMapping &mapping,
                    const std::function<void(CalDavClient &)> &prepare = {}, int timeoutMs = 60000);

// What a sync did, for a terminal: "Synced: 2 changes here, 3 sent to the server."
QString SyncDoneText(const SyncResult &r);
// What a sync's result says in the status bar: "Synced 10:42", or why not.
QString SyncStatusText(const SyncResult &r, const QTime &at);

}  // namespace morvane
