#pragma once
// Find: one step through the dated tasks' notes, down (later days) or up
// (earlier days) in store order, starting where the last step stopped.

#include "TaskTables.h"

#include <QString>

namespace morvane {

struct FindRequest {
    QString text;
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
    // The day shown (a day number). A search starts there, and starts
    // there again when the person has moved to another day since the last
    // step; 0 searches the whole store from its first or last task.
    int fromDay = 0;

    // Whether both look for the same thing, whichever way and from wherever.
    bool sameSearch(const FindRequest &o) const
    {
        return text == o.text && matchCase == o.matchCase && wholeWord == o.wholeWord;
    }
};

struct FindState {
    int findPosition = 0;            // store row the next step starts at
    bool restartUpFromEnd = false;   // a downward step found nothing
    bool restartDownFromTop = false; // an upward step found nothing
    bool fresh = true;               // no step since the search was opened
    int day = 0;                     // the day shown when the last step ended
    bool found = false;              // a match since the search last went round
    FindRequest foundFor;            // ... looking for what
};

// The matching store row, or -1 with the message for the person. A row
// matches when the filter shows it and its notes hold the text. `nowhere`
// tells a text that no task shown holds from the end of a run of matches.
struct FindResult {
    int row = -1;
    QString notFound;
    bool nowhere = false;
};
FindResult FindStep(const Grid &store, const TaskFilter &filter, FindState &state, const FindRequest &request);

}  // namespace morvane
