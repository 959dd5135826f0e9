#include "IcsReader.h"

#include "GridFile.h"
#include "IcsIdentity.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

QString shortText(QByteArrayView line)
{
    QString s = QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 60)));
    if (line.size() > 60)
        s += u"..."_s;
    return s;
}

const QString kNotACalendar = u"the file does not begin with BEGIN:VCALENDAR, so it is not an iCalendar file."_s;

// How deep components may nest. A calendar holds events, to-dos and zones,
// which hold alarms and the zones' standard and daylight parts: three
// levels, four where an alarm names a location. Deeper nesting is no
// calendar, and refusing it here keeps it from libical, whose components
// are freed and searched by recursion.
constexpr std::size_t kMaxComponentDepth = 6;

}  // namespace

QByteArray IcsTextAsUtf8(const QByteArray &file)
{
    QByteArrayView bytes(file);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (IsValidUtf8(bytes.data(), std::size_t(bytes.size())))
        return bytes.size() == file.size() ? file : bytes.toByteArray();
    QByteArray out, unfolded;
    out.reserve(bytes.size() + bytes.size() / 8);
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        // One logical line: [pos, end), its continuations included.
        qsizetype end = pos;
        unfolded.clear();
        do {
            qsizetype nl = bytes.indexOf('\n', end);
            nl = nl < 0 ? bytes.size() : nl + 1;
            QByteArrayView piece = bytes.sliced(end, nl - end);
            if (end > pos)
                piece = piece.sliced(1);  // the fold's blank
            while (piece.endsWith('\n') || piece.endsWith('\r'))
                piece.chop(1);
            unfolded += piece;
            end = nl;
        } while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t'));
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        // A character split by a fold is whole once unfolded.
        if (IsValidUtf8(unfolded.constData(), std::size_t(unfolded.size())))
            out += line;
        else
            out += DecodeCp1252(line).toUtf8();
        pos = end;
    }
    return out;
}

