#include "HolidayRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

bool isDigits8(QStringView rule) { return CountDigits(rule) == 8; }

// The ordinal of a floating rule: 1..4, 5 for last, 0 when none is named.
int ruleOrdinal(const QString &lower)
{
    const std::pair<QStringView, int> words[] = {
        {u"first", 1}, {u"second", 2}, {u"third", 3}, {u"fourth", 4}, {u"last", 5}};
    for (const auto &[word, n] : words)
        if (lower.contains(word))
            return n;
    return 0;
}

int ruleWeekday(const QString &lower, const FormatSettings &fs)
{
    for (int i = 0; i < 7; ++i)
        if (!fs.longDayNames[std::size_t(i)].isEmpty() && lower.contains(fs.longDayNames[std::size_t(i)].toLower()))
            return i + 1;
    return 0;
}

std::optional<int> wholeNumber(QStringView rule)
{
    bool ok = false;
    const int d = rule.trimmed().toInt(&ok);
    return ok ? std::optional<int>(d) : std::nullopt;
}

std::optional<QDate> validDate(int y, int m, int d)
{
    const QDate date(y, m, d);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

}  // namespace

Grid NewHolidayGrid()
{
    Grid g(kHolCols, 2);
    SetHolidayHeaders(g);
    return g;
}

void SetHolidayHeaders(Grid &g)
{
    g.setCell(kHolName, 0, u"Holiday name");
    g.setCell(kHolMonthNo, 0, u"Mo #");
    g.setCell(kHolMonth, 0, u"Month");
    g.setCell(kHolRule, 0, u"Day of month");
}

QDate OneTimeRuleDate(QStringView rule)
{
    if (rule.size() < 8)
        return {};
    bool oy = false, om = false, od = false;
    const int y = rule.sliced(0, 4).toInt(&oy);
    const int m = rule.sliced(4, 2).toInt(&om);
    const int d = rule.sliced(6, 2).toInt(&od);
    if (!oy || !om || !od)
        return {};
    return QDate(y, m, d);
}

QString HolidayRuleShown(const QString &rule, const FormatSettings &fs)
{
    if (CountDigits(rule) == 8)
        if (const QDate d = OneTimeRuleDate(rule); d.isValid())
            return FormatDateTime(u"ddddd", ToDateValue(d), fs);
    return rule;
}

std::optional<QDate> HolidayRuleDate(int year, int month, QStringView rule, const FormatSettings &fs)
{
    if (isDigits8(rule)) {
        const QDate d = OneTimeRuleDate(rule);
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    if (rule.contains(u':')) {
        const QString lower = rule.toString().toLower();
        const int n = ruleOrdinal(lower);
        const int w = n ? ruleWeekday(lower, fs) : 0;
        // A weekday rule that cannot be read names no day: putting it on the
        // 1st would show a holiday on a day nobody chose.
        if (!n || !w)
            return std::nullopt;
        return validDate(year, month, NthWeekdayOfMonth(year, month, n, w));
    }
    if (const auto d = wholeNumber(rule))
        return validDate(year, month, *d);
    return std::nullopt;
}

QString HolidayNameForDate(const Grid &table, const QDate &date, const FormatSettings &fs)
{
    const int y = date.year(), m = date.month();
    const QString month = fs.longMonthNames[std::size_t(m - 1)].toLower();
    for (int r = 1; r < table.rowCount(); ++r) {
        if (!table.cell(kHolMonth, r).toLower().contains(month))
            continue;
        const auto d = HolidayRuleDate(y, m, table.cell(kHolRule, r), fs);
        if (d && *d == date)
            return table.cell(kHolName, r);
    }
    return {};
}

void WriteHolidayRow(Grid &table, int row, const QString &name, const QString &month, const QString &rule,
                     const FormatSettings &fs)
{
    table.setCell(kHolName, row, name);
    table.setCell(kHolMonth, row, month);
    table.setCell(kHolMonthNo, row, QString::number(MonthFromName(month, fs)).rightJustified(2, u'0'));
    table.setCell(kHolRule, row, rule);
}

HolidayIndex::HolidayIndex(const Grid &table, const FormatSettings &fs)
{
    std::array<QString, 12> months;
    for (int m = 0; m < 12; ++m)
        months[std::size_t(m)] = fs.longMonthNames[std::size_t(m)].toLower();
    for (int r = 1; r < table.rowCount(); ++r) {
        const QString rule = table.cell(kHolRule, r);
        Row row;
        row.name = table.cell(kHolName, r);
        if (isDigits8(rule)) {
            row.kind = Kind::OneTime;
            row.date = OneTimeRuleDate(rule);
            if (!row.date.isValid())
                row.kind = Kind::None;
        } else if (rule.contains(u':')) {
            const QString lower = rule.toLower();
            row.n = ruleOrdinal(lower);
            row.weekday = row.n ? ruleWeekday(lower, fs) : 0;
            row.kind = (row.n && row.weekday) ? Kind::Floating : Kind::None;
        } else if (const auto d = wholeNumber(rule)) {
            row.kind = Kind::Fixed;
            row.day = *d;
        } else {
            row.kind = Kind::None;
        }
        const int index = int(rows_.size());
        rows_.push_back(std::move(row));
        const QString month = table.cell(kHolMonth, r).toLower();
        for (int m = 0; m < 12; ++m)
            if (!months[std::size_t(m)].isEmpty() && month.contains(months[std::size_t(m)]))
                byMonth_[std::size_t(m)].push_back(index);
    }
}

QString HolidayIndex::nameFor(const QDate &date) const
{
    if (!date.isValid())
        return {};
    const int y = date.year(), m = date.month(), d = date.day();
    for (int i : byMonth_[std::size_t(m - 1)]) {
        const Row &row = rows_[std::size_t(i)];
        bool hit = false;
        switch (row.kind) {
        case Kind::OneTime: hit = row.date == date; break;
        case Kind::Floating: hit = NthWeekdayOfMonth(y, m, row.n, row.weekday) == d; break;
        case Kind::Fixed: hit = row.day == d; break;
        case Kind::None: break;
        }
        if (hit)
            return row.name;
    }
    return {};
}

void SortHolidayRows(Grid &table, int column, bool ascending)
{
    if (table.rowCount() < 3 || column < 0 || column >= kHolCols)
        return;
    auto cmp = [](QByteArrayView a, QByteArrayView b) {
        // UTF-16 code order, as the texts compare on screen.
        return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseSensitive);
    };
    table.sortRows(1, table.rowCount(), [&](Grid::RowRef a, Grid::RowRef b) {
        int c = cmp(a.cell(column), b.cell(column));
        for (int next = column + 1; c == 0 && next < kHolCols - 1; ++next)
            c = cmp(a.cell(next), b.cell(next));
        return ascending ? c < 0 : c > 0;
    });
}

}  // namespace morvane
