#include "PopupSummary.h"
#include "Utility.h"

#include <gtest/gtest.h>

using namespace morvane;

TEST(PopupSummary, PendingThenCompletedInStoreOrder)
{
    Grid g = NewStoreGrid();
    struct T {
        int pos;
        const char *time, *category, *notes, *done;
    };
    const T day[] = {{101, "9:00 AM", "Work", "Call the bank\r\nabout the form\r\n", "No"},
                     {102, "10:00 AM", "Home", "Water plants", "Yes"},
                     {103, "2:00 PM", "Work", "Meeting", "No"},
                     {104, "3:00 PM", "Secret", "Hidden one", "No"}};
    g.setRowCount(int(std::size(day)) + 2);
    int r = 1;
    for (const T &t : day) {
        g.setCell(kStoreKey, r, MakeStoreKey(46365, t.pos));
        g.setCell(kStoreTime, r, QString::fromLatin1(t.time));
        g.setCell(kStoreCategory, r, QString::fromLatin1(t.category));
        g.setCell(kStoreNotes, r, QString::fromLatin1(t.notes));
        g.setCell(kStoreDone, r, QString::fromLatin1(t.done));
        ++r;
    }
    g.setCell(kStoreKey, r, MakeStoreKey(46366, 101));
    g.setCell(kStoreNotes, r, u"next day");
    g.setCell(kStoreDone, r, u"No");
    TaskFilter filter;
    filter.setCategories({{"Secret", false}});
    EXPECT_EQ(PopupLines(g, 46365, filter),
              QStringList({"2\t Pending tasks", "", "9:00 AM\tCall the bank", "2:00 PM\tMeeting", "",
                           "1\t Completed tasks", "", "10:00 AM\tWater plants"}));
    EXPECT_TRUE(PopupLines(g, 46364, filter).isEmpty());
    TaskFilter doneOnly;
    doneOnly.setShowNotDone(false);
    EXPECT_EQ(PopupLines(g, 46365, doneOnly), QStringList({"1\t Completed tasks", "", "10:00 AM\tWater plants"}));
}

TEST(PopupSummary, TheCountdownTickByTick)
{
    PopupHover h;
    EXPECT_FALSE(h.tick());  // nothing before the mouse comes
    EXPECT_TRUE(h.mouseMove(12, QPoint(10, 10), false));  // a new cell: hidden, ten ticks
    for (int i = 0; i < 9; ++i)
        EXPECT_FALSE(h.tick()) << i;
    EXPECT_TRUE(h.tick());   // 1.2 seconds of rest
    EXPECT_FALSE(h.tick());  // and only once
    // Open, the mouse moves slowly to the next cell: two ticks.
    EXPECT_FALSE(h.mouseMove(13, QPoint(14, 12), true));
    EXPECT_FALSE(h.tick());
    EXPECT_TRUE(h.tick());
    // A jump of more than 6 pixels hides it.
    EXPECT_TRUE(h.mouseMove(13, QPoint(30, 12), true));
    // The same cell again restarts nothing.
    EXPECT_FALSE(h.mouseMove(13, QPoint(31, 12), false));
    EXPECT_FALSE(h.tick());
}
