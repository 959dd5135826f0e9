// Edit > Undo and Redo through the main window: every command that changes
// the task tables is taken back and made again by the keys, and the files
// follow byte for byte.

#include "Archive.h"
#include "CommandLine.h"
#include "CompletedTasksWindow.h"
#include "HolidayImportDialog.h"
#include "HolidaysWindow.h"
#include "IcsImportDialog.h"
#include "MainWindowFixture.h"
#include "MonthCalendar.h"
#include "PrintRangeDialog.h"
#include "RescheduleDialog.h"
#include "TaskEditor.h"
#include "TestFiles.h"
#include "TestStores.h"
#include "UndoHistory.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

QByteArray store() { return StoreWithRepeats(); }

const QByteArray kTodo = "3,3\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n0,1,Home\r\n1,1,Buy stamps\r\n2,1,No\r\n"
                         "1,2,Call Ann\r\n2,2,Yes\r\n";
const QByteArray kCompleted = "6,2\r\n0,0,Comp Date\r\n1,0,Time\r\n2,0,Category\r\n3,0,Orig Date\r\n4,0,What\r\n"
                              "5,0,Comp Notes\r\n0,1,12/1/2026\r\n1,1,9:00 AM\r\n2,1,Work\r\n3,1,Tue 12/1/2026\r\n"
                              "4,1,Send the report\r\n";
const QByteArray kHolidays = "4,3\r\n0,1,Christmas\r\n1,1,12\r\n2,1,December\r\n3,1,25\r\n"
                             "0,2,Party\r\n1,2,12\r\n2,2,December\r\n3,2,20011231\r\n";

const QByteArray kMeetings = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Hand written//EN\r\n"
                             "BEGIN:VEVENT\r\nUID:standup-1@example.org\r\nDTSTAMP:20261201T090000Z\r\n"
                             "DTSTART:20261214T093000\r\nDTEND:20261214T100000\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
                             "SUMMARY:Stand-up\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

// The task files as they are on disk.
struct Files {
    QByteArray store, todo, completed, holidays;
    bool operator==(const Files &) const = default;
};

void PrintTo(const Files &f, std::ostream *os)
{
    *os << f.store.toStdString() << "\n--\n" << f.todo.toStdString() << "\n--\n" << f.completed.toStdString()
        << "\n--\n" << f.holidays.toStdString();
}

class UndoTest : public MainWindowFixture {
protected:
    std::unique_ptr<TfrmMain> w;
    TempFolder archives;
    Files start;

    static QByteArray normal(const QByteArray &bytes)
    {
        Grid g;
        EXPECT_TRUE(LoadGridBytes(g, bytes, u"table"_s));
        return GridFileBytes(g);
    }

    void SetUp() override
    {
        // As the program writes them, so that a state saved again is the
        // same bytes.
        writeBytes(data.file("grid.grd"), store());
        writeBytes(data.file("gridNon.grd"), normal(kTodo));
        writeBytes(data.file("gridComp.grd"), normal(kCompleted));
        writeBytes(data.file("holiday.grd"), normal(kHolidays));
        start = files();
        settings.writeText("Options", "Confirm", "0");
        settings.sync();
        w = makeMain();
        ASSERT_TRUE(w->created());
        w->show();
        QApplication::setActiveWindow(w.get());
        w->dayView()->setFocus();
    }
    Files files() const
    {
        return {readBytes(data.file("grid.grd")), readBytes(data.file("gridNon.grd")),
                readBytes(data.file("gridComp.grd")), readBytes(data.file("holiday.grd"))};
    }
    QString itemText(const char *name) const { return w->findChild<QAction *>(name)->text().remove(u'&'); }
    bool itemEnabled(const char *name) const { return w->findChild<QAction *>(name)->isEnabled(); }
    void press(Qt::Key key, Qt::KeyboardModifiers mods)
    {
        QApplication::setActiveWindow(w.get());
        w->dayView()->setFocus();
        QTest::keyClick(w.get(), key, mods);
    }
    void undo() { press(Qt::Key_Z, Qt::ControlModifier); }
    void redo() { press(Qt::Key_Y, Qt::ControlModifier); }
    void redoShifted() { press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

    // Runs a command, then takes it back and makes it again by the keys:
    // the files are as before, then as after, each time.
    void undoAndRedo(const QString &name, const std::function<void()> &command)
    {
        SCOPED_TRACE(name.toStdString());
        const Files before = files();
        command();
        const Files after = files();
        ASSERT_NE(after, before);
        EXPECT_EQ(itemText("Undo1"), u"Undo "_s + name);
        undo();
        EXPECT_EQ(files(), before);
        EXPECT_EQ(itemText("Redo1"), u"Redo "_s + name);
        redo();
        EXPECT_EQ(files(), after);
        undo();
        EXPECT_EQ(files(), before);
        redoShifted();
        EXPECT_EQ(files(), after);
        EXPECT_FALSE(itemEnabled("Redo1"));
        EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
    }

    void selectDay(const QDate &d) { w->calendar(w->currentCalendar())->setDate(d); }
    void selectTask(const QString &notes)
    {
        for (int r = 1; r < w->gridDay().rowCount(); ++r)
            if (w->gridDay().cell(kDayNotes, r) == notes)
                return w->selectDayRow(r);
        ADD_FAILURE() << "no task " << notes.toStdString();
    }
    QStringList dayNotes() const
    {
        QStringList out;
        for (int r = 1; r < w->gridDay().rowCount(); ++r)
            out << w->gridDay().cell(kDayNotes, r);
        return out;
    }
};

}  // namespace