IcsStructure ScanIcsStructure(const QByteArray &text, const std::function<bool(qsizetype)> &keepGoing)
{
    IcsStructure out;
    struct Open {
        QByteArray name;
        int line;
    };
    std::vector<Open> stack;
    bool sawCalendar = false;

    // The logical line being read (folded lines continue it).
    int lineNo = 0, logicalLine = 0;
    qsizetype logicalBegin = 0;
    QByteArrayView name, firstPiece;  // views into the text
    QByteArray value;                 // kept for BEGIN and END only
    QByteArray nameBuf;               // a name folded across lines
    bool inLogical = false, colon = false, keepValue = false, nameOpen = false;
    auto is = [&](const char *word) { return name.compare(QByteArrayView(word), Qt::CaseInsensitive) == 0; };

    auto fail = [&](int line, QString message) {
        out.errorLine = line;
        out.error = u"Line %1: "_s.arg(line) + message;
        return false;
    };

    // Handles one complete logical line ending before byte `endOffset`.
    auto finish = [&](qsizetype endOffset) -> bool {
        if (!inLogical)
            return true;
        inLogical = false;
        nameOpen = false;
        if (!colon)
            return fail(logicalLine, u"\"%1\" is not an iCalendar line (NAME:value)."_s.arg(shortText(firstPiece)));
        if (is("BEGIN")) {
            const QByteArray comp = value.trimmed().toUpper();
            if (stack.empty()) {
                if (comp != "VCALENDAR")
                    return fail(logicalLine, sawCalendar ? u"BEGIN:%1 stands outside the calendar."_s.arg(QString::fromUtf8(comp))
                                                         : kNotACalendar);
                sawCalendar = true;
            } else if (stack.size() == 1) {
                out.blocks.push_back({comp, logicalLine, logicalBegin, 0, false, false, false});
            } else if (stack.size() == kMaxComponentDepth) {
                return fail(logicalLine, u"BEGIN:%1 lies more than %2 components deep; calendars never nest them so "
                                         "deep, so this is not a calendar."_s.arg(QString::fromUtf8(comp))
                                             .arg(kMaxComponentDepth));
            }
            stack.push_back({comp, logicalLine});
        } else if (is("END")) {
            const QByteArray comp = value.trimmed().toUpper();
            if (stack.empty())
                return fail(logicalLine, u"END:%1 closes nothing."_s.arg(QString::fromUtf8(comp)));
            if (stack.back().name != comp)
                return fail(logicalLine, u"END:%1 does not close BEGIN:%2 of line %3."_s.arg(
                                             QString::fromUtf8(comp), QString::fromUtf8(stack.back().name))
                                             .arg(stack.back().line));
            stack.pop_back();
            if (stack.size() == 1)
                out.blocks.back().end = endOffset;
        } else if (stack.empty()) {
            return fail(logicalLine, sawCalendar ? u"\"%1\" stands outside the calendar."_s.arg(shortText(firstPiece))
                                                 : kNotACalendar);
        } else if (stack.size() == 2) {
            if (is("RECURRENCE-ID"))
                out.blocks.back().overrides = true;
            else if (is("ATTENDEE"))
                out.blocks.back().attendees = true;
            else if (is("ATTACH"))
                out.blocks.back().attachments = true;
        }
        return true;
    };

    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        const qsizetype lineBegin = pos;
        qsizetype nl = text.indexOf('\n', pos);
        if (nl < 0)
            nl = size;
        pos = nl + 1;
        if ((++lineNo & 0xFFFF) == 0 && keepGoing && !keepGoing(lineBegin)) {
            out.blocks.clear();
            out.stopped = true;
            return out;
        }
        QByteArrayView piece(text.constData() + lineBegin, nl - lineBegin);
        if (piece.endsWith('\r'))
            piece.chop(1);
        if (!piece.isEmpty() && (piece[0] == ' ' || piece[0] == '\t')) {
            if (!inLogical) {
                fail(lineNo, u"a folded line continues nothing."_s);
                return out;
            }
            piece = piece.sliced(1);
            if (nameOpen) {
                // Folded inside the name (RFC 5545 unfolds before reading it).
                qsizetype j = 0;
                while (j < piece.size() && isNameChar(piece[j]))
                    ++j;
                nameBuf += piece.first(j);
                name = nameBuf;
                if (j == piece.size())
                    continue;
                nameOpen = false;
                if (piece[j] != ':' && piece[j] != ';') {
                    fail(logicalLine, u"\"%1\" is not an iCalendar line (NAME:value)."_s.arg(shortText(firstPiece)));
                    return out;
                }
                keepValue = is("BEGIN") || is("END");
                piece = piece.sliced(j);
            }
            if (keepValue && colon)
                value += piece;
            if (!colon) {
                const qsizetype c = piece.indexOf(':');
                if (c >= 0) {
                    colon = true;
                    if (keepValue)
                        value = piece.sliced(c + 1).toByteArray();
                }
            }
            continue;
        }
        if (!finish(lineBegin))
            return out;
        if (piece.trimmed().isEmpty())
            continue;  // blank lines, as some programs leave at the end
        inLogical = true;
        logicalLine = lineNo;
        logicalBegin = lineBegin;
        firstPiece = piece;
        qsizetype i = 0;
        while (i < piece.size() && isNameChar(piece[i]))
            ++i;
        if (i == 0 || (i < piece.size() && piece[i] != ':' && piece[i] != ';')) {
            if (!sawCalendar)
                fail(lineNo, kNotACalendar);
            else
                fail(lineNo, u"\"%1\" is not an iCalendar line (NAME:value)."_s.arg(shortText(piece)));
            return out;
        }
        name = piece.first(i);
        colon = false;
        value.clear();
        nameOpen = i == piece.size();
        if (nameOpen) {
            // The name may go on in the next line.
            nameBuf = name.toByteArray();
            name = nameBuf;
            keepValue = false;
            continue;
        }
        keepValue = is("BEGIN") || is("END");
        if (i < piece.size()) {
            const qsizetype c = piece[i] == ':' ? i : piece.indexOf(':', i);
            colon = c >= 0;
            if (colon && keepValue)
                value = piece.sliced(c + 1).toByteArray();
        }
    }
    if (!finish(size))
        return out;
    if (!stack.empty())
        fail(stack.back().line, u"BEGIN:%1 is never closed."_s.arg(QString::fromUtf8(stack.back().name)));
    else if (!sawCalendar)
        fail(1, u"the file holds no calendar (no BEGIN:VCALENDAR line), so it is not an iCalendar file."_s);
    return out;
}

