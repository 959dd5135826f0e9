#include "GridFile.h"

#include "AtomicFile.h"
#include "Grid.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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
inline const char *findControl(const char *p, const char *end)
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
        const char *s = p;
        const char *end = s + n;
        while (s < end) {
            const char *c = findControl(s, end);
            put(s, std::size_t(c - s));
            if (c == end)
                break;
            // A NUL byte is no text and would make the file read as damaged.
            if (*c != '\0')
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
    return DecodeCp1252(bytes);
}

QString DecodeCp1252(QByteArrayView bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (char c : bytes)
        s += QChar(cp1252(static_cast<unsigned char>(c)));
    return s;
}

namespace {

// A decimal number of a line: leading blanks, an optional sign, digits up to
// the first other character.
struct Number {
    long long value = 0;
    bool digits = false;  // at least one digit was read
    bool plain = false;   // nothing but digits, as the program writes numbers
    bool plainSigned = false;  // the same with a sign in front (widths may be negative)
};

// Saturates instead of overflowing.
Number readNumber(const char *p, const char *end)
{
    Number n;
    const char *start = p;
    while (p < end && *p == ' ')
        ++p;
    bool neg = false;
    if (p < end && (*p == '+' || *p == '-')) {
        neg = *p == '-';
        ++p;
    }
    const char *first = p;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        if (n.value < LLONG_MAX / 20)
            n.value = n.value * 10 + (*p - '0');
    n.digits = p > first;
    n.plain = n.digits && first == start && p == end;
    n.plainSigned = n.digits && p == end && (first == start || (first == start + 1 && *start != ' '));
    if (neg)
        n.value = -n.value;
    return n;
}

// The number a field of a line reads as; 0 when it has no digits.
long long readInt(const char *p, const char *end) { return readNumber(p, end).value; }

// The end of the line that starts at p: its CR or LF, or the end.
// *controls says whether the line holds other bytes below 14 (TAB and BS
// stand for line breaks in cell text).
const char *lineEnd(const char *p, const char *end, bool *controls)
{
    *controls = false;
    for (;;) {
        p = findControl(p, end);
        if (p == end || *p == '\r' || *p == '\n')
            return p;
        *controls = true;
        ++p;
    }
}

// The end of the last whole line in [p, end): just past its CR or LF, or p.
const char *lastLineEnd(const char *p, const char *end)
{
    for (const char *q = end; q > p; --q)
        if (q[-1] == '\r' || q[-1] == '\n')
            return q;
    return p;
}

// The start of the line after the one ending at le (an LF right after a CR
// belongs to the same line end).
const char *nextLine(const char *le, const char *end)
{
    const char *p = le + 1;
    if (*le == '\r' && p < end && *p == '\n')
        ++p;
    return p;
}

// Copies a cell's text from the file into out: TAB becomes CR, BS becomes LF,
// NUL bytes (which no text holds) are dropped, and Windows-1252 bytes become
// UTF-8 when the file is in that code page. Returns the bytes written.
std::size_t decodeCell(const char *p, const char *end, char *out, bool cp1252Text, bool controls, bool *sawNul)
{
    if (!controls && !cp1252Text) {
        // Most cells are a few bytes: two overlapping fixed-size copies
        // beat a library call per cell.
        const std::size_t n = std::size_t(end - p);
        if (n >= 8 && n <= 16) {
            std::uint64_t a, b;
            std::memcpy(&a, p, 8);
            std::memcpy(&b, end - 8, 8);
            std::memcpy(out, &a, 8);
            std::memcpy(out + n - 8, &b, 8);
        } else if (n >= 4 && n < 8) {
            std::uint32_t a, b;
            std::memcpy(&a, p, 4);
            std::memcpy(&b, end - 4, 4);
            std::memcpy(out, &a, 4);
            std::memcpy(out + n - 4, &b, 4);
        } else if (n < 4) {
            for (std::size_t i = 0; i < n; ++i)
                out[i] = p[i];
        } else {
            std::memcpy(out, p, n);
        }
        return n;
    }
    char *o = out;
    while (p < end) {
        const char *c = findControl(p, end);
        if (cp1252Text) {
            for (; p < c; ++p) {
                const char16_t u = cp1252(static_cast<unsigned char>(*p));
                if (u < 0x80) {
                    *o++ = char(u);
                } else if (u < 0x800) {
                    *o++ = char(0xC0 | (u >> 6));
                    *o++ = char(0x80 | (u & 0x3F));
                } else {
                    *o++ = char(0xE0 | (u >> 12));
                    *o++ = char(0x80 | ((u >> 6) & 0x3F));
                    *o++ = char(0x80 | (u & 0x3F));
                }
            }
        } else {
            std::memcpy(o, p, std::size_t(c - p));
            o += c - p;
        }
        if (c == end)
            break;
        if (*c == '\t')
            *o++ = '\r';
        else if (*c == '\b')
            *o++ = '\n';
        else if (*c == '\0')
            *sawNul = true;
        else
            *o++ = *c;
        p = c + 1;
    }
    return std::size_t(o - out);
}

QString damagedMessage(const QString &name, const QString &reason)
{
    return u"The file %1 is damaged: %2. Morvane shows what it could read of it and will not "
           "save over it."_s.arg(nativePath(name), reason);
}

// A damaged file of which nothing was taken: the table stays as it was.
FileResult notLoaded(const QString &name, const QString &reason)
{
    return FileResult::damage(
        u"The file %1 is damaged: %2. It was not loaded, and Morvane will not save over it."_s.arg(
            nativePath(name), reason),
        reason);
}

// Leading UTF-8 byte-order marks to skip.
std::size_t leadingMarksIn(const char *p, std::size_t n) { return leadingMarks(p, n); }

bool isUtf16(const char *p, std::size_t n)
{
    return n >= 2 && ((p[0] == '\xFF' && p[1] == '\xFE') || (p[0] == '\xFE' && p[1] == '\xFF'));
}

// A UTF-16 file (a text editor's "Unicode") as UTF-8 bytes.
QByteArray utf16ToUtf8(const char *p, std::size_t n)
{
    const bool bigEndian = p[0] == '\xFE';
    std::u16string units;
    units.reserve((n - 2) / 2);
    for (std::size_t i = 2; i + 1 < n; i += 2) {
        const auto a = static_cast<unsigned char>(p[i]), b = static_cast<unsigned char>(p[i + 1]);
        units.push_back(char16_t(bigEndian ? (a << 8) | b : (b << 8) | a));
    }
    return QString::fromUtf16(units.data(), qsizetype(units.size())).toUtf8();
}

}  // namespace

