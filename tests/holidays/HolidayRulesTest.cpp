#include "BuiltInHolidays.h"
#include "HolidayImport.h"
#include "HolidayRules.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QSet>

using namespace morvane;

namespace {

const FormatSettings us = FormatSettings::enUS();

Grid table(std::initializer_list<std::array<const char *, 4>> rows)
{
    Grid g = NewHolidayGrid();
    g.setRowCount(int(rows.size()) + 1);
    int r = 1;
    for (const auto &row : rows) {
        for (int c = 0; c < 4; ++c)
            g.setCell(c, r, QString::fromUtf8(row[std::size_t(c)]));
        ++r;
    }
    return g;
}

std::optional<QDate> rule(int y, int m, const char *text) { return HolidayRuleDate(y, m, QString::fromUtf8(text), us); }

}  // namespace

TEST(HolidayRules, TheArithmeticOfEachForm)
{
    EXPECT_EQ(rule(2001, 5, "Last : Monday"), QDate(2001, 5, 28));
    EXPECT_EQ(rule(2001, 9, "First : Sunday"), QDate(2001, 9, 2));
    EXPECT_EQ(rule(2001, 11, "Fourth : Thursday"), QDate(2001, 11, 22));
    EXPECT_EQ(rule(2002, 11, "Fourth : Thursday"), QDate(2002, 11, 28));
    EXPECT_EQ(rule(2002, 5, "Last : Monday"), QDate(2002, 5, 27));
    EXPECT_EQ(rule(2026, 2, "Last : Saturday"), QDate(2026, 2, 28));
    EXPECT_EQ(rule(2026, 12, "25"), QDate(2026, 12, 25));
    EXPECT_EQ(rule(2026, 12, "20011225"), QDate(2001, 12, 25));  // the year and month asked play no part
    // Rules that give no date.
    EXPECT_FALSE(rule(2001, 2, "29").has_value());  // only in leap years
    EXPECT_EQ(rule(2004, 2, "29"), QDate(2004, 2, 29));
    EXPECT_FALSE(rule(2026, 4, "31").has_value());
    EXPECT_FALSE(rule(2026, 4, "soon").has_value());
    EXPECT_FALSE(rule(2026, 4, "20261340").has_value());
    // A floating rule without an ordinal or a weekday names no day.
    EXPECT_FALSE(rule(2026, 4, "Every : Monday").has_value());
    EXPECT_FALSE(rule(2026, 4, "First : Someday").has_value());
    EXPECT_FALSE(rule(2026, 4, ":").has_value());

    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 1, 4), 2);   // first Wednesday
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 5, 4), 30);  // last Wednesday
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 9, 4), 30);  // beyond 5 is last too
    EXPECT_EQ(NthWeekdayOfMonth(2026, 12, 4, 5), 24);
    EXPECT_EQ(NthWeekdayOfMonth(1900, 2, 5, 5), 22);   // the 29th of 1900 does not exist
    EXPECT_EQ(OneTimeRuleDate(u"20011225"), QDate(2001, 12, 25));
}

