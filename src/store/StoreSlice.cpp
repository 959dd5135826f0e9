#include "StoreSlice.h"

#include "GridFile.h"
#include "TaskTables.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace morvane {

namespace {

// One cell line of the file: "col,row,text" and where the next line starts.
struct CellLine {
    const char *start = nullptr;
    const char *next = nullptr;
    long long col = 0;
    long long row = 0;
    QByteArrayView text;
};

// Digits only, as the program writes numbers; at most nine of them.
bool plainNumber(const char *b, const char *e, long long *out)
{
    if (b == e || e - b > 9)
        return false;
    long long v = 0;
    for (; b < e; ++b) {
        if (*b < '0' || *b > '9')
            return false;
        v = v * 10 + (*b - '0');
    }
    *out = v;
    return true;
}

class SliceReader {
public:
    SliceReader(QByteArrayView file) : begin_(file.data()), end_(file.data() + file.size()) {}

    std::optional<Grid> read(int fromDay, int toDay);

private:
    // The line starting at p, without its end; false for anything our
    // writer does not write: a CR that is not part of the line end, a NUL
    // byte, a line without an end.
    bool lineAt(const char *p, const char **e, const char **next) const
    {
        const auto *nl = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end_ - p)));
        if (!nl)
            return false;
        const char *stop = nl > p && nl[-1] == '\r' ? nl - 1 : nl;
        if (std::memchr(p, '\r', std::size_t(stop - p)) || std::memchr(p, '\0', std::size_t(stop - p)))
            return false;
        *e = stop;
        *next = nl + 1;
        return true;
    }
    bool cellAt(const char *p, CellLine *c) const
    {
        const char *e, *next;
        if (!lineAt(p, &e, &next))
            return false;
        const auto *c1 = static_cast<const char *>(std::memchr(p, ',', std::size_t(e - p)));
        const auto *c2 = c1 ? static_cast<const char *>(std::memchr(c1 + 1, ',', std::size_t(e - c1 - 1))) : nullptr;
        if (!c2 || !plainNumber(p, c1, &c->col) || !plainNumber(c1 + 1, c2, &c->row))
            return false;
        // A cell beyond the size line's counts makes the file damaged.
        if (c->col >= cols_ || c->row >= rows_)
            return false;
        c->start = p;
        c->next = next;
        c->text = QByteArrayView(c2 + 1, e - c2 - 1);
        return true;
    }
    // The first key cell (column 0 of a body row) in [p, limit): a line
    // start, false when there is none or a line is not a cell line.
    bool keyFrom(const char *p, const char *limit, CellLine *c, bool *found) const
    {
        *found = false;
        while (p < limit) {
            if (!cellAt(p, c))
                return false;
            if (c->col == 0 && c->row > 0) {
                *found = true;
                return true;
            }
            p = c->next;
        }
        return true;
    }
    bool header();

    const char *begin_;
    const char *end_;
    const char *body_ = nullptr;
    long long cols_ = 0;
    long long rows_ = 0;
};

// The size line and the width lines.
bool SliceReader::header()
{
    const char *e, *next;
    if (!lineAt(begin_, &e, &next))
        return false;
    const auto *comma = static_cast<const char *>(std::memchr(begin_, ',', std::size_t(e - begin_)));
    if (!comma || !plainNumber(begin_, comma, &cols_) || !plainNumber(comma + 1, e, &rows_))
        return false;
    if (cols_ < 1 || cols_ > kMaxGridCols || rows_ > kMaxGridRows)
        return false;
    const char *p = next;
    while (end_ - p >= 2 && p[0] == 'c' && p[1] == 'w') {
        if (!lineAt(p, &e, &next))
            return false;
        p = next;
    }
    body_ = p;
    return true;
}

