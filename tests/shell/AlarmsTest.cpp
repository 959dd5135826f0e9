// The alarms through the main window: the minute check raising the panel,
// clearing it, the daily alarms, the chimes and the tray icon.

#include "AlarmPanel.h"
#include "DailyAlarmsDialog.h"
#include "MainWindowFixture.h"
#include "OptionsDialog.h"
#include "TaskEditor.h"
#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QMenuBar>
#include <QTimeEdit>
#include <QToolBar>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

// Tasks of today, 9 December 2026 (46365): time, notes and alarm flag.
QByteArray tasksOfToday(const std::vector<std::array<QString, 3>> &rows)
{
    Grid g = NewStoreGrid();
    g.setRowCount(int(rows.size()) + 1);
    for (int r = 1; r <= int(rows.size()); ++r) {
        const auto &[time, notes, alarm] = rows[std::size_t(r - 1)];
        g.setCell(kStoreKey, r, MakeStoreKey(46365, 100 + r));
        g.setCell(kStoreTime, r, time);
        g.setCell(kStoreCategory, r, u"Work"_s);
        g.setCell(kStoreNotes, r, notes);
        g.setCell(kStoreDone, r, u"No"_s);
        g.setCell(kStoreAlarm, r, alarm);
    }
    return GridFileBytes(g);
}

// A 9:00 task with its alarm on, a 9:30 one with its alarm on, and a 9:15
// one without.
QByteArray todaysTasks()
{
    return tasksOfToday({{u"9:00 AM"_s, u"Dentist"_s, u"Yes"_s},
                         {u"9:15 AM"_s, u"Coffee"_s, u"No"_s},
                         {u"9:30 AM"_s, u"Call Ann"_s, u"Yes"_s}});
}

// A person's click, delivered through the window system as a real one is:
// a window that a modal box blocks does not get it.
void clickAsAPerson(QWidget *target)
{
    QWidget *top = target->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, target->mapTo(top, target->rect().center()));
}

class AlarmsTest : public MainWindowFixture {
protected:
    std::unique_ptr<TfrmMain> w;

    void SetUp() override
    {
        writeBytes(data.file("grid.grd"), todaysTasks());
        writeBytes(data.file("gridNon.grd"), "3,2\r\n");
        clock.set(QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    }
    void start(bool show = true)
    {
        w = makeMain();
        ASSERT_TRUE(w->created());
        if (show)
            w->show();
    }
    // The minute trigger at hh:mm:ss today.
    void checkAt(int h, int m, int s = 0)
    {
        clock.set(QDateTime(QDate(2026, 12, 9), QTime(h, m, s)));
        w->Timer1Timer();
    }
    QAction *trayItem(const QString &name) const { return w->trayIcon()->contextMenu()->findChild<QAction *>(name); }
};

TEST_F(AlarmsTest, AnAlarmCoversTheWindowFlashesSoundsAndClearsWithAClick)
{
    start();
    EXPECT_FALSE(w->alarmPanelShown());
    checkAt(8, 59, 59);
    EXPECT_FALSE(w->alarmPanelShown());
    sound.played.clear();
    checkAt(9, 0, 30);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_TRUE(w->alarmShowing());
    EXPECT_EQ(w->alarmText(), u"Alarm \"Dentist\" at 9:00 AM ... click panel to clear"_s);
    // The built-in sound (no alarm.wav in the folder), looping by default.
    EXPECT_EQ(sound.played, QStringList{u"loop :/sounds/alarm.wav"_s});
    EXPECT_TRUE(w->timerPool().enabled(w->panelTrigger()));
    AlarmPanel *panel = w->alarmPanel();
    EXPECT_EQ(panel->geometry().bottom(), w->rect().bottom());
    EXPECT_GT(panel->width(), w->width() - 2);

    EXPECT_EQ(panel->colour(), QColor(0x00FF00));
    w->tmPanelColorTimer();
    EXPECT_EQ(panel->colour(), QColor(0xFFFF00));
    w->tmPanelColorTimer();
    EXPECT_EQ(panel->colour(), QColor(0x00FF00));

    // No check runs while it is up.
    const QDateTime checked = w->alarmWatch().lastChecked();
    checkAt(9, 10);
    EXPECT_EQ(w->alarmWatch().lastChecked(), checked);

    QTest::mouseClick(panel, Qt::LeftButton);
    EXPECT_FALSE(w->alarmPanelShown());
    EXPECT_FALSE(w->alarmShowing());
    EXPECT_FALSE(w->timerPool().enabled(w->panelTrigger()));
    EXPECT_EQ(sound.played.last(), u"stop"_s);
    EXPECT_TRUE(notifier.shown.isEmpty());  // the window was in sight
}

TEST_F(AlarmsTest, MinutesWhileThePanelIsUpAreCheckedOnceItIsCleared)
{
    start();
    checkAt(9, 0);
    ASSERT_TRUE(w->alarmPanelShown());
    checkAt(9, 31);  // 9:30 passes under the panel
    QTest::keyClick(w->alarmPanel(), Qt::Key_Return);  // the keyboard clears it too
    EXPECT_FALSE(w->alarmPanelShown());
    checkAt(9, 45);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(w->alarmText(), u"Alarm \"Call Ann\" at 9:30 AM ... click panel to clear"_s);
}

TEST_F(AlarmsTest, AStartAfterTheAlarmRaisesTheFirstAtOnce)
{
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    start();
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(w->alarmText(), u"Alarm \"Dentist\" at 9:00 AM ... click panel to clear (1 more missed)"_s);
}

// The start's check that raises nothing reaches the settings file after the
// first paint, and also when the window goes before its event loop ran; one
// that raises an alarm is on disk before the panel goes up.
TEST_F(AlarmsTest, TheStartsCheckIsStoredAfterTheFirstPaint)
{
    const auto stored = [&] { return readBytes(config.file("Task.conf")); };
    start();
    EXPECT_FALSE(w->alarmPanelShown());
    EXPECT_FALSE(stored().contains("AlarmCheckedMinute=480")) << "written before the first paint";
    (void)w->grab();
    ASSERT_TRUE(w->firstPaintDone());
    QCoreApplication::processEvents();
    EXPECT_TRUE(stored().contains("AlarmCheckedMinute=480"));

    w.reset();
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(8, 20)));
    start();
    w.reset();
    EXPECT_TRUE(stored().contains("AlarmCheckedMinute=500"));

    clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 5)));
    start();
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_TRUE(stored().contains("AlarmCheckedMinute=545"));
}

