#include "Clock.h"
#include "GridFile.h"
#include "Prompts.h"
#include "RecurrenceDialog.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

using namespace morvane;

namespace {

class RecurDialogTest : public ::testing::Test {
protected:
    TempFolder dir;
    TaskFilter filter;
    TaskStore store{filter, dir.file("grid.grd")};
    ScriptedPrompts prompts;
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    FormatSettings fs = [] {
        FormatSettings f = FormatSettings::enUS();
        f.shortDateFormat = "M/d/yy";  // a two-digit-year locale
        return f;
    }();
    int saves = 0;
    std::unique_ptr<TfrmRecur> make()
    {
        auto d = std::make_unique<TfrmRecur>(store, prompts, fs, clock, [this](const FileResult &r) {
            EXPECT_TRUE(r.ok) << r.message.toStdString();
            ++saves;
        });
        d->init("9:00 AM", "Club", "Choir practice in the church hall every week", "Yes");
        d->startDate = QDate(2026, 12, 9);
        d->show();
        return d;
    }
};

}  // namespace

TEST_F(RecurDialogTest, PreviewDeleteAndInsertTheRemainingDates)
{
    auto d = make();
    EXPECT_EQ(d->windowTitle(), "Repeating event for Choir practice in the church hall e...");
    EXPECT_EQ(d->date2->date(), QDate(2027, 1, 8));
    EXPECT_EQ(d->lblNdays->text(), "30 Days");
    EXPECT_FALSE(d->btOK->isEnabled());

    d->rbWeekly->setChecked(true);
    d->cntWeekly->setValue(2);
    d->cbWeekDay[1]->setChecked(true);  // Mon
    d->cbWeekDay[5]->setChecked(true);  // Fri
    d->btPreview->click();
    ASSERT_EQ(d->ListBox1->count(), 5);
    EXPECT_EQ(d->ListBox1->item(0)->text(), "12/11/2026\tFri\t2 days");  // four-digit years
    EXPECT_EQ(d->lblCount->text(), "Number of dates: 5");
    EXPECT_TRUE(d->btOK->isEnabled());
    EXPECT_FALSE(d->btDelete->isEnabled());

    d->ListBox1->item(1)->setSelected(true);
    EXPECT_TRUE(d->btDelete->isEnabled());
    QTest::keyClick(d->ListBox1, Qt::Key_Delete);
    EXPECT_EQ(d->ListBox1->count(), 4);
    EXPECT_EQ(d->lblCount->text(), "Number of dates: 4");

    prompts.answers = {1};  // No: nothing happens
    d->btOKClick();
    EXPECT_EQ(prompts.shown.last().text, "Really add 4 events to the calendar?");
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(saves, 0);

    prompts.answers = {0};
    d->btOKClick();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(saves, 1);
    Grid disk;
    ASSERT_TRUE(LoadGridFile(disk, dir.file("grid.grd")).ok);
    QStringList keys;
    for (int r = 1; r < disk.rowCount(); ++r)
        keys << disk.cell(kStoreKey, r);
    EXPECT_EQ(keys, QStringList({MakeStoreKey(DayNumber(QDate(2026, 12, 11)), 100),
                                 MakeStoreKey(DayNumber(QDate(2026, 12, 25)), 100),
                                 MakeStoreKey(DayNumber(QDate(2027, 1, 4)), 100),
                                 MakeStoreKey(DayNumber(QDate(2027, 1, 8)), 100)}));
    EXPECT_EQ(disk.cell(kStoreCategory, 1), "Club");
    EXPECT_EQ(disk.cell(kStoreAlarm, 1), "Yes");
}

TEST_F(RecurDialogTest, RefusalsAndTheMiniCalendar)
{
    auto d = make();
    d->date2->setDate(d->date1->date().addDays(7401));
    d->btPreview->click();
    EXPECT_EQ(prompts.shown.last().text, "Date range exceeds 20 years!");
    d->date2->setDate(d->date1->date().addDays(7400));
    d->btPreview->click();  // accepted, but no ordinal chosen: nothing
    EXPECT_EQ(prompts.shown.last().text,
              "No dates were generated.  Check your starting/ending dates and selections.");

    // 4th and Last exclude each other.
    d->cbNth[4]->click();
    d->cbNth[3]->click();
    EXPECT_TRUE(d->cbNth[4]->isChecked());
    EXPECT_FALSE(d->cbNth[3]->isChecked());

    // Days of month: a click on a day toggles it; the empty cells do nothing.
    d->rbDofM->setChecked(true);
    d->toggleDay(15);
    d->toggleDay(31);
    d->toggleDay(20);
    d->toggleDay(20);
    EXPECT_EQ(d->sgMonth->item(2, 0)->background().color(), QColor(Qt::black));  // day 15
    d->date1->setDate(QDate(2026, 1, 1));
    d->date2->setDate(QDate(2026, 6, 30));
    d->btPreview->click();
    EXPECT_EQ(d->ListBox1->count(), 9);

    // From the keyboard: Space toggles the day the arrows reached.
    d->sgMonth->setCurrentCell(0, 4);  // day 5
    QTest::keyClick(d->sgMonth, Qt::Key_Space);
    EXPECT_EQ(d->sgMonth->item(0, 4)->background().color(), QColor(Qt::black));
    QTest::keyClick(d->sgMonth, Qt::Key_Space);
    EXPECT_NE(d->sgMonth->item(0, 4)->background().color(), QColor(Qt::black));

    d->btReset->click();
    EXPECT_EQ(d->ListBox1->count(), 0);
    EXPECT_EQ(d->lblCount->text(), "Number of dates: ");
    EXPECT_FALSE(d->btOK->isEnabled());
    d->btCancel->click();
    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(QFile::exists(dir.file("grid.grd")));
}
