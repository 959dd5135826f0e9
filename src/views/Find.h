#pragma once
// Find: one step through the dated tasks' notes, down (later days) or up
// (earlier days) in store order, starting where the last step stopped.

#include "TaskTables.h"

#include <QString>

namespace morvane {

struct FindState {
    int findPosition = 0;            // store row the next step starts at
    bool restartUpFromEnd = false;   // a downward step found nothing
    bool restartDownFromTop = false; // an upward step found nothing
    bool fresh = true;               // no step since the search was opened
};

struct FindRequest {
    QString text;
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

// The matching store row, or -1 with the message for the person. A row
// matches when the filter shows it and its notes hold the text.
struct FindResult {
    int row = -1;
    QString notFound;
};
FindResult FindStep(const Grid &store, const TaskFilter &filter, FindState &state, const FindRequest &request);

}  // namespace morvane
