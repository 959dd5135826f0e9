#pragma once
// What one command did to a table, kept small enough to hold a hundred of:
// the rows it took out and the rows it put in, each with its place, rather
// than copies of the whole table. Going back (or forward again) rebuilds the
// table from the one in hand and those rows, and is allowed only while the
// table in hand is exactly as the change left it (or found it), so that a
// table changed in between is never patched into nonsense.

#include "Grid.h"

#include <cstdint>
#include <vector>

namespace morvane {

// A fingerprint of a table's size and cells (not its column widths, which
// follow the window and are no change to the tasks).
std::uint64_t TableDigest(const Grid &table);

class TableChange {
public:
    using Less = bool (*)(Grid::RowRef, Grid::RowRef);

    // The change that turned `before` into `after`. With `less`, the order
    // both tables keep, a change spread thinly over a large sorted table (a
    // task and its weekly repeats, an import) is found row by row instead of
    // as one span from its first row to its last. Whatever the tables hold,
    // the change found always rebuilds them exactly.
    static TableChange between(const Grid &before, const Grid &after, Less less = nullptr);

    // No row was taken out, put in or changed.
    bool empty() const;
    // The memory the change holds, roughly.
    std::size_t bytes() const;
    int rowsTakenOut() const { return int(before_.at.size()); }
    int rowsPutIn() const { return int(after_.at.size()); }
    // Those rows themselves, one table row each (row 0 too), in table order:
    // what the sync journal is told a command did.
    const Grid &rowsOut() const { return before_.rows; }
    const Grid &rowsIn() const { return after_.rows; }

    bool isAsAfter(const Grid &table) const { return TableDigest(table) == after_.digest; }
    bool isAsBefore(const Grid &table) const { return TableDigest(table) == before_.digest; }
    // The table as it was before the change, made from the table as the
    // change left it; and the reverse. The column widths are those each
    // state had.
    Grid before(const Grid &after) const { return rebuild(after, after_, before_); }
    Grid after(const Grid &before) const { return rebuild(before, before_, after_); }

private:
    // One state of the table: its shape and the rows that differ from the
    // other state, by their index in this state.
    struct Side {
        int cols = 1;
        int rowCount = 1;
        std::vector<int> widths;
        std::uint64_t digest = 0;
        std::vector<int> at;  // ascending
        Grid rows;            // row i holds the table's row at[i]
    };
    static Side sideOf(const Grid &table, std::vector<int> at);
    static Grid rebuild(const Grid &from, const Side &fromSide, const Side &toSide);

    Side before_, after_;
};

}  // namespace morvane
