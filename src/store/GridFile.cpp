#include "GridFile.h"

#include "AtomicFile.h"
#include "Grid.h"

#include <QDir>
#include <QFile>

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// First byte below 14 (BS, TAB, LF and CR are 8, 9, 10 and 13), or end.
// Sixteen or eight bytes at a time: cell text rarely holds any of them.
inline char *findControl(char *p, char *end)
{
#ifdef __SSE2__
    const __m128i limit = _mm_set1_epi8(13);
    while (end - p >= 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        // x <= 13, unsigned: min(x, 13) == x
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(x, limit), x));
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
        p += 16;
    }
#endif
    while (end - p >= 8) {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        if ((x - kOnes * 14) & ~x & kHighs)
            break;
        p += 8;
    }
    while (p < end && static_cast<unsigned char>(*p) >= 14)
        ++p;
    return p;
}

// Leading blanks, an optional sign, then decimal digits up to the first other
// character; 0 when there are none. Saturates instead of overflowing.
long long readInt(const char *p, const char *end)
{
    while (p < end && *p == ' ')
        ++p;
    bool neg = false;
    if (p < end && (*p == '+' || *p == '-')) {
        neg = *p == '-';
        ++p;
    }
    long long v = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (v < LLONG_MAX / 20)
            v = v * 10 + (*p - '0');
        ++p;
    }
    return neg ? -v : v;
}

// The numbers before the commas of a cell line are short: a plain loop beats
// a library call per line.
const char *findComma(const char *p, const char *end)
{
    for (; p < end; ++p)
        if (*p == ',')
            return p;
    return nullptr;
}

// Windows-1252 bytes 0x80..0x9F; the five unassigned ones keep their code.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t cp1252(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b; }

// Converts Windows-1252 bytes to UTF-8 in a new malloc'd buffer.
char *cp1252ToUtf8(const char *src, std::size_t size, std::size_t *outSize, std::size_t *outCap)
{
    const std::size_t cap = size * 3 + 4096;
    char *out = static_cast<char *>(std::malloc(cap));
    if (!out)
        throw std::bad_alloc();
    std::size_t n = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char16_t u = cp1252(static_cast<unsigned char>(src[i]));
        if (u < 0x80) {
            out[n++] = char(u);
        } else if (u < 0x800) {
            out[n++] = char(0xC0 | (u >> 6));
            out[n++] = char(0x80 | (u & 0x3F));
        } else {
            out[n++] = char(0xE0 | (u >> 12));
            out[n++] = char(0x80 | ((u >> 6) & 0x3F));
            out[n++] = char(0x80 | (u & 0x3F));
        }
    }
    *outSize = n;
    *outCap = cap;
    return out;
}

struct FreeDeleter {
    void operator()(char *p) const { std::free(p); }
};
using Buffer = std::unique_ptr<char, FreeDeleter>;

// Streams bytes out in chunks, so a save never holds a second copy of a large
// table in memory.
class ChunkWriter {
public:
    explicit ChunkWriter(std::function<bool(const char *, std::size_t)> sink)
        : sink_(std::move(sink))
    {
        buf_.reserve(kChunk + 64);
    }
    void put(const char *p, std::size_t n)
    {
        if (buf_.size() + n > kChunk)
            flush();
        if (n > kChunk) {
            ok_ = ok_ && sink_(p, n);
            return;
        }
        buf_.append(p, n);
    }
    void put(char c)
    {
        if (buf_.size() >= kChunk)
            flush();
        buf_.push_back(c);
    }
    void putInt(long long v)
    {
        char tmp[24];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        put(tmp, std::size_t(r.ptr - tmp));
    }
    void putCrLf() { put("\r\n", 2); }
    // Cell text with CR written as TAB and LF as BS.
    void putEncoded(const char *p, std::size_t n)
    {
        char *s = const_cast<char *>(p);  // findControl only reads
        char *end = s + n;
        while (s < end) {
            char *c = findControl(s, end);
            put(s, std::size_t(c - s));
            if (c == end)
                break;
            put(*c == '\r' ? '\t' : *c == '\n' ? '\b' : *c);
            s = c + 1;
        }
    }
    bool finish()
    {
        flush();
        return ok_;
    }

private:
    static constexpr std::size_t kChunk = 1u << 20;
    void flush()
    {
        if (!buf_.empty())
            ok_ = ok_ && sink_(buf_.data(), buf_.size());
        buf_.clear();
    }
    std::function<bool(const char *, std::size_t)> sink_;
    std::string buf_;
    bool ok_ = true;
};

