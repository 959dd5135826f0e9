#pragma once
// The store's change feed into the sync journal: what one command did to
// the task tables (the rows it took out and put in, as its undo step keeps
// them), told as tasks added, changed from what to what, and removed, so a
// task keeps its server copy across an edit instead of being sent as a new
// item with the old one removed.

#include "Grid.h"
#include "SyncTask.h"

#include <optional>
#include <vector>

namespace morvane {

class SyncJournal;

struct TaskEdit {
    std::optional<SyncTask> before, after;  // none: added / removed
};

// The rows out and in of a command, as edits: rows out and in with the same
// content are no change (a sort, a day list written back); of the rest, one
// out and one in of the same kind are one task changed when they share their
// category and notes, or their day, or are the only ones left. A to-do task
// that went into the completed log (or came back out of it) with its
// category and notes is one task too, which both lists' calendar keeps.
std::vector<TaskEdit> TaskEditsBetween(std::vector<SyncTask> out, std::vector<SyncTask> in);

// The tasks in rows of a store-shaped or to-do-shaped grid (as TableChange
// keeps them).
std::vector<SyncTask> DatedTasksOfRows(const Grid &rows);
std::vector<SyncTask> TodoTasksOfRows(const Grid &rows);
std::vector<SyncTask> CompletedTasksOfRows(const Grid &rows);

// Tells the journal, in one transaction; nothing when it is not kept (no
// sync has run in this folder yet). Kinds without a calendar are left out.
bool RecordTaskEdits(SyncJournal &journal, const std::vector<TaskEdit> &edits);

}  // namespace morvane
