#pragma once
// TfrmComplete: the "Completed Tasks" window. It owns the completed table for
// the whole run: it is made once at start-up, which loads "gridComp.grd", and
// shown modally by the main window's "View Completed Tasks". The task editor
// adds a row through addCompleted, which saves at once; edits made in the
// window (the two boxes, Delete, Clear) reach the file when it closes.

#include "CompletedTasks.h"
#include "GridFile.h"
#include "Prompts.h"
#include "Utility.h"

#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QTableView;

namespace morvane {

class GridTableModel;
class ShadowLabel;

class TfrmComplete : public QDialog {
    Q_OBJECT
public:
    struct Services {
        Prompts &prompts;
        const FormatSettings &fs;
        QString folder;                   // where "gridComp.grd" lives
        std::function<bool()> confirm;    // the option to ask before deleting
        std::function<void()> beforeSave; // runs before every write of the file
        // Print and export the table as shown (the main window's printer and
        // writers); the menu items are there only with them.
        std::function<void(const Grid &table, const QTableView *shown)> print = {};
        std::function<void(const Grid &table, bool html)> exportTable = {};
    };

    explicit TfrmComplete(Services services, QWidget *parent = nullptr);
    ~TfrmComplete() override;

    Grid &table() { return grid_; }
    QString file() const;

    // Puts a completed task into row 1 (inserting a row unless row 1 is
    // free) and saves the table at once, so that a later Cancel elsewhere
    // cannot lose it. The caller reports a failure; a result with `damaged`
    // set means the file did not load whole and the person chose just now
    // to keep it, so there is nothing more to tell.
    FileResult addCompleted(const QStringList &cells);

    // Writes the table to "gridComp.grd". A file that did not load whole is
    // replaced only when the person agrees (asked each time until they do);
    // when they do not, nothing is written and the result is `damaged`.
    // Reports nothing itself.
    FileResult save();

    // Puts a restored table in place of the completed tasks and saves it at
    // once: a restore followed by Exit must not bring the old log back. The
    // person chose to overwrite everything, so a file that loaded damaged is
    // replaced too (its copy is in the backups).
    FileResult restoreTable(Grid table);
    // Puts back a state the table had before (a change taken back, or made
    // again) and saves it at once, as any change of it is saved. A file that
    // loaded damaged is replaced only when the person agrees, as always.
    FileResult putBack(Grid table);

    // True while a "gridComp.grd" that did not load whole has not been
    // replaced.
    bool loadedDamaged() const { return damaged_; }

    // Fits the columns to the table's width: the four short columns keep
    // their size and "What" and "Comp Notes" share the rest.
    void ResizeGrid();

    // The heading's shadow, as the main window's date heading has it.
    void setHeadingShadow(int depth, const QColor &text);

    // The table row (1..) of the view's current row.
    int currentRow() const;
    void setCurrentRow(int row);

    // The commands.
    void Delete1Click();
    void Clear1Click();
    void Print1Click();
    void HTMLFormat1Click();
    void CommaDelimited1Click();
    void gridHeadingClick(int column);
    // Leaving either box writes both back into the row they show.
    void memExit();

    ShadowLabel *lblCompTitle = nullptr;
    QLabel *imgTitle = nullptr;
    QTableView *grid = nullptr;
    QPlainTextEdit *memWhat = nullptr, *memPurpose = nullptr;
    QMenuBar *menuBar = nullptr;
    QAction *Delete1 = nullptr, *Clear1 = nullptr, *Close1 = nullptr;
    QMenu *popGrid = nullptr;
    QAction *Deleterow1 = nullptr;

    // Closing by any way (Close, the close box, Escape) saves the table.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void load();
    void refresh(int row);
    // Fills the two boxes from the current row.
    void showRowInBoxes();
    // Reports a failed save once, until a save succeeds again.
    void report(const FileResult &r);

    Services sv_;
    Grid grid_;
    GridTableModel *model_ = nullptr;
    CompletedSortState sort_;
    int boxRow_ = 0;          // the table row the boxes show
    bool damaged_ = false;    // the file did not load whole: not written unasked
    QString toldFailure_;     // the failed save last reported
};

}  // namespace morvane