TEST_F(UndoTest, EveryCommandThatChangesTheTablesIsUndoneAndRedoneByteForByte)
{
    EXPECT_EQ(itemText("Undo1"), "Undo");
    EXPECT_FALSE(itemEnabled("Undo1"));
    EXPECT_FALSE(itemEnabled("Redo1"));

    undoAndRedo(u"Add task"_s, [&] {
        answerEditor(u"Dentist"_s, [](TfrmEdit &ed) { ed.btOK->click(); });
        w->btAddClick(TfrmMain::Sender::tbAdd1);
    });
    undoAndRedo(u"Add to-do task"_s, [&] {
        answerEditor(u"Post the parcel"_s, [](TfrmEdit &ed) { ed.btOK->click(); });
        w->btAddClick(TfrmMain::Sender::tbAdd2);
    });
    undoAndRedo(u"Edit task"_s, [&] {
        selectTask(u"Dentist"_s);
        answerEditor(u" at noon"_s, [](TfrmEdit &ed) { ed.btOK->click(); });
        w->btEditClick(TfrmMain::Sender::tbEdit1);
    });
    undoAndRedo(u"Mark as completed"_s, [&] {
        selectTask(u"Call the bank"_s);
        answerEditor({}, [](TfrmEdit &ed) {
            QTest::keyClicks(ed.memComplete, "Form sent");
            ed.btOK2->click();
        });
        w->Markascompleted1Click(TfrmMain::Sender::tbDone1);
    });
    undoAndRedo(u"Change completed tasks"_s, [&] {
        runner.responders.append([this](QDialog &d) {
            auto &win = dynamic_cast<TfrmComplete &>(d);
            win.show();
            win.setCurrentRow(1);
            win.Delete1Click();
            win.done(QDialog::Accepted);
            return win.result();
        });
        w->ViewCompletedTasks1Click();
    });

    undoAndRedo(u"Delete task"_s, [&] {
        selectTask(u"Water plants"_s);
        prompts.answers = {0};  // and its repeats on the 16th and 23rd
        w->btDelClick(TfrmMain::Sender::tbDel1);
    });
    undoAndRedo(u"Add task"_s, [&] {  // repeated every year for ten years
        answerEditor(u"Choir"_s, [](TfrmEdit &ed) { ed.Repeatannually1->trigger(); });
        w->btAddClick(TfrmMain::Sender::tbAdd1);
    });
    undoAndRedo(u"Move to 12 March"_s, [&] {  // rescheduled in the editor
        selectTask(u"Dentist at noon"_s);
        answerEditor({}, [this](TfrmEdit &ed) {
            runner.responders.append([](QDialog &d) {
                dynamic_cast<TfrmReschedule &>(d).setDate(QDate(2027, 3, 12));
                return int(QDialog::Accepted);
            });
            ed.btReschedule->click();
        });
        w->btEditClick(TfrmMain::Sender::tbEdit1);
    });
    undoAndRedo(u"Toggle alarm"_s, [&] {
        selectDay(QDate(2026, 12, 9));
        selectTask(u"Choir"_s);
        w->findChild<QAction *>(u"ToolButton15"_s)->trigger();
    });
    undoAndRedo(u"Edit notes"_s, [&] {
        selectDay(QDate(2026, 12, 9));
        selectTask(u"Choir"_s);
        w->notesPane()->setFocus();
        w->notesPane()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w->notesPane(), " practice");
        w->dayView()->setFocus();  // leaving the pane stores the notes
    });
    undoAndRedo(u"Move to 20 January"_s, [&] {  // dropped on a calendar day
        selectDay(QDate(2026, 12, 9));
        selectTask(u"Call the bank"_s);
        prompts.answers = {0};  // Really move task? Yes
        w->cal1DragDrop(2, true, QDate(2027, 1, 20));
    });
    undoAndRedo(u"Move task"_s, [&] {  // from the to-do list into the day list
        selectDay(QDate(2026, 12, 9));
        w->todoView()->setCurrentIndex(w->todoView()->model()->index(0, 0));
        prompts.answers = {0};  // Really move task between grids? Yes
        w->gridDayDragDrop(false, true, 1);
    });
    undoAndRedo(u"Clear all data"_s, [&] {
        runner.responders.append([](QDialog &d) {
            auto &range = dynamic_cast<TfrmPrint &>(d);
            range.show();
            range.rbAll->click();
            range.cbNonDate->setChecked(true);
            range.btOK->click();
            return range.result();
        });
        prompts.answers = {0};
        w->ClearAll1Click();
    });
    undoAndRedo(u"Restore old data"_s, [&] {
        Grid old = NewStoreGrid();
        ASSERT_TRUE(LoadGridBytes(old, store(), u"store"_s));
        Grid todo = NewTodoGrid();
        ASSERT_TRUE(LoadGridBytes(todo, kTodo, u"todo"_s));
        const QString name = archives.file(u"old.arb"_s);
        ASSERT_TRUE(WriteArchive(ArchiveMemberNames(name), old, todo, NewCompletedGrid()));
        prompts.answers = {0};
        prompts.files = {name};
        w->Restore1Click();
    });
    undoAndRedo(u"Import from iCalendar"_s, [&] {
        const QString file = archives.file(u"meetings.ics"_s);
        writeBytes(file, kMeetings);
        prompts.files = {file};
        runner.responders.append([](QDialog &d) {
            auto &dlg = dynamic_cast<TfrmIcsImport &>(d);
            QSignalSpy done(&dlg, &TfrmIcsImport::workerFinished);
            if (dlg.planning()) {
                EXPECT_TRUE(done.wait());
            }
            dlg.btOK->click();
            return dlg.result();
        });
        w->ImportFromICalendar1Click();
    });
    undoAndRedo(u"Change holidays"_s, [&] {  // an import of built-in holidays
        runner.responders.append([](QDialog &d) {
            auto &win = dynamic_cast<TfrmHoliday &>(d);
            win.show();
            win.btInternational->click();
            win.btClose->click();
            return win.result();
        });
        runner.responders.append([](QDialog &d) {
            auto &imp = dynamic_cast<TfrmImport &>(d);
            imp.show();
            imp.lbDays->topLevelItem(0)->setSelected(true);
            imp.btOK->click();
            return imp.result();
        });
        w->Holidays1Click();
    });
    // The whole run back to the start, one step at a time.
    for (int i = 0; i < 20 && itemEnabled("Undo1"); ++i)
        undo();
    EXPECT_FALSE(itemEnabled("Undo1"));
    EXPECT_EQ(files(), start);
}

