#include "Find.h"

#include "Utility.h"

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

bool matches(const Grid &store, const TaskFilter &filter, int row, const FindRequest &r)
{
    if (row < 1 || row >= store.rowCount() || store.cellEmpty(kStoreKey, row))
        return false;
    if (!filter.passes(store.cellUtf8(kStoreDone, row), store.cellUtf8(kStoreCategory, row)))
        return false;
    return TextMatches(store.cell(kStoreNotes, row), r.wholeWord, r.matchCase, r.text);
}

}  // namespace

FindResult FindStep(const Grid &store, const TaskFilter &filter, FindState &s, const FindRequest &r)
{
    const int last = store.rowCount() - 1;
    const bool fresh = s.fresh;
    s.fresh = false;
    QString note;
    if (r.down) {
        if (s.restartDownFromTop)
            s.findPosition = 0;
        s.restartDownFromTop = false;
        note = u"Search reset to first task date"_s;
        for (; s.findPosition <= last; ++s.findPosition) {
            if (matches(store, filter, s.findPosition, r))
                return {s.findPosition++, {}};
        }
    } else {
        // An upward search started afresh (at row 0, the header) begins at
        // the last task, not with a report that nothing was found.
        if (s.restartUpFromEnd || (fresh && s.findPosition <= 0))
            s.findPosition = last;
        s.restartUpFromEnd = false;
        note = u"Search reset to last task date"_s;
        for (; s.findPosition > 0; --s.findPosition) {
            if (matches(store, filter, s.findPosition, r))
                return {s.findPosition--, {}};
        }
    }
    if (r.down) {
        s.findPosition = 0;
        s.restartUpFromEnd = true;
    } else {
        s.findPosition = last;
        s.restartDownFromTop = true;
    }
    return {-1, u"Could not find \"%1\" in any calendar task. %2"_s.arg(r.text, note)};
}

}  // namespace morvane
