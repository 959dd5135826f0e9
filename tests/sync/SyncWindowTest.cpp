// Sync in the program's window: File > Sync now and the toolbar button, the
// first sync after the start and the one a few seconds after a change (the
// timers driven by hand), the status bar, the password asked once when no
// keyring runs, and `morvane --sync` handed to the running copy.

#include "CommandLine.h"
#include "CompletedTasksWindow.h"
#include "TaskEditor.h"
#include "MainWindowFixture.h"
#include "OptionsDialog.h"
#include "SyncOptionsPage.h"
#include "SyncFixtures.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

class SyncWindowTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite()
    {
        server_ = new RadicaleServer;
        ASSERT_TRUE(server_->start());
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }

    QString calendarWithSettings(const QString &name, const QString &passwordCommand)
    {
        const QString path = u"/ann/"_s + name + u'/';
        Phone(*server_).run({u"mkcal"_s, path});
        SyncSettings s;
        s.url = server_->url();
        s.user = server_->user;
        s.passwordCommand = passwordCommand;
        s.calendar = server_->url() + path;
        s.todoCalendar = s.calendar;
        s.write(settings);
        return path;
    }
    void writeTasks()
    {
        TaskStore store(filter_, data.file(u"grid.grd"_s));
        store.gridForTests() = NewStoreGrid();
        store.insertTask(DayNumber(QDate(2026, 12, 9)), StoredTask{u"9:00 AM"_s, u"Work"_s, u"Dentist"_s});
        ASSERT_TRUE(store.SortGridStore());
        writeBytes(data.file(u"gridNon.grd"_s), "3,2\r\n0,1,Home\r\n1,1,Buy stamps\r\n2,1,No\r\n");
    }
    // Runs what the timers would run once they are due, and waits for the
    // sync's thread to say it is done.
    static void runDueSync(TfrmMain &w)
    {
        w.timerPool().dispatch(w.timerPool().now() + 10000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.syncRunning(); }, 120000));
    }

    // The window made and shown, and its first sync run.
    std::unique_ptr<TfrmMain> syncedMain()
    {
        auto w = makeMain();
        w->show();
        runDueSync(*w);
        return w;
    }

    static RadicaleServer *server_;
    TaskFilter filter_;
};

RadicaleServer *SyncWindowTest::server_ = nullptr;

TEST_F(SyncWindowTest, TheWindowSyncsAtStartAfterEachChangeAndOnSyncNow)
{
    const QString cal = calendarWithSettings(u"window"_s, u"echo secret"_s);
    writeTasks();
    auto w = makeMain();
    w->show();
    Phone phone(*server_);

    // Shown only with its command: File > Sync now and the toolbar button.
    QAction *syncNow = w->menuBar()->findChild<QAction *>(u"SyncNow1"_s);
    ASSERT_TRUE(syncNow);
    EXPECT_EQ(syncNow->text(), u"S&ync now"_s);
    ASSERT_TRUE(w->findChild<QAction *>(u"btSyncNow"_s));
    EXPECT_TRUE(w->findChild<QAction *>(u"btSyncNow"_s)->isVisible());

    // The first sync runs a few seconds after the start.
    EXPECT_TRUE(w->timerPool().enabled(w->syncSoonTrigger()));
    EXPECT_TRUE(w->timerPool().enabled(w->syncTrigger()));
    EXPECT_EQ(w->timerPool().interval(w->syncTrigger()), 15 * 60000);
    runDueSync(*w);
    EXPECT_EQ(w->syncStatus(), u"Synced 10:30"_s);
    EXPECT_EQ(phone.summaries(cal), (QStringList{u"Buy stamps"_s, u"Dentist"_s}));
    EXPECT_FALSE(w->timerPool().enabled(w->syncSoonTrigger()));

    // A task added arms the sync a few seconds later; taking it back again.
    OutsideTask lunch;
    lunch.date = QDate(2026, 12, 9);
    lunch.time = QTime(13, 0);
    lunch.category = u"Work"_s;
    lunch.notes = u"Lunch"_s;
    ASSERT_EQ(w->addOutsideTask(lunch), QString());
    EXPECT_TRUE(w->timerPool().enabled(w->syncSoonTrigger()));
    runDueSync(*w);
    EXPECT_EQ(phone.summaries(cal), (QStringList{u"Buy stamps"_s, u"Dentist"_s, u"Lunch"_s}));

    // Undo of the add removes it there too.
    w->Undo1Click();
    runDueSync(*w);
    EXPECT_EQ(phone.summaries(cal), (QStringList{u"Buy stamps"_s, u"Dentist"_s}));

    // Changed on the phone: File > Sync now brings it here.
    for (const QJsonValue &v : phone.list(cal))
        if (v[u"summary"_s].toString() == u"Dentist")
            phone.run({u"edit"_s, cal, v[u"uid"_s].toString(), u"Dentist at ten"_s});
    syncNow->trigger();
    EXPECT_EQ(w->syncStatus(), u"Syncing…"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->syncRunning(); }, 120000));
    EXPECT_EQ(w->syncStatus(), u"Synced 10:30"_s);
    EXPECT_TRUE(w->store().grid().cell(kStoreNotes, 1) == u"Dentist at ten"_s)
        << w->store().grid().cell(kStoreNotes, 1).toStdString();
    EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
}

