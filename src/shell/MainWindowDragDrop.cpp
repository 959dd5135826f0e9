// Moving tasks with the mouse: from a list onto a calendar day, onto the
// other list, or to another row of the same list.

#include "MainWindow.h"

#include "GridTableModel.h"
#include "MonthCalendar.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// The drag carries which list it came from, in a type of our own so that
// nothing else's drops are taken for tasks.
const QString kTaskMime = u"application/x-morvane-task-list"_s;

}  // namespace

void TfrmMain::setUpDragDrop()
{
    for (QTableView *v : {tvDay_, tvNonday_})
        v->viewport()->setAcceptDrops(true);
    for (MonthCalendar *c : cal_)
        c->setAcceptDrops(true);
}

bool TfrmMain::dragEvent(QObject *watched, QEvent *e)
{
    QTableView *list = watched == tvDay_->viewport() ? tvDay_ : watched == tvNonday_->viewport() ? tvNonday_ : nullptr;
    int cal = -1;
    for (int i = 0; i < 4; ++i)
        if (watched == cal_[std::size_t(i)])
            cal = i;
    if (!list && cal < 0)
        return false;
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        // A drag starts only once the mouse moves with the button held, so a
        // click still selects and a double-click still edits.
        auto *m = static_cast<QMouseEvent *>(e);
        dragFrom_ = nullptr;
        if (list && m->button() == Qt::LeftButton && list->indexAt(m->position().toPoint()).isValid() &&
            list->model()->rowCount() >= 1) {
            dragFrom_ = list;
            dragStart_ = m->position().toPoint();
        }
        return false;
    }
    case QEvent::MouseButtonDblClick:
        dragFrom_ = nullptr;
        return false;
    case QEvent::MouseMove: {
        auto *m = static_cast<QMouseEvent *>(e);
        if (!list || list != dragFrom_ || !(m->buttons() & Qt::LeftButton) ||
            (m->position().toPoint() - dragStart_).manhattanLength() < QApplication::startDragDistance())
            return false;
        dragFrom_ = nullptr;
        auto *data = new QMimeData;
        data->setData(kTaskMime, list == tvDay_ ? "day" : "todo");
        auto *drag = new QDrag(list);
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction);
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *d = static_cast<QDropEvent *>(e);
        bool ok = d->mimeData()->hasFormat(kTaskMime);
        if (ok && list)
            ok = list->indexAt(d->position().toPoint()).isValid();  // over a body row
        if (ok)
            d->acceptProposedAction();
        else
            d->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *d = static_cast<QDropEvent *>(e);
        if (!d->mimeData()->hasFormat(kTaskMime))
            return false;
        const bool fromDay = d->mimeData()->data(kTaskMime) == "day";
        const QPoint at = d->position().toPoint();
        d->acceptProposedAction();
        guard([&] {
            if (list) {
                const QModelIndex index = list->indexAt(at);
                gridDayDragDrop(fromDay, list == tvDay_, index.isValid() ? index.row() + 1 : 0);
            } else {
                MonthCalendar *c = cal_[std::size_t(cal)];
                const int cell = c->cellAt(at);
                if (cell > 0)
                    cal1DragDrop(cal, fromDay, c->dateOfCell(cell));
            }
        });
        return true;
    }
    default:
        return false;
    }
}

int TfrmMain::selectedRow(const QTableView *list, int none)
{
    return list->currentIndex().isValid() ? list->currentIndex().row() + 1 : none;
}

bool TfrmMain::rowHoldsTask(bool dayList, int row) const
{
    const Grid &g = dayList ? gridDay_ : gridNonday_;
    if (row < 1 || row >= g.rowCount())
        return false;
    return dayList ? !g.cellEmpty(kDayTime, row) : TodoRowHoldsTask(g, row);
}

