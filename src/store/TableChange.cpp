#include "TableChange.h"

#include <QHashFunctions>

#include <algorithm>

namespace morvane {

namespace {

bool sameRow(const Grid &a, int ra, const Grid &b, int rb, int cols)
{
    for (int c = 0; c < cols; ++c)
        if (a.cellUtf8(c, ra) != b.cellUtf8(c, rb))
            return false;
    return true;
}

void copyRow(const Grid &from, int fromRow, Grid &to, int toRow, int cols)
{
    for (int c = 0; c < cols; ++c)
        if (const QByteArrayView cell = from.cellUtf8(c, fromRow); !cell.isEmpty())
            to.setCellUtf8(c, toRow, cell);
}

}  // namespace

std::uint64_t TableDigest(const Grid &t)
{
    std::size_t h = qHashMulti(0, t.colCount(), t.rowCount());
    // Every cell counts, empty or not (a cleared row and a row never
    // written are the same row), with its column in the seed, so that text
    // moved from one cell into its neighbour changes the fingerprint.
    for (int r = 0; r < t.rowCount(); ++r)
        for (int c = 0; c < t.colCount(); ++c)
            h = qHash(t.cellUtf8(c, r), h ^ (std::size_t(c) + 1) * 0x9E3779B97F4A7C15ull);
    return h;
}

TableChange::Side TableChange::sideOf(const Grid &table, std::vector<int> at)
{
    Side s;
    s.cols = table.colCount();
    s.rowCount = table.rowCount();
    for (int c = 0; c < s.cols; ++c)
        s.widths.push_back(table.colWidth(c));
    s.digest = TableDigest(table);
    s.rows = Grid(s.cols, std::max<int>(1, int(at.size())));
    for (std::size_t i = 0; i < at.size(); ++i)
        copyRow(table, at[i], s.rows, int(i), s.cols);
    s.at = std::move(at);
    return s;
}

TableChange TableChange::between(const Grid &before, const Grid &after, Less less)
{
    const int n = before.rowCount(), m = after.rowCount();
    const int cols = std::max(before.colCount(), after.colCount());
    auto same = [&](int i, int j) { return sameRow(before, i, after, j, cols); };

    int prefix = 0;
    while (prefix < n && prefix < m && same(prefix, prefix))
        ++prefix;
    int suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix && same(n - 1 - suffix, m - 1 - suffix))
        ++suffix;

    // Rows of the middle that are the same in both states stay where they
    // are; every other row is taken out or put in. Any pairing of equal rows
    // in the same order rebuilds the tables exactly, so a table that is not
    // in order costs only a larger change, never a wrong one.
    std::vector<int> out, in;
    int i = prefix, j = prefix;
    const int endB = n - suffix, endA = m - suffix;
    if (less) {
        while (i < endB && j < endA) {
            if (same(i, j)) {
                ++i;
                ++j;
            } else if (less(before.row(i), after.row(j))) {
                out.push_back(i++);
            } else if (less(after.row(j), before.row(i))) {
                in.push_back(j++);
            } else {
                out.push_back(i++);
                in.push_back(j++);
            }
        }
    }
    for (; i < endB; ++i)
        out.push_back(i);
    for (; j < endA; ++j)
        in.push_back(j);

    TableChange change;
    change.before_ = sideOf(before, std::move(out));
    change.after_ = sideOf(after, std::move(in));
    return change;
}

bool TableChange::empty() const
{
    return before_.at.empty() && after_.at.empty() && before_.rowCount == after_.rowCount &&
           before_.cols == after_.cols;
}

std::size_t TableChange::bytes() const
{
    std::size_t n = sizeof(TableChange);
    for (const Side *s : {&before_, &after_}) {
        n += s->at.size() * (sizeof(int) + 16);
        for (std::size_t i = 0; i < s->at.size(); ++i)
            for (int c = 0; c < s->cols; ++c)
                n += std::size_t(s->rows.cellUtf8(c, int(i)).size()) + 8;
    }
    return n;
}

Grid TableChange::rebuild(const Grid &from, const Side &fromSide, const Side &toSide)
{
    Grid to(toSide.cols, toSide.rowCount);
    for (int c = 0; c < toSide.cols && c < int(toSide.widths.size()); ++c)
        to.setColWidth(c, toSide.widths[std::size_t(c)]);
    // The rows both states share come from the table in hand, in order,
    // skipping the ones this side of the change put there; the others come
    // from the change.
    std::size_t skip = 0, take = 0;
    int kept = 0;
    for (int r = 0; r < toSide.rowCount; ++r) {
        if (take < toSide.at.size() && toSide.at[take] == r) {
            copyRow(toSide.rows, int(take++), to, r, toSide.cols);
            continue;
        }
        while (skip < fromSide.at.size() && fromSide.at[skip] == kept) {
            ++skip;
            ++kept;
        }
        copyRow(from, kept++, to, r, std::min(toSide.cols, from.colCount()));
    }
    return to;
}

}  // namespace morvane
