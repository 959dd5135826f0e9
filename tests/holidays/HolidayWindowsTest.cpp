#include "GridFile.h"
#include "HolidayRules.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "TestFiles.h"
#include "HolidayEditor.h"
#include "HolidaysWindow.h"
#include "HolidayImportDialog.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

using namespace morvane;

namespace {

const QByteArray kTwoHolidays = "4,3\r\n0,1,Christmas\r\n1,1,12\r\n2,1,December\r\n3,1,25\r\n"
                                "0,2,Party\r\n1,2,12\r\n2,2,December\r\n3,2,20011231\r\n";

class HolidayWindowTest : public ::testing::Test {
protected:
    TempFolder data;
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    FormatSettings fs = fix2000(FormatSettings::enUS());
    bool confirm = true;
    QList<int> helpTopics;

    std::unique_ptr<TfrmHoliday> make()
    {
        return std::make_unique<TfrmHoliday>(TfrmHoliday::Services{
            prompts, runner, fs, data.path(), [] { return QDate(2026, 12, 9); }, [this] { return confirm; },
            [this](int t) { helpTopics << t; }});
    }
    Grid onDisk()
    {
        Grid g;
        (void)LoadGridFile(g, data.file("holiday.grd"));  // no file: an empty table
        return g;
    }
    QStringList names(const Grid &g)
    {
        QStringList out;
        for (int r = 1; r < g.rowCount(); ++r)
            out << g.cell(kHolName, r);
        return out;
    }
};

// Fills the editor as a person would and presses OK.
ScriptedRunner::Responder fillEditor(QString name, std::function<void(TfrmEditHoliday &)> more = {})
{
    return [name, more](QDialog &d) {
        auto &e = static_cast<TfrmEditHoliday &>(d);
        e.show();  // runs its presets
        e.edName->setText(name);
        if (more)
            more(e);
        e.btOK->click();
        return e.result();
    };
}

}  // namespace

TEST_F(HolidayWindowTest, AddEditAndTheDisplayOfOneTimeRules)
{
    writeBytes(data.file("holiday.grd"), kTwoHolidays);
    auto w = make();
    EXPECT_EQ(w->tblHoliday->model()->headerData(3, Qt::Horizontal).toString(), "Day of month");
    EXPECT_EQ(w->tblHoliday->columnWidth(0), 286);
    EXPECT_EQ(w->tblHoliday->model()->index(1, 3).data().toString(), "12/31/2001");  // shown as a date
    EXPECT_EQ(w->table().cell(kHolRule, 2), "20011231");                            // kept as digits

    // A floating holiday goes in above the selected row.
    w->setCurrentRow(2);
    runner.responders = {fillEditor("Memorial Day", [](TfrmEditHoliday &e) {
        e.rbAnnual->setChecked(true);
        e.cbMonth->setCurrentText("May");
        e.rbFloating->setChecked(true);
        e.cbNth->setCurrentText("Last");
        e.cbDay->setCurrentText("Monday");
    })};
    w->btAdd->click();
    EXPECT_EQ(names(w->table()), QStringList({"Christmas", "Memorial Day", "Party"}));
    EXPECT_EQ(w->table().cell(kHolMonthNo, 2), "05");
    EXPECT_EQ(w->table().cell(kHolRule, 2), "Last : Monday");

    // Editing reads the row back into the editor.
    runner.responders = {[](QDialog &d) {
        auto &e = static_cast<TfrmEditHoliday &>(d);
        e.show();
        EXPECT_EQ(e.edName->text(), "Memorial Day");
        EXPECT_TRUE(e.rbFloating->isChecked());
        EXPECT_EQ(e.cbMonth->currentText(), "May");
        EXPECT_EQ(e.cbNth->currentText(), "Last");
        EXPECT_EQ(e.cbDay->currentText(), "Monday");
        e.rbSpecific->setChecked(true);
        e.cbDOM->setCurrentText("30");
        e.btOK->click();
        return e.result();
    }};
    w->btEditClick();
    EXPECT_EQ(w->table().cell(kHolRule, 2), "30");

    // A one-time holiday takes the month of its date.
    runner.responders = {fillEditor("Eclipse", [](TfrmEditHoliday &e) {
        e.cbMonth->setCurrentText("January");
        e.dt1->setDate(QDate(2027, 8, 2));
    })};
    w->btAddClick();
    EXPECT_EQ(w->table().cell(kHolName, 2), "Eclipse");
    EXPECT_EQ(w->table().cell(kHolMonth, 2), "August");
    EXPECT_EQ(w->table().cell(kHolMonthNo, 2), "08");
    EXPECT_EQ(w->table().cell(kHolRule, 2), "20270802");

    // Nothing is written until Close.
    EXPECT_EQ(readBytes(data.file("holiday.grd")), kTwoHolidays);
    w->btClose->click();
    EXPECT_EQ(names(onDisk()), QStringList({"Christmas", "Eclipse", "Memorial Day", "Party"}));
}

