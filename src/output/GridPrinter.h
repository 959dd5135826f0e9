#pragma once
// Prints a list: every row, header first, every column at the list's column
// widths fitted to the page as the list's page settings say, with its title
// and date and time stamps. One printer serves every list of the program.

#include "Grid.h"
#include "PageSettings.h"
#include "Utility.h"

#include <QDateTime>
#include <QFont>

class QPagedPaintDevice;

namespace morvane {

QFont ToQFont(const PrintFont &f);

// Prints the table on the device's pages, a new page whenever a row would
// not fit; a cell's text wraps within its column, so nothing is cut off, and
// a row taller than a page goes on on the next one, never over the footing.
// Fitting widens or narrows the columns and keeps the type's size. The
// stamps show `now` in the locale's short date and time. Returns the number
// of pages, 0 when the device could not be painted on.
int PrintGrid(QPagedPaintDevice &device, const Grid &table, const PageSettings &settings, const QDateTime &now,
              const FormatSettings &fs);

}  // namespace morvane
