#include "IcsReader.h"

#include <QRegularExpression>

#include <algorithm>

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
    bool inLogical = false, colon = false, keepValue = false;
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
        keepValue = is("BEGIN") || is("END");
        colon = false;
        value.clear();
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
// the block's first line when none does.
int findPropertyLine(const QByteArray &text, const IcsBlock &b, QByteArrayView prop, QByteArrayView value)
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
            QByteArrayView(logical).sliced(colon + 1).contains(value))
            found = logicalLine;
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
// locations, other programs' X- lines, what is inside an alarm) are not
// handed to it. Zones are handed over whole.
bool lineIsUsed(QByteArrayView name)
{
    static const char *const kUsed[] = {"UID",   "DTSTART", "DTEND",  "DUE",    "DURATION",      "SUMMARY",
                                        "DESCRIPTION", "CATEGORIES", "STATUS", "COMPLETED", "RRULE", "RDATE",
                                        "EXDATE", "EXRULE", "RECURRENCE-ID"};
    if (name.size() > 10 && name.first(10).compare("X-MORVANE-", Qt::CaseInsensitive) == 0)
        return true;
    for (const char *used : kUsed)
        if (name.compare(QByteArrayView(used), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

IcalPtr parseBlock(const QByteArray &text, const IcsBlock &b, std::string &buffer)
{
    if (b.name == "VTIMEZONE") {
        buffer.assign(text.constData() + b.begin, std::size_t(b.end - b.begin));
    } else {
        buffer.clear();
        bool keep = false;
        int depth = 0;  // 1 in the component itself, 2 and more in an alarm
        qsizetype pos = b.begin;
        while (pos < b.end) {
            qsizetype nl = text.indexOf('\n', pos);
            nl = nl < 0 || nl >= b.end ? b.end : nl + 1;
            const QByteArrayView line(text.constData() + pos, nl - pos);
            pos = nl;
            if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
                if (keep)
                    buffer.append(line.data(), std::size_t(line.size()));
                continue;
            }
            qsizetype i = 0;
            while (i < line.size() && isNameChar(line[i]))
                ++i;
            const QByteArrayView name = line.first(i);
            if (name.compare("BEGIN", Qt::CaseInsensitive) == 0) {
                ++depth;
                keep = true;
            } else if (name.compare("END", Qt::CaseInsensitive) == 0) {
                --depth;
                keep = true;
            } else {
                keep = depth == 1 && lineIsUsed(name);
            }
            if (keep)
                buffer.append(line.data(), std::size_t(line.size()));
        }
    }
    return IcalPtr(icalparser_parse_string(buffer.c_str()));
}

}  // namespace

// Reads one block with libical and checks what it could not read.
void ReadIcsComponent(const QByteArray &text, const IcsBlock &b, std::string &buffer, IcalPtr &out, IcsReadErrors &errors)
{
    out = parseBlock(text, b, buffer);
    if (!out) {
        errors.fatalLine = b.firstLine;
        errors.fatal = u"Line %1: the %2 beginning here cannot be read."_s.arg(b.firstLine).arg(QString::fromUtf8(b.name));
        return;
    }
    collectErrors(out.get(), text, b, errors);
}

}  // namespace morvane
