#include "Clock.h"
#include "DataFolder.h"
#include "Grid.h"
#include "TestFiles.h"
#include "Utility.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace morvane;

namespace {

// Wednesday, 9 December 2026, mid-morning.
FixedClock wednesday() { return FixedClock(QDateTime(QDate(2026, 12, 9), QTime(10, 0))); }

QString rel(const FixedClock &clock, int daysFromToday)
{
    return RelativeDayText(DayNumber(clock.today()) + daysFromToday + 0.25, clock);
}

QString relDate(const FixedClock &clock, QDate d) { return RelativeDayText(ToDateValue(d), clock); }

}  // namespace

TEST(RelativeDayText, NearDays)
{
    const FixedClock c = wednesday();
    EXPECT_EQ(rel(c, 0), "Today");
    EXPECT_EQ(rel(c, 1), "Tomorrow");
    EXPECT_EQ(rel(c, -1), "Yesterday");
    EXPECT_EQ(rel(c, 2), "2 days");
    EXPECT_EQ(rel(c, -2), "2 days ago");
}

TEST(RelativeDayText, WeekLimitsDifferForwardAndBack)
{
    const FixedClock c = wednesday();  // weekday 4
    EXPECT_EQ(rel(c, 35), "35 days");   // (35 + 4 - 1) div 7 = 5
    EXPECT_EQ(rel(c, 38), "38 days");   // 5 week boundaries still
    EXPECT_EQ(rel(c, 39), "6 wks");     // (39 + 3) div 7 = 6
    EXPECT_EQ(rel(c, 40), "6 wks");
    EXPECT_EQ(rel(c, -42), "42 days ago");  // a Wednesday: (42 + 3) div 7 = 6
    EXPECT_EQ(rel(c, -45), "45 days ago");  // a Sunday: (45 + 0) div 7 = 6
    EXPECT_EQ(rel(c, -46), "7 wks ago");    // a Saturday: (46 + 6) div 7 = 7
}

TEST(RelativeDayText, MonthsAndYears)
{
    const FixedClock c = wednesday();
    EXPECT_EQ(relDate(c, QDate(2027, 2, 20)), "10 wks");         // months = 2
    EXPECT_EQ(relDate(c, QDate(2027, 3, 20)), "3 mons");
    EXPECT_EQ(relDate(c, QDate(2028, 2, 1)), "14 mons");
    EXPECT_EQ(relDate(c, QDate(2028, 12, 31)), "24 mons");        // years = 2
    EXPECT_EQ(relDate(c, QDate(2029, 2, 1)), "2 yrs 2 mons");    // years = 3: 26 months
    EXPECT_EQ(relDate(c, QDate(2029, 12, 1)), "3 yrs");
    const FixedClock january(QDateTime(QDate(2026, 1, 15), QTime(9, 0)));
    EXPECT_EQ(relDate(january, QDate(2028, 3, 1)), "26 mons");  // years = 2
    EXPECT_EQ(relDate(c, QDate(2030, 1, 1)), "3 yrs 1 mon");
    EXPECT_EQ(relDate(c, QDate(2026, 9, 1)), "3 mons ago");
    EXPECT_EQ(relDate(c, QDate(2026, 10, 1)), "10 wks ago");
    EXPECT_EQ(relDate(c, QDate(2023, 10, 1)), "3 yrs 2 mons ago");
    EXPECT_EQ(relDate(c, QDate(2022, 12, 25)), "4 yrs ago");
    EXPECT_EQ(relDate(c, QDate(2025, 1, 1)), "23 mons ago");
}

TEST(RelativeDayText, AroundMonthAndYearEnds)
{
    FixedClock c(QDateTime(QDate(2026, 12, 31), QTime(23, 59)));
    EXPECT_EQ(relDate(c, QDate(2027, 1, 1)), "Tomorrow");
    EXPECT_EQ(relDate(c, QDate(2026, 12, 30)), "Yesterday");
    // Today counts by its date, whatever the hour.
    EXPECT_EQ(RelativeDayText(DayNumber(QDate(2026, 12, 31)) + 0.99, c), "Today");
    c.set(QDateTime(QDate(2026, 1, 31), QTime(0, 1)));
    EXPECT_EQ(relDate(c, QDate(2026, 3, 1)), "29 days");
}

