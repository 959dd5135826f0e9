// Which alarm the minute check raises, over every minute since the check
// before it.

#include "AlarmScan.h"
#include "Clock.h"
#include "TaskTables.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

struct Task {
    QDate day;
    QString time;
    QString notes;
    bool alarm = true;
};

Grid StoreOf(const std::vector<Task> &tasks)
{
    Grid g = NewStoreGrid();
    g.setRowCount(int(tasks.size()) + 1);
    int r = 1;
    for (const Task &t : tasks) {
        g.setCell(kStoreKey, r, MakeStoreKey(DayNumber(t.day), 100 + r));
        g.setCell(kStoreTime, r, t.time);
        g.setCell(kStoreCategory, r, u"Work"_s);
        g.setCell(kStoreNotes, r, t.notes);
        g.setCell(kStoreDone, r, u"No"_s);
        g.setCell(kStoreAlarm, r, t.alarm ? u"Yes"_s : u"No"_s);
        ++r;
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    return g;
}

class AlarmScanTest : public ::testing::Test {
protected:
    const QDate today{2026, 12, 9};  // a Wednesday
    FormatSettings fs = FormatSettings::enUS();
    FixedClock clock{QDateTime(today, QTime(8, 0))};
    DailyAlarms daily;
    AlarmSettings settings;
    AlarmWatch watch;
    Grid store = NewStoreGrid();

    // One check at hh:mm:ss today (or on `day`).
    std::optional<RaisedAlarm> at(int h, int m, int s = 0, QDate day = {})
    {
        clock.set(QDateTime(day.isValid() ? day : today, QTime(h, m, s)));
        return watch.check(clock.now(), store, daily, settings, fs);
    }
    QString text(const std::optional<RaisedAlarm> &a) const { return a ? a->panelText(today, fs) : u"none"_s; }
};

TEST_F(AlarmScanTest, ATaskSoundsInItsMinuteLessTheLeadTime)
{
    store = StoreOf({{today, u"9:00 AM"_s, u"Dentist"_s}});
    EXPECT_EQ(text(at(8, 58)), u"none"_s);
    EXPECT_EQ(text(at(8, 59, 59)), u"none"_s);
    EXPECT_EQ(text(at(9, 0, 40)), u"Alarm \"Dentist\" at 9:00 AM ... click panel to clear"_s);
    EXPECT_EQ(text(at(9, 1)), u"none"_s);

    // With a lead of 15 minutes it sounds at 8:45, still naming 9:00.
    AlarmWatch lead;
    watch = lead;
    settings.leadMinutes = 15;
    EXPECT_EQ(text(at(8, 44)), u"none"_s);
    EXPECT_EQ(text(at(8, 45)), u"Alarm \"Dentist\" at 9:00 AM ... click panel to clear"_s);
    EXPECT_EQ(text(at(9, 0)), u"none"_s);
}

TEST_F(AlarmScanTest, TwoChecksInOneMinuteRaiseOnce)
{
    store = StoreOf({{today, u"9:00 AM"_s, u"Dentist"_s}});
    EXPECT_EQ(text(at(8, 59, 30)), u"none"_s);
    EXPECT_TRUE(at(9, 0, 1));
    EXPECT_FALSE(at(9, 0, 58));  // the trigger ran early: same minute
    EXPECT_FALSE(at(9, 1, 2));
}

TEST_F(AlarmScanTest, AMinuteWithoutACheckIsCaughtUpByTheNext)
{
    store = StoreOf({{today, u"9:00 AM"_s, u"Dentist"_s}});
    EXPECT_FALSE(at(8, 59, 59));
    EXPECT_EQ(text(at(9, 1, 0)), u"Alarm \"Dentist\" at 9:00 AM ... click panel to clear"_s);
}

TEST_F(AlarmScanTest, AfterALongGapTheFirstIsRaisedAndTheOthersCounted)
{
    // The machine slept from 9:00 to 12:00 over five alarms.
    store = StoreOf({{today, u"9:30 AM"_s, u"Second"_s},
                     {today, u"11:59 AM"_s, u"Fourth"_s},
                     {today, u"9:10 AM"_s, u"First"_s},
                     {today, u"10:00 AM"_s, u"Third"_s, false},
                     {today, u"12:01 PM"_s, u"Later"_s}});
    daily.alarms[0] = {true, 10, 15, u"Stretch"_s, {true, true, true, true, true, true, true}};
    daily.alarms[1] = {true, 12, 0, u"Lunch"_s, {true, true, true, true, true, true, true}};
    EXPECT_FALSE(at(9, 0));
    EXPECT_EQ(text(at(12, 0, 20)), u"Alarm \"First\" at 9:10 AM ... click panel to clear (4 more missed)"_s);
    EXPECT_EQ(text(at(12, 1)), u"Alarm \"Later\" at 12:01 PM ... click panel to clear"_s);

    // A gap over midnight names the day of an alarm that was not today's.
    AlarmWatch fresh;
    watch = fresh;
    store = StoreOf({{today.addDays(-1), u"11:00 PM"_s, u"Late"_s}, {today, u"6:00 AM"_s, u"Early"_s}});
    daily = {};
    EXPECT_FALSE(at(22, 0, 0, today.addDays(-1)));
    EXPECT_EQ(text(at(7, 0)), u"Alarm \"Late\" at 11:00 PM on 12/8/2026 ... click panel to clear (1 more missed)"_s);
}

TEST_F(AlarmScanTest, ACatchUpReachesBackAMonthAndNoFurther)
{
    // Asleep for 35 days: an alarm of 35 days ago is history, one of 30
    // days ago is the first missed.
    const QDate slept = today.addDays(-35);
    store = StoreOf({{slept.addDays(0), u"9:30 AM"_s, u"Too old"_s}, {today.addDays(-30), u"9:30 AM"_s, u"Missed"_s}});
    EXPECT_FALSE(at(9, 0, 0, slept));
    EXPECT_EQ(text(at(8, 0)), u"Alarm \"Missed\" at 9:30 AM on 11/9/2026 ... click panel to clear"_s);
}

TEST_F(AlarmScanTest, TheFirstCheckCatchesUpTodaysPassedAlarmOnce)
{
    store = StoreOf({{today.addDays(-1), u"9:00 AM"_s, u"Yesterday"_s},
                     {today, u"8:00 AM"_s, u"Eight"_s},
                     {today, u"9:00 AM"_s, u"Nine"_s},
                     {today, u"11:00 AM"_s, u"Eleven"_s}});
    EXPECT_TRUE(watch.firstAlarmCheck());
    EXPECT_EQ(text(at(10, 0)), u"Alarm \"Eight\" at 8:00 AM ... click panel to clear (1 more missed)"_s);
    EXPECT_FALSE(watch.firstAlarmCheck());
    EXPECT_FALSE(at(10, 1));
    EXPECT_EQ(text(at(11, 0)), u"Alarm \"Eleven\" at 11:00 AM ... click panel to clear"_s);
}

TEST_F(AlarmScanTest, AStartCatchesUpOnlyMinutesNoRunChecked)
{
    store = StoreOf({{today, u"8:00 AM"_s, u"Eight"_s},
                     {today, u"9:00 AM"_s, u"Nine"_s},
                     {today, u"11:00 AM"_s, u"Eleven"_s}});
    daily.alarms[0] = {true, 9, 0, u"Pills"_s, {true, true, true, true, true, true, true}};
    // A run checked up to 8:30: a start at 10:00 catches up 9:00 alone.
    watch.resume(QDateTime(today, QTime(8, 30)));
    EXPECT_EQ(text(at(10, 0)), u"Alarm \"Nine\" at 9:00 AM ... click panel to clear"_s);
    EXPECT_FALSE(watch.firstAlarmCheck());

    // A run that checked 9:00 and ended in that minute: a start in the
    // same minute raises neither the daily alarm nor the task again, and the
    // next minute goes on as usual.
    watch = AlarmWatch{};
    watch.resume(QDateTime(today, QTime(9, 0)));
    EXPECT_FALSE(at(9, 0, 50));
    EXPECT_FALSE(at(9, 1));
    EXPECT_FALSE(watch.firstAlarmCheck());

    // A run of yesterday: today's passed alarms are all caught up.
    watch = AlarmWatch{};
    watch.resume(QDateTime(today.addDays(-1), QTime(23, 0)));
    EXPECT_EQ(text(at(10, 0)), u"Alarm \"Eight\" at 8:00 AM ... click panel to clear (1 more missed)"_s);

    // A minute ahead of the clock by days (a clock set back since) is not
    // believed: the start catches up as if none were stored.
    watch = AlarmWatch{};
    watch.resume(QDateTime(today.addDays(5), QTime(9, 0)));
    EXPECT_EQ(text(at(10, 0)), u"Alarm \"Eight\" at 8:00 AM ... click panel to clear (1 more missed)"_s);

    // Within the hour repeated when summer time ends, those minutes were
    // checked.
    watch = AlarmWatch{};
    watch.resume(QDateTime(today, QTime(10, 30)));
    EXPECT_FALSE(at(10, 0));
    EXPECT_EQ(text(at(11, 0)), u"Alarm \"Eleven\" at 11:00 AM ... click panel to clear"_s);
}

TEST_F(AlarmScanTest, TheLastMinuteCheckedIsKeptInTheSettings)
{
    TempFolder config;
    SettingsStore settings(config.file("Task.conf"));
    EXPECT_FALSE(ReadAlarmChecked(settings).isValid());
    WriteAlarmChecked(settings, QDateTime(today, QTime(9, 41, 30)));
    EXPECT_EQ(settings.raw("Options", "AlarmCheckedDay"), u"46365"_s);
    EXPECT_EQ(settings.raw("Options", "AlarmCheckedMinute"), u"581"_s);
    EXPECT_EQ(ReadAlarmChecked(settings), QDateTime(today, QTime(9, 41)));
    // A minute that is not one of the day's is no minute at all.
    settings.writeText("Options", "AlarmCheckedMinute", u"1440"_s);
    EXPECT_FALSE(ReadAlarmChecked(settings).isValid());
}

TEST_F(AlarmScanTest, ATaskWhoseTimeIsNotATimeNeverRings)
{
    store = StoreOf({{today, u"All day"_s, u"Birthday"_s}, {today, u"9:00 AM"_s, u"Dentist"_s}});
    EXPECT_FALSE(at(8, 0));  // the first check, which catches up
    EXPECT_FALSE(at(8, 1));
    EXPECT_EQ(text(at(9, 0)), u"Alarm \"Dentist\" at 9:00 AM ... click panel to clear"_s);
    EXPECT_FALSE(at(9, 1));
    EXPECT_FALSE(at(13, 0));  // after a gap
}

TEST_F(AlarmScanTest, TheCatchUpWaitsForADayWithTasksAndForAlarmsToBeLookedFor)
{
    // Alarms switched off: nothing is looked for and the catch-up stays.
    settings.playAlarm = false;
    store = StoreOf({{today, u"8:00 AM"_s, u"Eight"_s}});
    EXPECT_FALSE(at(10, 0));
    EXPECT_TRUE(watch.firstAlarmCheck());
    settings.playAlarm = true;
    EXPECT_EQ(text(at(10, 1)), u"Alarm \"Eight\" at 8:00 AM ... click panel to clear"_s);

    // A day without tasks keeps it too.
    AlarmWatch fresh;
    watch = fresh;
    store = StoreOf({{today.addDays(1), u"8:00 AM"_s, u"Tomorrow"_s}});
    EXPECT_FALSE(at(10, 0));
    EXPECT_TRUE(watch.firstAlarmCheck());
}

TEST_F(AlarmScanTest, DailyAlarmsComeBeforeTasksOfTheSameMinute)
{
    store = StoreOf({{today, u"9:00 AM"_s, u"Task"_s}});
    daily.alarms[3] = {true, 9, 0, QString(100, u'd'), {false, false, false, true, false, false, false}};
    EXPECT_FALSE(at(8, 59));
    EXPECT_EQ(text(at(9, 0)),
              u"Daily alarm \""_s + QString(40, u'd') + u"\" ... click panel to clear (1 more missed)"_s);
    // Not on another weekday, and never with a blank description.
    AlarmWatch fresh;
    watch = fresh;
    store = NewStoreGrid();
    EXPECT_FALSE(at(8, 59, 0, today.addDays(1)));
    EXPECT_FALSE(at(9, 0, 0, today.addDays(1)));
    daily.alarms[3].description = u"   "_s;
    EXPECT_FALSE(at(8, 59));
    EXPECT_FALSE(at(9, 0));
}

TEST_F(AlarmScanTest, TheLowestDailyRecordWinsAndBlankOrOffRecordsNeverSound)
{
    const std::array<bool, 7> every{true, true, true, true, true, true, true};
    daily.alarms[0] = {true, 9, 0, u"  "_s, every};     // blank: never due
    daily.alarms[1] = {false, 9, 0, u"off"_s, every};   // not enabled
    daily.alarms[2] = {true, 9, 0, u"third"_s, every};
    daily.alarms[3] = {true, 9, 0, u"fourth"_s, every};
    daily.alarms[4] = {true, 9, 1, u"weekend only"_s, {true, false, false, false, false, false, true}};
    // Wednesday 9 December 2026, any second of 9:00.
    EXPECT_FALSE(at(8, 59, 59));
    EXPECT_EQ(text(at(9, 0, 59)), u"Daily alarm \"third\" ... click panel to clear (1 more missed)"_s);
    EXPECT_FALSE(at(9, 1));
    // Saturday, checked afresh (not catching up the days between).
    watch = AlarmWatch{};
    EXPECT_EQ(text(at(9, 1, 0, today.addDays(3))), u"Daily alarm \"weekend only\" ... click panel to clear"_s);
}

TEST_F(AlarmScanTest, TaskRowsThatAreNotAlarmsOrHaveNoTimeAreSkipped)
{
    store = StoreOf({{today, u""_s, u"No time"_s},
                     {today, u"9:00 AM"_s, u"Off"_s, false},
                     {today, u"9:00 AM"_s, QString(50, u'x')}});
    store.setCell(kStoreAlarm, 2, u"yes"_s);  // exactly "Yes" counts
    EXPECT_FALSE(at(8, 59));
    EXPECT_EQ(text(at(9, 0)), u"Alarm \""_s + QString(40, u'x') + u"\" at 9:00 AM ... click panel to clear"_s);
}

TEST_F(AlarmScanTest, ThePanelsCutNeverSplitsACharacter)
{
    // A character outside the basic plane (two code units) across the 40th
    // place is left out whole, never halved into a broken character.
    const QString face = QString::fromUcs4(U"\U0001F600");
    RaisedAlarm task;
    task.what = QString(39, u'x') + face + u"tail"_s;
    task.time = u"9:00 AM"_s;
    EXPECT_EQ(task.panelText(today, fs), u"Alarm \""_s + QString(39, u'x') + u"\" at 9:00 AM ... click panel to clear"_s);
    RaisedAlarm dailyAlarm;
    dailyAlarm.daily = true;
    dailyAlarm.what = QString(38, u'd') + face + u"tail"_s;  // ends right at the 40th place: kept
    EXPECT_EQ(dailyAlarm.panelText(today, fs),
              u"Daily alarm \""_s + QString(38, u'd') + face + u"\" ... click panel to clear"_s);
}

TEST_F(AlarmScanTest, ALeadTimeOverMidnightReachesTomorrowsEarlyTasks)
{
    settings.leadMinutes = 15;
    store = StoreOf({{today.addDays(1), u"12:05 AM"_s, u"Midnight train"_s}});
    EXPECT_FALSE(at(23, 49));
    const auto a = at(23, 50);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->day, today.addDays(1));
    EXPECT_EQ(a->time, u"12:05 AM"_s);
}

TEST_F(AlarmScanTest, ClockChangesNeitherRepeatNorStopAlarms)
{
    const QDate back = today.addDays(-3);
    store = StoreOf({{back, u"9:00 AM"_s, u"Back"_s}, {today, u"1:30 AM"_s, u"Night"_s}});
    EXPECT_FALSE(at(1, 0));
    EXPECT_TRUE(at(1, 59));
    // Summer time ends: 1:00 to 1:59 again, checked already.
    EXPECT_FALSE(at(1, 0));
    EXPECT_FALSE(at(1, 31));
    // A clock set back by days starts afresh from the minute it shows.
    EXPECT_FALSE(at(8, 0, 0, back));
    EXPECT_FALSE(at(8, 59, 0, back));
    EXPECT_EQ(text(at(9, 0, 0, back)), u"Alarm \"Back\" at 9:00 AM on 12/6/2026 ... click panel to clear"_s);
}

}  // namespace
}  // namespace morvane
