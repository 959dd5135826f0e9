#include "TaskListExport.h"

#include "AtomicFile.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// Room for a list's bytes: its text plus what the markup adds per cell.
qsizetype estimateSize(const ListSource &list, qsizetype perCell)
{
    qsizetype size = 64;
    for (int r = 0; r < list.rowCount(); ++r)
        for (int c = 0; c < list.colCount(); ++c)
            size += list.cellUtf8(c, r).size() + perCell;
    return size;
}

// The cell for an HTML page: escaped, then every CR made "<br>". Escaping
// first keeps the "<br>" we add from being escaped itself.
void appendHtmlCell(QByteArray &out, QByteArrayView cell)
{
    if (cell.isEmpty()) {
        out.append("<br>");
        return;
    }
    const char *p = cell.data();
    const char *end = p + cell.size();
    const char *run = p;
    for (; p < end; ++p) {
        const char *entity = nullptr;
        switch (*p) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        case '\r': entity = "<br>"; break;
        default: continue;
        }
        out.append(run, p - run);
        out.append(entity);
        run = p + 1;
    }
    out.append(run, end - run);
}

bool csvNeedsQuotes(QByteArrayView cell)
{
    for (char c : cell)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
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

// Where a writer's bytes go: a buffer that, when writing a file, is handed on
// whenever it holds a chunk, so a large list never sits whole in memory (the
// first touch of fresh memory costs more than the writing).
class Sink {
public:
    using Flush = std::function<bool(const char *, std::size_t)>;
    explicit Sink(QByteArray &buffer, Flush flush = {}) : buf_(buffer), flush_(std::move(flush)) {}
    QByteArray &buf() { return buf_; }
    // Called between rows.
    void maybeFlush()
    {
        if (flush_ && buf_.size() >= kChunk)
            flushNow();
    }
    void flushNow()
    {
        if (flush_ && !buf_.isEmpty()) {
            flush_(buf_.constData(), std::size_t(buf_.size()));
            buf_.truncate(0);  // keeps the allocation for the next chunk
        }
    }
    static constexpr qsizetype kChunk = qsizetype(1) << 20;

private:
    QByteArray &buf_;
    Flush flush_;
};

void writeHtml(const ListSource &list, const QColor &headerColour, Sink &sink)
{
    QByteArray &out = sink.buf();
    out.append("<table border=1>\r\n");
    const QByteArray headerOpen = "<td nowrap BGCOLOR=\"#" + HexRgb(headerColour).toLatin1() + "\"><B>";
    const int cols = list.colCount();
    for (int r = 0; r < list.rowCount(); ++r) {
        out.append("<tr>\r\n");
        for (int c = 0; c < cols; ++c) {
            if (r == 0) {
                out.append(headerOpen);
                appendHtmlCell(out, list.cellUtf8(c, r));
                out.append("</B></td>\r\n");
            } else {
                out.append("<td nowrap>");
                appendHtmlCell(out, list.cellUtf8(c, r));
                out.append("</td>\r\n");
            }
        }
        out.append("</tr>\r\n");
        sink.maybeFlush();
    }
    out.append("</table><p>\r\n");
    sink.flushNow();
}

void writeCsv(const ListSource &list, Sink &sink)
{
    QByteArray &out = sink.buf();
    const int cols = list.colCount();
    for (int r = 0; r < list.rowCount(); ++r) {
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                out.append(',');
            const QByteArrayView cell = list.cellUtf8(c, r);
            if (cell.isEmpty()) {
                out.append("\"\"");
            } else if (csvNeedsQuotes(cell)) {
                out.append('"');
                const char *run = cell.data();
                const char *end = run + cell.size();
                for (const char *p = run; p < end; ++p)
                    if (*p == '"') {
                        out.append(run, p + 1 - run);  // the quote, then its double
                        out.append('"');
                        run = p + 1;
                    }
                out.append(run, end - run);
                out.append('"');
            } else {
                out.append(cell);
            }
        }
        out.append("\r\n");
        sink.maybeFlush();
    }
    sink.flushNow();
}

template <class Write> QByteArray toBytes(const ListSource &list, qsizetype perCell, Write write)
{
    QByteArray out;
    out.reserve(estimateSize(list, perCell));
    Sink sink(out);
    write(sink);
    return out;
}

template <class Write> FileResult toFile(const QString &path, Write write)
{
    AtomicFile file(path);
    if (FileResult ok = file.open(); !ok)
        return ok;
    QByteArray buffer;
    buffer.reserve(Sink::kChunk + 64 * 1024);
    Sink sink(buffer, [&](const char *p, std::size_t n) { return file.write(p, n); });
    write(sink);
    return file.commit();  // reports the first failed write, if any
}

}  // namespace

QByteArray TaskListHtml(const ListSource &list, const QColor &headerColour)
{
    return toBytes(list, 24, [&](Sink &s) { writeHtml(list, headerColour, s); });
}

QByteArray TaskListHtml(const Grid &list, const QColor &headerColour)
{
    return TaskListHtml(GridListSource(list), headerColour);
}

QByteArray TaskListCsv(const ListSource &list)
{
    return toBytes(list, 2, [&](Sink &s) { writeCsv(list, s); });
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

ExportFileDialog HtmlExportDialog()
{
    return {u"Save as an HTML file"_s, u"tasks.htm"_s, u"htm"_s, {u"HTM files (*.htm)"_s, u"All files (*.*)"_s}};
}

ExportFileDialog CsvExportDialog()
{
    return {u"Save as comma-delimited"_s,
            u"tasks.txt"_s,
            u"txt"_s,
            {u"Text files (*.txt)"_s, u"Comma Separated (*.csv)"_s, u"All files (*.*)"_s}};
}

}  // namespace morvane
