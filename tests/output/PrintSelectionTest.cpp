// Which tasks a print, export or clear takes, how the combined list is laid
// out, the range dialog's texts, and the page settings of printed lists.

#include "OutputFixtures.h"
#include "PageSettings.h"
#include "PrintSelection.h"

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

PrintRange range(QDate first, QDate last, bool todo = false, PrintRange::Mode mode = PrintRange::Mode::Print)
{
    return {mode, true, first, last, todo};
}

QStringList whats(const Grid &list)
{
    QStringList out;
    for (int r = 1; r < list.rowCount(); ++r)
        out << list.cell(kPrintWhat, r);
    return out;
}

}  // namespace

TEST(PrintSelection, WholeStoreInStoreOrderWithHeaderAndShortDates)
{
    const Grid store = SmallStore();
    Grid gridPrint;
    TransfertoGridPrint(gridPrint, store, PrintRange{}, TaskFilter{}, FormatSettings::enUS());
    ASSERT_EQ(gridPrint.colCount(), 6);
    ASSERT_EQ(gridPrint.rowCount(), 8);
    EXPECT_EQ(Rows(gridPrint)[0],
              (QStringList{u"Date"_s, u"Time"_s, u"Category"_s, u"What"_s, u"Completed"_s, u"Alarm"_s}));
    EXPECT_EQ(Rows(gridPrint)[3],
              (QStringList{u"3/1/2001"_s, u"10:30 AM"_s, u""_s, u"Say \"hi\""_s, u"Yes"_s, u"Yes"_s}));
    // Multi-line texts keep their line breaks; the last day is April's.
    EXPECT_EQ(gridPrint.cell(kPrintWhat, 5), u"Line one\r\nLine two\r\n"_s);
    EXPECT_EQ(gridPrint.cell(kPrintDate, 7), u"4/1/2001"_s);
    // The list's own column widths, for the printer.
    EXPECT_EQ(gridPrint.colWidth(kPrintWhat), 350);
}

TEST(PrintSelection, RangesAreInclusiveAndEqualDatesTakeOneDay)
{
    const Grid store = SmallStore();
    const auto fs = FormatSettings::enUS();
    const TaskFilter all;
    Grid list;
    TransfertoGridPrint(list, store, range(QDate(2001, 3, 1), QDate(2001, 3, 1)), all, fs);
    EXPECT_EQ(whats(list), (QStringList{u"Call Ann, then Bob"_s, u"Say \"hi\""_s}));

    TransfertoGridPrint(list, store, range(QDate(2001, 2, 28), QDate(2001, 3, 5)), all, fs);
    EXPECT_EQ(whats(list).size(), 5);
    EXPECT_EQ(whats(list).first(), u"End of February"_s);
    EXPECT_EQ(whats(list).last(), u"Line one\r\nLine two\r\n"_s);

    // A range with no task gives the header alone.
    TransfertoGridPrint(list, store, range(QDate(2001, 3, 20), QDate(2001, 3, 25)), all, fs);
    EXPECT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.cell(kPrintDate, 0), u"Date"_s);

    // "All tasks" ignores the dates the dialog holds.
    PrintRange r = range(QDate(2001, 3, 20), QDate(2001, 3, 25));
    r.byDate = false;
    TransfertoGridPrint(list, store, r, all, fs);
    EXPECT_EQ(list.rowCount(), 8);
}

TEST(PrintSelection, FilterDecidesByDoneStateAndCategory)
{
    const Grid store = SmallStore();
    const auto fs = FormatSettings::enUS();
    Grid list;
    TransfertoGridPrint(list, store, PrintRange{}, HidingFilter(), fs);
    EXPECT_FALSE(whats(list).contains(u"Secret"_s));
    EXPECT_EQ(list.rowCount(), 7);

    TaskFilter notDone;
    notDone.setShowDone(false);
    TransfertoGridPrint(list, store, range(QDate(2001, 3, 1), QDate(2001, 4, 30)), notDone, fs);
    EXPECT_EQ(whats(list), (QStringList{u"Call Ann, then Bob"_s, u"Secret"_s, u"Line one\r\nLine two\r\n"_s,
                                        u"<script>alert('x')</script> & more"_s}));

    EXPECT_TRUE(okToPrintDateTask(store, 4, 36955, PrintRange{}, TaskFilter{}));
    EXPECT_FALSE(okToPrintDateTask(store, 4, 36955, PrintRange{}, HidingFilter()));
    EXPECT_FALSE(okToPrintDateTask(store, 2, 36951, range(QDate(2001, 3, 2), QDate(2001, 3, 9)), TaskFilter{}));
    EXPECT_TRUE(okToPrintDateTask(store, 2, 36951, range(QDate(2001, 3, 1), QDate(2001, 3, 9)), TaskFilter{}));
}