TEST_F(HolidayWindowTest, TheEditorsPresetsAndChecks)
{
    TfrmEditHoliday e(fs, QDate(2026, 2, 9), prompts);
    e.show();
    EXPECT_TRUE(e.rbOneTime->isChecked());
    EXPECT_EQ(e.dt1->date(), QDate(2026, 2, 9));
    EXPECT_EQ(e.cbMonth->currentText(), "February");
    EXPECT_EQ(e.cbDOM->count(), 29);  // February offers its 29th
    EXPECT_EQ(e.cbDOM->currentText(), "9");
    EXPECT_EQ(e.cbNth->currentText(), "First");
    EXPECT_EQ(e.cbDay->currentText(), "Sunday");

    // The day box keeps its place, moved back when the month is shorter.
    e.cbMonth->setCurrentText("January");
    e.cbDOM->setCurrentText("31");
    e.cbMonth->setCurrentText("April");
    EXPECT_EQ(e.cbDOM->count(), 30);
    EXPECT_EQ(e.cbDOM->currentText(), "30");

    // Only the boxes of the chosen choice show.
    e.rbAnnual->setChecked(true);
    e.rbFloating->setChecked(true);
    EXPECT_FALSE(e.cbDOM->isVisible());
    EXPECT_TRUE(e.cbNth->isVisible());

    e.edName->setText("  ");
    e.btOK->click();
    EXPECT_EQ(prompts.shown.last().text, "The holiday name cannot be blank");
    EXPECT_TRUE(e.isVisible());  // stays open
    EXPECT_EQ(e.edName->maxLength(), 30);
}

TEST_F(HolidayWindowTest, DeleteCloneAndTheCloseBox)
{
    writeBytes(data.file("holiday.grd"), kTwoHolidays);
    auto w = make();
    w->setCurrentRow(1);
    prompts.answers = {1};  // No
    w->btDelClick();
    EXPECT_EQ(prompts.shown.last().text, "Really delete \"Christmas\"?");
    EXPECT_EQ(names(w->table()), QStringList({"Christmas", "Party"}));
    confirm = false;  // no question without the option
    w->btDelClick();
    EXPECT_EQ(names(w->table()), QStringList({"Party"}));
    w->btDelClick();  // the last holiday leaves an empty row
    EXPECT_EQ(w->table().rowCount(), 2);
    EXPECT_TRUE(w->table().cellEmpty(kHolName, 1));
    w->btEditClick();
    EXPECT_EQ(prompts.shown.last().text, "Nothing to edit");

    // Clone saves at once, earlier changes included; the close box does not.
    auto w2 = make();
    w2->setCurrentRow(2);
    prompts.answers = {0};
    w2->btCloneClick();
    EXPECT_EQ(prompts.shown.last().text, "Clone this holiday - \"Party\"?");
    EXPECT_EQ(names(onDisk()), QStringList({"Christmas", "Party", "Party"}));
    confirm = false;
    w2->btDelClick();
    w2->close();
    EXPECT_EQ(names(onDisk()), QStringList({"Christmas", "Party", "Party"}));

    // Escape saves and closes, like Close.
    auto w3 = make();
    w3->show();
    w3->setCurrentRow(1);
    w3->btDelClick();
    QTest::keyClick(w3.get(), Qt::Key_Escape);
    EXPECT_EQ(names(onDisk()), QStringList({"Party", "Party"}));
    w3->btHelp->click();
    EXPECT_EQ(helpTopics, QList<int>({300}));
}