TEST_F(AlarmsTest, AStartCatchesUpOnlyTheMinutesNoRunHasChecked)
{
    // The first run raises the 9:00 alarm, which is cleared, and ends at 9:10.
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(8, 50)));
    start();
    checkAt(9, 0);
    ASSERT_TRUE(w->alarmPanelShown());
    QTest::mouseClick(w->alarmPanel(), Qt::LeftButton);
    checkAt(9, 10);
    EXPECT_EQ(settings.raw("Options", "AlarmCheckedDay"), u"46365"_s);
    EXPECT_EQ(settings.raw("Options", "AlarmCheckedMinute"), u"550"_s);

    // Started again at 10:00: 9:30 passed while nothing ran and is caught
    // up; 9:00 was raised already and is not.
    w.reset();
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    start();
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(w->alarmText(), u"Alarm \"Call Ann\" at 9:30 AM ... click panel to clear"_s);
    QTest::mouseClick(w->alarmPanel(), Qt::LeftButton);

    // Four more starts that morning, in the same minute and later: no panel.
    for (const QTime t : {QTime(10, 0, 40), QTime(10, 5), QTime(11, 0), QTime(11, 30)}) {
        w.reset();
        clock.set(QDateTime(QDate(2026, 12, 9), t));
        start();
        EXPECT_FALSE(w->alarmPanelShown()) << t.toString().toStdString();
    }
}

TEST_F(AlarmsTest, AnAlarmDueWhileAMessageBoxIsOpenComesAboveItAndIsCleared)
{
    start();
    bool shown = false, cleared = false, overTheBox = false;
    prompts.whileOpen = [&] {
        checkAt(9, 0);
        shown = w->alarmPanelShown();
        overTheBox = QApplication::activeModalWidget() == w->alarmPanel();
        clickAsAPerson(w->alarmPanel());
        cleared = !w->alarmShowing() && !w->alarmPanelShown();
    };
    // Nothing is selected in the empty to-do list: an error box.
    w->btDelClick(TfrmMain::Sender::tbDel2);
    EXPECT_EQ(errors(), QStringList{u"There is nothing selected to delete"_s});
    EXPECT_TRUE(shown);
    EXPECT_TRUE(overTheBox);
    EXPECT_TRUE(cleared);
    EXPECT_EQ(sound.played.last(), u"stop"_s);

    // With no box open the panel lies in the window again, under its menu.
    checkAt(9, 30);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_FALSE(w->alarmPanel()->isWindow());
    EXPECT_EQ(w->alarmPanel()->geometry().bottom(), w->rect().bottom());
    clickAsAPerson(w->alarmPanel());
    EXPECT_FALSE(w->alarmPanelShown());
}

