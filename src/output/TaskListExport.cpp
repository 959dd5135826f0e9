#include "TaskListExport.h"

#include "AtomicFile.h"

#include <cstring>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// Where a writer's bytes go: a fixed buffer handed on whenever it fills, to
// the file being written or to the bytes being returned. A large list never
// sits whole in memory (touching that much fresh memory costs more than the
// writing), and each piece is a bounds check and a memcpy.
class Sink {
public:
    using Flush = std::function<bool(const char *, std::size_t)>;
    explicit Sink(Flush flush) : buf_(new char[kSize]), flush_(std::move(flush)) {}

    void put(const char *p, std::size_t n)
    {
        if (n > kSize - used_) {
            flush();
            if (n > kSize) {  // a huge cell goes straight through
                flush_(p, n);
                return;
            }
        }
        std::memcpy(buf_.get() + used_, p, n);
        used_ += n;
    }
    void put(QByteArrayView b) { put(b.data(), std::size_t(b.size())); }
    template <std::size_t N> void lit(const char (&s)[N]) { put(s, N - 1); }
    void put(char c)
    {
        if (used_ == kSize)
            flush();
        buf_[used_++] = c;
    }
    void flush()
    {
        if (used_ > 0)
            flush_(buf_.get(), used_);
        used_ = 0;
    }

private:
    static constexpr std::size_t kSize = std::size_t(1) << 20;
    std::unique_ptr<char[]> buf_;
    std::size_t used_ = 0;
    Flush flush_;
};

// Bytes that need attention in a cell: markup characters and CR for HTML,
// and for CSV what forces quotes.
struct ByteClasses {
    bool html[256] = {};
    bool csv[256] = {};
    constexpr ByteClasses()
    {
        for (unsigned char c : {'&', '<', '>', '"', '\r'})
            html[c] = true;
        for (unsigned char c : {',', '"', '\r', '\n'})
            csv[c] = true;
    }
};
constexpr ByteClasses kBytes;

// The cell for an HTML page: escaped, and every CR made "<br>" (escaping
// first, so the "<br>" we add is not escaped itself); "<br>" when empty.
void putHtmlCell(Sink &out, QByteArrayView cell)
{
    if (cell.isEmpty()) {
        out.lit("<br>");
        return;
    }
    const char *p = cell.data();
    const char *end = p + cell.size();
    const char *run = p;
    for (; p < end; ++p) {
        if (!kBytes.html[static_cast<unsigned char>(*p)])
            continue;
        out.put(run, std::size_t(p - run));
        switch (*p) {
        case '&': out.lit("&amp;"); break;
        case '<': out.lit("&lt;"); break;
        case '>': out.lit("&gt;"); break;
        case '"': out.lit("&quot;"); break;
        default: out.lit("<br>"); break;  // CR
        }
        run = p + 1;
    }
    out.put(run, std::size_t(end - run));
}

bool csvNeedsQuotes(QByteArrayView cell)
{
    for (char c : cell)
        if (kBytes.csv[static_cast<unsigned char>(c)])
            return true;
    return false;
}

}  // namespace

void AppendHtmlEscaped(QByteArray &out, QByteArrayView utf8)
{
    const char *p = utf8.data();
    const char *end = p + utf8.size();
    const char *run = p;
    for (; p < end; ++p) {
        const char *entity = nullptr;
        switch (*p) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        default: continue;
        }
        out.append(run, p - run);
        out.append(entity);
        run = p + 1;
    }
    out.append(run, end - run);
}

QString HtmlEscaped(QStringView text)
{
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size() + 16);
    AppendHtmlEscaped(out, utf8);
    return QString::fromUtf8(out);
}

QString HexRgb(const QColor &colour)
{
    const QRgb rgb = colour.rgb();
    return u"%1%2%3"_s.arg(qRed(rgb), 2, 16, QChar(u'0'))
        .arg(qGreen(rgb), 2, 16, QChar(u'0'))
        .arg(qBlue(rgb), 2, 16, QChar(u'0'))
        .toUpper();
}

