// Printing from the main window: the system print dialog is answered by a
// responder that prints to a PDF, read back with pdftotext.

#include "MainWindowFixture.h"
#include "TestFiles.h"

#include <QAction>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

QByteArray todaysTasks()
{
    Grid g = NewStoreGrid();
    g.setRowCount(3);
    const char *rows[][3] = {{"8:00 AM", "Home", "Water the plants"}, {"9:00 AM", "Work", "Call the bank\r\nabout the loan"}};
    for (int r = 1; r <= 2; ++r) {
        g.setCell(kStoreKey, r, MakeStoreKey(46365, 100 + r));
        g.setCell(kStoreTime, r, QString::fromLatin1(rows[r - 1][0]));
        g.setCell(kStoreCategory, r, QString::fromLatin1(rows[r - 1][1]));
        g.setCell(kStoreNotes, r, QString::fromLatin1(rows[r - 1][2]));
        g.setCell(kStoreDone, r, u"No"_s);
        g.setCell(kStoreAlarm, r, u"No"_s);
    }
    return GridFileBytes(g);
}

class OutputTest : public MainWindowFixture {
protected:
    std::unique_ptr<TfrmMain> w;
    QString pdf = data.file(u"printed.pdf"_s);

    void SetUp() override
    {
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        writeBytes(data.file("grid.grd"), todaysTasks());
        writeBytes(data.file("gridNon.grd"), "3,2\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n0,1,Home\r\n"
                                             "1,1,Fix the gate\r\n2,1,No\r\n");
        w = makeMain();
        ASSERT_TRUE(w->created());
        w->resize(1200, 800);
        w->show();
        w->Timer2Timer();  // the first layout pass sizes the lists' columns
    }
    // The print dialog's answer: print to the PDF.
    void printToPdf()
    {
        runner.responders.append([this](QDialog &d) {
            auto &dialog = dynamic_cast<QPrintDialog &>(d);
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        });
    }
    QString printed() const
    {
        QProcess p;
        p.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput()).simplified();
    }
};

TEST_F(OutputTest, TheDayListPrintsUnderItsHeading)
{
    printToPdf();
    QAction *button = w->findChild<QAction *>(u"tbPrint1"_s);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->toolTip(), u"Print date tasks"_s);
    button->trigger();
    EXPECT_EQ(runner.shownTitles, QStringList{u"Print"_s});
    const QString text = printed();
    // The list's columns are narrow: the notes wrap, word by word.
    for (const QString &s : {w->dayHeading().simplified(), u"Time"_s, u"Water"_s, u"plants"_s, u"Call"_s, u"bank"_s,
                             u"loan"_s, u"8:00"_s})
        EXPECT_TRUE(text.contains(s)) << s.toStdString() << " in " << text.toStdString();
}

TEST_F(OutputTest, TheToDoListPrintsAndACancelledDialogPrintsNothing)
{
    w->todoView()->findChild<QMenu *>(u"PopupMenu2"_s)->findChild<QAction *>(u"Print2"_s);
    runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
    w->Print2Click();
    EXPECT_FALSE(QFile::exists(pdf));
    printToPdf();
    w->Print2Click();
    const QString text = printed();
    EXPECT_TRUE(text.contains(u"To-do Tasks"_s));
    EXPECT_TRUE(text.contains(u"Fix the gate"_s));
    EXPECT_TRUE(errors().isEmpty());
}

}  // namespace
