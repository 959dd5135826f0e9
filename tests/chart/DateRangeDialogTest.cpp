#include "ChartStores.h"
#include "Clock.h"
#include "DateRangeDialog.h"
#include "ShadowLabel.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

using namespace morvane;

namespace {

const FormatSettings kFs = fix2000(FormatSettings::enUS());

}  // namespace

TEST(DateRangeDialog, DecrementMonthsKeepsTheDayOrTakesTheMonthsLast)
{
    auto dm = &TfrmSelectDateRange::decrementMonths;
    EXPECT_EQ(dm(1, QDate(2001, 3, 31)), QDate(2001, 2, 28));
    EXPECT_EQ(dm(1, QDate(2000, 3, 31)), QDate(2000, 2, 29));
    EXPECT_EQ(dm(1, QDate(2001, 5, 31)), QDate(2001, 4, 30));
    EXPECT_EQ(dm(1, QDate(2001, 1, 15)), QDate(2000, 12, 15));
    EXPECT_EQ(dm(3, QDate(2001, 3, 1)), QDate(2000, 12, 1));
    EXPECT_EQ(dm(12, QDate(2001, 12, 31)), QDate(2000, 12, 31));
    EXPECT_EQ(dm(12, QDate(2000, 2, 29)), QDate(1999, 2, 28));
    EXPECT_EQ(dm(2, QDate(2001, 4, 30)), QDate(2001, 2, 28));
}

TEST(DateRangeDialog, ThreeRowsComputeTheirRanges)
{
    FixedClock clock(QDateTime(QDate(2000, 3, 31), QTime(16, 20)));
    TfrmSelectDateRange dlg({clock, kFs});
    EXPECT_EQ(dlg.windowTitle(), "Select Date Range");
    EXPECT_EQ(dlg.lblTitle->text(), "Select a date range");
    EXPECT_EQ(dlg.edMonths->minimum(), 1);
    EXPECT_EQ(dlg.edMonths->maximum(), 12);
    EXPECT_EQ(dlg.edDays->minimum(), 1);
    EXPECT_EQ(dlg.edDays->maximum(), 365);

    // Between two dates.
    dlg.setRange({Day(2000, 1, 10), Day(2000, 2, 20)});
    dlg.FormShow();
    EXPECT_TRUE(dlg.rbBetween->isChecked());
    EXPECT_TRUE(dlg.dtStart->isEnabled());
    EXPECT_TRUE(dlg.dtEnd->isEnabled());
    EXPECT_FALSE(dlg.edMonths->isEnabled());
    EXPECT_FALSE(dlg.lblMonths->isEnabled());
    EXPECT_FALSE(dlg.edDays->isEnabled());
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2000, 1, 10), Day(2000, 2, 20)}));

    // The previous n months: from the day after the same day n months
    // before, so the range is n months long and ends today. On 31 March of
    // a leap year the previous month is March, not from 29 February on.
    dlg.rbMonths->setChecked(true);
    dlg.rbDaysClick();
    EXPECT_FALSE(dlg.dtStart->isEnabled());
    EXPECT_FALSE(dlg.dtEnd->isEnabled());
    EXPECT_TRUE(dlg.edMonths->isEnabled());
    EXPECT_TRUE(dlg.lblMonths->isEnabled());
    EXPECT_FALSE(dlg.edDays->isEnabled());
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2000, 3, 1), Day(2000, 3, 31)}));
    // And of another year, not from 28 February on.
    clock.set(QDateTime(QDate(2001, 3, 31), QTime(9, 0)));
    dlg.btOKClick();
    EXPECT_EQ(dlg.QDialog::result(), int(QDialog::Accepted));
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2001, 3, 1), Day(2001, 3, 31)}));
    dlg.edMonths->setValue(12);
    dlg.computeStartEnd();
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2000, 4, 1), Day(2001, 3, 31)}));
    // In the middle of a month: from the day after that day a month before.
    clock.set(QDateTime(QDate(2001, 3, 15), QTime(9, 0)));
    dlg.edMonths->setValue(1);
    dlg.computeStartEnd();
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2001, 2, 16), Day(2001, 3, 15)}));
    clock.set(QDateTime(QDate(2001, 3, 31), QTime(9, 0)));
    dlg.edMonths->setValue(12);

    // The previous n days: n days, today the last of them.
    dlg.rbDays->setChecked(true);
    dlg.edDays->setValue(10);
    dlg.rbDaysClick();
    EXPECT_TRUE(dlg.edDays->isEnabled());
    EXPECT_TRUE(dlg.lblDays->isEnabled());
    EXPECT_FALSE(dlg.edMonths->isEnabled());
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2001, 3, 22), Day(2001, 3, 31)}));
    dlg.edDays->setValue(1);
    dlg.computeStartEnd();
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2001, 3, 31), Day(2001, 3, 31)}));
    dlg.edDays->setValue(365);
    dlg.computeStartEnd();
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2000, 4, 1), Day(2001, 3, 31)}));
    dlg.edDays->setValue(10);

    EXPECT_EQ(dlg.choice(), (RangeChoice{RangeChoice::Days, 12, 10}));
    dlg.setChoice({RangeChoice::Months, 3, 7});
    EXPECT_TRUE(dlg.rbMonths->isChecked());
    EXPECT_EQ(dlg.choice(), (RangeChoice{RangeChoice::Months, 3, 7}));
}

TEST(DateRangeDialog, LeavingADateBoxKeepsTheStartBeforeTheEnd)
{
    FixedClock clock(QDateTime(QDate(2001, 3, 31), QTime(9, 0)));
    TfrmSelectDateRange dlg({clock, kFs});
    dlg.setRange({Day(2001, 1, 10), Day(2001, 2, 20)});

    // An end before the start moves the start to it.
    dlg.dtEnd->setDate(QDate(2001, 1, 5));
    dlg.dtEndExit();
    EXPECT_EQ(dlg.dtStart->date(), QDate(2001, 1, 5));
    EXPECT_EQ(dlg.dtEnd->date(), QDate(2001, 1, 5));

    // A start after the end moves the end to it.
    dlg.dtStart->setDate(QDate(2001, 3, 1));
    dlg.dtStart2Exit();
    EXPECT_EQ(dlg.dtEnd->date(), QDate(2001, 3, 1));

    // Left in order, nothing moves.
    dlg.dtStart->setDate(QDate(2001, 2, 1));
    dlg.dtStart2Exit();
    dlg.dtEndExit();
    EXPECT_EQ(dlg.dtStart->date(), QDate(2001, 2, 1));
    EXPECT_EQ(dlg.dtEnd->date(), QDate(2001, 3, 1));

    // Even when neither box was left, OK never hands out a reversed range.
    dlg.dtEnd->setDate(QDate(2001, 1, 1));
    dlg.btOKClick();
    EXPECT_EQ(dlg.chosenRange(), (ChartRange{Day(2001, 1, 1), Day(2001, 1, 1)}));
}
