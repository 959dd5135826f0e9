#include "BackgroundSync.h"

#include "SyncJournal.h"

#include <QCoreApplication>
#include <QMetaObject>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// The window's tables as the sync's thread sees them: every call runs on
// the thread that owns them, and the sync waits for it.
class HandedTables final : public SyncTables {
public:
    HandedTables(QObject *owner, SyncTables &tables, const std::atomic<bool> &cancel)
        : owner_(owner), tables_(tables), cancel_(cancel)
    {
    }
    std::vector<SyncTask> tasks(bool dated, bool todo, bool completed) override
    {
        std::vector<SyncTask> out;
        if (!cancel_.load())
            QMetaObject::invokeMethod(owner_, [&] { out = tables_.tasks(dated, todo, completed); },
                                      Qt::BlockingQueuedConnection);
        return out;
    }
    QString apply(const std::vector<Change> &changes) override
    {
        QString why = u"The sync was stopped."_s;
        if (!cancel_.load())
            QMetaObject::invokeMethod(owner_, [&] { why = tables_.apply(changes); }, Qt::BlockingQueuedConnection);
        return why;
    }

private:
    QObject *owner_;
    SyncTables &tables_;
    const std::atomic<bool> &cancel_;
};

}  // namespace

BackgroundSync::BackgroundSync(QString folder, SyncTables &tables, QObject *parent)
    : QObject(parent), folder_(std::move(folder)), tables_(tables)
{
    qRegisterMetaType<morvane::SyncResult>();
}

BackgroundSync::~BackgroundSync()
{
    if (!thread_)
        return;
    cancel_.store(true);
    // The thread may be waiting for a table call of this thread's.
    while (!thread_->wait(20))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    delete thread_;
}

void BackgroundSync::start(const SyncSettings &settings, const QString &password, const SyncMapping &mapping)
{
    if (thread_) {
        again_ = true;
        againSettings_ = settings;
        againPassword_ = password;
        againMapping_ = mapping;
        return;
    }
    writeEdits();
    cancel_.store(false);
    const QString folder = folder_;
    const int timeoutMs = timeoutMs_;
    thread_ = QThread::create([this, folder, settings, password, mapping, timeoutMs] {
        HandedTables tables(this, tables_, cancel_);
        const SyncResult r = SyncOnce(
            folder, settings, password, tables, mapping, [this](CalDavClient &c) { c.cancel = &cancel_; },
            timeoutMs);
        QMetaObject::invokeMethod(this, [this, r] { done(r); }, Qt::QueuedConnection);
    });
    emit started();
    thread_->start();
}

void BackgroundSync::done(const SyncResult &result)
{
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    writeEdits();
    emit finished(result);
    if (again_) {
        again_ = false;
        start(againSettings_, againPassword_, againMapping_);
    }
}

void BackgroundSync::recordEdits(std::vector<TaskEdit> edits)
{
    edits_.insert(edits_.end(), std::make_move_iterator(edits.begin()), std::make_move_iterator(edits.end()));
    if (!thread_)
        writeEdits();
}

void BackgroundSync::writeEdits()
{
    if (edits_.empty())
        return;
    SyncJournal journal;
    QString why;
    // No journal yet: nothing has been synced, and the first sync finds every task.
    if (journal.open(folder_, false, &why))
        (void)RecordTaskEdits(journal, edits_);
    edits_.clear();
}

}  // namespace morvane
