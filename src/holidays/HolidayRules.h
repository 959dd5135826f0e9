#pragma once
// Holiday rows and their rules. A holiday row holds a name, a two-digit month
// number, a long month name of the locale and a day rule: a one-time date
// "yyyymmdd", a floating weekday "Last : Monday", or a fixed day "25". The
// first row that falls on a date names it.

#include "Grid.h"
#include "Utility.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace morvane {

enum HolidayColumn { kHolName = 0, kHolMonthNo, kHolMonth, kHolRule, kHolCols };

Grid NewHolidayGrid();
void SetHolidayHeaders(Grid &table);

// "yyyymmdd" -> that date (invalid when the numbers make no date).
QDate OneTimeRuleDate(QStringView rule);
// The rule as the Holidays window shows and prints it: a one-time rule as
// its date in the short date format (the file keeps "yyyymmdd"), any other
// as it is.
QString HolidayRuleShown(const QString &rule, const FormatSettings &fs);
// The date a rule gives in a month; nothing when it gives no valid date.
std::optional<QDate> HolidayRuleDate(int year, int month, QStringView rule, const FormatSettings &fs);
// The name of the first row that falls on the date, or empty text. Reads the
// table as it stands; HolidayIndex answers the same faster.
QString HolidayNameForDate(const Grid &table, const QDate &date, const FormatSettings &fs);

// The row an editor or an import writes: month number from the month name.
void WriteHolidayRow(Grid &table, int row, const QString &name, const QString &month, const QString &rule,
                     const FormatSettings &fs);

// The holiday table read once, for the calendars, which ask for every day
// they paint. Answers exactly as HolidayNameForDate on the table it was
// built from.
class HolidayIndex {
public:
    HolidayIndex() = default;
    HolidayIndex(const Grid &table, const FormatSettings &fs);
    QString nameFor(const QDate &date) const;
    bool empty() const { return rows_.empty(); }

private:
    enum class Kind { OneTime, Floating, Fixed, None };
    struct Row {
        QString name;
        Kind kind;
        int n = 0, weekday = 0, day = 0;
        QDate date;
    };
    std::vector<Row> rows_;
    std::array<std::vector<int>, 12> byMonth_;  // rows whose month text names the month, in order
};

// Sorting the Holidays window by a column: text by character codes; ties by
// the following columns, the rule column excepted.
void SortHolidayRows(Grid &table, int column, bool ascending);

}  // namespace morvane
