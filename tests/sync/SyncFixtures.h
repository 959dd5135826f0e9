#pragma once
// What the sync tests share: a Radicale server of their own on 127.0.0.1
// (a free port, its own storage folder and htpasswd user, stopped at the
// end), the "phone" (phone.py, Python's caldav library), and data folders
// with tasks.

#include "SyncFeed.h"
#include "SyncJournal.h"
#include "SyncRun.h"
#include "SettingsStore.h"
#include "SyncTables.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimeZone>
#include <QHash>

#include <csignal>
#include <sys/prctl.h>

namespace morvane {

inline const QDate kSyncToday(2026, 12, 10);

inline SyncMapping TestMapping()
{
    SyncMapping m;
    m.today = kSyncToday;
    m.stamp = QDateTime(kSyncToday, QTime(9, 0), Qt::UTC);
    return m;
}

inline int FreePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

// Ends with the test process, however it ends.
inline void DieWithParent(QProcess &p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

class RadicaleServer {
public:
    QString user = QStringLiteral("ann"), password = QStringLiteral("secret");

    // Its storage skips fsync (radicale_server.py): the tests keep nothing
    // beyond their run.
    RadicaleServer() : port_(FreePort())
    {
        writeBytes(dir_.file(QStringLiteral("users")), (user + u':' + password + u'\n').toUtf8());
        writeBytes(dir_.file(QStringLiteral("config")),
                   QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n"
                                  "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\nhtpasswd_encryption = plain\n"
                                  "[storage]\nfilesystem_folder = %3\n_filesystem_fsync = False\n"
                                  "[rights]\ntype = owner_only\n[web]\ntype = none\n[logging]\nlevel = warning\n")
                       .arg(port_)
                       .arg(dir_.file(QStringLiteral("users")), dir_.file(QStringLiteral("collections")))
                       .toUtf8());
    }
    ~RadicaleServer() { stop(); }

    // Starts it and waits until its port takes connections (polled, never
    // a fixed wait); false when it did not come up.
    bool start()
    {
        DieWithParent(process_);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(MORVANE_SYNC_RADICALE), dir_.file(QStringLiteral("config"))});
        if (!process_.waitForStarted(10000))
            return false;
        for (int i = 0; i < 600; ++i) {
            if (process_.state() != QProcess::Running)
                return false;
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, quint16(port_));
            if (s.waitForConnected(100))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    int port() const { return port_; }

private:
    TempFolder dir_;
    int port_;
    QProcess process_;
};

// The phone: phone.py with the server's address and user.
class Phone {
public:
    explicit Phone(const RadicaleServer &s) : server_(s) {}
    // Runs a command; its output, and a test failure when it failed.
    QByteArray run(const QStringList &args) const
    {
        QProcess p;
        DieWithParent(p);
        p.start(QStringLiteral("/usr/bin/python3"),
                QStringList{QStringLiteral(MORVANE_SYNC_PHONE), server_.url(), server_.user, server_.password} + args);
        p.waitForFinished(60000);
        EXPECT_EQ(p.exitCode(), 0) << args.join(u' ').toStdString() << ": " << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    }
    QJsonArray list(const QString &calendar) const
    {
        return QJsonDocument::fromJson(run({QStringLiteral("list"), calendar})).array();
    }
    // The item of the calendar with that summary; empty when there is none.
    QJsonObject item(const QString &calendar, const QString &summary) const
    {
        for (const QJsonValue &v : list(calendar))
            if (v.toObject().value(QStringLiteral("summary")).toString() == summary)
                return v.toObject();
        return QJsonObject();
    }
    QString uidOf(const QString &calendar, const QString &summary) const
    {
        return item(calendar, summary).value(QStringLiteral("uid")).toString();
    }
    QStringList summaries(const QString &calendar) const
    {
        QStringList out;
        for (const QJsonValue &v : list(calendar))
            out << v.toObject().value(QStringLiteral("summary")).toString();
        out.sort();
        return out;
    }

private:
    const RadicaleServer &server_;
};

// A data folder with task files.
class DataFolder {
public:
    DataFolder(const std::vector<DatedTask> &dated = {}, const QStringList &todo = {})
    {
        TaskFilter all;
        TaskStore store(all, dir_.file(QStringLiteral("grid.grd")));
        store.gridForTests() = NewStoreGrid();
        for (const DatedTask &t : dated)
            store.insertTask(t.day, t.task);
        EXPECT_TRUE(store.SortGridStore());
        Grid grid = NewTodoGrid();
        grid.setRowCount(std::max<int>(2, int(todo.size()) + 1));
        for (int i = 0; i < todo.size(); ++i) {
            grid.setCell(kTodoCategory, i + 1, QStringLiteral("Home"));
            grid.setCell(kTodoNotes, i + 1, todo[i]);
            grid.setCell(kTodoDone, i + 1, QStringLiteral("No"));
        }
        EXPECT_TRUE(SaveGridFile(grid, dir_.file(QStringLiteral("gridNon.grd"))));
    }
    QString path() const { return dir_.path(); }