TEST_F(UndoTest, AnUndoAfterAFailedSaveTakesBackTheTableAndSavesOnceItCan)
{
    // The folder turns read-only: the new task stays in memory only, and
    // the person is told.
    ::chmod(QFile::encodeName(data.path()).constData(), 0555);
    answerEditor(u"Unsaved"_s, [](TfrmEdit &ed) { ed.btOK->click(); });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    const qsizetype told = errors().size();
    ASSERT_GE(told, 1);
    EXPECT_TRUE(errors().join(u'\n').contains(u"grid.grd"_s));
    EXPECT_EQ(files(), start);
    EXPECT_TRUE(dayNotes().contains(u"Unsaved"_s));

    // Undo takes it out of memory; the file, never changed, still fails to
    // save, and that is not told twice.
    undo();
    EXPECT_FALSE(dayNotes().contains(u"Unsaved"_s));
    EXPECT_EQ(files(), start);
    EXPECT_EQ(errors().size(), told);

    // Writable again: Redo puts it in and saves it, Undo saves it out.
    ::chmod(QFile::encodeName(data.path()).constData(), 0755);
    redo();
    EXPECT_TRUE(dayNotes().contains(u"Unsaved"_s));
    EXPECT_NE(files().store, start.store);
    undo();
    EXPECT_EQ(files(), start);
    EXPECT_EQ(errors().size(), told);
}

