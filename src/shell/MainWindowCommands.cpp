// Adding, editing, completing and deleting tasks, and the lists' toolbars
// and popup menus that start them.

#include "MainWindow.h"

#include "AtomicFile.h"
#include "CompletedTasksWindow.h"
#include "FilterDialog.h"
#include "CalendarRules.h"
#include "GridTableModel.h"
#include "ShadowLabel.h"
#include "SpellCheckDialog.h"
#include "SpellChecker.h"
#include "TaskEditor.h"

#include <QAction>
#include <array>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QString yesNo(bool on) { return on ? u"Yes"_s : u"No"_s; }

// A list beside a vertical toolbar at its right edge.
QToolBar *sideToolBar(const QString &name, QWidget *pane, QWidget *list)
{
    auto *bar = new QToolBar(name, pane);
    bar->setObjectName(name);
    bar->setOrientation(Qt::Vertical);
    bar->setIconSize(QSize(16, 16));
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *layout = static_cast<QBoxLayout *>(pane->layout());
    const int at = layout->indexOf(list);
    layout->removeWidget(list);
    row->addWidget(list, 1);
    row->addWidget(bar);
    layout->insertLayout(at, row, 1);
    return bar;
}

}  // namespace

QAction *TfrmMain::taskAction(const QString &name, const QString &text, ToolIcon icon, const QString &hint,
                              const std::function<void()> &handler)
{
    auto *a = new QAction(MakeToolIcon(icon), text, this);
    a->setObjectName(name);
    a->setToolTip(hint);
    connect(a, &QAction::triggered, this, [this, handler] { guard(handler); });
    return a;
}

