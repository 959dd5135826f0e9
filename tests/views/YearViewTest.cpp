#include "TestFiles.h"
#include "YearView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

using namespace morvane;

namespace {

class YearViewTest : public ::testing::Test {
protected:
    TempFolder config;
    SettingsStore settings{config.file("Task.conf")};
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(10, 0))};
    QDate mainDate{2000, 5, 15};
    QStringList painted;

    TfrmYear::Services services()
    {
        return {settings, clock, [this] { return mainDate; }, [this](const QDate &d) { mainDate = d; },
                [] { return QStringLiteral("Today is Wednesday"); }, Qt::Sunday,
                [](QPainter &, const QDate &, bool &defaultDraw) { defaultDraw = true; }, 8, true, QColor()};
    }
    std::unique_ptr<TfrmYear> open() { return open(services()); }
    std::unique_ptr<TfrmYear> open(TfrmYear::Services sv)
    {
        auto y = std::make_unique<TfrmYear>(std::move(sv));
        y->show();
        return y;
    }
    void click(MonthCalendar *c, int cell) { QTest::mouseClick(c, Qt::LeftButton, {}, c->cellRect(cell).center()); }
    void key(TfrmYear &y, Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QTest::keyClick(y.calendar(y.selected()), k, m);
    }
};

}  // namespace

TEST_F(YearViewTest, OpensOnTheMainWindowsDayAndTheArrowsMoveItAlong)
{
    auto y = open();
    EXPECT_EQ(y->selected(), 4);  // May
    EXPECT_EQ(y->selectedDate(), QDate(2000, 5, 15));
    EXPECT_EQ(y->windowTitle(), "Yearly calendar for 2000");
    EXPECT_EQ(y->statusText(), "Use the arrow keys to move from date to date");
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(y->calendar(i)->date().month(), i + 1);

    y->calendar(4)->setDate(QDate(2000, 5, 31));
    key(*y, Qt::Key_Right);
    EXPECT_EQ(y->selected(), 5);
    EXPECT_EQ(y->selectedDate(), QDate(2000, 6, 1));
    EXPECT_EQ(mainDate, QDate(2000, 6, 1));  // the main window follows
    EXPECT_EQ(y->statusText(), "Today is Wednesday");
    key(*y, Qt::Key_Up);
    EXPECT_EQ(y->selectedDate(), QDate(2000, 5, 25));

    // Past the year's ends the arrows go on into the next or prior year.
    y->cal1Click(11);
    y->calendar(11)->setDate(QDate(2000, 12, 31));
    key(*y, Qt::Key_Right);
    EXPECT_EQ(y->selected(), 0);
    EXPECT_EQ(y->selectedDate(), QDate(2001, 1, 1));
    EXPECT_EQ(y->windowTitle(), "Yearly calendar for 2001");
    EXPECT_EQ(y->calendar(11)->date().year(), 2001);
    EXPECT_EQ(mainDate, QDate(2001, 1, 1));
    key(*y, Qt::Key_Left);
    EXPECT_EQ(y->selected(), 11);
    EXPECT_EQ(y->selectedDate(), QDate(2000, 12, 31));
    EXPECT_EQ(y->windowTitle(), "Yearly calendar for 2000");
    key(*y, Qt::Key_Down);
    EXPECT_EQ(y->selectedDate(), QDate(2001, 1, 7));
    key(*y, Qt::Key_Up);
    EXPECT_EQ(y->selectedDate(), QDate(2000, 12, 31));
    EXPECT_EQ(mainDate, QDate(2000, 12, 31));
}

TEST_F(YearViewTest, EveryMonthIsReadableAtTheSizeItOpens)
{
    // The first run's stored size, and a size stored small by hand.
    for (const char *size : {"", "120"}) {
        if (*size) {
            settings.writeText("", "YearWidth", size);
            settings.writeText("", "YearHeight", size);
        }
        auto y = open();
        for (int i = 0; i < 12; ++i) {
            const MonthCalendar *c = y->calendar(i);
            EXPECT_TRUE(c->showWeekDayHeader) << "month " << i + 1 << " at " << y->width() << "x" << y->height();
            EXPECT_TRUE(c->showOnCalendar);
            // The day numbers at the calendar font's size, with room between them.
            EXPECT_EQ(c->cellFont.pointSize(), 8);
            const QFontMetrics fm(c->cellFont);
            EXPECT_GE(c->cellRect(1).width(), fm.horizontalAdvance(QStringLiteral("30")) + 4);
            EXPECT_GE(c->cellRect(1).height(), fm.height());
        }
    }
}

