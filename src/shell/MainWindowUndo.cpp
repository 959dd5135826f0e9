// Edit > Undo and Redo: every command that changes the task tables makes an
// UndoStep, which keeps what it changed as one step of the
// history; going back or forward puts the tables into the other state and
// saves them as any change is saved (at once, the day's backup first).

#include "MainWindow.h"

#include "AtomicFile.h"
#include "CompletedTasksWindow.h"

#include <QDir>
#include <QFile>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmMain::buildUndo()
{
    auto *edit = new QMenu(u"&Edit"_s, this);
    edit->setObjectName(u"Edit1"_s);
    menuBar()->insertMenu(findChild<QMenu *>(u"Tasks1"_s)->menuAction(), edit);
    Undo1_ = command(edit, u"&Undo"_s, QKeySequence(u"Ctrl+Z"_s), &TfrmMain::Undo1Click);
    Undo1_->setObjectName(u"Undo1"_s);
    // Redo answers both keys people know it by; the menu shows the first.
    Redo1_ = command(edit, u"&Redo"_s, QKeySequence(u"Ctrl+Shift+Z"_s), &TfrmMain::Redo1Click);
    Redo1_->setObjectName(u"Redo1"_s);
    Redo1_->setShortcuts({Redo1_->shortcut(), QKeySequence(u"Ctrl+Y"_s)});
    // The items name the step they would take back or make again.
    QUndoStack &stack = history_.stack();
    auto name = [](QAction *a, const QString &verb, const QString &step) {
        a->setText(step.isEmpty() ? verb : verb + u' ' + step);
    };
    connect(&stack, &QUndoStack::undoTextChanged, this, [this, name](const QString &s) { name(Undo1_, u"&Undo"_s, s); });
    connect(&stack, &QUndoStack::redoTextChanged, this, [this, name](const QString &s) { name(Redo1_, u"&Redo"_s, s); });
    connect(&stack, &QUndoStack::canUndoChanged, Undo1_, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, Redo1_, &QAction::setEnabled);
    Undo1_->setEnabled(false);
    Redo1_->setEnabled(false);
}

QString TfrmMain::moveStepName(const QDate &day) const
{
    return u"Move to "_s + FormatDateTime(u"d mmmm", ToDateValue(day), fs_);
}

TfrmMain::UndoStep::UndoStep(TfrmMain &w, const QString &name, bool storeNotesFirst) : w_(w)
{
    if (storeNotesFirst && !w_.recording_)
        w_.commitNotes();
    if (w_.recording_)
        return;
    outer_ = true;
    store_ = w_.store_.grid();
    todo_ = w_.gridNonday_;
    // The command may be the first to reach the completed table.
    completed_ = w_.frmComplete()->table();
    holidayFile_ = w_.holidayFileBytes();
    w_.recording_ = true;
    w_.undoName_ = name;
}

TfrmMain::UndoStep::~UndoStep()
{
    if (!outer_)
        return;
    // Kept even when the command failed half way: what it did change can
    // still be taken back.
    w_.recording_ = false;
    try {
        TablesChange change;
        auto keep = [](std::optional<TableChange> &slot, const Grid &before, const Grid &after,
                       TableChange::Less less) {
            TableChange c = TableChange::between(before, after, less);
            if (!c.empty())
                slot = std::move(c);
        };
        keep(change.store, store_, w_.store_.grid(), StoreRowLess);
        keep(change.todo, todo_, w_.gridNonday_, nullptr);
        keep(change.completed, completed_, w_.frmComplete()->table(), nullptr);
        if (std::optional<QByteArray> now = w_.holidayFileBytes(); now != holidayFile_)
            change.holidayFile = TablesChange::FileChange{holidayFile_, std::move(now)};
        w_.feedSync(change, true);
        w_.history_.record(w_.undoName_, std::move(change));
    } catch (...) {
        // Without this step no older one may be taken back over it.
        w_.history_.clear();
    }
    w_.commandEnded();
}

