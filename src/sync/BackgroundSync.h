#pragma once
// Syncs on a thread of its own, so the window never waits on the network:
// the requests run there, and the tables are read and changed on the
// window's thread (each call handed over and waited for), between the
// window's own events. The change feed's edits reach the journal at once,
// or after the sync under way, so the two never write it together.

#include "SyncFeed.h"
#include "SyncRun.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace morvane {

class BackgroundSync : public QObject {
    Q_OBJECT
public:
    // `tables` are used on this object's thread only.
    BackgroundSync(QString folder, SyncTables &tables, QObject *parent = nullptr);
    // Stops a sync under way (its journal stays as a kill would leave it)
    // and waits for its thread.
    ~BackgroundSync() override;

    bool running() const { return thread_ != nullptr; }
    // Starts a sync; while one runs, another is run once it ends.
    void start(const SyncSettings &settings, const QString &password, const SyncMapping &mapping);
    void recordEdits(std::vector<TaskEdit> edits);
    // The server's timeout of each request (tests make it short).
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }

signals:
    void started();
    void finished(const morvane::SyncResult &result);

private:
    void done(const SyncResult &result);
    void writeEdits();

    QString folder_;
    SyncTables &tables_;
    QThread *thread_ = nullptr;
    std::atomic<bool> cancel_{false};
    std::vector<TaskEdit> edits_;
    bool again_ = false;
    SyncSettings againSettings_;
    QString againPassword_;
    SyncMapping againMapping_;
    int timeoutMs_ = 60000;
};

}  // namespace morvane
