#include "Clock.h"
#include "RecurrencePatterns.h"
#include "TaskTables.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {
QList<QDate> dates(std::initializer_list<QDate> d) { return QList<QDate>(d); }
}  // namespace

TEST(Recurrence, MonthArithmetic)
{
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_EQ(LastDayOfMonth(1900, 2), 28);
    EXPECT_EQ(LastDayOfMonth(2000, 2), 29);
    EXPECT_EQ(LastDayOfMonth(2026, 4), 30);
    int m = 11, y = 2026;
    incrementMonth(m, y, 3);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(y, 2027);
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 2, 3), 8);   // 2nd Tuesday
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 5, 5), 31);  // last Thursday
    EXPECT_EQ(NthWeekdayOfMonth(2026, 2, 4, 1), 22);   // 4th Sunday
}

TEST(Recurrence, DailyAvoidsWeekendsByDroppingThem)
{
    RecurrenceRule s;
    s.pattern = RecurPattern::Daily;
    s.dailyAvoidSat = s.dailyAvoidSun = true;
    // Monday 7 to Sunday 13 December 2026.
    EXPECT_EQ(GenerateDates(s, QDate(2026, 12, 7), QDate(2026, 12, 13)),
              dates({QDate(2026, 12, 7), QDate(2026, 12, 8), QDate(2026, 12, 9), QDate(2026, 12, 10),
                     QDate(2026, 12, 11)}));
    s.everyDays = 2;
    s.dailyAvoidSun = false;  // from a Thursday: Thu, (Sat dropped), Mon, Wed, Fri, Sun
    EXPECT_EQ(GenerateDates(s, QDate(2026, 12, 10), QDate(2026, 12, 20)),
              dates({QDate(2026, 12, 10), QDate(2026, 12, 14), QDate(2026, 12, 16), QDate(2026, 12, 18),
                     QDate(2026, 12, 20)}));
}

TEST(Recurrence, WeeklyFromAWednesday)
{
    RecurrenceRule s;
    s.pattern = RecurPattern::Weekly;
    s.everyWeeks = 2;
    s.weeklyDays[1] = s.weeklyDays[5] = true;  // Mon, Fri
    EXPECT_EQ(GenerateDates(s, QDate(2026, 12, 9), QDate(2027, 1, 8)),
              dates({QDate(2026, 12, 11), QDate(2026, 12, 21), QDate(2026, 12, 25), QDate(2027, 1, 4),
                     QDate(2027, 1, 8)}));
}

TEST(Recurrence, DaysOfMonthAndWeekOfMonth)
{
    RecurrenceRule s;
    s.pattern = RecurPattern::DaysOfMonth;
    s.selectedDays[14] = s.selectedDays[30] = true;  // 15 and 31
    const QList<QDate> got = GenerateDates(s, QDate(2026, 1, 1), QDate(2026, 6, 30));
    EXPECT_EQ(got, dates({QDate(2026, 1, 15), QDate(2026, 1, 31), QDate(2026, 2, 15), QDate(2026, 3, 15),
                          QDate(2026, 3, 31), QDate(2026, 4, 15), QDate(2026, 5, 15), QDate(2026, 5, 31),
                          QDate(2026, 6, 15)}));
    // Across the turn of the year, January included.
    RecurrenceRule fifteenth;
    fifteenth.pattern = RecurPattern::DaysOfMonth;
    fifteenth.selectedDays[14] = true;
    EXPECT_EQ(GenerateDates(fifteenth, QDate(2026, 12, 1), QDate(2027, 2, 28)),
              dates({QDate(2026, 12, 15), QDate(2027, 1, 15), QDate(2027, 2, 15)}));
    s.dofmAvoidSun = true;  // 15 March 2026 is a Sunday
    EXPECT_FALSE(GenerateDates(s, QDate(2026, 1, 1), QDate(2026, 6, 30)).contains(QDate(2026, 3, 15)));

    RecurrenceRule w;
    w.pattern = RecurPattern::WeekOfMonth;
    w.ordinals[1] = w.ordinals[4] = true;  // 2nd and Last
    w.wofmDays[2] = w.wofmDays[4] = true;  // Tue and Thu
    EXPECT_EQ(GenerateDates(w, QDate(2026, 12, 1), QDate(2026, 12, 31)),
              dates({QDate(2026, 12, 8), QDate(2026, 12, 10), QDate(2026, 12, 29), QDate(2026, 12, 31)}));
    // A start inside the month drops that month's earlier occurrences.
    EXPECT_EQ(GenerateDates(w, QDate(2026, 12, 9), QDate(2026, 12, 31)).first(), QDate(2026, 12, 10));
    w.everyMonthsWofM = 2;
    EXPECT_EQ(GenerateDates(w, QDate(2026, 12, 1), QDate(2027, 2, 28)).last(), QDate(2027, 2, 25));
}

TEST(Recurrence, AnnuallyFrom29February)
{
    RecurrenceRule s;
    s.pattern = RecurPattern::Annually;
    const QList<QDate> got = GenerateDates(s, QDate(2000, 2, 29), QDate(2008, 3, 1));
    EXPECT_EQ(got, dates({QDate(2000, 2, 29), QDate(2001, 2, 28), QDate(2002, 2, 28), QDate(2003, 2, 28),
                          QDate(2004, 2, 29), QDate(2005, 2, 28), QDate(2006, 2, 28), QDate(2007, 2, 28),
                          QDate(2008, 2, 29)}));
    EXPECT_TRUE(GenerateDates(s, QDate(2000, 3, 1), QDate(2000, 2, 1)).isEmpty());  // end before start
}

TEST(Recurrence, RangeLimitAndPreview)
{
    const QDate s(2000, 1, 1);
    EXPECT_FALSE(RangeTooLong(s, s.addDays(7400)));
    EXPECT_TRUE(RangeTooLong(s, s.addDays(7401)));

    EXPECT_EQ(MakePreviewFormat("M/d/yy"), "M/d/yyyy");
    EXPECT_EQ(MakePreviewFormat("M/d/yyyy"), "M/d/yyyy");
    EXPECT_EQ(MakePreviewFormat("d.M."), "d.M.");
    FormatSettings fs = FormatSettings::enUS();
    fs.shortDateFormat = "M/d/yy";
    const FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    EXPECT_EQ(PreviewLine(QDate(2027, 1, 4), MakePreviewFormat(fs.shortDateFormat), fs, clock),
              "1/4/2027\tMon\t26 days");
}

TEST(Recurrence, InsertedRowsWaitAtPosition100AndSortIn)
{
    TaskFilter filter;
    TaskStore store(filter, QString());
    Grid &g = store.gridForTests();
    g.setRowCount(2);
    g.setCell(kStoreKey, 1, MakeStoreKey(46366, 101));
    g.setCell(kStoreNotes, 1, u"placed");
    InsertRecurringTasks(store, {QDate(2026, 12, 10), QDate(2026, 12, 9)}, {"9:00 AM", "Work", "again", "Yes"});
    EXPECT_EQ(g.cell(kStoreKey, 1), "46365.100");
    EXPECT_EQ(g.cell(kStoreKey, 2), "46366.100");
    EXPECT_EQ(g.cell(kStoreDone, 1), "No");
    EXPECT_EQ(g.cell(kStoreAlarm, 1), "Yes");
    g.sortRows(1, g.rowCount(), StoreRowLess);
    EXPECT_EQ(g.cell(kStoreKey, 1), "46365.100");
    EXPECT_EQ(g.cell(kStoreKey, 2), "46366.100");  // before the placed task of its day
    EXPECT_EQ(g.cell(kStoreKey, 3), "46366.101");
}
