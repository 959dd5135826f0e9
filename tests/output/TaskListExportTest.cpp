// The HTML and CSV forms of a list, byte for byte, and writing them to disk.

#include "OutputFixtures.h"
#include "PrintSelection.h"
#include "TaskListExport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

const QColor kBorder(0xD4, 0xD0, 0xC8);

Grid combinedList()
{
    Grid list;
    TransfertoGridPrint(list, SmallStore(), PrintRange{}, TaskFilter{}, FormatSettings::enUS());
    return list;
}

}  // namespace

TEST(TaskListExport, HtmlMatchesTheGoldenFile)
{
    // The notes ("What") wrap; every other cell keeps to one line.
    const Grid store = SmallStore();
    const CombinedList list(store, PrintRange{}, TaskFilter{}, FormatSettings::enUS());
    EXPECT_EQ(TaskListHtml(list, kBorder), Golden(u"tasks.htm"_s));
}

TEST(TaskListExport, HtmlOfAnEmptySelectionIsTheHeaderAlone)
{
    EXPECT_EQ(TaskListHtml(NewPrintGrid(), kBorder), Golden(u"empty.htm"_s));
}

TEST(TaskListExport, HtmlEscapesMarkupBeforeMakingLineBreaks)
{
    Grid g(2, 2);
    g.setCell(0, 0, u"A&B");
    g.setCell(1, 0, u"<h>");
    g.setCell(0, 1, u"x < y && \"q\" > 'p'\r\nnext");
    g.setCell(1, 1, u"\r");
    const QByteArray html = TaskListHtml(g, QColor(255, 0, 0));
    EXPECT_TRUE(html.contains("<td nowrap BGCOLOR=\"#FF0000\"><B>A&amp;B</B></td>\r\n"));
    EXPECT_TRUE(html.contains("<td nowrap BGCOLOR=\"#FF0000\"><B>&lt;h&gt;</B></td>\r\n"));
    EXPECT_TRUE(html.contains("<td nowrap>x &lt; y &amp;&amp; &quot;q&quot; &gt; 'p'<br>\nnext</td>\r\n"));
    EXPECT_TRUE(html.contains("<td nowrap><br></td>\r\n"));
    EXPECT_EQ(HtmlEscaped(u"<script>\"é&\""), u"&lt;script&gt;&quot;é&amp;&quot;"_s);
    // Colours below 0x10 keep their leading zero.
    EXPECT_EQ(HexRgb(QColor(1, 2, 10)), u"01020A"_s);
}

TEST(TaskListExport, CsvMatchesTheGoldenFile)
{
    EXPECT_EQ(TaskListCsv(combinedList()), Golden(u"tasks.csv"_s));
    EXPECT_EQ(TaskListCsv(NewPrintGrid()), QByteArray("Date,Time,Category,What,Completed,Alarm\r\n"));
}

TEST(TaskListExport, CsvQuotesOnlyWhatNeedsIt)
{
    Grid g(5, 1);
    g.setCell(0, 0, u"plain text");
    g.setCell(1, 0, u"");
    g.setCell(2, 0, u"a \"quoted\" word");
    g.setCell(3, 0, u"one\ntwo");
    g.setCell(4, 0, u"cr\ronly");
    EXPECT_EQ(TaskListCsv(g), QByteArray("plain text,\"\",\"a \"\"quoted\"\" word\",\"one\ntwo\",\"cr\ronly\"\r\n"));
}

// Python's csv reader stands for the spreadsheets that read our files: every
// field must come back exactly as the list holds it.
TEST(TaskListExport, PythonCsvReadsBackEveryField)
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    TempFolder dir;
    Grid list = combinedList();
    // A to-do row and a few harder texts besides.
    AppendTodoTasks(list, SmallTodo(), PrintRange{}, TaskFilter{});
    const int extra = list.rowCount();
    list.setRowCount(extra + 1);
    list.setCell(kPrintWhat, extra, u"\"\"\", , \r\n\r\n\"end"_s);
    list.setCell(kPrintCategory, extra, u" spaced "_s);
    const QString path = dir.file(u"tasks.csv"_s);
    ASSERT_TRUE(WriteExportFile(path, TaskListCsv(list)).ok);

    QProcess p;
    p.start(python, {u"-c"_s, u"import csv, json, sys\n"
                              "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                              "    print(json.dumps(list(csv.reader(f))))\n"_s,
                     path});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    ASSERT_EQ(rows.size(), list.rowCount());
    for (int r = 0; r < list.rowCount(); ++r) {
        const QJsonArray fields = rows[r].toArray();
        ASSERT_EQ(fields.size(), list.colCount()) << "row " << r;
        for (int c = 0; c < list.colCount(); ++c)
            EXPECT_EQ(fields[c].toString(), list.cell(c, r)) << "row " << r << " column " << c;
    }
}

