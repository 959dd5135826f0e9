#pragma once
// Text and date routines shared by every window: table texts (flags, notes,
// keys, times), date values and day numbers, the program's date-time format
// language, relative-day texts, word search and month helpers.
//
// Everything here is a pure function of its arguments; "today" comes from a
// Clock and the locale's formats from a FormatSettings value, so that tests
// can fix both.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

namespace morvane {

class Clock;
class Grid;

// ---------------------------------------------------------------------------
// Date values: whole days since 30 December 1899 plus the fraction of the day.

using DateValue = double;

int DayNumber(const QDate &date);            // 1 = 31 December 1899; 0 for no date
QDate DateOfDay(int dayNumber);
int DayOfValue(DateValue value);             // the integer part, as a day number
DateValue ToDateValue(const QDateTime &dateTime);
DateValue ToDateValue(const QDate &date);
QDateTime FromDateValue(DateValue value);
// The same as a date and a wall-clock time, without a time zone: what
// formatting needs, and cheaper (a local date and time looks the zone up).
void SplitDateValue(DateValue value, QDate *date, QTime *time);
QTime TimeOfValue(DateValue value);          // the fraction, rounded to the millisecond
DateValue TimeValue(int hour, int minute, int second = 0, int msec = 0);
int WeekdayOf(const QDate &date);            // 1 = Sunday .. 7 = Saturday

// ---------------------------------------------------------------------------
// The locale's formats, in the program's own format language.

struct FormatSettings {
    QString shortDateFormat;   // e.g. "M/d/yyyy"
    QString longDateFormat;    // e.g. "dddd, MMMM d, yyyy"
    QString shortTimeFormat;   // e.g. "h:mm AMPM"
    QString longTimeFormat;    // e.g. "h:mm:ss AMPM"
    QString timeAMString = QStringLiteral("AM");
    QString timePMString = QStringLiteral("PM");
    QChar dateSeparator = u'/';
    QChar timeSeparator = u':';
    QChar decimalSeparator = u'.';
    std::array<QString, 12> shortMonthNames;
    std::array<QString, 12> longMonthNames;
    std::array<QString, 7> shortDayNames;    // Sunday first
    std::array<QString, 7> longDayNames;     // Sunday first
    // Two-digit years read back as the year of this century window:
    // [twoDigitYearStart, twoDigitYearStart + 99].
    int twoDigitYearStart = 1950;

    // The fixed United States English set the tests use.
    static FormatSettings enUS();
    // The formats of a Qt locale, converted to the program's format language,
    // the short time without seconds. currentYear sets the two-digit year
    // window (50 years either side).
    static FormatSettings fromLocale(const QLocale &locale, int currentYear);
};

// Converts a Qt date/time pattern ("M/d/yy", "h:mm AP", "HH:mm:ss t") into the
// program's format language ("M/d/yy", "h:mm AMPM", "HH:mm:ss").
QString ConvertQtPattern(const QString &qtPattern);

// The reverse, for Qt's date and time fields: a pattern of the program's
// language as a Qt display format ("h:mm AMPM" -> "h:mm AP").
QString ToQtPattern(QStringView pattern);

// A time pattern without its seconds: the seconds field goes with the
// separator before it ("h:mm:ss AMPM" -> "h:mm AMPM"), or with its own unit
// word when the minutes have one too ("H時mm分ss秒" -> "H時mm分").
QString DropSeconds(const QString &pattern);

// The start-up adjustment of the formats: four-digit years and numeric months
// in the short date, no seconds in the long time. A pure function: the program
// applies it exactly once (applied twice, "MMMM" would end up as "MM").
FormatSettings fix2000(FormatSettings settings);

// Formats a date value with a pattern of the format language: d dd ddd dddd
// ddddd dddddd, m mm mmm mmmm (minutes after h), n nn, yy yyyy, h hh, s ss,
// z zzz, t tt, c, am/pm a/p ampm, / and :, 'quoted' and "quoted" text.
// Letters are case-insensitive.
QString FormatDateTime(QStringView pattern, DateValue value, const FormatSettings &fs);

// A task's time as the tables hold it: the short time format, which has
// hours and minutes only. Every place that writes a task's time uses it.
QString TaskTimeText(DateValue time, const FormatSettings &fs);

// Reads a time of day ("10:30 AM", "22:05", "9:15:30 pm") in the locale's
// conventions. Returns false when the text is not a time.
bool StrToTime(QStringView text, const FormatSettings &fs, DateValue *out);
// Reads a date in the order of the short date format (numbers, or month names
// where the month stands). Returns false when the text is not a date.
bool StrToDate(QStringView text, const FormatSettings &fs, DateValue *out);

// ---------------------------------------------------------------------------
// Table texts.

QString YesNo(bool flag);
QString MemoToText(const QStringList &memo);
QStringList TextToMemo(QStringView text);
// The notes pane's form: every CR LF pair removed, one line.
QStringList TextToMemoJoined(QStringView text);
QString FirstLine(QStringView text);
// The first `n` UTF-16 code units of `text`, one fewer where the cut would
// fall inside a character that takes two (a surrogate pair).
QString LeftWhole(QStringView text, qsizetype n);
// A cell as the screen shows it: at most kShownChars characters, then "…".
// Text layout of a cell of many megabytes would take the program down, and
// nobody reads that much in a list; the stored text stays whole.
constexpr qsizetype kShownChars = 10000;
QString ShownText(QByteArrayView utf8, qsizetype maxChars = kShownChars);
QString ShownText(QStringView text, qsizetype maxChars = kShownChars);
// Whether ShownText would cut the cell.
bool TooLongToShow(QByteArrayView utf8, qsizetype maxChars = kShownChars);
// The numeric value of a store key ("36120.101"); 0 when it does not convert.
double KeyToFloat(QStringView text, const FormatSettings &fs);
int SafeStrToInt(QStringView text);
// The time of the text, or the clock's current date and time when the text is
// not a time.
DateValue SafeStrToTime(QStringView text, const FormatSettings &fs, const Clock &clock);
QString JoinPath(const QString &folder, const QString &name);
bool FileMissingOrEmpty(const QString &path);
bool IsBlankText(QStringView text);
int CountDigits(QStringView text);
QString TabField(QStringView text, int n);
int FirstFreeRow(Grid &table);
void ClearGridBody(Grid &table);

// ---------------------------------------------------------------------------
// Dates and words.

QString RelativeDayText(DateValue date, const Clock &clock);
QString Plural(int n);
// Throws std::out_of_range for a month outside 1..12.
int DaysInMonthOf(int month, int year);
// The day of the n-th (1..4) or last (n >= 5) weekday w (1 = Sunday) of the
// month; 0 when there is none. Floating holidays and the monthly repeats of
// tasks both count weekdays this way.
int NthWeekdayOfMonth(int year, int month, int n, int weekday);
int MonthFromName(QStringView text, const FormatSettings &fs);
bool ContainsWord(QStringView text, QStringView word, bool caseSensitive);
bool TextMatches(QStringView text, bool wholeWord, bool caseSensitive, QStringView term);

}  // namespace morvane