std::optional<Grid> SliceReader::read(int fromDay, int toDay)
{
    // Only the files this program writes: no byte-order mark, a line end
    // after the last line (a file without one was cut short).
    if (end_ - begin_ < 2 || end_[-1] != '\n' || static_cast<unsigned char>(begin_[0]) >= 0x80)
        return std::nullopt;
    if (!header())
        return std::nullopt;

    // The binary search keeps `lo` at a line start with every key before it
    // earlier than fromDay (in a file in store order); the key lines it
    // looked at are kept to check that order where it looked.
    struct Probe {
        const char *at;
        long long row;
        int day;
    };
    std::vector<Probe> probes;
    const char *lo = body_, *hi = end_;
    while (hi - lo > 8192) {
        const char *mid = lo + (hi - lo) / 2;
        const char *p = static_cast<const char *>(std::memchr(mid, '\n', std::size_t(end_ - mid))) + 1;
        CellLine key;
        bool found = false;
        if (!keyFrom(p, hi, &key, &found))
            return std::nullopt;
        if (!found) {
            hi = mid;
            continue;
        }
        const int day = KeyDay(key.text);
        probes.push_back({key.start, key.row, day});
        if (day < fromDay)
            lo = key.start;
        else
            hi = mid;
    }
    std::sort(probes.begin(), probes.end(), [](const Probe &a, const Probe &b) { return a.at < b.at; });
    for (std::size_t i = 1; i < probes.size(); ++i)
        if (probes[i].row <= probes[i - 1].row || probes[i].day < probes[i - 1].day)
            return std::nullopt;

    // From lo on, line by line: the rows of the days asked for, each a key
    // line and the row's other cells after it in column order.
    struct Row {
        long long row;
        std::vector<CellLine> cells;
    };
    std::vector<Row> rows;
    long long lastRow = -1, lastCol = -1;
    int lastDay = INT_MIN;
    bool keyed = false;  // the current row has a key, in the days asked for
    const char *sliceStart = nullptr, *sliceEnd = nullptr;
    for (const char *p = lo; p < end_;) {
        CellLine c;
        if (!cellAt(p, &c))
            return std::nullopt;
        if (c.row != lastRow) {
            if (c.row < lastRow)
                return std::nullopt;
            lastRow = c.row;
            lastCol = -1;
            keyed = false;
            if (c.col == 0 && c.row > 0) {
                const int day = KeyDay(c.text);
                if (day < lastDay)
                    return std::nullopt;
                lastDay = day;
                if (day > toDay)
                    break;
                if (day >= fromDay) {
                    keyed = true;
                    if (!sliceStart)
                        sliceStart = p;
                    rows.push_back({c.row, {}});
                }
            }
        }
        if (c.col <= lastCol)
            return std::nullopt;
        lastCol = c.col;
        if (keyed)
            rows.back().cells.push_back(c);
        p = c.next;
        sliceEnd = p;
    }
    // A file that is not UTF-8 is read as Windows-1252 by the whole load.
    if (sliceStart && !IsValidUtf8(sliceStart, std::size_t(sliceEnd - sliceStart)))
        return std::nullopt;

    Grid g(int(std::max<long long>(cols_, kStoreCols)), int(rows.size()) + 1);
    std::string text;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const CellLine &c : rows[r].cells) {
            // TAB and BS stand for the line breaks of the text.
            text.assign(c.text.data(), std::size_t(c.text.size()));
            for (char &ch : text)
                ch = ch == '\t' ? '\r' : ch == '\b' ? '\n' : ch;
            g.setCellUtf8(int(c.col), int(r) + 1, QByteArrayView(text.data(), qsizetype(text.size())));
        }
        // Rows of one key the whole load would reorder by their cells.
        if (r > 0 && StoreRowLess(g.row(int(r) + 1), g.row(int(r))))
            return std::nullopt;
    }
    if (g.rowCount() < 2)
        g.setRowCount(2);
    return g;
}

}  // namespace

std::optional<Grid> ReadStoreSlice(QByteArrayView file, int fromDay, int toDay)
{
    if (file.isEmpty() || fromDay > toDay)
        return std::nullopt;
    return SliceReader(file).read(fromDay, toDay);
}

}  // namespace morvane
