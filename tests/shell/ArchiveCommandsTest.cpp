// Archive, restore and clear through the main window.

#include "Archive.h"
#include "CompletedTasksWindow.h"
#include "MainWindowFixture.h"
#include "PrintRangeDialog.h"
#include "TestFiles.h"
#include "TestStores.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

// 8, 9 and 10 December 2026 (46364 to 46366), Home and Work tasks.
QByteArray threeDays()
{
    Grid g = NewStoreGrid();
    struct T {
        int day;
        const char *time, *category, *notes;
    };
    const T tasks[] = {{46364, "8:00 AM", "Home", "Early"},   {46365, "8:00 AM", "Home", "Water plants"},
                       {46365, "9:00 AM", "Work", "Call Ann"}, {46365, "10:00 AM", "Home", "Laundry"},
                       {46366, "8:00 AM", "Work", "Late"}};
    g.setRowCount(int(std::size(tasks)) + 1);
    int r = 1;
    for (const T &t : tasks) {
        g.setCell(kStoreKey, r, MakeStoreKey(t.day, 100 + r));
        g.setCell(kStoreTime, r, QString::fromLatin1(t.time));
        g.setCell(kStoreCategory, r, QString::fromLatin1(t.category));
        g.setCell(kStoreNotes, r, QString::fromLatin1(t.notes));
        g.setCell(kStoreDone, r, u"No"_s);
        g.setCell(kStoreAlarm, r, u"No"_s);
        ++r;
    }
    return GridFileBytes(g);
}

const QByteArray kTodo = "3,3\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n0,1,Home\r\n1,1,Fix the gate\r\n2,1,No\r\n"
                         "0,2,Work\r\n1,2,Read the report\r\n2,2,No\r\n";

class ArchiveCommandsTest : public MainWindowFixture {
protected:
    std::unique_ptr<TfrmMain> w;
    TempFolder archives;

    void SetUp() override
    {
        writeBytes(data.file("grid.grd"), threeDays());
        writeBytes(data.file("gridNon.grd"), kTodo);
        w = makeMain();
        ASSERT_TRUE(w->created());
        w->show();
    }
    QStringList notesOf(const Grid &g, int col) const
    {
        QStringList out;
        for (int r = 1; r < g.rowCount(); ++r)
            if (!g.cellEmpty(col, r))
                out << g.cell(col, r);
        return out;
    }
    // The range dialog's answer in Clear mode.
    void clearRange(bool byDate, QDate day, bool todo)
    {
        runner.responders.append([=](QDialog &d) {
            auto &range = dynamic_cast<TfrmPrint &>(d);
            range.show();
            EXPECT_EQ(range.mode, TfrmPrint::Mode::Clear);
            (byDate ? range.rbDate : range.rbAll)->click();
            range.dt1->setDate(day);
            range.dt2->setDate(day);
            range.cbNonDate->setChecked(todo);
            range.btOK->click();
            return range.result();
        });
    }
};

