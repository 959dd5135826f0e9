#pragma once
// The summary that opens over the day list when the mouse rests on a day of
// the calendars: the day's tasks, pending first, then completed, each as its
// time, a tab and the first line of its notes; and the countdown of timer
// ticks that decides when it opens.

#include "TaskTables.h"

#include <QPoint>
#include <QStringList>

namespace morvane {

// The lines of the list for a day: tasks the filter shows, in store order.
QStringList PopupLines(const Grid &store, int day, const TaskFilter &filter);

// The hover countdown. Ticks come every 120 ms; the panel opens after ten
// ticks on a new cell, after two when it is open already and the mouse moved
// on slowly.
class PopupHover {
public:
    // The mouse moved over a calendar, now over cell `cell` (0 for none).
    // Returns true when the panel must be hidden.
    bool mouseMove(int cell, const QPoint &pos, bool panelVisible);
    // One tick; true when the panel must be filled and shown now.
    bool tick();
    int cell() const { return cell_; }
    int countdown() const { return countdown_; }
    void reset() { cell_ = 0; countdown_ = 0; }

private:
    int cell_ = 0;
    QPoint pos_;
    bool havePos_ = false;
    int countdown_ = 0;
};

}  // namespace morvane