// Builds a grid from a file's lines, one line at a time, copying each cell's
// decoded text into the grid's arena (nothing of the file's own syntax is
// kept, so a loaded table needs about half the memory of its file). It is a
// friend of Grid.
//
// Besides the format's reading rules it judges whether the file was read
// whole, that is whether saving the table back would keep every text the
// file holds. A file is damaged when it is empty; when its size line is
// missing, unreadable or negative; when its last line has no line end (the
// writer ends every line, so the file was cut short); when any non-empty line
// is neither a cell line ("col,row," in digits) nor a width line ("cw c,w"),
// such as a line whose start was garbled or the rest of a note broken off
// by a raw line break; when a cell lies in a column or a row beyond the size
// line's counts; or when it holds NUL bytes or is UTF-16. A damaged file
// still gives up what can be read of it: rows beyond the count and cells
// under an unreadable size line are kept, so that the person sees every task
// the file holds. Files the program writes are never damaged.
class GridLoader {
public:
    enum class Text { Utf8, Cp1252 };
    // Size lines up to this many rows are taken as they stand, so that every
    // table the program writes comes back with its row count; beyond it a
    // claim costs no more rows than the file could fill.
    static constexpr long long kRowsAlwaysKept = 1'000'000;

    GridLoader(const Grid &old, std::size_t fileSize, Text mode, QString name)
        : old_(old), fileSize_(fileSize), mode_(mode), name_(std::move(name)),
          rowBound_(std::size_t(std::min<long long>(kMaxGridRows, std::max<long long>(kRowsAlwaysKept, (long long)(fileSize) + 1024))))
    {
    }

