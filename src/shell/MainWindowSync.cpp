// Sync with a calendar server: the commands, the timers, the status bar,
// and the change feed from each command to the sync journal. The sync runs
// on its own thread (BackgroundSync); the tables are changed here, on the
// window's thread, between the window's events.

#include "MainWindow.h"

#include "BackgroundSync.h"
#include "CompletedTasksWindow.h"
#include "SyncFeed.h"
#include "SyncPassword.h"
#include "SyncTables.h"

#include <QAction>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace morvane {

struct SyncParts {
    FunctionSyncTables tables;
    BackgroundSync sync;
    QLabel *status = nullptr;
    std::optional<QString> password;  // found or asked for, for this run
    bool asked = false;               // asked once per run, when there is no keyring
    bool waiting = false;             // a sync waits for the command under way to end
    SyncParts(FunctionSyncTables t, const QString &folder) : tables(std::move(t)), sync(folder, tables) {}
};

namespace {

// A few seconds after a change, so that a run of edits goes out together.
constexpr int kSyncAfterChangeMs = 5000;

// What the tables answer a sync while a command is under way (a dialog of
// it open): the command's step is the difference between the tables before
// and after it, so the server's changes made meanwhile would count as the
// person's, be sent back as new items and be taken back by Undo. The sync
// stops there (its journal says what the tables are still to become) and
// runs again when the command ends.
constexpr const char16_t *kWaitsForCommand = u"The sync waits for the open window to close.";

// The change a table went through, when it was touched.
std::optional<TableChange> ChangeOf(bool touched, const Grid &before, const Grid &after, TableChange::Less less)
{
    std::optional<TableChange> c;
    if (touched)
        if (TableChange found = TableChange::between(before, after, less); !found.empty())
            c = std::move(found);
    return c;
}

}  // namespace

void TfrmMain::buildSync()
{
    FunctionSyncTables tables(
        [this](bool dated, bool todo, bool completed) {
            std::vector<SyncTask> out = TasksOf(store_.grid(), gridNonday_, 1, dated, todo);
            if (completed)
                for (SyncTask &t : CompletedTasksOf(frmComplete()->table(), 1))
                    out.push_back(std::move(t));
            return out;
        },
        [this](const std::vector<SyncTables::Change> &changes) {
            if (recording_) {
                sync_->waiting = true;
                return QString::fromUtf16(kWaitsForCommand);
            }
            QString why;
            guard([&] {
                commitNotes();
                // The completed log is its window's: changed on a copy, put back whole.
                const bool reachesLog = ReachesCompletedLog(changes);
                if (reachesLog && frmComplete()->loadedDamaged()) {
                    why = u"The completed tasks file could not be read whole: it is not changed by a sync."_s;
                    return;
                }
                std::optional<Grid> log;
                if (reachesLog)
                    log = frmComplete()->table();
                const bool carry = history_.stack().count() > 0;
                std::optional<std::pair<Grid, Grid>> before;
                if (carry)
                    before.emplace(store_.grid(), gridNonday_);
                TablesTouched t;
                std::optional<TableChange> logChange;
                FileResult saved = FileResult::success();
                try {
                    t = ApplySyncChanges(store_, gridNonday_, log ? &*log : nullptr, changes);
                    if (t.store)
                        saved = saveStore(true);  // which puts the new rows in their places
                    if (t.todo && saved)
                        saved = saveTodo();
                    if (carry && t.completed)
                        logChange = ChangeOf(true, frmComplete()->table(), *log, nullptr);
                    if (t.completed && saved)
                        saved = frmComplete()->putBack(std::move(*log));
                } catch (...) {
                    history_.clear();  // the tables may be half changed
                    throw;
                }
                // The server's changes are no command of this computer's:
                // they are not a step of Undo, and the steps there are
                // carried over them (as the store keeps them, in order), so
                // that Undo still takes back just what the person did here.
                if (carry)
                    history_.carryOver(ChangeOf(t.store, before->first, store_.grid(), StoreRowLess),
                                       ChangeOf(t.todo, before->second, gridNonday_, nullptr), logChange,
                                       StoreRowLess);
                reloadTables();
                if (!saved)
                    why = saved.message;
            });
            return why;
        });
    sync_ = std::make_shared<SyncParts>(std::move(tables), sv_.folder);
    connect(&sync_->sync, &BackgroundSync::finished, this,
            [this](const SyncResult &r) { guard([&] { syncFinished(r); }); });
    sync_->status = new QLabel(this);
    sync_->status->setObjectName(u"SyncStatus"_s);
    statusBar()->addPermanentWidget(sync_->status);

    QMenu *file = fileMenu();
    QAction *sync = insertCommand(file, file->findChild<QAction *>(u"Exit1"_s), u"SyncNow1"_s, u"S&ync now"_s,
                                  &TfrmMain::SyncNow1Click);
    file->insertSeparator(file->findChild<QAction *>(u"Exit1"_s));
    QAction *button = ToolBar1_->addAction(u"Sync now"_s);
    button->setObjectName(u"btSyncNow"_s);
    connect(button, &QAction::triggered, sync, &QAction::trigger);

    const SyncSettings s = SyncSettings::read(sv_.settings);
    // The button shows once a server is set: until then the toolbar (and the
    // window's least width, which leaves room for it) is as it always was.
    showSyncButton(s.configured());
    tmSync_ = pool_.add(7, s.minutes * 60000, [this] { guard([this] { startSync(false); }); }, s.configured());
    // The first sync, a few seconds after the start, keeps the start quick.
    tmSyncSoon_ = pool_.add(8, kSyncAfterChangeMs, [this] {
        pool_.setEnabled(tmSyncSoon_, false);
        guard([this] { startSync(false); });
    }, s.configured());
}

