#include "SyncFeed.h"

#include "SyncJournal.h"
#include "SyncTables.h"
#include "TaskTables.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace morvane {

std::vector<SyncTask> DatedTasksOfRows(const Grid &rows) { return TasksOf(rows, Grid(), 0, true, false); }

std::vector<SyncTask> TodoTasksOfRows(const Grid &rows) { return TasksOf(Grid(), rows, 0, false, true); }

std::vector<SyncTask> CompletedTasksOfRows(const Grid &rows) { return CompletedTasksOf(rows, 0); }

namespace {

// Kinds one task can have before and after one command.
bool kindsPair(SyncTask::Kind a, SyncTask::Kind b)
{
    using K = SyncTask::Kind;
    return a == b || (a == K::Todo && b == K::Completed) || (a == K::Completed && b == K::Todo);
}

}  // namespace

std::vector<TaskEdit> TaskEditsBetween(std::vector<SyncTask> out, std::vector<SyncTask> in)
{
    // Equal content out and in: moved, not changed.
    QHash<QByteArray, int> inCount;
    for (const SyncTask &t : in)
        ++inCount[t.key()];
    std::vector<SyncTask> gone;
    QHash<QByteArray, int> cancelled;
    for (SyncTask &t : out) {
        int &n = inCount[t.key()];
        if (n > 0) {
            --n;
            ++cancelled[t.key()];
        } else {
            gone.push_back(std::move(t));
        }
    }
    std::vector<SyncTask> came;
    for (SyncTask &t : in) {
        int &n = cancelled[t.key()];
        if (n > 0)
            --n;
        else
            came.push_back(std::move(t));
    }
    std::vector<TaskEdit> edits;
    std::vector<bool> goneUsed(gone.size()), cameUsed(came.size());
    auto pair = [&](auto &&alike) {
        for (std::size_t c = 0; c < came.size(); ++c) {
            if (cameUsed[c])
                continue;
            for (std::size_t g = 0; g < gone.size(); ++g) {
                if (goneUsed[g] || !kindsPair(gone[g].kind, came[c].kind) || !alike(gone[g], came[c]))
                    continue;
                edits.push_back({gone[g], came[c]});
                goneUsed[g] = cameUsed[c] = true;
                break;
            }
        }
    };
    pair([](const SyncTask &a, const SyncTask &b) {
        return a.task.category == b.task.category && a.task.notes == b.task.notes;
    });
    pair([](const SyncTask &a, const SyncTask &b) {
        return a.kind == SyncTask::Kind::Dated && b.kind == a.kind && a.day == b.day;
    });
    for (const SyncTask::Kind kind : {SyncTask::Kind::Dated, SyncTask::Kind::Todo, SyncTask::Kind::Completed}) {
        int left = 0, right = 0;
        for (std::size_t g = 0; g < gone.size(); ++g)
            left += !goneUsed[g] && gone[g].kind == kind;
        for (std::size_t c = 0; c < came.size(); ++c)
            right += !cameUsed[c] && came[c].kind == kind;
        if (left == 1 && right == 1)
            pair([kind](const SyncTask &a, const SyncTask &b) { return a.kind == kind && b.kind == kind; });
    }
    for (std::size_t g = 0; g < gone.size(); ++g)
        if (!goneUsed[g])
            edits.push_back({gone[g], std::nullopt});
    for (std::size_t c = 0; c < came.size(); ++c)
        if (!cameUsed[c])
            edits.push_back({std::nullopt, came[c]});
    return edits;
}

bool RecordTaskEdits(SyncJournal &journal, const std::vector<TaskEdit> &edits)
{
    if (edits.empty())
        return true;
    const QString calendars[3] = {QString::fromUtf8(journal.value(u"calendar:E"_s)),
                                  QString::fromUtf8(journal.value(u"calendar:T"_s)),
                                  QString::fromUtf8(journal.value(u"calendar:C"_s))};
    auto calendarOf = [&](SyncTask::Kind k) {
        return calendars[k == SyncTask::Kind::Todo ? 1 : k == SyncTask::Kind::Completed ? 2 : 0];
    };
    std::vector<JournalItem> items = journal.items();
    auto find = [&](const QByteArray &key) -> JournalItem * {
        JournalItem *any = nullptr;
        for (JournalItem &j : items)
            if (j.local && *j.local == key) {
                if (!j.apply)
                    return &j;
                any = any ? any : &j;
            }
        return any;
    };
    // A task that left one calendar for another is removed from the first
    // and new in the second.
    std::vector<TaskEdit> split;
    for (const TaskEdit &e : edits) {
        if (e.before && e.after && calendarOf(e.before->kind) != calendarOf(e.after->kind)) {
            split.push_back({e.before, std::nullopt});
            split.push_back({std::nullopt, e.after});
        } else {
            split.push_back(e);
        }
    }
    if (!journal.begin())
        return false;
    bool ok = true;
    for (const TaskEdit &e : split) {
        const SyncTask &any = e.after ? *e.after : *e.before;
        const QString calendar = calendarOf(any.kind);
        if (calendar.isEmpty())
            continue;
        JournalItem *j = e.before ? find(e.before->key()) : nullptr;
        if (e.after) {
            if (j) {
                j->local = e.after->key();
                j->kind = char(e.after->kind);
                ok = ok && journal.update(*j);
            } else {
                JournalItem added;
                added.kind = char(any.kind);
                added.calendar = calendar;
                added.local = e.after->key();
                ok = ok && journal.insert(added);
                items.push_back(added);
            }
        } else if (j) {
            if (j->href.isEmpty()) {
                ok = ok && journal.remove(j->id);
                j->local.reset();
            } else {
                j->local.reset();
                ok = ok && journal.update(*j);
            }
        }
    }
    if (!ok || !journal.commit()) {
        journal.rollback();
        return false;
    }
    return true;
}

}  // namespace morvane