TEST(TaskListExport, WrittenFileHoldsTheBytesAndAFailedWriteKeepsTheOldFile)
{
    TempFolder dir;
    const QString path = dir.file(u"tasks.htm"_s);
    const QByteArray html = TaskListHtml(combinedList(), kBorder);
    ASSERT_TRUE(WriteExportFile(path, html).ok);
    EXPECT_EQ(readBytes(path), html);

    // A read-only folder is refused by its permission bits, also for root.
    const QString folder = dir.file(u"locked"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString locked = folder + u"/tasks.txt"_s;
    writeBytes(locked, "old list\r\n");
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    FileResult r = WriteExportFile(locked, TaskListCsv(combinedList()));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(u"tasks.txt"_s)) << r.message.toStdString();
    EXPECT_TRUE(r.message.contains(u"read-only"_s)) << r.message.toStdString();
    EXPECT_EQ(readBytes(locked), QByteArray("old list\r\n"));

    // A folder that is really a file.
    r = WriteExportFile(path + u"/tasks.htm"_s, html);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(u"tasks.htm"_s));
    EXPECT_EQ(readBytes(path), html);
    EXPECT_EQ(dir.entries(), (QStringList{u"locked"_s, u"tasks.htm"_s}));
}

// The export command reads the combined list straight from the store and
// writes the file a chunk at a time: the same bytes as the list's table.
TEST(TaskListExport, StreamedFilesHoldTheSameBytes)
{
    const Grid store = SmallStore();
    const CombinedList view(store, PrintRange{}, HidingFilter(), FormatSettings::enUS());
    Grid table;
    TransfertoGridPrint(table, store, PrintRange{}, HidingFilter(), FormatSettings::enUS());
    EXPECT_EQ(Rows(view.toGrid()), Rows(table));
    EXPECT_EQ(TaskListCsv(view), TaskListCsv(table));

    // Enough rows to cross several chunks.
    Grid big = NewPrintGrid();
    big.setRowCount(12001);
    for (int r = 1; r < big.rowCount(); ++r)
        for (int c = 0; c < kPrintCols; ++c)
            big.setCell(c, r, u"row %1, \"cell\" <%2>\r\nand more & more"_s.arg(r).arg(c));
    TempFolder dir;
    const GridListSource source(big);
    ASSERT_TRUE(SaveTaskListCsv(source, dir.file(u"big.csv"_s)).ok);
    ASSERT_TRUE(SaveTaskListHtml(source, kBorder, dir.file(u"big.htm"_s)).ok);
    const QByteArray csv = TaskListCsv(big), html = TaskListHtml(big, kBorder);
    EXPECT_GT(html.size(), 3 << 20);
    EXPECT_TRUE(readBytes(dir.file(u"big.csv"_s)) == csv);
    EXPECT_TRUE(readBytes(dir.file(u"big.htm"_s)) == html);

    // A streamed write that is refused keeps the old file.
    const QString locked = dir.file(u"locked"_s);
    ASSERT_TRUE(QDir().mkpath(locked));
    writeBytes(locked + u"/tasks.htm"_s, "old");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const FileResult r = SaveTaskListHtml(view, kBorder, locked + u"/tasks.htm"_s);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(readBytes(locked + u"/tasks.htm"_s), QByteArray("old"));
}

// A disk that fills during a streamed export: the writes past 64 kB fail.
// The earlier file stays byte for byte and the failure names the file.
TEST(TaskListExport, AFullDiskKeepsTheEarlierExport)
{
    TempFolder dir;
    const QString path = dir.file(u"tasks.htm"_s);
    writeBytes(path, "earlier export\r\n");
    Grid big = NewPrintGrid();
    big.setRowCount(2001);
    for (int r = 1; r < big.rowCount(); ++r)
        big.setCell(kPrintWhat, r, QString(100, u'x'));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim {64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        const FileResult r = SaveTaskListHtml(GridListSource(big), kBorder, path);
        const bool named = r.message.contains(u"tasks.htm"_s) && r.message.contains(u"previous file was kept"_s);
        ::_exit(r.ok ? 1 : named ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the export claimed success; 2: the message lacks the file";
    EXPECT_EQ(readBytes(path), QByteArray("earlier export\r\n"));
    EXPECT_EQ(dir.entries(), QStringList{u"tasks.htm"_s});
}

TEST(TaskListExport, SaveDialogSettings)
{
    const ExportFileDialog html = HtmlExportDialog();
    EXPECT_EQ(html.title, u"Save as an HTML file"_s);
    EXPECT_EQ(html.defaultName, u"tasks.htm"_s);
    EXPECT_EQ(html.filters, (QStringList{u"HTM files (*.htm)"_s, u"All files (*.*)"_s}));
    const ExportFileDialog csv = CsvExportDialog();
    EXPECT_EQ(csv.title, u"Save as comma-delimited"_s);
    EXPECT_EQ(csv.defaultName, u"tasks.txt"_s);
    EXPECT_EQ(csv.filters.size(), 3);
    // The completed tasks propose their own name.
    EXPECT_EQ(HtmlExportDialog(u"output"_s).defaultName, u"output.htm"_s);
    EXPECT_EQ(CsvExportDialog(u"output"_s).defaultName, u"output.txt"_s);
}