TEST(PrintSelection, RowsWithoutKeyAreSkipped)
{
    Grid store = SmallStore();
    store.setCell(kStoreKey, 3, u"");
    Grid list;
    TransfertoGridPrint(list, store, PrintRange{}, TaskFilter{}, FormatSettings::enUS());
    EXPECT_EQ(list.rowCount(), 7);
    EXPECT_FALSE(whats(list).contains(u"Say \"hi\""_s));
}

TEST(PrintSelection, PrintAddsToDoTasksAndExportNeverDoes)
{
    const Grid store = SmallStore(), todo = SmallTodo();
    const auto fs = FormatSettings::enUS();
    PrintRange r = range(QDate(2001, 3, 7), QDate(2001, 3, 7), true);
    Grid list = BuildPrintList(store, todo, r, HidingFilter(), fs);
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(Rows(list)[2], (QStringList{u"To-do"_s, u""_s, u"Shop"_s, u"Buy milk"_s, u"No"_s, u""_s}));
    EXPECT_EQ(Rows(list)[3], (QStringList{u"To-do"_s, u""_s, u""_s, u"Fix \"door\", soon"_s, u"Yes"_s, u""_s}));

    r.includeTodo = false;
    EXPECT_EQ(BuildPrintList(store, todo, r, HidingFilter(), fs).rowCount(), 2);

    // Export: "To-do tasks?" left ticked from the last print changes nothing.
    r.includeTodo = true;
    r.mode = PrintRange::Mode::Export;
    EXPECT_EQ(BuildPrintList(store, todo, r, HidingFilter(), fs).rowCount(), 2);

    EXPECT_FALSE(okToPrintNonDateTask(todo, 1, PrintRange{PrintRange::Mode::Print, false, {}, {}, false}, {}));
    EXPECT_TRUE(okToPrintNonDateTask(todo, 1, PrintRange{}, {}));
    EXPECT_FALSE(okToPrintNonDateTask(todo, 4, PrintRange{}, HidingFilter()));
}

TEST(PrintSelection, ClearSelectsTheSameRows)
{
    const Grid store = SmallStore();
    const auto rows = SelectedStoreRows(store, range(QDate(2001, 3, 5), QDate(2001, 3, 7), false,
                                                     PrintRange::Mode::Clear),
                                        HidingFilter());
    EXPECT_EQ(rows, (std::vector<int>{5, 6}));
}

TEST(PrintSelection, ClearStartsOnOneDayAndAsksWithWhatWillGo)
{
    // Whatever a print or an export chose last, a clear starts on the day
    // shown, without the to-do list.
    const PrintRange day = ClearRangeOn(QDate(2026, 12, 9));
    EXPECT_EQ(day.mode, PrintRange::Mode::Clear);
    EXPECT_TRUE(day.byDate);
    EXPECT_EQ(day.first, QDate(2026, 12, 9));
    EXPECT_EQ(day.last, QDate(2026, 12, 9));
    EXPECT_FALSE(day.includeTodo);

    // The to-do tasks it takes: only those it is asked for, as the filter
    // shows them, never a blank row.
    const Grid todo = SmallTodo();
    EXPECT_EQ(SelectedTodoRows(todo, PrintRange{}, HidingFilter()), (std::vector<int>{1, 2}));
    EXPECT_EQ(SelectedTodoRows(todo, PrintRange{}, TaskFilter{}), (std::vector<int>{1, 2, 4}));
    EXPECT_TRUE(SelectedTodoRows(todo, day, TaskFilter{}).empty());

    const auto fs = FormatSettings::enUS();
    const QDate d1(2026, 12, 1), d9(2026, 12, 9), d31(2026, 12, 31);
    EXPECT_EQ(ClearQuestion(range(d1, d31, true), 27, 5, fs),
              u"Remove 27 tasks from 1 to 31 December 2026 and 5 to-do tasks?"_s);
    EXPECT_EQ(ClearQuestion(range(d1, d31, false), 27, 5, fs), u"Remove 27 tasks from 1 to 31 December 2026?"_s);
    EXPECT_EQ(ClearQuestion(range(d9, d9), 1, 0, fs), u"Remove 1 task on 9 December 2026?"_s);
    EXPECT_EQ(ClearQuestion(range(d9, d9, true), 0, 1, fs), u"Remove 0 tasks on 9 December 2026 and 1 to-do task?"_s);
    EXPECT_EQ(ClearQuestion(range(QDate(2026, 11, 28), QDate(2026, 12, 3)), 3, 0, fs),
              u"Remove 3 tasks from 28 November to 3 December 2026?"_s);
    EXPECT_EQ(ClearQuestion(range(QDate(2026, 12, 28), QDate(2027, 1, 3)), 3, 0, fs),
              u"Remove 3 tasks from 28 December 2026 to 3 January 2027?"_s);
    EXPECT_EQ(ClearQuestion(PrintRange{PrintRange::Mode::Clear, false, d1, d1, true}, 163, 2, fs),
              u"Remove 163 tasks of all dates and 2 to-do tasks?"_s);
}

