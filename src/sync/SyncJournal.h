#pragma once
// The sync journal: what this copy knows of the calendar server, in
// "sync.db" beside the task files (SQLite through Qt SQL), never in them.
//
// One item per task here: its content as the tables hold it (`local`, none
// when it was removed here), the content last agreed with the server
// (`agreed`, none before the server first took it), and its server copy
// (the resource's path, the occurrence of a repeating event, UID, ETag).
// Every change is written in a transaction before the request or table
// change it prepares, and its result after, so that a kill at any moment
// leaves a journal the next sync finishes from:
//   - an item given a path but never agreed may or may not be on the server:
//     the next listing finds it there, or it is sent again (If-None-Match: *);
//   - an item marked with a pending table change (`apply`) tells the next
//     sync what the tables were to become, and that sync checks whether they
//     did before going on.

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <optional>
#include <vector>

namespace morvane {

struct JournalItem {
    qint64 id = 0;
    char kind = 'E';                     // SyncTask::Kind
    QString calendar;                    // decoded path of the collection
    std::optional<QByteArray> local;     // SyncTask::key() as the tables hold it
    std::optional<QByteArray> agreed;    // as last agreed with the server
    QString href;                        // decoded path of the resource; empty: not sent
    QByteArray occurrence;               // RECURRENCE-ID of a repeat's occurrence
    QByteArray uid, etag;
    // A table change under way: '+' add `local`, '-' remove `was`, 'C'
    // change `was` into `local`; 0 none.
    char apply = 0;
    std::optional<QByteArray> was;
};

class SyncJournal {
public:
    SyncJournal() = default;
    ~SyncJournal();
    SyncJournal(const SyncJournal &) = delete;
    SyncJournal &operator=(const SyncJournal &) = delete;

    static QString fileName() { return QStringLiteral("sync.db"); }
    // Opens (making it when `create`) the journal in `folder`; false with
    // *error when it cannot, or when it does not exist and `create` is false.
    bool open(const QString &folder, bool create, QString *error);
    bool isOpen() const { return db_.isOpen(); }

    std::vector<JournalItem> items();
    // Writes are grouped: begin(), then any of these, then commit().
    bool begin();
    bool commit();
    void rollback();
    bool insert(JournalItem &item);  // sets item.id
    bool update(const JournalItem &item);
    bool remove(qint64 id);

    QByteArray value(const QString &key);
    bool setValue(const QString &key, const QByteArray &value);
    // The text of a repeating event's object, to change one occurrence in.
    QByteArray resource(const QString &href);
    bool setResource(const QString &href, const QByteArray &ics);
    bool removeResource(const QString &href);
    // The server copies kept of items the journal no longer holds go.
    bool pruneResources();

    QString lastError() const { return error_; }

private:
    bool exec(const QString &sql);
    bool run(const QString &sql, const QVariantList &values);
    QByteArray lookup(const QString &sql, const QString &key);
    static QVariantList columns(const JournalItem &item);
    QSqlDatabase db_;
    QString connection_;
    QString error_;
};

}  // namespace morvane