void TfrmMain::gridDayDragDrop(bool fromDay, bool toDay, int row)
{
    const UndoStep step(*this, u"Move task"_s);
    QTableView *source = fromDay ? tvDay_ : tvNonday_;
    QTableView *target = toDay ? tvDay_ : tvNonday_;
    const int selected = selectedRow(source, 0);
    if (fromDay != toDay) {
        if (!rowHoldsTask(fromDay, selected))
            return;
        if (options_.dragConfirm &&
            !sv_.prompts.YesNo(fromDay ? u"Really move task between grids?  You will lose the Time and Alarm fields."_s
                                       : u"Really move task between grids?"_s))
            return;
        if (row < 1)
            return;
        Grid &from = fromDay ? gridDay_ : gridNonday_;
        Grid &to = toDay ? gridDay_ : gridNonday_;
        const QString category = from.cell(fromDay ? int(kDayCategory) : int(kTodoCategory), selected);
        const QString notes = from.cell(fromDay ? int(kDayNotes) : int(kTodoNotes), selected);
        const QString done = from.cell(fromDay ? int(kDayDone) : int(kTodoDone), selected);
        to.insertRows(std::min(row, to.rowCount()), 1);
        const int at = std::min(row, to.rowCount() - 1);
        if (toDay) {
            to.setCell(kDayTime, at, TaskTimeText(ToDateValue(sv_.clock.now()), fs_));
            to.setCell(kDayCategory, at, category);
            to.setCell(kDayNotes, at, notes);
            to.setCell(kDayDone, at, done);
            to.setCell(kDayAlarm, at, u"No"_s);
        } else {
            to.setCell(kTodoCategory, at, category);
            to.setCell(kTodoNotes, at, notes);
            to.setCell(kTodoDone, at, done);
        }
        from.deleteBodyRow(selected);
        todoChanged();
        if (toDay)
            keepPersonsDayOrder();
    } else {
        if (row < 1)
            return;
        if (row != selected && rowHoldsTask(fromDay, selected)) {
            (fromDay ? gridDay_ : gridNonday_).moveRow(selected, row);
            if (fromDay)
                keepPersonsDayOrder();
            else
                todoChanged();
        }
    }
    reportSave(store_.path(), store_.writeToStore(DayNumber(selectedDay()), gridDay_));
    ColorAllCalendars(false);
    listsChanged();
    if (target->model()->rowCount() > 0)
        target->setCurrentIndex(target->model()->index(std::max(0, row - 1), 0));
    if (toDay || fromDay)
        DrawExtraMemo();
}

void TfrmMain::cal1DragDrop(int cal, bool fromDay, const QDate &target)
{
    const UndoStep step(*this, moveStepName(target));
    QTableView *source = fromDay ? tvDay_ : tvNonday_;
    const int selected = selectedRow(source, 0);
    if (!rowHoldsTask(fromDay, selected))
        return;
    if (options_.dragConfirm && !sv_.prompts.YesNo(u"Really move task?"_s))
        return;
    const int previous = current_;
    const QDate oldDay = selectedDay();
    StoredTask task;
    if (fromDay) {
        task = {gridDay_.cell(kDayTime, selected), gridDay_.cell(kDayCategory, selected),
                gridDay_.cell(kDayNotes, selected), gridDay_.cell(kDayDone, selected), gridDay_.cell(kDayAlarm, selected)};
    } else {
        task = {TaskTimeText(ToDateValue(sv_.clock.now()), fs_), gridNonday_.cell(kTodoCategory, selected),
                gridNonday_.cell(kTodoNotes, selected), gridNonday_.cell(kTodoDone, selected), u"No"_s};
    }
    // The task leaves its list (a dated one with its repeats, if the person
    // says so), then goes to the day it was dropped on, listed first there.
    deleteEntry(fromDay, true, oldDay, true);
    (void)store_.insertTask(DayNumber(target), task);
    reportSave(store_.path(), store_.SortGridStore());
    // The calendar dropped on becomes the current one, showing that day.
    current_ = cal;
    cal_[std::size_t(cal)]->setDate(target);
    current_ = previous;
    cal1Click(cal);
    cal1DateChange();
    ColorAllCalendars(true);
}

}  // namespace morvane