    // One line without its end; `controls` when it holds bytes below 14.
    // False when the load must stop: a size line beyond every table's size.
    bool line(const char *b, const char *e, bool controls = true)
    {
        ++lineNo_;
        if (!sawSizeLine_) {
            sawSizeLine_ = true;
            return sizeLine(b, e);
        }
        if (b == e)
            return true;  // an empty line holds no data
        if (e - b >= 2 && b[0] == 'c' && b[1] == 'w')
            widthLine(b, e);
        else
            cellLine(b, e, controls);
        return true;
    }

    // The line just read was the last and had no line end.
    void lastLineUnended() { unended_ = true; }

    // Room for this much cell text, made once the table is.
    void reserveText(std::size_t bytes) { textHint_ = bytes; }
    // Where to keep the size line as read, so that a load that runs out of
    // memory can name it when it is what asked for the memory.
    void keepSizeLineIn(QByteArray *out) { sizeLineOut_ = out; }
    void setDamage(const QString &reason)
    {
        if (reason_.isEmpty())
            reason_ = reason;
    }

    FileResult finish(Grid &table);

private:
    bool sizeLine(const char *b, const char *e);
    void widthLine(const char *b, const char *e);
    void cellLine(const char *b, const char *e, bool controls);
    void start(int cols, std::size_t rows);
    void otherLine()
    {
        if (otherLines_++ == 0)
            firstOther_ = lineNo_;
    }

    const Grid &old_;
    std::size_t fileSize_;
    Text mode_;
    QString name_;
    std::size_t rowBound_;      // rows a file of this size can plausibly hold
    Grid g_;
    bool sawSizeLine_ = false;
    bool started_ = false;      // g_ is the table being built
    bool keptOld_ = false;      // an empty size line: the old table goes on
    bool claimKnown_ = false;
    std::size_t claimRows_ = 0;
    bool sawNul_ = false;
    std::size_t textHint_ = 0;
    bool unended_ = false;
    // Line numbers (from 1) of the first line of each kind of damage, 0 for
    // none, and the column or row it named.
    std::size_t lineNo_ = 0;
    std::size_t firstOther_ = 0, firstOutside_ = 0, firstBeyond_ = 0, firstNul_ = 0;
    long long outsideCol_ = 0, beyondRow_ = 0;
    std::size_t otherLines_ = 0;
    std::vector<bool> headerFromFile_;
    QString reason_;
    FileResult fatal_ = FileResult::success();
    QByteArray *sizeLineOut_ = nullptr;
};

void GridLoader::start(int cols, std::size_t rows)
{
    g_ = Grid(cols, int(std::max<std::size_t>(1, rows)));
    // Room for every row's cells, but no more than the file could fill: a
    // size line of many columns must not reserve memory its cells never use.
    const std::size_t cellRoom = fileSize_ / 8 + 1;
    g_.reserveBlocks(std::min<std::size_t>({std::size_t(g_.rowCount()), cellRoom, cellRoom / std::size_t(cols) + 1}));
    for (int c = 0; c < std::min(g_.colCount(), old_.colCount()); ++c)
        g_.setColWidth(c, old_.colWidth(c));
    headerFromFile_.assign(std::size_t(g_.colCount()), false);
    g_.reserveArena(textHint_);
    started_ = true;
}

