// Following repeat rules over a window: the occurrences libical's own
// iterator gives, at a cost set by the window and never above the ceiling.

#include "ExchangeFixtures.h"
#include "IcsRecurrence.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace morvane;

namespace {

QString text(const icaltimetype &t) { return QString::fromLatin1(icaltime_as_ical_string(t)); }

IcsRuleWalk walk(const char *rule, const char *start, QDate first, QDate last, qint64 maxWork = 1000000)
{
    return WalkIcsRule(icalrecurrencetype_from_string(rule), icaltime_from_string(start), first, last, maxWork);
}

QStringList times(const IcsRuleWalk &w)
{
    QStringList out;
    for (const icaltimetype &t : w.times)
        out << text(t);
    return out;
}

}  // namespace

TEST(IcsRecurrence, RulesOfEveryKindGiveWhatLibicalGives)
{
    const char *rules[] = {
        "FREQ=DAILY", "FREQ=DAILY;INTERVAL=3", "FREQ=DAILY;COUNT=10", "FREQ=DAILY;UNTIL=20260301T000000",
        "FREQ=DAILY;BYMONTH=1;BYDAY=MO,TU", "FREQ=DAILY;BYHOUR=9,17;BYMINUTE=0,30",
        "FREQ=WEEKLY", "FREQ=WEEKLY;BYDAY=MO,WE,FR", "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH;WKST=SU",
        "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,SU;WKST=MO", "FREQ=WEEKLY;COUNT=10;BYDAY=MO,FR",
        "FREQ=WEEKLY;BYDAY=SA;BYHOUR=8,20", "FREQ=WEEKLY;UNTIL=20260601T080000Z",
        "FREQ=MONTHLY", "FREQ=MONTHLY;BYMONTHDAY=31", "FREQ=MONTHLY;BYMONTHDAY=-1", "FREQ=MONTHLY;BYDAY=2TU",
        "FREQ=MONTHLY;BYDAY=-1FR", "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1",
        "FREQ=MONTHLY;BYDAY=SA,SU;BYSETPOS=1,-1", "FREQ=MONTHLY;INTERVAL=2;BYDAY=1SU,-1SU",
        "FREQ=MONTHLY;BYMONTHDAY=13;BYDAY=FR", "FREQ=MONTHLY;COUNT=20;BYMONTHDAY=15,30",
        "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=3;COUNT=5",
        "FREQ=YEARLY", "FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU", "FREQ=YEARLY;BYMONTH=10;BYDAY=2MO",
        "FREQ=YEARLY;BYMONTH=1,7", "FREQ=YEARLY;BYYEARDAY=1,100,-1", "FREQ=YEARLY;BYWEEKNO=20;BYDAY=MO",
        "FREQ=YEARLY;BYWEEKNO=1,-1;BYDAY=TH", "FREQ=YEARLY;BYDAY=20MO", "FREQ=YEARLY;BYDAY=-1SU",
        "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29", "FREQ=YEARLY;INTERVAL=4;BYMONTH=11;BYDAY=TU;BYMONTHDAY=2,3,4,5,6,7,8",
        "FREQ=YEARLY;BYMONTH=6,7,8;BYDAY=TH", "FREQ=YEARLY;COUNT=5",
        "FREQ=HOURLY;INTERVAL=5", "FREQ=HOURLY;BYHOUR=9,10,11;BYMINUTE=0,20,40", "FREQ=HOURLY;COUNT=30",
        "FREQ=SECONDLY;INTERVAL=3600;COUNT=30",
    };
    const char *starts[] = {"20260105T093000", "20251231T235900", "20240229T120000", "20260110"};
    const QDate first(2025, 12, 1), last(2026, 12, 31);
    int compared = 0;
    for (const char *rule : rules) {
        for (const char *start : starts) {
            const icalrecurrencetype rt = icalrecurrencetype_from_string(rule);
            const icaltimetype st = icaltime_from_string(start);
            if (st.is_date && (rt.freq == ICAL_HOURLY_RECURRENCE || rt.freq == ICAL_SECONDLY_RECURRENCE))
                continue;
            QStringList expected;
            icalrecur_iterator *it = icalrecur_iterator_new(rt, st);
            ASSERT_NE(it, nullptr) << rule;
            for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t);
                 t = icalrecur_iterator_next(it)) {
                const QDate d(t.year, t.month, t.day);
                if (d > last)
                    break;
                // libical gives an all-day start each of the rule's times of day.
                if (d >= first && (expected.isEmpty() || expected.last() != text(t)))
                    expected << text(t);
            }
            icalrecur_iterator_free(it);
            const IcsRuleWalk w = walk(rule, start, first, last);
            EXPECT_FALSE(w.cutShort || w.unsupported) << rule;
            EXPECT_EQ(times(w), expected) << rule << " from " << start;
            ++compared;
        }
    }
    EXPECT_GT(compared, 150);
}

TEST(IcsRecurrence, MinutesAndSecondsKeepInStepWithTheStartWhereLibicalSlips)
{
    // Every quarter of an hour from 9:30, within the hour of 10: libical
    // begins at 10:30; the rule's own steps fall at 10:00.
    EXPECT_EQ(times(walk("FREQ=MINUTELY;INTERVAL=15;BYHOUR=10;COUNT=5", "20260105T093000", QDate(2026, 1, 1),
                         QDate(2026, 1, 31))),
              QStringList({"20260105T100000", "20260105T101500", "20260105T103000", "20260105T104500",
                           "20260106T100000"}));
}

