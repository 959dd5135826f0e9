#include "Utility.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

const FormatSettings us = FormatSettings::enUS();

DateValue at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return ToDateValue(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

}  // namespace

TEST(DateValues, DayNumbersMatchTheCalendarOfDayZero)
{
    EXPECT_EQ(DayNumber(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(DayNumber(QDate(1899, 12, 31)), 1);
    EXPECT_EQ(DayNumber(QDate(1998, 11, 21)), 36120);
    EXPECT_EQ(DayNumber(QDate(1927, 5, 18)), 10000);
    EXPECT_EQ(DayNumber(QDate(2173, 10, 13)), 99999);
    EXPECT_EQ(DateOfDay(36120), QDate(1998, 11, 21));
    EXPECT_EQ(DateOfDay(-1), QDate(1899, 12, 29));

    const DateValue v = at(2026, 12, 9, 18, 30);
    EXPECT_DOUBLE_EQ(v, DayNumber(QDate(2026, 12, 9)) + 0.75 + 0.5 / 24);
    EXPECT_EQ(FromDateValue(v), QDateTime(QDate(2026, 12, 9), QTime(18, 30)));
    // A time a hair before midnight rounds to the next day, not to 24:00.
    EXPECT_EQ(FromDateValue(36120 + 0.9999999999), QDateTime(QDate(1998, 11, 22), QTime(0, 0)));
    // Before day 0 the fraction still counts forward from midnight: noon of
    // the day before day 0 is -1.5, and it reads back as that noon.
    const QDateTime noonBefore(QDate(1899, 12, 29), QTime(12, 0));
    EXPECT_DOUBLE_EQ(ToDateValue(noonBefore), -1.5);
    EXPECT_EQ(FromDateValue(ToDateValue(noonBefore)), noonBefore);
    const QDateTime morningBefore(QDate(1899, 12, 29), QTime(6, 0));
    EXPECT_EQ(FromDateValue(ToDateValue(morningBefore)), morningBefore);
    EXPECT_EQ(WeekdayOf(QDate(2026, 12, 6)), 1);  // Sunday
    EXPECT_EQ(WeekdayOf(QDate(2026, 12, 9)), 4);  // Wednesday
}

TEST(FormatDateTime, FormatsTheWindowsUse)
{
    const DateValue v = at(2026, 12, 9, 18, 5, 7);
    EXPECT_EQ(FormatDateTime(u"ddd ddddd", v, us), "Wed 12/9/2026");
    EXPECT_EQ(FormatDateTime(u"dddddd", v, us), "Wednesday, December 9, 2026");
    EXPECT_EQ(FormatDateTime(u"dddddd tt", v, us), "Wednesday, December 9, 2026 6:05:07 PM");
    EXPECT_EQ(FormatDateTime(u"t", v, us), "6:05 PM");
    EXPECT_EQ(FormatDateTime(u"tt", v, us), "6:05:07 PM");
    EXPECT_EQ(FormatDateTime(u"ddd", v, us), "Wed");
    EXPECT_EQ(FormatDateTime(u"dddd", v, us), "Wednesday");
    EXPECT_EQ(FormatDateTime(u"dd/mmm/yy", v, us), "09/Dec/26");
    EXPECT_EQ(FormatDateTime(u"c", v, us), "12/9/2026 6:05:07 PM");
    EXPECT_EQ(FormatDateTime(u"c", at(2026, 12, 9), us), "12/9/2026");
}

TEST(FormatDateTime, LocalePatternsAndLetterRules)
{
    const DateValue v = at(2026, 3, 4, 0, 7, 9);
    EXPECT_EQ(FormatDateTime(u"d/M/yy", v, us), "4/3/26");
    EXPECT_EQ(FormatDateTime(u"dd-MMM-yy", v, us), "04-Mar-26");
    EXPECT_EQ(FormatDateTime(u"M/d/yy", v, us), "3/4/26");
    EXPECT_EQ(FormatDateTime(u"h:mm:ss AMPM", v, us), "12:07:09 AM");  // midnight hour is 12
    EXPECT_EQ(FormatDateTime(u"HH:mm:ss", v, us), "00:07:09");
    EXPECT_EQ(FormatDateTime(u"hh:nn am/pm", at(2026, 3, 4, 13, 2), us), "01:02 pm");
    EXPECT_EQ(FormatDateTime(u"h a/p", at(2026, 3, 4, 12, 0), us), "12 p");
    EXPECT_EQ(FormatDateTime(u"MMMM yyyy", v, us), "March 2026");
    // m right after an hour is minutes, also across separators; otherwise a month.
    EXPECT_EQ(FormatDateTime(u"h m", at(2026, 3, 4, 9, 41), us), "9 41");
    EXPECT_EQ(FormatDateTime(u"m", v, us), "3");
    // Quoted text is copied, separators come from the locale.
    EXPECT_EQ(FormatDateTime(u"'Day' d \"of\" mmmm", v, us), "Day 4 of March");
    FormatSettings de = us;
    de.dateSeparator = u'.';
    de.timeSeparator = u'.';
    EXPECT_EQ(FormatDateTime(u"d/m/yyyy h:nn", v, de), "4.3.2026 0.07");
    EXPECT_EQ(FormatDateTime(u"z zzz", ToDateValue(QDateTime(QDate(2026, 1, 1), QTime(1, 2, 3, 45))), us),
              "45 045");
}

TEST(FormatDateTime, ASelfReferringLocaleFormatStops)
{
    FormatSettings odd = us;
    odd.shortDateFormat = QStringLiteral("ddddd");
    EXPECT_NO_THROW(FormatDateTime(u"ddddd", at(2026, 1, 1), odd));
}

TEST(Fix2000, FourDigitYearsNumericMonthsNoSeconds)
{
    FormatSettings fs = us;
    fs.shortDateFormat = QStringLiteral("d/M/yy");
    fs.longTimeFormat = QStringLiteral("h:mm:ss AMPM");
    FormatSettings fixed = fix2000(fs);
    EXPECT_EQ(fixed.shortDateFormat, "d/M/yyyy");
    EXPECT_EQ(fixed.longTimeFormat, "h:mm AMPM");

    fs.shortDateFormat = QStringLiteral("dd-MMM-yy");
    EXPECT_EQ(fix2000(fs).shortDateFormat, "dd-MM-yyyy");
    fs.shortDateFormat = QStringLiteral("M/d/yyyy");
    EXPECT_EQ(fix2000(fs).shortDateFormat, "M/d/yyyy");

    // Seconds after a point, or alone, go too; only the first form found.
    fs.longTimeFormat = QStringLiteral("HH.mm.ss");
    EXPECT_EQ(fix2000(fs).longTimeFormat, "HH.mm");
    fs.longTimeFormat = QStringLiteral("ss");
    EXPECT_EQ(fix2000(fs).longTimeFormat, "");

    // Applied once it is right; a second time would turn MMMM into MM.
    fs.shortDateFormat = QStringLiteral("d MMMM yy");
    const FormatSettings once = fix2000(fs);
    EXPECT_EQ(once.shortDateFormat, "d MMM yyyy");
    EXPECT_EQ(fix2000(once).shortDateFormat, "d MM yyyy");
}

TEST(Locale, QtPatternsBecomeTheProgramsOwn)
{
    EXPECT_EQ(ConvertQtPattern("M/d/yy"), "M/d/yy");
    EXPECT_EQ(ConvertQtPattern("h:mm AP"), "h:mm AMPM");
    EXPECT_EQ(ConvertQtPattern("h:mm:ss AP t"), "h:mm:ss AMPM");
    EXPECT_EQ(ConvertQtPattern("HH:mm:ss t"), "hh:mm:ss");
    EXPECT_EQ(ConvertQtPattern("dddd d. MMMM yyyy"), "dddd d. MMMM yyyy");
    EXPECT_EQ(ConvertQtPattern("mm:ss"), "nn:ss");  // minutes without an hour before them
    EXPECT_EQ(ConvertQtPattern("d 'de' MMMM"), "d \"de\" MMMM");
    EXPECT_EQ(ConvertQtPattern("H 'h' mm"), "h \"h\" mm");

    const FormatSettings en = fix2000(FormatSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates), 2026));
    EXPECT_EQ(en.shortDateFormat, "M/d/yyyy");
    EXPECT_EQ(en.longTimeFormat, "h:mm AMPM");
    EXPECT_EQ(en.longMonthNames[11], "December");
    EXPECT_EQ(en.shortDayNames[0], "Sun");
    const DateValue v = at(2026, 12, 9, 18, 5);
    EXPECT_EQ(FormatDateTime(u"ddddd t", v, en), "12/9/2026 6:05 PM");

    const FormatSettings de = fix2000(FormatSettings::fromLocale(QLocale(QLocale::German, QLocale::Germany), 2026));
    EXPECT_EQ(de.decimalSeparator, u',');
    EXPECT_EQ(de.dateSeparator, u'.');
    EXPECT_EQ(FormatDateTime(u"ddddd t", v, de), "09.12.2026 18:05");
    EXPECT_EQ(de.longDayNames[3], "Mittwoch");
}