bool TfrmMain::tablesAre(const TablesChange &c, bool after) const
{
    // A step carried over a sync's changes knows the tables it meets only as
    // the history last saw them.
    auto is = [after](const std::optional<TableChange> &t, const Grid &table,
                      const std::optional<std::uint64_t> &lastSeen) {
        if (!t)
            return true;
        std::optional<std::uint64_t> want = after ? t->digestAfter() : t->digestBefore();
        if (!want)
            want = lastSeen;
        return want && TableDigest(table) == *want;
    };
    const UndoHistory::Fingerprints &seen = history_.lastSeen();
    return is(c.store, store_.grid(), seen.store) && is(c.todo, gridNonday_, seen.todo) &&
           (!frmComplete_ || is(c.completed, frmComplete_->table(), seen.completed)) &&
           (!c.holidayFile || holidayFileBytes() == (after ? c.holidayFile->after : c.holidayFile->before));
}

std::optional<QByteArray> TfrmMain::holidayFileBytes() const
{
    QFile f(JoinPath(sv_.folder, u"holiday.grd"_s));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

void TfrmMain::Undo1Click() { stepHistory(false); }

void TfrmMain::Redo1Click() { stepHistory(true); }

void TfrmMain::stepHistory(bool forward)
{
    // A notes edit not yet stored is the latest change: Undo takes it back
    // first, and after it there is nothing to redo.
    commitNotes();
    const TablesChange *c = forward ? history_.nextRedo() : history_.nextUndo();
    if (!c)
        return;
    // The step applies only to the tables exactly as it left (or found)
    // them; anything else would patch rows into the wrong places.
    if (!tablesAre(*c, !forward)) {
        history_.clear();
        sv_.prompts.ErrorBox(u"The tasks have changed in another way since, so this cannot be %1. The list of "
                             "changes to undo has been cleared."_s.arg(forward ? u"redone"_s : u"undone"_s));
        return;
    }
    if (forward)
        history_.stack().redo();
    else
        history_.stack().undo();
}

void TfrmMain::putBackTables(const TablesChange &c, bool forward)
{
    feedSync(c, forward);
    auto state = [forward](const TableChange &t, const Grid &now) { return forward ? t.after(now) : t.before(now); };
    // What the history sees now: the step's own fingerprint of the state,
    // or, for a step carried over a sync's changes, the table's.
    auto seen = [forward](const TableChange &t, const Grid &now) {
        const std::optional<std::uint64_t> known = forward ? t.digestAfter() : t.digestBefore();
        return known ? *known : TableDigest(now);
    };
    if (c.store) {
        store_.putBack(state(*c.store, store_.grid()));
        history_.lastSeen().store = seen(*c.store, store_.grid());
        (void)saveStore(false);  // a failure is reported inside
    }
    if (c.todo) {
        gridNonday_ = state(*c.todo, gridNonday_);
        history_.lastSeen().todo = seen(*c.todo, gridNonday_);
        (void)saveTodo();
    }
    if (c.completed && frmComplete_) {
        const FileResult r = frmComplete_->putBack(state(*c.completed, frmComplete_->table()));
        history_.lastSeen().completed = seen(*c.completed, frmComplete_->table());
        if (!r.damaged)  // a damaged file the person chose to keep just now needs no more words
            reportSave(frmComplete_->file(), r);
    }
    if (c.holidayFile) {
        const QString path = JoinPath(sv_.folder, u"holiday.grd"_s);
        const std::optional<QByteArray> &bytes = forward ? c.holidayFile->after : c.holidayFile->before;
        if (bytes) {
            reportSave(path, WriteFileAtomically(path, *bytes));
        } else {
            // The window made the file: without it there are no holidays.
            if (!QFile::remove(path))
                reportSave(path, FileResult::failure(u"%1 could not be removed."_s.arg(QDir::toNativeSeparators(path))));
            gridHoliday_ = NewHolidayGrid();
        }
        loadHolidays();
    }
    reloadTables();
}

}  // namespace morvane