void TfrmMain::SyncNow1Click() { startSync(true); }

bool TfrmMain::syncRunning() const { return sync_ && sync_->sync.running(); }

QString TfrmMain::syncStatus() const { return sync_ ? sync_->status->text() : QString(); }

void TfrmMain::setSyncTimeoutMs(int ms)
{
    if (sync_)
        sync_->sync.setTimeoutMs(ms);
}

void TfrmMain::startSync(bool askedFor)
{
    if (!sync_)
        return;
    if (recording_) {
        sync_->waiting = true;
        return;
    }
    const SyncSettings s = SyncSettings::read(sv_.settings);
    pool_.setEnabled(tmSync_, s.configured());
    if (!s.configured()) {
        if (askedFor)
            sv_.prompts.InfoBox(u"No sync server is set: enter one in Options, on the Sync page."_s);
        return;
    }
    // Tables that did not load whole are not synced: the server would be
    // told that the tasks missing from them were removed.
    if (store_.saveBlocked() || todoDamaged_ ||
        (s.completedLog && !s.todoCalendar.isEmpty() && frmComplete()->loadedDamaged())) {
        sync_->status->setText(u"Sync is off while a task file is damaged"_s);
        return;
    }
    if (!sync_->password) {
        const PasswordLookup found = LookUpSyncPassword(s);
        if (found.found) {
            sync_->password = found.password;
        } else if (!sync_->asked && s.passwordCommand.trimmed().isEmpty()) {
            // No keyring: asked once while the program runs, and kept in memory only.
            sync_->asked = true;
            const std::optional<QString> typed = sv_.prompts.InputText(
                u"Sync"_s,
                found.why + u"\nThe password of %1 for the calendar server (asked once while Morvane runs):"_s.arg(
                                s.user),
                QString());
            if (typed && !typed->isEmpty())
                sync_->password = *typed;
        }
        if (!sync_->password) {
            sync_->status->setText(u"Sync failed: "_s + found.why);
            return;
        }
    }
    SyncMapping m;
    m.formats = fs_;
    m.alarmLeadMinutes = options_.alarmMin;
    m.today = sv_.clock.today();
    m.stamp = sv_.clock.now();
    sync_->status->setText(u"Syncing…"_s);
    sync_->sync.start(s, *sync_->password, m);
}