TEST(PrintSelection, DialogTextsAndTitles)
{
    using M = PrintRange::Mode;
    EXPECT_EQ(RangeAllCaption(M::Print, true), u"Print filtered tasks"_s);
    EXPECT_EQ(RangeAllCaption(M::Print, false), u"Print all tasks"_s);
    EXPECT_EQ(RangeAllCaption(M::Export, true), u"Export filtered tasks"_s);
    EXPECT_EQ(RangeDatesCaption(M::Clear, false), u"Clear all tasks within a range of dates"_s);
    EXPECT_TRUE(RangeShowsTodoBox(M::Print));
    EXPECT_TRUE(RangeShowsTodoBox(M::Clear));
    EXPECT_FALSE(RangeShowsTodoBox(M::Export));

    EXPECT_EQ(CheckPrintRange(range(QDate(2001, 3, 2), QDate(2001, 3, 1))),
              u"The second date must be AFTER the first date!"_s);
    EXPECT_EQ(CheckPrintRange(range(QDate(2001, 3, 1), QDate(2001, 3, 1))), QString());
    PrintRange all = range(QDate(2001, 3, 2), QDate(2001, 3, 1));
    all.byDate = false;  // the dates only matter for a range
    EXPECT_EQ(CheckPrintRange(all), QString());

    const auto fs = FormatSettings::enUS();
    EXPECT_EQ(PrintTitle(range(QDate(2001, 3, 1), QDate(2001, 3, 9)), true, fs),
              u"Tasks (filtered) from 3/1/2001 through 3/9/2001"_s);
    EXPECT_EQ(PrintTitle(range(QDate(2001, 3, 1), QDate(2001, 3, 9), true), false, fs),
              u"Tasks from 3/1/2001 through 3/9/2001 including the To-do list"_s);
    EXPECT_EQ(PrintTitle(PrintRange{M::Print, false, {}, {}, false}, false, fs), u"All tasks"_s);
    // One blank between the words, however the parts are joined.
    EXPECT_EQ(PrintTitle(PrintRange{M::Print, false, {}, {}, true}, true, fs),
              u"All tasks (filtered) including the To-do list"_s);
    EXPECT_EQ(PrintTitle(PrintRange{M::Print, false, {}, {}, false}, true, fs), u"All tasks (filtered)"_s);
}