TEST_F(YearViewTest, PagesYearsTodayAndTheStoredPlace)
{
    auto y = open();
    y->calendar(1)->setDate(QDate(2000, 2, 29));
    y->cal1Click(2);  // March
    key(*y, Qt::Key_PageUp);
    EXPECT_EQ(y->selectedDate(), QDate(2000, 2, 29));  // the day February held
    y->cal1Click(0);
    key(*y, Qt::Key_PageUp);  // from January: the year before
    EXPECT_EQ(y->selected(), 0);
    EXPECT_EQ(y->selectedDate().year(), 1999);
    EXPECT_EQ(y->calendar(1)->date(), QDate(1999, 2, 28));  // no 29 February in 1999
    y->cal1Click(11);
    key(*y, Qt::Key_PageDown);  // from December: the year after, on the 1st
    EXPECT_EQ(y->selectedDate(), QDate(2000, 12, 1));
    key(*y, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(y->selectedDate(), QDate(2026, 12, 9));
    EXPECT_EQ(y->windowTitle(), "Yearly calendar for 2026");
    EXPECT_EQ(mainDate, QDate(2026, 12, 9));

    y->resize(760, 580);
    y->accept();
    EXPECT_EQ(settings.raw("", "YearWidth"), "760");
    EXPECT_EQ(settings.raw("", "YearHeight"), "580");
}

TEST_F(YearViewTest, TheEmptyCellsAroundAMonthTakeNoClick)
{
    auto y = open();
    // 1 February 2000 is a Tuesday: the first two cells of February are empty.
    MonthCalendar *feb = y->calendar(1);
    ASSERT_FALSE(feb->grid().inMonth(1));
    click(feb, 1);
    QTest::mouseDClick(feb, Qt::LeftButton, {}, feb->cellRect(1).center());
    EXPECT_TRUE(y->isVisible());
    EXPECT_EQ(feb->date().month(), 2);
    EXPECT_EQ(y->selected(), 4);
    EXPECT_EQ(mainDate, QDate(2000, 5, 15));

    // Nor do those before 1 January and after 31 December: the year stays,
    // and the year buttons count from it.
    click(y->calendar(0), 1);
    click(y->calendar(11), 42);
    EXPECT_EQ(y->calendar(0)->date().year(), 2000);
    EXPECT_EQ(y->calendar(11)->date().year(), 2000);
    EXPECT_EQ(y->windowTitle(), "Yearly calendar for 2000");
    y->btNext->click();
    EXPECT_EQ(y->windowTitle(), "Yearly calendar for 2001");
    EXPECT_EQ(mainDate, QDate(2001, 5, 15));

    // A day of the month is chosen by its click.
    click(feb, feb->grid().cellOfDate(QDate(2001, 2, 10)));
    EXPECT_EQ(y->selected(), 1);
    EXPECT_EQ(mainDate, QDate(2001, 2, 10));
}

TEST_F(YearViewTest, LooksHintsAndTheHourglassFollowTheMainWindow)
{
    // The hourglass shows while the view fills its months: when it opens,
    // and on Prior, Next and Today (each tells the main window the day).
    QList<bool> busy;
    auto waiting = [] {
        const QCursor *c = QApplication::overrideCursor();
        return c && c->shape() == Qt::WaitCursor;
    };
    TfrmYear::Services sv = services();
    sv.mainDate = [&] {
        busy << waiting();
        return mainDate;
    };
    sv.setMainDate = [&](const QDate &d) {
        busy << waiting();
        mainDate = d;
    };
    sv.currentMonthBack = QColor(0, 255, 0);
    sv.showHints = false;
    mainDate = QDate(2026, 3, 4);
    auto y = open(std::move(sv));
    y->btPrior->click();
    y->btNext->click();
    y->btToday->click();
    EXPECT_EQ(busy, QList<bool>({true, true, true, true}));
    EXPECT_FALSE(QApplication::overrideCursor());

    // The chosen day in "button highlight", the other months' in button face.
    const QPalette pal = QApplication::palette();
    EXPECT_EQ(y->selected(), 11);
    EXPECT_EQ(y->calendar(11)->colorSelectedBack, pal.color(QPalette::Light));
    EXPECT_EQ(y->calendar(2)->colorSelectedBack, pal.color(QPalette::Button));
    // The real current month on its own background, in this year only.
    EXPECT_EQ(y->calendar(11)->colorBack, QColor(0, 255, 0));
    EXPECT_EQ(y->calendar(11)->colorHeaderBack, QColor(0, 255, 0));
    EXPECT_EQ(y->calendar(10)->colorBack, pal.color(QPalette::Button));
    y->btPrior->click();
    EXPECT_EQ(y->calendar(11)->colorBack, pal.color(QPalette::Button));
    // Month and year labels in the calendars' label face.
    EXPECT_EQ(y->calendar(0)->monthLabelFont.family(), "Times New Roman");
    EXPECT_EQ(y->calendar(0)->yearLabelFont.family(), "Times New Roman");
    // Without fly-by hints the buttons have none.
    EXPECT_TRUE(y->btPrior->toolTip().isEmpty());
    EXPECT_TRUE(y->btToday->toolTip().isEmpty());

    // Without the month colour every month is on button face; with hints
    // the buttons have theirs.
    auto plain = open();
    EXPECT_EQ(plain->calendar(4)->colorBack, pal.color(QPalette::Button));
    EXPECT_EQ(plain->btPrior->toolTip(), "Prior year");
    EXPECT_EQ(plain->btToday->toolTip(), "Ctrl-Home - go to today");
}
