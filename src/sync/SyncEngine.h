#pragma once
// One sync of the task tables with a calendar server.
//
//   1. The journal is brought up to date with the tables: a table change a
//      kill interrupted is finished or found done, and tasks the change feed
//      did not report (added or removed while sync was not running) become
//      items to send or to remove.
//   2. For each calendar, what changed on the server since the last sync:
//      a sync-collection REPORT with the saved sync-token (RFC 6578), or,
//      where the server has none, the ETags of every item; changed items
//      are fetched with calendar-multiget. A sync with no changes on either
//      side is this one request.
//   3. The server's changes reach the tables: a task unchanged here takes
//      the server's content; one changed on both sides keeps the server's
//      version and a conflict copy of this side's; one removed there goes
//      here unless it was changed here (then it is sent again as new). On a
//      first sync, a server item equal to a task here (day, time, category,
//      notes) is that task, not a new one.
//   4. This side's changes go out: a new task is a PUT with If-None-Match: *
//      to a path recorded before the request; a changed one a PUT with
//      If-Match to the same path; a removed one a DELETE with If-Match. An
//      occurrence of a repeating event is changed as an override of that
//      occurrence (RECURRENCE-ID) and removed as an EXDATE. A request the
//      server refuses with 412 (changed there meanwhile) fetches the item
//      and applies the conflict rule.

#include "CalDavClient.h"
#include "SyncJournal.h"
#include "SyncTables.h"
#include "SyncTask.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace morvane {

struct SyncResult {
    bool ok = true;
    QString error;
    int received = 0;   // tasks added, changed or removed here
    int sent = 0;       // items written or removed on the server
    int conflicts = 0;  // conflict copies made
};

}  // namespace morvane
Q_DECLARE_METATYPE(morvane::SyncResult)
namespace morvane {

// Which calendars the tasks go to: decoded paths of the collections; an
// empty one is not synced.
struct SyncTargets {
    QString dated, todo;
    QString completed;  // the completed log's: the to-do tasks' calendar, or none
};

class SyncEngine {
public:
    SyncEngine(SyncJournal &journal, SyncTables &tables, CalDavClient &client, SyncMapping mapping);
    ~SyncEngine();
    SyncResult run(const SyncTargets &targets);

private:
    struct Item {
        JournalItem j;
        bool dirty = false, gone = false;
    };
    bool fail(const QString &why);
    bool failRequest(const DavResponse &r);
    bool forgetOtherCalendars();
    bool reconcile();
    bool syncCalendar(const QString &calendar);
    // Whether anything here is still to go to that calendar.
    bool hasWorkFor(const QString &calendar) const;
    // The collection's ctag; empty where the server keeps none. *failed
    // when the server did not answer (the sync has failed then). With
    // `asked`, the answer to the question sent at the start of the sync.
    QByteArray collectionTag(const QString &calendar, bool *failed, bool asked = false);
    void askTagsEarly();
    void dropEarlyTags();
    QHash<QString, QNetworkReply *> earlyTags_;
    void settleAfterSending(const QString &calendar);
    bool fetch(const QString &calendar, const QStringList &paths, QSet<QString> &missing);
    void remoteChanged(const QString &calendar, const QString &path, const QByteArray &etag, const QByteArray &ics);
    void remoteGone(Item &item);
    bool flush();
    bool upload(const QString &calendar, const QSet<QString> &listed, bool full);
    bool put(Item &item, bool isNew);
    bool removeOnServer(Item &item);
    bool changeRepeating(const QString &path, std::vector<Item *> &items);
    bool refetch(const QString &calendar, const QString &path);
    bool write(Item &item);  // a request's result, kept with the next batch
    bool writeResults();
    // An item's row in the journal: removed, or added or brought up to date.
    bool writeItem(Item &item, bool removed);
    bool commitWrites(bool ok);
    static constexpr int kResultsPerWrite = 100;
    int unwritten_ = 0;

    bool takes(const QString &calendar, char kind) const;
    QString calendarOf(char kind) const
    {
        return kind == 'T' ? targets_.todo : kind == 'C' ? targets_.completed : targets_.dated;
    }
    SyncTask taskOf(const QByteArray &key) const;
    bool sameOnServer(const QByteArray &a, const QByteArray &b);
    const SyncTask &asOnServer(const QByteArray &key);
    void tableChange(std::optional<QByteArray> from, std::optional<QByteArray> to);

    SyncJournal &journal_;
    SyncTables &tables_;
    CalDavClient &client_;
    SyncMapping mapping_;
    SyncTargets targets_;
    SyncResult result_;
    std::vector<std::unique_ptr<Item>> items_;
    std::vector<SyncTables::Change> pending_;
    QHash<QString, QByteArray> pendingResources_;  // an empty text: none kept
    bool writeResources();
    QHash<QByteArray, SyncTask> onServer_;
};

}  // namespace morvane
