// The import's summary dialog: the import is worked out on another thread
// while a progress bar shows; Cancel stops it and changes nothing; other
// days plan again; a file that cannot be read closes the dialog with why.

#include "ExchangeFixtures.h"
#include "IcsImportDialog.h"

#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kStandUps = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                             "BEGIN:VEVENT\r\nUID:standup@example.org\r\nDTSTART:20260105T093000\r\n"
                             "RRULE:FREQ=WEEKLY;COUNT=10\r\nSUMMARY:Stand-up\r\nEND:VEVENT\r\n"
                             "BEGIN:VTODO\r\nUID:fence@example.org\r\nSUMMARY:Paint the fence\r\nEND:VTODO\r\n"
                             "END:VCALENDAR\r\n";

class IcsImportDialogTest : public ::testing::Test {
protected:
    TimeZoneGuard zone{"Europe/Berlin"};
    FormatSettings fs = FormatSettings::enUS();
    TempFolder dir;
    TaskFilter filter;
    TaskStore tasks{filter, dir.file(u"grid.grd"_s)};
    Grid todo = TodoOf({{"Garden", "Plant roses", "No"}});

    TfrmIcsImport::Services services(std::function<IcsImportPlan(QDate, QDate, IcsPlanControl &)> plan)
    {
        return {u"/home/ann/standups.ics"_s, std::move(plan), fs, QDate(2026, 1, 1), QDate(2026, 12, 31)};
    }
    // The real planning of a file, against the tables of the test.
    std::function<IcsImportPlan(QDate, QDate, IcsPlanControl &)> planOf(QByteArray file)
    {
        return [this, file](QDate from, QDate to, IcsPlanControl &control) {
            return PlanIcsImport(file, tasks.grid(), todo, from, to, fs, &control);
        };
    }
    static void waitForPlan(TfrmIcsImport &dlg)
    {
        QSignalSpy done(&dlg, &TfrmIcsImport::workerFinished);
        ASSERT_TRUE(dlg.planning());
        ASSERT_TRUE(done.wait());
    }
};

}  // namespace

TEST_F(IcsImportDialogTest, CancelWhilePlanningStopsThePlanningAndChangesNothing)
{
    // A planning held until it is told to stop, so that Cancel surely comes
    // while it runs; then the real planning, which sees that it must stop.
    QSemaphore started;
    auto held = [&, real = planOf(kStandUps)](QDate from, QDate to, IcsPlanControl &control) {
        control.report(300, 1000);
        started.release();
        while (!control.cancelled())
            QThread::yieldCurrentThread();
        return real(from, to, control);
    };
    TfrmIcsImport dlg(services(held));
    started.acquire();
    EXPECT_TRUE(dlg.planning());
    EXPECT_FALSE(dlg.pbPlan->isHidden());
    EXPECT_EQ(dlg.lblSummary->text(), u"Reading the file..."_s);
    EXPECT_FALSE(dlg.btOK->isEnabled());
    // The progress, sent from the planning's thread before it waits.
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.pbPlan->value(), 300);

    QSignalSpy done(&dlg, &TfrmIcsImport::workerFinished);
    QTest::mouseClick(dlg.btCancel, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    ASSERT_TRUE(done.wait());
    EXPECT_FALSE(dlg.planning());
    EXPECT_TRUE(dlg.failure().isEmpty());
    EXPECT_EQ(dlg.plan().taskCount(), 0);
    EXPECT_FALSE(ApplyIcsImport(dlg.plan(), tasks, todo).ok);
    EXPECT_EQ(RowsOf(tasks.grid()), QStringList());
    EXPECT_EQ(TodoRowsOf(todo), QStringList({"Garden|Plant roses|No"}));
    EXPECT_FALSE(QFile::exists(tasks.path()));

    // A planning that had finished when the days turned the wrong way round
    // shows nothing of its days.
    QSemaphore finished;
    auto quick = [&, real = planOf(kStandUps)](QDate from, QDate to, IcsPlanControl &control) {
        IcsImportPlan p = real(from, to, control);
        finished.release();
        return p;
    };
    TfrmIcsImport late(services(quick));
    finished.acquire();
    QSignalSpy lateDone(&late, &TfrmIcsImport::workerFinished);
    late.dtTo->setDate(QDate(2025, 12, 31));
    ASSERT_TRUE(lateDone.wait());
    EXPECT_EQ(late.lblSummary->text(), u"The second date must be AFTER the first date!"_s);
    EXPECT_FALSE(late.btOK->isEnabled());
    EXPECT_EQ(late.plan().taskCount(), 0);

    // Told to stop before it starts, the planning itself gives back nothing.
    IcsPlanControl control;
    control.cancel();
    const IcsImportPlan p = PlanIcsImport(kStandUps, tasks.grid(), todo, QDate(2026, 1, 1), QDate(2026, 12, 31), fs,
                                          &control);
    EXPECT_FALSE(p.ok);
    EXPECT_TRUE(p.interrupted);
    EXPECT_EQ(p.taskCount(), 0);
}

TEST_F(IcsImportDialogTest, ThePlanComesBackAndOtherDaysPlanItAgain)
{
    std::vector<int> progress;
    auto recorded = [&, real = planOf(kStandUps)](QDate from, QDate to, IcsPlanControl &control) {
        control.onProgress = [&progress, report = control.onProgress](int share) {
            progress.push_back(share);
            report(share);
        };
        return real(from, to, control);
    };
    TfrmIcsImport dlg(services(recorded));
    waitForPlan(dlg);
    EXPECT_TRUE(dlg.pbPlan->isHidden());
    EXPECT_EQ(dlg.lblSummary->text(), u"11 tasks will be added (10 dated, 1 to the to-do list)."_s);
    EXPECT_TRUE(dlg.btOK->isEnabled());
    EXPECT_TRUE(dlg.lbNotes->isHidden());
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1000);

    // Other days: worked out again, on a thread again.
    dlg.dtTo->setDate(QDate(2026, 1, 31));
    waitForPlan(dlg);
    EXPECT_EQ(dlg.lblSummary->text(), u"5 tasks will be added (4 dated, 1 to the to-do list)."_s);
    EXPECT_EQ(dlg.plan().dated.size(), 4u);
    // Days the wrong way round: nothing is worked out.
    dlg.dtTo->setDate(QDate(2025, 12, 31));
    EXPECT_FALSE(dlg.planning());
    EXPECT_FALSE(dlg.btOK->isEnabled());
    EXPECT_EQ(dlg.plan().taskCount(), 0);

    // Pressing Import takes the plan as it stands.
    dlg.dtTo->setDate(QDate(2026, 12, 31));
    waitForPlan(dlg);
    QTest::mouseClick(dlg.btOK, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_TRUE(ApplyIcsImport(dlg.plan(), tasks, todo).ok);
    EXPECT_EQ(RowsOf(tasks.grid()).size(), 10);
    EXPECT_EQ(TodoRowsOf(todo), QStringList({"Garden|Plant roses|No", "|Paint the fence|No"}));
}

TEST_F(IcsImportDialogTest, AFileThatCannotBeReadClosesTheDialogWithItsReason)
{
    TfrmIcsImport dlg(services(planOf("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:soon\r\nEND:VEVENT\r\n"
                                      "END:VCALENDAR\r\n")));
    waitForPlan(dlg);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.failure(), u"Line 3: the value of DTSTART cannot be read (\"soon\")."_s);
    EXPECT_EQ(dlg.plan().taskCount(), 0);
}