bool writeGrid(const Grid &g, ChunkWriter &w)
{
    w.putInt(g.colCount());
    w.put(',');
    w.putInt(g.rowCount());
    w.putCrLf();
    for (int c = 0; c < g.colCount(); ++c) {
        w.put("cw ", 3);
        w.putInt(c);
        w.put(',');
        w.putInt(g.colWidth(c));
        w.putCrLf();
    }
    for (int r = 0; r < g.rowCount(); ++r) {
        if (!g.rowHasStorage(r))
            continue;
        const Grid::RowRef row = g.row(r);
        for (int c = 0; c < g.colCount(); ++c) {
            const QByteArrayView text = row.cell(c);
            if (text.isEmpty())
                continue;
            w.putInt(c);
            w.put(',');
            w.putInt(r);
            w.put(',');
            w.putEncoded(text.data(), std::size_t(text.size()));
            w.putCrLf();
        }
    }
    return w.finish();
}

QString nativePath(const QString &path) { return QDir::toNativeSeparators(path); }

// Byte-order marks a text editor may have put at the start; the program
// never writes one. All of them go: a mark left in front of a grid file's
// size line would make it read as a one-column table.
std::size_t leadingMarks(const char *data, std::size_t size)
{
    std::size_t n = 0;
    while (size - n >= 3 && std::memcmp(data + n, "\xEF\xBB\xBF", 3) == 0)
        n += 3;
    return n;
}

}  // namespace

