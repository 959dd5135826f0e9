#include "GridPrinter.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QFont arial(int pixels, bool bold = false)
{
    QFont f(u"Arial"_s);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

PageSettings listPage(const QString &title, int cell, int heading, int footing, FitToPage fit, bool stampsBelow)
{
    PageSettings s;
    s.title = title;
    s.cellFont = arial(cell);
    s.titleFont = arial(heading, true);
    s.footingFont = arial(footing);
    s.fit = fit;
    if (stampsBelow) {
        s.datePlace = StampPlace::BottomLeft;
        s.timePlace = StampPlace::BottomRight;
    }
    return s;
}

// A cell as printed: its line breaks kept, CR LF as one.
QString printedText(const QString &cell)
{
    QString t = cell;
    t.replace(u"\r\n"_s, u"\n"_s);
    t.replace(u'\r', u'\n');
    return t;
}

}  // namespace

PageSettings CombinedListPage(const QString &title)
{
    PageSettings s = listPage(title, 13, 13, 13, FitToPage::Shrink, false);
    s.colWidths = {59, 63, 68, 350, 48, 54};
    return s;
}

PageSettings DayListPage(const QString &title) { return listPage(title, 16, 19, 13, FitToPage::Grow, true); }
PageSettings TodoListPage(const QString &title) { return listPage(title, 16, 19, 16, FitToPage::Grow, true); }
PageSettings WindowListPage(const QString &title) { return listPage(title, 13, 16, 13, FitToPage::Shrink, true); }

double FitScale(FitToPage fit, double tableWidth, double pageWidth)
{
    if (tableWidth <= 0 || pageWidth <= 0)
        return 1.0;
    const double toPage = pageWidth / tableWidth;
    switch (fit) {
    case FitToPage::Never: return 1.0;
    case FitToPage::Shrink: return std::min(1.0, toPage);
    case FitToPage::Grow: return std::max(1.0, toPage);
    case FitToPage::Always: return toPage;
    }
    return 1.0;
}

int PrintGrid(QPagedPaintDevice &device, const Grid &table, const PageSettings &s, const QDateTime &now,
              const FormatSettings &fs)
{
    device.setPageOrientation(s.orientation);
    QPainter p;
    if (!p.begin(&device))
        return 0;
    // Everything below is laid out in screen pixels.
    const double toDevice = device.logicalDpiX() / 96.0;
    const QRectF page(0, 0, device.width() / toDevice, device.height() / toDevice);

    const int cols = table.colCount();
    std::vector<double> widths(static_cast<std::size_t>(cols));
    double tableWidth = 0;
    for (int c = 0; c < cols; ++c) {
        widths[std::size_t(c)] = c < int(s.colWidths.size()) ? s.colWidths[std::size_t(c)] : table.colWidth(c);
        tableWidth += widths[std::size_t(c)] + (c ? s.colSpacing : 0);
    }
    const double printable = page.width() - s.leftMargin - s.rightMargin;
    // Fitting widens or narrows the columns; the text keeps its size, so a
    // wide list stays readable and a narrow one does not print in giant type.
    const double scale = FitScale(s.fit, tableWidth, printable);
    for (double &w : widths)
        w *= scale;
    tableWidth *= scale;
    double left = s.leftMargin;
    if (s.centred && tableWidth < printable)
        left += (printable - tableWidth) / 2;

    const QString date = FormatDateTime(fs.shortDateFormat, ToDateValue(now), fs);
    const QString time = FormatDateTime(fs.shortTimeFormat, ToDateValue(now), fs);
    const double top = s.headingBand + QFontMetricsF(s.titleFont).height() + 4;
    const double bottom = page.height() - s.footingBand - QFontMetricsF(s.footingFont).height() - 4;

    auto drawStamp = [&](StampPlace place, const QString &text, const QFont &font) {
        if (place == StampPlace::None || text.isEmpty())
            return;
        const QFontMetricsF m(font);
        const bool up = place == StampPlace::TopLeft || place == StampPlace::TopCenter || place == StampPlace::TopRight;
        const double y = up ? s.headingBand : page.height() - s.footingBand - m.height();
        const QRectF band(s.leftMargin, y, printable, m.height());
        const Qt::Alignment h = place == StampPlace::TopLeft || place == StampPlace::BottomLeft ? Qt::AlignLeft
                                : place == StampPlace::TopCenter                                 ? Qt::AlignHCenter
                                                                                                 : Qt::AlignRight;
        p.setFont(font);
        p.drawText(band, h | Qt::AlignVCenter, text);
    };
    auto startPage = [&] {
        p.resetTransform();
        p.scale(toDevice, toDevice);
        drawStamp(s.titlePlace, s.title, s.titleFont);
        drawStamp(s.datePlace, date, s.footingFont);
        drawStamp(s.timePlace, time, s.footingFont);
    };

    int pages = 1;
    startPage();
    double y = top;
    for (int r = 0; r < table.rowCount(); ++r) {
        QFont font = s.cellFont;
        font.setBold(r == 0);
        const QFontMetricsF m(font);
        // The row is as high as its tallest cell, its text wrapped to the column.
        double height = m.height();
        std::vector<QString> texts(static_cast<std::size_t>(cols));
        for (int c = 0; c < cols; ++c) {
            texts[std::size_t(c)] = printedText(ShownText(table.cell(c, r)));
            const QRectF need = m.boundingRect(QRectF(0, 0, widths[std::size_t(c)], 1e6),
                                               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, texts[std::size_t(c)]);
            height = std::max(height, need.height());
        }
        const double rowHeight = height + s.rowSpacing;
        if (y + rowHeight > bottom && y > top) {
            if (!device.newPage())
                break;
            ++pages;
            startPage();
            y = top;
        }
        p.save();
        p.translate(left, y);
        p.setFont(font);
        double x = 0;
        for (int c = 0; c < cols; ++c) {
            const QRectF cell(x, 0, widths[std::size_t(c)], height);
            p.drawText(cell, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, texts[std::size_t(c)]);
            if (s.borders)
                p.drawRect(cell.adjusted(-s.colSpacing / 2.0, 0, s.colSpacing / 2.0, 0));
            x += widths[std::size_t(c)] + s.colSpacing * scale;
        }
        p.restore();
        y += rowHeight;
    }
    p.end();
    return pages;
}

}  // namespace morvane
