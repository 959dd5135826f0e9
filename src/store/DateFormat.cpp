// The program's date-time format language: formatting, reading back, and the
// conversion of Qt's locale patterns into it.

#include "Utility.h"

#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

char16_t upperAscii(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') ? char16_t(u - 32) : u;
}

// Number of characters from i on that equal fmt[i], ignoring ASCII case.
int runLength(QStringView fmt, qsizetype i)
{
    const char16_t c = upperAscii(fmt[i]);
    int n = 0;
    while (i + n < fmt.size() && upperAscii(fmt[i + n]) == c)
        ++n;
    return n;
}

bool startsWithNoCase(QStringView s, qsizetype at, QStringView what)
{
    return s.size() - at >= what.size()
           && s.sliced(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

void appendNumber(QString &out, int value, int digits)
{
    out += QString::number(value).rightJustified(digits, u'0');
}

struct Parts {
    int year, month, day, weekday;  // weekday 1 = Sunday
    int hour, minute, second, msec;
    bool hasTime;
};

Parts decode(DateValue value)
{
    // Not through a local QDateTime: that looks the time zone up for every
    // value, and the C library reads the zone file's status each time (a
    // third of an export's time went there).
    QDate d;
    QTime t;
    SplitDateValue(value, &d, &t);
    return {d.year(), d.month(), d.day(), WeekdayOf(d), t.hour(), t.minute(), t.second(), t.msec(),
            t != QTime(0, 0)};
}

// From just after an hour field, does an AM/PM marker come before the next
// hour field? Then the hour is written on the 12-hour clock.
bool twelveHourAhead(QStringView fmt, qsizetype from)
{
    bool quoted = false;
    for (qsizetype p = from; p < fmt.size(); ++p) {
        const char16_t c = upperAscii(fmt[p]);
        if (c == '\'' || c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == 'A') {
            return startsWithNoCase(fmt, p, u"AM/PM") || startsWithNoCase(fmt, p, u"A/P")
                   || startsWithNoCase(fmt, p, u"AMPM");
        } else if (!quoted && c == 'H') {
            return false;
        }
    }
    return false;
}

void format(QString &out, QStringView fmt, const Parts &p, const FormatSettings &fs, int depth)
{
    if (depth > 2)  // a locale format that names itself ("ddddd" inside the short date)
        return;
    char16_t last = 0;
    qsizetype i = 0;
    while (i < fmt.size()) {
        const QChar ch = fmt[i];
        char16_t token = upperAscii(ch);
        if (isAsciiLetter(ch)) {
            if (token == 'M' && last == 'H')
                token = 'N';
            last = token;
        }
        switch (token) {
        case 'Y': {
            const int n = runLength(fmt, i);
            if (n <= 2)
                appendNumber(out, p.year % 100, 2);
            else
                appendNumber(out, p.year, 4);
            i += n;
            break;
        }
        case 'M': {
            const int n = runLength(fmt, i);
            if (n == 1)
                out += QString::number(p.month);
            else if (n == 2)
                appendNumber(out, p.month, 2);
            else if (n == 3)
                out += fs.shortMonthNames[p.month - 1];
            else
                out += fs.longMonthNames[p.month - 1];
            i += n;
            break;
        }
        case 'D': {
            const int n = runLength(fmt, i);
            switch (n) {
            case 1: out += QString::number(p.day); break;
            case 2: appendNumber(out, p.day, 2); break;
            case 3: out += fs.shortDayNames[p.weekday - 1]; break;
            case 4: out += fs.longDayNames[p.weekday - 1]; break;
            case 5: format(out, fs.shortDateFormat, p, fs, depth + 1); break;
            default: format(out, fs.longDateFormat, p, fs, depth + 1); break;
            }
            i += n;
            break;
        }
        case 'H': {
            const int n = runLength(fmt, i);
            int h = p.hour;
            if (twelveHourAhead(fmt, i + n)) {
                if (h == 0)
                    h = 12;
                else if (h > 12)
                    h -= 12;
            }
            appendNumber(out, h, n >= 2 ? 2 : 1);
            i += n;
            break;
        }
        case 'N': {
            const int n = runLength(fmt, i);
            appendNumber(out, p.minute, n >= 2 ? 2 : 1);
            i += n;
            break;
        }
        case 'S': {
            const int n = runLength(fmt, i);
            appendNumber(out, p.second, n >= 2 ? 2 : 1);
            i += n;
            break;
        }
        case 'Z': {
            const int n = runLength(fmt, i);
            appendNumber(out, p.msec, n >= 3 ? 3 : 1);
            i += n;
            break;
        }
        case 'T': {
            const int n = runLength(fmt, i);
            format(out, n == 1 ? fs.shortTimeFormat : fs.longTimeFormat, p, fs, depth + 1);
            i += n;
            break;
        }
        case 'C': {
            const int n = runLength(fmt, i);
            format(out, fs.shortDateFormat, p, fs, depth + 1);
            if (p.hasTime) {
                out += u' ';
                format(out, fs.longTimeFormat, p, fs, depth + 1);
            }
            i += n;
            break;
        }
        case 'A': {
            const bool pm = p.hour >= 12;
            if (startsWithNoCase(fmt, i, u"AM/PM")) {
                out += fmt.sliced(pm ? i + 3 : i, 2);
                i += 5;
            } else if (startsWithNoCase(fmt, i, u"A/P")) {
                out += fmt[pm ? i + 2 : i];
                i += 3;
            } else if (startsWithNoCase(fmt, i, u"AMPM")) {
                out += pm ? fs.timePMString : fs.timeAMString;
                i += 4;
            } else {
                out += ch;
                ++i;
            }
            break;
        }
        case '/':
            out += fs.dateSeparator;
            ++i;
            break;
        case ':':
            out += fs.timeSeparator;
            ++i;
            break;
        case '\'':
        case '"': {
            qsizetype end = fmt.indexOf(ch, i + 1);
            if (end < 0)
                end = fmt.size();
            out += fmt.sliced(i + 1, end - i - 1);
            i = end + 1;
            break;
        }
        default:
            out += ch;
            ++i;
            break;
        }
    }
}

// --- reading ---------------------------------------------------------------

struct Scanner {
    QStringView s;
    qsizetype pos = 0;

    void skipBlanks()
    {
        while (pos < s.size() && s[pos] == u' ')
            ++pos;
    }
    bool atEnd()
    {
        skipBlanks();
        return pos >= s.size();
    }
    // Up to 4 digits; returns the digit count (0 when there is no number).
    int number(int *value)
    {
        skipBlanks();
        int n = 0, v = 0;
        while (pos < s.size() && n < 4 && s[pos].unicode() >= '0' && s[pos].unicode() <= '9') {
            v = v * 10 + (s[pos].unicode() - '0');
            ++pos;
            ++n;
        }
        if (n > 0)
            *value = v;
        return n;
    }
    bool oneOf(QStringView chars)
    {
        skipBlanks();
        if (pos < s.size() && chars.contains(s[pos])) {
            ++pos;
            return true;
        }
        return false;
    }
    bool word(QStringView w)
    {
        skipBlanks();
        if (!w.isEmpty() && startsWithNoCase(s, pos, w)) {
            pos += w.size();
            return true;
        }
        return false;
    }
    // -1 when no AM/PM marker stands here, 0 for AM, 12 for PM.
    int ampm(const FormatSettings &fs)
    {
        if (word(fs.timeAMString) || word(u"AM"))
            return 0;
        if (word(fs.timePMString) || word(u"PM"))
            return 12;
        return -1;
    }
};

enum class Order { MDY, DMY, YMD };

Order dateOrder(QStringView shortDateFormat)
{
    for (QChar c : shortDateFormat) {
        switch (upperAscii(c)) {
        case 'D': return Order::DMY;
        case 'Y': return Order::YMD;
        case 'M': return Order::MDY;
        default: break;
        }
    }
    return Order::MDY;
}

int monthByName(QStringView text, const FormatSettings &fs)
{
    for (int m = 0; m < 12; ++m) {
        if (text.compare(fs.longMonthNames[m], Qt::CaseInsensitive) == 0
            || text.compare(fs.shortMonthNames[m], Qt::CaseInsensitive) == 0)
            return m + 1;
    }
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------

FormatSettings FormatSettings::enUS()
{
    FormatSettings fs;
    fs.shortDateFormat = QStringLiteral("M/d/yyyy");
    fs.longDateFormat = QStringLiteral("dddd, MMMM d, yyyy");
    fs.shortTimeFormat = QStringLiteral("h:mm AMPM");
    fs.longTimeFormat = QStringLiteral("h:mm:ss AMPM");
    fs.shortMonthNames = {u"Jan"_s, u"Feb"_s, u"Mar"_s, u"Apr"_s, u"May"_s, u"Jun"_s,
                          u"Jul"_s, u"Aug"_s, u"Sep"_s, u"Oct"_s, u"Nov"_s, u"Dec"_s};
    fs.longMonthNames = {u"January"_s, u"February"_s, u"March"_s,     u"April"_s,
                         u"May"_s,     u"June"_s,     u"July"_s,      u"August"_s,
                         u"September"_s, u"October"_s, u"November"_s, u"December"_s};
    fs.shortDayNames = {u"Sun"_s, u"Mon"_s, u"Tue"_s, u"Wed"_s, u"Thu"_s, u"Fri"_s, u"Sat"_s};
    fs.longDayNames = {u"Sunday"_s,   u"Monday"_s, u"Tuesday"_s, u"Wednesday"_s,
                       u"Thursday"_s, u"Friday"_s, u"Saturday"_s};
    return fs;
}

QString ConvertQtPattern(const QString &qt)
{
    QString out;
    bool afterHour = false;
    qsizetype i = 0;
    while (i < qt.size()) {
        const QChar c = qt[i];
        if (c == u'\'') {
            // Qt quotes with single quotes; '' is a literal quote.
            qsizetype j = i + 1;
            QString lit;
            while (j < qt.size()) {
                if (qt[j] == u'\'') {
                    if (j + 1 < qt.size() && qt[j + 1] == u'\'') {
                        lit += u'\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                lit += qt[j++];
            }
            if (j == i + 1 && lit.isEmpty() && j < qt.size() && qt[j] == u'\'')
                lit = u"'"_s;  // '' outside a quoted text
            if (!lit.isEmpty())
                out += lit.contains(u'"') ? u'\'' + lit + u'\'' : u'"' + lit + u'"';
            i = j + 1;
            continue;
        }
        if (!isAsciiLetter(c)) {
            if (c == u'"')
                out += u"'\"'"_s;
            else
                out += c;
            ++i;
            continue;
        }
        int n = 1;
        while (i + n < qt.size() && qt[i + n] == c)
            ++n;
        switch (c.unicode()) {
        case 'd': out += QString(std::min(n, 4), u'd'); break;
        case 'M': out += QString(n, u'M'); break;
        case 'y': out += QString(n, u'y'); break;
        case 'h':
        case 'H': out += QString(std::min(n, 2), u'h'); break;
        case 'm': out += QString(std::min(n, 2), afterHour ? u'm' : u'n'); break;
        case 's': out += QString(std::min(n, 2), u's'); break;
        case 'z': out += QString(n >= 3 ? 3 : 1, u'z'); break;
        case 'A':
        case 'a':
            out += u"AMPM"_s;
            if (i + n < qt.size() && (qt[i + n] == u'P' || qt[i + n] == u'p'))
                ++n;
            break;
        case 't':
            // Qt's time zone; it has no place in this program's times.
            while (out.endsWith(u' '))
                out.chop(1);
            break;
        default: out += u'"' + QString(n, c) + u'"'; break;
        }
        if (c != u'a' && c != u'A' && c != u't')
            afterHour = (c == u'h' || c == u'H');
        i += n;
    }
    return out.trimmed();
}

QString ToQtPattern(QStringView f)
{
    QString out;
    char16_t last = 0;
    qsizetype i = 0;
    while (i < f.size()) {
        const QChar ch = f[i];
        if (ch == u'\'' || ch == u'"') {
            qsizetype end = f.indexOf(ch, i + 1);
            if (end < 0)
                end = f.size();
            out += u'\'' + f.sliced(i + 1, end - i - 1).toString().replace(u"'"_s, u"''"_s) + u'\'';
            i = end + 1;
            continue;
        }
        if (startsWithNoCase(f, i, u"AMPM") || startsWithNoCase(f, i, u"AM/PM")) {
            out += u"AP"_s;
            i += startsWithNoCase(f, i, u"AM/PM") ? 5 : 4;
            last = 'A';
            continue;
        }
        if (!isAsciiLetter(ch)) {
            out += ch;
            ++i;
            continue;
        }
        const int n = runLength(f, i);
        char16_t token = upperAscii(ch);
        if (token == 'M' && last == 'H')
            token = 'N';
        last = token;
        switch (token) {
        case 'D': out += QString(std::min(n, 4), u'd'); break;
        case 'M': out += QString(std::min(n, 4), u'M'); break;
        case 'Y': out += n <= 2 ? u"yy"_s : u"yyyy"_s; break;
        case 'H': out += QString(std::min(n, 2), u'h'); break;
        case 'N': out += QString(std::min(n, 2), u'm'); break;
        case 'S': out += QString(std::min(n, 2), u's'); break;
        case 'Z': out += n >= 3 ? u"zzz"_s : u"z"_s; break;
        default: out += u'\'' + QString(n, ch) + u'\''; break;
        }
        i += n;
    }
    return out;
}

QString DropSeconds(const QString &pattern)
{
    // The pattern in pieces: fields (a run of one format letter, or an
    // AM/PM marker) and the literal text between them.
    struct Piece {
        qsizetype from, to;
        char16_t field;  // 0 for literal text
        bool wordy;      // literal text with a letter in it: a unit's name
    };
    QList<Piece> pieces;
    auto literal = [&pieces](qsizetype from, qsizetype to, bool wordy) {
        if (!pieces.isEmpty() && pieces.last().field == 0) {
            pieces.last().to = to;
            pieces.last().wordy = pieces.last().wordy || wordy;
        } else {
            pieces.append({from, to, 0, wordy});
        }
    };
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar ch = pattern[i];
        if (ch == u'\'' || ch == u'"') {
            qsizetype end = pattern.indexOf(ch, i + 1);
            end = end < 0 ? pattern.size() : end + 1;
            literal(i, end, true);
            i = end;
        } else if (startsWithNoCase(pattern, i, u"AM/PM") || startsWithNoCase(pattern, i, u"AMPM")
                   || startsWithNoCase(pattern, i, u"A/P")) {
            const qsizetype n = startsWithNoCase(pattern, i, u"AM/PM") ? 5 : startsWithNoCase(pattern, i, u"AMPM") ? 4 : 3;
            pieces.append({i, i + n, 'A', false});
            i += n;
        } else if (isAsciiLetter(ch) && QStringView(u"YMDHNSZTC").contains(QChar(upperAscii(ch)))) {
            const int n = runLength(pattern, i);
            pieces.append({i, i + n, upperAscii(ch), false});
            i += n;
        } else {
            literal(i, i + 1, ch.isLetter());
            ++i;
        }
    }
    const auto s = std::find_if(pieces.begin(), pieces.end(), [](const Piece &p) { return p.field == 'S'; });
    if (s == pieces.end())
        return pattern;
    qsizetype from = s->from, to = s->to;
    const Piece *before = s != pieces.begin() && (s - 1)->field == 0 ? &*(s - 1) : nullptr;
    const Piece *after = s + 1 != pieces.end() && (s + 1)->field == 0 ? &*(s + 1) : nullptr;
    if (before && !before->wordy) {
        from = before->from;  // "h:mm:ss": the separator before the seconds goes with them
    } else if (after && (after->wordy || !before)) {
        to = after->to;  // "H時mm分ss秒", "ss:nn": the seconds' own unit or separator
    }
    QString out = pattern;
    out.remove(from, to - from);
    return out.trimmed();
}

FormatSettings FormatSettings::fromLocale(const QLocale &locale, int currentYear)
{
    FormatSettings fs;
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    fs.shortDateFormat = ConvertQtPattern(shortDate);
    fs.longDateFormat = ConvertQtPattern(locale.dateFormat(QLocale::LongFormat));
    // Tasks have hours and minutes only; the C locale's short time has seconds.
    fs.shortTimeFormat = DropSeconds(ConvertQtPattern(shortTime));
    fs.longTimeFormat = ConvertQtPattern(locale.timeFormat(QLocale::LongFormat));
    fs.timeAMString = locale.amText();
    fs.timePMString = locale.pmText();
    const QString dp = locale.decimalPoint();
    fs.decimalSeparator = dp.isEmpty() ? u'.' : dp[0];
    auto firstSeparator = [](const QString &pattern, QChar fallback) {
        for (QChar c : pattern) {
            if (!c.isLetter() && c != u'\'' && c != u' ')
                return c;
        }
        return fallback;
    };
    fs.dateSeparator = firstSeparator(shortDate, u'/');
    fs.timeSeparator = firstSeparator(shortTime, u':');
    for (int m = 1; m <= 12; ++m) {
        fs.longMonthNames[m - 1] = locale.monthName(m, QLocale::LongFormat);
        fs.shortMonthNames[m - 1] = locale.monthName(m, QLocale::ShortFormat);
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;  // Qt counts Monday = 1 .. Sunday = 7
        fs.longDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat);
        fs.shortDayNames[d] = locale.dayName(qtDay, QLocale::ShortFormat);
    }
    fs.twoDigitYearStart = currentYear - 50;
    return fs;
}

FormatSettings fix2000(FormatSettings fs)
{
    QString &sd = fs.shortDateFormat;
    if (!sd.contains(u"yyyy")) {
        const qsizetype at = sd.indexOf(u"yy");
        if (at >= 0)
            sd.insert(at, u"yy"_s);
    }
    const qsizetype mmm = sd.indexOf(u"MMM");
    if (mmm >= 0)
        sd.replace(mmm, 3, u"MM"_s);

    fs.longTimeFormat = DropSeconds(fs.longTimeFormat);
    return fs;
}

QString FormatDateTime(QStringView pattern, DateValue value, const FormatSettings &fs)
{
    QString out;
    format(out, pattern, decode(value), fs, 0);
    return out;
}

QString TaskTimeText(DateValue time, const FormatSettings &fs) { return FormatDateTime(u"t", time, fs); }

bool StrToTime(QStringView text, const FormatSettings &fs, DateValue *out)
{
    Scanner sc{text};
    const QString seps = QString(fs.timeSeparator) + u':';
    int base = sc.ampm(fs);
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (!sc.number(&hour))
        return false;
    if (sc.oneOf(seps)) {
        if (!sc.number(&minute))
            return false;
        if (sc.oneOf(seps)) {
            if (!sc.number(&second))
                return false;
            if (sc.oneOf(QString(fs.decimalSeparator)) && !sc.number(&msec))
                return false;
        }
    }
    if (base < 0)
        base = sc.ampm(fs);
    if (!sc.atEnd())
        return false;
    if (base >= 0) {
        if (hour == 0 || hour > 12)
            return false;
        if (hour == 12)
            hour = 0;
        hour += base;
    }
    if (hour > 23 || minute > 59 || second > 59 || msec > 999)
        return false;
    *out = TimeValue(hour, minute, second, msec);
    return true;
}

bool StrToDate(QStringView text, const FormatSettings &fs, DateValue *out)
{
    // Split into three fields at the date separator or common punctuation.
    QList<QStringView> fields;
    qsizetype start = -1;
    auto isSep = [&](QChar c) {
        return c == fs.dateSeparator || c == u'/' || c == u'-' || c == u'.' || c == u' '
               || c == u',';
    };
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isSep(text[i])) {
            if (start >= 0)
                fields.append(text.sliced(start, i - start));
            start = -1;
        } else if (start < 0) {
            start = i;
        }
    }
    if (fields.size() != 3)
        return false;

    int named = -1, namedMonth = 0;
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        bool ok = false;
        numbers[k] = fields[k].toInt(&ok);
        if (ok && fields[k].size() <= 4) {
            digits[k] = int(fields[k].size());
            continue;
        }
        const int m = monthByName(fields[k], fs);
        if (m == 0 || named >= 0)
            return false;
        named = k;
        namedMonth = m;
    }

    int year = 0, month = 0, day = 0, yearDigits = 0;
    switch (dateOrder(fs.shortDateFormat)) {
    case Order::MDY: month = numbers[0]; day = numbers[1]; year = numbers[2]; yearDigits = digits[2]; break;
    case Order::DMY: day = numbers[0]; month = numbers[1]; year = numbers[2]; yearDigits = digits[2]; break;
    case Order::YMD: year = numbers[0]; month = numbers[1]; day = numbers[2]; yearDigits = digits[0]; break;
    }
    if (named >= 0) {
        // "09-Dec-26": the name is the month; the other two keep their order.
        int rest[2], restDigits[2], r = 0;
        for (int k = 0; k < 3; ++k) {
            if (k != named) {
                restDigits[r] = digits[k];
                rest[r++] = numbers[k];
            }
        }
        month = namedMonth;
        if (dateOrder(fs.shortDateFormat) == Order::YMD) {
            year = rest[0]; day = rest[1]; yearDigits = restDigits[0];
        } else {
            day = rest[0]; year = rest[1]; yearDigits = restDigits[1];
        }
    }
    if (yearDigits <= 2) {
        const int century = fs.twoDigitYearStart - fs.twoDigitYearStart % 100;
        year += century;
        if (year < fs.twoDigitYearStart)
            year += 100;
    }
    const QDate d(year, month, day);
    if (!d.isValid())
        return false;
    *out = ToDateValue(d);
    return true;
}

}  // namespace morvane