TEST_F(ArchiveCommandsTest, AnArchiveRestoresTheTablesAsTheyWereAndSavesThemAtOnce)
{
    ASSERT_TRUE(w->frmComplete()->addCompleted(
        {u"12/8/2026"_s, u"9:00 AM"_s, u"Work"_s, u"12/8/2026"_s, u"Send the report"_s, QString()}));
    const QByteArray store = GridFileBytes(w->store().grid()), todo = GridFileBytes(w->gridNonday()),
                     completed = GridFileBytes(w->frmComplete()->table());
    const QString name = archives.file(u"backup.arb"_s);
    prompts.files = {name};
    w->Archive1Click();
    EXPECT_EQ(prompts.shown.last().text, u"Archive stored in the files - %1, %2 and %3"_s.arg(
                                             name, archives.file(u"backup.AR2"_s), archives.file(u"backup.AR3"_s)));
    EXPECT_EQ(readBytes(name), store);

    // Change everything, then restore.
    clearRange(false, {}, true);
    prompts.answers = {0};
    w->ClearAll1Click();
    ASSERT_TRUE(w->frmComplete()->restoreTable(NewCompletedGrid()));
    EXPECT_TRUE(notesOf(w->store().grid(), kStoreNotes).isEmpty());

    prompts.answers = {0};
    prompts.files = {name};
    w->Restore1Click();
    EXPECT_EQ(GridFileBytes(w->store().grid()), store);
    EXPECT_EQ(GridFileBytes(w->gridNonday()), todo);
    EXPECT_EQ(GridFileBytes(w->frmComplete()->table()), completed);
    // Written to the working files at once, the completed log too.
    EXPECT_EQ(readBytes(data.file("grid.grd")), store);
    EXPECT_EQ(readBytes(data.file("gridNon.grd")), todo);
    EXPECT_EQ(readBytes(data.file("gridComp.grd")), completed);
    EXPECT_EQ(notesOf(w->gridDay(), kDayNotes), (QStringList{u"Water plants"_s, u"Call Ann"_s, u"Laundry"_s}));
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(ArchiveCommandsTest, ARestoreWithAMissingOrDamagedMemberChangesNothing)
{
    const QString name = archives.file(u"backup.arb"_s);
    ASSERT_TRUE(WriteArchive(ArchiveMemberNames(name), NewStoreGrid(), NewTodoGrid(), NewCompletedGrid()));
    const QByteArray before = GridFileBytes(w->store().grid());
    QFile::remove(archives.file(u"backup.AR3"_s));
    prompts.answers = {0};
    prompts.files = {name};
    w->Restore1Click();
    EXPECT_EQ(errors(), QStringList{
        u"Could not restore ... there seems to be a missing file. Looking for ARB, AR2 and AR3 file extensions"_s});

    writeBytes(archives.file(u"backup.AR3"_s), "6,2\r\n0,1,x\r\n");
    writeBytes(archives.file(u"backup.AR2"_s), QByteArray("3,2\r\n1,1,\0\r\n", 12));
    prompts.answers = {0};
    prompts.files = {name};
    w->Restore1Click();
    EXPECT_EQ(errors().last(), u"Could not load up the archive ... must be corrupt\n\n%1 is damaged: line 2 holds "
                               "a NUL byte, which no text of Morvane holds."_s.arg(archives.file(u"backup.AR2"_s)));
    EXPECT_EQ(GridFileBytes(w->store().grid()), before);
    EXPECT_EQ(readBytes(data.file("grid.grd")), threeDays());

    // No at the question: nothing is even asked for.
    prompts.answers = {1};
    const qsizetype shown = prompts.shown.size();
    w->Restore1Click();
    EXPECT_EQ(prompts.shown.size(), shown + 1);
}

TEST_F(ArchiveCommandsTest, ACutOrEmptyMemberIsNamedAndRestoresNothing)
{
    // An archive of 163 tasks whose .arb was cut in half, beside an empty
    // .AR2: each is named with its reason, and the tables stay.
    const QString name = archives.file(u"backup.arb"_s);
    Grid big = NewStoreGrid();
    ASSERT_TRUE(LoadGridBytes(big, StoreOfTasks(163), u"t"_s));
    ASSERT_TRUE(WriteArchive(ArchiveMemberNames(name), big, NewTodoGrid(), NewCompletedGrid()));
    const QByteArray full = readBytes(name);
    writeBytes(name, full.left(full.indexOf("\r\n3,84,") + 10));
    writeBytes(archives.file(u"backup.AR2"_s), "");
    const QByteArray store = GridFileBytes(w->store().grid()), todo = GridFileBytes(w->gridNonday());
    prompts.answers = {0};
    prompts.files = {name};
    w->Restore1Click();
    ASSERT_EQ(errors().size(), 2);
    EXPECT_TRUE(errors()[0].startsWith(u"Could not load up the archive ... must be corrupt\n\n%1 is damaged: it was "
                                       "cut short (its last line, line "_s.arg(name)))
        << errors()[0].toStdString();
    EXPECT_EQ(errors()[1], u"Could not load up the archive ... must be corrupt\n\n%1 is damaged: it is empty."_s.arg(
                               archives.file(u"backup.AR2"_s)));
    EXPECT_EQ(GridFileBytes(w->store().grid()), store);
    EXPECT_EQ(GridFileBytes(w->gridNonday()), todo);
    EXPECT_EQ(readBytes(data.file("grid.grd")), threeDays());
    EXPECT_EQ(readBytes(data.file("gridNon.grd")), kTodo);
}

TEST_F(ArchiveCommandsTest, AnArchiveNamedLikeOneOfItsMembersIsRefused)
{
    // Saved as NAME.AR2, the dated tasks and the to-do list would be one
    // file: refused, and nothing written.
    const QString ar2 = archives.file(u"backup.AR2"_s);
    prompts.files = {ar2};
    w->Archive1Click();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains(u"The archive cannot be named %1:"_s.arg(ar2))) << errors()[0].toStdString();
    EXPECT_TRUE(archives.entries().isEmpty());

    // Restoring from a .AR3 is refused the same way, before anything loads.
    const QString name = archives.file(u"backup.arb"_s);
    ASSERT_TRUE(WriteArchive(ArchiveMemberNames(name), NewStoreGrid(), NewTodoGrid(), NewCompletedGrid()));
    const QString ar3 = archives.file(u"backup.AR3"_s);
    const QByteArray store = GridFileBytes(w->store().grid());
    prompts.answers = {0};
    prompts.files = {ar3};
    w->Restore1Click();
    ASSERT_EQ(errors().size(), 2);
    EXPECT_EQ(errors()[1], ArchiveNameRefusal(ar3));
    EXPECT_EQ(GridFileBytes(w->store().grid()), store);
}