TEST_F(AlarmsTest, ATaskWithoutATimeNeverRingsAndTheEditorSaysWhyItHasNoAlarm)
{
    writeBytes(data.file("grid.grd"), tasksOfToday({{u"All day"_s, u"Birthday"_s, u"Yes"_s},
                                                     {u"9:00 AM"_s, u"Dentist"_s, u"Yes"_s}}));
    start();
    checkAt(8, 1);
    EXPECT_FALSE(w->alarmPanelShown());
    checkAt(9, 0);
    EXPECT_EQ(w->alarmText(), u"Alarm \"Dentist\" at 9:00 AM ... click panel to clear"_s);
    QTest::mouseClick(w->alarmPanel(), Qt::LeftButton);
    checkAt(9, 1);
    EXPECT_FALSE(w->alarmPanelShown());

    // In the editor the switch is off and cannot be put on, and says why;
    // the task keeps its time.
    int row = 1;
    while (w->gridDay().cell(kDayNotes, row) != u"Birthday"_s)
        ++row;
    w->selectDayRow(row);
    bool enabled = true, checked = true, noteShown = false;
    QString why;
    runner.responders.append([&](QDialog &d) {
        auto &ed = dynamic_cast<TfrmEdit &>(d);
        enabled = ed.cbAlarm->isEnabled();
        checked = ed.cbAlarm->isChecked();
        why = ed.cbAlarm->toolTip();
        noteShown = !ed.lblAlarmNote->isHidden();
        ed.memMain->setPlainText(u"Birthday party"_s);
        ed.btOK->click();
        return ed.result();
    });
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    EXPECT_FALSE(enabled);
    EXPECT_FALSE(checked);
    EXPECT_EQ(why, u"An alarm needs a time of day; this task's time is \"All day\"."_s);
    EXPECT_TRUE(noteShown);
    row = 1;
    while (w->gridDay().cell(kDayNotes, row) != u"Birthday party"_s)
        ++row;
    EXPECT_EQ(w->gridDay().cell(kDayTime, row), u"All day"_s);
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, row), u"No"_s);

    // Given a time, it can have an alarm.
    w->selectDayRow(row);
    runner.responders.append([&](QDialog &d) {
        auto &ed = dynamic_cast<TfrmEdit &>(d);
        ed.dtTime->setTime(QTime(14, 0));
        enabled = ed.cbAlarm->isEnabled();
        noteShown = !ed.lblAlarmNote->isHidden();
        ed.cbAlarm->setChecked(true);
        ed.btOK->click();
        return ed.result();
    });
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(noteShown);
    row = 1;
    while (w->gridDay().cell(kDayNotes, row) != u"Birthday party"_s)
        ++row;
    EXPECT_EQ(w->gridDay().cell(kDayTime, row), FormatDateTime(u"t", TimeValue(14, 0), w->formats()));
    EXPECT_EQ(w->gridDay().cell(kDayAlarm, row), u"Yes"_s);
}

TEST_F(AlarmsTest, ThePanelShowsNotesAsTheyWereWritten)
{
    writeBytes(data.file("grid.grd"), tasksOfToday({{u"9:00 AM"_s, u"<b>Dentist</b> & <i>care</i>"_s, u"Yes"_s}}));
    start();
    w->Hidecalendar1Click();
    checkAt(9, 0);
    EXPECT_EQ(w->alarmText(), u"Alarm \"<b>Dentist</b> & <i>care</i>\" at 9:00 AM ... click panel to clear"_s);
    EXPECT_EQ(w->alarmPanel()->textFormat(), Qt::PlainText);
    // The desktop is handed the text; the notifier makes it safe for its markup.
    EXPECT_EQ(notifier.shown, QStringList{u"Morvane alarm|Alarm \"<b>Dentist</b> & <i>care</i>\" at 9:00 AM"_s});
}