TEST(IcsRecurrence, TheWalkCostsTheWindowNotTheYearsBeforeIt)
{
    const QDate first(2025, 12, 9), last(2028, 12, 9);
    const qint64 days = first.daysTo(last) + 1;
    // A daily rule begun in 1900 takes as long as one begun last week.
    const IcsRuleWalk old = walk("FREQ=DAILY", "19000101T090000", first, last);
    EXPECT_EQ(qint64(old.times.size()), days);
    EXPECT_LE(old.work, 3 * days + 3);
    EXPECT_EQ(text(old.times.front()), "20251209T090000");
    // Rules that leave out every day of the window take a step a day, even
    // stepping by the second, where libical searches for centuries.
    for (const char *rule : {"FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30", "FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30",
                             "FREQ=HOURLY;BYDAY=MO;BYMONTHDAY=1;BYMONTH=4;BYYEARDAY=1"}) {
        const IcsRuleWalk none = walk(rule, "20100105T093000", first, last);
        EXPECT_TRUE(none.times.empty()) << rule;
        EXPECT_FALSE(none.cutShort) << rule;
        EXPECT_LE(none.work, 2 * days + 2) << rule;
    }
    // Hours, minutes and seconds the rule leaves out are passed over whole.
    const IcsRuleWalk nine = walk("FREQ=SECONDLY;BYHOUR=9;BYMINUTE=0;BYSECOND=0,30", "20260101T000000",
                                  QDate(2026, 1, 1), QDate(2026, 1, 10));
    EXPECT_EQ(nine.times.size(), 20u);
    EXPECT_LE(nine.work, 100);
}

TEST(IcsRecurrence, ARuleThatRepeatsTooOftenIsCutShortAtTheCeiling)
{
    const QDate first(2025, 12, 9), last(2028, 12, 9);
    // Every second of every day of the year, by the parts of a yearly rule.
    const QByteArray everySecond = "FREQ=YEARLY;BYMONTH=" + EveryNumber(1, 12) + ";BYDAY=MO,TU,WE,TH,FR,SA,SU;BYHOUR=" +
                                   EveryNumber(0, 23) + ";BYMINUTE=" + EveryNumber(0, 59) + ";BYSECOND=" +
                                   EveryNumber(0, 59);
    struct Case {
        const char *rule, *start, *reached;
    } cases[] = {
        {"FREQ=SECONDLY", "20251209T090000", "2025-12-09"},
        {everySecond.constData(), "20251209T090000", "2025-12-09"},
        // Counted from long ago: the count cannot be known without the walk.
        {"FREQ=SECONDLY;COUNT=2000000000", "20100105T090000", "2010-01-05"},
    };
    for (const Case &c : cases) {
        const IcsRuleWalk w = walk(c.rule, c.start, first, last, 20000);
        EXPECT_TRUE(w.cutShort) << c.rule;
        EXPECT_LE(w.work, 20001) << c.rule;
        EXPECT_EQ(w.reached.toString(Qt::ISODate), QString::fromLatin1(c.reached)) << c.rule;
    }
    // What was walked before the ceiling is kept.
    EXPECT_EQ(walk("FREQ=SECONDLY", "20251209T090000", first, last, 20000).times.size(), 10000u);

    // A walk stops when told.
    std::atomic<bool> cancel{true};
    const IcsRuleWalk stopped = WalkIcsRule(icalrecurrencetype_from_string("FREQ=SECONDLY"),
                                            icaltime_from_string("20251209T090000"), first, last, 1000000, &cancel);
    EXPECT_LE(stopped.work, 4096);
}

TEST(IcsRecurrence, UntilInUtcIsReadByTheClockOfTheStart)
{
    // 8:00 in New York is 13:00 UTC in winter: UNTIL at 13:00 UTC keeps the
    // last Monday, at 12:59 leaves it out.
    icaltimetype start = icaltime_from_string("20260105T080000");
    start.zone = icaltimezone_get_builtin_timezone("America/New_York");
    ASSERT_NE(start.zone, nullptr);
    const QDate first(2026, 1, 1), last(2026, 12, 31);
    EXPECT_EQ(WalkIcsRule(icalrecurrencetype_from_string("FREQ=WEEKLY;UNTIL=20260119T130000Z"), start, first, last,
                          1000)
                  .times.size(),
              3u);
    EXPECT_EQ(WalkIcsRule(icalrecurrencetype_from_string("FREQ=WEEKLY;UNTIL=20260119T125900Z"), start, first, last,
                          1000)
                  .times.size(),
              2u);
    // A time zone's own rule: local times, UNTIL turned by the offset before
    // the change (two hours east of UTC here).
    EXPECT_EQ(WalkIcsRule(icalrecurrencetype_from_string("FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU;UNTIL=20271031T010000Z"),
                          icaltime_from_string("19961027T030000"), QDate(2025, 1, 1), QDate(2030, 1, 1), 100000,
                          nullptr, 7200)
                  .times.size(),
              3u);
    // Other calendars' rules are not followed.
    icalrecurrencetype hebrew = icalrecurrencetype_from_string("FREQ=YEARLY");
    char scale[] = "HEBREW";
    hebrew.rscale = scale;
    EXPECT_TRUE(WalkIcsRule(hebrew, icaltime_from_string("20260105T080000"), first, last, 1000).unsupported);
}