void TfrmMain::buildTaskCommands()
{
    // Each list's toolbar (add, edit, delete, done) and popup menu (the same
    // commands); they differ only in their names, hints and senders.
    struct ListCommands {
        QTableView *list;
        QWidget *pane;
        const char16_t *toolbar, *popup;
        std::array<const char16_t *, 4> buttons, items, hints;
        std::array<Sender, 4> buttonSenders, itemSenders;
    };
    const ListCommands lists[] = {
        {tvDay_, pnlDayList_, u"ToolBar2", u"PopupMenu1", {u"tbAdd1", u"tbEdit1", u"tbDel1", u"tbDone1"},
         {u"Add1", u"Edit2", u"Del1", u"Markascompleted2"},
         {u"Add new task", u"Edit task", u"Delete task", u"Mark as completed"},
         {Sender::tbAdd1, Sender::tbEdit1, Sender::tbDel1, Sender::tbDone1},
         {Sender::Add1, Sender::Edit2, Sender::Del1, Sender::Markascompleted2}},
        {tvNonday_, pnlTodo_, u"ToolBar3", u"PopupMenu2", {u"tbAdd2", u"tbEdit2", u"tbDel2", u"tbDone2"},
         {u"MenuItem1", u"MenuItem2", u"MenuItem3", u"Markascompleted1"},
         {u"Add new", u"Edit task", u"Delete", u"Mark as completed"},
         {Sender::tbAdd2, Sender::tbEdit2, Sender::tbDel2, Sender::tbDone2},
         {Sender::MenuItem1, Sender::MenuItem2, Sender::MenuItem3, Sender::Markascompleted1}},
    };
    const QString captions[] = {u"Add"_s, u"Edit"_s, u"Delete"_s, u"Mark as completed"_s};
    const ToolIcon icons[] = {ToolIcon::Add, ToolIcon::Edit, ToolIcon::Delete, ToolIcon::Done};
    auto run = [this](int command, Sender sender) -> std::function<void()> {
        switch (command) {
        case 0: return [this, sender] { btAddClick(sender); };
        case 1: return [this, sender] { btEditClick(sender); };
        case 2: return [this, sender] { btDelClick(sender); };
        default: return [this, sender] { Markascompleted1Click(sender); };
        }
    };
    for (const ListCommands &l : lists) {
        QToolBar *bar = sideToolBar(QString::fromUtf16(l.toolbar), l.pane, l.list);
        auto *popup = new QMenu(l.list);
        popup->setObjectName(QString::fromUtf16(l.popup));
        for (int c = 0; c < 4; ++c) {
            bar->addAction(taskAction(QString::fromUtf16(l.buttons[std::size_t(c)]), captions[c], icons[c],
                                      QString::fromUtf16(l.hints[std::size_t(c)]), run(c, l.buttonSenders[std::size_t(c)])));
            if (c == 3)
                popup->addSeparator();
            popup->addAction(taskAction(QString::fromUtf16(l.items[std::size_t(c)]), captions[c], icons[c], {},
                                        run(c, l.itemSenders[std::size_t(c)])));
        }
        QTableView *list = l.list;
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
                [list, popup](const QPoint &at) { popup->popup(list->viewport()->mapToGlobal(at)); });
        (l.list == tvDay_ ? ToolBar2_ : ToolBar3_) = bar;
    }
    ToolBar2_->addAction(taskAction(u"ToolButton15"_s, u"Toggle alarm"_s, ToolIcon::Alarm,
                                    u"Toggle alarm (yes/no)"_s, [this] { ToolButton15Click(); }));

    connect(tvDay_, &QAbstractItemView::doubleClicked, this, [this] { guard([this] { gridDayDblClick(); }); });
    connect(tvNonday_, &QAbstractItemView::doubleClicked, this, [this] { guard([this] { gridNondayDblClick(); }); });

    // The main menu's Tasks menu: the same commands by their shortcuts.
    QMenu *tasks = new QMenu(u"&Tasks"_s, this);
    tasks->setObjectName(u"Tasks1"_s);
    menuBar()->insertMenu(menuBar()->actions().value(1), tasks);
    auto item = [&](const QString &name, const QString &text, const QKeySequence &key, std::function<void()> fn) {
        QAction *a = tasks->addAction(text);
        a->setObjectName(name);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, fn] { guard(fn); });
    };
    item(u"Insertnewtask1"_s, u"Insert new task"_s, QKeySequence(u"Ctrl+Ins"_s), [this] { btAddClick(Sender::tbAdd1); });
    item(u"Insertnewtodo1"_s, u"Insert new to-do"_s, QKeySequence(u"Shift+Ins"_s), [this] { btAddClick(Sender::tbAdd2); });
    tasks->addSeparator();
    item(u"Editexistingtask1"_s, u"Edit existing task"_s, QKeySequence(u"Ctrl+Return"_s),
         [this] { btEditClick(Sender::tbEdit1); });
    item(u"Editexistingtodo1"_s, u"Edit existing to-do"_s, QKeySequence(u"Shift+Return"_s),
         [this] { btEditClick(Sender::tbEdit2); });
    tasks->addSeparator();
    item(u"Deleteexistingtask1"_s, u"Delete existing task"_s, QKeySequence(u"Ctrl+Del"_s),
         [this] { btDelClick(Sender::tbDel1); });
    item(u"Deleteexistingtodo1"_s, u"Delete existing to-do"_s, QKeySequence(u"Shift+Del"_s),
         [this] { btDelClick(Sender::tbDel2); });
    tasks->addSeparator();
    QAction *view = taskAction(u"ViewCompletedTasks1"_s, u"View Completed Tasks"_s, ToolIcon::Completed,
                               u"View completed tasks"_s, [this] { ViewCompletedTasks1Click(); });
    tasks->addAction(view);
    ToolBar1_->insertAction(ToolBar1_->actions().value(2), view);
}

// ---------------------------------------------------------------------------
// The editor

TfrmEdit *TfrmMain::makeEditor(bool dated)
{
    TfrmEdit::Services services{sv_.prompts,
                                sv_.runner,
                                fs_,
                                sv_.clock,
                                store_,
                                sv_.folder,
                                [this](const QStringList &cells) { return addCompletedRow(cells); },
                                [this](const FileResult &r) { reportSave(store_.path(), r); },
                                [this](QPlainTextEdit &field) {
                                    // Loaded when asked for: the dictionary takes a moment.
                                    SpellChecker checker(sv_.folder);
                                    CheckSpelling(field, checker, sv_.prompts, sv_.runner, this);
                                },
                                options_.sunday ? Qt::Sunday : Qt::Monday};
    auto *ed = new TfrmEdit(std::move(services), defaultCategory_, selectedDay(), this);
    ed->setAttribute(Qt::WA_DeleteOnClose, false);
    ed->setHeadingStyle(lblDate_->font(), lblDate_->shadowDepth(), lblDate_->textColor());
    ed->isDated = dated;
    return ed;
}

