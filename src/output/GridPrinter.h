#pragma once
// Prints a list: every row, header first, every column at the list's column
// widths, scaled to the page as the list's settings say, with a title and a
// date and time stamp. One printer serves every list of the program.

#include "Grid.h"
#include "Utility.h"

#include <QDateTime>
#include <QFont>
#include <QPageLayout>
#include <QString>
#include <vector>

class QPagedPaintDevice;

namespace morvane {

enum class StampPlace { None, TopLeft, TopCenter, TopRight, BottomLeft, BottomRight };
enum class FitToPage { Never, Shrink, Grow, Always };

// The page settings of a printable list. Bands, margins and spacings are in
// screen pixels (1/96 inch), like the column widths.
struct PageSettings {
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QString title;
    StampPlace titlePlace = StampPlace::TopCenter;
    StampPlace datePlace = StampPlace::TopLeft;
    StampPlace timePlace = StampPlace::TopRight;
    bool borders = false;
    bool centred = false;
    bool repeatHeader = false;
    int headingBand = 20, footingBand = 20;
    int leftMargin = 20, rightMargin = 20;
    int colSpacing = 10, rowSpacing = 0;
    QFont cellFont, titleFont, footingFont;
    FitToPage fit = FitToPage::Shrink;
    std::vector<int> colWidths;  // one per column; missing ones take the grid's
};

// The settings of the program's lists.
PageSettings CombinedListPage(const QString &title);
PageSettings DayListPage(const QString &title);
PageSettings TodoListPage(const QString &title);
// A list printed as the completed-tasks or holiday window shows it.
PageSettings WindowListPage(const QString &title);

// The scale a fit mode gives a table of this width on a page of that width.
double FitScale(FitToPage fit, double tableWidth, double pageWidth);

// Prints the table on the device's pages, a new page whenever a row would
// not fit. The stamps show `now` in the locale's short date and time.
// Returns the number of pages, 0 when the device could not be painted on.
int PrintGrid(QPagedPaintDevice &device, const Grid &table, const PageSettings &settings, const QDateTime &now,
              const FormatSettings &fs);

}  // namespace morvane
