#include "Utility.h"

#include "Clock.h"
#include "Grid.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace morvane {

// ---------------------------------------------------------------------------
// Date values

namespace {
constexpr qint64 kJulianOfDayZero = 2415019;  // 30 December 1899
constexpr double kMsPerDay = 86400000.0;
}  // namespace

int DayNumber(const QDate &date)
{
    // No date, or one whose day does not fit, is day zero, before every day
    // a task can have (a file from another program can hold either), as for
    // DayOfValue.
    if (!date.isValid())
        return 0;
    const qint64 day = date.toJulianDay() - kJulianOfDayZero;
    return day > 2'000'000'000 || day < -2'000'000'000 ? 0 : int(day);
}

QDate DateOfDay(int dayNumber) { return QDate::fromJulianDay(qint64(dayNumber) + kJulianOfDayZero); }

int DayOfValue(DateValue value)
{
    if (!std::isfinite(value) || value > 2e9 || value < -2e9)
        return 0;
    return int(std::trunc(value));
}

DateValue TimeValue(int hour, int minute, int second, int msec)
{
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMsPerDay;
}

DateValue ToDateValue(const QDate &date) { return DayNumber(date); }

DateValue ToDateValue(const QDateTime &dt)
{
    const QTime t = dt.time();
    const double frac = TimeValue(t.hour(), t.minute(), t.second(), t.msec());
    const int day = DayNumber(dt.date());
    // Before day 0 the fraction still counts forward from midnight.
    return day >= 0 ? day + frac : day - frac;
}

QTime TimeOfValue(DateValue value)
{
    if (!std::isfinite(value))
        return QTime(0, 0);
    double frac = std::fabs(value - std::trunc(value));
    qint64 ms = qint64(std::llround(frac * kMsPerDay));
    if (ms >= qint64(kMsPerDay))
        ms = qint64(kMsPerDay) - 1;
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

void SplitDateValue(DateValue value, QDate *date, QTime *time)
{
    // A fraction that rounds up to midnight belongs to the next day.
    double frac = std::fabs(value - std::trunc(value));
    int day = DayOfValue(value);
    if (std::llround(frac * kMsPerDay) >= qint64(kMsPerDay)) {
        day += value >= 0 ? 1 : -1;
        *date = DateOfDay(day);
        *time = QTime(0, 0);
        return;
    }
    *date = DateOfDay(day);
    *time = TimeOfValue(value);
}

QDateTime FromDateValue(DateValue value)
{
    QDate d;
    QTime t;
    SplitDateValue(value, &d, &t);
    return QDateTime(d, t);
}

int WeekdayOf(const QDate &date) { return date.dayOfWeek() % 7 + 1; }

// ---------------------------------------------------------------------------
// Table texts

QString YesNo(bool flag) { return flag ? u"Yes"_s : u"No"_s; }

QString MemoToText(const QStringList &memo)
{
    if (memo.isEmpty())
        return {};
    if (memo.size() == 1)
        return memo.first();
    QString out;
    for (const QString &line : memo) {
        out += line;
        out += u"\r\n";
    }
    return out;
}

QStringList TextToMemo(QStringView text)
{
    QStringList memo;
    if (text.isEmpty())
        return memo;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(u"\r\n", start);
        if (at < 0)
            break;
        memo.append(text.sliced(start, at - start).toString());
        start = at + 2;
    }
    if (start < text.size())
        memo.append(text.sliced(start).toString());
    return memo;
}

QStringList TextToMemoJoined(QStringView text)
{
    if (text.isEmpty())
        return {};
    QString joined = text.toString();
    joined.remove(u"\r\n"_s);
    return {joined};
}

QString FirstLine(QStringView text)
{
    const qsizetype at = text.indexOf(u"\r\n");
    return (at < 0 ? text : text.first(at)).toString();
}