TEST_F(AlarmsTest, AnAlarmBringsTheWindowBackFromTheTrayAndTellsTheDesktop)
{
    start();
    w->Hidecalendar1Click();
    EXPECT_FALSE(w->timerPool().enabled(w->clockTrigger()));
    checkAt(9, 0);
    EXPECT_TRUE(w->alarmPanelShown());
    EXPECT_FALSE(w->isHidden());
    EXPECT_TRUE(w->timerPool().enabled(w->clockTrigger()));
    EXPECT_EQ(notifier.shown, QStringList{u"Morvane alarm|Alarm \"Dentist\" at 9:00 AM"_s});

    // Hide stops the sound and leaves the alarm up; nothing is checked
    // until it is cleared.
    sound.played.clear();
    w->Hide1Click();
    EXPECT_EQ(sound.played, QStringList{u"stop"_s});
    EXPECT_TRUE(w->alarmShowing());
    EXPECT_FALSE(w->timerPool().enabled(w->panelTrigger()));
    checkAt(9, 30);
    EXPECT_EQ(notifier.shown.size(), 1);
    // "Calendar" brings it back flashing.
    w->Showcalendar1Click();
    EXPECT_TRUE(w->timerPool().enabled(w->panelTrigger()));
    EXPECT_TRUE(w->alarmPanelShown());
}

// A start into the notification area: the icon is there at once (the way
// back), and an alarm brings the window up with its sound and tells the
// desktop.
TEST_F(AlarmsTest, AStartInTheTrayHasItsIconAndRaisesAnAlarm)
{
    start(false);
    w->ReadSettings(true);
    EXPECT_NE(w->findChild<QSystemTrayIcon *>(), nullptr);
    EXPECT_EQ(w->trayIconName(), u"ICON9"_s);
    EXPECT_TRUE(w->isHidden());
    checkAt(8, 59);
    EXPECT_FALSE(w->alarmPanelShown());
    checkAt(9, 0);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_FALSE(w->isHidden());
    EXPECT_EQ(sound.played, QStringList{u"loop :/sounds/alarm.wav"_s});
    EXPECT_EQ(notifier.shown, QStringList{u"Morvane alarm|Alarm \"Dentist\" at 9:00 AM"_s});
}