TEST_F(HolidayWindowTest, SortingAndDragging)
{
    writeBytes(data.file("holiday.grd"), kTwoHolidays);
    auto w = make();
    w->sortByColumn(kHolName);
    EXPECT_EQ(names(w->table()), QStringList({"Christmas", "Party"}));
    w->sortByColumn(kHolName);  // a second click reverses
    EXPECT_EQ(names(w->table()), QStringList({"Party", "Christmas"}));

    w->show();
    w->tblHoliday->resizeRowsToContents();
    const QRect first = w->tblHoliday->visualRect(w->tblHoliday->model()->index(0, 0));
    const QRect second = w->tblHoliday->visualRect(w->tblHoliday->model()->index(1, 0));
    QWidget *vp = w->tblHoliday->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, second.center());
    QTest::mouseMove(vp, first.center());
    QTest::mouseRelease(vp, Qt::LeftButton, {}, first.center());
    EXPECT_EQ(names(w->table()), QStringList({"Christmas", "Party"}));
    EXPECT_EQ(w->currentRow(), 1);
}

TEST_F(HolidayWindowTest, ImportAddsTheChosenHolidaysAtTheTop)
{
    writeBytes(data.file("holiday.grd"), kTwoHolidays);
    auto w = make();
    runner.responders = {[](QDialog &d) {
        auto &imp = static_cast<TfrmImport &>(d);
        imp.show();
        EXPECT_EQ(imp.lbCountries->currentRow(), 0);  // Australia first
        EXPECT_EQ(imp.lbDays->topLevelItemCount(), 6);
        EXPECT_EQ(imp.line(0), "Jan 1st\tNew Year's Day");
        imp.btOK->click();  // nothing chosen yet
        EXPECT_TRUE(imp.isVisible());
        imp.lbCountries->setCurrentRow(12);  // Japan, in table order
        EXPECT_EQ(imp.line(10), "Nov 23rd\tLabour Thanksgiving Day");
        EXPECT_EQ(imp.line(11), "Nov 3rd\tCulture Day");
        imp.lbCountries->setCurrentRow(22);
        EXPECT_EQ(imp.line(21), "4th Thu in Nov\tThanksgiving");
        for (int i : {0, 21, 22})  // New Year's Day, Thanksgiving, Christmas
            imp.lbDays->topLevelItem(i)->setSelected(true);
        imp.btOK->click();
        return imp.result();
    }};
    w->btInternationalClick();
    EXPECT_EQ(prompts.shown.first().text, "Nothing selected!  Click on holiday(s) above to select.");
    EXPECT_EQ(names(w->table()), QStringList({"Christmas", "Thanksgiving", "New Year's Day", "Christmas", "Party"}));
    EXPECT_EQ(w->table().cell(kHolRule, 2), "Fourth : Thursday");
    EXPECT_EQ(names(onDisk()), names(w->table()));

    // Closing the import without choosing leaves the file alone.
    const QByteArray before = readBytes(data.file("holiday.grd"));
    runner.responders = {[](QDialog &) { return int(QDialog::Rejected); }};
    w->btInternationalClick();
    EXPECT_EQ(readBytes(data.file("holiday.grd")), before);
}

TEST_F(HolidayWindowTest, AnUnreadableFileIsReplacedOnlyWhenAsked)
{
    const QByteArray damaged = "4,99999999\r\n0,1,Christmas\r\n";
    writeBytes(data.file("holiday.grd"), damaged);
    auto w = make();
    EXPECT_TRUE(prompts.shown.last().text.contains("damaged"));
    prompts.answers = {1};  // keep the file
    w->btCloseClick();
    EXPECT_EQ(readBytes(data.file("holiday.grd")), damaged);
    auto w2 = make();
    prompts.answers = {0};  // replace it
    w2->btCloseClick();
    EXPECT_NE(readBytes(data.file("holiday.grd")), damaged);
}