namespace {

// The line of a block whose property `prop` has a value containing `value`;
// the block's first line when none does. `written`, when given, receives
// that value as the file has it.
int findPropertyLine(const QByteArray &text, const IcsBlock &b, QByteArrayView prop, QByteArrayView value,
                     QByteArray *written = nullptr)
{
    int lineNo = b.firstLine - 1, found = 0, logicalLine = 0;
    QByteArray logical;
    auto check = [&] {
        if (logical.isEmpty() || found)
            return;
        qsizetype i = 0;
        while (i < logical.size() && isNameChar(logical[i]))
            ++i;
        const qsizetype colon = logical.indexOf(':', i);
        if (QByteArrayView(logical).first(i).compare(prop, Qt::CaseInsensitive) == 0 && colon >= 0 &&
            QByteArrayView(logical).sliced(colon + 1).contains(value)) {
            found = logicalLine;
            if (written)
                *written = logical.mid(colon + 1);
        }
    };
    qsizetype pos = b.begin;
    while (pos < b.end) {
        qsizetype nl = text.indexOf('\n', pos);
        if (nl < 0 || nl > b.end)
            nl = b.end;
        QByteArrayView piece(text.constData() + pos, nl - pos);
        pos = nl + 1;
        ++lineNo;
        if (piece.endsWith('\r'))
            piece.chop(1);
        if (!piece.isEmpty() && (piece[0] == ' ' || piece[0] == '\t')) {
            logical += piece.sliced(1);
            continue;
        }
        check();
        logical = piece.toByteArray();
        logicalLine = lineNo;
    }
    check();
    return found ? found : b.firstLine;
}

// Properties whose values the import uses: a value libical cannot read there
// makes the file unreadable. Elsewhere (a bad LAST-MODIFIED, an alarm's
// trigger) it does not matter to what is imported.
bool valueMatters(QByteArrayView prop)
{
    static const char *const kUsed[] = {"DTSTART", "DTEND", "DUE", "DURATION", "RDATE", "EXDATE", "RECURRENCE-ID",
                                        "COMPLETED", "TZOFFSETFROM", "TZOFFSETTO"};
    for (const char *p : kUsed)
        if (prop.compare(QByteArrayView(p), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isRecurrenceRule(QByteArrayView prop)
{
    return prop.compare("RRULE", Qt::CaseInsensitive) == 0 || prop.compare("EXRULE", Qt::CaseInsensitive) == 0;
}


// What libical could not read in the component and its sub-components,
// visited from a list rather than by recursion.
void collectErrors(icalcomponent *top, const QByteArray &text, const IcsBlock &b, IcsReadErrors &errors)
{
    static const QRegularExpression valueError(u"in (\\S+) property\\. Removing entire property: (.*)$"_s);
    std::vector<icalcomponent *> pending{top};
    while (!pending.empty()) {
        icalcomponent *c = pending.back();
        pending.pop_back();
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
            const QString message = QString::fromUtf8(icalproperty_get_xlicerror(p));
            icalparameter *typeParam = icalproperty_get_first_parameter(p, ICAL_XLICERRORTYPE_PARAMETER);
            const icalparameter_xlicerrortype type =
                typeParam ? icalparameter_get_xlicerrortype(typeParam) : ICAL_XLICERRORTYPE_NONE;
            if (type == ICAL_XLICERRORTYPE_VALUEPARSEERROR) {
                const QRegularExpressionMatch m = valueError.match(message);
                const QByteArray prop = m.hasMatch() ? m.captured(1).toUtf8() : QByteArray();
                if (isRecurrenceRule(prop)) {
                    errors.badRule = true;
                    continue;
                }
                if (!valueMatters(prop) || !errors.fatal.isEmpty())
                    continue;
                const QByteArray value = m.captured(2).toUtf8();
                errors.fatalLine = findPropertyLine(text, b, prop, value);
                errors.fatal = u"Line %1: the value of %2 cannot be read (\"%3\")."_s.arg(errors.fatalLine)
                                   .arg(QString::fromUtf8(prop), shortText(value));
            } else if (type == ICAL_XLICERRORTYPE_COMPONENTPARSEERROR || type == ICAL_XLICERRORTYPE_PROPERTYPARSEERROR) {
                if (errors.fatal.isEmpty()) {
                    errors.fatalLine = b.firstLine;
                    errors.fatal = u"Line %1: the %2 beginning here cannot be read: %3"_s.arg(b.firstLine)
                                       .arg(QString::fromUtf8(b.name), message);
                }
            }
            // Parameters libical does not know are left as they are.
        }
        // In the order of the file: the first sub-component is taken next.
        const std::size_t firstSub = pending.size();
        for (icalcomponent *sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
             sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
            pending.push_back(sub);
        std::reverse(pending.begin() + std::ptrdiff_t(firstSub), pending.end());
    }
}

// Whether an event's or to-do's own line is one the import reads. libical
// spends microseconds on every line it is given, so the others (stamps,
// other programs' X- lines, what is inside an alarm but its trigger) are
// not handed to it.
bool lineIsUsed(QByteArrayView name)
{
    static const char *const kUsed[] = {"UID",   "DTSTART", "DTEND",  "DUE",    "DURATION",      "SUMMARY",
                                        "DESCRIPTION", "LOCATION", "CATEGORIES", "STATUS", "COMPLETED", "RRULE",
                                        "RDATE", "EXDATE", "EXRULE", "RECURRENCE-ID"};
    if (name.size() > 10 && name.first(10).compare("X-MORVANE-", Qt::CaseInsensitive) == 0)
        return true;
    for (const char *used : kUsed)
        if (name.compare(QByteArrayView(used), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The lines of a zone that say when it changes its offset.
bool zoneLineIsUsed(QByteArrayView name)
{
    static const char *const kUsed[] = {"TZID", "DTSTART", "TZOFFSETFROM", "TZOFFSETTO", "RRULE", "RDATE"};
    for (const char *used : kUsed)
        if (name.compare(QByteArrayView(used), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool is(std::string_view text, const char *word)
{
    return QByteArrayView(text.data(), qsizetype(text.size())).compare(QByteArrayView(word), Qt::CaseInsensitive) == 0;
}

// libical's parser takes at most this many values of a property that lists
// them; the rest of the line it drops.
constexpr int kMaxListedValues = 500;

// Where libical's parser ends the value of a list that begins at `from`:
// the comma after it, or npos when it runs to the end. Its rules, kept here
// (parser_get_next_value): a value quoted whole is one value; the first
// character of a value and one after a backslash are never a separator; a
// double quote starts or ends a quoted stretch; a comma two places after a
// backslash is taken as escaped.
std::size_t listValueEnd(std::string_view v, std::size_t from)
{
    if (v.size() - from >= 2 && v[from] == '"' && v.back() == '"')
        return std::string_view::npos;
    for (std::size_t p = from;;) {
        std::size_t next = std::string_view::npos;
        bool quoted = false;
        for (std::size_t k = p + 1; k < v.size(); ++k) {
            if (v[k - 1] == '\\')
                continue;
            if (v[k] == '"')
                quoted = !quoted;
            else if (!quoted && v[k] == ',') {
                next = k;
                break;
            }
        }
        if (next == std::string_view::npos || !(next >= 3 && v[next - 3] == '\\'))
            return next;
        p = next + 1;
    }
}

// Hands libical's parser the lines of one component, one logical line at a
// time.
//
// libical's own reader of a text (icalparser_parse_string) takes 80 bytes at
// a time and looks for the end of the line again for each, so that a line
// costs the square of its length: 5.3 s for a description of 8 MiB on one
// line. Its parser then reads a property's parameters in time that grows
// faster than the square of their length (80 ms for 8 KiB of them), and
// searches the rest of the line once for every value of a list (CATEGORIES,
// RDATE, EXDATE). So the lines are unfolded here and handed over one by one,
// each with only the parameters the import reads (TZID, VALUE, an alarm's
// RELATED and a replaced occurrence's RANGE), and a list one value a line, as the parser would have
// split it: every step is then linear in the line.
class LineFeeder {
public:
    explicit LineFeeder(std::string &handed) : parser_(icalparser_new()), handed_(handed) {}
    ~LineFeeder() { icalparser_free(parser_); }
    LineFeeder(const LineFeeder &) = delete;
    LineFeeder &operator=(const LineFeeder &) = delete;

    // Takes one unfolded line.
    void take(const std::string &line);
    // The component read, once its END has been taken (the caller's to free).
    icalcomponent *component() const { return done_; }

private:
    void hand(std::string &text)
    {
        if (icalcomponent *c = icalparser_add_line(parser_, text.data()))
            done_ = c;
    }

    icalparser *parser_;
    std::string &handed_;
    icalcomponent *done_ = nullptr;
    std::vector<std::pair<std::size_t, std::size_t>> params_;
};

void LineFeeder::take(const std::string &line)
{
    const std::string_view text(line);
    std::size_t i = 0;
    while (i < text.size() && isNameChar(text[i]))
        ++i;
    const std::string_view name = text.substr(0, i);
    handed_.assign(text.substr(0, i));
    if (is(name, "BEGIN") || is(name, "END")) {
        handed_.append(text.substr(i));
        hand(handed_);
        return;
    }
    // The parameters, up to the colon that begins the value (a quoted
    // parameter value may hold colons and semicolons).
    params_.clear();
    std::size_t pos = i;
    while (pos < text.size() && text[pos] == ';') {
        const std::size_t begin = pos + 1;
        bool quoted = false;
        for (pos = begin; pos < text.size(); ++pos) {
            if (text[pos] == '"')
                quoted = !quoted;
            else if (!quoted && (text[pos] == ';' || text[pos] == ':'))
                break;
        }
        params_.emplace_back(begin, pos);
    }
    std::string_view value;
    if (pos < text.size() && text[pos] == ':') {
        value = text.substr(pos + 1);
    } else {
        // Not what it should be: the value from the first colon, without
        // parameters, for libical to judge.
        params_.clear();
        const std::size_t colon = text.find(':');
        value = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    }
    bool tzid = false, valueType = false, related = false, range = false;
    for (std::size_t k = 0; k < params_.size(); ++k) {
        const std::string_view param = text.substr(params_[k].first, params_[k].second - params_[k].first);
        const std::string_view paramName = param.substr(0, param.find('='));
        const bool isTzid = is(paramName, "TZID"), isRelated = is(paramName, "RELATED"),
                   isRange = is(paramName, "RANGE");
        if (!isTzid && !isRelated && !isRange && !is(paramName, "VALUE"))
            continue;
        // The first of each is the one read; thousands would cost as before.
        if (std::exchange(isTzid ? tzid : isRelated ? related : isRange ? range : valueType, true))
            continue;
        // A zone name holding a colon, unquoted, as one program writes them
        // (TZID=GMT+05:30:20120904T020000): libical has its own reading of
        // that, so it gets the rest of the line as it stands.
        if (k + 1 == params_.size() && isTzid && param.find('"') == std::string_view::npos &&
            value.find(':') != std::string_view::npos) {
            handed_ += ';';
            handed_.append(text.substr(params_[k].first));
            hand(handed_);
            return;
        }
        handed_ += ';';
        handed_.append(param);
    }
    handed_ += ':';
    if (!is(name, "CATEGORIES") && !is(name, "RDATE") && !is(name, "EXDATE")) {
        handed_.append(value);
        hand(handed_);
        return;
    }
    // A list, one value a line, split where libical's parser splits it.
    const std::size_t prefix = handed_.size();
    std::size_t from = 0;
    for (int taken = 0; taken < kMaxListedValues; ++taken) {
        const std::size_t end = listValueEnd(value, from);
        const std::size_t stop = end == std::string_view::npos ? value.size() : end;
        // An empty value ends the list; alone, libical reports it.
        if (stop == from && taken > 0)
            break;
        handed_.resize(prefix);
        handed_.append(value.substr(from, stop - from));
        hand(handed_);
        if (end == std::string_view::npos)
            break;
        from = end + 1;
    }
}

// A text value as libical unescapes it, when it is plain: no control
// characters, no quotes, commas or semicolons but escaped ones, and a
// backslash only before n, N, a comma, a semicolon or a backslash; not
// empty and without blanks at either end (where libical's reading of
// other values differs, it reads them itself).
std::optional<QByteArray> plainText(std::string_view v)
{
    if (v.empty() || v.front() == ' ' || v.back() == ' ')
        return std::nullopt;
    QByteArray out;
    out.reserve(qsizetype(v.size()));
    std::size_t copied = 0;  // the bytes before it are in `out`
    for (std::size_t i = 0; i < v.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(v[i]);
        if (c >= 0x20 && c != 0x7F && c != '"' && c != ',' && c != ';' && c != '\\')
            continue;
        if (c != '\\' || i + 1 == v.size())
            return std::nullopt;
        out.append(v.data() + copied, qsizetype(i - copied));
        switch (v[++i]) {
        case 'n':
        case 'N': out += '\n'; break;
        case ',':
        case ';':
        case '\\': out += v[i]; break;
        default: return std::nullopt;
        }
        copied = i + 1;
    }
    out.append(v.data() + copied, qsizetype(v.size() - copied));
    return out;
}

// A value kept as it stands (an X- property's, a category), when nothing in
// it could be read otherwise: plain text without any escape.
std::optional<QByteArray> plainWord(std::string_view v)
{
    if (v.find('\\') != std::string_view::npos)
        return std::nullopt;
    return plainText(v);
}

bool allDigits(std::string_view v)
{
    return std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view digits)
{
    int n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

bool validTime(const icaltimetype &t);

// A date (YYYYMMDD, with VALUE=DATE) or a floating date-time
// (YYYYMMDDTHHMMSS) that names a real day and time.
std::optional<icaltimetype> plainTime(std::string_view v, bool date)
{
    if (date ? v.size() != 8 || !allDigits(v)
             : v.size() != 15 || v[8] != 'T' || !allDigits(v.substr(0, 8)) || !allDigits(v.substr(9)))
        return std::nullopt;
    icaltimetype t = icaltime_null_time();
    t.year = number(v.substr(0, 4));
    t.month = number(v.substr(4, 2));
    t.day = number(v.substr(6, 2));
    t.is_date = date ? 1 : 0;
    if (!date) {
        t.hour = number(v.substr(9, 2));
        t.minute = number(v.substr(11, 2));
        t.second = number(v.substr(13, 2));
    }
    if (t.year < 1 || (!date && t.second > 59) || !validTime(t))
        return std::nullopt;
    return t;
}

// A duration as this program writes a trigger ([-]P[nW] or
// [-]P[nD][T[nH][nM][nS]]), in seconds.
std::optional<qint64> plainDuration(std::string_view v)
{
    qint64 sign = 1;
    if (!v.empty() && v[0] == '-') {
        sign = -1;
        v.remove_prefix(1);
    }
    if (v.size() < 3 || v[0] != 'P')
        return std::nullopt;
    v.remove_prefix(1);
    qint64 seconds = 0;
    bool inTime = false, any = false;
    const char *units = "WD";  // the units still allowed, in order
    while (!v.empty()) {
        if (v[0] == 'T') {
            if (inTime || v.size() == 1)
                return std::nullopt;
            inTime = true;
            units = "HMS";
            v.remove_prefix(1);
            continue;
        }
        std::size_t n = 0;
        while (n < v.size() && n < 7 && v[n] >= '0' && v[n] <= '9')
            ++n;
        if (n == 0 || n == v.size())
            return std::nullopt;
        const char *unit = std::strchr(units, v[n]);
        if (!unit || v[n] == '\0')
            return std::nullopt;
        // A week stands alone.
        if (v[n] == 'W' && (any || n + 1 != v.size()))
            return std::nullopt;
        static const std::pair<char, qint64> kSeconds[] = {{'W', 604800}, {'D', 86400}, {'H', 3600}, {'M', 60}, {'S', 1}};
        for (const auto &[u, s] : kSeconds)
            if (u == v[n])
                seconds += number(v.substr(0, n)) * s;
        units = unit + 1;
        any = true;
        v.remove_prefix(n + 1);
    }
    return any ? std::optional<qint64>(sign * seconds) : std::nullopt;
}

std::optional<icalproperty_status> plainStatus(std::string_view v)
{
    static const std::pair<const char *, icalproperty_status> kStatus[] = {
        {"TENTATIVE", ICAL_STATUS_TENTATIVE}, {"CONFIRMED", ICAL_STATUS_CONFIRMED},
        {"CANCELLED", ICAL_STATUS_CANCELLED}, {"NEEDS-ACTION", ICAL_STATUS_NEEDSACTION},
        {"COMPLETED", ICAL_STATUS_COMPLETED}, {"IN-PROCESS", ICAL_STATUS_INPROCESS}};
    for (const auto &[text, status] : kStatus)
        if (v == text)
            return status;
    return std::nullopt;
}

template <typename T> bool first(std::optional<T> &slot, std::optional<T> value)
{
    if (!value)
        return false;
    if (!slot)
        slot = std::move(value);
    return true;
}

// Reads the lines kept of an event or to-do when every one of them is plain;
// false leaves the component to libical.
bool readPlain(const std::vector<std::string> &lines, std::size_t n, IcsPlainComponent &out)
{
    out = {};
    if (n < 2)
        return false;
    const std::string_view begin(lines[0]), end(lines[n - 1]);
    if (begin == "BEGIN:VTODO")
        out.todo = true;
    else if (begin != "BEGIN:VEVENT")
        return false;
    if (end.substr(0, 4) != "END:" || end.substr(4) != begin.substr(6))
        return false;
    int alarms = 0;
    bool inAlarm = false;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const std::string_view line(lines[i]);
        if (line == "BEGIN:VALARM" && !inAlarm) {
            inAlarm = true;
            ++alarms;
            out.alarm = true;
            continue;
        }
        if (line == "END:VALARM" && inAlarm) {
            inAlarm = false;
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return false;
        std::string_view name = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 1);
        if (inAlarm) {
            // Of an alarm only its trigger is kept.
            if (name != "TRIGGER")
                return false;
            const std::optional<qint64> seconds = plainDuration(value);
            if (!seconds)
                return false;
            if (alarms == 1 && !out.trigger)
                out.trigger = seconds;
            continue;
        }
        bool date = false;
        if (name == "DTSTART;VALUE=DATE" || name == "DTEND;VALUE=DATE") {
            name = name.substr(0, name.find(';'));
            date = true;
        }
        bool ok = false;
        if (name == "UID")
            ok = first(out.uid, plainText(value));
        else if (name == "SUMMARY")
            ok = first(out.summary, plainText(value));
        else if (name == "DESCRIPTION")
            ok = first(out.description, plainText(value));
        else if (name == "LOCATION")
            ok = first(out.location, plainText(value));
        else if (name == "STATUS")
            ok = first(out.status, plainStatus(value));
        else if (name == "DTSTART")
            ok = first(out.start, plainTime(value, date));
        else if (name == "DTEND")
            ok = first(out.end, plainTime(value, date));
        else if (name == "CATEGORIES") {
            const std::optional<QByteArray> category = plainWord(value);
            if ((ok = bool(category)))
                out.categories << *category;
        } else if (name == kIcsDoneProperty)
            ok = first(out.xDone, plainWord(value));
        else if (name == kIcsListProperty)
            ok = first(out.xList, plainWord(value));
        else if (name == kIcsCategoryProperty)
            ok = first(out.xCategory, plainWord(value));
        else if (name.substr(0, 10) == "X-MORVANE-" && name.size() > 10 &&
                 std::all_of(name.begin(), name.end(), [](char c) { return (c >= 'A' && c <= 'Z') || c == '-'; }))
            ok = bool(plainWord(value));  // another of this program's own, not read
        if (!ok)
            return false;
    }
    return !inAlarm;
}

// The component's lines, handed to libical, or read into `plain` when given
// and they are plain (`readPlainly` then set).
IcalPtr parseBlock(const QByteArray &text, const IcsBlock &b, IcsReadBuffers &buffers, IcsPlainComponent *plain,
                   bool &readPlainly)
{
    const bool zone = b.name == "VTIMEZONE";
    std::vector<std::string> &lines = buffers.lines;
    std::size_t &kept = buffers.kept;
    kept = 0;
    std::string &line = buffers.line;
    bool keep = false, begin = false, inAlarm = false;
    // The line so far is all name: the name may go on in the next line.
    bool nameOpen = false;
    int depth = 0;  // 1 in the component itself, 2 and more in an alarm
    auto decide = [&](QByteArrayView name) {
        begin = name.compare("BEGIN", Qt::CaseInsensitive) == 0;
        if (begin) {
            ++depth;
            keep = true;
        } else if (name.compare("END", Qt::CaseInsensitive) == 0) {
            --depth;
            inAlarm = inAlarm && depth >= 2;
            keep = true;
        } else if (zone) {
            keep = zoneLineIsUsed(name);
        } else {
            // An alarm's trigger says how long before the start it rings.
            keep = (depth == 1 && lineIsUsed(name)) ||
                   (depth == 2 && inAlarm && name.compare("TRIGGER", Qt::CaseInsensitive) == 0);
        }
    };
    auto nameLength = [](std::string_view l) {
        std::size_t i = 0;
        while (i < l.size() && isNameChar(l[i]))
            ++i;
        return i;
    };
    auto flush = [&] {
        if (nameOpen) {
            nameOpen = false;
            decide(QByteArrayView(line.data(), qsizetype(line.size())));
        }
        if (keep) {
            if (begin && depth == 2) {
                const std::size_t colon = line.find(':');
                inAlarm = colon != std::string::npos &&
                          QByteArrayView(line).sliced(qsizetype(colon) + 1).trimmed().compare(
                              "VALARM", Qt::CaseInsensitive) == 0;
            }
            if (kept == lines.size())
                lines.emplace_back();
            lines[kept++].assign(line);
        }
        keep = false;
    };
    qsizetype pos = b.begin;
    while (pos < b.end) {
        qsizetype nl = text.indexOf('\n', pos);
        nl = nl < 0 || nl >= b.end ? b.end : nl;
        QByteArrayView piece(text.constData() + pos, nl - pos);
        pos = nl + 1;
        if (piece.endsWith('\r'))
            piece.chop(1);
        if (!piece.isEmpty() && (piece[0] == ' ' || piece[0] == '\t')) {
            if (keep || nameOpen)
                line.append(piece.data() + 1, std::size_t(piece.size() - 1));
            if (nameOpen) {
                // Folded inside the name: it is known once it ends.
                const std::size_t i = nameLength(line);
                if (i < line.size()) {
                    nameOpen = false;
                    decide(QByteArrayView(line.data(), qsizetype(i)));
                    if (!keep)
                        line.clear();
                }
            }
            continue;
        }
        flush();
        const std::size_t i = nameLength(std::string_view(piece.data(), std::size_t(piece.size())));
        if (i == std::size_t(piece.size())) {
            nameOpen = true;
            line.assign(piece.data(), std::size_t(piece.size()));
            continue;
        }
        decide(piece.first(qsizetype(i)));
        if (keep)
            line.assign(piece.data(), std::size_t(piece.size()));
    }
    flush();
    readPlainly = plain && !zone && readPlain(lines, kept, *plain);
    if (readPlainly)
        return {};
    LineFeeder feeder(buffers.handed);
    for (std::size_t i = 0; i < kept; ++i)
        feeder.take(lines[i]);
    return IcalPtr(feeder.component());
}

}  // namespace

namespace {

bool validTime(const icaltimetype &t)
{
    if (icaltime_is_null_time(t))
        return true;
    if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > icaltime_days_in_month(t.month, t.year))
        return false;
    return t.is_date || (t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second <= 60);
}

// libical takes "2026-13-45" for the thirteenth month's forty-fifth day; a
// date or time the import uses that names no day or time makes the file
// unreadable, like one libical refuses.
void checkTimes(icalcomponent *top, const QByteArray &text, const IcsBlock &b, IcsReadErrors &errors)
{
    std::vector<icalcomponent *> pending{top};
    while (!pending.empty() && errors.fatal.isEmpty()) {
        icalcomponent *c = pending.back();
        pending.pop_back();
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
            const char *name = icalproperty_get_property_name(p);
            icalvalue *v = icalproperty_get_value(p);
            if (!name || !v || !valueMatters(name))
                continue;
            icaltimetype t = icaltime_null_time();
            switch (icalvalue_isa(v)) {
            case ICAL_DATE_VALUE:
            case ICAL_DATETIME_VALUE: t = icalvalue_get_datetime(v); break;
            case ICAL_PERIOD_VALUE: t = icalvalue_get_period(v).start; break;
            case ICAL_DATETIMEPERIOD_VALUE: {
                const icaldatetimeperiodtype dp = icalvalue_get_datetimeperiod(v);
                t = icaltime_is_null_time(dp.time) ? dp.period.start : dp.time;
                break;
            }
            default: continue;
            }
            if (validTime(t))
                continue;
            QByteArray written;
            errors.fatalLine = findPropertyLine(text, b, name, "", &written);
            errors.fatal = u"Line %1: the value of %2 cannot be read (\"%3\"): it names no day or time."_s
                               .arg(errors.fatalLine)
                               .arg(QString::fromUtf8(name), shortText(written));
            return;
        }
        for (icalcomponent *sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
             sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
            pending.push_back(sub);
    }
}

}  // namespace

// Reads one block with libical and checks what it could not read.
void ReadIcsComponent(const QByteArray &text, const IcsBlock &b, IcsReadBuffers &buffers, IcalPtr &out,
                      IcsReadErrors &errors, IcsPlainComponent *plain)
{
    bool readPlainly = false;
    out = parseBlock(text, b, buffers, plain, readPlainly);
    if (readPlainly)
        return;
    if (!out) {
        errors.fatalLine = b.firstLine;
        errors.fatal = u"Line %1: the %2 beginning here cannot be read."_s.arg(b.firstLine).arg(QString::fromUtf8(b.name));
        return;
    }
    collectErrors(out.get(), text, b, errors);
    if (errors.fatal.isEmpty())
        checkTimes(out.get(), text, b, errors);
}

}  // namespace morvane