bool GridLoader::sizeLine(const char *b, const char *e)
{
    if (sizeLineOut_)
        *sizeLineOut_ = QByteArray(b, std::min<qsizetype>(e - b, 40));
    if (b == e) {
        // An empty size line keeps the table's size and cells; the lines
        // that follow still apply. A file that is nothing more is empty.
        g_ = old_;
        headerFromFile_.assign(std::size_t(g_.colCount()), false);
        g_.reserveArena(textHint_);
        started_ = keptOld_ = true;
        claimKnown_ = true;
        claimRows_ = std::size_t(g_.rowCount());
        return true;
    }
    const char *comma = findComma(b, e);
    const Number cols = readNumber(b, comma ? comma : e);
    const Number rows = comma ? readNumber(comma + 1, e) : Number{};
    if (comma && cols.digits && rows.digits && (cols.value > kMaxGridCols || rows.value > kMaxGridRows)) {
        fatal_ = notLoaded(name_, u"it claims %1 columns and %2 rows, more than any table of Morvane has"_s
                                      .arg(cols.value)
                                      .arg(rows.value));
        return false;
    }
    if (!comma || !cols.digits || !rows.digits || cols.value < 0 || rows.value < 0) {
        setDamage((cols.value < 0 || rows.value < 0) ? u"its size line gives a negative count"_s
                                                     : u"its first line is not the size of a table"_s);
        // Read what cells there are, in the table's own columns.
        const int c = (cols.digits && cols.value > 0 && cols.value <= kMaxGridCols) ? int(cols.value)
                                                                                    : old_.colCount();
        start(c, 1);
        return true;
    }
    claimKnown_ = true;
    claimRows_ = std::size_t(std::max(1LL, rows.value));
    // A size line claiming far more rows than the file could hold costs no
    // more than the file: trailing rows without cells are not made.
    start(int(std::max(1LL, cols.value)), std::min(claimRows_, rowBound_));
    return true;
}

void GridLoader::widthLine(const char *b, const char *e)
{
    const char *comma = findComma(b, e);
    if (!comma) {
        otherLine();
        return;
    }
    const char *colText = std::min<const char *>(b + 3, comma);
    const bool format =
        e - b > 3 && b[2] == ' ' && readNumber(b + 3, comma).plain && readNumber(comma + 1, e).plainSigned;
    if (!format)
        otherLine();
    if (!started_)
        return;
    const long long c = readInt(colText, comma);
    const long long w = readInt(comma + 1, std::min<const char *>(e, comma + 1 + 255));
    if (c >= 0 && c < g_.colCount())
        g_.setColWidth(int(c), int(std::clamp<long long>(w, INT_MIN, INT_MAX)));
}

void GridLoader::cellLine(const char *b, const char *e, bool controls)
{
    const char *text = b;
    long long c = 0, r = 0;
    bool format = false;
    // The program's own lines: digits, a comma, digits, a comma.
    const char *q = b;
    auto digits = [&](long long *v) {
        const char *start = q;
        while (q < e && *q >= '0' && *q <= '9' && q - start < 18)
            *v = *v * 10 + (*q++ - '0');
        return q > start && q < e && *q == ',';
    };
    if (digits(&c) && (++q, digits(&r))) {
        format = true;
        text = q + 1;
    } else {
        // Any other line, by the format's general reading rules.
        c = r = 0;
        if (const char *c1 = findComma(text, e)) {
            const Number nc = readNumber(text, c1);
            c = nc.value;
            text = c1 + 1;
            if (const char *c2 = findComma(text, e)) {
                const Number nr = readNumber(text, c2);
                r = nr.value;
                format = nc.plain && nr.plain;
                text = c2 + 1;
            }
        }
    }
    if (!format)
        otherLine();
    if (!started_ || c < 0 || c >= g_.colCount() || r < 0) {
        // A cell the table has no column for would be lost at the next save.
        if (format && started_ && !firstOutside_) {
            firstOutside_ = lineNo_;
            outsideCol_ = c;
        }
        return;
    }
    const std::size_t len = std::size_t(e - text);
    if (claimKnown_ && std::size_t(r) >= claimRows_) {
        if (!firstBeyond_) {
            firstBeyond_ = lineNo_;
            beyondRow_ = r;
        }
        if (std::size_t(r) >= rowBound_)
            return;
    } else if (!claimKnown_ && std::size_t(r) >= rowBound_) {
        return;
    }
    if (r == 0)
        headerFromFile_[std::size_t(c)] = true;  // even when it empties the cell
    std::vector<std::uint32_t> &rows = g_.rows_;
    if (std::size_t(r) >= rows.size()) {
        if (len == 0)
            return;
        rows.resize(std::size_t(r) + 1, Grid::kNoBlock);
    }
    std::uint32_t &block = rows[std::size_t(r)];
    if (block == Grid::kNoBlock) {
        if (len == 0)
            return;
        block = g_.allocBlock();
    }
    const bool cp = mode_ == Text::Cp1252;
    if (g_.arenaSize_ + (cp ? len * 3 : len) > g_.arenaCap_)
        g_.reserveArena(cp ? len * 3 : len);
    const std::size_t n = decodeCell(text, e, g_.arena_ + g_.arenaSize_, cp, controls, &sawNul_);
    if (sawNul_ && !firstNul_)
        firstNul_ = lineNo_;
    Grid::CellRef &ref = g_.cells_[std::size_t(block) * std::size_t(g_.colCount()) + std::size_t(c)];
    g_.dead_ += ref.len;
    ref.off = std::uint32_t(g_.arenaSize_);
    ref.len = std::uint32_t(n);
    g_.arenaSize_ += n;
}