TEST(Locale, TimesHaveHoursAndMinutesOnlyWhateverTheLocale)
{
    // Tasks have minutes only: the short time ("t") and, once fixed, the long
    // time ("tt") show none of the seconds, under the C locale (whose own
    // short time has them) as under en_US and de_DE.
    const DateValue v = at(2026, 12, 9, 9, 30, 45);
    const struct {
        QLocale locale;
        const char *shown;
    } cases[] = {{QLocale::c(), "09:30"},
                 {QLocale(QLocale::English, QLocale::UnitedStates), "9:30 AM"},
                 {QLocale(QLocale::German, QLocale::Germany), "09:30"}};
    for (const auto &c : cases) {
        const FormatSettings fs = fix2000(FormatSettings::fromLocale(c.locale, 2026));
        EXPECT_EQ(FormatDateTime(u"t", v, fs), c.shown) << c.locale.name().toStdString();
        EXPECT_EQ(FormatDateTime(u"tt", v, fs), c.shown) << c.locale.name().toStdString();
        // Times written with seconds by earlier versions still read.
        DateValue t = -1;
        ASSERT_TRUE(StrToTime(u"09:30:45", fs, &t));
        EXPECT_DOUBLE_EQ(t, TimeValue(9, 30, 45));
    }
    // The seconds go from the locale's short time as it is read, before any
    // start-up adjustment.
    EXPECT_EQ(FormatSettings::fromLocale(QLocale::c(), 2026).shortTimeFormat, "hh:mm");

    // A task's time is written to the minute whatever the value holds.
    EXPECT_EQ(TaskTimeText(v, us), "9:30 AM");
    EXPECT_EQ(TaskTimeText(v, fix2000(FormatSettings::fromLocale(QLocale::c(), 2026))), "09:30");

    // The seconds go with their separator, or with their own unit's name.
    EXPECT_EQ(DropSeconds(u"hh:mm:ss"_s), "hh:mm");
    EXPECT_EQ(DropSeconds(u"h:mm:ss AMPM"_s), "h:mm AMPM");
    EXPECT_EQ(DropSeconds(u"AMPMh:mm:ss"_s), "AMPMh:mm");
    EXPECT_EQ(DropSeconds(u"HH.mm.ss"_s), "HH.mm");
    EXPECT_EQ(DropSeconds(u"ss"_s), "");
    EXPECT_EQ(DropSeconds(u"ss:nn"_s), "nn");
    EXPECT_EQ(DropSeconds(u"h:mm"_s), "h:mm");
    EXPECT_EQ(DropSeconds(u"hh.mm:ss \"h\""_s), "hh.mm \"h\"");
    const FormatSettings ja = fix2000(FormatSettings::fromLocale(QLocale(QLocale::Japanese, QLocale::Japan), 2026));
    EXPECT_EQ(FormatDateTime(u"tt", v, ja), u"9時30分"_s);
    const FormatSettings frCA = fix2000(FormatSettings::fromLocale(QLocale(QLocale::French, QLocale::Canada), 2026));
    EXPECT_EQ(FormatDateTime(u"tt", v, frCA), u"09 h 30 min"_s);
}

