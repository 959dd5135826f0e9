#include "CompletedTasks.h"
#include "CompletedTasksWindow.h"
#include "GridFile.h"
#include "Prompts.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <sys/stat.h>

using namespace morvane;

namespace {

const FormatSettings kFs = fix2000(FormatSettings::enUS());

// A completed table from rows of six cells.
Grid completed(const QList<QStringList> &rows)
{
    Grid g = NewCompletedGrid();
    g.setRowCount(int(std::max<qsizetype>(1, rows.size())) + 1);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            g.setCell(c, r + 1, rows[r][c]);
    return g;
}

QStringList column(const Grid &g, int col)
{
    QStringList out;
    for (int r = 1; r < g.rowCount(); ++r)
        out << g.cell(col, r);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// The rules

TEST(CompletedTasks, ColumnWidthsGiveTheRestToTheTwoTextColumns)
{
    const auto w = CompletedColumnWidths(1000, 96, 0, 4);
    EXPECT_EQ(w, (std::array<int, 6>{70, 62, 58, 128, 336, 336}));  // 1000 - 318 - 4 - 6 = 672
    // Widening gives half the gain to each text column and nothing to the rest.
    const auto wider = CompletedColumnWidths(1100, 96, 0, 4);
    EXPECT_EQ(wider, (std::array<int, 6>{70, 62, 58, 128, 386, 386}));
    // The scroll bar, when it shows, comes off the text columns.
    EXPECT_EQ(CompletedColumnWidths(1000, 96, 16, 4)[4], 328);
    // The short columns scale with the screen, rounded down.
    EXPECT_EQ(CompletedColumnWidths(1000, 120, 0, 4), (std::array<int, 6>{87, 77, 72, 160, 297, 297}));
    // Too narrow for the short columns: the text columns get nothing, never less.
    EXPECT_EQ(CompletedColumnWidths(200, 96, 0, 4)[4], 0);
    // A wide font widens a short column that would cut its text, and the
    // text columns give up the difference.
    EXPECT_EQ(CompletedColumnWidths(1000, 96, 0, 4, {84, 50, 0, 128}),
              (std::array<int, 6>{84, 62, 58, 128, 329, 329}));
}

TEST(CompletedTasks, DateColumnsSortAsDatesWithTextThatIsNoDateFirst)
{
    Grid g = completed({{"12/9/2026", "9:00 AM", "b", "Wed 12/9/2026", "late"},
                        {"1/15/2025", "9:00 AM", "b", "To-do task", "early"},
                        {"garbled", "9:00 AM", "b", "Non date task", "none"},
                        {"3/1/2026", "9:00 AM", "b", "Fri 2/27/2026", "middle"}});
    CompletedSortState state;
    ASSERT_TRUE(ClickCompletedHeading(g, kCompDate, state, kFs));
    // As text "1/15" < "12/9" < "3/1"; as dates the years decide.
    EXPECT_EQ(column(g, kCompNotes), QStringList({"none", "early", "middle", "late"}));
    EXPECT_EQ(g.cell(0, 0), "Comp Date");  // the header row stays

    // The same heading again reverses.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompDate, state, kFs));
    EXPECT_EQ(column(g, kCompNotes), QStringList({"late", "middle", "early", "none"}));

    // The origin column reads past the weekday; the to-do texts come first,
    // ordered between themselves by the next columns ("What").
    ASSERT_TRUE(ClickCompletedHeading(g, kCompOrigDate, state, kFs));
    EXPECT_TRUE(state.ascending);  // another heading starts ascending
    EXPECT_EQ(column(g, kCompNotes), QStringList({"early", "none", "middle", "late"}));

    DateValue v = 0;
    EXPECT_TRUE(ReadCompletedDate(u"Wednesday 12/9/2026", kFs, &v));
    EXPECT_EQ(FromDateValue(v).date(), QDate(2026, 12, 9));
    EXPECT_FALSE(ReadCompletedDate(u"Soon 12/9/2026", kFs, &v));
    EXPECT_FALSE(ReadCompletedDate(u"", kFs, &v));
}

TEST(CompletedTasks, TextColumnsSortByCharacterCodesAndTiesByTheNextColumns)
{
    Grid g = completed({{"1/1/2026", "9:00 AM", "apple", "x", "w1", "n1"},
                        {"1/1/2026", "10:00 AM", "Banana", "x", "w2", "n2"},
                        {"1/2/2026", "9:00 AM", "apple", "x", "w0", "n3"},
                        {"1/1/2026", "9:00 AM", "apple", "x", "w1", "n0"}});
    CompletedSortState state;
    // Case-sensitive: "B" (66) before "a" (97); ties by the columns after.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompCategory, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n2", "n3", "n1", "n0"}));
    // Time by its value: "9:00 AM" before "10:00 AM"; equal times by
    // category, origin, then "What". Rows equal up to "What" keep their
    // order: the completion notes never decide.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompTime, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n3", "n1", "n0", "n2"}));
    ASSERT_TRUE(ClickCompletedHeading(g, kCompTime, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n2", "n1", "n0", "n3"}));
    // Afternoon after morning, seconds count, and a time that is no time
    // (a task of the whole day) comes first, as a cell that is no date does.
    Grid times = completed({{"", "1:00:00 PM", "", "", "one"},
                            {"", "12:30:00 PM", "", "", "half past noon"},
                            {"", "All day", "", "", "all day"},
                            {"", "9:05:30 AM", "", "", "late five"},
                            {"", "9:05:00 AM", "", "", "five"}});
    CompletedSortState timeState;
    ASSERT_TRUE(ClickCompletedHeading(times, kCompTime, timeState, kFs));
    EXPECT_EQ(column(times, kCompNotes), QStringList({"all day", "five", "late five", "half past noon", "one"}));
    // Sorting by the completion notes themselves does use them.
    ASSERT_TRUE(ClickCompletedHeading(g, kCompNotesDone, state, kFs));
    EXPECT_EQ(column(g, kCompNotesDone), QStringList({"n0", "n1", "n2", "n3"}));

    // One row: nothing to sort, and the click does not count.
    Grid one = completed({{"1/1/2026", "9:00 AM"}});
    CompletedSortState fresh;
    EXPECT_FALSE(ClickCompletedHeading(one, kCompTime, fresh, kFs));
    EXPECT_EQ(fresh.column, -1);
}

TEST(CompletedTasks, DeleteKeepsOneRowAndClearEmptiesTheTable)
{
    Grid g = completed({{"1/1/2026", "a"}, {"1/2/2026", "b"}, {"1/3/2026", "c"}});
    DeleteCompletedRow(g, 2);
    EXPECT_EQ(column(g, kCompTime), QStringList({"a", "c"}));
    DeleteCompletedRow(g, 0);  // the header row is never removed
    DeleteCompletedRow(g, 7);  // nor anything past the end
    EXPECT_EQ(g.rowCount(), 3);
    DeleteCompletedRow(g, 1);
    DeleteCompletedRow(g, 1);  // the last row is emptied, not removed
    EXPECT_EQ(g.rowCount(), 2);
    EXPECT_EQ(column(g, kCompTime), QStringList({""}));
    EXPECT_EQ(g.cell(kCompNotesDone, 0), "Comp Notes");

    Grid many = completed({{"1/1/2026", "a"}, {"1/2/2026", "b"}});
    ClearCompletedTable(many);
    EXPECT_EQ(many.rowCount(), 2);
    EXPECT_TRUE(many.cellEmpty(kCompDate, 1));
    EXPECT_EQ(many.cell(kCompDate, 0), "Comp Date");
    Grid single = completed({{"1/1/2026", "a"}});
    ClearCompletedTable(single);
    EXPECT_EQ(single.rowCount(), 2);
    EXPECT_TRUE(single.cellEmpty(kCompTime, 1));
}

// ---------------------------------------------------------------------------
// The window

namespace {

class CompletedWindowTest : public ::testing::Test {
protected:
    TempFolder data;
    ScriptedPrompts prompts;
    bool confirm = true;
    int backups = 0;

    void TearDown() override { ::chmod(QFile::encodeName(data.path()).constData(), 0755); }

    std::unique_ptr<TfrmComplete> make()
    {
        return std::make_unique<TfrmComplete>(TfrmComplete::Services{
            prompts, kFs, data.path(), [this] { return confirm; }, [this] { ++backups; }});
    }
    QString path() const { return data.file("gridComp.grd"); }
    Grid onDisk() const
    {
        Grid g;
        EXPECT_TRUE(LoadGridFile(g, path()).ok);
        return g;
    }
    // A file of three completions whose header row says something else.
    void writeThree()
    {
        Grid g = completed({{"12/9/2026", "9:00 AM", "Work", "Wed 12/9/2026", "Report\r\nto Anne\r\n", "sent"},
                            {"12/8/2026", "8:30 AM", "Home", "To-do task", "Plants", "watered\r\ntwice\r\n"},
                            {"12/1/2026", "7:00 PM", "", "Tue 12/1/2026", "Bare\nline feed", ""}});
        for (int c = 0; c < kCompCols; ++c)
            g.setCell(c, 0, QString("old %1").arg(c));
        ASSERT_TRUE(SaveGridFile(g, path()).ok);
    }
    void showActive(TfrmComplete &w)
    {
        w.show();
        QApplication::setActiveWindow(&w);
    }
    int errors() const
    {
        return int(std::count_if(prompts.shown.begin(), prompts.shown.end(), [](const ScriptedPrompts::Shown &s) {
            return s.kind == ScriptedPrompts::Kind::Error;
        }));
    }
};

QStringList menuTexts(const QMenu *m)
{
    QStringList out;
    for (const QAction *a : m->actions())
        if (!a->isSeparator())
            out << a->text().remove(u'&');
    return out;
}

}  // namespace

TEST_F(CompletedWindowTest, LoadsTheFileUnderItsOwnHeadingsAndFitsTheColumns)
{
    writeThree();
    auto w = make();
    EXPECT_EQ(w->windowTitle(), "Completed Tasks");
    EXPECT_EQ(w->table().rowCount(), 4);
    EXPECT_FALSE(w->loadedDamaged());
    QStringList headings;
    for (int c = 0; c < kCompCols; ++c)
        headings << w->grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headings, QStringList({"Comp Date", "Time", "Category", "Orig Date", "What", "Comp Notes"}));
    // A note of two lines shows as two lines.
    EXPECT_EQ(w->grid->model()->index(0, kCompNotes).data().toString(), "Report\nto Anne");
    EXPECT_EQ(w->grid->verticalHeader()->defaultSectionSize(), 28);

    // The menus offer what works now.
    ASSERT_EQ(w->menuBar->actions().size(), 1);
    EXPECT_EQ(menuTexts(w->menuBar->actions()[0]->menu()), QStringList({"Delete", "Clear", "Close"}));
    EXPECT_EQ(w->Delete1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EXPECT_EQ(w->Clear1->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    EXPECT_EQ(menuTexts(w->popGrid), QStringList({"Delete row"}));

    // Widening the window widens only "What" and "Comp Notes", half each.
    w->resize(800, 500);
    showActive(*w);
    QCoreApplication::processEvents();
    const int ppi = w->grid->logicalDpiX();
    const int scaled[] = {ppi * 70 / 96, ppi * 62 / 96, ppi * 58 / 96, ppi * 128 / 96};
    int shortColumns[4];
    for (int c = 0; c < 4; ++c) {
        shortColumns[c] = w->grid->columnWidth(c);
        EXPECT_GE(shortColumns[c], scaled[c]) << c;
    }
    // The widest date fits its column in the font in use.
    const QFontMetrics fm(w->grid->font());
    EXPECT_LT(fm.horizontalAdvance("12/30/2026"), w->grid->columnWidth(kCompDate));
    EXPECT_LT(fm.horizontalAdvance("Wed 12/30/2026"), w->grid->columnWidth(kCompOrigDate));
    const int what = w->grid->columnWidth(kCompNotes), notes = w->grid->columnWidth(kCompNotesDone);
    EXPECT_EQ(what, notes);
    w->resize(900, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->grid->columnWidth(kCompNotes), what + 50);
    EXPECT_EQ(w->grid->columnWidth(kCompNotesDone), notes + 50);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(w->grid->columnWidth(c), shortColumns[c]) << c;
    // The columns fill the table without a horizontal scroll bar.
    int total = 0;
    for (int c = 0; c < kCompCols; ++c)
        total += w->grid->columnWidth(c);
    EXPECT_LE(total, w->grid->viewport()->width());
}

TEST_F(CompletedWindowTest, TheBoxesFollowTheRowAndLeavingThemWritesBack)
{
    writeThree();
    auto w = make();
    showActive(*w);
    EXPECT_EQ(w->memWhat->toPlainText(), "Report\nto Anne");
    EXPECT_EQ(w->memPurpose->toPlainText(), "sent");
    w->setCurrentRow(2);
    EXPECT_EQ(w->memWhat->toPlainText(), "Plants");
    EXPECT_EQ(w->memPurpose->toPlainText(), "watered\ntwice");

    // Clicking a row shows it.
    const QTableView *v = w->grid;
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(v->model()->index(2, 1)).center());
    EXPECT_EQ(w->currentRow(), 3);
    EXPECT_EQ(w->memWhat->toPlainText(), "Bare\nline feed");

    // Looking at a row and leaving the boxes changes no cell.
    w->memWhat->setFocus();
    w->grid->setFocus();
    EXPECT_EQ(w->table().cell(kCompNotes, 3), "Bare\nline feed");

    // Typing into a box and moving to the table writes it into the row.
    w->setCurrentRow(2);
    w->memPurpose->setFocus();
    ASSERT_TRUE(w->memPurpose->hasFocus());
    QTest::keyClick(w->memPurpose, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(w->memPurpose, " daily");
    QTest::keyClick(w->memPurpose, Qt::Key_Return);
    QTest::keyClicks(w->memPurpose, "in spring");
    EXPECT_EQ(w->table().cell(kCompNotesDone, 2), "watered\r\ntwice\r\n");  // not yet
    w->grid->setFocus();
    EXPECT_EQ(w->table().cell(kCompNotesDone, 2), "watered\r\ntwice daily\r\nin spring\r\n");
    EXPECT_EQ(w->table().cell(kCompNotes, 2), "Plants");
    EXPECT_EQ(w->grid->model()->index(1, kCompNotesDone).data().toString(), "watered\ntwice daily\nin spring");

    // An edit goes to the row it was made in, even when the row changes
    // before the box loses the focus.
    w->memWhat->setFocus();
    QTest::keyClicks(w->memWhat, "Indoor ");
    w->setCurrentRow(1);
    EXPECT_EQ(w->table().cell(kCompNotes, 2), "Indoor Plants");
    EXPECT_EQ(w->memWhat->toPlainText(), "Report\nto Anne");

    // Nothing is written until the window closes; then the file reads back
    // as the table stands.
    EXPECT_EQ(onDisk().cell(kCompNotes, 2), "Plants");
    w->Close1->trigger();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(backups, 1);
    const Grid back = onDisk();
    ASSERT_EQ(back.rowCount(), w->table().rowCount());
    for (int r = 0; r < back.rowCount(); ++r)
        for (int c = 0; c < kCompCols; ++c)
            EXPECT_EQ(back.cell(c, r), w->table().cell(c, r)) << c << "," << r;
    EXPECT_EQ(back.cell(kCompDate, 0), "Comp Date");  // the headings went to the file too
}

TEST_F(CompletedWindowTest, TheCloseBoxAndEscapeSaveToo)
{
    auto w = make();
    showActive(*w);
    EXPECT_FALSE(QFileInfo::exists(path()));  // no file yet: an empty table
    EXPECT_EQ(w->table().rowCount(), 2);
    w->close();
    EXPECT_TRUE(QFileInfo::exists(path()));
    EXPECT_EQ(onDisk().cell(kCompDate, 0), "Comp Date");

    ASSERT_TRUE(QFile::remove(path()));
    showActive(*w);
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(QFileInfo::exists(path()));
    EXPECT_EQ(errors(), 0);
}

TEST_F(CompletedWindowTest, HeadingClicksSortTheTable)
{
    writeThree();
    auto w = make();
    showActive(*w);
    QHeaderView *h = w->grid->horizontalHeader();
    auto clickHeading = [&](int col) {
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(col) + 5, h->height() / 2));
    };
    clickHeading(kCompDate);
    EXPECT_EQ(column(w->table(), kCompCategory), QStringList({"", "Home", "Work"}));
    EXPECT_EQ(w->grid->model()->index(0, kCompCategory).data().toString(), "");
    EXPECT_EQ(w->memWhat->toPlainText(), "Bare\nline feed");  // the boxes show the new row 1
    clickHeading(kCompDate);
    EXPECT_EQ(column(w->table(), kCompCategory), QStringList({"Work", "Home", ""}));
}

TEST_F(CompletedWindowTest, DeleteAsksOnlyWhenConfirmationsAreOn)
{
    writeThree();
    const QByteArray before = readBytes(path());
    auto w = make();
    showActive(*w);
    w->setCurrentRow(2);
    prompts.answers = {1};  // No
    w->Delete1->trigger();
    EXPECT_EQ(prompts.shown.last().text, "Really delete?");
    EXPECT_EQ(prompts.asked.last(), QStringList({"&Yes", "&No"}));
    EXPECT_EQ(column(w->table(), kCompCategory), QStringList({"Work", "Home", ""}));
    prompts.answers = {0};  // Yes
    w->Delete1Click();
    EXPECT_EQ(column(w->table(), kCompCategory), QStringList({"Work", ""}));
    EXPECT_EQ(w->memWhat->toPlainText(), "Bare\nline feed");  // the row that moved up

    // Without the option nothing is asked; the table's menu deletes too.
    confirm = false;
    const auto asked = prompts.shown.size();
    w->setCurrentRow(1);
    w->Deleterow1->trigger();
    EXPECT_EQ(column(w->table(), kCompCategory), QStringList({""}));
    EXPECT_EQ(w->table().cell(kCompDate, 1), "12/1/2026");
    // The last row is emptied: the header and one empty row stay.
    w->Delete1Click();
    EXPECT_EQ(prompts.shown.size(), asked);
    EXPECT_EQ(w->table().rowCount(), 2);
    EXPECT_TRUE(w->table().cellEmpty(kCompDate, 1));
    EXPECT_EQ(w->memWhat->toPlainText(), "");
    EXPECT_EQ(readBytes(path()), before);  // the file changes when the window closes
}

TEST_F(CompletedWindowTest, ClearAlwaysAsks)
{
    writeThree();
    confirm = false;
    auto w = make();
    showActive(*w);
    prompts.answers = {1};
    w->Clear1->trigger();
    EXPECT_EQ(prompts.shown.last().text, "Really clear out ALL completed tasks?");
    EXPECT_EQ(w->table().rowCount(), 4);
    prompts.answers = {0};
    w->Clear1Click();
    EXPECT_EQ(w->table().rowCount(), 2);
    EXPECT_TRUE(w->table().cellEmpty(kCompDate, 1));
    EXPECT_TRUE(w->table().cellEmpty(kCompNotes, 1));
    EXPECT_EQ(w->table().cell(kCompNotes, 0), "What");
    EXPECT_EQ(w->memPurpose->toPlainText(), "");
}

TEST_F(CompletedWindowTest, CompletionsGoFirstAndAreSavedAtOnce)
{
    auto w = make();
    // Into an empty table the first completion fills the empty row.
    const QStringList first = {"12/9/2026", "9:00 AM", "Work", "Wed 12/9/2026", "Report", "sent"};
    ASSERT_TRUE(w->addCompleted(first).ok);
    EXPECT_EQ(w->table().rowCount(), 2);
    EXPECT_EQ(onDisk().rowCount(), 2);
    EXPECT_EQ(onDisk().cell(kCompNotes, 1), "Report");
    const QStringList second = {"12/10/2026", "10:00 AM", "Home", "To-do task", "Plants\r\nroses\r\n", ""};
    ASSERT_TRUE(w->addCompleted(second).ok);
    EXPECT_EQ(column(w->table(), kCompNotes), QStringList({"Plants\r\nroses\r\n", "Report"}));
    EXPECT_EQ(column(onDisk(), kCompNotes), QStringList({"Plants\r\nroses\r\n", "Report"}));
    EXPECT_EQ(backups, 2);  // the backup copy comes before every write

    // The window shows the newest first when it opens.
    showActive(*w);
    EXPECT_EQ(w->currentRow(), 1);
    EXPECT_EQ(w->memWhat->toPlainText(), "Plants\nroses");

    // After deleting everything, the next completion fills the emptied row.
    confirm = false;
    w->Delete1Click();
    w->Delete1Click();
    ASSERT_TRUE(w->addCompleted(first).ok);
    EXPECT_EQ(w->table().rowCount(), 2);
    EXPECT_EQ(onDisk().rowCount(), 2);
    EXPECT_EQ(errors(), 0);
}

TEST_F(CompletedWindowTest, ADamagedFileIsReportedAndKeptUnlessThePersonAgrees)
{
    // A cell line beyond the rows the size line claims: the file is damaged,
    // and everything that could be read of it shows, that cell too.
    const QByteArray damaged = "6,2\r\n0,0,Comp Date\r\n0,1,12/9/2026\r\n4,1,Report\r\n4,5,stray\r\n";
    writeBytes(path(), damaged);
    auto w = make();
    ASSERT_EQ(errors(), 1);
    EXPECT_TRUE(prompts.shown.last().text.contains("damaged")) << prompts.shown.last().text.toStdString();
    EXPECT_TRUE(prompts.shown.last().text.contains(QDir::toNativeSeparators(path())));
    EXPECT_TRUE(w->loadedDamaged());
    EXPECT_EQ(column(w->table(), kCompNotes), QStringList({"Report", "", "", "", "stray"}));

    // A completion asks before replacing the file; No keeps it.
    prompts.answers = {1};
    const FileResult kept = w->addCompleted({"12/10/2026", "9:00 AM", "Work", "To-do task", "New", ""});
    EXPECT_FALSE(kept.ok);
    EXPECT_TRUE(kept.damaged);  // the person chose it: nothing more to report
    EXPECT_TRUE(prompts.shown.last().text.contains("Replace it"));
    EXPECT_EQ(readBytes(path()), damaged);
    EXPECT_EQ(w->table().cell(kCompNotes, 1), "New");  // kept in memory
    EXPECT_EQ(backups, 0);

    // Closing asks again; No reports nothing and writes nothing.
    showActive(*w);
    prompts.answers = {1};
    w->Close1->trigger();
    EXPECT_EQ(readBytes(path()), damaged);
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(w->loadedDamaged());

    // Yes replaces it, and later saves ask no more.
    showActive(*w);
    prompts.answers = {0};
    w->Close1->trigger();
    EXPECT_FALSE(w->loadedDamaged());
    EXPECT_EQ(column(onDisk(), kCompNotes), QStringList({"New", "Report", "", "", "", "stray"}));
    const auto shown = prompts.shown.size();
    ASSERT_TRUE(w->addCompleted({"12/11/2026", "9:00 AM", "", "To-do task", "Later", ""}).ok);
    EXPECT_EQ(prompts.shown.size(), shown);

    // A file that claims more rows than any table loads nothing and is kept too.
    const QByteArray huge = "6,99999999\r\n0,1,x\r\n";
    writeBytes(path(), huge);
    auto w2 = make();
    EXPECT_TRUE(w2->loadedDamaged());
    EXPECT_EQ(w2->table().rowCount(), 2);
    EXPECT_EQ(w2->table().cell(kCompDate, 0), "Comp Date");
    w2->show();
    w2->close();  // no answer queued: the question's escape is No
    EXPECT_EQ(readBytes(path()), huge);
}

TEST_F(CompletedWindowTest, AFailedSaveIsReportedOnceAndTheTableKept)
{
    writeThree();
    const QByteArray before = readBytes(path());
    auto w = make();
    // A read-only folder: the writer refuses by the permission bits, so this
    // holds when the tests run as root too.
    ASSERT_EQ(::chmod(QFile::encodeName(data.path()).constData(), 0555), 0);
    const FileResult r = w->addCompleted({"12/10/2026", "9:00 AM", "Work", "To-do task", "New", ""});
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.damaged);
    EXPECT_TRUE(r.message.contains("read-only")) << r.message.toStdString();
    EXPECT_EQ(errors(), 0);  // the caller reports a completion's save
    EXPECT_EQ(w->table().rowCount(), 5);
    EXPECT_EQ(w->table().cell(kCompNotes, 1), "New");

    // Closing reports the failure, once until a save succeeds.
    showActive(*w);
    w->Close1->trigger();
    ASSERT_EQ(errors(), 1);
    EXPECT_EQ(prompts.shown.last().text, r.message);
    showActive(*w);
    w->Close1->trigger();
    EXPECT_EQ(errors(), 1);
    EXPECT_EQ(readBytes(path()), before);
    EXPECT_EQ(w->table().cell(kCompNotes, 1), "New");

    ASSERT_EQ(::chmod(QFile::encodeName(data.path()).constData(), 0755), 0);
    showActive(*w);
    w->Close1->trigger();
    EXPECT_EQ(column(onDisk(), kCompNotes).first(), "New");
    ASSERT_EQ(::chmod(QFile::encodeName(data.path()).constData(), 0555), 0);
    showActive(*w);
    w->Close1->trigger();
    EXPECT_EQ(errors(), 2);  // failing again after a success is news
}