FileResult GridLoader::finish(Grid &table)
{
    if (!fatal_.ok)
        return fatal_;
    // The writer never writes an empty file: this one was emptied.
    if (!started_)
        return notLoaded(name_, u"it is empty"_s);
    // The first reason found is the one given.
    if (keptOld_)
        setDamage(u"its first line, where the size of the table belongs, is empty"_s);
    if (unended_)
        setDamage(u"it was cut short (its last line, line %1, has no line end)"_s.arg(lineNo_));
    if (otherLines_ == 1)
        setDamage(u"line %1 is not a line Morvane writes (each begins with a column and a row number, "
                  "or gives a column's width)"_s.arg(firstOther_));
    else if (otherLines_ > 1)
        setDamage(u"line %1 and %2 more lines are not lines Morvane writes (each begins with a column and a "
                  "row number, or gives a column's width)"_s.arg(firstOther_)
                      .arg(otherLines_ - 1));
    if (firstOutside_)
        setDamage(u"line %1 holds a cell of column %2, beyond the columns 0 to %3 its size line gives"_s
                      .arg(firstOutside_)
                      .arg(outsideCol_)
                      .arg(g_.colCount() - 1));
    if (firstBeyond_)
        setDamage(u"line %1 holds a cell of row %2, beyond the rows 0 to %3 its size line gives"_s
                      .arg(firstBeyond_)
                      .arg(beyondRow_)
                      .arg(claimRows_ - 1));
    if (firstNul_)
        setDamage(u"line %1 holds a NUL byte, which no text of Morvane holds"_s.arg(firstNul_));

    // Header cells the file does not mention keep their text.
    if (!keptOld_) {
        for (int c = 0; c < std::min(g_.colCount(), old_.colCount()); ++c)
            if (!headerFromFile_[std::size_t(c)] && !old_.cellEmpty(c, 0))
                g_.setCellUtf8(c, 0, old_.cellUtf8(c, 0));
    }
    table.swap(g_);
    if (reason_.isEmpty())
        return FileResult::success();
    return FileResult::damagedButRead(damagedMessage(name_, reason_), reason_);
}

