// Whole task commands through the main window: the editor is answered by
// scripted responders, as a person would fill it in.

#include "CompletedTasksWindow.h"
#include "FilterDialog.h"
#include "FindDialog.h"
#include "MonthCalendar.h"
#include <QLineEdit>
#include <QRadioButton>
#include "MainWindow.h"
#include "TaskEditor.h"
#include "MainWindowFixture.h"
#include "TestFiles.h"
#include "TestStores.h"
#include "RecurrenceDialog.h"
#include "RescheduleDialog.h"
#include "PickListDialog.h"
#include "TimeBarDialog.h"
#include "SpellCheckDialog.h"
#include "ShadowLabel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QLineEdit>
#include <QTimeEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <sys/stat.h>

using namespace morvane;

namespace {

QByteArray store() { return StoreWithRepeats(); }

const QByteArray kTodo = "3,3\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n0,1,Home\r\n1,1,Buy stamps\r\n2,1,No\r\n"
                         "1,2,Call Ann\r\n2,2,Yes\r\n";

class TaskCommandsTest : public MainWindowFixture {
protected:
    std::unique_ptr<TfrmMain> w;
    QStringList titles;  // the editor's headings, as shown

    void SetUp() override
    {
        writeBytes(data.file("grid.grd"), store());
        writeBytes(data.file("gridNon.grd"), kTodo);
    }
    void start()
    {
        w = makeMain();
        ASSERT_TRUE(w->created());
        w->show();
        w->editorOpened = [this](TfrmEdit &ed) { titles << ed.lblTitle->text(); };
    }
    void selectDay(const QDate &d) { w->calendar(w->currentCalendar())->setDate(d); }
    // Gives the stored task with these notes another time (and alarm) text,
    // before the window starts; returns its day number.
    int retime(const QString &notes, const QString &time, const QString &alarm)
    {
        Grid g;
        EXPECT_TRUE(LoadGridFile(g, data.file("grid.grd")).ok);
        int day = 0;
        for (int r = 1; r < g.rowCount(); ++r)
            if (g.cell(kStoreNotes, r) == notes) {
                g.setCell(kStoreTime, r, time);
                g.setCell(kStoreAlarm, r, alarm);
                day = KeyDay(g.cellUtf8(kStoreKey, r));
            }
        writeBytes(data.file("grid.grd"), GridFileBytes(g));
        return day;
    }
    // Shows the task's day and selects it in the day list; returns its row.
    int selectTask(int day, const QString &notes)
    {
        selectDay(DateOfDay(day));
        const int row = int(dayNotes().indexOf(notes)) + 1;
        w->selectDayRow(row);
        return row;
    }
    static void ok(TfrmEdit &ed) { ed.btOK->click(); }
    QStringList dayNotes() const
    {
        QStringList out;
        for (int r = 1; r < w->gridDay().rowCount(); ++r)
            out << w->gridDay().cell(kDayNotes, r);
        return out;
    }
    QStringList keysWithNotes(const QString &notes) const
    {
        QStringList out;
        const Grid &g = w->store().grid();
        for (int r = 1; r < g.rowCount(); ++r)
            if (g.cell(kStoreNotes, r) == notes)
                out << g.cell(kStoreKey, r);
        return out;
    }
    // A day as the program's headings and titles show it.
    QString day(const QDate &d) const { return FormatDateTime(u"ddd ddddd", ToDateValue(d), w->formats()); }
    Grid onDisk(const QString &name) const
    {
        Grid g;
        EXPECT_TRUE(LoadGridFile(g, data.file(name)).ok);
        return g;
    }
};

}  // namespace

TEST_F(TaskCommandsTest, AddingTheFirstTaskOfADay)
{
    start();
    selectDay(QDate(2026, 12, 15));
    EXPECT_EQ(dayNotes(), QStringList({""}));
    answerEditor("Dentist", [](TfrmEdit &ed) {
        // A new dated task: no Reschedule; Repeat comes with the first key.
        EXPECT_FALSE(ed.btReschedule->isVisible());
        EXPECT_TRUE(ed.btRepeat->isVisible());
        EXPECT_TRUE(ed.btOK->isEnabled());
        ed.dtTime->setTime(QTime(14, 5));
        ed.cbAlarm->setChecked(true);
        ed.btOK->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(titles, QStringList({day(QDate(2026, 12, 15)) + " 6 days"}));
    EXPECT_EQ(dayNotes(), QStringList({"Dentist"}));
    EXPECT_EQ(keysWithNotes("Dentist"), QStringList({"46371.101"}));
    const Grid saved = onDisk("grid.grd");
    bool found = false;
    for (int r = 1; r < saved.rowCount(); ++r)
        if (saved.cell(kStoreKey, r) == "46371.101") {
            found = true;
            EXPECT_EQ(saved.cell(kStoreTime, r),
                      FormatDateTime(u"t", ToDateValue(QDateTime(QDate(2026, 12, 15), QTime(14, 5))), w->formats()));
            EXPECT_EQ(saved.cell(kStoreAlarm, r), "Yes");
        }
    EXPECT_TRUE(found);
    EXPECT_TRUE(w->dayHeading().startsWith(day(QDate(2026, 12, 15)))) << w->dayHeading().toStdString();

    // A past day's title says so; a cancelled editor adds nothing.
    selectDay(QDate(2026, 12, 2));
    runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
    w->btAddClick(TfrmMain::Sender::Add1);
    EXPECT_TRUE(titles.last().startsWith("PAST " + day(QDate(2026, 12, 2)))) << titles.last().toStdString();
    EXPECT_EQ(dayNotes(), QStringList({"Water plants"}));

    // A to-do task goes to the first free row and to the file at once.
    answerEditor("Renew passport", ok);
    w->btAddClick(TfrmMain::Sender::tbAdd2);
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 3), "Renew passport");
    EXPECT_EQ(onDisk("gridNon.grd").cell(kTodoNotes, 3), "Renew passport");
    EXPECT_EQ(w->todoHeading(), "3 To-do Tasks");
}