// What the server brings is no step of Undo: the person's own steps are
// carried over it, so that Undo takes back just what was done here, and a
// step whose task the server changed too goes, with the older ones, quietly.
TEST_F(SyncWindowTest, UndoAfterASyncTakesBackWhatWasDoneHereAndKeepsWhatCameIn)
{
    const QString cal = calendarWithSettings(u"undo"_s, u"echo secret"_s);
    writeTasks();
    auto w = syncedMain();
    Phone phone(*server_);
    auto uidOf = [&](const QString &summary) { return phone.uidOf(cal, summary); };
    auto undoItem = [&] { return w->findChild<QAction *>(u"Undo1"_s); };
    auto redoItem = [&] { return w->findChild<QAction *>(u"Redo1"_s); };
    auto key = [&](int key) {
        QApplication::setActiveWindow(w.get());
        w->dayView()->setFocus();
        QTest::keyClick(w.get(), Qt::Key(key), Qt::ControlModifier);
    };
    auto notesOf = [&](const Grid &g, int col) {
        QStringList out;
        for (int r = 1; r < g.rowCount(); ++r)
            if (!g.cellEmpty(col, r))
                out << g.cell(col, r);
        return out;
    };

    // Here: a task and a to-do task added. On the phone meanwhile: the
    // dentist moved and a task added.
    ASSERT_EQ(w->addOutsideTask({true, QDate(2026, 12, 9), QTime(13, 0), u"Work"_s, u"Lunch"_s}), QString());
    ASSERT_EQ(w->addOutsideTask({false, {}, {}, u"Home"_s, u"Call Ann"_s}), QString());
    phone.run({u"move"_s, cal, uidOf(u"Dentist"_s), u"20261211T100000"_s});
    phone.run({u"add"_s, cal, u"p-gym"_s, u"Gym"_s, u"20261210T180000"_s, u"Home"_s});
    runDueSync(*w);
    ASSERT_EQ(notesOf(w->store().grid(), kStoreNotes), (QStringList{u"Lunch"_s, u"Gym"_s, u"Dentist"_s}));
    const QByteArray synced = readBytes(data.file(u"grid.grd"_s)), syncedTodo = readBytes(data.file(u"gridNon.grd"_s));

    // Both steps are still there and take back only what was done here.
    EXPECT_EQ(undoItem()->text().remove(u'&'), u"Undo Add to-do task"_s);
    key(Qt::Key_Z);
    EXPECT_EQ(undoItem()->text().remove(u'&'), u"Undo Add task"_s);
    key(Qt::Key_Z);
    EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
    EXPECT_EQ(notesOf(w->store().grid(), kStoreNotes), (QStringList{u"Gym"_s, u"Dentist"_s}));
    EXPECT_EQ(KeyDay(w->store().grid().cellUtf8(kStoreKey, 2)), DayNumber(QDate(2026, 12, 11)));
    EXPECT_EQ(notesOf(w->gridNonday(), kTodoNotes), QStringList{u"Buy stamps"_s});
    const QByteArray undone = readBytes(data.file(u"grid.grd"_s));
    // And again, by Redo, byte for byte.
    key(Qt::Key_Y);
    key(Qt::Key_Y);
    EXPECT_FALSE(redoItem()->isEnabled());
    EXPECT_EQ(readBytes(data.file(u"grid.grd"_s)), synced);
    EXPECT_EQ(readBytes(data.file(u"gridNon.grd"_s)), syncedTodo);

    // Undone, then a sync that brings another change from the phone: the
    // steps to redo are carried over it as well.
    key(Qt::Key_Z);
    key(Qt::Key_Z);
    EXPECT_EQ(readBytes(data.file(u"grid.grd"_s)), undone);
    phone.run({u"edit"_s, cal, u"p-gym"_s, u"Gym with Ann"_s});
    runDueSync(*w);
    EXPECT_EQ(phone.summaries(cal), (QStringList{u"Buy stamps"_s, u"Dentist"_s, u"Gym with Ann"_s}));
    key(Qt::Key_Y);
    EXPECT_EQ(notesOf(w->store().grid(), kStoreNotes), (QStringList{u"Lunch"_s, u"Gym with Ann"_s, u"Dentist"_s}));
    runDueSync(*w);
    EXPECT_EQ(phone.summaries(cal), (QStringList{u"Buy stamps"_s, u"Dentist"_s, u"Gym with Ann"_s, u"Lunch"_s}));

    // The phone changes the task a step here added: that step cannot be
    // taken back without taking back the phone's change, so it goes, with
    // the older one, and nothing is said. The step to redo stays.
    phone.run({u"edit"_s, cal, uidOf(u"Lunch"_s), u"Lunch with Ann"_s});
    w->SyncNow1Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->syncRunning(); }, 120000));
    EXPECT_EQ(notesOf(w->store().grid(), kStoreNotes),
              (QStringList{u"Lunch with Ann"_s, u"Gym with Ann"_s, u"Dentist"_s}));
    EXPECT_FALSE(undoItem()->isEnabled());
    EXPECT_EQ(redoItem()->text().remove(u'&'), u"Redo Add to-do task"_s);
    key(Qt::Key_Y);
    EXPECT_EQ(notesOf(w->gridNonday(), kTodoNotes), (QStringList{u"Buy stamps"_s, u"Call Ann"_s}));
    EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
}