void TfrmMain::commandEnded()
{
    if (!sync_ || !sync_->waiting)
        return;
    sync_->waiting = false;
    pool_.setEnabled(tmSyncSoon_, true);
}

void TfrmMain::syncFinished(const SyncResult &r)
{
    if (!r.ok && r.error == QStringView(kWaitsForCommand))
        return;  // it runs again when the command ends
    sync_->status->setText(SyncStatusText(r, sv_.clock.now().time()));
    if (!r.ok && r.error == u"The server refused the user name or password."_s)
        sync_->password.reset();  // asked again next time, or looked up again
    if (r.conflicts > 0)
        sv_.prompts.InfoBox(
            u"%1 on this computer and on the server since the last sync. The server's version was kept, and this "
            "computer's as a second task marked \"Conflict copy\" in its notes."_s
                .arg(r.conflicts == 1 ? u"A task was changed"_s : u"%1 tasks were changed"_s.arg(r.conflicts)));
}

// OK in the options: the interval may have changed, a password typed there
// is the one to use, and a new server or calendar is synced soon.
void TfrmMain::showSyncButton(bool shown)
{
    QAction *button = findChild<QAction *>(u"btSyncNow"_s);
    if (!button)
        return;
    // The style's picture comes from the desktop's icon theme, whose look-up
    // costs a start that has no server set some milliseconds: it is fetched
    // when the button first shows.
    if (shown && button->icon().isNull())
        button->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    button->setVisible(shown);
}

void TfrmMain::syncOptionsChanged(const QString &typedPassword)
{
    if (!sync_)
        return;
    const SyncSettings s = SyncSettings::read(sv_.settings);
    if (!typedPassword.isEmpty())
        sync_->password = typedPassword;
    else if (!sync_->asked)
        sync_->password.reset();
    showSyncButton(s.configured());
    pool_.setInterval(tmSync_, s.minutes * 60000);
    pool_.setEnabled(tmSync_, s.configured());
    pool_.setEnabled(tmSyncSoon_, s.configured());
}

void TfrmMain::feedSync(const TablesChange &c, bool forward)
{
    if (!sync_ || (!c.store && !c.todo && !c.completed))
        return;
    std::vector<SyncTask> out, in;
    auto add = [&](const std::optional<TableChange> &t, auto tasksOfRows) {
        if (!t)
            return;
        std::vector<SyncTask> taken = tasksOfRows(t->rowsOut()), put = tasksOfRows(t->rowsIn());
        if (!forward)
            std::swap(taken, put);
        out.insert(out.end(), taken.begin(), taken.end());
        in.insert(in.end(), put.begin(), put.end());
    };
    add(c.store, DatedTasksOfRows);
    add(c.todo, TodoTasksOfRows);
    add(c.completed, CompletedTasksOfRows);
    std::vector<TaskEdit> edits = TaskEditsBetween(std::move(out), std::move(in));
    if (edits.empty())
        return;
    sync_->sync.recordEdits(std::move(edits));
    if (SyncSettings::read(sv_.settings).configured())
        pool_.setEnabled(tmSyncSoon_, true);
}

QByteArray TfrmMain::answerSyncRequest()
{
    if (!SyncSettings::read(sv_.settings).configured())
        return "error: no sync server is set: enter one in Options, on the Sync page";
    if (recording_) {
        // Asked from a terminal while a window of a command is open here.
        sync_->waiting = true;
        return "error: " + QString::fromUtf16(kWaitsForCommand).toUtf8();
    }
    std::optional<SyncResult> result;
    QEventLoop wait;
    const QMetaObject::Connection c = connect(&sync_->sync, &BackgroundSync::finished, &wait,
                                              [&](const SyncResult &r) {
                                                  result = r;
                                                  wait.quit();
                                              });
    startSync(false);
    if (sync_->sync.running())
        wait.exec();
    disconnect(c);
    if (!result)
        return "error: " + syncStatus().toUtf8();
    return result->ok ? "ok " + SyncDoneText(*result).toUtf8() : "error: " + result->error.toUtf8();
}

}  // namespace morvane
