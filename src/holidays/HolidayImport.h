#pragma once
// Turning built-in holidays into holiday rows.

#include "BuiltInHolidays.h"
#include "Grid.h"
#include "Utility.h"

#include <QString>

namespace morvane {

// "1st", "2nd", "3rd", "11th", "21st" ...
QString OrdinalText(int n);
// The readable rule of a code: "Jan 1st", "Last Mon in May".
QString HolidayCodeText(QStringView code, const FormatSettings &fs);
// The holiday list line: rule text, a tab, the name.
QString HolidayLine(const HolidayStructure &h, const FormatSettings &fs);

struct HolidayRowText {
    QString name, month, rule;
    bool valid = false;  // the code could be read
};
// The row a code makes. Codes are English by definition, so their month
// abbreviation and weekday digit are read with a fixed English table and
// written as the locale's long names, whatever the locale calls them.
HolidayRowText RowFromCode(QStringView code, const QString &name, const FormatSettings &fs);

// Inserts the holiday's row at `row` of the table (the rows below move down).
void addToGrid(Grid &table, int row, const HolidayStructure &h, const FormatSettings &fs);

}  // namespace morvane
