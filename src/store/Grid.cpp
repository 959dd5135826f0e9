#include "Grid.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace morvane {

namespace {

// Offsets into the arena are 32-bit, which keeps a cell at eight bytes.
constexpr std::size_t kMaxArena = 0xFFFFFFF0u;

// Row identities are unique in the process. Each grid takes them from the
// shared counter in batches, so loading a large table costs no atomic
// operation per row.
std::atomic<std::uint64_t> rowIdCounter{0};
constexpr std::uint64_t kIdBatch = 4096;

}  // namespace

int CompareCellBytes(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    if (n > 0)
        if (const int c = std::memcmp(a.data(), b.data(), std::size_t(n)))
            return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

Grid::Grid(int cols, int rows)
    : cols_(std::max(1, cols)), rows_(std::size_t(std::max(1, rows)), kNoBlock),
      widths_(std::size_t(cols_), kDefaultColWidth)
{
}

Grid::Grid(const Grid &o)
    : cols_(o.cols_), rows_(o.rows_), cells_(o.cells_), ids_(o.ids_), freeBlocks_(o.freeBlocks_),
      widths_(o.widths_), dead_(o.dead_)
{
    if (o.arenaSize_ > 0) {
        reserveArena(o.arenaSize_);
        std::memcpy(arena_, o.arena_, o.arenaSize_);
        arenaSize_ = o.arenaSize_;
    }
}

Grid &Grid::operator=(const Grid &o)
{
    if (this != &o) {
        Grid copy(o);
        swap(copy);
    }
    return *this;
}

Grid::Grid(Grid &&o) noexcept : Grid(1, 1) { swap(o); }

Grid &Grid::operator=(Grid &&o) noexcept
{
    swap(o);
    return *this;
}

Grid::~Grid() { std::free(arena_); }

void Grid::swap(Grid &o) noexcept
{
    std::swap(cols_, o.cols_);
    rows_.swap(o.rows_);
    cells_.swap(o.cells_);
    ids_.swap(o.ids_);
    freeBlocks_.swap(o.freeBlocks_);
    widths_.swap(o.widths_);
    std::swap(arena_, o.arena_);
    std::swap(arenaSize_, o.arenaSize_);
    std::swap(arenaCap_, o.arenaCap_);
    std::swap(dead_, o.dead_);
    std::swap(nextId_, o.nextId_);
    std::swap(idLimit_, o.idLimit_);
}

void Grid::setColCount(int cols)
{
    cols = std::max(1, cols);
    if (cols == cols_)
        return;
    const std::size_t blocks = ids_.size();
    std::vector<CellRef> cells(blocks * std::size_t(cols));
    const int keep = std::min(cols, cols_);
    for (std::size_t b = 0; b < blocks; ++b) {
        for (int c = 0; c < cols_; ++c) {
            const CellRef ref = cells_[b * std::size_t(cols_) + std::size_t(c)];
            if (c < keep)
                cells[b * std::size_t(cols) + std::size_t(c)] = ref;
            else
                dead_ += ref.len;
        }
    }
    cells_.swap(cells);
    cols_ = cols;
    widths_.resize(std::size_t(cols), kDefaultColWidth);
}

void Grid::reserveBlocks(std::size_t blocks)
{
    ids_.reserve(blocks);
    cells_.reserve(blocks * std::size_t(cols_));
}

void Grid::setRowCount(int rows)
{
    rows = std::max(1, rows);
    const int old = rowCount();
    if (rows < old)
        removeRows(std::max(1, rows), old - rows);
    else if (rows > old)
        rows_.resize(std::size_t(rows), kNoBlock);
}

void Grid::checkCell(int col, int row) const
{
    if (col < 0 || col >= cols_ || row < 0 || row >= rowCount())
        throw std::out_of_range("cell outside the table");
}

QByteArrayView Grid::blockCell(std::uint32_t block, int col) const
{
    if (block == kNoBlock || col < 0 || col >= cols_)
        return {};
    const CellRef ref = cells_[std::size_t(block) * std::size_t(cols_) + std::size_t(col)];
    return QByteArrayView(arena_ + ref.off, qsizetype(ref.len));
}

QByteArrayView Grid::cellUtf8(int col, int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return blockCell(rows_[std::size_t(row)], col);
}

QString Grid::cell(int col, int row) const { return QString::fromUtf8(cellUtf8(col, row)); }

void Grid::setCell(int col, int row, QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    setCellUtf8(col, row, utf8);
}

void Grid::setCellUtf8(int col, int row, QByteArrayView utf8)
{
    checkCell(col, row);
    std::uint32_t &block = rows_[std::size_t(row)];
    if (block == kNoBlock) {
        if (utf8.isEmpty())
            return;
        block = allocBlock();
    }
    const std::size_t oldLen = cells_[std::size_t(block) * std::size_t(cols_) + std::size_t(col)].len;
    CellRef ref;
    if (!utf8.isEmpty()) {
        ref.off = appendText(utf8.data(), std::size_t(utf8.size()));
        ref.len = std::uint32_t(utf8.size());
    }
    // appendText may have compacted or moved the cells; look the slot up again.
    cells_[std::size_t(rows_[std::size_t(row)]) * std::size_t(cols_) + std::size_t(col)] = ref;
    dead_ += oldLen;
    maybeCompact();
}

int Grid::colWidth(int col) const
{
    return (col >= 0 && col < cols_) ? widths_[std::size_t(col)] : kDefaultColWidth;
}

void Grid::setColWidth(int col, int width)
{
    if (col >= 0 && col < cols_)
        widths_[std::size_t(col)] = width;
}

void Grid::insertRows(int at, int n)
{
    if (at < 1 || at > rowCount() || n < 0)
        throw std::out_of_range("row insertion outside the table");
    rows_.insert(rows_.begin() + at, std::size_t(n), kNoBlock);
}

void Grid::removeRows(int at, int n)
{
    if (at < 1 || n < 0 || at + n > rowCount())
        throw std::out_of_range("row removal outside the table body");
    for (int r = at; r < at + n; ++r)
        if (rows_[std::size_t(r)] != kNoBlock)
            freeBlock(rows_[std::size_t(r)]);
    rows_.erase(rows_.begin() + at, rows_.begin() + at + n);
    maybeCompact();
}

void Grid::deleteBodyRow(int row)
{
    if (rowCount() <= 2)
        clearRow(row);
    else
        removeRows(row, 1);
}

void Grid::moveRow(int from, int to)
{
    if (from < 1 || to < 1 || from >= rowCount() || to >= rowCount())
        throw std::out_of_range("row move outside the table body");
    const std::uint32_t b = rows_[std::size_t(from)];
    if (from < to)
        std::move(rows_.begin() + from + 1, rows_.begin() + to + 1, rows_.begin() + from);
    else
        std::move_backward(rows_.begin() + to, rows_.begin() + from, rows_.begin() + from + 1);
    rows_[std::size_t(to)] = b;
}

void Grid::clearRow(int row)
{
    checkCell(0, row);
    std::uint32_t &block = rows_[std::size_t(row)];
    if (block != kNoBlock) {
        freeBlock(block);
        block = kNoBlock;
        maybeCompact();
    }
}

std::uint64_t Grid::rowId(int row) const
{
    if (row < 0 || row >= rowCount() || rows_[std::size_t(row)] == kNoBlock)
        return 0;
    return ids_[rows_[std::size_t(row)]];
}

std::uint32_t Grid::allocBlock()
{
    std::uint32_t b;
    if (!freeBlocks_.empty()) {
        b = freeBlocks_.back();
        freeBlocks_.pop_back();
    } else {
        b = std::uint32_t(ids_.size());
        ids_.push_back(0);
        cells_.resize(cells_.size() + std::size_t(cols_));
    }
    if (nextId_ == idLimit_) {
        nextId_ = rowIdCounter.fetch_add(kIdBatch, std::memory_order_relaxed) + 1;
        idLimit_ = nextId_ + kIdBatch;
    }
    ids_[b] = nextId_++;
    return b;
}

void Grid::freeBlock(std::uint32_t block)
{
    CellRef *refs = &cells_[std::size_t(block) * std::size_t(cols_)];
    for (int c = 0; c < cols_; ++c) {
        dead_ += refs[c].len;
        refs[c] = CellRef{};
    }
    ids_[block] = 0;
    freeBlocks_.push_back(block);
}

void Grid::reserveArena(std::size_t extra)
{
    if (arenaSize_ + extra <= arenaCap_)
        return;
    if (arenaSize_ + extra > kMaxArena)
        throw std::length_error("the table holds more text than it can keep");
    std::size_t cap = std::max<std::size_t>({arenaSize_ + extra, arenaCap_ + arenaCap_ / 2, 4096});
    cap = std::min(cap, kMaxArena);
    // realloc moves large blocks by remapping pages, without copying them.
    char *p = static_cast<char *>(std::realloc(arena_, cap));
    if (!p)
        throw std::bad_alloc();
    arena_ = p;
    arenaCap_ = cap;
}

std::uint32_t Grid::appendText(const char *data, std::size_t len)
{
    // The text may be a cell of this very grid, which growing or compacting
    // the arena would move: copy it out first.
    std::string own;
    if (arena_ && data >= arena_ && data < arena_ + arenaSize_) {
        own.assign(data, len);
        data = own.data();
    }
    if (arenaSize_ + len > kMaxArena && dead_ > 0)
        compact();
    reserveArena(len);
    std::memcpy(arena_ + arenaSize_, data, len);
    const auto off = std::uint32_t(arenaSize_);
    arenaSize_ += len;
    return off;
}

void Grid::maybeCompact()
{
    if (dead_ > (1u << 20) && dead_ > arenaSize_ / 2)
        compact();
}

void Grid::compact()
{
    std::size_t live = 0;
    for (const CellRef &r : cells_)
        live += r.len;
    char *fresh = static_cast<char *>(std::malloc(std::max<std::size_t>(live, 1)));
    if (!fresh)
        throw std::bad_alloc();
    std::size_t at = 0;
    for (CellRef &r : cells_) {
        if (r.len == 0) {
            r.off = 0;
            continue;
        }
        std::memcpy(fresh + at, arena_ + r.off, r.len);
        r.off = std::uint32_t(at);
        at += r.len;
    }
    std::free(arena_);
    arena_ = fresh;
    arenaSize_ = live;
    arenaCap_ = std::max<std::size_t>(live, 1);
    dead_ = 0;
}

}  // namespace morvane