namespace {

void writeHtml(const ListSource &list, const QColor &headerColour, Sink &out)
{
    out.lit("<table border=1>\r\n");
    const QByteArray headerOpen = "<td nowrap BGCOLOR=\"#" + HexRgb(headerColour).toLatin1() + "\"><B>";
    const int cols = list.colCount();
    for (int r = 0; r < list.rowCount(); ++r) {
        out.lit("<tr>\r\n");
        for (int c = 0; c < cols; ++c) {
            if (r == 0) {
                out.put(headerOpen);
                putHtmlCell(out, list.cellUtf8(c, r));
                out.lit("</B></td>\r\n");
            } else if (list.isNotesColumn(c)) {
                // A long note wraps rather than widen the page to its length.
                out.lit("<td>");
                putHtmlCell(out, list.cellUtf8(c, r));
                out.lit("</td>\r\n");
            } else {
                out.lit("<td nowrap>");
                putHtmlCell(out, list.cellUtf8(c, r));
                out.lit("</td>\r\n");
            }
        }
        out.lit("</tr>\r\n");
    }
    out.lit("</table><p>\r\n");
    out.flush();
}

void writeCsv(const ListSource &list, Sink &out)
{
    const int cols = list.colCount();
    for (int r = 0; r < list.rowCount(); ++r) {
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                out.put(',');
            const QByteArrayView cell = list.cellUtf8(c, r);
            if (cell.isEmpty()) {
                out.lit("\"\"");
            } else if (csvNeedsQuotes(cell)) {
                out.put('"');
                const char *run = cell.data();
                const char *end = run + cell.size();
                for (const char *p = run; p < end; ++p)
                    if (*p == '"') {
                        out.put(run, std::size_t(p + 1 - run));  // the quote, then its double
                        out.put('"');
                        run = p + 1;
                    }
                out.put(run, std::size_t(end - run));
                out.put('"');
            } else {
                out.put(cell);
            }
        }
        out.lit("\r\n");
    }
    out.flush();
}

template <class Write> QByteArray toBytes(Write write)
{
    QByteArray bytes;
    Sink sink([&](const char *p, std::size_t n) {
        bytes.append(p, qsizetype(n));
        return true;
    });
    write(sink);
    return bytes;
}

template <class Write> FileResult toFile(const QString &path, Write write)
{
    AtomicFile file(path);
    if (FileResult ok = file.open(); !ok)
        return ok;
    // After a failed write the file ignores the rest; commit() reports it.
    Sink sink([&](const char *p, std::size_t n) { return file.write(p, n); });
    write(sink);
    return file.commit();
}

}  // namespace

QByteArray TaskListHtml(const ListSource &list, const QColor &headerColour)
{
    return toBytes([&](Sink &s) { writeHtml(list, headerColour, s); });
}

QByteArray TaskListHtml(const Grid &list, const QColor &headerColour)
{
    return TaskListHtml(GridListSource(list), headerColour);
}

QByteArray TaskListCsv(const ListSource &list)
{
    return toBytes([&](Sink &s) { writeCsv(list, s); });
}

QByteArray TaskListCsv(const Grid &list) { return TaskListCsv(GridListSource(list)); }

FileResult SaveTaskListHtml(const ListSource &list, const QColor &headerColour, const QString &path)
{
    return toFile(path, [&](Sink &s) { writeHtml(list, headerColour, s); });
}

FileResult SaveTaskListCsv(const ListSource &list, const QString &path)
{
    return toFile(path, [&](Sink &s) { writeCsv(list, s); });
}

FileResult WriteExportFile(const QString &path, QByteArrayView bytes)
{
    return WriteFileAtomically(path, bytes);
}

ExportFileDialog HtmlExportDialog(const QString &baseName)
{
    return {u"Save as an HTML file"_s, baseName + u".htm"_s, u"htm"_s, {u"HTM files (*.htm)"_s, u"All files (*.*)"_s}};
}

ExportFileDialog CsvExportDialog(const QString &baseName)
{
    return {u"Save as comma-delimited"_s,
            baseName + u".txt"_s,
            u"txt"_s,
            {u"Text files (*.txt)"_s, u"Comma Separated (*.csv)"_s, u"All files (*.*)"_s}};
}

}  // namespace morvane
