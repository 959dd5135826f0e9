#include "GridTableModel.h"
#include "ShadowLabel.h"
#include "TestFiles.h"
#include "MainWindow.h"
#include "OptionsDialog.h"
#include "YearView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QTableView>

using namespace morvane;

namespace {

QByteArray storeFile()
{
    // 9 December 2026 is day 46365.
    return "6,6\r\n"
           "0,1,46365.101\r\n1,1,10:30 AM\r\n2,1,Work\r\n3,1,Later one\r\n4,1,No\r\n5,1,No\r\n"
           "0,2,46365.102\r\n1,2,9:00 AM\r\n2,2,Home\r\n3,2,Call the bank\t\bAsk for the form\t\b\r\n4,2,Yes\r\n5,2,No\r\n"
           "0,3,46366.101\r\n1,3,9:00 AM\r\n2,3,Work\r\n3,3,done\r\n4,3,Yes\r\n5,3,No\r\n"
           "0,4,46367.101\r\n1,4,9:00 AM\r\n2,4,Work\r\n3,4,open\r\n4,4,No\r\n5,4,No\r\n"
           "0,5,46381.101\r\n1,5,9:00 AM\r\n2,5,Work\r\n3,5,christmas task\r\n4,5,No\r\n5,5,No\r\n";
}

class CalendarsTest : public ::testing::Test {
protected:
    TempFolder data, config;
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(10, 0))};
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    RecordingSoundPlayer sound;
    SettingsStore settings{config.file("Task.conf")};
    std::unique_ptr<TfrmMain> w;

    void SetUp() override
    {
        writeBytes(data.file("grid.grd"), storeFile());
        writeBytes(data.file("gridNon.grd"), "3,4\r\n1,1,a\r\n1,2,b\r\n1,3,c\r\n");
        writeBytes(data.file("holiday.grd"), "4,2\r\n0,1,Christmas\r\n1,1,12\r\n2,1,December\r\n3,1,25\r\n");
        w = std::make_unique<TfrmMain>(
            MainServices{clock, prompts, runner, settings, sound, data.path(), "/x/morvane", QDate(2026, 12, 1)});
        w->resize(900, 600);
        w->show();
        w->Timer2Timer();
    }
    // The colours the drawing rule gives a day cell of a calendar.
    std::pair<QColor, QColor> look(int cal, int day)
    {
        MonthCalendar *c = w->calendar(cal);
        MonthCalendar::Cell cell;
        cell.day = day;
        cell.inMonth = true;
        cell.selected = c->date().day() == day;
        cell.number = c->grid().cellOfDate(QDate(c->date().year(), c->date().month(), day));
        QImage img(10, 10, QImage::Format_ARGB32);
        QPainter p(&img);
        p.setBrush(Qt::magenta);
        p.setPen(Qt::magenta);
        bool defaultDraw = false;
        w->cal1DrawCell(cal, p, cell, defaultDraw);
        EXPECT_TRUE(defaultDraw);
        return {p.brush().color(), p.pen().color()};
    }
};

}  // namespace

TEST_F(CalendarsTest, FirstShowPlacesTheMonthsAroundToday)
{
    EXPECT_EQ(w->currentCalendar(), 1);
    EXPECT_EQ(w->calendar(0)->date(), QDate(2026, 11, 9));
    EXPECT_EQ(w->calendar(1)->date(), QDate(2026, 12, 9));
    EXPECT_EQ(w->calendar(2)->date(), QDate(2027, 1, 9));
    EXPECT_EQ(w->calendar(3)->date(), QDate(2027, 2, 9));
    EXPECT_EQ(w->calendar(1)->bevel, MonthCalendar::Bevel::Raised);
    // The chosen day of the current calendar in "button highlight".
    EXPECT_EQ(w->calendar(1)->colorSelectedBack, QApplication::palette().color(QPalette::Light));
    EXPECT_EQ(w->gridDay().rowCount(), 3);  // today's two tasks
    EXPECT_EQ(w->dayHeading(), "2 tasks " + FormatDateTime(u"ddd ddddd", ToDateValue(QDate(2026, 12, 9)), w->formats())
                                   + "  Today");
    EXPECT_EQ(w->todoHeading(), "3 To-do Tasks");
}

TEST_F(CalendarsTest, TheDrawingRuleCellByCell)
{
    const QColor red(255, 0, 0), aqua(0, 255, 255), yellow(255, 255, 0), lime(0, 255, 0);
    // cal3 (January) is not current: its selected cell is coloured like any other.
    EXPECT_EQ(look(1, 10).first, aqua);  // a done task
    EXPECT_EQ(look(1, 11).first, red);   // a not-done task
    EXPECT_EQ(look(1, 11).second, QColor(255, 255, 255));
    EXPECT_EQ(look(1, 25).first, red);   // the holiday with a task takes the task's colour
    EXPECT_EQ(look(1, 24).first, QColor(QApplication::palette().color(QPalette::Button)));
    // The current calendar's selected cell (today) keeps the selection look.
    EXPECT_EQ(look(1, 9).first, QColor(Qt::magenta));
    // Today in another calendar's view is lime when it is not the selection.
    w->calendar(1)->setDate(QDate(2026, 12, 15));
    EXPECT_EQ(look(1, 9).first, lime);
    EXPECT_EQ(look(1, 9).second, QColor(0, 0, 0));

    // Neighbouring months keep the control's look; tasks hidden by the filter
    // do not colour.
    MonthCalendar::Cell outside;
    outside.day = 30;
    outside.inMonth = false;
    QImage img(4, 4, QImage::Format_ARGB32);
    QPainter p(&img);
    p.setBrush(Qt::magenta);
    bool dd = false;
    w->cal1DrawCell(0, p, outside, dd);
    EXPECT_TRUE(dd);
    EXPECT_EQ(p.brush().color(), QColor(Qt::magenta));
    w->filter().setCategories({{"Work", false}});
    EXPECT_EQ(look(1, 11).first, QColor(QApplication::palette().color(QPalette::Button)));
    w->filter().setCategories({});
    w->holidayNameFor(QDate(2026, 12, 25));
    writeBytes(data.file("holiday.grd"), "4,2\r\n0,1,Boxing\r\n1,1,12\r\n2,1,December\r\n3,1,26\r\n");
    w->loadHolidays();
    EXPECT_EQ(look(1, 26).first, yellow);
}

