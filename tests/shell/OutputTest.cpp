// Printing from the main window: the system print dialog is answered by a
// responder that prints to a PDF, read back with pdftotext.

#include "CompletedTasksWindow.h"
#include "HolidaysWindow.h"
#include "MainWindowFixture.h"
#include "OptionsDialog.h"
#include "PrintRangeDialog.h"
#include "TestFiles.h"
#include "WebCalendarDialog.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
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
    // Each side toolbar prints between Delete and Mark as completed.
    auto names = [this](const char *bar) {
        QStringList n;
        for (QAction *a : w->findChild<QToolBar *>(QString::fromLatin1(bar))->actions())
            n << a->objectName();
        return n;
    };
    EXPECT_EQ(names("ToolBar2"), (QStringList{u"tbAdd1"_s, u"tbEdit1"_s, u"tbDel1"_s, u"ToolButton9"_s, u"tbDone1"_s,
                                              u"ToolButton15"_s}));
    EXPECT_EQ(names("ToolBar3"),
              (QStringList{u"tbAdd2"_s, u"tbEdit2"_s, u"tbDel2"_s, u"ToolButton11"_s, u"tbDone2"_s}));
    EXPECT_EQ(w->findChild<QAction *>(u"ToolButton11"_s)->toolTip(), u"Print tasks"_s);

    printToPdf();
    QAction *button = w->findChild<QAction *>(u"ToolButton9"_s);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->toolTip(), u"Print date tasks"_s);
    button->trigger();
    EXPECT_EQ(runner.shownTitles, QStringList{u"Print"_s});
    const QString text = printed();
    // The list's columns are narrow: the notes wrap, word by word.
    for (const QString &s : {w->dayHeading().simplified(), u"Time"_s, u"Water"_s, u"plants"_s, u"Call"_s, u"bank"_s,
                             u"loan"_s, u"8:00"_s, u"Done?"_s, u"Alarm?"_s})
        EXPECT_TRUE(text.contains(s)) << s.toStdString() << " in " << text.toStdString();
}

TEST_F(OutputTest, TheToDoListPrintsAndACancelledDialogPrintsNothing)
{
    runner.responders.append([](QDialog &) { return int(QDialog::Rejected); });
    w->Print2Click();
    EXPECT_FALSE(QFile::exists(pdf));
    printToPdf();
    // A list wider than the page (a wide window) still prints its done
    // column on the page.
    w->todoView()->setColumnWidth(1, 1500);
    w->Print2Click();
    const QString text = printed();
    for (const QString &s : {u"To-do Tasks"_s, u"Fix the gate"_s, u"Done?"_s})
        EXPECT_TRUE(text.contains(s)) << s.toStdString() << " in " << text.toStdString();
    EXPECT_TRUE(errors().isEmpty());
}

