#include "SyncJournal.h"

#include "Utility.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QVariant blob(const std::optional<QByteArray> &b) { return b ? QVariant(*b) : QVariant(QMetaType(QMetaType::QByteArray)); }

std::optional<QByteArray> optionalBlob(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toByteArray();
}

}  // namespace

SyncJournal::~SyncJournal()
{
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool SyncJournal::open(const QString &folder, bool create, QString *error)
{
    const QString path = JoinPath(folder, fileName());
    if (!create && !QFileInfo::exists(path)) {
        if (error)
            *error = u"There is no sync journal yet."_s;
        return false;
    }
    static QAtomicInt serial;
    connection_ = u"morvane-sync-%1"_s.arg(serial.fetchAndAddRelaxed(1));
    db_ = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection_);
    db_.setDatabaseName(path);
    db_.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
    if (!db_.open()) {
        if (error)
            *error = u"The sync journal %1 could not be opened: %2"_s.arg(QDir::toNativeSeparators(path),
                                                                          db_.lastError().text());
        return false;
    }
    // A write reaches the disk before the request it prepares is sent.
    const bool ok = exec(u"PRAGMA journal_mode=WAL"_s) && exec(u"PRAGMA synchronous=FULL"_s) &&
                    exec(u"CREATE TABLE IF NOT EXISTS items(id INTEGER PRIMARY KEY, kind TEXT NOT NULL, "
                         "calendar TEXT, local BLOB, agreed BLOB, href TEXT, occurrence BLOB, uid BLOB, etag BLOB, apply TEXT, "
                         "was BLOB)"_s) &&
                    exec(u"CREATE TABLE IF NOT EXISTS state(key TEXT PRIMARY KEY, value BLOB)"_s) &&
                    exec(u"CREATE TABLE IF NOT EXISTS resources(href TEXT PRIMARY KEY, ics BLOB)"_s);
    if (!ok && error)
        *error = u"The sync journal %1 could not be read: %2"_s.arg(QDir::toNativeSeparators(path), error_);
    return ok;
}

bool SyncJournal::exec(const QString &sql)
{
    QSqlQuery q(db_);
    if (q.exec(sql))
        return true;
    error_ = q.lastError().text();
    return false;
}

std::vector<JournalItem> SyncJournal::items()
{
    std::vector<JournalItem> out;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT id, kind, calendar, local, agreed, href, occurrence, uid, etag, apply, was FROM items "
                "ORDER BY id"_s)) {
        error_ = q.lastError().text();
        return out;
    }
    while (q.next()) {
        JournalItem i;
        i.id = q.value(0).toLongLong();
        const QByteArray kind = q.value(1).toString().toLatin1(), apply = q.value(9).toString().toLatin1();
        i.kind = kind.isEmpty() ? 'E' : kind.at(0);
        i.calendar = q.value(2).toString();
        i.local = optionalBlob(q.value(3));
        i.agreed = optionalBlob(q.value(4));
        i.href = q.value(5).toString();
        i.occurrence = q.value(6).toByteArray();
        i.uid = q.value(7).toByteArray();
        i.etag = q.value(8).toByteArray();
        i.apply = apply.isEmpty() ? char(0) : apply.at(0);
        i.was = optionalBlob(q.value(10));
        out.push_back(std::move(i));
    }
    return out;
}

bool SyncJournal::begin() { return db_.transaction() || (error_ = db_.lastError().text(), false); }

bool SyncJournal::commit() { return db_.commit() || (error_ = db_.lastError().text(), false); }

void SyncJournal::rollback() { db_.rollback(); }

QVariantList SyncJournal::columns(const JournalItem &item)
{
    return {QString(QChar::fromLatin1(item.kind)), item.calendar, blob(item.local), blob(item.agreed), item.href,
            item.occurrence, item.uid, item.etag,
            item.apply ? QString(QChar::fromLatin1(item.apply)) : QString(), blob(item.was)};
}

bool SyncJournal::insert(JournalItem &item)
{
    QSqlQuery q(db_);
    q.prepare(u"INSERT INTO items(kind, calendar, local, agreed, href, occurrence, uid, etag, apply, was) "
              "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    for (const QVariant &v : columns(item))
        q.addBindValue(v);
    if (!q.exec()) {
        error_ = q.lastError().text();
        return false;
    }
    item.id = q.lastInsertId().toLongLong();
    return true;
}

bool SyncJournal::update(const JournalItem &item)
{
    return run(u"UPDATE items SET kind=?, calendar=?, local=?, agreed=?, href=?, occurrence=?, uid=?, etag=?, "
               "apply=?, was=? WHERE id=?"_s,
               columns(item) << item.id);
}

bool SyncJournal::remove(qint64 id) { return run(u"DELETE FROM items WHERE id=?"_s, {id}); }

QByteArray SyncJournal::lookup(const QString &sql, const QString &key)
{
    QSqlQuery q(db_);
    q.prepare(sql);
    q.addBindValue(key);
    if (q.exec() && q.next())
        return q.value(0).toByteArray();
    return {};
}

bool SyncJournal::run(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db_);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec() || (error_ = q.lastError().text(), false);
}

QByteArray SyncJournal::value(const QString &key) { return lookup(u"SELECT value FROM state WHERE key=?"_s, key); }

bool SyncJournal::setValue(const QString &key, const QByteArray &value)
{
    return run(u"INSERT OR REPLACE INTO state(key, value) VALUES(?, ?)"_s, {key, value});
}

QByteArray SyncJournal::resource(const QString &href) { return lookup(u"SELECT ics FROM resources WHERE href=?"_s, href); }

bool SyncJournal::setResource(const QString &href, const QByteArray &ics)
{
    return run(u"INSERT OR REPLACE INTO resources(href, ics) VALUES(?, ?)"_s, {href, ics});
}

bool SyncJournal::removeResource(const QString &href) { return run(u"DELETE FROM resources WHERE href=?"_s, {href}); }

bool SyncJournal::pruneResources()
{
    return exec(u"DELETE FROM resources WHERE href NOT IN (SELECT href FROM items WHERE href IS NOT NULL)"_s);
}

}  // namespace morvane
