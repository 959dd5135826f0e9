#pragma once
// The completed table's own rules, without widgets: how its columns share
// the window's width, how a click on a heading sorts it, and how a row is
// deleted and the whole table cleared. The window (CompletedTasksWindow)
// only reads its controls and calls these.

#include "Grid.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QStringView>
#include <array>

namespace morvane {

// Column widths for a table `tableWidth` pixels wide at `ppi` pixels per
// inch: the four short columns keep their size, scaled from 96 ppi; "What"
// and "Comp Notes" share what is left, half each. `scrollBar` is the width of
// the vertical scroll bar when it shows (0 otherwise) and `frame` what the
// table's frame and row handles take. A table too narrow for the short
// columns gives the two text columns no width rather than a negative one.
//
// The sizes were chosen for a small screen font; `atLeast` keeps a short
// column wide enough for its heading and its usual text in the font in use
// (a date, a time), so that a wider font does not cut "12/28/2026".
using ShortColumnMinimums = std::array<int, kCompNotes>;
std::array<int, kCompCols> CompletedColumnWidths(int tableWidth, int ppi, int scrollBar, int frame,
                                                 const ShortColumnMinimums &atLeast = {});

// Reads a "Comp Date" or "Orig Date" cell as a date of the short date
// format. A dated task's origin is written as "ddd ddddd" ("Wed 12/9/2026"),
// so a leading weekday name is passed over. False when the text is no date
// ("To-do task", "Non date task", an empty cell).
bool ReadCompletedDate(QStringView text, const FormatSettings &fs, DateValue *out);

// Sorts the body rows by `column`: the two date columns as dates (a cell
// that is no date sorts before every date), the time column as times (a
// cell that is no time first likewise), the others as text, character
// code by character code, case-sensitive. Rows that tie are ordered by the
// columns to the right of `column`, "Comp Notes" excepted; rows that tie on
// all of them keep their order. The header row stays.
void SortCompletedRows(Grid &table, int column, bool ascending, const FormatSettings &fs);

// Which heading was clicked last and which way it sorted.
struct CompletedSortState {
    int column = -1;
    bool ascending = true;
};

// A click on a heading: the first sorts ascending, the next click on the
// same heading reverses, a click on another heading starts ascending again.
// A table with fewer than two body rows is left alone and the click does not
// count. Returns whether it sorted.
bool ClickCompletedHeading(Grid &table, int column, CompletedSortState &state, const FormatSettings &fs);

// Removes a body row; the only body row is emptied instead, so the table
// keeps its header and one row.
void DeleteCompletedRow(Grid &table, int row);

// Empties the table down to its header and one empty row.
void ClearCompletedTable(Grid &table);

// Brings a table read from a file to the completed table's shape: at least
// six columns and one body row, and the six headings, whatever the file had
// in its header row.
void ShapeCompletedTable(Grid &table);

}  // namespace morvane
