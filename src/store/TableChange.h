#pragma once
// What one command did to a table, kept small enough to hold a hundred of:
// the rows it took out and the rows it put in, each with its place, rather
// than copies of the whole table. Going back (or forward again) rebuilds the
// table from the one in hand and those rows, and is allowed only while the
// table in hand is exactly as the change left it (or found it), so that a
// table changed in between is never patched into nonsense.

#include "Grid.h"

#include <cstdint>
#include <optional>
#include <utility>
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

    // A state whose fingerprint is not known (one carried over another
    // change, see rebase) is never recognised here: its holder knows it.
    bool isAsAfter(const Grid &table) const { return after_.digest && TableDigest(table) == *after_.digest; }
    bool isAsBefore(const Grid &table) const { return before_.digest && TableDigest(table) == *before_.digest; }
    std::optional<std::uint64_t> digestBefore() const { return before_.digest; }
    std::optional<std::uint64_t> digestAfter() const { return after_.digest; }
    // The same change the other way round.
    TableChange reversed() const;

    // Two changes made to one table independently, `a` turning it into A
    // and `d` into D: `a` carried over `d` (turning D into the table both
    // made) and `d` carried over `a` (turning A into it). Each row either
    // took out stays out, each row either put in goes in, and rows the two
    // put into the same place keep the order `less` gives them (when it is
    // given; else those of `a` come first). None when both took out or
    // changed the same row, or when they do not start from the same table:
    // then one cannot be had without undoing the other. The table both made
    // is not built, so its fingerprint is not known.
    static std::optional<std::pair<TableChange, TableChange>> rebase(const TableChange &a, const TableChange &d,
                                                                     Less less = nullptr);
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
        std::optional<std::uint64_t> digest;
        std::vector<int> at;  // ascending
        Grid rows;            // row i holds the table's row at[i]
    };
    static Side sideOf(const Grid &table, std::vector<int> at);
    static Grid rebuild(const Grid &from, const Side &fromSide, const Side &toSide);

    Side before_, after_;
};

}  // namespace morvane
