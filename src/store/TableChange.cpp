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

TableChange TableChange::reversed() const
{
    TableChange r;
    r.before_ = after_;
    r.after_ = before_;
    return r;
}

namespace {

// One side of a change seen from the table it started from: the rows it
// took out (ascending), and for each row it put in, how many of the rows it
// kept come before it (ascending too). All the sums below are counts over
// these short lists, so carrying a change costs what it holds, not the table.
struct Moves {
    const std::vector<int> &out;
    std::vector<int> anchor;

    Moves(const std::vector<int> &taken, const std::vector<int> &putAt) : out(taken)
    {
        anchor.reserve(putAt.size());
        for (std::size_t j = 0; j < putAt.size(); ++j)
            anchor.push_back(putAt[j] - int(j));
    }
    int outBefore(int x) const { return int(std::lower_bound(out.begin(), out.end(), x) - out.begin()); }
    // Where row x of the first table, kept, stands in the table made.
    int placeOf(int x) const
    {
        const int rank = x - outBefore(x);
        return rank + int(std::upper_bound(anchor.begin(), anchor.end(), rank) - anchor.begin());
    }
    // The first table's row that is the c-th row kept (the table's length
    // when c counts them all).
    int keptRow(int c) const
    {
        // out[i] - i rises with i: it counts the kept rows before out[i].
        int lo = 0, hi = int(out.size());
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (out[std::size_t(mid)] - mid <= c)
                lo = mid + 1;
            else
                hi = mid;
        }
        return c + lo;
    }
};

bool anyShared(const std::vector<int> &a, const std::vector<int> &b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j])
            return true;
        if (a[i] < b[j])
            ++i;
        else
            ++j;
    }
    return false;
}

}  // namespace

std::optional<std::pair<TableChange, TableChange>> TableChange::rebase(const TableChange &a, const TableChange &d,
                                                                       Less less)
{
    const int n = a.before_.rowCount;
    const int cols = a.before_.cols;
    if (d.before_.rowCount != n || a.after_.cols != cols || d.before_.cols != cols || d.after_.cols != cols)
        return std::nullopt;
    if (a.before_.digest && d.before_.digest && *a.before_.digest != *d.before_.digest)
        return std::nullopt;
    const std::vector<int> &outA = a.before_.at, &outD = d.before_.at;
    const std::size_t na = a.after_.at.size(), nd = d.after_.at.size();
    // The changes must fit the table, and may not take out (or change) the
    // same row.
    if (a.after_.rowCount != n - int(outA.size()) + int(na) || d.after_.rowCount != n - int(outD.size()) + int(nd) ||
        (!outA.empty() && outA.back() >= n) || (!outD.empty() && outD.back() >= n) || anyShared(outA, outD))
        return std::nullopt;
    const Moves movesA(outA, a.after_.at), movesD(outD, d.after_.at);

    // A row put in after c of the rows its change kept goes, in the table
    // both make, after as many of those c rows as the other change kept too.
    auto gapOf = [](const Moves &own, const std::vector<int> &otherOut, int c) {
        const int end = own.keptRow(c);
        return c - int(std::lower_bound(otherOut.begin(), otherOut.end(), end) - otherOut.begin());
    };
    std::vector<int> madeA(na), madeD(nd);
    std::size_t ia = 0, id = 0;
    int gapA = na ? gapOf(movesA, outD, movesA.anchor[0]) : 0;
    int gapD = nd ? gapOf(movesD, outA, movesD.anchor[0]) : 0;
    while (ia < na || id < nd) {
        bool takeD;
        if (ia == na)
            takeD = true;
        else if (id == nd)
            takeD = false;
        else if (gapA != gapD)
            takeD = gapD < gapA;
        else
            takeD = less && less(d.after_.rows.row(int(id)), a.after_.rows.row(int(ia)));
        // Its place: the rows both kept before its gap, and every row put in
        // before it.
        const int place = (takeD ? gapD : gapA) + int(ia + id);
        if (takeD) {
            madeD[id++] = place;
            if (id < nd)
                gapD = gapOf(movesD, outA, movesD.anchor[id]);
        } else {
            madeA[ia++] = place;
            if (ia < na)
                gapA = gapOf(movesA, outD, movesA.anchor[ia]);
        }
    }
    const int rowsMade = n - int(outA.size()) - int(outD.size()) + int(na + nd);

    // `own` carried over `other`: it starts from the table `other` made, and
    // ends in the one both make (whose widths are those `a` left).
    auto carried = [&](const TableChange &own, const TableChange &other, const Moves &otherMoves,
                       std::vector<int> made) {
        TableChange c;
        c.before_ = own.before_;
        c.before_.rowCount = other.after_.rowCount;
        c.before_.widths = other.after_.widths;
        c.before_.digest = other.after_.digest;
        c.before_.at.clear();
        for (int x : own.before_.at)
            c.before_.at.push_back(otherMoves.placeOf(x));
        c.after_ = own.after_;
        c.after_.rowCount = rowsMade;
        c.after_.widths = a.after_.widths;
        c.after_.digest.reset();
        c.after_.at = std::move(made);
        return c;
    };
    return std::make_pair(carried(a, d, movesD, std::move(madeA)), carried(d, a, movesA, std::move(madeD)));
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