void TfrmMain::editorTitle(TfrmEdit &ed, bool dated, bool adding)
{
    // The heading keeps the day heading's colour from makeEditor (red on a
    // holiday); only a new task on a day gone by is flagged, since adding
    // to the past is the likely slip, not editing or completing there.
    if (!dated) {
        ed.origDateText = u"To-do task"_s;
        ed.setTitle(u"To-do task"_s);
        return;
    }
    const QDate day = selectedDay();
    ed.origDateText = FormatDateTime(u"ddd ddddd", ToDateValue(day), fs_);
    const QString title = ed.origDateText + u' ' + RelativeDayText(ToDateValue(day), sv_.clock);
    if (adding && DayNumber(day) < DayNumber(sv_.clock.today())) {
        ed.setTitle(u"PAST "_s + title);
        ed.lblTitle->setTextColor(QColor(255, 0, 0));
    } else {
        ed.setTitle(title);
    }
}

FileResult TfrmMain::addCompletedRow(const QStringList &cells)
{
    const FileResult r = frmComplete()->addCompleted(cells);
    // A damaged file the person chose to keep just now needs no more words.
    if (!r.damaged)
        reportSave(frmComplete()->file(), r);
    return FileResult::success();  // told above, once
}

void TfrmMain::btFilterClick()
{
    commitNotes();
    sv_.runner.showModal(*frmFilter_);
    // However the dialog was closed, its checks are the filter now: the
    // calendars and the day list are drawn under it at once.
    ColorAllCalendars(true);
    cal1DateChange();
    updateFilterImage();
}

void TfrmMain::updateFilterImage()
{
    const bool on = filter_.FiltersOn();
    Filters1_->setText(on ? u"FILTERS ON"_s : u"Filters"_s);
    btFilter_->setIcon(MakeToolIcon(on ? ToolIcon::FilterOn : ToolIcon::Filter));
}

void TfrmMain::categoriesSaved()
{
    if (frmFilter_->categoriesChanged()) {
        ColorAllCalendars(true);
        cal1DateChange();
    }
    updateFilterImage();
}

QString TfrmMain::filterCaption() const { return Filters1_->text(); }

void TfrmMain::ViewCompletedTasks1Click()
{
    // Whatever is deleted or changed in the window is one step.
    const UndoStep step(*this, u"Change completed tasks"_s);
    frmComplete()->setHeadingShadow(lblDate_->shadowDepth(), lblDate_->textColor());
    sv_.runner.showModal(*frmComplete());
}

void TfrmMain::listsChanged()
{
    dayModel_->reload();
    todoModel_->reload();
    ResizeGridDay();
    ResizeGridNonDay();
    UpdateLabels(current_);
}

void TfrmMain::todoChanged() { (void)saveTodo(); }

void TfrmMain::btAddClick(Sender sender)
{
    const bool dated = sender == Sender::tbAdd1 || sender == Sender::Add1;
    const UndoStep step(*this, dated ? u"Add task"_s : u"Add to-do task"_s);
    if (dated && current_ < 0)
        return;
    std::unique_ptr<TfrmEdit> ed(makeEditor(dated));
    editorTitle(*ed, dated, true);
    if (!dated)
        ed->hideTimeAndAlarm();
    // The editor enables both at the first key typed into the notes.
    ed->btComplete->setEnabled(false);
    ed->btOK->setEnabled(false);
    if (editorOpened)
        editorOpened(*ed);
    if (sv_.runner.showModal(*ed) == QDialog::Accepted) {
        if (dated) {
            const int row = FirstFreeRow(gridDay_);
            gridDay_.setCell(kDayTime, row, TaskTimeText(ed->time(), fs_));
            gridDay_.setCell(kDayCategory, row, ed->category());
            gridDay_.setCell(kDayNotes, row, ed->notes());
            gridDay_.setCell(kDayDone, row, yesNo(ed->cbDone->isChecked()));
            gridDay_.setCell(kDayAlarm, row, yesNo(ed->cbAlarm->isChecked()));
            applyDaySort();
            reportSave(store_.path(), store_.writeToStore(DayNumber(selectedDay()), gridDay_));
            // The editor's repeats may have gone into any month on screen.
            ColorAllCalendars(true);
        } else {
            const int row = FirstFreeTodoRow(gridNonday_);
            gridNonday_.setCell(kTodoCategory, row, ed->category());
            gridNonday_.setCell(kTodoNotes, row, ed->notes());
            gridNonday_.setCell(kTodoDone, row, yesNo(ed->cbDone->isChecked()));
            todoChanged();
        }
        listsChanged();
    }
    categoriesSaved();  // the editor saves the list, even when cancelled
    (dated ? tvDay_ : tvNonday_)->setFocus();
    if (dated && filter_.FiltersOn() && !filterNoteShown_) {
        filterNoteShown_ = true;
        sv_.prompts.InfoBox(u"Note that since you have filters turned on it may look like the new task has "
                            "disappeared. Turn the filters off and it will re-appear."_s);
    }
}

