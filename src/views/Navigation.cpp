#include "Navigation.h"

namespace morvane {

namespace {

int rowDay(const Grid &t, int row) { return KeyDay(t.cellUtf8(kStoreKey, row)); }


bool highlights(const Grid &t, int row, Highlight h, const TaskFilter &filter)
{
    const QByteArrayView done = t.cellUtf8(kStoreDone, row);
    const bool yes = done == "Yes", no = done == "No";
    if (!((h.wantDone && yes) || (h.wantNotDone && no)))
        return false;
    return filter.passes(done, t.cellUtf8(kStoreCategory, row));
}

}  // namespace

int NextHighlightedDay(const Grid &store, int day, Highlight h, const TaskFilter &filter)
{
    if (!h.wantDone && !h.wantNotDone)
        return day;
    for (int r = FirstRowOnOrAfter(store, day + 1); r < store.rowCount(); ++r)
        if (highlights(store, r, h, filter))
            return rowDay(store, r);
    return day;
}

int PriorHighlightedDay(const Grid &store, int day, Highlight h, const TaskFilter &filter)
{
    if (!h.wantDone && !h.wantNotDone)
        return day;
    for (int r = FirstRowOnOrAfter(store, day) - 1; r >= 1; --r)
        if (highlights(store, r, h, filter))
            return rowDay(store, r);
    return day;
}

QDate StepMonths(const QDate &date, int months)
{
    // QDate::addMonths already keeps the day within the new month.
    return date.addMonths(months);
}

}  // namespace morvane