namespace {

// A decimal number with the given decimal separator: blanks, sign, digits,
// separator, digits, exponent, blanks. Returns false when it is not one.
bool parseDecimal(QStringView s, QChar sep, double *out)
{
    QByteArray c;
    c.reserve(s.size());
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    qsizetype j = s.size();
    while (j > i && s[j - 1] == u' ')
        --j;
    if (i == j)
        return false;
    bool digits = false, point = false, exp = false;
    for (qsizetype k = i; k < j; ++k) {
        const QChar ch = s[k];
        if (ch.unicode() >= '0' && ch.unicode() <= '9') {
            digits = true;
            c += char(ch.unicode());
        } else if (ch == sep && !point && !exp) {
            point = true;
            c += '.';
        } else if ((ch == u'+' || ch == u'-') && (k == i || c.endsWith('e'))) {
            c += char(ch.unicode());
        } else if ((ch == u'e' || ch == u'E') && digits && !exp) {
            exp = true;
            c += 'e';
        } else {
            return false;
        }
    }
    if (!digits || c.endsWith('e') || c.endsWith('-') || c.endsWith('+'))
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(QString::fromLatin1(c), &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

}  // namespace

double KeyToFloat(QStringView text, const FormatSettings &fs)
{
    if (text.isEmpty())
        return 0;
    QString s = text.toString();
    if (fs.decimalSeparator != u'.') {
        const qsizetype at = s.indexOf(u'.');
        if (at >= 0)
            s[at] = fs.decimalSeparator;
    }
    double v = 0;
    return parseDecimal(s, fs.decimalSeparator, &v) ? v : 0.0;
}

int SafeStrToInt(QStringView text)
{
    QStringView s = text.trimmed();
    bool ok = false;
    int v = 0;
    if (s.startsWith(u'$'))
        v = s.sliced(1).toInt(&ok, 16);
    else if (s.startsWith(u"0x", Qt::CaseInsensitive))
        v = s.sliced(2).toInt(&ok, 16);
    else
        v = s.toInt(&ok, 10);
    return ok ? v : 0;
}

DateValue SafeStrToTime(QStringView text, const FormatSettings &fs, const Clock &clock)
{
    DateValue v = 0;
    if (StrToTime(text, fs, &v))
        return v;
    return ToDateValue(clock.now());
}

QString ShownText(QByteArrayView utf8, qsizetype maxChars)
{
    // At most four bytes a character: convert no more than could be shown,
    // ending on the start of a character.
    if (utf8.size() <= maxChars)
        return QString::fromUtf8(utf8);
    qsizetype n = std::min(utf8.size(), maxChars * 4);
    while (n < utf8.size() && n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80)
        --n;
    return ShownText(QString::fromUtf8(utf8.first(n)), maxChars);
}

QString LeftWhole(QStringView text, qsizetype n)
{
    if (n >= text.size())
        return text.toString();
    if (n <= 0)
        return QString();
    if (text[n - 1].isHighSurrogate() && text[n].isLowSurrogate())
        --n;  // never half a character
    return text.first(n).toString();
}

QString ShownText(QStringView text, qsizetype maxChars)
{
    if (text.size() <= maxChars)
        return text.toString();
    return LeftWhole(text, maxChars) + QChar(0x2026);
}

bool TooLongToShow(QByteArrayView utf8, qsizetype maxChars)
{
    if (utf8.size() <= maxChars)
        return false;
    return QString::fromUtf8(utf8.first(std::min(utf8.size(), maxChars * 4 + 4))).size() > maxChars;
}

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder + name;
    return folder + u'/' + name;
}

bool FileMissingOrEmpty(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || info.size() == 0;
}

bool IsBlankText(QStringView text)
{
    for (QChar c : text) {
        if (c != u' ' && c != u'\r' && c != u'\n' && c != u'\b')
            return false;
    }
    return true;
}

int CountDigits(QStringView text)
{
    int n = 0;
    for (QChar c : text)
        n += (c.unicode() >= '0' && c.unicode() <= '9') ? 1 : 0;
    return n;
}

QString TabField(QStringView text, int n)
{
    if (n < 1)
        return {};
    qsizetype start = 0;
    for (int field = 1;; ++field) {
        const qsizetype tab = text.indexOf(u'\t', start);
        if (field == n)
            return (tab < 0 ? text.sliced(start) : text.sliced(start, tab - start)).toString();
        if (tab < 0)
            return {};
        start = tab + 1;
    }
}

int FirstFreeRow(Grid &table)
{
    for (int r = 1; r < table.rowCount(); ++r)
        if (table.cellEmpty(0, r))
            return r;
    table.setRowCount(table.rowCount() + 1);
    return table.rowCount() - 1;
}

void ClearGridBody(Grid &table)
{
    for (int r = 1; r < table.rowCount(); ++r)
        table.clearRow(r);
}

// ---------------------------------------------------------------------------
// Dates and words

QString Plural(int n) { return n > 1 ? u"s"_s : QString(); }

int DaysInMonthOf(int month, int year)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        throw std::out_of_range("month outside 1 to 12");
    if (month == 2 && year % 4 == 0)
        return 29;
    return kDays[month - 1];
}

