#include "Clock.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "PickListDialog.h"
#include "RecurrenceDialog.h"
#include "RescheduleDialog.h"
#include "TaskEditor.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace morvane;

TEST(PickListEditor, AddDeleteClearAndTheCancelRule)
{
    ScriptedPrompts prompts;
    TfrmListBox dlg(prompts);
    dlg.setItems({"work", "Home", "bills"});
    EXPECT_EQ(dlg.items(), QStringList({"bills", "Home", "work"}));  // alphabetical, ignoring case
    dlg.show();

    prompts.texts = {"Work"};  // already there, in other letters
    dlg.btAddClick();
    EXPECT_EQ(dlg.items().size(), 3);
    EXPECT_FALSE(dlg.itemAdded);
    prompts.texts = {""};
    dlg.btAddClick();
    EXPECT_FALSE(dlg.itemAdded);
    EXPECT_EQ(prompts.shown.last().text, "Quick Pick|New Quick Pick");

    // Delete with nothing selected.
    dlg.ListBox1->clearSelection();
    dlg.btDelClick();
    EXPECT_EQ(prompts.shown.last().text, "Select one or more items");
    EXPECT_EQ(dlg.items().size(), 3);

    // Only deletions: Cancel discards them.
    dlg.ListBox1->item(0)->setSelected(true);
    dlg.btDelClick();
    EXPECT_EQ(dlg.items(), QStringList({"Home", "work"}));
    dlg.btCancel->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);

    // After an addition Cancel keeps everything.
    TfrmListBox added(prompts);
    added.setItems({"Home"});
    added.show();
    prompts.texts = {"Garden"};
    added.btAddClick();
    EXPECT_EQ(added.items(), QStringList({"Garden", "Home"}));
    EXPECT_EQ(added.currentItem(), "Garden");
    added.btCancel->click();
    EXPECT_EQ(added.result(), QDialog::Accepted);

    // The close box is Cancel even after an addition; Escape is the Cancel
    // button.
    TfrmListBox closed(prompts);
    closed.show();
    prompts.texts = {"Garden"};
    closed.btAddClick();
    ASSERT_TRUE(closed.itemAdded);
    closed.close();
    EXPECT_FALSE(closed.isVisible());
    EXPECT_EQ(closed.result(), QDialog::Rejected);
    TfrmListBox escaped(prompts);
    escaped.show();
    prompts.texts = {"Garden"};
    escaped.btAddClick();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    EXPECT_FALSE(escaped.isVisible());
    EXPECT_EQ(escaped.result(), QDialog::Accepted);

    // Clear asks first.
    TfrmListBox clear(prompts);
    clear.setItems({"a", "b"});
    prompts.answers = {1};
    clear.btClearClick();
    EXPECT_EQ(clear.items().size(), 2);
    prompts.answers = {0};
    clear.btClearClick();
    EXPECT_TRUE(clear.items().isEmpty());
    EXPECT_EQ(prompts.shown.last().text, "Really clear out list?");
}

TEST(Reschedule, TheLineUnderTheDateFollowsIt)
{
    const FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    const FormatSettings fs = FormatSettings::enUS();
    TfrmReschedule dlg(fs, clock);
    EXPECT_EQ(dlg.windowTitle(), "Reschedule Task");
    EXPECT_EQ(dlg.lblDate2->text(), "Wednesday : Today");
    dlg.date1->setDate(QDate(2026, 12, 12));
    EXPECT_EQ(dlg.lblDate2->text(), "Saturday : 3 days");
    EXPECT_EQ(dlg.date(), QDate(2026, 12, 12));
}

// The date fields start their weeks where the main calendars do: the task
// editor hands its week start to the reschedule and repeat dialogs.
TEST(DateFields, StartTheWeekOnTheCalendarsDay)
{
    const FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    const FormatSettings fs = FormatSettings::enUS();
    TfrmReschedule resch(fs, clock);
    EXPECT_EQ(resch.date1->calendarWidget()->firstDayOfWeek(), Qt::Sunday);
    resch.setWeekStart(Qt::Monday);
    EXPECT_EQ(resch.date1->calendarWidget()->firstDayOfWeek(), Qt::Monday);

    TempFolder dir;
    TaskFilter filter;
    TaskStore store{filter, dir.file("grid.grd")};
    ScriptedPrompts prompts;
    TfrmRecur recur(store, prompts, fs, clock);
    EXPECT_EQ(recur.date1->calendarWidget()->firstDayOfWeek(), Qt::Sunday);
    recur.setWeekStart(Qt::Monday);
    EXPECT_EQ(recur.date1->calendarWidget()->firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(recur.date2->calendarWidget()->firstDayOfWeek(), Qt::Monday);

    ScriptedRunner runner;
    TfrmEdit::Services sv{prompts, runner, fs, clock, store, dir.path(), {}, {}, {}, Qt::Monday};
    TfrmEdit editor(sv, "Work", QDate(2026, 12, 9));
    editor.isDated = true;
    editor.setNotes("Choir");
    QList<Qt::DayOfWeek> seen;
    auto firstDay = [&seen](QDialog &d) {
        for (QDateEdit *e : d.findChildren<QDateEdit *>())
            seen << e->calendarWidget()->firstDayOfWeek();
        return int(QDialog::Rejected);
    };
    runner.responders = {firstDay, firstDay};
    editor.btRescheduleClick();
    editor.Repeat1Click();
    EXPECT_EQ(seen, QList<Qt::DayOfWeek>({Qt::Monday, Qt::Monday, Qt::Monday}));
}