TEST(HolidayRules, TheFirstRowNamesADate)
{
    const Grid g = table({{"Christmas", "12", "December", "25"},
                          {"Also Christmas", "12", "December", "25"},
                          {"Thanksgiving", "11", "November", "Fourth : Thursday"},
                          {"Party", "12", "December", "20011231"},
                          {"Leap day", "02", "February", "29"},
                          {"Elsewhere", "00", "Dezember", "24"},
                          {"No ordinal", "12", "December", "Every : Monday"},
                          {"No weekday", "12", "December", "First : Someday"},
                          {"Nothing", "12", "December", ":"}});
    const HolidayIndex index(g, us);
    auto both = [&](QDate d) {
        const QString slow = HolidayNameForDate(g, d, us);
        EXPECT_EQ(index.nameFor(d), slow) << d.toString().toStdString();
        return slow;
    };
    EXPECT_EQ(both(QDate(2026, 12, 25)), "Christmas");
    EXPECT_EQ(both(QDate(2001, 11, 22)), "Thanksgiving");
    EXPECT_EQ(both(QDate(2002, 11, 28)), "Thanksgiving");
    EXPECT_EQ(both(QDate(2001, 12, 31)), "Party");
    EXPECT_EQ(both(QDate(2002, 12, 31)), "");  // one time only
    EXPECT_EQ(both(QDate(2024, 2, 29)), "Leap day");
    EXPECT_EQ(both(QDate(2026, 12, 24)), "");  // a month name of another language matches nothing
    for (int day = 1; day <= 31; ++day)  // unreadable weekday rules name no day
        EXPECT_EQ(both(QDate(2026, 12, day)), day == 25 ? "Christmas" : "") << day;
    for (QDate d(2000, 1, 1); d < QDate(2003, 1, 1); d = d.addDays(1))
        both(d);

    // Moving the second row above the first changes the name.
    Grid moved = g;
    moved.moveRow(2, 1);
    EXPECT_EQ(HolidayNameForDate(moved, QDate(2026, 12, 25), us), "Also Christmas");
}

TEST(HolidayRules, RowsSortByColumnWithTies)
{
    Grid g = table({{"b", "12", "December", "25"}, {"a", "12", "December", "1"}, {"B", "01", "January", "1"},
                    {"a", "11", "November", "1"}});
    SortHolidayRows(g, kHolName, true);
    QStringList names;
    for (int r = 1; r < g.rowCount(); ++r)
        names << g.cell(kHolName, r) + g.cell(kHolMonthNo, r);
    EXPECT_EQ(names, QStringList({"B01", "a11", "a12", "b12"}));  // capitals first, ties by the month number
    SortHolidayRows(g, kHolName, false);
    EXPECT_EQ(g.cell(kHolName, 1), "b");
    EXPECT_EQ(g.cell(kHolMonthNo, 3), "11");

    // Ties on name and month number go by the month's name, the column
    // before the rule; the rule itself never decides, so rows equal up to
    // it keep their order.
    Grid tied = table({{"a", "12", "December", "25"}, {"a", "12", "Dec", "9"}, {"a", "12", "December", "1"}});
    SortHolidayRows(tied, kHolName, true);
    QStringList rules;
    for (int r = 1; r < tied.rowCount(); ++r)
        rules << tied.cell(kHolRule, r);
    EXPECT_EQ(rules, QStringList({"9", "25", "1"}));
}

TEST(BuiltInHolidays, TheListAndItsCodes)
{
    EXPECT_EQ(BuiltInHolidays.size(), 236u);
    int last = -1;
    QList<int> perCountry(kHolidayCountries, 0);
    for (const HolidayStructure &h : BuiltInHolidays) {
        EXPECT_GE(h.country, last);  // ordered by country
        last = h.country;
        ++perCountry[h.country];
        EXPECT_EQ(strlen(h.code), 5u) << h.code;
        EXPECT_TRUE(RowFromCode(QString::fromLatin1(h.code), "x", us).valid) << h.code;
    }
    EXPECT_EQ(perCountry, QList<int>({6, 9, 9, 14, 8, 8, 5, 7, 8, 11, 9, 9, 13, 5, 7, 5, 10, 10, 30, 9, 11, 9, 24}));
    EXPECT_STREQ(kCountryNames[0], "Australia");
    EXPECT_STREQ(kCountryNames[5], "Canada - French");
    EXPECT_STREQ(kCountryNames[22], "United States");
    QSet<QString> names;
    for (const HolidayStructure &h : BuiltInHolidays)
        names.insert(QString::fromUtf8(h.name));
    for (const char *n : {"Heilige Drei Könige", "Fête Nationale des Québecois", "Buß- und Bettag",
                          "Uudenvuodenpäivä", "Año Nuevo", "Johannes Döparens dag", "Nyttårsdag",
                          "Imaculada Conceiçao de Nossa Senhora", "Feest. Franst. Cultuurgem./Fête Comm. cult. franç"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(n))) << n;
}