TEST_F(HolidayWindowTest, AFailedImportSaveLeavesTheTableAsItWas)
{
    writeBytes(data.file("holiday.grd"), kTwoHolidays);
    const QString file = data.file("holiday.grd");
    TfrmImport imp(fs, file, prompts);
    imp.show();
    imp.lbCountries->setCurrentRow(22);
    imp.lbDays->topLevelItem(0)->setSelected(true);  // New Year's Day
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    imp.btOK->click();
    EXPECT_TRUE(imp.isVisible());
    EXPECT_TRUE(prompts.shown.last().text.contains("read-only")) << prompts.shown.last().text.toStdString();
    EXPECT_EQ(readBytes(file), kTwoHolidays);

    // Once the file can be written, OK adds the holiday once.
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    imp.btOK->click();
    EXPECT_FALSE(imp.isVisible());
    EXPECT_EQ(names(onDisk()), QStringList({"New Year's Day", "Christmas", "Party"}));
}

TEST_F(HolidayWindowTest, CloseOffersTheWayOutWhenTheFileCannotBeSaved)
{
    writeBytes(data.file("holiday.grd"), kTwoHolidays);
    const QString file = data.file("holiday.grd");
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    auto w = make();
    w->show();
    confirm = false;
    w->setCurrentRow(1);
    w->btDelClick();

    prompts.answers = {2};  // Stay
    w->btCloseClick();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(prompts.shown.last().kind, ScriptedPrompts::Kind::Question);
    EXPECT_TRUE(prompts.shown.last().text.startsWith("Morvane could not save the holidays:\n\n"));
    EXPECT_TRUE(prompts.shown.last().text.contains("read-only")) << prompts.shown.last().text.toStdString();
    EXPECT_EQ(prompts.asked.last(), QStringList({"&Try again", "&Close without saving", "&Stay"}));
    EXPECT_EQ(readBytes(file), kTwoHolidays);

    // Escape asks the same, and closing the question is Stay.
    const int asked = prompts.asked.size();
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_EQ(prompts.asked.size(), asked + 1);
    EXPECT_TRUE(w->isVisible());

    // Try again, once the file can be written: saved and closed.
    prompts.answers = {0};
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    w->btCloseClick();  // Try again fails again: asked again, and no answer is Stay
    EXPECT_EQ(prompts.asked.size(), asked + 3);
    EXPECT_TRUE(w->isVisible());
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    prompts.answers = {0};
    w->btCloseClick();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_EQ(names(onDisk()), QStringList({"Party"}));

    // Close without saving leaves the file as it was.
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    auto w2 = make();
    w2->show();
    w2->setCurrentRow(1);
    w2->btDelClick();
    prompts.answers = {1};
    w2->btCloseClick();
    EXPECT_FALSE(w2->isVisible());
    EXPECT_EQ(w2->result(), QDialog::Rejected);
    EXPECT_EQ(names(onDisk()), QStringList({"Party"}));
}

TEST_F(HolidayWindowTest, TheEditorsDateFieldStartsTheWeekOnTheCalendarsDay)
{
    TfrmEditHoliday e(fs, QDate(2026, 12, 9), prompts);
    EXPECT_EQ(e.dt1->calendarWidget()->firstDayOfWeek(), Qt::Sunday);
    e.setWeekStart(Qt::Monday);
    EXPECT_EQ(e.dt1->calendarWidget()->firstDayOfWeek(), Qt::Monday);

    writeBytes(data.file("holiday.grd"), kTwoHolidays);
    auto w = std::make_unique<TfrmHoliday>(TfrmHoliday::Services{
        prompts, runner, fs, data.path(), [] { return QDate(2026, 12, 9); }, [] { return true; }, {}, Qt::Monday});
    QList<Qt::DayOfWeek> seen;
    auto firstDay = [&seen](QDialog &d) {
        seen << static_cast<TfrmEditHoliday &>(d).dt1->calendarWidget()->firstDayOfWeek();
        return int(QDialog::Rejected);
    };
    runner.responders = {firstDay, firstDay};
    w->btAddClick();
    w->setCurrentRow(1);
    w->btEditClick();
    EXPECT_EQ(seen, QList<Qt::DayOfWeek>({Qt::Monday, Qt::Monday}));
}
