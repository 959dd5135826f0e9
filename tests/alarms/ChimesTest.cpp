// When the hour and half-hour chimes sound.

#include "Chimes.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(Chimes, EachChimeSoundsInTheFirstFifteenSecondsOfItsMinute)
{
    EXPECT_EQ(ChimeDue(QTime(10, 0, 0), true, true), Chime::Hour);
    EXPECT_EQ(ChimeDue(QTime(10, 0, 14, 999), true, true), Chime::Hour);
    EXPECT_EQ(ChimeDue(QTime(10, 0, 15), true, true), Chime::None);
    EXPECT_EQ(ChimeDue(QTime(9, 59, 59), true, true), Chime::None);
    EXPECT_EQ(ChimeDue(QTime(10, 30, 14), true, true), Chime::HalfHour);
    EXPECT_EQ(ChimeDue(QTime(10, 30, 15), true, true), Chime::None);
    EXPECT_EQ(ChimeDue(QTime(10, 15, 0), true, true), Chime::None);
    // Each follows its own option.
    EXPECT_EQ(ChimeDue(QTime(10, 0, 0), false, true), Chime::None);
    EXPECT_EQ(ChimeDue(QTime(10, 30, 0), true, false), Chime::None);
    EXPECT_EQ(ChimeResource(Chime::Hour), QStringLiteral("BIGBENWAV"));
    EXPECT_EQ(ChimeResource(Chime::HalfHour), QStringLiteral("CHIMES"));
}

TEST(Chimes, AWindowChimesOnceHoweverOftenItIsLookedAt)
{
    ChimeRecord record;
    const QDate day(2026, 12, 9);
    EXPECT_EQ(record.take(QDateTime(day, QTime(10, 0, 0, 5)), true, true), Chime::Hour);
    EXPECT_EQ(record.take(QDateTime(day, QTime(10, 0, 14, 980)), true, true), Chime::None);
    EXPECT_EQ(record.take(QDateTime(day, QTime(10, 30, 1)), true, true), Chime::HalfHour);
    // The same hour of the next day chimes again.
    EXPECT_EQ(record.take(QDateTime(day.addDays(1), QTime(10, 0, 1)), true, true), Chime::Hour);
}

}  // namespace
}  // namespace morvane