TEST_F(TaskCommandsTest, OnlyAnAdditionIsTitledPastAndTitlesTakeTheHeadingColour)
{
    // A holiday ahead of today (11 December) and none on the past day.
    writeBytes(data.file("holiday.grd"), "4,2\r\n0,1,Feast\r\n1,1,12\r\n2,1,December\r\n3,1,11\r\n");
    start();
    QList<QColor> colors;
    w->editorOpened = [this, &colors](TfrmEdit &ed) {
        titles << ed.lblTitle->text();
        colors << ed.lblTitle->textColor();
    };
    const auto cancel = [](QDialog &) { return int(QDialog::Rejected); };

    // Editing and completing a task of a past day: the plain day title.
    selectDay(QDate(2026, 12, 2));
    const QColor plain = w->dayHeadingColor();
    w->selectDayRow(1);
    runner.responders.append(cancel);
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    runner.responders.append(cancel);
    w->Markascompleted1Click(TfrmMain::Sender::tbDone1);
    const QString past = day(QDate(2026, 12, 2)) + " " + RelativeDayText(ToDateValue(QDate(2026, 12, 2)), clock);
    EXPECT_EQ(titles, QStringList({past, past}));
    EXPECT_EQ(colors, QList<QColor>({plain, plain}));
    // Adding to it is what says PAST, in red.
    runner.responders.append(cancel);
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(titles.last(), "PAST " + past);
    EXPECT_EQ(colors.last(), QColor(255, 0, 0));

    // On a holiday the heading is red, and so is the editor's title.
    selectDay(QDate(2026, 12, 11));
    ASSERT_TRUE(w->dayHeadingIsHoliday());
    ASSERT_NE(w->dayHeadingColor(), plain);
    runner.responders.append(cancel);
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_FALSE(titles.last().startsWith("PAST")) << titles.last().toStdString();
    EXPECT_EQ(colors.last(), w->dayHeadingColor());
}

TEST_F(TaskCommandsTest, BlankNotesAreRefusedAndCategoriesGrowWithoutCaseTwins)
{
    writeBytes(data.file("category.xxx"), "Work\r\nhome\r\n");
    start();
    answerEditor("", [](TfrmEdit &ed) {
        ed.btOK->setEnabled(true);
        ed.btOK->click();  // blank: refused, the editor stays
        EXPECT_EQ(ed.result(), 0);
        QTest::keyClick(ed.memMain, Qt::Key_Return);  // one empty line more: two lines, not blank
        ed.setCategory("HOME");  // the same as "home"
        ed.btOK->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(errors(), QStringList({"The Notes are blank!"}));
    EXPECT_EQ(readBytes(data.file("category.xxx")), "Work\r\nhome\r\n");

    answerEditor("Gym", [](TfrmEdit &ed) {
        EXPECT_EQ(ed.cbCategory->count(), 2);
        EXPECT_EQ(ed.cbCategory->itemText(0), "home");  // sorted, letter case ignored
        ed.setCategory("Sport");
        ed.btOK->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(readBytes(data.file("category.xxx")), "home\r\nWork\r\nSport\r\n");
}

TEST_F(TaskCommandsTest, EditingMovesATaskToAnotherDayWhereItComesFirst)
{
    start();
    w->selectDayRow(2);  // "Call the bank"
    answerEditor("", [this](TfrmEdit &ed) {
        EXPECT_TRUE(ed.btReschedule->isVisible());  // an existing dated task
        EXPECT_EQ(ed.windowTitle(), "Task: Call the bank ...");
        runner.responders.append([](QDialog &d) {
            auto &r = dynamic_cast<TfrmReschedule &>(d);
            r.setDate(QDate(2026, 12, 11));
            return int(QDialog::Accepted);
        });
        ed.btReschedule->click();  // another day: the editor closes at once
    });
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    EXPECT_EQ(dayNotes(), QStringList({"Water plants"}));
    EXPECT_EQ(keysWithNotes("Call the bank"), QStringList({"46367.100"}));
    selectDay(QDate(2026, 12, 11));
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank", "Meeting"}));

    // The same day in Reschedule keeps the editor open; OK then writes the
    // edited row back.
    w->selectDayRow(2);
    answerEditor(" at noon", [this](TfrmEdit &ed) {
        runner.responders.append([](QDialog &) { return int(QDialog::Accepted); });
        ed.btReschedule->click();
        EXPECT_EQ(ed.result(), 0);
        ed.btOK->click();
    });
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank", "Meeting at noon"}));

    // Nothing selected, or nothing there.
    selectDay(QDate(2026, 12, 20));
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    EXPECT_EQ(errors(), QStringList({"There is nothing to edit"}));
}

TEST_F(TaskCommandsTest, CompletingAddsTheCompletedRowAndSavesItAtOnce)
{
    start();
    w->selectDayRow(2);
    answerEditor("", [](TfrmEdit &ed) {
        EXPECT_TRUE(ed.onCompletionPage());
        EXPECT_FALSE(ed.btOK->isEnabled());
        QTest::keyClicks(ed.memComplete, "Form sent");
        ed.btOK2->click();
    });
    w->Markascompleted1Click(TfrmMain::Sender::tbDone1);
    const Grid &done = w->frmComplete()->table();
    EXPECT_EQ(done.cell(kCompNotes, 1), "Call the bank");
    EXPECT_EQ(done.cell(kCompNotesDone, 1), "Form sent");
    EXPECT_EQ(done.cell(kCompOrigDate, 1), day(QDate(2026, 12, 9)));
    EXPECT_EQ(done.cell(kCompDate, 1), FormatDateTime(u"ddddd", ToDateValue(QDate(2026, 12, 9)), w->formats()));
    EXPECT_EQ(onDisk("gridComp.grd").cell(kCompNotes, 1), "Call the bank");
    EXPECT_EQ(w->gridDay().cell(kDayDone, 2), "Yes");
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, 2), "No");

    // Done already: no editor.
    w->selectDayRow(2);
    w->Markascompleted1Click(TfrmMain::Sender::tbDone1);
    EXPECT_EQ(errors(), QStringList({"Task already marked as complete"}));
    EXPECT_TRUE(runner.responders.isEmpty());

    // A to-do task completes into row 1, the earlier completion moves down.
    w->todoView()->setCurrentIndex(w->todoView()->model()->index(0, 0));
    answerEditor("", [](TfrmEdit &ed) { ed.btOK2->click(); });
    w->Markascompleted1Click(TfrmMain::Sender::tbDone2);
    EXPECT_EQ(done.cell(kCompNotes, 1), "Buy stamps");
    EXPECT_EQ(done.cell(kCompOrigDate, 1), "Non date task");
    EXPECT_EQ(done.cell(kCompNotes, 2), "Call the bank");
    EXPECT_EQ(onDisk("gridNon.grd").cell(kTodoDone, 1), "Yes");
}

TEST_F(TaskCommandsTest, DeletingATaskOffersToDeleteItsLaterRepeats)
{
    start();
    w->selectDayRow(1);  // "Water plants", repeated on the 16th and 23rd, and seen on the 2nd
    prompts.answers = {0, 0};  // really delete: yes; all repeats: yes
    w->btDelClick(TfrmMain::Sender::tbDel1);
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown[0].text, "Really delete \"Water plants ... \"?");
    EXPECT_EQ(prompts.shown[1].text, "This event appears to be repeated 2 times in the future.  Delete all repeats?");
    EXPECT_EQ(keysWithNotes("Water plants"), QStringList({"46358.101"}));  // earlier copies stay
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank"}));

    // No to the repeats: only the task itself goes.
    writeBytes(data.file("grid.grd"), store());
    start();
    w->selectDayRow(1);
    prompts.shown.clear();
    prompts.answers = {0, 1};
    w->btDelClick(TfrmMain::Sender::tbDel1);
    EXPECT_EQ(keysWithNotes("Water plants"), QStringList({"46358.101", "46372.101", "46379.101"}));
    EXPECT_EQ(onDisk("grid.grd").rowCount(), 6);

    // The only task of a day: the list keeps one empty row.
    settings.writeText("Options", "Confirm", "0");
    settings.sync();
    start();
    selectDay(QDate(2026, 12, 11));
    w->selectDayRow(1);
    prompts.shown.clear();
    w->btDelClick(TfrmMain::Sender::Del1);
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(w->gridDay().rowCount(), 2);
    EXPECT_EQ(dayNotes(), QStringList({""}));
    w->btDelClick(TfrmMain::Sender::Del1);
    EXPECT_EQ(errors(), QStringList({"There is nothing selected to delete"}));
}

TEST_F(TaskCommandsTest, TheRepeatsQuestionCountsOneRepeatAsOneAndSaysWhatNoDoes)
{
    start();
    // "Water plants" on the 16th has one later copy, on the 23rd.
    selectDay(QDate(2026, 12, 16));
    w->selectDayRow(1);
    prompts.answers = {1};  // keep the repeat
    answerEditor("", [this](TfrmEdit &ed) {
        runner.responders.append([](QDialog &d) {
            dynamic_cast<TfrmReschedule &>(d).setDate(QDate(2026, 12, 17));
            return int(QDialog::Accepted);
        });
        ed.btReschedule->click();
    });
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, "This event appears to be repeated 1 time in the future.  Delete all repeats?  "
                                     "No moves only this one and keeps its repeats.");
    EXPECT_EQ(keysWithNotes("Water plants"), QStringList({"46358.101", "46365.101", "46373.100", "46379.101"}));

    // Deleting it says the same count, and no more.
    selectDay(QDate(2026, 12, 17));
    w->selectDayRow(1);
    prompts.shown.clear();
    prompts.answers = {0, 1};
    w->btDelClick(TfrmMain::Sender::tbDel1);
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown[1].text, "This event appears to be repeated 1 time in the future.  Delete all repeats?");
}