namespace {

// Hands the loader every line of [p, end); false when it stopped. Unless
// `final`, an unfinished last line is left at *rest for the next chunk.
bool feedLines(GridLoader &loader, const char *p, const char *end, bool final, const char **rest)
{
    while (p < end) {
        bool controls;
        const char *le = lineEnd(p, end, &controls);
        if (le == end && !final)
            break;
        if (!loader.line(p, le, controls))
            return false;
        if (le == end) {
            loader.lastLineUnended();
            p = end;
            break;
        }
        p = nextLine(le, end);
    }
    *rest = p;
    return true;
}

// Loads from bytes in memory; `utf16` says they came from a UTF-16 file.
FileResult loadMemory(Grid &table, const char *data, std::size_t size, const QString &name, bool utf16,
                      QByteArray *sizeLine)
{
    if (isUtf16(data, size)) {
        const QByteArray utf8 = utf16ToUtf8(data, size);
        return loadMemory(table, utf8.constData(), std::size_t(utf8.size()), name, true, sizeLine);
    }
    // A run of 0x1A at the very end is an old end-of-file mark; a 0x1A
    // anywhere else is text and must not cut off the rest of the table.
    while (size > 0 && data[size - 1] == '\x1A')
        --size;
    const std::size_t skip = leadingMarksIn(data, size);
    const char *p0 = data + skip;
    const char *end = data + size;
    const auto mode = IsValidUtf8(p0, std::size_t(end - p0)) ? GridLoader::Text::Utf8 : GridLoader::Text::Cp1252;
    GridLoader loader(table, size, mode, name);
    loader.keepSizeLineIn(sizeLine);
    if (mode == GridLoader::Text::Utf8)
        loader.reserveText(std::size_t(end - p0));
    if (utf16)
        loader.setDamage(u"it is in UTF-16, a text encoding Morvane does not write"_s);
    const char *rest = p0;
    feedLines(loader, p0, end, true, &rest);
    return loader.finish(table);
}

// A load that ran out of memory: the size line is the reason when its table
// alone asks for more memory than the file has text; otherwise the text is.
FileResult outOfMemory(const QString &name, std::size_t fileSize, const QByteArray &sizeLine)
{
    const qsizetype comma = sizeLine.indexOf(',');
    bool colsOk = false, rowsOk = false;
    const qulonglong cols = sizeLine.left(comma).trimmed().toULongLong(&colsOk);
    const qulonglong rows = sizeLine.mid(comma + 1).trimmed().toULongLong(&rowsOk);
    if (comma > 0 && colsOk && rowsOk && double(cols) * double(rows) * 8.0 > double(fileSize)) {
        const QString why = u"its size line, \"%1\", asks for a table of %2 columns and %3 rows, more than this "
                            "computer's memory can hold"_s.arg(QString::fromLatin1(sizeLine))
                                .arg(cols)
                                .arg(rows);
        return FileResult::damage(u"The file %1 cannot be loaded: %2. It was not loaded, and Morvane will not save "
                                  "over it."_s.arg(nativePath(name), why),
                                  why);
    }
    return FileResult::damage(u"The file %1 holds more text than Morvane can keep. It was not "
                              "loaded, and Morvane will not save over it."_s.arg(nativePath(name)),
                              u"it holds more text than Morvane can keep"_s);
}

struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

}  // namespace

QString ReadErrorMessage(const QString &path, int err)
{
    if (err == ENOENT)
        return u"File "_s + path + u" not found"_s;
    QString why = QString::fromLocal8Bit(std::strerror(err));
    if (!why.isEmpty())
        why[0] = why[0].toLower();
    return u"The file %1 cannot be read: %2."_s.arg(nativePath(path), why);
}

static QString NotAFileMessage(const QString &path, bool link, unsigned mode)
{
    QString what;
    if (S_ISDIR(mode))
        what = u"a folder"_s;
    else if (S_ISFIFO(mode))
        what = u"a named pipe (FIFO)"_s;
    else if (S_ISCHR(mode) || S_ISBLK(mode))
        what = u"a device"_s;
    else if (S_ISSOCK(mode))
        what = u"a socket"_s;
    else
        what = u"something other than a file"_s;
    return u"The file %1 cannot be read: it is %2%3, not a file."_s.arg(nativePath(path),
                                                                        link ? u"a link to "_s : QString(), what);
}

