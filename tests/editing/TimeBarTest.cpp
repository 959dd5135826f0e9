#include "Clock.h"
#include "TimeBarLogic.h"
#include "TimeBarDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

using namespace morvane;

TEST(TimeBarArithmetic, PointerPositionsAndRounding)
{
    EXPECT_EQ(Xtotime(16), QTime(0, 0));
    EXPECT_EQ(Xtotime(10), QTime(0, 0));
    EXPECT_EQ(Xtotime(495), QTime(0, 0));   // 23:57 rounds to 0:00, not 24:00
    EXPECT_EQ(Xtotime(215), QTime(10, 0));  // 9:57
    EXPECT_EQ(Xtotime(217), QTime(10, 5));  // 10:03
    EXPECT_EQ(Xtotime(222), QTime(10, 15)); // 10:18
    EXPECT_EQ(Xtotime(224), QTime(10, 25)); // 10:24
    EXPECT_EQ(Xtotime(219), QTime(10, 10)); // 10:09
    int h = 9, m = 7;  // not a multiple of 3: 0
    adjustTo5Minutes(h, m);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(TimetoX(10, 0), 215);
    EXPECT_EQ(TimetoX(0, 0), 15);
    EXPECT_TRUE(PointerInRange(15));
    EXPECT_TRUE(PointerInRange(495));
    EXPECT_FALSE(PointerInRange(14));
    EXPECT_FALSE(PointerInRange(496));
}

TEST(TimeBarArithmetic, KeySteps)
{
    EXPECT_EQ(StepTime(QTime(10, 0), Qt::Key_Down), QTime(9, 0));  // a whole hour back
    EXPECT_EQ(StepTime(QTime(10, 5), Qt::Key_Down), QTime(10, 4));
    EXPECT_EQ(StepTime(QTime(9, 59), Qt::Key_Up), QTime(10, 0));
    EXPECT_EQ(StepTime(QTime(23, 59), Qt::Key_Up), QTime(23, 59));
    EXPECT_EQ(StepTime(QTime(0, 0), Qt::Key_Down), QTime(0, 0));
    EXPECT_EQ(StepTime(QTime(22, 30, 15), Qt::Key_PageUp), QTime(23, 30));  // seconds go
    EXPECT_EQ(StepTime(QTime(23, 30), Qt::Key_PageUp), QTime(23, 30));
    EXPECT_EQ(StepTime(QTime(0, 30), Qt::Key_PageDown), QTime(0, 30));
    EXPECT_EQ(StepTime(QTime(5, 30), Qt::Key_A), QTime(5, 30));
}

TEST(TimeBar, MouseKeysAndNow)
{
    const FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(14, 42, 31)));
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    TfrmTimePopup dlg(fs, clock);
    EXPECT_EQ(dlg.returnedTime(), QTime(14, 42, 31));  // 0 means now
    dlg.settime(TimeValue(9, 30));
    dlg.show();
    EXPECT_TRUE(dlg.twelveHourRuler());
    EXPECT_EQ(dlg.pointerX(), TimetoX(9, 30));
    EXPECT_EQ(dlg.sbNow->text(), "It is 2:42 PM");

    // A click lands the line where the person clicked: picture x 207 is 9:57.
    dlg.rulerPress(207);
    EXPECT_EQ(dlg.returnedTime(), QTime(10, 0));
    EXPECT_EQ(dlg.pointerX(), 215);
    EXPECT_TRUE(dlg.pnlTime->isVisible());
    dlg.rulerDrag(209);
    EXPECT_EQ(dlg.returnedTime(), QTime(10, 5));
    dlg.rulerRelease();
    EXPECT_FALSE(dlg.pnlTime->isVisible());
    dlg.rulerPress(600);  // off the ruler: nothing moves
    EXPECT_EQ(dlg.returnedTime(), QTime(10, 5));

    QTest::keyClick(dlg.dtTime, Qt::Key_Down);
    EXPECT_EQ(dlg.returnedTime(), QTime(10, 4));
    QTest::keyClick(dlg.dtTime, Qt::Key_PageUp);
    EXPECT_EQ(dlg.returnedTime(), QTime(11, 4));
    EXPECT_EQ(dlg.pointerX(), TimetoX(11, 4));
    QTest::keyClick(dlg.dtTime, Qt::Key_Home);
    EXPECT_EQ(dlg.returnedTime(), QTime(14, 42, 31));
    // The window sees the keys first, also while a button has the focus.
    dlg.settime(TimeValue(9, 30));
    QTest::keyClick(dlg.btOK, Qt::Key_PageUp);
    EXPECT_EQ(dlg.returnedTime(), QTime(10, 30));

    dlg.settime(TimeValue(6, 0));
    dlg.sbNowClick();
    EXPECT_EQ(dlg.returnedTime(), QTime(14, 42, 31));
}