void TfrmMain::btEditClick(Sender sender)
{
    if (sender == Sender::tbEdit1)
        tvDay_->setFocus();
    else if (sender == Sender::tbEdit2)
        tvNonday_->setFocus();
    EditOrComplete(sender, true);
    ColorAllCalendars(true);  // the editor's repeats may have gone into any month on screen
}

void TfrmMain::Markascompleted1Click(Sender sender)
{
    if (sender == Sender::tbDone1 || sender == Sender::Markascompleted2)
        tvDay_->setFocus();
    else if (sender == Sender::tbDone2 || sender == Sender::Markascompleted1)
        tvNonday_->setFocus();
    EditOrComplete(sender, false);
    ColorAllCalendars(false);
}

void TfrmMain::EditOrComplete(Sender sender, bool editMode)
{
    const UndoStep step(*this, editMode ? u"Edit task"_s : u"Mark as completed"_s);
    QWidget *active = focusWidget();
    const bool dayList = active != tvNonday_ &&
                         (active == tvDay_ || sender == Sender::tbEdit1 || sender == Sender::Edit2 ||
                          sender == Sender::gridDay);
    Grid &list = dayList ? gridDay_ : gridNonday_;
    QTableView *view = dayList ? tvDay_ : tvNonday_;
    const int row = selectedRow(view, 1);
    const int notesCol = dayList ? int(kDayNotes) : int(kTodoNotes);
    const int doneCol = dayList ? int(kDayDone) : int(kTodoDone);
    if (!rowHoldsTask(dayList, row)) {
        sv_.prompts.ErrorBox(u"There is nothing to edit"_s);
        return;
    }
    if (!editMode && list.cellUtf8(doneCol, row) == "Yes") {
        sv_.prompts.ErrorBox(u"Task already marked as complete"_s);
        return;
    }
    std::unique_ptr<TfrmEdit> ed(makeEditor(dayList));
    const QString notes = list.cell(notesCol, row);
    ed->setWindowTitle(u"Task: "_s + notes.left(50) + u" ..."_s);
    if (dayList) {
        editorTitle(*ed, true, false);
        ed->cbAlarm->setChecked(list.cellUtf8(kDayAlarm, row) == "Yes");
        ed->setTimeText(list.cell(kDayTime, row));
    } else {
        ed->origDateText = u"Non date task"_s;
        ed->hideTimeAndAlarm();
    }
    ed->isExisting = true;
    ed->setCategory(list.cell(dayList ? int(kDayCategory) : int(kTodoCategory), row));
    ed->cbDone->setChecked(list.cellUtf8(doneCol, row) == "Yes");
    if (ed->cbDone->isChecked())
        ed->hideTimeAndAlarm();
    ed->setNotes(notes);
    ed->completeOnShow = !editMode;
    if (editorOpened)
        editorOpened(*ed);
    if (sv_.runner.showModal(*ed) == QDialog::Accepted) {
        const QString time = ed->timeText();
        const QString done = yesNo(ed->cbDone->isChecked());
        const QString alarm = yesNo(ed->cbAlarm->isChecked());
        if (dayList && ed->newDate != selectedDay()) {
            // Rescheduled: the task leaves this day (with its repeats, if the
            // person says so) and goes to its new day, listed first there.
            undoName_ = moveStepName(ed->newDate);
            deleteEntry(true, true, selectedDay(), true);
            (void)store_.insertTask(DayNumber(ed->newDate), StoredTask{time, ed->category(), ed->notes(), done, alarm});
            reportSave(store_.path(), store_.SortGridStore());
            ColorAllCalendars(true);
        } else if (dayList) {
            gridDay_.setCell(kDayTime, row, time);
            gridDay_.setCell(kDayCategory, row, ed->category());
            gridDay_.setCell(kDayNotes, row, ed->notes());
            gridDay_.setCell(kDayDone, row, done);
            gridDay_.setCell(kDayAlarm, row, alarm);
            reportSave(store_.path(), store_.writeToStore(DayNumber(selectedDay()), gridDay_));
        } else {
            gridNonday_.setCell(kTodoCategory, row, ed->category());
            gridNonday_.setCell(kTodoNotes, row, ed->notes());
            gridNonday_.setCell(kTodoDone, row, done);
            todoChanged();
        }
        listsChanged();
        if (view->model()->rowCount() > 0)
            view->setCurrentIndex(view->model()->index(std::min(row, view->model()->rowCount()) - 1, 0));
        if (dayList)
            DrawExtraMemo();
    }
    categoriesSaved();
    view->setFocus();
}

