#include "PopupSummary.h"

#include "Utility.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace morvane {

QStringList PopupLines(const Grid &store, int day, const TaskFilter &filter)
{
    QStringList pending, done;
    const int first = FindDayRow(store, day, true, filter);
    if (first < 0)
        return {};
    for (int r = first; r < store.rowCount() && KeyDay(store.cellUtf8(kStoreKey, r)) == day; ++r) {
        if (!filter.rowPasses(store, r))
            continue;
        const QString line = store.cell(kStoreTime, r) + u'\t' + FirstLine(ShownText(store.cellUtf8(kStoreNotes, r)));
        (store.cellUtf8(kStoreDone, r) == "Yes" ? done : pending).append(line);
    }
    QStringList out;
    if (!pending.isEmpty())
        out << u"%1\t Pending tasks"_s.arg(pending.size()) << QString() << pending;
    if (!done.isEmpty()) {
        if (!pending.isEmpty())
            out << QString();
        out << u"%1\t Completed tasks"_s.arg(done.size()) << QString() << done;
    }
    return out;
}

bool PopupHover::mouseMove(int cell, const QPoint &pos, bool panelVisible)
{
    bool hide = havePos_ && (std::abs(pos.x() - pos_.x()) > 6 || std::abs(pos.y() - pos_.y()) > 6);
    pos_ = pos;
    havePos_ = true;
    if (cell == cell_)
        return hide;
    cell_ = cell;
    if (panelVisible) {
        countdown_ = 2;
    } else {
        countdown_ = 10;
        hide = true;
    }
    return hide;
}

bool PopupHover::tick()
{
    --countdown_;
    return countdown_ == 0;
}

}  // namespace morvane
