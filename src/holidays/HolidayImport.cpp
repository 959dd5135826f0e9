#include "HolidayImport.h"

#include "HolidayRules.h"

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr const char16_t *kEnglishMonths[12] = {u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                                u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};

int englishMonth(QStringView abbrev)
{
    for (int m = 0; m < 12; ++m)
        if (abbrev.compare(QStringView(kEnglishMonths[m]), Qt::CaseInsensitive) == 0)
            return m + 1;
    return 0;
}

bool floating(QStringView code) { return !code.isEmpty() && code[0].isDigit(); }

int digit(QChar c) { return c.isDigit() ? c.digitValue() : -1; }

}  // namespace

QString OrdinalText(int n)
{
    const char *suffix = "th";
    switch (n) {
    case 1: case 21: case 31: suffix = "st"; break;
    case 2: case 22: case 32: suffix = "nd"; break;
    case 3: case 23: case 33: suffix = "rd"; break;
    default: break;
    }
    return QString::number(n) + QString::fromLatin1(suffix);
}

QString HolidayCodeText(QStringView code, const FormatSettings &fs)
{
    if (code.size() < 5)
        return code.toString();
    if (floating(code)) {
        const int n = digit(code[0]), d = digit(code[1]);
        const QString nth = n == 5 ? u"Last"_s : OrdinalText(n);
        const QString day = (d >= 1 && d <= 7) ? fs.shortDayNames[std::size_t(d - 1)] : code.sliced(1, 1).toString();
        return nth + u' ' + day + u" in "_s + code.sliced(2, 3).toString();
    }
    return code.sliced(0, 3).toString() + u' ' + OrdinalText(code.sliced(3, 2).toInt());
}

QString HolidayLine(const HolidayStructure &h, const FormatSettings &fs)
{
    return HolidayCodeText(QString::fromLatin1(h.code), fs) + u'\t' + QString::fromUtf8(h.name);
}

HolidayRowText RowFromCode(QStringView code, const QString &name, const FormatSettings &fs)
{
    HolidayRowText row;
    row.name = name.left(255);
    if (code.size() < 5)
        return row;
    if (floating(code)) {
        static const char16_t *const kNth[] = {u"First", u"Second", u"Third", u"Fourth", u"Last"};
        const int n = digit(code[0]), d = digit(code[1]), m = englishMonth(code.sliced(2, 3));
        if (n < 1 || n > 5 || d < 1 || d > 7 || m == 0)
            return row;
        row.month = fs.longMonthNames[std::size_t(m - 1)];
        row.rule = QString::fromUtf16(kNth[n - 1]) + u" : "_s + fs.longDayNames[std::size_t(d - 1)];
    } else {
        const int m = englishMonth(code.sliced(0, 3));
        bool ok = false;
        const int day = code.sliced(3, 2).toInt(&ok);
        if (m == 0 || !ok)
            return row;
        row.month = fs.longMonthNames[std::size_t(m - 1)];
        row.rule = QString::number(day);
    }
    row.valid = true;
    return row;
}

void addToGrid(Grid &table, int row, const HolidayStructure &h, const FormatSettings &fs)
{
    const HolidayRowText text = RowFromCode(QString::fromLatin1(h.code), QString::fromUtf8(h.name), fs);
    if (!text.valid)
        return;
    if (table.colCount() < kHolCols)
        table.setColCount(kHolCols);
    row = std::clamp(row, 1, table.rowCount());
    table.insertRows(row, 1);
    WriteHolidayRow(table, row, text.name, text.month, text.rule, fs);
}

}  // namespace morvane
