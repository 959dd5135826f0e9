#pragma once
// Which tasks a print, an export or a clear of "all data" takes, and the
// combined list (gridPrint) they are gathered into: the range dialog's state
// as a plain value, its selection rules, and the texts it shows.
//
// The range dialog itself is a window; everything it decides lives here so
// that the print, export and clear commands all select by the same rules.

#include "Grid.h"
#include "ListSource.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QDate>
#include <QString>
#include <vector>

namespace morvane {

// Columns of the combined list.
enum PrintColumn { kPrintDate = 0, kPrintTime, kPrintCategory, kPrintWhat, kPrintCompleted, kPrintAlarm, kPrintCols };

// What the range dialog (TfrmPrint) holds between uses.
struct PrintRange {
    enum class Mode { Print, Export, Clear };
    Mode mode = Mode::Print;
    bool byDate = false;      // rbDate; otherwise rbAll
    QDate first, last;        // dt1, dt2: both ends belong to the range
    bool includeTodo = true;  // cbNonDate ("To-do tasks?")
};

// The combined list with its six header texts and no task rows.
Grid NewPrintGrid();

// Whether a dated task of the store goes into the list: inside the range
// when one is chosen, and let through by the filter.
bool okToPrintDateTask(const Grid &store, int row, int day, const PrintRange &range, const TaskFilter &filter);
// Whether a to-do task goes into the list: only when to-do tasks are wanted,
// and when the filter lets it through.
bool okToPrintNonDateTask(const Grid &todo, int row, const PrintRange &range, const TaskFilter &filter);

// The selected dated tasks as the combined list, read straight from the
// store (which must not change while the list is in use): what an export
// writes, without copying a cell.
class CombinedList final : public ListSource {
public:
    CombinedList(const Grid &store, const PrintRange &range, const TaskFilter &filter, const FormatSettings &fs);
    int colCount() const override { return kPrintCols; }
    int rowCount() const override { return int(rows_.size()) + 1; }
    QByteArrayView cellUtf8(int col, int row) const override;
    bool isNotesColumn(int col) const override { return col == kPrintWhat; }
    // The list as a table of its own (gridPrint).
    Grid toGrid() const;

private:
    struct Row {
        int storeRow;
        int date;  // index into dates_
    };
    const Grid &store_;
    std::vector<Row> rows_;
    std::vector<QByteArray> dates_;
};

// Refills gridPrint with the header and the selected dated tasks, in store
// order, the day in the locale's short date format.
void TransfertoGridPrint(Grid &gridPrint, const Grid &store, const PrintRange &range, const TaskFilter &filter,
                         const FormatSettings &fs);
// Appends the selected to-do tasks, in list order, after what is there.
void AppendTodoTasks(Grid &gridPrint, const Grid &todo, const PrintRange &range, const TaskFilter &filter);

// The list a command prints or exports. Printing adds the to-do tasks when
// they are wanted; an export of the daily tasks never holds to-do rows,
// whatever the dialog was last left with.
Grid BuildPrintList(const Grid &store, const Grid &todo, const PrintRange &range, const TaskFilter &filter,
                    const FormatSettings &fs);

// Store rows (in store order) of the dated tasks the range selects; what the
// clear command deletes.
std::vector<int> SelectedStoreRows(const Grid &store, const PrintRange &range, const TaskFilter &filter);

// What a clear starts from: the day shown, without the to-do list.
PrintRange ClearRangeOn(QDate day);
// Rows of the to-do list that the range selects; what the clear command
// deletes with the dated tasks.
std::vector<int> SelectedTodoRows(const Grid &todo, const PrintRange &range, const TaskFilter &filter);
// The question before a clear: how many tasks of which days, and how many
// to-do tasks when the to-do list is part of it.
QString ClearQuestion(const PrintRange &range, int tasks, int todoTasks, const FormatSettings &fs);

// Texts of the range dialog: its two radio buttons (the first is also the
// window's caption and title line), and the error of a reversed range.
QString RangeAllCaption(PrintRange::Mode mode, bool filtersOn);
QString RangeDatesCaption(PrintRange::Mode mode, bool filtersOn);
// Empty when the range may be used; otherwise the message to show.
QString CheckPrintRange(const PrintRange &range);
// Whether the "To-do tasks?" box is shown in this mode.
bool RangeShowsTodoBox(PrintRange::Mode mode);

// The title printed above the combined list.
QString PrintTitle(const PrintRange &range, bool filtersOn, const FormatSettings &fs);

}  // namespace morvane
