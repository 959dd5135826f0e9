// iCalendar export and import through the main window's commands.

#include "IcsImportDialog.h"
#include "MainWindowFixture.h"
#include "PrintRangeDialog.h"
#include "TestFiles.h"
#include "TestStores.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

// A weekly event in floating time, three times from 14 December 2026, with
// an attendee; and an all-day event.
const QByteArray kMeetings = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Hand written//EN\r\n"
                             "BEGIN:VEVENT\r\nUID:standup-1@example.org\r\nDTSTAMP:20261201T090000Z\r\n"
                             "DTSTART:20261214T093000\r\nDTEND:20261214T100000\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
                             "SUMMARY:Stand-up\r\nATTENDEE:mailto:ann@example.org\r\nEND:VEVENT\r\n"
                             "BEGIN:VEVENT\r\nUID:party-1@example.org\r\nDTSTAMP:20261201T090000Z\r\n"
                             "DTSTART;VALUE=DATE:20261224\r\nSUMMARY:Party\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

class ExchangeCommandsTest : public MainWindowFixture {
protected:
    std::unique_ptr<TfrmMain> w;
    void SetUp() override
    {
        writeBytes(data.file("grid.grd"), "6,2\r\n0,1,46365.101\r\n1,1,9:00 AM\r\n2,1,Work\r\n3,1,Call the bank\r\n"
                                          "4,1,No\r\n5,1,Yes\r\n");
        writeBytes(data.file("gridNon.grd"), "3,2\r\n0,1,Home\r\n1,1,Fix the gate\r\n2,1,No\r\n");
        w = makeMain();
        ASSERT_TRUE(w->created());
        w->show();
    }
    QStringList infos() const
    {
        QStringList out;
        for (const auto &s : prompts.shown)
            if (s.kind == ScriptedPrompts::Kind::Info)
                out << s.text;
        return out;
    }
    int tasksOn(const QDate &d) const
    {
        int n = 0;
        const Grid &g = w->store().grid();
        for (int r = 1; r < g.rowCount(); ++r)
            n += KeyDay(g.cellUtf8(kStoreKey, r)) == DayNumber(d);
        return n;
    }
    // The import is worked out on another thread: wait for it to end.
    static void waitForPlan(TfrmIcsImport &dlg)
    {
        QSignalSpy done(&dlg, &TfrmIcsImport::workerFinished);
        if (dlg.planning()) {
            EXPECT_TRUE(done.wait());
        }
    }
    // The summary dialog's answer: read it, then press Import.
    void acceptImport(QString *summary, QStringList *notes, bool *canImport)
    {
        runner.responders.append([=](QDialog &d) {
            auto &dlg = dynamic_cast<TfrmIcsImport &>(d);
            waitForPlan(dlg);
            *summary = dlg.lblSummary->text();
            for (int i = 0; i < dlg.lbNotes->count(); ++i)
                *notes << dlg.lbNotes->item(i)->text();
            *canImport = dlg.btOK->isEnabled();
            if (*canImport)
                dlg.btOK->click();
            return dlg.result();
        });
    }
};

TEST_F(ExchangeCommandsTest, ExportWritesTheTasksAndTheToDoList)
{
    runner.responders.append([](QDialog &d) {
        auto &range = dynamic_cast<TfrmPrint &>(d);
        range.btOK->click();
        return range.result();
    });
    prompts.answers = {1};  // without the completed tasks
    const QString file = data.file(u"out.ics"_s);
    prompts.files = {file};
    w->ExportToICalendar1Click();
    EXPECT_TRUE(errors().isEmpty());
    const QByteArray ics = readBytes(file);
    EXPECT_TRUE(ics.startsWith("BEGIN:VCALENDAR"));
    EXPECT_TRUE(ics.contains("SUMMARY:Call the bank"));
    EXPECT_TRUE(ics.contains("BEGIN:VALARM"));
    EXPECT_TRUE(ics.contains("BEGIN:VTODO"));
    EXPECT_TRUE(ics.contains("Fix the gate"));
}