TEST(TableTexts, FlagsAndNotes)
{
    EXPECT_EQ(YesNo(true), "Yes");
    EXPECT_EQ(YesNo(false), "No");

    EXPECT_EQ(MemoToText({"a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(MemoToText({"only"}), "only");
    EXPECT_EQ(MemoToText({}), "");
    EXPECT_EQ(TextToMemo(u"a\r\nb\r\n"), QStringList({"a", "b"}));
    EXPECT_EQ(TextToMemo(u"a\r\nb"), QStringList({"a", "b"}));
    EXPECT_EQ(TextToMemo(u"one"), QStringList({"one"}));
    EXPECT_EQ(TextToMemo(u""), QStringList());
    EXPECT_EQ(TextToMemo(u"a\r\n\r\nb\r\n"), QStringList({"a", "", "b"}));
    EXPECT_EQ(TextToMemo(MemoToText({"x", "y", "z"})), QStringList({"x", "y", "z"}));
    EXPECT_EQ(TextToMemoJoined(u"Call the bank\r\nAsk for the form\r\n"),
              QStringList({"Call the bankAsk for the form"}));
    EXPECT_EQ(TextToMemoJoined(u"single"), QStringList({"single"}));

    EXPECT_EQ(FirstLine(u"first\r\nsecond"), "first");
    EXPECT_EQ(FirstLine(u"whole"), "whole");
    EXPECT_EQ(FirstLine(u""), "");
}

TEST(TableTexts, NumbersAndTimes)
{
    FormatSettings us = FormatSettings::enUS();
    EXPECT_DOUBLE_EQ(KeyToFloat(u"36120.101", us), 36120.101);
    EXPECT_DOUBLE_EQ(KeyToFloat(u"", us), 0);
    EXPECT_DOUBLE_EQ(KeyToFloat(u"abc", us), 0);
    EXPECT_DOUBLE_EQ(KeyToFloat(u"-5.101", us), -5.101);
    FormatSettings comma = us;
    comma.decimalSeparator = u',';
    EXPECT_DOUBLE_EQ(KeyToFloat(u"36120.101", comma), 36120.101);
    EXPECT_DOUBLE_EQ(KeyToFloat(u"36120,101", comma), 36120.101);

    EXPECT_EQ(SafeStrToInt(u"42"), 42);
    EXPECT_EQ(SafeStrToInt(u"-7"), -7);
    EXPECT_EQ(SafeStrToInt(u"0x14"), 20);
    EXPECT_EQ(SafeStrToInt(u"$1F"), 31);  // the older hexadecimal mark
    EXPECT_EQ(SafeStrToInt(u"$"), 0);
    EXPECT_EQ(SafeStrToInt(u"12x"), 0);
    EXPECT_EQ(SafeStrToInt(u""), 0);
    EXPECT_EQ(SafeStrToInt(u"99999999999"), 0);

    const FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(15, 45)));
    EXPECT_DOUBLE_EQ(SafeStrToTime(u"10:30 AM", us, clock), TimeValue(10, 30));
    EXPECT_DOUBLE_EQ(SafeStrToTime(u"soon", us, clock), ToDateValue(clock.now()));
}

TEST(TableTexts, SmallHelpers)
{
    EXPECT_TRUE(IsBlankText(u""));
    EXPECT_TRUE(IsBlankText(u" \r\n\b "));
    EXPECT_FALSE(IsBlankText(u"\t"));
    EXPECT_FALSE(IsBlankText(u" x "));
    EXPECT_EQ(CountDigits(u"2026-12-09"), 8);
    EXPECT_EQ(TabField(u"a\tb\t\tc", 1), "a");
    EXPECT_EQ(TabField(u"a\tb\t\tc", 3), "");
    EXPECT_EQ(TabField(u"a\tb\t\tc", 4), "c");
    EXPECT_EQ(TabField(u"a\tb", 3), "");
    EXPECT_EQ(JoinPath("/data", "grid.grd"), "/data/grid.grd");
    EXPECT_EQ(JoinPath("/data/", "grid.grd"), "/data/grid.grd");
    EXPECT_EQ(Plural(1), "");
    EXPECT_EQ(Plural(2), "s");
    EXPECT_EQ(Plural(0), "");

    QTemporaryDir dir;
    const QString empty = dir.filePath("empty"), full = dir.filePath("full");
    QFile(empty).open(QIODevice::WriteOnly);
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    EXPECT_TRUE(FileMissingOrEmpty(dir.filePath("none")));
    EXPECT_TRUE(FileMissingOrEmpty(empty));
    EXPECT_FALSE(FileMissingOrEmpty(full));
}

TEST(DayNumbers, CountFromTheEndOf1899AndNoDateIsDayZero)
{
    EXPECT_EQ(DayNumber(QDate(1899, 12, 31)), 1);
    EXPECT_EQ(DayNumber(QDate(2026, 6, 15)), 46188);
    EXPECT_EQ(DateOfDay(46188), QDate(2026, 6, 15));
    EXPECT_EQ(DayNumber(QDate(1800, 1, 1)), -36522);
    // A date read from another program's file may be no date at all, or one
    // so far away that its day does not fit: both are day zero, before
    // every day a task can have, rather than an arbitrary day.
    EXPECT_EQ(DayNumber(QDate()), 0);
    EXPECT_EQ(DayNumber(QDate(2000000000, 1, 1)), 0);
    EXPECT_EQ(DayNumber(QDate(-2000000000, 1, 1)), 0);
    EXPECT_EQ(ToDateValue(QDate()), 0.0);
}

TEST(Months, DaysAndNames)
{
    EXPECT_EQ(DaysInMonthOf(2, 1900), 29);  // every fourth year, no century rule
    EXPECT_EQ(DaysInMonthOf(2, 2023), 28);
    EXPECT_EQ(DaysInMonthOf(2, 2024), 29);
    EXPECT_EQ(DaysInMonthOf(12, 2026), 31);
    EXPECT_EQ(DaysInMonthOf(4, 2026), 30);
    EXPECT_THROW(DaysInMonthOf(0, 2026), std::out_of_range);
    EXPECT_THROW(DaysInMonthOf(13, 2026), std::out_of_range);

    const FormatSettings us = FormatSettings::enUS();
    EXPECT_EQ(MonthFromName(u"march", us), 3);
    EXPECT_EQ(MonthFromName(u"DECEMBER", us), 12);
    EXPECT_EQ(MonthFromName(u"Mar", us), 0);
    EXPECT_EQ(MonthFromName(u"", us), 0);
}

TEST(Months, NthWeekdayCountsWeekdaysFromEitherEnd)
{
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 1, 3), 1);  // the 1st is a Tuesday
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 1, 2), 7);
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 5, 5), 31);
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 0, 5), 0);
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 1, 8), 0);
    EXPECT_EQ(NthWeekdayOfMonth(2026, 13, 1, 1), 0);
    // Every month of two centuries against counting the days one by one.
    for (int y = 1900; y <= 2100; ++y)
        for (int m = 1; m <= 12; ++m) {
            std::array<QList<int>, 8> days;
            const int last = QDate(y, m, 1).daysInMonth();
            for (int d = 1; d <= last; ++d)
                days[std::size_t(WeekdayOf(QDate(y, m, d)))] << d;
            for (int w = 1; w <= 7; ++w) {
                const QList<int> &all = days[std::size_t(w)];
                for (int n = 1; n <= 4; ++n)
                    ASSERT_EQ(NthWeekdayOfMonth(y, m, n, w), all[n - 1]) << y << '-' << m << ' ' << n << ' ' << w;
                ASSERT_EQ(NthWeekdayOfMonth(y, m, 5, w), all.last()) << y << '-' << m << ' ' << w;
            }
        }
}