TEST_F(TaskCommandsTest, AnnualRepeatsFromALeapDay)
{
    clock.set(QDateTime(QDate(2000, 2, 1), QTime(9, 0)));
    start();
    selectDay(QDate(2000, 2, 29));
    answerEditor("Leap party", [](TfrmEdit &ed) { ed.Repeatannually1->trigger(); });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    QStringList days;
    for (const QString &key : keysWithNotes("Leap party"))
        days << DateOfDay(KeyDay(key.toUtf8())).toString("yyyy-MM-dd");
    EXPECT_EQ(days, QStringList({"2000-02-29", "2001-02-28", "2002-02-28", "2003-02-28", "2004-02-29", "2005-02-28",
                                 "2006-02-28", "2007-02-28", "2008-02-29", "2009-02-28", "2010-02-28"}));
    EXPECT_EQ(dayNotes(), QStringList({"Leap party"}));  // there once
}

namespace {
// Counts the paintings of a whole control (a neighbour's repaint also
// paints the pixel row the two share).
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Paint &&
            static_cast<QPaintEvent *>(e)->rect() == static_cast<QWidget *>(watched)->rect())
            ++paints;
        return false;
    }
};
}  // namespace

TEST_F(TaskCommandsTest, RepeatsColourTheOtherMonthsOnScreenAtOnce)
{
    start();
    w->pnlAlarmClick();  // today's 9:00 alarm, raised at the start, covers the calendars
    w->Timer2Timer();    // the first layout pass
    QApplication::processEvents();
    PaintCount january, february;
    w->calendar(2)->installEventFilter(&january);
    w->calendar(3)->installEventFilter(&february);
    // Neither dialog is shown: a window that opens and closes makes the
    // main window repaint whole as it loses and regains the focus.
    runner.responders.append([](QDialog &d) {
        auto &ed = dynamic_cast<TfrmEdit &>(d);
        ed.memMain->setPlainText("Choir");
        ed.Repeat1->trigger();
        return ed.result();
    });
    runner.responders.append([this](QDialog &d) {
        auto &recur = dynamic_cast<TfrmRecur &>(d);
        recur.rbDaily->setChecked(true);
        recur.date1->setDate(recur.startDate);
        recur.date2->setDate(QDate(2027, 2, 3));
        recur.btPreview->click();
        prompts.answers = {0};  // Really add? Yes
        recur.btOKClick();
        return recur.result();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    ASSERT_EQ(keysWithNotes("Choir").size(), 57);  // 9 December to 3 February
    QApplication::processEvents();
    EXPECT_GT(january.paints, 0);
    EXPECT_GT(february.paints, 0);
}

TEST_F(TaskCommandsTest, ACancelledRepeatOfANewTaskLeavesNoSecondCopy)
{
    start();
    selectDay(QDate(2026, 12, 14));
    answerEditor("Book club", [](TfrmEdit &ed) { ed.Repeat1->trigger(); });  // the repeats are cancelled
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(runner.shownTitles.size(), 2);  // the editor, then the repeats
    EXPECT_EQ(keysWithNotes("Book club"), QStringList({"46370.101"}));
    Grid saved = onDisk("grid.grd");
    int copies = 0;
    for (int r = 1; r < saved.rowCount(); ++r)
        copies += saved.cell(kStoreNotes, r) == "Book club" ? 1 : 0;
    EXPECT_EQ(copies, 1);
}

TEST_F(TaskCommandsTest, ASaveThatFailsDuringACommandIsToldAndTheOldFileKept)
{
    start();
    const QByteArray before = readBytes(data.file("grid.grd"));
    ::chmod(QFile::encodeName(data.path()).constData(), 0555);
    answerEditor("Unsaved", ok);
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    ::chmod(QFile::encodeName(data.path()).constData(), 0755);
    ASSERT_FALSE(errors().isEmpty());
    EXPECT_TRUE(errors().join("\n").contains("grid.grd")) << errors().join("\n").toStdString();
    EXPECT_EQ(readBytes(data.file("grid.grd")), before);
    EXPECT_TRUE(dayNotes().contains("Unsaved"));  // kept in memory for the next save
}

TEST_F(TaskCommandsTest, TheAlarmToggleSetsNoAlarmOnATaskWithoutATime)
{
    // A task whose time is not a time of day has no minute to ring in: the
    // toggle says so and sets nothing, as the editor's switch does. An alarm
    // such a task already has (older files) can still be switched off.
    const int day = retime(QStringLiteral("Call the bank"), QStringLiteral("All day"), QStringLiteral("Yes"));
    ASSERT_GT(day, 0);
    start();
    const int row = selectTask(day, QStringLiteral("Call the bank"));
    ASSERT_GT(row, 0);
    QAction *toggle = w->findChild<QAction *>(QStringLiteral("ToolButton15"));
    toggle->trigger();
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, row), "No");
    EXPECT_TRUE(prompts.shown.isEmpty());

    const QByteArray before = readBytes(data.file("grid.grd"));
    toggle->trigger();
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, row), "No");
    EXPECT_EQ(readBytes(data.file("grid.grd")), before);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown.last().text, "An alarm needs a time of day; this task's time is \"All day\".");
}

