#pragma once
// A table of text cells addressed by column and row from 0, with column
// widths. Row 0 is the header row: it is saved like any row but is never
// sorted or removed.
//
// The cells are kept compactly because a store of a million tasks holds six
// million of them: every cell is an (offset, length) pair into one byte arena
// of UTF-8 text, rows are small indices into blocks of cells, and inserting,
// removing, moving and sorting rows moves only those indices. A loaded grid
// file becomes the arena as it is, so loading copies no cell.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace morvane {

// Plain byte order of two cells (unsigned bytes; a prefix sorts first).
int CompareCellBytes(QByteArrayView a, QByteArrayView b);

class Grid {
public:
    static constexpr int kDefaultColWidth = 64;

    explicit Grid(int cols = 1, int rows = 1);
    Grid(const Grid &other);
    Grid &operator=(const Grid &other);
    Grid(Grid &&other) noexcept;
    Grid &operator=(Grid &&other) noexcept;
    ~Grid();
    void swap(Grid &other) noexcept;

    int colCount() const { return cols_; }
    int rowCount() const { return int(rows_.size()); }
    // Both counts are at least 1. Cells of columns and rows that remain keep
    // their text; new rows and columns are empty.
    void setColCount(int cols);
    void setRowCount(int rows);

    // Out-of-range cells read as empty.
    QString cell(int col, int row) const;
    // The cell's UTF-8 bytes; valid until the grid next changes.
    QByteArrayView cellUtf8(int col, int row) const;
    bool cellEmpty(int col, int row) const { return cellUtf8(col, row).isEmpty(); }
    // Writing outside the table throws std::out_of_range.
    void setCell(int col, int row, QStringView text);
    void setCellUtf8(int col, int row, QByteArrayView utf8);

    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // Inserts n empty rows before row `at` (1 <= at <= rowCount()).
    void insertRows(int at, int n = 1);
    // Removes rows at .. at+n-1; the header row is never removed.
    void removeRows(int at, int n = 1);
    // Removes a body row, but clears it instead when it is the only one: a
    // table always keeps one body row.
    void deleteBodyRow(int row);
    // Moves a body row so that it ends up at index `to`.
    void moveRow(int from, int to);
    void clearRow(int row);

    // Whether any cell of the row has ever held text; false means every cell
    // is empty, which lets long loops skip blank rows cheaply.
    bool rowHasStorage(int row) const
    {
        return row >= 0 && row < rowCount() && rows_[std::size_t(row)] != kNoBlock;
    }

    // A stable identity of the row's storage, kept through sorting, moving and
    // cell changes, and never reused within the process; 0 for a row that has
    // never held text.
    std::uint64_t rowId(int row) const;

    // A read-only view of one row, for comparisons while sorting.
    class RowRef {
    public:
        QByteArrayView cell(int col) const { return grid_->blockCell(block_, col); }
        // The row's identity, as Grid::rowId gives it.
        std::uint64_t id() const { return block_ == kNoBlock ? 0 : grid_->ids_[block_]; }

    private:
        friend class Grid;
        RowRef(const Grid *g, std::uint32_t b) : grid_(g), block_(b) {}
        const Grid *grid_;
        std::uint32_t block_;
    };
    RowRef row(int r) const { return RowRef(this, rows_.at(std::size_t(r))); }

    // Sorts rows first .. last-1 (not stable) by less(RowRef, RowRef).
    template <class Less> void sortRows(int first, int last, Less less)
    {
        std::sort(rows_.begin() + first, rows_.begin() + last,
                  [&](std::uint32_t a, std::uint32_t b) { return less(RowRef(this, a), RowRef(this, b)); });
    }

    // Removes the rows first .. last-1 for which pred(RowRef) holds, keeping
    // the order of the others, in one pass; returns how many went. The
    // header row is never removed.
    template <class Pred> int removeRowsIf(int first, int last, Pred pred)
    {
        first = std::max(first, 1);
        last = std::min(last, rowCount());
        if (first >= last)
            return 0;
        std::size_t out = std::size_t(first);
        for (std::size_t i = std::size_t(first); i < std::size_t(last); ++i) {
            if (pred(RowRef(this, rows_[i]))) {
                if (rows_[i] != kNoBlock)
                    freeBlock(rows_[i]);
            } else {
                rows_[out++] = rows_[i];
            }
        }
        const int removed = int(std::size_t(last) - out);
        rows_.erase(rows_.begin() + std::ptrdiff_t(out), rows_.begin() + last);
        maybeCompact();
        return removed;
    }

    // Bytes of cell text the arena holds that no cell uses any more.
    std::size_t deadBytes() const { return dead_; }

private:
    friend class GridLoader;
    static constexpr std::uint32_t kNoBlock = 0xFFFFFFFFu;

    struct CellRef {
        std::uint32_t off = 0;
        std::uint32_t len = 0;
    };

    QByteArrayView blockCell(std::uint32_t block, int col) const;
    std::uint32_t allocBlock();
    void freeBlock(std::uint32_t block);
    std::uint32_t appendText(const char *data, std::size_t len);
    void reserveArena(std::size_t extra);
    void maybeCompact();
    void compact();
    void checkCell(int col, int row) const;
    void reserveBlocks(std::size_t blocks);

    int cols_ = 1;
    std::vector<std::uint32_t> rows_;        // block of each row, or kNoBlock
    std::vector<CellRef> cells_;             // cols_ refs per block
    std::vector<std::uint64_t> ids_;         // identity of each block
    std::vector<std::uint32_t> freeBlocks_;
    std::vector<int> widths_;

    char *arena_ = nullptr;                  // malloc'd UTF-8 text of every cell
    std::size_t arenaSize_ = 0;
    std::size_t arenaCap_ = 0;
    std::size_t dead_ = 0;
    std::uint64_t nextId_ = 0;               // this grid's batch of row ids
    std::uint64_t idLimit_ = 0;
};

}  // namespace morvane