// The fonts a PDF uses, as pdffonts names them.
QString pdfFonts(const QString &pdf)
{
    QProcess p;
    p.start(u"pdffonts"_s, {pdf});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(OutputTest, TheListsPrintInTheGridFontChosenInTheOptions)
{
    // A family the machine has that the printer's default does not become.
    QString family;
    for (const QString &f : {u"DejaVu Serif"_s, u"DejaVu Sans Mono"_s, u"Nimbus Roman"_s})
        if (QFontInfo(QFont(f)).family() == f && QFontInfo(QFont(u"Arial"_s)).family() != f) {
            family = f;
            break;
        }
    if (family.isEmpty() || QStandardPaths::findExecutable(u"pdffonts"_s).isEmpty())
        GTEST_SKIP() << "no second font family or no pdffonts";
    const QString psName = QString(family).remove(u' ');

    prompts.fonts = {QFont(family, 11)};
    runner.responders.append([](QDialog &d) {
        auto &options = dynamic_cast<TfrmOptions &>(d);
        options.btGridFont->click();
        options.btOK->click();
        return options.result();
    });
    w->Options2Click();
    printToPdf();
    w->findChild<QAction *>(u"ToolButton9"_s)->trigger();
    EXPECT_TRUE(pdfFonts(pdf).contains(psName)) << pdfFonts(pdf).toStdString();
    EXPECT_TRUE(printed().contains(u"plants"_s));
    QFile::remove(pdf);
    printToPdf();
    w->findChild<QAction *>(u"ToolButton11"_s)->trigger();
    EXPECT_TRUE(pdfFonts(pdf).contains(psName)) << pdfFonts(pdf).toStdString();
    EXPECT_TRUE(printed().contains(u"Fix the gate"_s));
}

TEST_F(OutputTest, ThePrintCommandTakesTheRangeAndAddsTheToDoList)
{
    runner.responders.append([](QDialog &d) {
        auto &range = dynamic_cast<TfrmPrint &>(d);
        range.show();
        EXPECT_EQ(range.rbAll->text(), u"Print all tasks"_s);
        EXPECT_TRUE(range.grpNonDate->isVisible());
        range.btOK->click();
        return range.result();
    });
    printToPdf();
    w->findChild<QAction *>(u"btPrint"_s)->trigger();
    const QString text = printed();
    for (const QString &s : {u"All tasks including the To-do list"_s, u"Date"_s, u"Completed"_s, u"Water the plants"_s,
                             u"To-do"_s, u"Fix the gate"_s})
        EXPECT_TRUE(text.contains(s)) << s.toStdString() << " in " << text.toStdString();
}

TEST_F(OutputTest, ExportsWriteTheChosenListToTheChosenFile)
{
    // The daily tasks as CSV, through the range dialog in its export mode.
    runner.responders.append([](QDialog &d) {
        auto &range = dynamic_cast<TfrmPrint &>(d);
        range.show();
        EXPECT_EQ(range.rbAll->text(), u"Export all tasks"_s);
        EXPECT_FALSE(range.grpNonDate->isVisible());
        range.btOK->click();
        return range.result();
    });
    const QString csv = data.file(u"tasks.txt"_s);
    prompts.files = {csv};
    w->findChild<QAction *>(u"CommaDelimitedFormat1"_s)->trigger();
    EXPECT_TRUE(prompts.shown.last().text.startsWith(u"Save as comma-delimited|"_s));
    EXPECT_TRUE(prompts.shown.last().text.endsWith(
        u"tasks.txt|Text files (*.txt);;Comma Separated (*.csv);;All files (*.*)|txt"_s));
    // The day in the locale's short date format.
    const QByteArray day = FormatDateTime(w->formats().shortDateFormat, ToDateValue(QDate(2026, 12, 9)), w->formats())
                               .toUtf8();
    EXPECT_EQ(readBytes(csv), "Date,Time,Category,What,Completed,Alarm\r\n" + day +
                                  ",8:00 AM,Home,Water the plants,No,No\r\n" + day +
                                  ",9:00 AM,Work,\"Call the bank\r\nabout the loan\",No,No\r\n");

    // The to-do list from its popup menu, when it is the active list.
    QApplication::setActiveWindow(w.get());
    w->todoView()->setFocus();
    const QString html = data.file(u"todo.htm"_s);
    prompts.files = {html};
    QAction *item = w->findChild<QAction *>(u"HTMLFormat2"_s);
    ASSERT_TRUE(item);
    item->trigger();
    EXPECT_TRUE(prompts.shown.last().text.startsWith(u"Save as an HTML file|"_s));
    const QByteArray page = readBytes(html);
    EXPECT_TRUE(page.startsWith("<table border=1>\r\n<tr>\r\n"));
    // A long note wraps instead of widening the page; the category does not.
    EXPECT_TRUE(page.contains("<td>Fix the gate</td>")) << page.toStdString();
    EXPECT_TRUE(page.contains("<td nowrap>Home</td>"));
    EXPECT_FALSE(page.contains("Water the plants"));

    // A file that cannot be written is reported, and a cancelled dialog
    // writes nothing.
    prompts.files = {data.file(u"no/such/folder/tasks.txt"_s)};
    w->CommaDelimitedFormat2Click();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains(u"tasks.txt"_s));
    w->HTMLFormat4Click();
    EXPECT_EQ(errors().size(), 1);
}

