#pragma once
// Moving the selected day: the nearest day after or before it that the
// calendars highlight because of its tasks, and the month and year steps.

#include "TaskTables.h"

#include <QDate>

namespace morvane {

// A day is highlighted when one of its tasks that the filter shows is done
// (with `wantDone`) or not done (with `wantNotDone`); holidays and today do
// not count. The store is sorted by day, so one pass from the day on finds
// the nearest one.
struct Highlight {
    bool wantDone = true;
    bool wantNotDone = true;
};

// The first highlighted day after `day`, or `day` itself when there is none.
int NextHighlightedDay(const Grid &store, int day, Highlight h, const TaskFilter &filter);
// The last highlighted day before `day`, or `day` itself.
int PriorHighlightedDay(const Grid &store, int day, Highlight h, const TaskFilter &filter);

// A month or a year on or back, keeping the day of the month but not
// beyond the last day of the new month (29 February becomes 28 February).
QDate StepMonths(const QDate &date, int months);

}  // namespace morvane