TEST(PageSettings, TheThreeListsAndFitting)
{
    const PageSettings combined = CombinedListPageSettings(u"All tasks"_s);
    EXPECT_EQ(combined.title, u"All tasks"_s);
    EXPECT_EQ(combined.datePlace, PageSettings::Place::TopLeft);
    EXPECT_EQ(combined.timePlace, PageSettings::Place::TopRight);
    EXPECT_EQ(combined.fit, PageSettings::Fit::Shrink);
    EXPECT_EQ(combined.titleFont, (PrintFont{u"Arial"_s, 13, true}));
    EXPECT_EQ(combined.columnWidths, (std::vector<int>{59, 63, 68, 350, 48, 54}));

    const PageSettings day = DayListPageSettings(u"Thursday, March 1, 2001"_s);
    EXPECT_EQ(day.datePlace, PageSettings::Place::BottomLeft);
    EXPECT_EQ(day.fit, PageSettings::Fit::Grow);
    EXPECT_EQ(day.cellFont.pixelSize, 16);
    EXPECT_EQ(day.titleFont, (PrintFont{u"Arial"_s, 19, true}));
    EXPECT_EQ(day.footingFont.pixelSize, 13);
    const PageSettings todo = TodoListPageSettings();
    EXPECT_EQ(todo.title, u"To-do Tasks"_s);
    EXPECT_EQ(todo.footingFont.pixelSize, 16);
    for (const PageSettings *s : {&combined, &day, &todo}) {
        EXPECT_EQ(s->orientation, PageSettings::Orientation::Portrait);
        EXPECT_EQ(s->pageNumberPlace, PageSettings::Place::None);
        EXPECT_FALSE(s->cellBorders || s->centred || s->repeatHeader);
        EXPECT_EQ(s->titlePlace, PageSettings::Place::TopCentre);
        EXPECT_EQ(s->columnSpacing, 10);
        EXPECT_EQ(s->rowSpacing, 0);
    }

    const PageSettings completed = CompletedListPageSettings();
    EXPECT_EQ(completed.title, u"Completed Tasks"_s);
    EXPECT_EQ(completed.orientation, PageSettings::Orientation::Landscape);
    EXPECT_EQ(completed.fit, PageSettings::Fit::Always);
    EXPECT_EQ(completed.footingBand, 10);
    EXPECT_EQ(completed.columnSpacing, 0);
    EXPECT_EQ(completed.titleFont, (PrintFont{u"Arial"_s, 12, true}));
    EXPECT_EQ(completed.footingFont.pixelSize, 11);
    const PageSettings holidays = HolidayListPageSettings();
    EXPECT_EQ(holidays.title, u"Holidays"_s);
    EXPECT_TRUE(holidays.cellBorders && holidays.centred);
    EXPECT_EQ(holidays.datePlace, PageSettings::Place::None);
    EXPECT_EQ(holidays.timePlace, PageSettings::Place::None);

    // The lists take the font they are shown in, the title in bold.
    PageSettings shown = TodoListPageSettings();
    const PrintFont grid{u"DejaVu Serif"_s, 15, false, true};
    SetListFont(shown, grid);
    EXPECT_EQ(shown.cellFont, grid);
    EXPECT_EQ(shown.footingFont, grid);
    EXPECT_EQ(shown.titleFont, (PrintFont{u"DejaVu Serif"_s, 15, true, true}));

    // 642 + 5 gaps of 10 = 692 wide.
    EXPECT_EQ(TableWidth(combined.columnWidths, 10), 692);
    EXPECT_DOUBLE_EQ(FitScale(PageSettings::Fit::Shrink, 692, 1000), 1.0);
    EXPECT_DOUBLE_EQ(FitScale(PageSettings::Fit::Shrink, 692, 346), 0.5);
    EXPECT_DOUBLE_EQ(FitScale(PageSettings::Fit::Grow, 692, 346), 1.0);
    EXPECT_DOUBLE_EQ(FitScale(PageSettings::Fit::Grow, 346, 692), 2.0);
    EXPECT_DOUBLE_EQ(FitScale(PageSettings::Fit::Always, 692, 346), 0.5);
    EXPECT_DOUBLE_EQ(FitScale(PageSettings::Fit::Never, 692, 346), 1.0);
    EXPECT_EQ(FittedColumnWidths({100, 50}, 10, PageSettings::Fit::Shrink, 80), (std::vector<int>{50, 25}));

    // A list that does not fit the page gives up width from its widest
    // columns; the narrow ones keep theirs.
    EXPECT_EQ(NarrowedToPage({58, 74, 1500, 46, 46}, 10, 754), (std::vector<int>{58, 74, 490, 46, 46}));
    EXPECT_EQ(NarrowedToPage({300, 500, 40}, 0, 440), (std::vector<int>{200, 200, 40}));
    EXPECT_EQ(NarrowedToPage({58, 74, 300}, 10, 754), (std::vector<int>{58, 74, 300}));
    // Columns that could not fit even then are scaled down alike.
    EXPECT_EQ(NarrowedToPage({100, 100}, 0, 50), (std::vector<int>{25, 25}));
}