int NthWeekdayOfMonth(int year, int month, int n, int weekday)
{
    if (month < 1 || month > 12 || weekday < 1 || weekday > 7 || n < 1)
        return 0;
    const QDate first(year, month, 1);
    if (!first.isValid())
        return 0;
    const int last = first.daysInMonth();
    // Weekday w falls first on day 1 + (w - weekday of the 1st) mod 7.
    const int firstHit = 1 + (weekday - WeekdayOf(first) + 7) % 7;
    if (n >= 5)
        return firstHit + (last - firstHit) / 7 * 7;
    const int day = firstHit + (n - 1) * 7;
    return day <= last ? day : 0;
}

QString RelativeDayText(DateValue date, const Clock &clock)
{
    const QDate today = clock.today();
    const QDate when = DateOfDay(DayOfValue(date));
    const int todayNo = DayNumber(today);
    const int whenNo = DayOfValue(date);
    const bool future = todayNo < whenNo;
    const int days = std::abs(todayNo - whenNo);
    if (days == 0)
        return u"Today"_s;
    if (days == 1)
        return future ? u"Tomorrow"_s : u"Yesterday"_s;

    const QDate &later = future ? when : today;
    const QDate &earlier = future ? today : when;
    const int months = (later.year() * 12 + later.month()) - (earlier.year() * 12 + earlier.month());
    const int years = later.year() - earlier.year();
    const int y = months / 12, m = months % 12;
    // A future date counts in days while fewer than 6 week boundaries lie
    // between, a past one while at most 6 do.
    const int weeks = (days + WeekdayOf(future ? today : when) - 1) / 7;
    const bool inDays = future ? weeks < 6 : weeks <= 6;
    const QString ago = future ? QString() : u" ago"_s;
    if (inDays)
        return u"%1 days"_s.arg(days) + ago;
    if (months < 3)
        return u"%1 wks"_s.arg(weeks) + ago;
    if (years <= 2)
        return u"%1 mon%2"_s.arg(months).arg(Plural(months)) + ago;
    QString s = u"%1 yrs"_s.arg(y);
    if (m > 0)
        s += u" %1 mon%2"_s.arg(m).arg(Plural(m));
    return s + ago;
}

int MonthFromName(QStringView text, const FormatSettings &fs)
{
    for (int m = 0; m < 12; ++m)
        if (text.compare(fs.longMonthNames[m], Qt::CaseInsensitive) == 0)
            return m + 1;
    return 0;
}

namespace {
bool isWordBreak(QChar c)
{
    static constexpr char16_t kBreaks[] = u"\t'\r\n ,./?;:`\"<>[]{}-=\\+|()%@&^$#!~*";
    static_assert(sizeof(kBreaks) / sizeof(char16_t) - 1 == 35);
    for (char16_t b : kBreaks)
        if (b != 0 && c.unicode() == b)
            return true;
    return false;
}
}  // namespace

bool ContainsWord(QStringView text, QStringView word, bool caseSensitive)
{
    if (IsBlankText(text) || IsBlankText(word))
        return false;
    const QString t = caseSensitive ? text.toString() : text.toString().toUpper();
    const QString w = caseSensitive ? word.toString() : word.toString().toUpper();
    // An occurrence is a whole word when a break or the end of the text
    // stands on each side of it, or the word itself begins or ends with a
    // break: so "Dr. Smith" and "9:00" are words to look for too.
    const bool openStart = isWordBreak(w.front()), openEnd = isWordBreak(w.back());
    for (qsizetype at = t.indexOf(w); at >= 0; at = t.indexOf(w, at + 1)) {
        const qsizetype after = at + w.size();
        const bool startOk = openStart || at == 0 || isWordBreak(t[at - 1]);
        const bool endOk = openEnd || after == t.size() || isWordBreak(t[after]);
        if (startOk && endOk)
            return true;
    }
    return false;
}

bool TextMatches(QStringView text, bool wholeWord, bool caseSensitive, QStringView term)
{
    if (wholeWord)
        return ContainsWord(text, term, caseSensitive);
    if (term.isEmpty())
        return false;  // an empty term occurs nowhere
    return text.contains(term, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

}  // namespace morvane