TEST(WordSearch, WholeWordsAndSubstrings)
{
    EXPECT_TRUE(ContainsWord(u"Call Bob-today", u"bob", false));
    EXPECT_FALSE(ContainsWord(u"Call Bobby", u"bob", false));
    EXPECT_FALSE(ContainsWord(u"Call Bob-today", u"bob", true));
    EXPECT_TRUE(ContainsWord(u"Call Bob-today", u"Bob", true));
    EXPECT_TRUE(ContainsWord(u"lunch\r\n(with Ann)", u"ann", false));
    EXPECT_TRUE(ContainsWord(u"x*y~z", u"y", false));
    EXPECT_TRUE(ContainsWord(u"it's", u"s", false));  // the apostrophe breaks words
    EXPECT_FALSE(ContainsWord(u"", u"a", false));
    EXPECT_FALSE(ContainsWord(u"a b", u" ", false));
    EXPECT_TRUE(ContainsWord(u"café au lait", u"CAFÉ", false));
    // Words that hold a break of their own stand whole between breaks too.
    EXPECT_TRUE(ContainsWord(u"See Dr. Smith at 9:00", u"dr. smith", false));
    EXPECT_TRUE(ContainsWord(u"See Dr. Smith at 9:00", u"9:00", false));
    EXPECT_TRUE(ContainsWord(u"Dr. Who", u"Dr.", true));
    EXPECT_FALSE(ContainsWord(u"See Dr. Smith", u"r. S", true));
    EXPECT_FALSE(ContainsWord(u"at 19:00", u"9:00", false));
    EXPECT_FALSE(ContainsWord(u"at 9:005", u"9:00", false));
    EXPECT_TRUE(ContainsWord(u"at 19:00 and 9:00", u"9:00", false));  // the second one
    EXPECT_TRUE(ContainsWord(u"mail@site.com", u".com", false));      // starts at its own break

    EXPECT_TRUE(TextMatches(u"Call Bobby", false, false, u"bob"));
    EXPECT_FALSE(TextMatches(u"Call Bobby", true, false, u"bob"));
    EXPECT_FALSE(TextMatches(u"Call Bobby", false, true, u"bob"));
    EXPECT_TRUE(TextMatches(u"Call Bobby", false, true, u"Bob"));
    EXPECT_FALSE(TextMatches(u"anything", false, false, u""));
}