TEST_F(TaskCommandsTest, ATaskWithoutATimeIsCompletedWithoutOne)
{
    // The completed log keeps the task's own "All day", not the editor's
    // idle clock time.
    const int day = retime(QStringLiteral("Call the bank"), QStringLiteral("All day"), QStringLiteral("No"));
    start();
    ASSERT_GT(selectTask(day, QStringLiteral("Call the bank")), 0);
    answerEditor("", [](TfrmEdit &ed) { ed.btOK2->click(); });
    w->Markascompleted1Click(TfrmMain::Sender::tbDone1);
    EXPECT_EQ(w->frmComplete()->table().cell(kCompNotes, 1), "Call the bank");
    EXPECT_EQ(w->frmComplete()->table().cell(kCompTime, 1), "All day");
    EXPECT_EQ(onDisk("gridComp.grd").cell(kCompTime, 1), "All day");
}

TEST_F(TaskCommandsTest, TheAlarmToggleAndTheDoubleClickOnADay)
{
    start();
    w->selectDayRow(2);
    w->ToolButton15Click();
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, 2), "No");
    w->ToolButton15Click();
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, 2), "Yes");

    // A day with tasks: edit; an empty one: add.
    runner.responders.append([](QDialog &d) {
        EXPECT_TRUE(dynamic_cast<TfrmEdit &>(d).isExisting);
        return int(QDialog::Rejected);
    });
    w->cal1CellDblClick();
    selectDay(QDate(2026, 12, 19));
    runner.responders.append([](QDialog &d) {
        EXPECT_FALSE(dynamic_cast<TfrmEdit &>(d).isExisting);
        return int(QDialog::Rejected);
    });
    w->cal1CellDblClick();
    EXPECT_TRUE(runner.responders.isEmpty());
}