TEST_F(ArchiveCommandsTest, ClearingOneDayTakesOnlyThatDaysTasksTheFilterShows)
{
    w->filter().setCategories({{u"Work"_s, false}});  // Work hidden
    clearRange(true, QDate(2026, 12, 9), false);
    prompts.answers = {0};
    w->ClearAll1Click();
    EXPECT_EQ(prompts.shown.last().text, u"Remove 2 tasks on 9 December 2026?"_s);
    EXPECT_EQ(notesOf(w->store().grid(), kStoreNotes), (QStringList{u"Early"_s, u"Call Ann"_s, u"Late"_s}));
    EXPECT_EQ(notesOf(w->gridNonday(), kTodoNotes), (QStringList{u"Fix the gate"_s, u"Read the report"_s}));
    Grid saved = NewStoreGrid();
    ASSERT_TRUE(LoadGridFile(saved, data.file("grid.grd")));
    EXPECT_EQ(notesOf(saved, kStoreNotes), (QStringList{u"Early"_s, u"Call Ann"_s, u"Late"_s}));

    // Everything, the to-do list too, with the filter off.
    w->filter().setCategories({});
    clearRange(false, {}, true);
    prompts.answers = {0};
    w->ClearAll1Click();
    EXPECT_TRUE(notesOf(w->store().grid(), kStoreNotes).isEmpty());
    EXPECT_EQ(w->store().grid().rowCount(), 2);
    EXPECT_TRUE(notesOf(w->gridNonday(), kTodoNotes).isEmpty());
    Grid todo = NewTodoGrid();
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")));
    EXPECT_TRUE(notesOf(todo, kTodoNotes).isEmpty());
    EXPECT_TRUE(notesOf(todo, kTodoCategory).isEmpty());
}

TEST_F(ArchiveCommandsTest, ClearOpensOnTheDayShownWithoutTheToDoListAndSaysWhatWillGo)
{
    // Print last chose every task and the to-do list.
    TfrmPrint &dialog = *w->frmPrint();
    dialog.rbAll->setChecked(true);
    dialog.cbNonDate->setChecked(true);
    dialog.dt1->setDate(QDate(2026, 1, 1));
    dialog.dt2->setDate(QDate(2026, 1, 2));
    runner.responders.append([](QDialog &d) {
        auto &range = dynamic_cast<TfrmPrint &>(d);
        range.show();
        EXPECT_TRUE(range.rbDate->isChecked());
        EXPECT_TRUE(range.dt1->isVisible());
        EXPECT_EQ(range.dt1->date(), QDate(2026, 12, 9));
        EXPECT_EQ(range.dt2->date(), QDate(2026, 12, 9));
        EXPECT_FALSE(range.cbNonDate->isChecked());
        range.btOK->click();  // OK as it opened
        return range.result();
    });
    prompts.answers = {1};  // No
    w->ClearAll1Click();
    EXPECT_EQ(prompts.shown.last().text, u"Remove 3 tasks on 9 December 2026?"_s);
    EXPECT_EQ(notesOf(w->store().grid(), kStoreNotes).size(), 5);
    // The next print finds what it chose last.
    EXPECT_TRUE(dialog.rbAll->isChecked());
    EXPECT_TRUE(dialog.cbNonDate->isChecked());
    EXPECT_EQ(dialog.dt1->date(), QDate(2026, 1, 1));
    EXPECT_EQ(dialog.dt2->date(), QDate(2026, 1, 2));

    // Three days and the to-do list, and Yes.
    runner.responders.append([](QDialog &d) {
        auto &range = dynamic_cast<TfrmPrint &>(d);
        range.show();
        range.dt1->setDate(QDate(2026, 12, 8));
        range.dt2->setDate(QDate(2026, 12, 10));
        range.cbNonDate->setChecked(true);
        range.btOK->click();
        return range.result();
    });
    prompts.answers = {0};
    w->ClearAll1Click();
    EXPECT_EQ(prompts.shown.last().text, u"Remove 5 tasks from 8 to 10 December 2026 and 2 to-do tasks?"_s);
    EXPECT_TRUE(notesOf(w->store().grid(), kStoreNotes).isEmpty());
    EXPECT_TRUE(notesOf(w->gridNonday(), kTodoNotes).isEmpty());
}

}  // namespace
