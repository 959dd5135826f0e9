// Requests from a terminal (morvane --add, --todo, --sync) handed to this running
// copy, which alone writes the task files while it runs.

#include "CommandLine.h"
#include "MainWindow.h"

#include <QMetaObject>

using namespace Qt::StringLiterals;

namespace morvane {

QByteArray TfrmMain::answerRequest(const QByteArray &request)
{
    QByteArray answer = "error: the running Morvane did not understand the request";
    guard([&] {
        if (request == "sync") {
            answer = answerSyncRequest();
            return;
        }
        if (!request.startsWith("add "))
            return;
        const std::optional<OutsideTask> task = OutsideTaskFromRequest(request.mid(4));
        if (!task)
            return;
        const QString failed = addOutsideTask(*task);
        answer = failed.isEmpty() ? QByteArray("ok") : "error: " + failed.toUtf8();
    });
    return answer;
}

QString TfrmMain::addOutsideTask(const OutsideTask &task)
{
    const UndoStep step(*this, task.dated ? u"Add task"_s : u"Add to-do task"_s);
    FileResult saved = FileResult::success();
    QString path;
    if (task.dated) {
        const QString time =
            task.time ? TaskTimeText(DateValue(task.time->msecsSinceStartOfDay()) / 86400000.0, fs_) : QString();
        (void)store_.insertTask(DayNumber(task.date), StoredTask{time, task.category, task.notes});
        saved = store_.SortGridStore();
        path = store_.path();
    } else {
        const int row = FirstFreeTodoRow(gridNonday_);
        gridNonday_.setCell(kTodoCategory, row, task.category);
        gridNonday_.setCell(kTodoNotes, row, task.notes);
        gridNonday_.setCell(kTodoDone, row, u"No"_s);
        path = todoPath_;
        if (todoDamaged_) {
            saved = FileResult::failure(
                u"%1 was damaged when it was loaded, so it was not saved over."_s.arg(todoPath_));
        } else {
            keepDailyCopy();
            saved = SaveGridFile(gridNonday_, todoPath_);
        }
    }
    reloadTables();
    if (saved)
        return {};
    // The window says it too, once the terminal has its answer.
    QMetaObject::invokeMethod(
        this, [this, path, saved] { guard([&] { reportSave(path, saved); }); }, Qt::QueuedConnection);
    return u"the running Morvane added the task but could not save it: "_s + saved.message;
}

}  // namespace morvane