TEST(StrToTime, ReadsTheLocalesTimes)
{
    DateValue t = -1;
    ASSERT_TRUE(StrToTime(u"10:30 AM", us, &t));
    EXPECT_DOUBLE_EQ(t, TimeValue(10, 30));
    ASSERT_TRUE(StrToTime(u"12:05 am", us, &t));
    EXPECT_DOUBLE_EQ(t, TimeValue(0, 5));
    ASSERT_TRUE(StrToTime(u"12:00 PM", us, &t));
    EXPECT_DOUBLE_EQ(t, TimeValue(12, 0));
    ASSERT_TRUE(StrToTime(u" 6:05:07 PM ", us, &t));
    EXPECT_DOUBLE_EQ(t, TimeValue(18, 5, 7));
    ASSERT_TRUE(StrToTime(u"22:15", us, &t));
    EXPECT_DOUBLE_EQ(t, TimeValue(22, 15));
    ASSERT_TRUE(StrToTime(u"PM 3:00", us, &t));
    EXPECT_DOUBLE_EQ(t, TimeValue(15, 0));

    for (const char16_t *bad : {u"", u"abc", u"13:00 PM", u"0:30 AM", u"25:00", u"10:60", u"10:30 XM", u"10:"})
        EXPECT_FALSE(StrToTime(bad, us, &t)) << QString::fromUtf16(bad).toStdString();

    FormatSettings fi = us;
    fi.timeSeparator = u'.';
    ASSERT_TRUE(StrToTime(u"18.30", fi, &t));
    EXPECT_DOUBLE_EQ(t, TimeValue(18, 30));
}

