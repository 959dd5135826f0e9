#pragma once
// Following a recurrence rule (RRULE) over a window of days, with a ceiling
// on the work it may take.
//
// libical's own iterator walks every occurrence from the event's start, and
// one of its steps can take seconds when the rule's parts exclude nearly
// every candidate (FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30 searches for centuries
// inside a single step, and nothing outside can stop it). This walker starts
// at the window when the rule does not count its occurrences, passes over a
// day the rule excludes in one step, and counts every step it takes, so that
// a rule costs time in proportion to the occurrences it yields in the window
// and never more than the ceiling it is given.
//
// Occurrences are wall-clock times of the start's own zone, as libical
// gives them; the caller converts them.

#include "IcsLibical.h"

#include <QDate>

#include <atomic>
#include <vector>

namespace morvane {

struct IcsRuleWalk {
    std::vector<icaltimetype> times;  // in order; the start's zone and date-ness
    bool unsupported = false;         // a rule this walker does not follow (another calendar scale)
    bool cutShort = false;            // the ceiling was reached before the rule or the window ended
    QDate reached;                    // when cut short: the last day the walk came to
    qint64 work = 0;                  // steps taken
};

// The occurrences of `rule` for an event beginning at `start` whose days lie
// in [first, last], by the start's clock, taking at most `maxWork` steps.
// COUNT counts what the rule yields, as libical does: a start the rule does
// not yield is no occurrence of it (the caller adds the start). A UNTIL in
// UTC is turned into the start's clock by the start's zone, or, for a start
// without a zone, by adding `floatingUntilOffset` seconds (a time zone's own
// rules are in local time; their UNTIL is in UTC).
IcsRuleWalk WalkIcsRule(const icalrecurrencetype &rule, const icaltimetype &start, QDate first, QDate last,
                        qint64 maxWork, const std::atomic<bool> *cancel = nullptr, int floatingUntilOffset = 0);

}  // namespace morvane