TEST(HolidayImport, RuleTextsAndRows)
{
    EXPECT_EQ(OrdinalText(1), "1st");
    EXPECT_EQ(OrdinalText(11), "11th");
    EXPECT_EQ(OrdinalText(12), "12th");
    EXPECT_EQ(OrdinalText(13), "13th");
    EXPECT_EQ(OrdinalText(21), "21st");
    EXPECT_EQ(OrdinalText(22), "22nd");
    EXPECT_EQ(OrdinalText(23), "23rd");
    EXPECT_EQ(OrdinalText(31), "31st");
    EXPECT_EQ(HolidayCodeText(u"Jan01", us), "Jan 1st");
    EXPECT_EQ(HolidayCodeText(u"12Sep", us), "1st Mon in Sep");
    EXPECT_EQ(HolidayCodeText(u"52May", us), "Last Mon in May");
    EXPECT_EQ(HolidayCodeText(u"45Nov", us), "4th Thu in Nov");

    // Thanksgiving of the United States, then Christmas of Australia.
    Grid g = NewHolidayGrid();
    const HolidayStructure &thanks = BuiltInHolidays[233];
    ASSERT_STREQ(thanks.name, "Thanksgiving");
    addToGrid(g, 1, thanks, us);
    EXPECT_EQ(g.cell(kHolName, 1), "Thanksgiving");
    EXPECT_EQ(g.cell(kHolMonthNo, 1), "11");
    EXPECT_EQ(g.cell(kHolMonth, 1), "November");
    EXPECT_EQ(g.cell(kHolRule, 1), "Fourth : Thursday");
    EXPECT_EQ(HolidayNameForDate(g, QDate(2001, 11, 22), us), "Thanksgiving");
    EXPECT_EQ(HolidayNameForDate(g, QDate(2002, 11, 28), us), "Thanksgiving");
    addToGrid(g, 1, BuiltInHolidays[5], us);
    EXPECT_EQ(g.cell(kHolName, 1), "Christmas");
    EXPECT_EQ(g.cell(kHolRule, 1), "25");
    EXPECT_EQ(g.cell(kHolMonthNo, 1), "12");
    EXPECT_EQ(g.rowCount(), 4);  // the empty row of the empty table stays below
    EXPECT_TRUE(g.cellEmpty(kHolName, 3));

    // A row asked for beyond the table goes in after its last row.
    addToGrid(g, g.rowCount(), BuiltInHolidays[0], us);
    EXPECT_EQ(g.rowCount(), 5);
    EXPECT_TRUE(g.cellEmpty(kHolName, 3));
    EXPECT_EQ(g.cell(kHolName, 4), "New Year's Day");

    // Names are kept to 255 characters.
    const QString longName(300, u'x');
    const HolidayRowText row = RowFromCode(u"Jan01", longName, us);
    ASSERT_TRUE(row.valid);
    EXPECT_EQ(row.name, longName.left(255));
}

// The codes are English; the rows must match under any locale.
TEST(HolidayImport, ImportedRowsMatchUnderOtherLocales)
{
    for (const QLocale &locale : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::English, QLocale::Australia), QLocale(QLocale::French, QLocale::France)}) {
        const FormatSettings fs = fix2000(FormatSettings::fromLocale(locale, 2026));
        Grid g = NewHolidayGrid();
        for (const HolidayStructure &h : BuiltInHolidays)
            if (h.country == 22)
                addToGrid(g, 1, h, fs);
        SCOPED_TRACE(locale.name().toStdString());
        for (int r = 1; r < g.rowCount() - 1; ++r)
            EXPECT_NE(g.cell(kHolMonthNo, r), "00") << g.cell(kHolName, r).toStdString();
        EXPECT_EQ(HolidayNameForDate(g, QDate(2001, 11, 22), fs), "Thanksgiving");
        EXPECT_EQ(HolidayNameForDate(g, QDate(2026, 9, 7), fs), "Labor Day");
        EXPECT_EQ(HolidayNameForDate(g, QDate(2026, 6, 14), fs), "Flag Day");
    }
}
