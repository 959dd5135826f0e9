// Archive, restore and clear: the task tables as a whole.

#include "MainWindow.h"

#include "Archive.h"
#include "CalendarRules.h"
#include "CompletedTasksWindow.h"
#include "PrintRangeDialog.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {
const QString kArchiveFilter = u"Archive Backup (*.arb);;All Files (*)"_s;
}

void TfrmMain::buildArchive()
{
    QMenu *file = fileMenu();
    QAction *exitItem = file->findChild<QAction *>(u"Exit1"_s);
    QAction *sep = file->actions().value(file->actions().indexOf(exitItem) - 1);
    file->insertSeparator(sep);
    insertCommand(file, sep, u"Archive1"_s, u"&Archive current data..."_s, &TfrmMain::Archive1Click);
    insertCommand(file, sep, u"Restore1"_s, u"&Restore old data..."_s, &TfrmMain::Restore1Click);
    insertCommand(file, sep, u"ClearAll1"_s, u"Clear all da&ta..."_s, &TfrmMain::ClearAll1Click);
    QAction *hide = ToolBar1_->findChild<QAction *>(u"ToolButton14"_s);
    ToolBar1_->insertAction(hide, taskAction(u"btArchive"_s, u"Archive"_s, ToolIcon::Archive,
                                             u"Archive current data"_s, [this] { Archive1Click(); }));
    archiveFile_ = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                       .filePath(u"backup.arb"_s);
}

void TfrmMain::reloadTables()
{
    store_.readFromStore(DayNumber(selectedDay()), gridDay_);
    applyDaySort();
    listsChanged();
    selectDayRow(1);
    ColorAllCalendars(true);
}

void TfrmMain::Archive1Click()
{
    commitNotes();
    const QString name = sv_.prompts.SaveFileName(u"Save Archive"_s, archiveFile_, kArchiveFilter, u"arb"_s);
    if (name.isEmpty())
        return;
    archiveFile_ = name;
    const ArchiveNames names = ArchiveMemberNames(name);
    // A member that could not be written is named, never reported as stored.
    if (const FileResult r = WriteArchive(names, store_.grid(), gridNonday_, frmComplete()->table()); !r) {
        sv_.prompts.ErrorBox(u"The archive was not stored.\n\n"_s + r.message);
        return;
    }
    sv_.prompts.InfoBox(u"Archive stored in the files - "_s + QDir::toNativeSeparators(names.store) + u", "_s +
                        QDir::toNativeSeparators(names.todo) + u" and "_s +
                        QDir::toNativeSeparators(names.completed));
}

void TfrmMain::Restore1Click()
{
    const UndoStep step(*this, u"Restore old data"_s);
    if (!sv_.prompts.YesNo(u"Really restore ENTIRE system?  This will overwrite any current information. "
                           "Note you may want to make an archive first!"_s))
        return;
    const QString name = sv_.prompts.OpenFileName(u"Restore Archive"_s, archiveFile_, kArchiveFilter);
    if (name.isEmpty())
        return;
    archiveFile_ = name;
    // All or nothing: the working tables change only when every member
    // loaded whole.
    ArchiveLoad loaded = ReadArchive(ArchiveMemberNames(name));
    if (!loaded.refused.isEmpty()) {
        sv_.prompts.ErrorBox(loaded.refused);
        return;
    }
    if (loaded.missing) {
        sv_.prompts.ErrorBox(
            u"Could not restore ... there seems to be a missing file. Looking for ARB, AR2 and AR3 file extensions"_s);
        return;
    }
    if (!loaded.ok()) {
        for (const ArchiveLoad::Failure &f : loaded.failed)
            sv_.prompts.ErrorBox(u"Could not load up the archive ... must be corrupt\n\n"_s + f.why);
        return;
    }
    store_.replaceTable(std::move(loaded.store));
    gridNonday_ = std::move(loaded.todo);
    todoDamaged_ = false;
    // The restored tables reach their files at once, all three.
    (void)saveStore(false);
    (void)saveTodo();
    if (const FileResult r = frmComplete()->restoreTable(std::move(loaded.completed)); !r)
        reportSave(frmComplete()->file(), r);
    reloadTables();
}

void TfrmMain::ClearAll1Click()
{
    const UndoStep step(*this, u"Clear all data"_s);
    // A clear never starts from what a print or an export chose last (all
    // tasks, the to-do list ticked): it opens on the day shown without the
    // to-do list, and leaves the print's choices as they were.
    const PrintRange printChoice = frmPrint()->range();
    frmPrint()->setRange(ClearRangeOn(selectedDay()));
    const bool chosen = askRange(PrintRange::Mode::Clear);
    const PrintRange range = frmPrint()->range();
    frmPrint()->setRange(printChoice);
    if (!chosen)
        return;
    const std::vector<int> rows = SelectedStoreRows(store_.grid(), range, filter_);
    const std::vector<int> todoRows = SelectedTodoRows(gridNonday_, range, filter_);
    if (!sv_.prompts.YesNo(ClearQuestion(range, int(rows.size()), int(todoRows.size()), fs_)))
        return;
    store_.removeRows(rows);
    // From the last row up, so that the rows still to go keep their numbers.
    for (auto r = todoRows.rbegin(); r != todoRows.rend(); ++r) {
        // The list keeps one body row.
        if (*r == 1 && gridNonday_.rowCount() == 2)
            gridNonday_.clearRow(1);
        else
            gridNonday_.removeRows(*r);
    }
    (void)saveStore(false);
    (void)saveTodo();
    reloadTables();
}

}  // namespace morvane