FileResult LoadGridFile(Grid &table, const QString &path)
{
    // Not blocking on the open: a named pipe in the file's place would wait
    // for a writer for ever.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FileResult::failure(ReadErrorMessage(path, errno));
    const FdCloser closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return FileResult::failure(ReadErrorMessage(path, errno));
    if (!S_ISREG(st.st_mode)) {
        struct stat lst {};
        const bool link = ::lstat(native.constData(), &lst) == 0 && S_ISLNK(lst.st_mode);
        return FileResult::failure(NotAFileMessage(path, link, st.st_mode));
    }
    if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return FileResult::failure(ReadErrorMessage(path, errno));
    const auto size = std::size_t(std::max<off_t>(0, st.st_size));
    if (size > std::size_t(0xFFFFFFF0u) - 4096)
        return FileResult::damage(u"The file %1 is too large to be a table of Morvane. It was not "
                                  "loaded, and Morvane will not save over it."_s.arg(nativePath(path)),
                                  u"it is too large to be a table of Morvane"_s);
    QByteArray sizeLine;
    try {
        // Reads a chunk at a time and hands whole lines to the loader; only
        // the last, unfinished line of a chunk is carried over.
        // A chunk small enough to stay in the cache while it is parsed.
        std::vector<char> buf(std::size_t(256) << 10);
        for (const auto mode : {GridLoader::Text::Utf8, GridLoader::Text::Cp1252}) {
            if (::lseek(fd, 0, SEEK_SET) != 0)
                return FileResult::failure(ReadErrorMessage(path, errno));
            GridLoader loader(table, size, mode, path);
            loader.keepSizeLineIn(&sizeLine);
            if (mode == GridLoader::Text::Utf8)
                loader.reserveText(size);  // the cells' text is less than the file
            std::size_t have = 0;
            bool first = true, stopped = false, notUtf8 = false;
            for (;;) {
                if (have == buf.size())
                    buf.resize(buf.size() * 2);  // a line longer than the chunk
                const ssize_t n = ::read(fd, buf.data() + have, buf.size() - have);
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    return FileResult::failure(ReadErrorMessage(path, errno));
                }
                const bool eof = n == 0;
                have += std::size_t(n);
                const char *p = buf.data();
                const char *end = p + have;
                if (first) {
                    if (!eof && have < 3)
                        continue;
                    first = false;
                    if (isUtf16(p, have)) {
                        // Rare and small: read it whole and convert it.
                        QFile f;
                        if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) || !f.seek(0))
                            return FileResult::failure(ReadErrorMessage(path, EIO));
                        const QByteArray all = f.readAll();
                        return loadMemory(table, all.constData(), std::size_t(all.size()), path, false,
                                          &sizeLine);
                    }
                    p += leadingMarksIn(p, have);
                }
                if (eof) {
                    // A run of 0x1A at the very end is an old end-of-file mark.
                    while (end > p && end[-1] == '\x1A')
                        --end;
                }
                // Text that is not UTF-8 anywhere makes it a Windows code page
                // file: read it again as one.
                if (mode == GridLoader::Text::Utf8) {
                    const char *whole = eof ? end : lastLineEnd(p, end);
                    if (!IsValidUtf8(p, std::size_t(whole - p))) {
                        notUtf8 = true;
                        break;
                    }
                }
                const char *rest = p;
                stopped = !feedLines(loader, p, end, eof, &rest);
                if (eof || stopped)
                    break;
                have = std::size_t(end - rest);
                std::memmove(buf.data(), rest, have);
            }
            if (notUtf8)
                continue;
            return loader.finish(table);
        }
    } catch (const std::length_error &) {
    } catch (const std::bad_alloc &) {
    }
    return outOfMemory(path, size, sizeLine);
}

FileResult LoadGridBytes(Grid &table, QByteArrayView bytes, const QString &name)
{
    QByteArray sizeLine;
    try {
        return loadMemory(table, bytes.data(), std::size_t(bytes.size()), name, false, &sizeLine);
    } catch (const std::length_error &) {
    } catch (const std::bad_alloc &) {
    }
    return outOfMemory(name, std::size_t(bytes.size()), sizeLine);
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
