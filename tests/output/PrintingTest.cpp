// Printing lists to PDF, read back with pdftotext, and the range dialog.

#include "GridPrinter.h"
#include "PrintRangeDialog.h"
#include "ShadowLabel.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

// The text of a PDF as pdftotext lays it out; empty when the tool is missing.
QString PdfText(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Each word of a PDF with its page and its box, as pdftotext -bbox gives them.
struct PdfWord {
    int page;
    QString text;
    double top, bottom, left, right;
    double pageWidth;
};
std::vector<PdfWord> PdfWords(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    if (!p.waitForFinished(30000))
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression tag(
        uR"re(<page width="([\d.]+)"|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"_s);
    std::vector<PdfWord> words;
    int page = 0;
    double pageWidth = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(u"<page"_s)) {
            ++page;
            pageWidth = m.captured(1).toDouble();
        } else {
            words.push_back({page, m.captured(6), m.captured(3).toDouble(), m.captured(5).toDouble(),
                             m.captured(2).toDouble(), m.captured(4).toDouble(), pageWidth});
        }
    }
    return words;
}

Grid ListOf(int rows)
{
    Grid g(3, rows + 1);
    g.setCell(0, 0, u"Time"_s);
    g.setCell(1, 0, u"Category"_s);
    g.setCell(2, 0, u"What"_s);
    g.setColWidth(0, 80);
    g.setColWidth(1, 90);
    g.setColWidth(2, 300);
    for (int r = 1; r <= rows; ++r) {
        g.setCell(0, r, u"9:%1 AM"_s.arg(r % 60, 2, 10, QChar(u'0')));
        g.setCell(1, r, u"Work"_s);
        g.setCell(2, r, u"Task number %1"_s.arg(r));
    }
    return g;
}

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    TempFolder out;
    FormatSettings fs = FormatSettings::enUS();
    const QDateTime now{QDate(2026, 12, 9), QTime(14, 5)};

    QString print(const Grid &g, const PageSettings &s, int *pages = nullptr)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.file(u"list.pdf"_s));
        printer.setPageSize(QPageSize(QPageSize::Letter));
        const int n = PrintGrid(printer, g, s, now, fs);
        if (pages)
            *pages = n;
        return PdfText(out.file(u"list.pdf"_s));
    }
};

TEST_F(PrintingTest, AListPrintsItsTitleStampsHeaderAndEveryCell)
{
    Grid g = ListOf(3);
    g.setCell(2, 2, u"Two lines\r\nof notes"_s);
    int pages = 0;
    const QString text = print(g, DayListPageSettings(u"Wed 9 12 2026  Today"_s), &pages);
    EXPECT_EQ(pages, 1);
    for (const QString &s : {u"Wed 9 12 2026 Today"_s, u"Time"_s, u"Category"_s, u"What"_s, u"9:01 AM"_s,
                             u"Task number 1"_s, u"Two lines"_s, u"of notes"_s, u"Task number 3"_s, u"12/9/2026"_s,
                             u"2:05 PM"_s})
        EXPECT_TRUE(text.simplified().contains(s)) << s.toStdString() << "\n" << text.toStdString();
    // The header comes first, the rows in their order.
    EXPECT_LT(text.indexOf(u"Category"_s), text.indexOf(u"Task number 1"_s));
    EXPECT_LT(text.indexOf(u"Task number 1"_s), text.indexOf(u"Task number 3"_s));
}

TEST_F(PrintingTest, ALongListGoesOnOverSeveralPagesWithNothingLost)
{
    const Grid g = ListOf(150);
    int pages = 0;
    PageSettings s = CombinedListPageSettings(u"All tasks"_s);
    s.columnWidths = {80, 90, 300};
    const QString text = print(g, s, &pages);
    EXPECT_GT(pages, 1);
    EXPECT_EQ(text.count(u'\f'), pages);
    for (int r = 1; r <= 150; ++r)
        EXPECT_TRUE(text.contains(u"Task number %1 "_s.arg(r)) || text.contains(u"Task number %1\n"_s.arg(r))) << r;
    // The title and stamps on every page.
    EXPECT_EQ(text.count(u"All tasks"_s), pages);
}

TEST_F(PrintingTest, ARowTallerThanAPageGoesOnOnTheNextAndNeverOverTheFooter)
{
    // A to-do task of 81 lines between two short ones.
    Grid g = ListOf(3);
    QStringList steps;
    for (int i = 1; i <= 81; ++i)
        steps << u"step%1"_s.arg(i, 3, 10, QChar(u'0'));
    g.setCell(2, 2, steps.join(u"\r\n"_s) + u"\r\n"_s);
    int pages = 0;
    (void)print(g, TodoListPageSettings(), &pages);
    EXPECT_GE(pages, 2);
    const std::vector<PdfWord> words = PdfWords(out.file(u"list.pdf"_s));
    ASSERT_FALSE(words.empty());
    // Where each page's footer (the date stamp) begins.
    std::map<int, double> footer;
    for (const PdfWord &w : words)
        if (w.text == u"12/9/2026"_s)
            footer[w.page] = w.top;
    EXPECT_EQ(int(footer.size()), pages);
    QStringList printed;
    int lastPage = 0;
    double lastTop = 0;
    for (const PdfWord &w : words) {
        if (!w.text.startsWith(u"step"_s) && w.text != u"3"_s && !w.text.startsWith(u"number"_s))
            continue;
        if (w.text.startsWith(u"step"_s))
            printed << w.text;
        ASSERT_TRUE(footer.count(w.page)) << w.page;
        EXPECT_LT(w.bottom, footer[w.page]) << w.text.toStdString() << " on page " << w.page;
        // Line after line, page after page.
        EXPECT_TRUE(w.page > lastPage || w.top >= lastTop) << w.text.toStdString();
        lastPage = w.page;
        lastTop = w.top;
    }
    EXPECT_EQ(printed, steps);
    EXPECT_EQ(std::count_if(words.begin(), words.end(), [](const PdfWord &w) { return w.text == u"3"_s; }), 1)
        << "the row after the tall one";
}