TEST_F(CalendarsTest, ClickingACalendarMakesItCurrent)
{
    w->calendar(3)->setDate(QDate(2027, 2, 12));  // its month stays: nothing else moves
    w->cal1Click(3);
    EXPECT_EQ(w->currentCalendar(), 3);
    EXPECT_EQ(w->calendar(3)->bevel, MonthCalendar::Bevel::Raised);
    const QPalette pal = QApplication::palette();
    EXPECT_EQ(w->calendar(3)->colorSelectedBack, pal.color(QPalette::Light));
    for (int i : {0, 1, 2}) {
        EXPECT_EQ(w->calendar(i)->bevel, MonthCalendar::Bevel::Lowered);
        EXPECT_EQ(w->calendar(i)->colorSelectedBack, pal.color(QPalette::Button));
    }
    EXPECT_EQ(w->selectedDay(), QDate(2027, 2, 12));
    EXPECT_EQ(w->gridDay().rowCount(), 2);  // no tasks that day
    EXPECT_TRUE(w->dayHeading().endsWith("  9 wks")) << w->dayHeading().toStdString();

    // A month change of the current calendar moves the others with it.
    w->calendar(3)->setDate(QDate(2027, 5, 31));
    EXPECT_EQ(w->calendar(2)->date(), QDate(2027, 4, 30));
    EXPECT_EQ(w->calendar(0)->date(), QDate(2027, 2, 28));

    // Christmas: the heading names the holiday.
    w->cal1Click(1);
    w->calendar(1)->setDate(QDate(2026, 12, 25));
    EXPECT_TRUE(w->dayHeadingIsHoliday());
    EXPECT_EQ(w->dayHeading(), "Christmas  16 days");

    // Today brings the second calendar back with the same look.
    w->cal1Click(3);
    w->Today1Click();
    EXPECT_EQ(w->calendar(1)->colorSelectedBack, pal.color(QPalette::Light));
    EXPECT_EQ(w->calendar(3)->colorSelectedBack, pal.color(QPalette::Button));
}

TEST_F(CalendarsTest, TheYearViewTakesTheHintsAndTheMonthColour)
{
    w->frmOptions()->cbFlyBy->setChecked(false);
    w->frmOptions()->cbCurrentMonth->setChecked(true);
    w->ReadSettings(false);
    bool checked = false;
    runner.responders.append([&](QDialog &d) {
        auto &year = dynamic_cast<TfrmYear &>(d);
        year.show();
        EXPECT_TRUE(year.btPrior->toolTip().isEmpty());
        EXPECT_EQ(year.calendar(11)->colorBack, QColor(0, 255, 0));  // December 2026, lime
        EXPECT_EQ(year.calendar(10)->colorBack, QApplication::palette().color(QPalette::Button));
        checked = true;
        return int(QDialog::Rejected);
    });
    w->N12monthcalendar1Click();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(CalendarsTest, TheDayListSortsAndTheNotesPaneWritesBackOnlyEdits)
{
    // Sorted by time at first: 9:00 before 10:30 although "1" < "9".
    EXPECT_EQ(w->gridDay().cell(kDayTime, 1), "9:00 AM");
    w->sortDayList(kDayTime);  // the time column again: descending
    EXPECT_EQ(w->gridDay().cell(kDayTime, 1), "10:30 AM");
    w->sortDayList(kDayCategory);
    EXPECT_EQ(w->gridDay().cell(kDayCategory, 1), "Home");

    // The two-line note shows with its line break; leaving without an edit
    // stores nothing.
    w->selectDayRow(1);
    QPlainTextEdit *memo = w->notesPane();
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(memo->toPlainText(), "Call the bank\nAsk for the form");
    const QByteArray before = readBytes(data.file("grid.grd"));
    w->memWhatExit();
    EXPECT_EQ(readBytes(data.file("grid.grd")), before);

    // An edit is stored in its own row, line breaks kept, even when another
    // row is selected before the pane loses the focus.
    memo->setFocus();
    memo->setPlainText("Call the bank\nAsk for the new form");
    memo->document()->setModified(true);
    w->selectDayRow(2);
    Grid store;
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    bool found = false;
    for (int r = 1; r < store.rowCount(); ++r)
        found = found || store.cell(kStoreNotes, r) == "Call the bank\r\nAsk for the new form\r\n";
    EXPECT_TRUE(found);
    EXPECT_EQ(w->gridDay().cell(kDayNotes, 2), "Later one");
    EXPECT_EQ(memo->toPlainText(), "Later one");

    // A row without notes hides the pane.
    w->cal1Click(1);
    w->calendar(1)->setDate(QDate(2026, 12, 20));
    EXPECT_FALSE(memo->isVisible());
}

TEST_F(CalendarsTest, MidnightMovesToday)
{
    EXPECT_TRUE(w->dayHeading().endsWith("Today"));
    clock.set(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 5)));
    w->UpdateStatusClock();
    EXPECT_TRUE(w->dayHeading().endsWith("Yesterday"));
    EXPECT_TRUE(w->statusText().contains("10"));
}