// An alarm put off from its panel rises again with its text once its time
// has come: at the check of that minute, at the first check after a sleep,
// and after the program was ended and started again.
TEST_F(AlarmsTest, ASnoozedAlarmRisesAgainAfterItsTimeAlsoAfterARestart)
{
    start();
    QApplication::setActiveWindow(w.get());  // the keys go to the window in front
    checkAt(9, 0);
    ASSERT_TRUE(w->alarmPanelShown());
    const QString dentist = w->alarmText();
    sound.played.clear();
    clickAsAPerson(w->alarmPanel()->btSnooze5);
    EXPECT_FALSE(w->alarmPanelShown());
    EXPECT_EQ(sound.played, QStringList{u"stop"_s});
    checkAt(9, 4, 59);
    EXPECT_FALSE(w->alarmPanelShown());
    checkAt(9, 5);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(w->alarmText(), dentist);

    // "Snooze…" asks for the minutes (1 to 60, 10 the first time), keeps
    // the choice, and is reached from the keyboard too.
    prompts.numbers = {12};
    QTest::keyClick(w->alarmPanel(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_FALSE(w->alarmPanelShown());
    EXPECT_EQ(prompts.shown.last().text, u"Snooze|Minutes until the alarm sounds again:|10|1|60"_s);
    EXPECT_EQ(settings.read(kSnoozeMinutesSetting), 12);
    ASSERT_EQ(w->snoozes().all().size(), 1u);
    EXPECT_EQ(w->snoozes().all()[0].due, QDateTime(QDate(2026, 12, 9), QTime(9, 17)));

    // Ended and started again: the snooze is still there.
    w.reset();
    start();
    QApplication::setActiveWindow(w.get());
    checkAt(9, 16);
    EXPECT_FALSE(w->alarmPanelShown());
    checkAt(9, 17);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(w->alarmText(), dentist);

    // Cancelled, "Snooze…" leaves the alarm up.
    QTest::keyClick(w->alarmPanel(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(settings.read(kSnoozeMinutesSetting), 12);

    // Put off to 9:22, then the machine sleeps until 11:00: the 9:30 alarm
    // missed meanwhile comes first, the snoozed one at the next check.
    QTest::keyClick(w->alarmPanel(), Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(w->alarmPanelShown());
    checkAt(11, 0);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_TRUE(w->alarmText().contains(u"Call Ann"_s)) << w->alarmText().toStdString();
    QTest::mouseClick(w->alarmPanel(), Qt::LeftButton);
    checkAt(11, 1);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(w->alarmText(), dentist);
    QTest::mouseClick(w->alarmPanel(), Qt::LeftButton);
    EXPECT_TRUE(w->snoozes().all().empty());
    EXPECT_EQ(settings.read(IntSetting{"Snooze", "Count", -1}), 0);
}

// With the window out of sight, the desktop's notification carries the
// panel's buttons; pressing one there does what the panel's does.
TEST_F(AlarmsTest, TheNotificationSnoozesAndClearsTheAlarm)
{
    settings.write(kSnoozeMinutesSetting, 15);
    start();
    w->Hidecalendar1Click();
    checkAt(9, 0);
    ASSERT_EQ(notifier.actions.size(), 1);
    EXPECT_EQ(notifier.actions[0],
              QStringList({u"snooze:5=Snooze 5 min"_s, u"snooze:15=Snooze 15 min"_s, u"clear=Clear"_s}));
    notifier.press(u"snooze:15"_s);
    EXPECT_FALSE(w->alarmPanelShown());
    EXPECT_EQ(notifier.withdrawn, 1);
    ASSERT_EQ(w->snoozes().all().size(), 1u);
    EXPECT_EQ(w->snoozes().all()[0].due, QDateTime(QDate(2026, 12, 9), QTime(9, 15)));
    checkAt(9, 15);
    ASSERT_TRUE(w->alarmPanelShown());
    notifier.press(u"clear"_s);
    EXPECT_FALSE(w->alarmPanelShown());
    // A press on an alarm no longer up does nothing.
    notifier.press(u"snooze:5"_s);
    EXPECT_TRUE(w->snoozes().all().empty());
}

TEST_F(AlarmsTest, DailyAlarmsAreReadAtStartAndComeFirst)
{
    // A start in the notification area: the window is never shown.
    settings.writeText("DailyOptions", "Daily2", u"1"_s);
    settings.writeText("DailyOptions", "Time2", u"9:00 AM"_s);
    settings.writeText("DailyOptions", "Edit2", u"Pills"_s);
    start(false);
    EXPECT_EQ(w->dailyAlarms().alarms[1].description, u"Pills"_s);
    checkAt(8, 59);
    checkAt(9, 0);
    ASSERT_TRUE(w->alarmPanelShown());
    EXPECT_EQ(w->alarmText(), u"Daily alarm \"Pills\" ... click panel to clear (1 more missed)"_s);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(AlarmsTest, TheDailyAlarmsDialogStoresAnAlarmThatThenSounds)
{
    // Started in the notification area: the dialog from the tray menu shows
    // the stored alarms, not empty rows.
    settings.writeText("DailyOptions", "Daily1", u"1"_s);
    settings.writeText("DailyOptions", "Time1", u"7:00 AM"_s);
    settings.writeText("DailyOptions", "Edit1", u"Wake up"_s);
    start(false);
    QStringList seen;
    runner.responders.append([&](QDialog &d) {
        auto &dlg = dynamic_cast<TfrmDailyTimer &>(d);
        seen << dlg.row(1).edit->text() << dlg.row(1).time->time().toString(u"hh:mm"_s);
        const TfrmDailyTimer::Row r = dlg.row(2);
        r.ok->setChecked(true);
        r.time->setTime(QTime(8, 45));
        r.edit->setText(u"Stand up"_s);
        dlg.btOK->click();
        return dlg.result();
    });
    trayItem(u"Dailyalarms1"_s)->trigger();
    EXPECT_EQ(seen, (QStringList{u"Wake up"_s, u"07:00"_s}));
    EXPECT_EQ(settings.raw("DailyOptions", "Edit2"), u"Stand up"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Edit1"), u"Wake up"_s);
    checkAt(8, 44);
    EXPECT_FALSE(w->alarmShowing());
    checkAt(8, 45);
    EXPECT_EQ(w->alarmText(), u"Daily alarm \"Stand up\" ... click panel to clear"_s);

    // The same command is on the File menu (Alt+D) and the toolbar.
    QAction *menuItem = w->menuBar()->findChild<QAction *>(u"Dailytimer1"_s);
    ASSERT_TRUE(menuItem);
    EXPECT_EQ(menuItem->shortcut(), QKeySequence(u"Alt+D"_s));
    QAction *button = w->findChild<QAction *>(u"btDailyAlarms"_s);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->toolTip(), u"Daily alarms"_s);
    runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
    button->trigger();
    EXPECT_EQ(runner.shownTitles.size(), 2);
}

TEST_F(AlarmsTest, AlarmsSoundWhateverTheFilterHides)
{
    start();
    w->filter().setCategories({{u"Work"_s, false}});
    checkAt(8, 59);
    checkAt(9, 0);
    EXPECT_TRUE(w->alarmPanelShown());
}

TEST_F(AlarmsTest, ChimesSoundOnceInTheFirstFifteenSecondsOfTheHourAndHalfHour)
{
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 50)));
    start();
    EXPECT_TRUE(w->timerPool().enabled(w->chimeTrigger()));
    auto chimeAt = [&](int h, int m, int s) {
        sound.played.clear();
        clock.set(QDateTime(QDate(2026, 12, 9), QTime(h, m, s)));
        w->HourlyChime(false, false);
        return sound.played;
    };
    EXPECT_EQ(chimeAt(9, 59, 59), QStringList());
    EXPECT_EQ(chimeAt(10, 0, 0), QStringList{u"resource BIGBENWAV"_s});
    EXPECT_EQ(chimeAt(10, 0, 14), QStringList());  // a second look in the same window
    EXPECT_EQ(chimeAt(10, 30, 14), QStringList{u"resource CHIMES"_s});
    EXPECT_EQ(chimeAt(11, 0, 15), QStringList());
    EXPECT_EQ(chimeAt(11, 15, 0), QStringList());

    // Muted from the tray menu until unmuted.
    QAction *mute = trayItem(u"Mutechimes1"_s);
    ASSERT_TRUE(mute);
    mute->trigger();
    EXPECT_TRUE(w->chimesMuted());
    EXPECT_EQ(chimeAt(12, 0, 1), QStringList());
    // The options' test buttons sound even then.
    sound.played.clear();
    w->frmOptions()->btTestHour->click();
    w->frmOptions()->btHalfTest->click();
    EXPECT_EQ(sound.played, (QStringList{u"resource BIGBENWAV"_s, u"resource CHIMES"_s}));
    w->Mutechimes1Click();
    EXPECT_EQ(chimeAt(12, 30, 1), QStringList{u"resource CHIMES"_s});

    // The hour chime alone; then neither, which stops the trigger.
    w->frmOptions()->cbHalfChime->setChecked(false);
    w->ReadSettings(false);
    EXPECT_EQ(chimeAt(13, 30, 0), QStringList());
    EXPECT_EQ(chimeAt(14, 0, 0), QStringList{u"resource BIGBENWAV"_s});
    w->frmOptions()->cbHourChime->setChecked(false);
    w->ReadSettings(false);
    EXPECT_FALSE(w->timerPool().enabled(w->chimeTrigger()));
}

TEST_F(AlarmsTest, TheTrayShowsTheDayOfTheMonthAndItsMenu)
{
    clock.set(QDateTime(QDate(2026, 12, 31), QTime(23, 59)));
    start();
    EXPECT_EQ(w->trayIconName(), u"ICON31"_s);
    // The locale's long date.
    const QString hint = w->trayIcon()->toolTip();
    EXPECT_TRUE(hint.startsWith(u"Today is Thursday"_s) && hint.contains(u"31"_s)) << hint.toStdString();
    // Just after midnight the minute check moves it on.
    clock.set(QDateTime(QDate(2027, 1, 1), QTime(0, 1)));
    w->Timer1Timer();
    EXPECT_EQ(w->trayIconName(), u"ICON1"_s);
    w->frmOptions()->cbIconDay->setChecked(false);
    w->ReadSettings(false);
    EXPECT_EQ(w->trayIconName(), u"MAINICON"_s);

    QStringList items;
    for (QAction *a : w->trayIcon()->contextMenu()->actions())
        items << (a->isSeparator() ? u"-"_s : a->text());
    EXPECT_EQ(items, (QStringList{u"Calendar"_s, u"Daily alarms"_s, u"Mute chimes?"_s, u"-"_s, u"Exit Morvane"_s}));
}

}  // namespace