// A command's step is what the tables became while it ran: a sync that
// brought the phone's changes while a dialog of the command was open would
// have them counted as the person's: sent back as new items and taken back
// by Undo. It waits for the command instead, and runs when it ends.
TEST_F(SyncWindowTest, ASyncMeetingACommandUnderWayWaitsForItSoItsStepHoldsOnlyWhatThePersonDid)
{
    const QString cal = calendarWithSettings(u"waits"_s, u"echo secret"_s);
    writeTasks();
    auto w = syncedMain();
    Phone phone(*server_);
    phone.run({u"add"_s, cal, u"p-gym"_s, u"Gym"_s, u"20261210T180000"_s, u"Home"_s});

    // The sync started before the window opened reaches the tables while it is open.
    QString statusWhileOpen;
    runner.responders.append([&](QDialog &) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w->syncRunning(); }, 120000));
        QCoreApplication::processEvents();
        statusWhileOpen = w->syncStatus();
        return int(QDialog::Accepted);
    });
    w->SyncNow1Click();
    w->findChild<QAction *>(u"ViewCompletedTasks1"_s)->trigger();
    EXPECT_EQ(statusWhileOpen, u"Syncing…"_s);
    EXPECT_EQ(w->store().grid().rowCount(), 2);  // the dentist alone
    // A sync due while a command is under way waits for it too.
    runner.responders.append([&](QDialog &) {
        w->timerPool().dispatch(w->timerPool().now() + 10000);
        EXPECT_FALSE(w->syncRunning());
        // So does one asked for from a terminal, which is told so.
        EXPECT_EQ(w->answerRequest("sync"), "error: The sync waits for the open window to close.");
        return int(QDialog::Accepted);
    });
    w->findChild<QAction *>(u"ViewCompletedTasks1"_s)->trigger();

    // Once the window has closed, the sync runs and brings the task once.
    EXPECT_TRUE(w->timerPool().enabled(w->syncSoonTrigger()));
    runDueSync(*w);
    EXPECT_EQ(w->syncStatus(), u"Synced 10:30"_s);
    EXPECT_EQ(w->store().grid().rowCount(), 3);
    runDueSync(*w);
    w->SyncNow1Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->syncRunning(); }, 120000));
    EXPECT_EQ(phone.summaries(cal), (QStringList{u"Buy stamps"_s, u"Dentist"_s, u"Gym"_s}));
    EXPECT_EQ(w->store().grid().rowCount(), 3);
    // Nothing done here: nothing to undo.
    EXPECT_FALSE(w->findChild<QAction *>(u"Undo1"_s)->isEnabled());
    EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
}