TEST_F(UndoTest, AnUndoAcrossMidnightSavesThroughTheNewDaysBackup)
{
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(23, 50)));
    answerEditor(u"Late call"_s, [](TfrmEdit &ed) { ed.btOK->click(); });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    const Files evening = files();

    // The day rolls over.
    clock.set(QDateTime(QDate(2026, 12, 10), QTime(0, 1)));
    w->pnlAlarmClick();  // today's 9:00 alarm, raised at the start
    w->Timer1Timer();
    EXPECT_EQ(w->trayIconName(), "ICON10");  // the new day's

    undo();
    EXPECT_EQ(files(), start);
    // The new day's first save kept the files as they were before it.
    EXPECT_EQ(readBytes(data.file("backups/grid-2026-12-10.grd")), evening.store);
    selectDay(QDate(2026, 12, 9));
    EXPECT_EQ(dayNotes(), (QStringList{u"Water plants"_s, u"Call the bank"_s}));
    redo();
    EXPECT_EQ(files(), evening);
    EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
}

TEST_F(UndoTest, AHundredStepsAreKeptAndATableChangedBehindTheirBackIsNeverPatched)
{
    for (int i = 0; i < 105; ++i)
        ASSERT_TRUE(w->addOutsideTask({false, {}, {}, u"Home"_s, u"Errand %1"_s.arg(i)}).isEmpty());
    EXPECT_EQ(w->history().stack().count(), 100);
    EXPECT_EQ(itemText("Undo1"), "Undo Add to-do task");
    int undone = 0;
    while (itemEnabled("Undo1")) {
        undo();
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    // The five oldest are kept for good.
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 4), "Errand 1");
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 7), "Errand 4");
    EXPECT_TRUE(w->gridNonday().cellEmpty(kTodoNotes, 8));

    // A table that is not as the step left it is left alone, and the
    // history goes, so no later key can patch it either.
    redo();
    w->gridNonday().setCell(kTodoNotes, 1, u"Changed elsewhere"_s);
    const Grid todo = w->gridNonday();
    undo();
    EXPECT_EQ(errors(), QStringList{u"The tasks have changed in another way since, so this cannot be undone. The "
                                    "list of changes to undo has been cleared."_s});
    EXPECT_EQ(GridFileBytes(w->gridNonday()), GridFileBytes(todo));
    EXPECT_FALSE(itemEnabled("Undo1"));
    EXPECT_FALSE(itemEnabled("Redo1"));
}

TEST(UndoHistoryTest, TheOldestStepsGoWhenTheHistoryHoldsTooManyBytes)
{
    QStringList applied;
    UndoHistory history([&](const TablesChange &c, bool forward) {
        applied << (forward ? u"+"_s : u"-"_s) + c.todo->before(Grid(1, 1)).cell(0, 0).chopped(300);
    }, 100, 2000);
    // Each step starts from the table the one before it left.
    auto step = [](int i) {
        Grid before(1, 1), after(1, 1);
        before.setCell(0, 0, u"%1"_s.arg(i) + QString(300, u'x'));
        after.setCell(0, 0, u"%1"_s.arg(i + 1) + QString(300, u'x'));
        TablesChange c;
        c.todo = TableChange::between(before, after);
        return c;
    };
    const std::size_t one = step(0).bytes();
    ASSERT_LT(one, 2000u);
    for (int i = 0; i < 10; ++i)
        history.record(u"Step %1"_s.arg(i), step(i));
    EXPECT_LE(history.bytes(), 2000u);
    const int kept = history.stack().count();
    EXPECT_EQ(kept, int(2000 / one));
    EXPECT_EQ(history.stack().undoText(), "Step 9");
    // Re-recording the kept steps changed no table.
    EXPECT_TRUE(applied.isEmpty());
    while (history.stack().canUndo())
        history.stack().undo();
    EXPECT_EQ(applied.size(), kept);
    EXPECT_EQ(applied.last(), u"-%1"_s.arg(10 - kept));
    // A step that changed nothing is no step.
    history.record(u"Nothing"_s, TablesChange{});
    EXPECT_EQ(history.stack().count(), kept);
}
