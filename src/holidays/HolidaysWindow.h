#pragma once
// TfrmHoliday: the Holidays window. It edits its own copy of the table;
// Close, Clone and International write it to "holiday.grd"; the close box
// leaves the file as it was. When Close cannot save, the person chooses to
// try again, close without saving or stay.

#include "Grid.h"
#include "GridFile.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "Utility.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QPushButton;
class QTableView;

namespace morvane {

class GridTableModel;

class TfrmHoliday : public QDialog {
    Q_OBJECT
public:
    struct Services {
        Prompts &prompts;
        ModalRunner &runner;
        const FormatSettings &fs;
        QString folder;                   // where "holiday.grd" lives
        std::function<QDate()> today;
        std::function<bool()> confirm;    // the option to ask before deleting
        std::function<void(int)> showHelp;
        Qt::DayOfWeek weekStart = Qt::Sunday;  // for the editor's date field
        // Prints the table as shown (the main window's printer); no Print
        // button without it.
        std::function<void(const Grid &table, const QTableView *shown)> print = {};
    };

    explicit TfrmHoliday(Services services, QWidget *parent = nullptr);
    ~TfrmHoliday() override;

    Grid &table() { return grid_; }
    QString file() const;
    // The table row (1..) of the view's current row.
    int currentRow() const;
    void setCurrentRow(int row);

    void btAddClick();
    void btEditClick();
    void btDelClick();
    void btCloneClick();
    void btInternationalClick();
    void btCloseClick();
    void sortByColumn(int column);
    // Moves a row to another place, as dragging does.
    void moveRow(int from, int to);

    QTableView *tblHoliday = nullptr;
    QPushButton *btPrint = nullptr;
    QPushButton *btAdd = nullptr, *btEdit = nullptr, *btDel = nullptr, *btClone = nullptr;
    QPushButton *btInternational = nullptr, *btHelp = nullptr, *btClose = nullptr;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // Writes the table to the file. A file that could not be read is only
    // replaced when the person agrees; `declined` tells when they did not.
    FileResult write(bool &declined);
    // write(), telling the person of a failure; true when saved.
    bool save();
    void load();
    void refresh(int currentRow);

    Services sv_;
    Grid grid_;
    GridTableModel *model_ = nullptr;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    int dragRow_ = 0;
    bool unreadable_ = false;  // the file did not load: do not write over it unasked
};

}  // namespace morvane