TEST_F(SyncWindowTest, WithoutAKeyringThePasswordIsAskedOncePerRunAndAWrongOneIsSaidPlainly)
{
    calendarWithSettings(u"asked"_s, QString());
    writeTasks();
    auto w = makeMain();
    w->show();
    prompts.texts << u"wrong"_s;
    runDueSync(*w);
    auto dialogs = [&] {
        QStringList out;
        for (const ScriptedPrompts::Shown &s : prompts.shown)
            if (s.kind == ScriptedPrompts::Kind::Dialog)
                out << s.text;
        return out;
    };
    ASSERT_EQ(dialogs().size(), 1);
    EXPECT_TRUE(dialogs()[0].startsWith(u"Sync|No keyring is running"_s)) << dialogs()[0].toStdString();
    EXPECT_EQ(w->syncStatus(), u"Sync failed: The server refused the user name or password."_s);

    // Asked once per run: the next sync says why instead of asking again.
    w->SyncNow1Click();
    EXPECT_EQ(dialogs().size(), 1);
    EXPECT_TRUE(w->syncStatus().startsWith(u"Sync failed: No keyring is running"_s)) << w->syncStatus().toStdString();
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// Options > Sync: Test connection finds the calendars from the bare server
// address, or says in plain words why not; OK keeps the choice.
TEST_F(SyncWindowTest, TheSyncPageFindsTheCalendarsOrSaysWhyNot)
{
    Phone(*server_).run({u"mkcal"_s, u"/ann/page test@home/"_s});
    writeTasks();
    auto w = makeMain();
    // No server set yet: no sync button on the toolbar.
    EXPECT_FALSE(w->findChild<QAction *>(u"btSyncNow"_s)->isVisible());
    TfrmOptions &o = *w->frmOptions();
    SyncOptionsPage &page = *o.syncPage;
    o.show();
    o.pages->setCurrentWidget(&page);
    auto type = [](QLineEdit *e, const QString &text) {
        e->clear();
        QTest::keyClicks(e, text);
    };
    auto test = [&] {
        QTest::mouseClick(page.btSyncTest, Qt::LeftButton);
        return page.lblSyncResult->text();
    };

    type(page.edSyncUrl, server_->url());
    type(page.edSyncUser, u"ann"_s);
    type(page.edSyncPassword, u"wrong"_s);
    EXPECT_EQ(test(), u"The server refused the user name or password."_s);
    type(page.edSyncPassword, u"secret"_s);
    EXPECT_TRUE(test().startsWith(u"Connected. Found "_s)) << page.lblSyncResult->text().toStdString();
    const int at = page.cbSyncCalendar->findText(u"page test@home"_s);
    ASSERT_GE(at, 0);
    page.cbSyncCalendar->setCurrentIndex(at);
    // The completed log can go only where the to-do tasks go.
    EXPECT_FALSE(page.chkSyncCompleted->isEnabled());
    page.cbSyncTodo->setCurrentIndex(page.cbSyncTodo->findText(u"page test@home"_s));
    ASSERT_TRUE(page.chkSyncCompleted->isEnabled());
    page.chkSyncCompleted->setFocus();
    QTest::keyClick(page.chkSyncCompleted, Qt::Key_Space);
    EXPECT_TRUE(page.chkSyncCompleted->isChecked());

    type(page.edSyncUrl, u"http://127.0.0.1:1"_s);
    EXPECT_EQ(test(), u"No server answers at 127.0.0.1:1 (the connection was refused)."_s);
    StandIn notCalDav(404);
    type(page.edSyncUrl, notCalDav.url());
    EXPECT_EQ(test(), u"127.0.0.1 is not a CalDAV server (it names no calendars)."_s);

    type(page.edSyncUrl, server_->url());
    QTest::mouseClick(o.btOK, Qt::LeftButton);
    const SyncSettings s = SyncSettings::read(settings);
    EXPECT_EQ(s.url, server_->url());
    EXPECT_EQ(s.user, u"ann"_s);
    EXPECT_EQ(s.calendar, server_->url() + u"/ann/page%20test@home/"_s);
    EXPECT_EQ(s.todoCalendar, s.calendar);
    EXPECT_TRUE(s.completedLog);
    EXPECT_EQ(settings.readText("Sync", "CompletedLog", ""), u"1"_s);
    EXPECT_EQ(s.minutes, 15);
    // The password is never written to the settings file.
    EXPECT_FALSE(readBytes(settings.fileName()).contains("secret"));
    EXPECT_TRUE(w->timerPool().enabled(w->syncTrigger()));
    EXPECT_TRUE(w->findChild<QAction *>(u"btSyncNow"_s)->isVisible());
}

// With the completed log synced: a to-do task completed here reaches the
// phone as an entry of the log, and Undo takes it away there too, after an
// entry the phone changed has changed in the log here.
TEST_F(SyncWindowTest, WithTheLogSyncedACompletionHereReachesThePhoneAndUndoStillWorks)
{
    const QString cal = calendarWithSettings(u"log"_s, u"echo secret"_s);
    SyncSettings s = SyncSettings::read(settings);
    s.completedLog = true;
    s.write(settings);
    writeTasks();
    writeBytes(data.file(u"gridComp.grd"_s),
               "6,2\r\n0,1,12/1/2026\r\n1,1,7:00 AM\r\n2,1,Home\r\n3,1,Tue 12/1/26\r\n4,1,Walk\r\n");
    auto w = syncedMain();
    Phone phone(*server_);
    auto logItems = [&] {
        QStringList out;
        for (const QJsonValue &v : phone.list(cal))
            if (v[u"raw"_s].toString().contains(u"X-MORVANE-LIST:COMPLETED-LOG"_s))
                out << v[u"summary"_s].toString() + u' ' + v[u"status"_s].toString();
        out.sort();
        return out;
    };
    EXPECT_EQ(logItems(), QStringList{u"Walk COMPLETED"_s});

    // "Buy stamps" completed through the editor.
    w->todoView()->setCurrentIndex(w->todoView()->model()->index(0, 0));
    answerEditor(QString(), [](TfrmEdit &ed) { ed.btOK2->click(); });
    w->Markascompleted1Click(TfrmMain::Sender::tbDone2);
    ASSERT_EQ(w->frmComplete()->table().cell(kCompNotes, 1), u"Buy stamps"_s);
    runDueSync(*w);
    EXPECT_EQ(logItems(), (QStringList{u"Buy stamps COMPLETED"_s, u"Walk COMPLETED"_s}));

    // The phone changes the older entry: the log here follows, and Undo
    // still takes back just the completion.
    phone.run({u"edit"_s, cal, phone.uidOf(cal, u"Walk"_s), u"Long walk"_s});
    w->SyncNow1Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->syncRunning(); }, 120000));
    EXPECT_EQ(w->frmComplete()->table().cell(kCompNotes, 1), u"Buy stamps"_s);
    EXPECT_EQ(w->frmComplete()->table().cell(kCompNotes, 2), u"Long walk"_s);
    QAction *undo = w->findChild<QAction *>(u"Undo1"_s);
    ASSERT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text().remove(u'&'), u"Undo Mark as completed"_s);
    QApplication::setActiveWindow(w.get());
    w->dayView()->setFocus();
    QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
    EXPECT_EQ(w->frmComplete()->table().cell(kCompNotes, 1), u"Long walk"_s);
    EXPECT_EQ(w->frmComplete()->table().rowCount(), 2);
    EXPECT_EQ(w->gridNonday().cell(kTodoDone, 1), u"No"_s);
    runDueSync(*w);
    EXPECT_EQ(logItems(), QStringList{u"Long walk COMPLETED"_s});
    EXPECT_EQ(phone.summaries(cal), (QStringList{u"Buy stamps"_s, u"Dentist"_s, u"Long walk"_s}));
}

}  // namespace
}  // namespace morvane
