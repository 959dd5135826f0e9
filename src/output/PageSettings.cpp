#include "PageSettings.h"

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

PrintFont font(int px, bool bold = false) { return PrintFont{u"Arial"_s, px, bold}; }

// What the three lists share: portrait, no page number or borders, not
// centred, header not repeated, 20 for bands and margins, 10 between columns.
PageSettings listBase(const QString &title)
{
    PageSettings s;
    s.title = title;
    s.titlePlace = PageSettings::Place::TopCentre;
    return s;
}

}  // namespace

PageSettings CombinedListPageSettings(const QString &title)
{
    PageSettings s = listBase(title);
    s.datePlace = PageSettings::Place::TopLeft;
    s.timePlace = PageSettings::Place::TopRight;
    s.cellFont = font(13);
    s.titleFont = font(13, true);
    s.footingFont = font(13);
    s.fit = PageSettings::Fit::Shrink;
    s.columnWidths = {59, 63, 68, 350, 48, 54};
    return s;
}

PageSettings DayListPageSettings(const QString &heading)
{
    PageSettings s = listBase(heading);
    s.datePlace = PageSettings::Place::BottomLeft;
    s.timePlace = PageSettings::Place::BottomRight;
    s.cellFont = font(16);
    s.titleFont = font(19, true);
    s.footingFont = font(13);
    s.fit = PageSettings::Fit::Grow;
    return s;
}

PageSettings TodoListPageSettings()
{
    PageSettings s = DayListPageSettings(u"To-do Tasks"_s);
    s.footingFont = font(16);
    return s;
}

void SetListFont(PageSettings &s, const PrintFont &listFont)
{
    s.cellFont = s.footingFont = s.titleFont = listFont;
    s.titleFont.bold = true;
}

PageSettings CompletedListPageSettings()
{
    PageSettings s = listBase(u"Completed Tasks"_s);
    s.orientation = PageSettings::Orientation::Landscape;
    s.datePlace = PageSettings::Place::TopLeft;
    s.timePlace = PageSettings::Place::TopRight;
    s.footingBand = 10;
    s.columnSpacing = 0;
    s.cellFont = font(12);
    s.titleFont = font(12, true);
    s.footingFont = font(11);
    s.fit = PageSettings::Fit::Always;
    return s;
}

PageSettings HolidayListPageSettings()
{
    PageSettings s = listBase(u"Holidays"_s);
    s.cellBorders = true;
    s.centred = true;
    s.fit = PageSettings::Fit::Shrink;
    return s;
}

int TableWidth(const std::vector<int> &widths, int columnSpacing)
{
    if (widths.empty())
        return 0;
    return std::accumulate(widths.begin(), widths.end(), 0) + columnSpacing * int(widths.size() - 1);
}

double FitScale(PageSettings::Fit fit, int tableWidth, int printableWidth)
{
    if (tableWidth <= 0 || printableWidth <= 0)
        return 1.0;
    const double toPage = double(printableWidth) / double(tableWidth);
    switch (fit) {
    case PageSettings::Fit::Never: return 1.0;
    case PageSettings::Fit::Shrink: return tableWidth > printableWidth ? toPage : 1.0;
    case PageSettings::Fit::Grow: return tableWidth < printableWidth ? toPage : 1.0;
    case PageSettings::Fit::Always: return toPage;
    }
    return 1.0;
}

std::vector<int> FittedColumnWidths(const std::vector<int> &widths, int columnSpacing, PageSettings::Fit fit,
                                    int printableWidth)
{
    const double scale = FitScale(fit, TableWidth(widths, columnSpacing), printableWidth);
    std::vector<int> out;
    out.reserve(widths.size());
    // Rounded down, so the scaled table never runs past the printable width.
    for (int w : widths)
        out.push_back(std::max(0, int(std::floor(w * scale))));
    return out;
}

std::vector<int> NarrowedToPage(const std::vector<int> &widths, int columnSpacing, int printableWidth)
{
    if (TableWidth(widths, columnSpacing) <= printableWidth)
        return widths;
    const int n = int(widths.size());
    const int room = printableWidth - columnSpacing * (n - 1);
    // The narrowest columns keep their widths while the rest can share what
    // is left; the columns past that point share it equally.
    std::vector<int> sorted = widths;
    std::sort(sorted.begin(), sorted.end());
    int left = room;
    int cap = 0;
    for (int i = 0; i < n; ++i) {
        const int sharing = n - i;
        if (sorted[std::size_t(i)] * sharing > left) {
            cap = left / sharing;
            break;
        }
        left -= sorted[std::size_t(i)];
    }
    std::vector<int> out;
    out.reserve(widths.size());
    if (cap <= 0 || cap < sorted.front()) {
        // Not even the narrowest columns fit: all of them give way alike.
        const double scale = room > 0 ? double(room) / double(TableWidth(widths, 0)) : 0.0;
        for (int w : widths)
            out.push_back(std::max(0, int(std::floor(w * scale))));
        return out;
    }
    for (int w : widths)
        out.push_back(std::min(w, cap));
    return out;
}

}  // namespace morvane