TEST_F(OutputTest, TheListsPopupMenusHoldPrintAndExport)
{
    QStringList items;
    for (QAction *a : w->dayView()->findChild<QMenu *>(u"PopupMenu1"_s)->actions())
        items << (a->isSeparator() ? u"-"_s : a->text());
    EXPECT_EQ(items, (QStringList{u"Add"_s, u"Edit"_s, u"Delete"_s, u"-"_s, u"Print"_s, u"Export"_s,
                                  u"Mark as completed"_s}));
}

TEST_F(OutputTest, TheCompletedTasksAndTheHolidaysPrintAndExport)
{
    TfrmComplete *done = w->frmComplete();
    ASSERT_TRUE(done->addCompleted({u"12/8/2026"_s, u"9:00 AM"_s, u"Work"_s, u"12/8/2026"_s, u"Send the report"_s,
                                    u"Sent by mail, twice"_s}));
    done->show();
    done->ResizeGrid();
    printToPdf();
    done->findChild<QAction *>(u"Print1"_s)->trigger();
    QString text = printed();
    EXPECT_TRUE(text.contains(u"Completed Tasks"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Send the report"_s)) << text.toStdString();
    const QString csv = data.file(u"done.txt"_s);
    prompts.files = {csv};
    done->findChild<QAction *>(u"CommaDelimited1"_s)->trigger();
    EXPECT_TRUE(readBytes(csv).contains(",Send the report,\"Sent by mail, twice\"\r\n")) << readBytes(csv).toStdString();
    EXPECT_TRUE(prompts.shown.last().text.contains(u"/output.txt|Text files"_s))
        << prompts.shown.last().text.toStdString();
    const QString html = data.file(u"done.htm"_s);
    prompts.files = {html};
    done->findChild<QAction *>(u"HTMLFormat1"_s)->trigger();
    EXPECT_TRUE(prompts.shown.last().text.contains(u"/output.htm|HTM files"_s))
        << prompts.shown.last().text.toStdString();
    EXPECT_TRUE(readBytes(html).contains("<td>Send the report</td>\r\n<td>Sent by mail, twice</td>"))
        << readBytes(html).toStdString();
    EXPECT_TRUE(readBytes(html).contains("<td nowrap>Work</td>"));

    // The holidays window's Print button.
    writeBytes(data.file("holiday.grd"), "4,3\r\n0,1,Mid-week\r\n1,1,12\r\n2,1,December\r\n3,1,10\r\n"
                                         "0,2,Launch day\r\n1,2,12\r\n2,2,December\r\n3,2,20261216\r\n");
    QFile::remove(pdf);
    runner.responders.append([](QDialog &d) {
        auto &holidays = dynamic_cast<TfrmHoliday &>(d);
        holidays.btPrint->click();
        return int(QDialog::Rejected);
    });
    printToPdf();
    w->Holidays1Click();
    text = printed();
    EXPECT_TRUE(text.contains(u"Holidays"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Mid-week"_s)) << text.toStdString();
    // A one-time holiday prints its date as the window shows it.
    const QString shown = FormatDateTime(w->formats().shortDateFormat, ToDateValue(QDate(2026, 12, 16)), w->formats());
    EXPECT_TRUE(text.contains(shown)) << shown.toStdString() << " in " << text.toStdString();
    EXPECT_FALSE(text.contains(u"20261216"_s)) << text.toStdString();
}

TEST_F(OutputTest, TheCalendarIsPublishedAsAWebPage)
{
    const QString page = data.file(u"calendar.htm"_s);
    runner.responders.append([&](QDialog &d) {
        auto &web = dynamic_cast<TfrmWebCal &>(d);
        web.show();
        web.edFile->setText(page);
        web.btLaunch->click();
        return web.result();
    });
    prompts.texts = {u"Family"_s};
    w->findChild<QAction *>(u"btPublish"_s)->trigger();
    const QByteArray html = readBytes(page);
    EXPECT_TRUE(html.contains("Family"));
    EXPECT_TRUE(html.contains("Water the plants"));
    EXPECT_EQ(launcher.opened, QStringList{page});
}

}  // namespace