TEST(StrToDate, FollowsTheOrderOfTheShortDate)
{
    DateValue d = 0;
    FormatSettings fs = fix2000(us);
    ASSERT_TRUE(StrToDate(u"12/9/2026", fs, &d));
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(2026, 12, 9));
    ASSERT_TRUE(StrToDate(u"12/9/26", fs, &d));
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(2026, 12, 9));
    ASSERT_TRUE(StrToDate(u"1/2/99", fs, &d));
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(1999, 1, 2));
    ASSERT_TRUE(StrToDate(u"09-Dec-26", fs, &d));  // month by name
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(2026, 12, 9));
    EXPECT_FALSE(StrToDate(u"2/30/2026", fs, &d));
    EXPECT_FALSE(StrToDate(u"12/9", fs, &d));
    EXPECT_FALSE(StrToDate(u"tomorrow", fs, &d));

    // Two-digit years fall in the hundred years from fifty years back.
    FormatSettings en = fix2000(FormatSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates), 2026));
    en.shortDateFormat = QStringLiteral("M/d/yy");
    EXPECT_EQ(en.twoDigitYearStart, 1976);
    ASSERT_TRUE(StrToDate(u"1/2/76", en, &d));  // the window's first year reads as itself
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(1976, 1, 2));
    ASSERT_TRUE(StrToDate(u"1/2/75", en, &d));  // the year before it is a century on
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(2075, 1, 2));
    ASSERT_TRUE(StrToDate(u"1/2/77", en, &d));
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(1977, 1, 2));

    fs.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    fs.dateSeparator = u'.';
    ASSERT_TRUE(StrToDate(u"09.12.2026", fs, &d));
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(2026, 12, 9));
    fs.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    ASSERT_TRUE(StrToDate(u"2026-12-09", fs, &d));
    EXPECT_EQ(DateOfDay(DayOfValue(d)), QDate(2026, 12, 9));
}

TEST(Locale, ProgramPatternsForQtFields)
{
    EXPECT_EQ(ToQtPattern(u"M/d/yyyy"), "M/d/yyyy");
    EXPECT_EQ(ToQtPattern(u"h:mm AMPM"), "h:mm AP");
    EXPECT_EQ(ToQtPattern(u"hh:nn"), "hh:mm");
    EXPECT_EQ(ToQtPattern(u"dd-MM-yyyy"), "dd-MM-yyyy");
    EXPECT_EQ(ToQtPattern(u"d \"de\" MMMM"), "d 'de' MMMM");
    // Formatting with both gives the same text.
    const QDateTime dt(QDate(2026, 12, 9), QTime(18, 5));
    const FormatSettings fs = FormatSettings::enUS();
    EXPECT_EQ(QLocale(QLocale::English, QLocale::UnitedStates).toString(dt, ToQtPattern(u"M/d/yyyy h:mm AMPM")),
              FormatDateTime(u"M/d/yyyy h:mm AMPM", ToDateValue(dt), fs));
}
