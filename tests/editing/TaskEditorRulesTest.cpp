#include "TaskEditorRules.h"

#include <gtest/gtest.h>

using namespace morvane;

TEST(TaskEditorRules, BlankNotesAnnualDatesAndCategories)
{
    // Only an empty stored text is blank.
    EXPECT_TRUE(NotesAreBlank({""}));
    EXPECT_TRUE(NotesAreBlank({}));
    EXPECT_FALSE(NotesAreBlank({" "}));
    EXPECT_FALSE(NotesAreBlank({"", ""}));

    // 29 February falls on 28 February in years without one.
    const QList<QDate> leap = AnnualRepeatDates(QDate(2000, 2, 29), 10);
    ASSERT_EQ(leap.size(), 10);
    EXPECT_EQ(leap[0], QDate(2001, 2, 28));
    EXPECT_EQ(leap[3], QDate(2004, 2, 29));
    EXPECT_EQ(leap[9], QDate(2010, 2, 28));
    EXPECT_EQ(AnnualRepeatDates(QDate(2026, 12, 31), 1), QList<QDate>({QDate(2027, 12, 31)}));

    // Categories: one item whatever the case of any letter.
    EXPECT_TRUE(HasCategory({"Été", "Work"}, "éTÉ"));
    EXPECT_TRUE(HasCategory({"Été", "Work"}, "WORK"));
    EXPECT_FALSE(HasCategory({"Été"}, "Ete"));
    EXPECT_EQ(SortedCategories({"work", "Home", "été"}), QStringList({"Home", "work", "été"}));  // as the list editor sorts
}

TEST(TaskEditorRules, ACompletedRowHasTheTimeAsTheTaskShowsIt)
{
    // To the minute even with a long time format that shows seconds, and a
    // task without a time of day keeps its text.
    const FormatSettings fs = FormatSettings::enUS();
    ASSERT_TRUE(fs.longTimeFormat.contains(QStringLiteral("ss")));
    const QStringList row = CompletedRow(QDate(2026, 12, 9), TaskTimeText(TimeValue(9, 30, 45), fs),
                                         QStringLiteral("Work"), QStringLiteral("To-do task"),
                                         QStringLiteral("Notes"), QString(), fs);
    EXPECT_EQ(row, QStringList({"12/9/2026", "9:30 AM", "Work", "To-do task", "Notes", ""}));
    EXPECT_EQ(CompletedRow(QDate(2026, 12, 9), QStringLiteral("All day"), QStringLiteral("Work"),
                           QStringLiteral("12/9/2026"), QStringLiteral("Notes"), QString(), fs)[1],
              "All day");
}