TEST_F(TaskCommandsTest, TheNotesAreSpellCheckedWhenADictionaryIsThere)
{
    // Without the dictionary the buttons are not there.
    start();
    answerEditor("Mispeled", [](TfrmEdit &ed) {
        EXPECT_FALSE(ed.btSpell1->isVisible());
        ed.btCancel->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);

    for (const char *name : {"english.dct", "english.aff"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(MORVANE_BIN_DIR "/") + name, data.file(name)));
    answerEditor("Mispeled word", [this](TfrmEdit &ed) {
        ASSERT_TRUE(ed.btSpell1->isVisible());
        runner.responders.append([](QDialog &d) {
            auto &check = dynamic_cast<TfrmSpellCheck &>(d);
            EXPECT_EQ(check.word(), "Mispeled");
            check.edChange->setText("Misspelled");
            check.choice = TfrmSpellCheck::Choice::Replace;
            return int(QDialog::Accepted);
        });
        ed.btSpell1->click();
        EXPECT_EQ(ed.notes(), "Misspelled word");
        ed.btOK->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_TRUE(dayNotes().contains("Misspelled word"));
    EXPECT_EQ(prompts.shown.last().text, "The spelling check is complete.");
}

TEST_F(TaskCommandsTest, MovingTheDayByMenuAndKeys)
{
    start();
    QApplication::setActiveWindow(w.get());
    // Month and year steps keep the day within the month.
    selectDay(QDate(2027, 1, 31));
    w->NextMonth1Click();
    EXPECT_EQ(w->selectedDay(), QDate(2027, 2, 28));
    selectDay(QDate(2000, 2, 29));
    w->NextYear1Click();
    EXPECT_EQ(w->selectedDay(), QDate(2001, 2, 28));
    w->PriorYear1Click();
    EXPECT_EQ(w->selectedDay(), QDate(2000, 2, 28));

    // Highlighted days: the tasks on the 2nd, 9th, 11th, 16th and 23rd.
    selectDay(QDate(2026, 12, 12));
    w->NextTask1Click();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 16));
    w->PriorTask1Click();
    w->PriorTask1Click();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    EXPECT_EQ(dayNotes(), QStringList({"Water plants", "Call the bank"}));

    // Today from another calendar makes the second one current again.
    w->cal1Click(3);
    w->Today1Click();
    EXPECT_EQ(w->currentCalendar(), 1);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));

    // Arrows: Right in the to-do list moves the day; Down on the day list's
    // last task moves it a week; on another task it moves the selection.
    w->todoView()->setFocus();
    ASSERT_EQ(w->focusWidget(), w->todoView());
    QTest::keyClick(w->todoView(), Qt::Key_Right);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 10));
    QTest::keyClick(w->todoView(), Qt::Key_Left);
    w->dayView()->setFocus();
    w->selectDayRow(1);
    QTest::keyClick(w->dayView(), Qt::Key_Down);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    EXPECT_EQ(w->dayView()->currentIndex().row(), 1);
    QTest::keyClick(w->dayView(), Qt::Key_Down);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 16));
    QTest::keyClick(w->dayView(), Qt::Key_Up);  // one task: a week back
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    // Held Shift, Ctrl or Alt, and the keypad's arrows, move the day all the
    // same; in the notes pane Shift with an arrow selects text instead.
    w->todoView()->setFocus();
    QTest::keyClick(w->todoView(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 10));
    QTest::keyClick(w->todoView(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    QTest::keyClick(w->todoView(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 8));
    w->dayView()->setFocus();  // the 8th has no task
    QTest::keyClick(w->dayView(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 15));
    QTest::keyClick(w->dayView(), Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 8));
    QTest::keyClick(w->dayView(), Qt::Key_Right, Qt::KeypadModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    w->selectDayRow(1);
    w->notesPane()->setFocus();
    w->notesPane()->moveCursor(QTextCursor::Start);
    QTest::keyClick(w->notesPane(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    EXPECT_EQ(w->notesPane()->textCursor().selectedText().size(), 1);
    // A key's release shows the date without the time until the next tick.
    EXPECT_EQ(w->statusText(), "Today is " + FormatDateTime(u"dddddd", ToDateValue(QDate(2026, 12, 9)), w->formats()));
}

TEST_F(TaskCommandsTest, InsertAndDeleteActOnceOnRelease)
{
    settings.writeText("Options", "Confirm", "0");
    settings.sync();
    start();
    QApplication::setActiveWindow(w.get());
    w->dayView()->setFocus();
    // Insert adds once, when the key comes up.
    runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
    QTest::keyPress(w->dayView(), Qt::Key_Insert);
    EXPECT_EQ(runner.shownTitles.size(), 0);
    QTest::keyRelease(w->dayView(), Qt::Key_Insert);
    EXPECT_EQ(runner.shownTitles.size(), 1);

    // Ctrl+Delete is the menu's shortcut: one task goes, not two.
    w->selectDayRow(1);
    QAction *del = w->findChild<QAction *>("Deleteexistingtask1");
    ASSERT_TRUE(del);
    del->trigger();  // what the shortcut does on the press
    QTest::keyRelease(w->dayView(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank"}));
    // A plain Delete deletes on release.
    w->dayView()->setFocus();
    QTest::keyClick(w->dayView(), Qt::Key_Delete);
    EXPECT_EQ(dayNotes(), QStringList({""}));
}

TEST_F(TaskCommandsTest, AltXExitsFromTheKeyboard)
{
    start();
    QApplication::setActiveWindow(w.get());
    w->dayView()->setFocus();
    QTest::keyClick(w->dayView(), Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(w->ended());
}

TEST_F(TaskCommandsTest, TheFilterNoteComesOnceAndTheHeadingsLeadToToday)
{
    start();
    w->filter().setShowDone(false);  // a filter is on
    runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
    w->btAddClick(TfrmMain::Sender::tbAdd1);  // even a cancelled addition
    runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    int notes = 0;
    for (const auto &s : prompts.shown)
        notes += s.text.startsWith("Note that since you have filters turned on") ? 1 : 0;
    EXPECT_EQ(notes, 1);

    // A double-click on the status bar or on the day heading goes to today.
    selectDay(QDate(2027, 3, 1));
    QWidget *status = w->findChild<QWidget *>("StatusBar1");
    ASSERT_TRUE(status);
    QTest::mouseDClick(status, Qt::LeftButton);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    selectDay(QDate(2027, 3, 1));
    QTest::mouseDClick(w->findChild<QWidget *>("lblDate"), Qt::LeftButton);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));

    // View Completed Tasks shows the window that holds the completions.
    w->ViewCompletedTasks1Click();
    EXPECT_EQ(runner.shownTitles.last(), "Completed Tasks");
}

TEST_F(TaskCommandsTest, TheCategoryListAndTheTimeBarFromTheEditor)
{
    writeBytes(data.file("category.xxx"), "Work\r\n");
    start();
    answerEditor("Haircut", [this](TfrmEdit &ed) {
        // The list editor: Add "Home", then Cancel (which keeps an addition).
        runner.responders.append([](QDialog &d) {
            auto &list = dynamic_cast<TfrmListBox &>(d);
            EXPECT_EQ(list.windowTitle(), "Edit Category Choices");
            list.setItems({"Work", "Home"});
            list.selectItem("Home");
            return int(QDialog::Accepted);
        });
        ed.btCategory->click();
        EXPECT_EQ(ed.category(), "Home");
        // A cancelled list editor still writes the box's list.
        runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
        ed.btCategory->click();
        // The time bar: Cancel keeps the time, OK takes the bar's.
        const QTime before = ed.dtTime->time();
        runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
        ed.btTime->click();
        EXPECT_EQ(ed.dtTime->time(), before);
        runner.responders.append([](QDialog &d) {
            dynamic_cast<TfrmTimePopup &>(d).dtTime->setTime(QTime(7, 45));
            return int(QDialog::Accepted);
        });
        ed.btTime->click();
        EXPECT_EQ(ed.dtTime->time(), QTime(7, 45));
        ed.btOK->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(readBytes(data.file("category.xxx")), "Home\r\nWork\r\n");
    EXPECT_EQ(w->gridDay().cell(kDayCategory, 1), "Home");
    EXPECT_EQ(w->gridDay().cell(kDayTime, 1),
              FormatDateTime(u"t", ToDateValue(QDateTime(QDate(2026, 12, 9), QTime(7, 45))), w->formats()));
}

TEST_F(TaskCommandsTest, TheFilterDialogFiltersEveryViewAtOnce)
{
    start();
    EXPECT_EQ(w->filterCaption(), "Filters");
    EXPECT_EQ(dayNotes(), QStringList({"Water plants", "Call the bank"}));
    // Not-done tasks hidden, and the dialog left by its close box: the
    // checks are the filter, and the day list shows it at once.
    runner.responders.append([](QDialog &d) {
        auto &f = dynamic_cast<TfrmFilter &>(d);
        f.cbNotDone->setChecked(false);
        f.reject();
        return int(QDialog::Rejected);
    });
    w->btFilterClick();
    EXPECT_EQ(w->filterCaption(), "FILTERS ON");
    EXPECT_EQ(dayNotes(), QStringList({""}));
    EXPECT_EQ(w->goForward(QDate(2026, 12, 1)), QDate(2026, 12, 1));  // nothing highlighted
    // Filters off and OK: everything shows again.
    runner.responders.append([](QDialog &d) {
        auto &f = dynamic_cast<TfrmFilter &>(d);
        f.btOff->click();
        f.btOK->click();
        return f.result();
    });
    w->btFilterClick();
    EXPECT_EQ(w->filterCaption(), "Filters");
    EXPECT_EQ(dayNotes(), QStringList({"Water plants", "Call the bank"}));
}

TEST_F(TaskCommandsTest, FindShowsEachTaskOnItsDay)
{
    start();
    w->Search1Click();
    FindDialog *f = w->findDialog();
    ASSERT_TRUE(f && f->isVisible());
    f->edText->setText("Water");
    // From the day shown (today, 9 December) on, then round from the first.
    w->FindDialog1Find();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    EXPECT_EQ(w->dayView()->currentIndex().row(), 0);
    w->FindDialog1Find();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 16));
    w->FindDialog1Find();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 23));
    w->FindDialog1Find();  // the end of the run: told as news, not as an error
    EXPECT_TRUE(errors().isEmpty());
    ASSERT_FALSE(prompts.shown.isEmpty());
    EXPECT_EQ(prompts.shown.last().kind, ScriptedPrompts::Kind::Info);
    EXPECT_EQ(prompts.shown.last().text,
              "Could not find \"Water\" in any calendar task. Search reset to first task date");
    w->FindDialog1Find();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 2));
    // Moved back to today by the person, the next step goes on from there.
    selectDay(QDate(2026, 12, 9));
    w->FindDialog1Find();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    EXPECT_EQ(w->dayView()->currentIndex().row(), 0);
    // On the selected day: the task is selected without a date change.
    w->selectDayRow(2);
    f->edText->setText("bank");
    f->rbUp->setChecked(true);
    w->FindDialog1Find();
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    EXPECT_EQ(w->dayView()->currentIndex().row(), 1);
    EXPECT_TRUE(errors().isEmpty());
    f->edText->setText("no such thing");
    w->FindDialog1Find();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith("Could not find \"no such thing\""));
}

