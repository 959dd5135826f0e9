#include "ColorPicker.h"
#include "MonthCalendar.h"
#include "ColorDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScreen>

using namespace morvane;

namespace {
QColor pixelOf(MonthCalendar *cal, int cell)
{
    QImage img(cal->size(), QImage::Format_ARGB32);
    cal->render(&img);
    const QRect r = cal->cellRect(cell);
    return img.pixelColor(r.left() + 2, r.top() + 2);
}
}  // namespace

TEST(ColorDialog, TheSampleShowsTheChosenColours)
{
    TfrmColor dlg(QDate(2026, 12, 9));
    dlg.setWindowTitle("Set color for DONE tasks");
    dlg.cbFG->setSelected(0x000000);
    dlg.cbBG->setSelected(0xFFFF00);  // aqua
    dlg.show();
    EXPECT_TRUE(dlg.cbFG->isVisible());
    EXPECT_EQ(pixelOf(dlg.cal2, 10), QColor(0, 255, 255));  // a day of December
    EXPECT_NE(pixelOf(dlg.cal2, 1), QColor(0, 255, 255));   // 29 November keeps its look

    emit dlg.cbBG->activated(9);  // Red
    EXPECT_EQ(pixelOf(dlg.cal2, 10), QColor(255, 0, 0));
    EXPECT_GE(dlg.width(), 258);
    EXPECT_GE(dlg.height(), 255);
}

TEST(ColorDialog, MonthModePicksOnlyTheBackground)
{
    TfrmColor dlg(QDate(2026, 12, 9));
    dlg.monthMode = true;
    dlg.cbBG->setSelected(0x00FF00);  // lime
    dlg.show();
    EXPECT_FALSE(dlg.cbFG->isVisible());
    EXPECT_EQ(dlg.Label2->text(), "Set color of current month");
    EXPECT_EQ(dlg.cal2->colorBack, QColor(0, 255, 0));
    EXPECT_EQ(pixelOf(dlg.cal2, 10), QColor(0, 255, 0));
}

TEST(ColorDialog, AFixedDialogInTheMiddleOfTheScreen)
{
    // Its caller (the options) stands in a corner; the dialog does not.
    QWidget caller;
    caller.setGeometry(0, 0, 300, 200);
    caller.show();
    TfrmColor dlg(QDate(2026, 12, 9), &caller);
    dlg.show();
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_GE(dlg.width(), 258);
    EXPECT_GE(dlg.height(), 255);
    const QRect area = dlg.screen()->availableGeometry();
    EXPECT_LE(std::abs(dlg.frameGeometry().center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(dlg.frameGeometry().center().y() - area.center().y()), 1);
}
