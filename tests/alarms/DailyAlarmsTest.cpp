// The daily alarms as they are kept in the settings and when they are due.

#include "DailyAlarms.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

class DailyAlarmsTest : public ::testing::Test {
protected:
    TempFolder config;
    SettingsStore settings{config.file("Task.conf")};
    FormatSettings fs = FormatSettings::enUS();
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(14, 25, 40))};
};

TEST_F(DailyAlarmsTest, NothingStoredLeavesEveryRecordOffAtMidnightOnEveryWeekday)
{
    // Every weekday: an alarm switched on later, with a time and a text,
    // must sound rather than wait for a weekday nobody thought to tick.
    DailyAlarms d;
    d.read(settings, fs, clock);
    for (const TDailyAlarm &a : d.alarms)
        EXPECT_EQ(a, (TDailyAlarm{false, 0, 0, QString(), {true, true, true, true, true, true, true}}));
}

TEST_F(DailyAlarmsTest, ReadingFollowsTheStoredValuesAndTheirDefaults)
{
    // Record 1 whole; record 2 with only a time (weekdays default on);
    // record 3 enabled without a time, so its other fields stay; record 4
    // with a time that is not one, read as the clock's time of day.
    settings.writeText("DailyOptions", "Daily1", u"1"_s);
    settings.writeText("DailyOptions", "Time1", u"7:05:00 AM"_s);
    settings.writeText("DailyOptions", "Edit1", QString(100, u'x'));
    settings.writeText("DailyOptions", "Sun1", u"0"_s);
    settings.writeText("DailyOptions", "Sat1", u"0"_s);
    settings.writeText("DailyOptions", "Time2", u"10:30 PM"_s);
    settings.writeText("DailyOptions", "Daily3", u"1"_s);
    settings.writeText("DailyOptions", "Edit3", u"never read"_s);
    settings.writeText("DailyOptions", "Time4", u"soon"_s);

    DailyAlarms d;
    d.alarms[2].description = u"kept"_s;
    d.read(settings, fs, clock);
    const TDailyAlarm &a = d.alarms[0];
    EXPECT_TRUE(a.enabled);
    EXPECT_EQ(a.hour, 7);
    EXPECT_EQ(a.minute, 5);
    EXPECT_EQ(a.description, QString(80, u'x'));
    EXPECT_EQ(a.days, (std::array<bool, 7>{false, true, true, true, true, true, false}));
    EXPECT_FALSE(d.alarms[1].enabled);
    EXPECT_EQ(d.alarms[1].hour, 22);
    EXPECT_EQ(d.alarms[1].days, (std::array<bool, 7>{true, true, true, true, true, true, true}));
    EXPECT_TRUE(d.alarms[2].enabled);
    EXPECT_EQ(d.alarms[2].description, u"kept"_s);
    EXPECT_EQ(d.alarms[3].hour, 14);
    EXPECT_EQ(d.alarms[3].minute, 25);
}

TEST_F(DailyAlarmsTest, SavingWritesAllTenRecordsAndReadsBack)
{
    DailyAlarms d;
    d.alarms[0] = {true, 6, 45, u"Walk the dog"_s, {true, false, true, false, true, false, true}};
    d.alarms[9] = {false, 23, 59, u"Last"_s, {false, false, false, false, false, false, true}};
    d.save(settings, fs);
    EXPECT_EQ(settings.raw("DailyOptions", "Time1"), u"6:45:00 AM"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Daily1"), u"1"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Mon1"), u"0"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Time5"), u"12:00:00 AM"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Sat10"), u"1"_s);

    DailyAlarms back;
    back.read(settings, fs, clock);
    EXPECT_EQ(back.alarms, d.alarms);

    // The 80-character cut never keeps half of a character written as two
    // UTF-16 units (an emoji across the 80th place).
    const QString long80 = QString(79, u'x') + u"\U0001F514"_s + u"after"_s;
    d.alarms[1].description = long80;
    d.save(settings, fs);
    EXPECT_EQ(settings.raw("DailyOptions", "Edit2"), QString(79, u'x'));
    settings.writeText("DailyOptions", "Edit2", long80);
    back.read(settings, fs, clock);
    EXPECT_EQ(back.alarms[1].description, QString(79, u'x'));
}

TEST_F(DailyAlarmsTest, MidnightIsATimeAndAStoredMidnightOfOldMeansNone)
{
    // A chosen midnight: stored as the same time text as ever, plus a mark
    // that copies without it pass over.
    DailyAlarms d;
    d.alarms[0] = {true, 0, 0, u"Take the bins out"_s, {true, true, true, true, true, true, true}, true};
    d.save(settings, fs);
    EXPECT_EQ(settings.raw("DailyOptions", "Time1"), u"12:00:00 AM"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Midnight1"), u"1"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Midnight2"), u"0"_s);
    EXPECT_EQ(CheckDailyAlarms(d.alarms), std::nullopt);
    EXPECT_TRUE(DailyAlarmDue(d.alarms[0], QDate(2026, 12, 10), 0, 0));
    DailyAlarms back;
    back.read(settings, fs, clock);
    EXPECT_EQ(back.alarms, d.alarms);

    // Records stored without the mark keep their meaning: 00:00 is no time.
    settings.writeText("DailyOptions", "Time3", u"12:00:00 AM"_s);
    settings.writeText("DailyOptions", "Daily3", u"1"_s);
    settings.writeText("DailyOptions", "Edit3", u"Old"_s);
    back.read(settings, fs, clock);
    EXPECT_FALSE(back.alarms[2].midnight);
    EXPECT_FALSE(back.alarms[2].hasTime());
    const std::optional<DailyAlarmProblem> p = CheckDailyAlarms(back.alarms);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->row, 3);
    EXPECT_EQ(p->message, u"The alarm time must be set"_s);
    // A mark beside another time changes nothing.
    settings.writeText("DailyOptions", "Time3", u"6:00:00 AM"_s);
    settings.writeText("DailyOptions", "Midnight3", u"1"_s);
    back.read(settings, fs, clock);
    EXPECT_FALSE(back.alarms[2].midnight);
    EXPECT_EQ(back.alarms[2].hour, 6);
}

}  // namespace
}  // namespace morvane
