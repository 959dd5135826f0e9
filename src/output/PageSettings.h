#pragma once
// What a printed list asks of the grid printer: orientation, title and
// stamps and where they go, fonts, bands and margins, and how the table is
// fitted to the page. The printer paints; the settings and the arithmetic of
// fitting are plain values, the same for every list the program prints.

#include <QString>
#include <vector>

namespace morvane {

struct PrintFont {
    QString family = QStringLiteral("Arial");
    int pixelSize = 13;
    bool bold = false;
    bool italic = false, underline = false, strikeOut = false;
    bool operator==(const PrintFont &) const = default;
};

struct PageSettings {
    enum class Orientation { Portrait, Landscape };
    enum class Place { None, TopLeft, TopCentre, TopRight, BottomLeft, BottomRight };
    enum class Fit { Never, Shrink, Grow, Always };

    Orientation orientation = Orientation::Portrait;
    QString title;
    Place titlePlace = Place::TopCentre;
    Place datePlace = Place::None;
    Place timePlace = Place::None;
    Place pageNumberPlace = Place::None;
    bool cellBorders = false;
    bool centred = false;
    bool repeatHeader = false;
    int headingBand = 20;
    int footingBand = 20;
    int leftMargin = 20;
    int rightMargin = 20;
    int columnSpacing = 10;
    int rowSpacing = 0;
    PrintFont cellFont;
    PrintFont titleFont;
    PrintFont footingFont;
    Fit fit = Fit::Never;
    // Column widths in screen pixels before fitting; empty means the list's
    // own widths.
    std::vector<int> columnWidths;
};

// The combined list of tasks (print command): date and time stamps at the
// top, small fonts, shrunk to the page when wider, its own column widths.
PageSettings CombinedListPageSettings(const QString &title);
// The day list, titled by its heading as shown: stamps at the bottom,
// larger fonts, widened to the page.
PageSettings DayListPageSettings(const QString &heading);
// The to-do list, titled "To-do Tasks".
PageSettings TodoListPageSettings();
// The day and to-do lists print in the font they are shown in (the grid
// font of the options): cells, title and footing alike, the title in bold so
// that it still reads as one.
void SetListFont(PageSettings &settings, const PrintFont &listFont);
// The completed tasks: landscape, always fitted to the page, small fonts.
PageSettings CompletedListPageSettings();
// The holiday table: centred, with cell borders, no stamps. Shrunk to the
// page when wider, so that no column is ever cut off.
PageSettings HolidayListPageSettings();

// The table's width before fitting: the columns and the spacing between
// them.
int TableWidth(const std::vector<int> &widths, int columnSpacing);
// The factor the fit mode scales the table by to meet the printable width.
double FitScale(PageSettings::Fit fit, int tableWidth, int printableWidth);
// The column widths after fitting, rounded; they add up (with the scaled
// spacing) to no more than the printable width when the table was scaled to
// it.
std::vector<int> FittedColumnWidths(const std::vector<int> &widths, int columnSpacing, PageSettings::Fit fit,
                                    int printableWidth);
// The column widths of a table wider than the printable width, narrowed to
// it: the widest columns are cut down to one common width and the others
// keep theirs, so that short columns (a time, a done flag) stay readable.
// A table that fits is returned as it is.
std::vector<int> NarrowedToPage(const std::vector<int> &widths, int columnSpacing, int printableWidth);

}  // namespace morvane