TEST_F(PrintingTest, AColumnTheListHidesIsLeftOut)
{
    Grid g = ListOf(2);
    PageSettings s = DayListPageSettings(u"Day"_s);
    s.columnWidths = {80, 0, 300};
    const QString text = print(g, s);
    EXPECT_TRUE(text.contains(u"Task number 2"_s));
    EXPECT_FALSE(text.contains(u"Work"_s));
    EXPECT_FALSE(text.contains(u"Category"_s));
}

TEST_F(PrintingTest, AListWiderThanThePageIsNarrowedToItSoEveryColumnPrints)
{
    // A day list shown in a wide window: its notes column alone is wider
    // than the page, and the done column comes after it.
    Grid g = ListOf(2);
    g.setColCount(4);
    g.setCell(3, 0, u"Done?"_s);
    g.setCell(3, 1, u"Yes"_s);
    g.setCell(3, 2, u"No"_s);
    PageSettings s = DayListPageSettings(u"Day"_s);
    s.columnWidths = {80, 90, 1500, 46};
    (void)print(g, s);
    const std::vector<PdfWord> words = PdfWords(out.file(u"list.pdf"_s));
    QStringList onPage;
    for (const PdfWord &w : words)
        if (w.left >= 0 && w.right <= w.pageWidth)
            onPage << w.text;
    for (const QString &word : {u"Done?"_s, u"Yes"_s, u"No"_s, u"Time"_s})
        EXPECT_TRUE(onPage.contains(word)) << word.toStdString() << " in " << onPage.join(u' ').toStdString();
}

TEST_F(PrintingTest, AnEmptyListPrintsItsHeader)
{
    const QString text = print(ListOf(0), TodoListPageSettings());
    EXPECT_TRUE(text.contains(u"To-do Tasks"_s));
    EXPECT_TRUE(text.contains(u"Category"_s));
}

class RangeDialogTest : public ::testing::Test {
protected:
    ScriptedPrompts prompts;
    TaskFilter filter;
    FormatSettings fs = FormatSettings::enUS();
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(10, 0))};
    TfrmPrint dlg{{prompts, filter, fs, clock}};
};

TEST_F(RangeDialogTest, CaptionsFollowTheModeAndTheFilter)
{
    dlg.mode = TfrmPrint::Mode::Print;
    dlg.show();
    EXPECT_EQ(dlg.rbAll->text(), u"Print all tasks"_s);
    EXPECT_EQ(dlg.windowTitle(), u"Print all tasks"_s);
    EXPECT_EQ(dlg.lblTitle->text(), u"Print all tasks"_s);
    EXPECT_EQ(dlg.rbDate->text(), u"Print all tasks within a range of dates"_s);
    EXPECT_TRUE(dlg.grpNonDate->isVisible());
    EXPECT_FALSE(dlg.dt1->isVisible());
    dlg.hide();

    filter.setShowDone(false);
    dlg.mode = TfrmPrint::Mode::Export;
    dlg.show();
    EXPECT_EQ(dlg.rbAll->text(), u"Export filtered tasks"_s);
    EXPECT_EQ(dlg.rbDate->text(), u"Export filtered tasks within a range of dates"_s);
    EXPECT_FALSE(dlg.grpNonDate->isVisible());
    dlg.hide();
    dlg.mode = TfrmPrint::Mode::Clear;
    dlg.show();
    EXPECT_EQ(dlg.rbAll->text(), u"Clear filtered tasks"_s);
    EXPECT_TRUE(dlg.grpNonDate->isVisible());
    // The date fields show while a range is chosen.
    dlg.rbDate->click();
    EXPECT_TRUE(dlg.dt1->isVisible() && dlg.dt2->isVisible());
    dlg.rbAll->click();
    EXPECT_FALSE(dlg.dt1->isVisible());
}

TEST_F(RangeDialogTest, AReversedRangeIsRefusedAndOkSetsThePrintModeBack)
{
    EXPECT_EQ(dlg.dt1->date(), QDate(2026, 12, 9));
    EXPECT_EQ(dlg.dt2->date(), QDate(2026, 12, 9));
    dlg.mode = TfrmPrint::Mode::Clear;
    dlg.show();
    dlg.rbDate->click();
    dlg.dt1->setDate(QDate(2026, 12, 10));
    dlg.btOK->click();
    EXPECT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown.value(0).text, u"The second date must be AFTER the first date!"_s);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.mode, TfrmPrint::Mode::Clear);
    // Equal dates are one day.
    dlg.dt2->setDate(QDate(2026, 12, 10));
    dlg.btOK->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.mode, TfrmPrint::Mode::Print);
    const PrintRange r = dlg.range();
    EXPECT_TRUE(r.byDate);
    EXPECT_EQ(r.first, QDate(2026, 12, 10));
    EXPECT_EQ(r.last, QDate(2026, 12, 10));
    EXPECT_TRUE(r.includeTodo);
}

}  // namespace
}  // namespace morvane