void TfrmMain::btDelClick(Sender sender)
{
    const UndoStep step(*this, u"Delete task"_s);
    const bool dayList = sender == Sender::tbDel1 || sender == Sender::Del1;
    Grid &list = dayList ? gridDay_ : gridNonday_;
    QTableView *view = dayList ? tvDay_ : tvNonday_;
    const int row = selectedRow(view, 1);
    if (!rowHoldsTask(dayList, row)) {
        sv_.prompts.ErrorBox(u"There is nothing selected to delete"_s);
        return;
    }
    const QString name = list.cell(dayList ? int(kDayNotes) : int(kTodoNotes), row).left(50) + u" ... "_s;
    if (confirm_ && !sv_.prompts.YesNo(u"Really delete \"%1\"?"_s.arg(name)))
        return;
    deleteEntry(dayList, dayList, selectedDay(), false);
}

void TfrmMain::deleteEntry(bool dayList, bool writeBack, const QDate &date, bool moving)
{
    QTableView *view = dayList ? tvDay_ : tvNonday_;
    const int row = selectedRow(view, 1);
    const int d = DayNumber(date);
    int count = 0;
    QString category, notes, done;
    if (dayList) {
        category = gridDay_.cell(kDayCategory, row);
        notes = gridDay_.cell(kDayNotes, row);
        done = gridDay_.cell(kDayDone, row);
        gridDay_.deleteBodyRow(row);
        count = store_.countRepeats(d, category, notes, done);
        if (count > 1) {
            QString question = u"This event appears to be repeated %1 %2 in the future.  Delete all repeats?"_s.arg(
                count - 1).arg(count == 2 ? u"time"_s : u"times"_s);
            // In a move the task goes on; a plain No must not read as "cancel the move".
            if (moving)
                question += u"  No moves only this one and keeps its repeats."_s;
            if (!sv_.prompts.YesNo(question))
                count = 0;
        }
    } else {
        gridNonday_.deleteBodyRow(row);
        todoChanged();
    }
    if (count > 0)
        store_.removeRepeats(d, category, notes, done);
    if (writeBack) {
        reportSave(store_.path(), store_.writeToStore(d, gridDay_));
        ColorAllCalendars(false);
    }
    listsChanged();
    if (dayList)
        selectDayRow(std::min(row, std::max(1, gridDay_.rowCount() - 1)));
    if (count > 0)
        ColorAllCalendars(true);
}

void TfrmMain::ToolButton15Click()
{
    const UndoStep step(*this, u"Toggle alarm"_s);
    const int row = selectedRow(tvDay_, 1);
    if (!rowHoldsTask(true, row))
        return;
    const bool on = gridDay_.cellUtf8(kDayAlarm, row) == "Yes";
    // Without a time of day there is no minute for an alarm to ring in (the
    // editor's switch says the same); switching one off is always allowed.
    if (DateValue time = 0; !on && !StrToTime(gridDay_.cell(kDayTime, row), fs_, &time)) {
        sv_.prompts.InfoBox(u"An alarm needs a time of day; this task's time is \"%1\"."_s.arg(
            gridDay_.cell(kDayTime, row)));
        return;
    }
    gridDay_.setCell(kDayAlarm, row, on ? u"No"_s : u"Yes"_s);
    reportSave(store_.path(), store_.writeToStore(DayNumber(selectedDay()), gridDay_));
    dayModel_->reload();
    tvDay_->setCurrentIndex(dayModel_->index(row - 1, 0));
}

void TfrmMain::cal1CellDblClick()
{
    if (!gridDay_.cellEmpty(kDayTime, 1))
        btEditClick(Sender::tbEdit1);
    else
        btAddClick(Sender::tbAdd1);
}

}  // namespace morvane