TEST_F(TaskCommandsTest, ThePopupSummaryOpensAfterTheMouseRestsOnADay)
{
    writeBytes(data.file("holiday.grd"), "4,2\r\n0,1,Mid-week\r\n1,1,12\r\n2,1,December\r\n3,1,10\r\n");
    start();
    // Today's 9:00 alarm passed before the start: it is up, and no summary
    // opens over it.
    ASSERT_TRUE(w->alarmShowing());
    w->pnlAlarmClick();
    QApplication::setActiveWindow(w.get());
    EXPECT_TRUE(w->timerPool().enabled(w->popupTrigger()));  // the option is on by default
    MonthCalendar *c = w->calendar(w->currentCalendar());
    const QPoint on9 = c->cellRect(c->cellOfSelection()).center();
    w->cal2MouseMove(w->currentCalendar(), on9);
    for (int i = 0; i < 9; ++i)
        w->tmPopupTimer();
    EXPECT_FALSE(w->popupVisible());
    w->tmPopupTimer();  // the tenth tick
    ASSERT_TRUE(w->popupVisible());
    EXPECT_EQ(w->popupLines(), QStringList({"2\t Pending tasks", "", "8:00 AM\tWater plants", "9:00 AM\tCall the bank"}));
    // Any key closes it.
    QTest::keyClick(w->dayView(), Qt::Key_Shift);
    EXPECT_FALSE(w->popupVisible());

    // A holiday with no task opens on its own.
    const QPoint on10 = c->cellRect(c->cellOfSelection() + 1).center();
    w->cal2MouseMove(w->currentCalendar(), on10);
    for (int i = 0; i < 10; ++i)
        w->tmPopupTimer();
    ASSERT_TRUE(w->popupVisible());
    EXPECT_EQ(w->popupLines(), QStringList({"Mid-week", ""}));
    w->cal1Click(w->currentCalendar());  // a calendar click closes it
    EXPECT_FALSE(w->popupVisible());

    // The mouse leaves the window straight from a day: the summary closes,
    // and a countdown begun on a day opens nothing once the mouse is gone.
    w->cal2MouseMove(w->currentCalendar(), on9);
    for (int i = 0; i < 10; ++i)
        w->tmPopupTimer();
    ASSERT_TRUE(w->popupVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(c, &leave);
    EXPECT_FALSE(w->popupVisible());
    w->cal2MouseMove(w->currentCalendar(), on10);
    for (int i = 0; i < 5; ++i)
        w->tmPopupTimer();
    QApplication::sendEvent(w.get(), &leave);
    for (int i = 0; i < 10; ++i)
        w->tmPopupTimer();
    EXPECT_FALSE(w->popupVisible());

    // Switched off from the calendars' menu: saved, and nothing opens.
    w->memPopupDisableClick();
    EXPECT_EQ(settings.raw("Options", "qPopup"), "0");
    EXPECT_FALSE(w->timerPool().enabled(w->popupTrigger()));
    w->cal2MouseMove(w->currentCalendar(), on9 + QPoint(0, 1));
    for (int i = 0; i < 12; ++i)
        w->tmPopupTimer();
    EXPECT_FALSE(w->popupVisible());
    w->memPopupEnableClick();
    EXPECT_EQ(settings.raw("Options", "qPopup"), "1");

    // Moving onto a button of the main toolbar closes it. The pointer starts
    // from the button's corner with no button held (an earlier test's
    // double-click can leave the test mouse's button down, which would make
    // the move a drag).
    auto *bar = w->findChild<QToolBar *>("ToolBar1");
    ASSERT_TRUE(bar);
    QWidget *button = bar->widgetForAction(bar->actions().value(1));
    ASSERT_TRUE(button);
    QTest::mouseRelease(w->windowHandle(), Qt::LeftButton, {}, button->mapTo(w.get(), QPoint(1, 1)));
    w->cal2MouseMove(w->currentCalendar(), c->cellRect(c->cellOfSelection() + 2).center());  // the 11th
    for (int i = 0; i < 10; ++i)
        w->tmPopupTimer();
    ASSERT_TRUE(w->popupVisible());
    QTest::mouseMove(w->windowHandle(), button->mapTo(w.get(), button->rect().center()));
    EXPECT_FALSE(w->popupVisible());
}

TEST_F(TaskCommandsTest, DragAndDropMovesTasksBetweenDaysAndLists)
{
    start();
    // A day task onto the 20th of January in the third calendar.
    w->selectDayRow(2);  // "Call the bank"
    prompts.answers = {0};  // Really move task? Yes
    w->cal1DragDrop(2, true, QDate(2027, 1, 20));
    EXPECT_EQ(prompts.shown.last().text, "Really move task?");
    EXPECT_EQ(keysWithNotes("Call the bank"), QStringList({"46407.100"}));
    EXPECT_EQ(w->currentCalendar(), 2);
    EXPECT_EQ(w->selectedDay(), QDate(2027, 1, 20));
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank"}));

    // A to-do task onto a day: dated now, to the minute, no alarm, gone
    // from the to-do list.
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 31, 27)));
    w->todoView()->setCurrentIndex(w->todoView()->model()->index(0, 0));  // "Buy stamps"
    prompts.answers = {0};
    w->cal1DragDrop(2, false, QDate(2027, 1, 21));
    EXPECT_EQ(keysWithNotes("Buy stamps"), QStringList({"46408.100"}));
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 1), "Call Ann");
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, 1), "No");
    DateValue dropped = -1;
    ASSERT_TRUE(StrToTime(w->gridDay().cell(kDayTime, 1), w->formats(), &dropped));
    EXPECT_EQ(TimeOfValue(dropped), QTime(10, 31)) << w->gridDay().cell(kDayTime, 1).toStdString();

    // The dated task onto the to-do list's first row: no time, no alarm.
    w->selectDayRow(1);
    prompts.answers = {0};
    w->gridDayDragDrop(true, false, 1);
    EXPECT_EQ(prompts.shown.last().text,
              "Really move task between grids?  You will lose the Time and Alarm fields.");
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 1), "Buy stamps");
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 2), "Call Ann");
    EXPECT_TRUE(keysWithNotes("Buy stamps").isEmpty());
    EXPECT_EQ(dayNotes(), QStringList({""}));  // the day's only task went: one empty row

    // No to the question changes nothing.
    w->todoView()->setCurrentIndex(w->todoView()->model()->index(1, 0));
    prompts.answers = {1};
    w->gridDayDragDrop(false, true, 1);
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 2), "Call Ann");

    // Reordering within a list.
    w->todoView()->setCurrentIndex(w->todoView()->model()->index(1, 0));
    w->gridDayDragDrop(false, false, 1);
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 1), "Call Ann");
    EXPECT_EQ(onDisk("gridNon.grd").cell(kTodoNotes, 1), "Call Ann");
}

