#include "GridPrinter.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// A cell as printed: its line breaks kept, CR LF as one.
QString printedText(const QString &cell)
{
    QString t = cell;
    t.replace(u"\r\n"_s, u"\n"_s);
    t.replace(u'\r', u'\n');
    return t;
}

}  // namespace

QFont ToQFont(const PrintFont &f)
{
    QFont font(f.family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(f.pixelSize);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

int PrintGrid(QPagedPaintDevice &device, const Grid &table, const PageSettings &s, const QDateTime &now,
              const FormatSettings &fs)
{
    device.setPageOrientation(s.orientation == PageSettings::Orientation::Landscape ? QPageLayout::Landscape
                                                                                     : QPageLayout::Portrait);
    QPainter p;
    if (!p.begin(&device))
        return 0;
    // Everything below is laid out in screen pixels.
    const double toDevice = device.logicalDpiX() / 96.0;
    const QRectF page(0, 0, device.width() / toDevice, device.height() / toDevice);

    // The columns printed: a column the list hides (width 0) is left out.
    std::vector<int> columns, given;
    for (int c = 0; c < table.colCount(); ++c) {
        const int w = c < int(s.columnWidths.size()) ? s.columnWidths[std::size_t(c)] : table.colWidth(c);
        if (w > 0) {
            columns.push_back(c);
            given.push_back(w);
        }
    }
    const int cols = int(columns.size());
    // A column is at least as wide as the longest word of its heading, so
    // that no heading is cut in the middle of a word.
    {
        QFont bold = ToQFont(s.cellFont);
        bold.setBold(true);
        const QFontMetricsF m(bold);
        for (int i = 0; i < cols; ++i)
            for (const QString &word : table.cell(columns[std::size_t(i)], 0).split(u' ', Qt::SkipEmptyParts))
                given[std::size_t(i)] = std::max(given[std::size_t(i)], int(std::ceil(m.horizontalAdvance(word))) + 2);
    }
    const int printable = int(page.width()) - s.leftMargin - s.rightMargin;
    // Fitting widens or narrows the columns; the text keeps its size, so a
    // wide list stays readable and a narrow one does not print in giant type.
    const double scale = FitScale(s.fit, TableWidth(given, s.columnSpacing), printable);
    std::vector<int> fitted = FittedColumnWidths(given, s.columnSpacing, s.fit, printable);
    const double spacing = s.columnSpacing * scale;
    // Every column goes on the page: a list still wider than the page (a day
    // list in a wide window, which only ever grows) gives up the width of its
    // widest column, or its done and alarm columns would fall off the paper.
    fitted = NarrowedToPage(fitted, int(spacing), printable);
    const std::vector<double> widths(fitted.begin(), fitted.end());
    double tableWidth = 0;
    for (double w : widths)
        tableWidth += w;
    tableWidth += spacing * std::max(0, cols - 1);
    double left = s.leftMargin;
    if (s.centred && tableWidth < printable)
        left += (printable - tableWidth) / 2;
    const QFont cellFont = ToQFont(s.cellFont), titleFont = ToQFont(s.titleFont),
                footingFont = ToQFont(s.footingFont);

    const QString date = FormatDateTime(fs.shortDateFormat, ToDateValue(now), fs);
    const QString time = FormatDateTime(fs.shortTimeFormat, ToDateValue(now), fs);
    const double top = s.headingBand + QFontMetricsF(titleFont).height() + 4;
    const double bottom = page.height() - s.footingBand - QFontMetricsF(footingFont).height() - 4;

    using Place = PageSettings::Place;
    auto drawStamp = [&](Place place, const QString &text, const QFont &font) {
        if (place == Place::None || text.isEmpty())
            return;
        const QFontMetricsF m(font);
        const bool up = place == Place::TopLeft || place == Place::TopCentre || place == Place::TopRight;
        const double y = up ? s.headingBand : page.height() - s.footingBand - m.height();
        const QRectF band(s.leftMargin, y, printable, m.height());
        const Qt::Alignment h = place == Place::TopLeft || place == Place::BottomLeft ? Qt::AlignLeft
                                : place == Place::TopCentre                           ? Qt::AlignHCenter
                                                                                      : Qt::AlignRight;
        p.setFont(font);
        p.drawText(band, h | Qt::AlignVCenter, text);
    };
    auto startPage = [&] {
        p.resetTransform();
        p.scale(toDevice, toDevice);
        drawStamp(s.titlePlace, s.title, titleFont);
        drawStamp(s.datePlace, date, footingFont);
        drawStamp(s.timePlace, time, footingFont);
    };

    // Cells are laid out line by line, so that a row taller than what is
    // left of a page can go on on the next one, cut between two lines.
    QTextOption wrap(Qt::AlignLeft | Qt::AlignTop);
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QRectF body(0, top, page.width(), bottom - top);

    int pages = 1;
    startPage();
    double y = top;
    auto newPage = [&] {
        if (!device.newPage())
            return false;
        ++pages;
        startPage();
        y = top;
        return true;
    };
    std::vector<std::unique_ptr<QTextLayout>> cells(static_cast<std::size_t>(cols));
    // Prints the row laid out in `cells` a page at a time: `from` is where in
    // the row a page begins, `to` where it ends, between two lines of every
    // cell. False when no new page could be started.
    auto printRow = [&](const QFont &font, double height) {
        for (double from = 0;;) {
            const double room = bottom - y;
            double to = height;
            if (height - from > room) {
                // Up to the first line, in any cell, that would not fit.
                for (const auto &cell : cells)
                    for (int i = 0; i < cell->lineCount(); ++i) {
                        const QTextLine line = cell->lineAt(i);
                        if (line.y() >= from && line.y() + line.height() - from > room) {
                            to = std::min(to, line.y());
                            break;
                        }
                    }
                if (to <= from) {
                    // Not one line fits: on a fresh page, on the next one;
                    // a line taller than a whole page is cut at its foot.
                    if (y > top) {
                        if (!newPage())
                            return false;
                        continue;
                    }
                    to = from + std::max(room, 1.0);
                }
            }
            p.save();
            p.setClipRect(body);
            p.translate(left, y - from);
            p.setFont(font);
            double x = 0;
            for (int c = 0; c < cols; ++c) {
                const QTextLayout &cell = *cells[std::size_t(c)];
                for (int i = 0; i < cell.lineCount(); ++i) {
                    const QTextLine line = cell.lineAt(i);
                    if (line.y() >= from && line.y() < to)
                        line.draw(&p, QPointF(x, 0));
                }
                if (s.cellBorders)
                    p.drawRect(QRectF(x, from, widths[std::size_t(c)], to - from)
                                   .adjusted(-spacing / 2 - 1, 0, spacing / 2 + 1, 0));
                x += widths[std::size_t(c)] + spacing;
            }
            p.restore();
            if (to >= height) {
                y += height - from + s.rowSpacing;
                return true;
            }
            if (!newPage())
                return false;
            from = to;
        }
    };
    for (int r = 0; r < table.rowCount(); ++r) {
        QFont font = cellFont;
        font.setBold(r == 0);
        // The row is as high as its tallest cell, its text wrapped to the column.
        double height = QFontMetricsF(font).height();
        for (int c = 0; c < cols; ++c) {
            QString text = printedText(ShownText(table.cell(columns[std::size_t(c)], r)));
            text.replace(u'\n', QChar::LineSeparator);
            auto &cell = cells[std::size_t(c)];
            cell = std::make_unique<QTextLayout>(text, font);
            cell->setTextOption(wrap);
            cell->beginLayout();
            double h = 0;
            for (QTextLine line = cell->createLine(); line.isValid(); line = cell->createLine()) {
                line.setLineWidth(widths[std::size_t(c)]);
                line.setPosition(QPointF(0, h));
                h += line.height();
            }
            cell->endLayout();
            height = std::max(height, h);
        }
        // A row that fits on a page starts on a new one rather than be cut.
        if (y + height > bottom && y > top && height <= bottom - top && !newPage())
            break;
        if (!printRow(font, height))
            break;
    }
    p.end();
    return pages;
}

}  // namespace morvane