TEST_F(ExchangeCommandsTest, ImportShowsWhatItAddsAndAddsItOnce)
{
    const QString file = data.file(u"meetings.ics"_s);
    writeBytes(file, kMeetings);
    prompts.files = {file};
    QString summary;
    QStringList notes;
    bool canImport = false;
    acceptImport(&summary, &notes, &canImport);
    w->ImportFromICalendar1Click();
    EXPECT_TRUE(canImport);
    EXPECT_TRUE(summary.contains(u"4"_s)) << summary.toStdString();
    ASSERT_FALSE(notes.isEmpty());
    EXPECT_TRUE(notes.join(u'\n').contains(u"Stand-up"_s)) << notes.join(u'\n').toStdString();
    EXPECT_EQ(tasksOn(QDate(2026, 12, 14)), 1);
    EXPECT_EQ(tasksOn(QDate(2026, 12, 21)), 1);
    EXPECT_EQ(tasksOn(QDate(2026, 12, 28)), 1);
    EXPECT_EQ(tasksOn(QDate(2026, 12, 24)), 1);
    // The store on disk has them too.
    Grid saved = NewStoreGrid();
    ASSERT_TRUE(LoadGridFile(saved, data.file("grid.grd")));
    EXPECT_EQ(TasksIn(saved), 5);

    // Again: nothing new, so nothing to import.
    prompts.files = {file};
    notes.clear();
    acceptImport(&summary, &notes, &canImport);
    w->ImportFromICalendar1Click();
    EXPECT_FALSE(canImport);
    EXPECT_EQ(TasksIn(w->store().grid()), 5);
}

TEST_F(ExchangeCommandsTest, AFileThatCannotBeReadChangesNothing)
{
    const QString file = data.file(u"broken.ics"_s);
    writeBytes(file, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nDTSTART:not a date\r\nSUMMARY:x\r\n");
    prompts.files = {file};
    const QByteArray before = readBytes(data.file("grid.grd"));
    // The dialog closes itself when the file turns out to be unreadable.
    runner.responders.append([](QDialog &d) {
        auto &dlg = dynamic_cast<TfrmIcsImport &>(d);
        waitForPlan(dlg);
        return dlg.result();
    });
    w->ImportFromICalendar1Click();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith(u"Line 3:"_s)) << errors()[0].toStdString();
    EXPECT_EQ(runner.shownTitles, QStringList({u"Import from iCalendar"_s}));
    EXPECT_EQ(readBytes(data.file("grid.grd")), before);
}

TEST_F(ExchangeCommandsTest, AnExportSaysWhatItWroteAndAnImportOfItsMovedTaskChangesItWhenAsked)
{
    runner.responders.append([](QDialog &d) {
        auto &range = dynamic_cast<TfrmPrint &>(d);
        range.btOK->click();
        return range.result();
    });
    prompts.answers = {1};
    const QString file = data.file(u"out.ics"_s);
    prompts.files = {file};
    w->ExportToICalendar1Click();
    ASSERT_TRUE(errors().isEmpty());
    EXPECT_EQ(infos(), QStringList({u"Exported 2 tasks to %1."_s.arg(QDir::toNativeSeparators(file))}));

    // Moved to half past ten in another program.
    QByteArray ics = readBytes(file);
    const qsizetype at = ics.indexOf("DTSTART:");
    ASSERT_GE(at, 0);
    ics.replace(at + 17, 6, "103000");
    writeBytes(file, ics);
    const QByteArray before = readBytes(data.file("grid.grd"));

    // The change is listed with its box on; turned off, there is nothing to
    // import.
    QStringList changes;
    bool canImport = true, boxShown = false;
    runner.responders.append([&](QDialog &d) {
        auto &dlg = dynamic_cast<TfrmIcsImport &>(d);
        waitForPlan(dlg);
        for (int i = 0; i < dlg.lbChanges->count(); ++i)
            changes << dlg.lbChanges->item(i)->text();
        boxShown = dlg.chkChanges->isVisibleTo(&dlg) && dlg.chkChanges->isChecked();
        dlg.chkChanges->setFocus();
        QTest::keyClick(dlg.chkChanges, Qt::Key_Space);
        canImport = dlg.btOK->isEnabled();
        dlg.btCancel->click();
        return dlg.result();
    });
    prompts.files = {file};
    w->ImportFromICalendar1Click();
    EXPECT_TRUE(boxShown);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_TRUE(changes[0].startsWith(u"Call the bank ("_s) && changes[0].contains(u"): now at 10:30"_s))
        << changes[0].toStdString();
    EXPECT_FALSE(canImport);
    EXPECT_EQ(readBytes(data.file("grid.grd")), before);

    // With the box on, Import changes the task where it is.
    QString summary;
    QStringList notes;
    acceptImport(&summary, &notes, &canImport);
    prompts.files = {file};
    w->ImportFromICalendar1Click();
    EXPECT_TRUE(canImport);
    EXPECT_TRUE(summary.contains(u"1 task changed in the file (1 to change)."_s)) << summary.toStdString();
    EXPECT_EQ(TasksIn(w->store().grid()), 1);
    EXPECT_TRUE(w->store().grid().cell(kStoreTime, 1).startsWith(u"10:30"_s));
    EXPECT_EQ(infos().last(), u"Changed 1 task."_s);
    Grid saved = NewStoreGrid();
    ASSERT_TRUE(LoadGridFile(saved, data.file("grid.grd")));
    EXPECT_EQ(saved.cell(kStoreTime, 1), w->store().grid().cell(kStoreTime, 1));
}

}  // namespace