TEST_F(TaskCommandsTest, ADayReorderedByDragKeepsItsOrderUntilAHeaderIsClicked)
{
    start();
    QHeaderView *header = w->dayView()->horizontalHeader();
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    // "Call the bank" (9:00) dropped on the first row, above "Water plants" (8:00).
    w->selectDayRow(2);
    w->gridDayDragDrop(true, true, 1);
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank", "Water plants"}));
    EXPECT_EQ(header->sortIndicatorSection(), -1);  // no order but the person's
    EXPECT_EQ(keysWithNotes("Call the bank"), QStringList({"46365.101"}));
    // Away and back: the stored order, not a sort.
    selectDay(QDate(2026, 12, 11));
    selectDay(QDate(2026, 12, 9));
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank", "Water plants"}));
    // An addition goes in below them and leaves their order alone.
    answerEditor("Early swim", [](TfrmEdit &ed) {
        ed.dtTime->setTime(QTime(7, 0));
        ed.btOK->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank", "Water plants", "Early swim"}));
    EXPECT_EQ(header->sortIndicatorSection(), -1);

    // A click on "Time" sorts by time again, ascending, and that lasts.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 4, 4));
    EXPECT_EQ(dayNotes(), QStringList({"Early swim", "Water plants", "Call the bank"}));
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    selectDay(QDate(2026, 12, 11));
    selectDay(QDate(2026, 12, 9));
    EXPECT_EQ(dayNotes(), QStringList({"Early swim", "Water plants", "Call the bank"}));
}

TEST_F(TaskCommandsTest, DraggingATaskWithRepeatsAsksAboutThem)
{
    settings.writeText("Options", "DragConfirm", "0");
    settings.sync();
    start();
    w->selectDayRow(1);  // "Water plants", repeated on the 16th and 23rd
    prompts.answers = {0};  // the repeats question: yes
    w->cal1DragDrop(1, true, QDate(2026, 12, 30));
    ASSERT_EQ(prompts.shown.size(), 1);  // no move question with DragConfirm off
    EXPECT_TRUE(prompts.shown[0].text.startsWith("This event appears to be repeated 2 times"));
    EXPECT_EQ(keysWithNotes("Water plants"), QStringList({"46358.101", "46386.100"}));
}

TEST_F(TaskCommandsTest, TheListsToolbarsAndPopupMenusRunTheirCommands)
{
    settings.writeText("Options", "Confirm", "0");
    settings.sync();
    start();
    for (const char *name : {"tbAdd1", "tbEdit1", "tbDel1", "tbDone1", "ToolButton15", "Add1", "Edit2", "Del1",
                             "Markascompleted2", "tbAdd2", "tbEdit2", "tbDel2", "tbDone2", "MenuItem1", "MenuItem2",
                             "MenuItem3", "Markascompleted1"})
        EXPECT_TRUE(w->findChild<QAction *>(name)) << name;
    // The to-do popup's Delete deletes from the to-do list, the day
    // toolbar's from the day list.
    w->todoView()->setCurrentIndex(w->todoView()->model()->index(0, 0));
    w->findChild<QAction *>("MenuItem3")->trigger();
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 1), "Call Ann");
    w->selectDayRow(1);
    prompts.answers = {1};  // its repeats stay
    w->findChild<QAction *>("tbDel1")->trigger();
    EXPECT_EQ(dayNotes(), QStringList({"Call the bank"}));
    // The day popup's Add opens the editor for a dated task.
    runner.responders.append([](QDialog &d) {
        EXPECT_TRUE(dynamic_cast<TfrmEdit &>(d).isDated);
        return int(QDialog::Rejected);
    });
    w->findChild<QAction *>("Add1")->trigger();
    EXPECT_TRUE(runner.responders.isEmpty());
}

