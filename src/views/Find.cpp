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
    if (s.fresh || (r.fromDay != 0 && r.fromDay != s.day)) {
        // From the day shown: down from its first task, up from its last.
        if (r.fromDay == 0)
            s.findPosition = r.down ? 0 : last;
        else
            s.findPosition = r.down ? FirstRowOnOrAfter(store, r.fromDay) : FirstRowOnOrAfter(store, r.fromDay + 1) - 1;
        s.restartUpFromEnd = s.restartDownFromTop = false;
        s.day = r.fromDay;
        s.found = false;
    }
    s.fresh = false;
    QString note;
    int row = -1;
    if (r.down) {
        if (s.restartDownFromTop)
            s.findPosition = 0;
        s.restartDownFromTop = false;
        note = u"Search reset to first task date"_s;
        for (; s.findPosition <= last; ++s.findPosition) {
            if (matches(store, filter, s.findPosition, r)) {
                row = s.findPosition++;
                break;
            }
        }
    } else {
        if (s.restartUpFromEnd)
            s.findPosition = last;
        s.restartUpFromEnd = false;
        note = u"Search reset to last task date"_s;
        for (; s.findPosition > 0; --s.findPosition) {
            if (matches(store, filter, s.findPosition, r)) {
                row = s.findPosition--;
                break;
            }
        }
    }
    if (row >= 0) {
        s.found = true;
        s.foundFor = r;
        if (r.fromDay != 0)
            s.day = KeyDay(store.cellUtf8(kStoreKey, row));  // the window goes to it
        return {row, {}, false};
    }
    if (r.down) {
        s.findPosition = 0;
        s.restartUpFromEnd = true;
    } else {
        s.findPosition = last;
        s.restartDownFromTop = true;
    }
    // After matches the end of the run is no failure; without any, the rest
    // of the store decides whether the text is anywhere at all.
    bool nowhere = !s.found || !s.foundFor.sameSearch(r);
    for (int i = 1; nowhere && i <= last; ++i)
        nowhere = !matches(store, filter, i, r);
    s.found = false;
    return {-1, u"Could not find \"%1\" in any calendar task. %2"_s.arg(r.text, note), nowhere};
}

}  // namespace morvane