    // The completed log's file: one row each, as the log keeps them.
    void writeLog(const QList<QStringList> &rows) const
    {
        Grid log = NewCompletedGrid();
        log.setRowCount(std::max<int>(2, int(rows.size()) + 1));
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < kCompCols && c < rows[r].size(); ++c)
                log.setCell(c, r + 1, rows[r][c]);
        EXPECT_TRUE(SaveGridFile(log, dir_.file(QStringLiteral("gridComp.grd"))));
    }
    // The notes of the log's entries, in the log's order.
    QStringList logNotes() const
    {
        Grid log = NewCompletedGrid();
        EXPECT_TRUE(LoadGridFile(log, dir_.file(QStringLiteral("gridComp.grd"))));
        QStringList out;
        for (int r = 1; r < log.rowCount(); ++r)
            if (!log.cellEmpty(kCompNotes, r))
                out << log.cell(kCompNotes, r);
        return out;
    }

    std::vector<SyncTask> tasks() const
    {
        FixedClock clock(QDateTime(kSyncToday, QTime(9, 0)));
        FileSyncTables t(dir_.path(), clock);
        EXPECT_EQ(t.load(true), QString());
        return t.tasks(true, true, true);
    }
    // The notes of every task, sorted: each task once.
    QStringList notes() const
    {
        QStringList out;
        for (const SyncTask &t : tasks())
            out << t.task.notes;
        out.sort();
        return out;
    }
    // Changes the tables as a command of the window would, telling the journal.
    void change(const std::vector<SyncTables::Change> &changes, bool feed = true)
    {
        FixedClock clock(QDateTime(kSyncToday, QTime(9, 0)));
        FileSyncTables t(dir_.path(), clock);
        ASSERT_EQ(t.load(true), QString());
        ASSERT_EQ(t.apply(changes), QString());
        if (!feed)
            return;
        std::vector<TaskEdit> edits;
        for (const SyncTables::Change &c : changes)
            edits.push_back({c.from, c.to});
        SyncJournal journal;
        QString why;
        ASSERT_TRUE(journal.open(dir_.path(), false, &why)) << why.toStdString();
        ASSERT_TRUE(RecordTaskEdits(journal, edits));
    }

private:
    TempFolder dir_;
};

// A stand-in server on 127.0.0.1 that answers every request with one status,
// or never answers.
class StandIn : public QObject {
public:
    explicit StandIn(int status) : status_(status)
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = server_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    buffer_[s] += s->readAll();
                    if (status_ == 0 || !buffer_[s].contains("\r\n\r\n"))
                        return;  // a server that never answers
                    const QByteArray body = "<html>error</html>";
                    s->write("HTTP/1.1 " + QByteArray::number(status_) + " Error\r\nContent-Length: " +
                             QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

private:
    int status_;
    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> buffer_;
};

// A stand-in HTTPS server on 127.0.0.1 whose certificate nobody signed (made
// for the test by openssl): a client must refuse it before sending anything.
class UntrustedServer : public QObject {
public:
    UntrustedServer()
    {
        const QString cert = dir_.file("cert.pem"), key = dir_.file("key.pem");
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"),
                       QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                       QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert});
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return;
        QFile c(cert), k(key);
        if (!c.open(QIODevice::ReadOnly) || !k.open(QIODevice::ReadOnly))
            return;
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(c.readAll()));
        config.setPrivateKey(QSslKey(k.readAll(), QSsl::Rsa));
        server_.setSslConfiguration(config);
        QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *s = server_.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { received_ += s->readAll(); });
        });
        ready_ = server_.listen(QHostAddress::LocalHost, 0);
    }
    bool ready() const { return ready_; }
    QString url() const { return QStringLiteral("https://127.0.0.1:%1").arg(server_.serverPort()); }
    // What reached it through an established connection.
    const QByteArray &received() const { return received_; }

private:
    TempFolder dir_;
    QSslServer server_;
    QByteArray received_;
    bool ready_ = false;
};

inline DatedTask Dated(const QDate &d, const QString &time, const QString &notes,
                       const QString &category = QStringLiteral("Work"))
{
    return {DayNumber(d), StoredTask{time, category, notes}};
}

inline SyncTask AsSyncTask(const DatedTask &t)
{
    SyncTask s;
    s.day = t.day;
    s.task = t.task;
    return s;
}

}  // namespace morvane