TEST_F(TaskCommandsTest, LongStoredNotesAndCategoriesSurviveTheEditor)
{
    // Texts longer than the editor's fields take from the keyboard, as the
    // notes pane, the category list and an import make them.
    QString notes;
    for (int i = 0; notes.size() < 2500; ++i)
        notes += QStringLiteral("Point %1 of the meeting agenda\r\n").arg(i);
    const QString category = QStringLiteral("Neighbourhood association");
    Grid g;
    ASSERT_TRUE(LoadGridFile(g, data.file("grid.grd")).ok);
    for (int r = 1; r < g.rowCount(); ++r)
        if (g.cell(kStoreNotes, r) == "Call the bank") {
            g.setCell(kStoreNotes, r, notes);
            g.setCell(kStoreCategory, r, category);
        }
    writeBytes(data.file("grid.grd"), GridFileBytes(g));
    writeBytes(data.file("category.xxx"), "Neighbourhood association\r\nWork\r\n");
    start();

    // Edited and confirmed with OK: both stay whole.
    answerEditor("", [&](TfrmEdit &ed) {
        EXPECT_EQ(ed.notes(), notes);
        EXPECT_EQ(ed.category(), category);
        ok(ed);
    });
    w->selectDayRow(2);
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    EXPECT_EQ(keysWithNotes(notes).size(), 1);
    const Grid saved = onDisk("grid.grd");
    for (int r = 1; r < saved.rowCount(); ++r) {
        if (saved.cell(kStoreNotes, r) == notes) {
            EXPECT_EQ(saved.cell(kStoreCategory, r), category);
        }
    }
    EXPECT_EQ(readBytes(data.file("category.xxx")), "Neighbourhood association\r\nWork\r\n");

    // Marked as completed: the task and its completed row keep them too.
    answerEditor("", [](TfrmEdit &ed) { ed.btOK2->click(); });
    w->selectDayRow(2);
    w->Markascompleted1Click(TfrmMain::Sender::tbDone1);
    ASSERT_EQ(keysWithNotes(notes).size(), 1);
    const Grid done = onDisk("gridComp.grd");
    EXPECT_EQ(done.cell(kCompCategory, 1), category);
    EXPECT_EQ(done.cell(kCompNotes, 1), notes);
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_TRUE(runner.responders.isEmpty());
}

TEST_F(TaskCommandsTest, ANewCategoryShowsInTheFilterAtOnceAndAfterARestart)
{
    writeBytes(data.file("category.xxx"), "Home\r\nWork\r\n");
    start();
    // The Filters dialog once confirmed: "category.yyy" exists from now on.
    runner.responders.append([](QDialog &d) {
        auto &f = dynamic_cast<TfrmFilter &>(d);
        f.btOK->click();
        return f.result();
    });
    w->btFilterClick();
    ASSERT_TRUE(QFile::exists(data.file("category.yyy")));

    // A task of a new category.
    answerEditor("Prune the roses", [](TfrmEdit &ed) {
        ed.setCategory(QStringLiteral("Garden"));
        ed.btOK->click();
    });
    w->btAddClick(TfrmMain::Sender::tbAdd1);
    EXPECT_EQ(readBytes(data.file("category.xxx")), "Home\r\nWork\r\nGarden\r\n");
    // The filter lists it at once, shown.
    QStringList listed, shown;
    for (int i = 0; i < w->frmFilter()->cbWhat->count(); ++i) {
        listed << w->frmFilter()->cbWhat->item(i)->text();
        if (w->frmFilter()->cbWhat->item(i)->checkState() == Qt::Checked)
            shown << w->frmFilter()->cbWhat->item(i)->text();
    }
    EXPECT_EQ(listed, QStringList({"Home", "Work", "Garden"}));
    EXPECT_EQ(shown, listed);

    // After a restart the task is still there and no filter is on.
    w.reset();
    start();
    EXPECT_EQ(w->filterCaption(), "Filters");
    EXPECT_EQ(dayNotes(), QStringList({"Water plants", "Call the bank", "Prune the roses"}));
}