bool IsValidUtf8(const char *data, std::size_t size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const auto *end = p + size;
    while (p < end) {
        if (end - p >= 8) {
            std::uint64_t x;
            std::memcpy(&x, p, 8);
            if (!(x & kHighs)) {
                p += 8;
                continue;
            }
        }
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        int len;
        std::uint32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (end - p < len)
            return false;
        for (int k = 1; k < len; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        p += len;
    }
    return true;
}

QString DecodeFileText(QByteArrayView bytes)
{
    bytes = bytes.sliced(qsizetype(leadingMarks(bytes.data(), std::size_t(bytes.size()))));
    if (IsValidUtf8(bytes.data(), std::size_t(bytes.size())))
        return QString::fromUtf8(bytes);
    QString s;
    s.reserve(bytes.size());
    for (char c : bytes)
        s += QChar(cp1252(static_cast<unsigned char>(c)));
    return s;
}

struct LineReader {
    char *p;
    char *end;

    bool atEnd() const { return p >= end; }
    char *next(char **lineEnd)
    {
        char *ls = p;
        char *q = p;
        for (;;) {
            q = findControl(q, end);
            if (q == end) {
                *lineEnd = end;
                p = end;
                return ls;
            }
            if (*q == '\t') {
                *q++ = '\r';
            } else if (*q == '\b') {
                *q++ = '\n';
            } else if (*q == '\r' || *q == '\n') {
                *lineEnd = q;
                p = q + 1;
                if (*q == '\r' && p < end && *p == '\n')
                    ++p;
                return ls;
            } else {
                ++q;
            }
        }
    }
};

// Builds a grid from a file's bytes. It is a friend of Grid: the bytes become
// the grid's arena and the cells point into them, decoded in place.
class GridLoader {
public:
    static FileResult load(Grid &table, Buffer buf, std::size_t size, std::size_t cap,
                           const QString &name);
};

FileResult GridLoader::load(Grid &table, Buffer buf, std::size_t size, std::size_t cap,
                            const QString &name)
{
    // A run of 0x1A at the very end is an old end-of-file mark; a 0x1A
    // anywhere else is text and must not cut off the rest of the table.
    while (size > 0 && buf.get()[size - 1] == '\x1A')
        --size;
    std::size_t start = leadingMarks(buf.get(), size);
    if (!IsValidUtf8(buf.get() + start, size - start)) {
        std::size_t n, c;
        char *conv = cp1252ToUtf8(buf.get() + start, size - start, &n, &c);
        buf.reset(conv);
        size = n;
        cap = c;
        start = 0;
    }

    // One line at a time: a line ends at CR (an LF right after it is
    // skipped) or at a lone LF. TAB and BS inside the line are decoded to CR
    // and LF on the way, in place; numbers stop at them either way.
    LineReader in{buf.get() + start, buf.get() + size};

    Grid g;
    char *le;
    char *ls = in.next(&le);
    bool keptOld = false;
    if (le > ls) {
        const char *comma = findComma(ls, le);
        const long long cols = comma ? readInt(ls, comma) : readInt(ls, le);
        const long long rows = comma ? readInt(comma + 1, le) : 0;
        if (cols > kMaxGridCols || rows > kMaxGridRows) {
            return FileResult::damage(
                u"The file %1 is damaged: it claims %2 columns and %3 rows, more than any table of "
                "Morvane has. It was not loaded, and Morvane will not save over it."_s
                    .arg(nativePath(name))
                    .arg(cols)
                    .arg(rows));
        }
        g = Grid(int(std::max(1LL, cols)), int(std::max(1LL, rows)));
        // Room for every row's cells, but no more than the file could fill.
        g.reserveBlocks(std::min<std::size_t>(std::size_t(g.rowCount()), size / 8 + 1));
        for (int c = 0; c < std::min(g.colCount(), table.colCount()); ++c)
            g.setColWidth(c, table.colWidth(c));
    } else {
        // An empty size line keeps the table's size and cells.
        g = table;
        keptOld = true;
    }

    // The file's bytes become the arena, or are appended to the old cells'.
    if (g.arenaSize_ == 0) {
        std::free(g.arena_);
        g.arena_ = buf.release();
        g.arenaSize_ = size;
        g.arenaCap_ = cap;
    } else {
        const std::ptrdiff_t done = in.p - buf.get();
        g.reserveArena(size);
        const std::size_t shift = g.arenaSize_;
        std::memcpy(g.arena_ + shift, buf.get(), size);
        g.arenaSize_ += size;
        buf.reset();
        in = LineReader{g.arena_ + shift + done, g.arena_ + shift + size};
    }
    char *const arena = g.arena_;

    std::vector<bool> headerFromFile(std::size_t(g.colCount()), false);
    const long long cols = g.colCount();
    const long long rows = g.rowCount();
    while (!in.atEnd()) {
        char *lineEnd;
        char *line = in.next(&lineEnd);
        if (lineEnd == line)
            continue;  // an empty line holds no data
        if (lineEnd - line >= 2 && line[0] == 'c' && line[1] == 'w') {
            const char *comma = findComma(line, lineEnd);
            if (!comma)
                continue;
            const char *colText = std::min<const char *>(line + 3, comma);
            const long long c = readInt(colText, comma);
            const long long w = readInt(comma + 1, std::min<const char *>(lineEnd, comma + 1 + 255));
            if (c >= 0 && c < cols)
                g.setColWidth(int(c), int(std::clamp<long long>(w, INT_MIN, INT_MAX)));
            continue;
        }
        const char *text = line;
        long long c = 0, r = 0;
        if (const char *c1 = findComma(text, lineEnd)) {
            c = readInt(text, c1);
            text = c1 + 1;
        }
        if (const char *c2 = findComma(text, lineEnd)) {
            r = readInt(text, c2);
            text = c2 + 1;
        }
        if (c < 0 || c >= cols || r < 0 || r >= rows)
            continue;
        if (r == 0)
            headerFromFile[std::size_t(c)] = true;  // even when it empties the cell
        std::uint32_t &block = g.rows_[std::size_t(r)];
        const auto len = std::uint32_t(lineEnd - text);
        if (block == Grid::kNoBlock) {
            if (len == 0)
                continue;
            block = g.allocBlock();
        }
        Grid::CellRef &ref = g.cells_[std::size_t(block) * std::size_t(cols) + std::size_t(c)];
        g.dead_ += ref.len;
        ref.off = std::uint32_t(text - arena);
        ref.len = len;
    }

    // Header cells the file does not mention keep their text.
    if (!keptOld) {
        for (int c = 0; c < std::min(g.colCount(), table.colCount()); ++c)
            if (!headerFromFile[std::size_t(c)] && !table.cellEmpty(c, 0))
                g.setCellUtf8(c, 0, table.cellUtf8(c, 0));
    }
    table.swap(g);
    return FileResult::success();
}

FileResult LoadGridFile(Grid &table, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return FileResult::failure(u"File "_s + path + u" not found"_s);
    const qint64 size = f.size();
    if (size > qint64(0xFFFFFFF0u) - 4096)
        return FileResult::damage(u"The file %1 is too large to be a table of Morvane. It was not "
                                  "loaded, and Morvane will not save over it."_s.arg(nativePath(path)));
    const std::size_t cap = std::size_t(size) + 4096;
    Buffer buf(static_cast<char *>(std::malloc(cap)));
    if (!buf)
        throw std::bad_alloc();
    qint64 got = 0;
    while (got < size) {
        const qint64 n = f.read(buf.get() + got, size - got);
        if (n <= 0)
            break;
        got += n;
    }
    if (got != size)
        return FileResult::failure(u"Could not read %1: %2"_s.arg(nativePath(path), f.errorString()));
    return GridLoader::load(table, std::move(buf), std::size_t(size), cap, path);
}

FileResult LoadGridBytes(Grid &table, QByteArrayView bytes, const QString &name)
{
    const std::size_t cap = std::size_t(bytes.size()) + 4096;
    Buffer buf(static_cast<char *>(std::malloc(cap)));
    if (!buf)
        throw std::bad_alloc();
    if (!bytes.isEmpty())
        std::memcpy(buf.get(), bytes.data(), std::size_t(bytes.size()));
    return GridLoader::load(table, std::move(buf), std::size_t(bytes.size()), cap, name);
}

QByteArray GridFileBytes(const Grid &table)
{
    QByteArray out;
    ChunkWriter w([&](const char *p, std::size_t n) {
        out.append(p, qsizetype(n));
        return true;
    });
    writeGrid(table, w);
    return out;
}

FileResult SaveGridFile(const Grid &table, const QString &path)
{
    AtomicFile file(path);
    if (FileResult ok = file.open(); !ok)
        return ok;
    ChunkWriter w([&](const char *p, std::size_t n) { return file.write(p, n); });
    writeGrid(table, w);
    return file.commit();
}

QStringList ParsePickList(QByteArrayView bytes)
{
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes = bytes.first(nul);
    const QString text = DecodeFileText(bytes);
    QStringList items;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        items.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        items.append(text.sliced(start));
    return items;
}

FileResult LoadPickList(const QString &path, QStringList *items)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return FileResult::failure(u"File "_s + path + u" not found"_s);
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return FileResult::failure(u"Could not read %1: %2"_s.arg(nativePath(path), f.errorString()));
    *items = ParsePickList(bytes);
    return FileResult::success();
}

FileResult SavePickList(const QStringList &items, const QString &path)
{
    QByteArray out;
    for (const QString &item : items) {
        out += item.toUtf8();
        out += "\r\n";
    }
    return WriteFileAtomically(path, out);
}

}  // namespace morvane