TEST(GridBody, FirstFreeRowAndClearing)
{
    Grid g(3, 4);
    g.setCell(0, 0, u"Header");
    g.setCell(0, 1, u"a");
    g.setCell(1, 2, u"no first cell");
    EXPECT_EQ(FirstFreeRow(g), 2);
    g.setCell(0, 2, u"b");
    g.setCell(0, 3, u"c");
    EXPECT_EQ(FirstFreeRow(g), 4);
    EXPECT_EQ(g.rowCount(), 5);

    ClearGridBody(g);
    EXPECT_EQ(g.rowCount(), 5);
    EXPECT_EQ(g.cell(0, 0), "Header");
    for (int r = 1; r < g.rowCount(); ++r)
        for (int c = 0; c < g.colCount(); ++c)
            EXPECT_TRUE(g.cellEmpty(c, r));
}

TEST(DataFolder, MorvaneDirElseTheProgramsFolderWithTasksElseThePersonsDataFolder)
{
    const QByteArray saved = qgetenv("MORVANE_DIR");
    qputenv("MORVANE_DIR", "/some/where");
    EXPECT_EQ(ProgramFolder(), "/some/where");
    EXPECT_EQ(DataFilePath("grid.grd"), "/some/where/grid.grd");
    qputenv("MORVANE_DIR", saved);

    TempFolder dir;
    const QString bin = dir.file("usr/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString home = dir.file("home/.local/share");
    EXPECT_EQ(ChooseDataFolder("/env", bin, home), "/env");
    // An installed copy: no task file beside the program.
    EXPECT_EQ(ChooseDataFolder({}, bin, home), home + "/morvane");
    // A built or unpacked copy keeps its tasks beside itself.
    writeBytes(bin + "/grid.grd", "6,2\r\n");
    EXPECT_EQ(ChooseDataFolder({}, bin, home), bin);
    EXPECT_EQ(ShippedFilesFolder(bin), dir.file("usr/share/morvane"));
}

// The first start of an installed copy fills the person's folder with the
// shipped files, help pages included; a file the person has is never
// replaced, and nothing is left half copied.
TEST(DataFolder, SeedingCopiesOnlyWhatIsMissing)
{
    TempFolder dir;
    const QString shipped = dir.file("share/morvane");
    ASSERT_TRUE(QDir().mkpath(shipped + "/help"));
    writeBytes(shipped + "/grid.grd", "6,2\r\n");
    writeBytes(shipped + "/gridNon.grd", "3,2\r\n");
    writeBytes(shipped + "/help/100.html", "<p>help</p>");
    const QString mine = dir.file("home/morvane");
    ASSERT_TRUE(QDir().mkpath(mine));
    writeBytes(mine + "/grid.grd", "6,3\r\n1,1,my task\r\n");

    EXPECT_TRUE(SeedDataFolder(mine, shipped).isEmpty());
    EXPECT_EQ(readBytes(mine + "/grid.grd"), "6,3\r\n1,1,my task\r\n");
    EXPECT_EQ(readBytes(mine + "/gridNon.grd"), "3,2\r\n");
    EXPECT_EQ(readBytes(mine + "/help/100.html"), "<p>help</p>");
    EXPECT_EQ(QDir(mine).entryList(QDir::Files | QDir::Hidden), QStringList({"grid.grd", "gridNon.grd"}));

    // A folder that cannot be made is said.
    writeBytes(dir.file("file"), "x");
    const QStringList failed = SeedDataFolder(dir.file("file/morvane"), shipped);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].contains("cannot be made")) << failed[0].toStdString();
}
