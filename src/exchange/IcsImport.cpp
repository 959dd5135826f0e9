#include "IcsImport.h"

#include "Grid.h"
#include "IcsExport.h"
#include "IcsIdentity.h"
#include "IcsLibical.h"
#include "IcsReader.h"
#include "IcsRecurrence.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// ---------------------------------------------------------------------------
// Times and zones.

class Zones {
public:
    Zones() : cal_(icalcomponent_new_vcalendar()) {}
    void add(IcalPtr vtimezone) { icalcomponent_add_component(cal_.get(), vtimezone.release()); }

    // The zone a TZID names: the file's own VTIMEZONE first, then libical's
    // built-in zones (the system's), by their TZID or their location name.
    icaltimezone *find(const char *tzid)
    {
        if (!tzid || !*tzid)
            return nullptr;
        if (icaltimezone *z = icalcomponent_get_timezone(cal_.get(), tzid))
            return z;
        if (icaltimezone *z = icaltimezone_get_builtin_timezone_from_tzid(tzid))
            return z;
        return icaltimezone_get_builtin_timezone(tzid);
    }

    // A date or date-time property's value with the zone of its TZID (libical
    // leaves that to the caller outside a calendar); UTC times keep theirs.
    icaltimetype timeOf(icalproperty *p)
    {
        QByteArray tzid;
        const icaltimetype t = RawTime(p, &tzid);
        return withZone(t, tzid);
    }

    icaltimetype withZone(icaltimetype t, const QByteArray &tzid)
    {
        if (!t.is_date && !icaltime_is_utc(t))
            t.zone = tzid.isEmpty() ? nullptr : find(tzid.constData());
        return t;
    }

    // The value as written and the TZID it names; touches nothing shared,
    // so threads reading components may call it.
    static icaltimetype RawTime(icalproperty *p, QByteArray *tzid)
    {
        icalvalue *v = icalproperty_get_value(p);
        if (!v)
            return icaltime_null_time();
        icaltimetype t;
        if (icalvalue_isa(v) == ICAL_PERIOD_VALUE)
            t = icalvalue_get_period(v).start;
        else if (icalvalue_isa(v) == ICAL_DATETIMEPERIOD_VALUE) {
            const icaldatetimeperiodtype dp = icalvalue_get_datetimeperiod(v);
            t = icaltime_is_null_time(dp.time) ? dp.period.start : dp.time;
        } else
            t = icalvalue_get_datetime(v);
        if (!t.is_date && !icaltime_is_utc(t))
            if (icalparameter *tz = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER))
                *tzid = icalparameter_get_tzid(tz);
        return t;
    }

private:
    IcalPtr cal_;
};

// Seconds since 1970 of a time; a floating time counts as if it were UTC,
// which keeps differences and comparisons between floating times right, and
// a date as the midnight that begins it, in the same count, so that an event
// from a time to a date (DTEND;VALUE=DATE) lasts the hours between them.
qint64 instant(const icaltimetype &t)
{
    if (t.is_date) {
        constexpr qint64 kJulianDayOf1970 = 2440588;
        const QDate d(t.year, t.month, t.day);
        return d.isValid() ? (d.toJulianDay() - kJulianDayOf1970) * 86400 : 0;
    }
    return qint64(icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone()));
}

// The local date and time of a time: zones and UTC converted to the
// machine's time zone, floating times taken as they are.
struct LocalTime {
    QDate date;
    QTime time;
    bool allDay = false;
};

LocalTime toLocal(const icaltimetype &t)
{
    LocalTime out;
    if (t.is_date) {
        out.date = QDate(t.year, t.month, t.day);
        out.allDay = true;
    } else if (!t.zone) {
        out.date = QDate(t.year, t.month, t.day);
        out.time = QTime(t.hour, t.minute, t.second);
    } else {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(instant(t));
        out.date = local.date();
        out.time = local.time();
    }
    return out;
}

// Which occurrence a time is, for EXDATE and RECURRENCE-ID: its instant, and
// for a date its day.
struct OccurrenceKey {
    qint64 at = 0;
    bool isDate = false;
    bool operator==(const OccurrenceKey &o) const { return at == o.at && isDate == o.isDate; }
};
size_t qHash(const OccurrenceKey &k, size_t seed = 0) { return qHashMulti(seed, k.at, k.isDate); }

OccurrenceKey keyOf(const icaltimetype &t)
{
    if (t.is_date)
        return {QDate(t.year, t.month, t.day).toJulianDay(), true};
    return {instant(t), false};
}

// ---------------------------------------------------------------------------
// The plan.


// A text's lines, whatever its line ends, without the blank ones at its end.
QStringList textLines(const char *text)
{
    QString s = QString::fromUtf8(text ? text : "");
    s.replace(u"\r\n"_s, u"\n"_s);
    s.replace(u'\r', u'\n');
    QStringList l = s.split(u'\n');
    while (!l.isEmpty() && l.last().trimmed().isEmpty())
        l.removeLast();
    return l;
}

// Notes from the summary and the description: the description alone when
// it begins with the summary (as this program writes them), else the
// summary as the first line above it; a location follows the first line as
// "Where: ...". Also their UTF-8 bytes.
void notesOf(const char *summary, const char *description, const char *location, QString *notes, QByteArray *utf8)
{
    const bool where = location && !QByteArrayView(location).trimmed().isEmpty();
    // Most notes are one line, given once or twice.
    const char *one = !description || !*description ? summary
                      : !summary || !*summary || std::strcmp(summary, description) == 0 ? description
                                                                                       : nullptr;
    if (!where && one && !std::strpbrk(one, "\r\n") && !QByteArrayView(one).trimmed().isEmpty()) {
        // The bytes as the table will hold them: libical may hand over
        // bytes that are not UTF-8 (a backslash before a letter outside
        // ASCII), which the table keeps as their replacement.
        *notes = QString::fromUtf8(one);
        *utf8 = notes->toUtf8();
        return;
    }
    const QStringList sum = textLines(summary);
    QStringList desc = textLines(description);
    QStringList all;
    if (desc.isEmpty())
        all = sum;
    else if (sum.isEmpty() || desc.first() == sum.join(u' '))
        all = desc;
    else
        all = sum + desc;
    if (all.isEmpty())
        all << u"(No title)"_s;
    if (where) {
        // A location of several lines is one line here.
        const QString place = textLines(location).join(u", "_s).trimmed();
        const QString line = u"Where: "_s + place;
        // An export of notes that held it already has it in its description.
        if (!all.contains(line))
            all.insert(1, line);
    }
    *notes = MemoToText(all);
    *utf8 = notes->toUtf8();
}

// The properties of a component the import reads, found in one walk over
// them (libical finds each property by walking the list).
struct Props {
    explicit Props(icalcomponent *c)
    {
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
            switch (icalproperty_isa(p)) {
            case ICAL_UID_PROPERTY: first(uid, p); break;
            case ICAL_SUMMARY_PROPERTY: first(summary, p); break;
            case ICAL_DESCRIPTION_PROPERTY: first(description, p); break;
            case ICAL_LOCATION_PROPERTY: first(location, p); break;
            case ICAL_STATUS_PROPERTY: first(status, p); break;
            case ICAL_DTSTART_PROPERTY: first(dtstart, p); break;
            case ICAL_DTEND_PROPERTY: first(dtend, p); break;
            case ICAL_DUE_PROPERTY: first(due, p); break;
            case ICAL_DURATION_PROPERTY: first(duration, p); break;
            case ICAL_RRULE_PROPERTY: first(rrule, p); break;
            case ICAL_RDATE_PROPERTY: first(rdate, p); break;
            case ICAL_EXRULE_PROPERTY: first(exrule, p); break;
            case ICAL_RECURRENCEID_PROPERTY: first(recurrenceId, p); break;
            case ICAL_COMPLETED_PROPERTY: first(completed, p); break;
            case ICAL_CATEGORIES_PROPERTY: categories.push_back(p); break;
            case ICAL_X_PROPERTY: {
                const char *name = icalproperty_get_x_name(p);
                if (!name)
                    break;
                if (!xDone && qstricmp(name, kIcsDoneProperty) == 0)
                    xDone = icalproperty_get_x(p);
                else if (!xList && qstricmp(name, kIcsListProperty) == 0)
                    xList = icalproperty_get_x(p);
                else if (!xCategory && qstricmp(name, kIcsCategoryProperty) == 0)
                    xCategory = icalproperty_get_x(p);
                break;
            }
            default: break;
            }
        }
    }

    // The values of CATEGORIES, each property and each value of its list
    // in turn (the reader hands libical a list one value a property).
    QList<QByteArray> categoryValues() const
    {
        QList<QByteArray> out;
        for (icalproperty *p : categories)
            if (const char *v = icalproperty_get_categories(p); v && *v)
                out << QByteArray(v);
        return out;
    }

    icalproperty *uid = nullptr, *summary = nullptr, *description = nullptr, *location = nullptr, *status = nullptr, *dtstart = nullptr,
                 *dtend = nullptr, *due = nullptr, *duration = nullptr, *rrule = nullptr, *rdate = nullptr,
                 *exrule = nullptr,
                 *recurrenceId = nullptr, *completed = nullptr;
    QVarLengthArray<icalproperty *, 2> categories;
    const char *xDone = nullptr, *xList = nullptr, *xCategory = nullptr;

private:
    static void first(icalproperty *&slot, icalproperty *p)
    {
        if (!slot)
            slot = p;
    }
};

// An occurrence of a UID: its day and minute of the day (-1: all day).
struct SeenKey {
    QByteArray uid;
    int day, minute;
    bool operator==(const SeenKey &o) const { return day == o.day && minute == o.minute && uid == o.uid; }
};
size_t qHash(const SeenKey &k, size_t seed = 0) { return qHashMulti(seed, k.uid, k.day, k.minute); }

// What the planning needs of one event or to-do, taken out of libical's
// component by the thread that read it (which also frees it: memory freed
// on another thread than the one that took it costs more than the reading).
struct Extract {
    IcsReadErrors errors;
    const IcsBlock *block = nullptr;
    bool isTodo = false, completedLog = false, alarm = false, recurring = false, replacesOne = false;
    bool cancelled = false;  // STATUS:CANCELLED
    // What the file says of a task beyond its day, time and text: its done
    // state (this program's export, or a to-do's status), and its alarm
    // (only a file of this program's says that no alarm means none).
    bool statesDone = false, ours = false;
    icalproperty_status status = ICAL_STATUS_NONE;
    QByteArray summary;  // as written, for the list of what cannot come across
    StoredTask base;     // notes, category and done
    QByteArray hash, uid;
    // The content as imports before this one took it (categories joined,
    // no location), so that their tasks are still found.
    QByteArray earlierHash;
    QStringList otherCategories;
    std::optional<OwnIcsUid> own;
    bool hasStart = false, hasEnd = false, hasRecurrenceId = false;
    bool fromHereOn = false;  // its RECURRENCE-ID has RANGE=THISANDFUTURE
    icaltimetype start{}, end{}, recurrenceId{};
    QByteArray startZone, endZone, recurrenceIdZone;  // TZIDs, resolved by the planner
    qint64 duration = 0;
    // The first alarm's trigger: seconds from the start (or the end), or a
    // set time.
    bool hasTrigger = false, triggerFromEnd = false, triggerAtTime = false;
    qint64 triggerSeconds = 0;
    // Recurring events keep their component: their rules and dates are
    // followed with the file's zones, which only the planner's thread uses.
    IcalPtr component;
};

void readTrigger(icalcomponent *c, Extract &x)
{
    icalcomponent *alarm = icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT);
    x.alarm = alarm != nullptr;
    icalproperty *trigger = alarm ? icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY) : nullptr;
    if (!trigger)
        return;
    const icaltriggertype t = icalproperty_get_trigger(trigger);
    x.hasTrigger = true;
    if (!icaltime_is_null_time(t.time)) {
        x.triggerAtTime = true;
        return;
    }
    x.triggerSeconds = icaldurationtype_as_int(t.duration);
    icalparameter *related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
    x.triggerFromEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
}

// What the import reads of an event or to-do beyond its times, whether
// libical read it or it was read plainly.
struct Values {
    bool todo = false;
    const char *uid = nullptr, *summary = nullptr, *description = nullptr, *location = nullptr;
    const char *xDone = nullptr, *xList = nullptr, *xCategory = nullptr;
    QList<QByteArray> categories;
    bool hasStatus = false, completed = false;
    icalproperty_status status = ICAL_STATUS_NONE;
};

// Takes the task's text, category, done state and identity; false for an
// entry of a completed-tasks log, of which nothing more is read.
bool takeValues(const Values &v, Extract &x)
{
    x.isTodo = v.todo;
    if (v.xList && qstricmp(QByteArray(v.xList).trimmed().constData(), kIcsCompletedLog) == 0) {
        x.completedLog = true;
        return false;
    }
    x.status = v.status;
    x.cancelled = x.status == ICAL_STATUS_CANCELLED;
    x.summary = v.summary;
    QByteArray notes;
    notesOf(v.summary, v.description, v.location, &x.base.notes, &notes);
    // The first category; a file of this program's has the exact text.
    QByteArray category;
    if (v.xCategory && *v.xCategory) {
        category = v.xCategory;
    } else if (!v.categories.isEmpty()) {
        category = v.categories.first();
        for (qsizetype i = 1; i < v.categories.size(); ++i)
            x.otherCategories << QString::fromUtf8(v.categories[i]);
    }
    x.base.category = QString::fromUtf8(category);
    category = x.base.category.toUtf8();  // as the table will hold it
    // A to-do's status is what another program changes when it is done
    // there; this program's own mark, carried along unchanged, says less.
    bool done = false;
    if (x.isTodo && (v.hasStatus || v.completed || !v.xDone))
        done = x.status == ICAL_STATUS_COMPLETED || v.completed;
    else if (v.xDone)
        done = qstricmp(QByteArray(v.xDone).trimmed().constData(), "Yes") == 0;
    x.base.done = YesNo(done);
    x.ours = v.xDone != nullptr;
    x.statesDone = x.ours || x.isTodo;
    x.uid = v.uid ? QByteArray(v.uid) : QByteArray();
    x.own = ParseOwnIcsUid(x.uid);
    x.hash = IcsContentHash({category, notes});
    if (!x.otherCategories.isEmpty() || v.location) {
        QByteArray earlierNotes;
        QString unused;
        notesOf(v.summary, v.description, nullptr, &unused, &earlierNotes);
        const QByteArray earlierCategory =
            v.xCategory && *v.xCategory ? category : QString::fromUtf8(v.categories.join(',')).toUtf8();
        x.earlierHash = IcsContentHash({earlierCategory, earlierNotes});
    }
    return true;
}

// An event or to-do read plainly: no zones, no repeat, no replaced occurrence.
void takePlain(const IcsPlainComponent &p, Extract &x)
{
    const auto text = [](const std::optional<QByteArray> &value) { return value ? value->constData() : nullptr; };
    Values v;
    v.todo = p.todo;
    v.uid = text(p.uid);
    v.summary = text(p.summary);
    v.description = text(p.description);
    v.location = text(p.location);
    v.xDone = text(p.xDone);
    v.xList = text(p.xList);
    v.xCategory = text(p.xCategory);
    v.categories = p.categories;
    v.hasStatus = p.status.has_value();
    v.status = p.status.value_or(ICAL_STATUS_NONE);
    if (!takeValues(v, x) || !p.start)
        return;
    x.hasStart = true;
    x.start = *p.start;
    if (!x.isTodo && p.end) {
        x.hasEnd = true;
        x.end = *p.end;
    }
    x.alarm = p.alarm;
    if (p.trigger) {
        x.hasTrigger = true;
        x.triggerSeconds = *p.trigger;
    }
}

void ExtractComponent(const QByteArray &text, const IcsBlock &b, IcsReadBuffers &buffers, IcsPlainComponent &plain,
                      Extract &x)
{
    x.block = &b;
    IcalPtr c;
    ReadIcsComponent(text, b, buffers, c, x.errors, &plain);
    if (!x.errors.fatal.isEmpty())
        return;
    if (!c) {
        takePlain(plain, x);
        return;
    }
    const Props props(c.get());
    Values v;
    v.todo = icalcomponent_isa(c.get()) == ICAL_VTODO_COMPONENT;
    v.uid = props.uid ? icalproperty_get_uid(props.uid) : nullptr;
    v.summary = props.summary ? icalproperty_get_summary(props.summary) : nullptr;
    v.description = props.description ? icalproperty_get_description(props.description) : nullptr;
    v.location = props.location ? icalproperty_get_location(props.location) : nullptr;
    v.xDone = props.xDone;
    v.xList = props.xList;
    v.xCategory = props.xCategory;
    v.categories = props.categoryValues();
    v.hasStatus = props.status != nullptr;
    v.completed = props.completed != nullptr;
    v.status = props.status ? icalproperty_get_status(props.status) : ICAL_STATUS_NONE;
    if (!takeValues(v, x))
        return;

    // The start: an event's DTSTART; a to-do's DUE, else its DTSTART.
    icalproperty *startProp = x.isTodo && props.due ? props.due : props.dtstart;
    if (!startProp)
        return;
    x.hasStart = true;
    x.start = Zones::RawTime(startProp, &x.startZone);
    if (!x.isTodo && props.dtend) {
        x.hasEnd = true;
        x.end = Zones::RawTime(props.dtend, &x.endZone);
    } else if (!x.isTodo && props.duration) {
        x.duration = icaldurationtype_as_int(icalproperty_get_duration(props.duration));
    }
    readTrigger(c.get(), x);
    x.replacesOne = props.recurrenceId;
    if (props.recurrenceId) {
        x.hasRecurrenceId = true;
        x.recurrenceId = Zones::RawTime(props.recurrenceId, &x.recurrenceIdZone);
        icalparameter *range = icalproperty_get_first_parameter(props.recurrenceId, ICAL_RANGE_PARAMETER);
        x.fromHereOn = range && icalparameter_get_range(range) == ICAL_RANGE_THISANDFUTURE;
    }
    x.recurring = !x.replacesOne && (props.rrule || x.errors.badRule || props.rdate || props.exrule);
    if (x.recurring)
        x.component = std::move(c);
}

// The work a repeat rule may take (steps of IcsRecurrence's walk, a tenth of
// a microsecond each, and the occurrences it yields, a few microseconds each
// to plan): enough for an event every half hour through the default three
// years; and what all rules of one file may take together.
constexpr qint64 kMaxRuleWork = 200000;
constexpr qint64 kMaxFileRuleWork = 2000000;
// A time zone's rule changes its offset a few times a year at most.
constexpr qint64 kMaxZoneRuleWork = 100000;

// An occurrence of an event whose task here is one of several of the same
// content on its day: matched once the whole file has had its turn.
struct Pending {
    StoredTask task;
    QByteArray hash, earlierHash;
    IcsPlace place;  // where the file puts it, and where it stood
    bool cancelled = false, statesDone = false, ours = false;
    std::size_t at = 0;  // its place among the rows to add
    std::size_t changeAt = 0;  // its place among the changes, as the file has it
    bool hadFree = false;      // a task of its content was free when it came
    QByteArray occurrence = {};  // IcsImportPlan::occurrences
};

// How a RECURRENCE-ID or EXDATE naming the occurrence at `t` (a time of the
// zone `tzid`) reads after the property's name.
QByteArray occurrenceId(const icaltimetype &t, const QByteArray &tzid)
{
    char text[24];
    if (t.is_date) {
        std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
        return ";VALUE=DATE:" + QByteArray(text);
    }
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    if (icaltime_is_utc(t))
        return ':' + QByteArray(text) + 'Z';
    if (!tzid.isEmpty())
        return ";TZID=" + tzid + ':' + QByteArray(text);
    return ':' + QByteArray(text);
}

class Planner {
public:
    Planner(const QByteArray &text, const Grid &store, const Grid &todo, QDate from, QDate to,
            const FormatSettings &fs, IcsPlanControl *control, int alarmLeadMinutes)
        : text_(text), store_(store), todo_(todo), storeMatch_(store, fs), todoMatch_(todo),
          fromDay_(DayNumber(from)), toDay_(DayNumber(to)), from_(from), to_(to), fs_(fs), control_(control),
          leadSeconds_(qint64(alarmLeadMinutes) * 60)
    {
        // libical makes its UTC zone when first asked; ask before any thread
        // reads a UTC time.
        icaltimezone_get_utc_timezone();
        plan_.alarmLeadMinutes = alarmLeadMinutes;
    }

    IcsImportPlan run(const IcsStructure &s);

private:
    // Reads the events and to-dos and plans them, in file order.
    IcsImportPlan takeAll(const std::vector<const IcsBlock *> &blocks);
    bool readBlock(const IcsBlock &b, IcalPtr &out, IcsReadErrors &errors);
    bool readZone(const IcsBlock &b);
    bool accept(const IcsReadErrors &errors);
    bool cancelled() const { return control_ && control_->cancelled(); }
    // Room for one more task; marks the plan full when there is none.
    bool room()
    {
        if (plan_.taskCount() < kMaxIcsImportTasks)
            return true;
        plan_.full = true;
        return false;
    }
    void takeExtract(Extract &x);
    // One occurrence: `at` where the file puts it, `was` where it stood
    // before the file moved it (a replaced occurrence's RECURRENCE-ID).
    void addOccurrence(const Extract &x, const LocalTime &at, const LocalTime &was, bool cancelledOne);
    // The occurrences matched once the file has been read.
    IcsImportPlan finish();
    // Against the task at `row` of the store: already here, changed or removed.
    void compare(const StoredTask &task, int day, int row, bool cancelledOne, bool statesDone, bool ours);
    void compareTodo(const Extract &x, int row);
    // The occurrences of a repeating event by its own zone's clock, in
    // order: DTSTART, the rules' dates and RDATE, less those other
    // components of the file replace, and less those EXDATE or a
    // cancellation of "this and the following" takes out (given apart).
    struct Occurrences {
        std::vector<icaltimetype> times, takenOut;
        bool unsupported = false;  // a rule that cannot be followed: nothing given
        bool endless = false;      // a rule without COUNT or UNTIL
        bool cutShort = false;     // a rule followed only part of the way (said already)
    };
    Occurrences occurrences(const Extract &x, const icaltimetype &start, const QString &summary,
                            const QDate &firstDate);
    const QString &timeText(const QTime &t);
    QString timeText(const LocalTime &at)
    {
        return at.allDay ? QString::fromUtf16(kIcsAllDayTime) : timeText(at.time);
    }
    // A plan that holds nothing but the reason.
    IcsImportPlan failed() const
    {
        IcsImportPlan p;
        p.ok = false;
        p.errorLine = plan_.errorLine;
        p.error = plan_.error;
        return p;
    }
    static IcsImportPlan stopped() { return InterruptedIcsImportPlan(); }
    void note(IcsImportNote::Kind kind, const QString &summary, const QDate &date, QString detail = {},
              qint64 count = 0)
    {
        plan_.notes.push_back({kind, summary, date, QDate(), std::move(detail), count});
    }

    const QByteArray &text_;
    const Grid &store_, &todo_;
    IcsStoreMatcher storeMatch_;
    IcsTodoMatcher todoMatch_;
    const int fromDay_, toDay_;
    const QDate from_, to_;
    const FormatSettings &fs_;
    IcsPlanControl *control_;
    const qint64 leadSeconds_;
    qint64 ruleWork_ = 0;  // spent by the file's rules so far
    int namedOutside_ = 0;  // single events outside the days, named so far
    Zones zones_;
    IcsReadBuffers buffers_;
    IcsImportPlan plan_;
    std::vector<Pending> pending_;
    std::vector<Pending> cancelledPending_;  // cancelled events known by their content only
    QHash<QByteArray, QSet<OccurrenceKey>> replaced_;  // UID -> occurrences other components replace
    QHash<QByteArray, qint64> cancelledFrom_;  // UID -> the instant from which the file cancelled its repeat
    QSet<SeenKey> seen_;                               // UID and occurrence already taken from the file
    std::array<QString, 24 * 60> times_;
    QByteArray occurrence_;  // of the occurrences added now, for IcsImportPlan::occurrences
};

bool Planner::readBlock(const IcsBlock &b, IcalPtr &out, IcsReadErrors &errors)
{
    ReadIcsComponent(text_, b, buffers_, out, errors);
    return accept(errors);
}

// libical follows a zone's rules with its own iterator, which can search for
// centuries inside one step of an odd rule. The rules are followed here
// instead, as far as the import needs, and handed to libical as the dates of
// the changes they make.
bool Planner::readZone(const IcsBlock &b)
{
    IcalPtr zone;
    IcsReadErrors errors;
    if (!readBlock(b, zone, errors))
        return false;
    const QDate first(1900, 1, 1), last = to_.addYears(1);
    for (icalcomponent *part = icalcomponent_get_first_component(zone.get(), ICAL_ANY_COMPONENT); part;
         part = icalcomponent_get_next_component(zone.get(), ICAL_ANY_COMPONENT)) {
        icalproperty *dtstart = icalcomponent_get_first_property(part, ICAL_DTSTART_PROPERTY);
        icalproperty *offsetFrom = icalcomponent_get_first_property(part, ICAL_TZOFFSETFROM_PROPERTY);
        std::vector<icalproperty *> rules;
        for (icalproperty *p = icalcomponent_get_first_property(part, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(part, ICAL_RRULE_PROPERTY))
            rules.push_back(p);
        for (icalproperty *rule : rules) {
            if (dtstart) {
                // The rule's UNTIL is in UTC, its dates in the time before the change.
                const IcsRuleWalk walk =
                    WalkIcsRule(icalproperty_get_rrule(rule), icalproperty_get_dtstart(dtstart), first, last,
                                kMaxZoneRuleWork, control_ ? control_->flag() : nullptr,
                                offsetFrom ? icalproperty_get_tzoffsetfrom(offsetFrom) : 0);
                if (cancelled())
                    return false;
                if (walk.cutShort) {
                    plan_.ok = false;
                    plan_.errorLine = b.firstLine;
                    plan_.error = u"Line %1: the time zone beginning here changes its offset more often than any time "
                                  "zone does, so this is not a calendar."_s.arg(b.firstLine);
                    return false;
                }
                for (const icaltimetype &t : walk.times) {
                    icaldatetimeperiodtype change{};
                    change.time = t;
                    change.period = icalperiodtype_null_period();
                    icalcomponent_add_property(part, icalproperty_new_rdate(change));
                }
            }
            icalcomponent_remove_property(part, rule);
            icalproperty_free(rule);
        }
    }
    zones_.add(std::move(zone));
    return true;
}

bool Planner::accept(const IcsReadErrors &errors)
{
    if (errors.fatal.isEmpty())
        return true;
    plan_.ok = false;
    plan_.errorLine = errors.fatalLine;
    plan_.error = errors.fatal;
    return false;
}

IcsImportPlan Planner::run(const IcsStructure &s)
{
    // The zones first: components may name a zone defined after them.
    for (const IcsBlock &b : s.blocks)
        if (b.name == "VTIMEZONE" && !readZone(b))
            return cancelled() ? stopped() : failed();
    // Then the components that replace one occurrence of a recurring event,
    // so that the event leaves those occurrences out.
    for (const IcsBlock &b : s.blocks) {
        if (!b.overrides || (b.name != "VEVENT" && b.name != "VTODO"))
            continue;
        IcalPtr c;
        IcsReadErrors errors;
        if (!readBlock(b, c, errors))
            return failed();
        icalproperty *rid = icalcomponent_get_first_property(c.get(), ICAL_RECURRENCEID_PROPERTY);
        const char *uid = icalcomponent_get_uid(c.get());
        if (!rid || !uid)
            continue;
        const icaltimetype at = zones_.timeOf(rid);
        replaced_[QByteArray(uid)].insert(keyOf(at));
        // Cancelled with RANGE=THISANDFUTURE: the repeat ends there, as a
        // program that cancels "this and the following" writes it.
        icalparameter *range = icalproperty_get_first_parameter(rid, ICAL_RANGE_PARAMETER);
        if (range && icalparameter_get_range(range) == ICAL_RANGE_THISANDFUTURE &&
            icalcomponent_get_status(c.get()) == ICAL_STATUS_CANCELLED) {
            const qint64 from = instant(at);
            const auto it = cancelledFrom_.constFind(QByteArray(uid));
            if (it == cancelledFrom_.constEnd() || *it > from)
                cancelledFrom_.insert(QByteArray(uid), from);
        }
    }
    // Journals, free/busy and unknown components carry no tasks.
    std::vector<const IcsBlock *> blocks;
    for (const IcsBlock &b : s.blocks)
        if (b.name == "VEVENT" || b.name == "VTODO")
            blocks.push_back(&b);
    return takeAll(blocks);
}

// libical takes microseconds a component: a large file is read in chunks by
// every thread, a few chunks ahead of the planning, which takes them on this
// thread in file order as they are ready, and reads one itself while the
// next is not. So the planning of one chunk overlaps the reading of the next.
IcsImportPlan Planner::takeAll(const std::vector<const IcsBlock *> &blocks)
{
    constexpr std::size_t kChunk = 1024;
    // Read ahead at most: a file that fills the import is not read far past
    // the point where the planning stops.
    constexpr std::size_t kAhead = 4;
    const std::size_t chunks = (blocks.size() + kChunk - 1) / kChunk;
    const int threads = blocks.size() < 8 * kChunk ? 1 : std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
    std::vector<IcsReadBuffers> buffers(static_cast<std::size_t>(threads));
    std::vector<std::vector<Extract>> made(chunks);
    std::vector<char> ready(chunks, 0);
    std::size_t nextToRead = 0, taking = 0;
    bool stop = false;
    std::mutex m;
    std::condition_variable changed;
    const auto mayRead = [&] { return !stop && nextToRead < chunks && nextToRead < taking + kAhead; };
    // Reads the next chunk with `buf`; called and returns with the lock held.
    const auto readNext = [&](std::unique_lock<std::mutex> &lock, IcsReadBuffers &buf) {
        const std::size_t chunk = nextToRead++;
        lock.unlock();
        const std::size_t first = chunk * kChunk, n = std::min(kChunk, blocks.size() - first);
        std::vector<Extract> read(n);
        IcsPlainComponent plain;
        for (std::size_t i = 0; i < n && !cancelled(); ++i)
            ExtractComponent(text_, *blocks[first + i], buf, plain, read[i]);
        lock.lock();
        made[chunk] = std::move(read);
        ready[chunk] = 1;
        changed.notify_all();
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back([&, t] {
            std::unique_lock lock(m);
            for (;;) {
                changed.wait(lock, [&] { return stop || nextToRead >= chunks || mayRead(); });
                if (stop || nextToRead >= chunks)
                    return;
                readNext(lock, buffers[std::size_t(t)]);
            }
        });
    const auto plan = [&]() -> IcsImportPlan {
        const qint64 size = std::max<qint64>(1, text_.size());
        for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
            if (cancelled())
                return stopped();
            if (control_)
                control_->report(200 + 800 * blocks[chunk * kChunk]->begin / size, 1000);
            std::vector<Extract> batch;
            {
                std::unique_lock lock(m);
                taking = chunk;
                changed.notify_all();
                while (!ready[chunk]) {
                    if (mayRead())
                        readNext(lock, buffers[0]);
                    else
                        changed.wait(lock);
                }
                batch = std::move(made[chunk]);
            }
            for (Extract &x : batch) {
                if (cancelled())
                    return stopped();
                if (!accept(x.errors))
                    return failed();
                takeExtract(x);
                if (plan_.full)
                    return finish();
            }
        }
        return finish();
    };
    IcsImportPlan out = plan();
    {
        std::lock_guard lock(m);
        stop = true;
        changed.notify_all();
    }
    for (std::thread &t : workers)
        t.join();
    return out;
}

const QString &Planner::timeText(const QTime &t)
{
    // The reader refuses a time that names no time of day; midnight stands
    // in should one come through another way.
    const int minute = t.isValid() ? t.hour() * 60 + t.minute() : 0;
    QString &s = times_[std::size_t(minute)];
    if (s.isEmpty())
        s = TaskTimeText(TimeValue(minute / 60, minute % 60), fs_);
    return s;
}

int minuteOf(const LocalTime &at) { return at.allDay ? -1 : at.time.hour() * 60 + at.time.minute(); }

bool isYesText(const QString &s) { return s.compare(u"Yes"_s, Qt::CaseInsensitive) == 0; }

void Planner::addOccurrence(const Extract &x, const LocalTime &at, const LocalTime &was, bool cancelledOne)
{
    const int day = DayNumber(at.date), dayWas = DayNumber(was.date);
    const IcsPlace place{day, minuteOf(at), dayWas, minuteOf(was)};
    if (cancelledOne) {
        // Only what was within the chosen days can be here.
        if (dayWas < fromDay_ || dayWas > toDay_ || dayWas < 1)
            return;
    } else if (day < fromDay_ || day > toDay_ || day < 1) {
        ++plan_.outsideRange;
        if (!x.recurring && namedOutside_ < kMaxNamedOutsideRange) {
            ++namedOutside_;
            note(IcsImportNote::Kind::OutsideRange, QString::fromUtf8(x.summary).section(u'\n', 0, 0), at.date);
        }
        return;
    }
    if (!x.uid.isEmpty() && !cancelledOne) {
        // The same UID and occurrence twice in one file is one task.
        const SeenKey key{x.uid, day, minuteOf(at)};
        if (seen_.contains(key))
            return;
        seen_.insert(key);
    }
    StoredTask task = x.base;
    task.time = timeText(at);
    // An alarm at the time of an all-day task would sound all day long.
    task.alarm = YesNo(x.alarm && !at.allDay);
    if (cancelledOne && !x.own) {
        // Known by its content only, a cancelled event takes a task only
        // once the events still on have taken theirs: a file holding the
        // same event twice, once cancelled, keeps its task.
        const bool hadFree = storeMatch_.hasFree(x.hash, place) ||
                             (!x.earlierHash.isEmpty() && storeMatch_.hasFree(x.earlierHash, place));
        cancelledPending_.push_back({std::move(task), x.hash, x.earlierHash, place, true, x.statesDone, x.ours,
                                     plan_.dated.size(), plan_.changes.size(), hadFree});
        return;
    }
    if (const int row = storeMatch_.takeNamedOrSame(x.hash, x.own, place, isYesText(task.done), isYesText(task.alarm));
        row >= 0) {
        compare(task, day, row, cancelledOne, x.statesDone, x.ours);
        return;
    }
    if (storeMatch_.hasFree(x.hash, place) ||
        (!x.earlierHash.isEmpty() && storeMatch_.hasFree(x.earlierHash, place))) {
        pending_.push_back({std::move(task), x.hash, x.earlierHash, place, cancelledOne, x.statesDone, x.ours,
                            plan_.dated.size(), 0, false, occurrence_});
        return;
    }
    if (cancelledOne || !room())
        return;
    plan_.dated.push_back({day, std::move(task)});
    plan_.occurrences.push_back(occurrence_);
}

void Planner::compare(const StoredTask &task, int day, int row, bool cancelledOne, bool statesDone, bool ours)
{
    IcsTaskChange c;
    c.rowId = store_.rowId(row);
    c.dayWas = KeyDay(store_.cellUtf8(kStoreKey, row));
    c.was = {store_.cell(kStoreTime, row), store_.cell(kStoreCategory, row), store_.cell(kStoreNotes, row),
             store_.cell(kStoreDone, row), store_.cell(kStoreAlarm, row)};
    if (cancelledOne) {
        c.remove = true;
        plan_.changes.push_back(std::move(c));
        return;
    }
    // What the file does not say stays as it is here: a time cell that is
    // no time for an all-day event, the done state and the alarm of another
    // program's events.
    c.day = day;
    c.now = c.was;
    DateValue here = 0;
    const bool timeHere = StrToTime(c.was.time, fs_, &here);
    if (task.time == kIcsAllDayTime ? timeHere : !timeHere || timeText(TimeOfValue(here)) != task.time)
        c.now.time = task.time;
    c.now.category = task.category;
    c.now.notes = task.notes;
    if (statesDone && isYesText(task.done) != isYesText(c.was.done))
        c.now.done = task.done;
    if (ours && isYesText(task.alarm) != isYesText(c.was.alarm))
        c.now.alarm = task.alarm;
    const StoredTask &a = c.was, &b = c.now;
    if (c.day == c.dayWas && a.time == b.time && a.category == b.category && a.notes == b.notes &&
        a.done == b.done && a.alarm == b.alarm) {
        ++plan_.alreadyHere;
        return;
    }
    plan_.changes.push_back(std::move(c));
}

void Planner::compareTodo(const Extract &x, int row)
{
    IcsTaskChange c;
    c.todo = true;
    c.rowId = todo_.rowId(row);
    c.was = {QString(), todo_.cell(kTodoCategory, row), todo_.cell(kTodoNotes, row), todo_.cell(kTodoDone, row)};
    if (x.cancelled) {
        c.remove = true;
        plan_.changes.push_back(std::move(c));
        return;
    }
    c.now = c.was;
    c.now.category = x.base.category;
    c.now.notes = x.base.notes;
    if (isYesText(x.base.done) != isYesText(c.was.done))
        c.now.done = x.base.done;
    if (c.now.category == c.was.category && c.now.notes == c.was.notes && c.now.done == c.was.done) {
        ++plan_.alreadyHere;
        return;
    }
    plan_.changes.push_back(std::move(c));
}

IcsImportPlan Planner::finish()
{
    // The rows that turn out new go where the file had them.
    struct Added {
        std::size_t at;
        DatedTask task;
        QByteArray occurrence;
    };
    std::vector<Added> added;
    for (Pending &p : pending_) {
        int row = storeMatch_.takeSameContent(p.hash, p.place);
        if (row < 0 && !p.earlierHash.isEmpty())
            row = storeMatch_.takeSameContent(p.earlierHash, p.place);
        if (row >= 0)
            compare(p.task, p.place.day, row, p.cancelled, p.statesDone, p.ours);
        else if (p.cancelled)
            ++plan_.cancelled;
        else if (room())
            added.push_back({p.at, {p.place.day, std::move(p.task)}, p.occurrence});
    }
    // Listed where the file has them, among the other changes.
    std::size_t inserted = 0;
    for (Pending &p : cancelledPending_) {
        int row = storeMatch_.takeNamedOrSame(p.hash, std::nullopt, p.place, isYesText(p.task.done),
                                              isYesText(p.task.alarm));
        if (row < 0)
            row = storeMatch_.takeSameContent(p.hash, p.place);
        if (row < 0 && !p.earlierHash.isEmpty())
            row = storeMatch_.takeSameContent(p.earlierHash, p.place);
        if (row < 0) {
            if (p.hadFree)
                ++plan_.cancelled;
            continue;
        }
        const std::size_t before = plan_.changes.size();
        compare(p.task, p.place.day, row, true, p.statesDone, p.ours);
        if (plan_.changes.size() > before) {
            const std::size_t to = std::min(p.changeAt + inserted, before);
            std::rotate(plan_.changes.begin() + qsizetype(to), plan_.changes.end() - 1, plan_.changes.end());
            ++inserted;
        }
    }
    if (!added.empty()) {
        std::vector<DatedTask> dated;
        std::vector<QByteArray> occurrences;
        dated.reserve(plan_.dated.size() + added.size());
        occurrences.reserve(dated.capacity());
        auto next = added.begin();
        for (std::size_t i = 0; i <= plan_.dated.size(); ++i) {
            for (; next != added.end() && next->at == i; ++next) {
                dated.push_back(std::move(next->task));
                occurrences.push_back(std::move(next->occurrence));
            }
            if (i < plan_.dated.size()) {
                dated.push_back(std::move(plan_.dated[i]));
                occurrences.push_back(std::move(plan_.occurrences[i]));
            }
        }
        plan_.dated = std::move(dated);
        plan_.occurrences = std::move(occurrences);
    }
    return std::move(plan_);
}

void Planner::takeExtract(Extract &x)
{
    if (x.completedLog) {
        ++plan_.completedLog;
        return;
    }
    const auto summary = [&] { return QString::fromUtf8(x.summary).section(u'\n', 0, 0); };
    if (!x.hasStart) {
        if (!x.isTodo) {
            if (x.cancelled)
                ++plan_.cancelled;
            else
                note(IcsImportNote::Kind::NoDate, summary(), QDate());
            return;
        }
        if (const int row = todoMatch_.take(x.hash, x.own); row >= 0)
            compareTodo(x, row);
        else if (x.cancelled)
            ++plan_.cancelled;
        else if (room())
            plan_.todo.push_back(x.base);
        return;
    }
    const icaltimetype start = zones_.withZone(x.start, x.startZone);
    const LocalTime first = toLocal(start);
    // Where a replaced occurrence stood, which names its task here.
    const LocalTime was = x.hasRecurrenceId ? toLocal(zones_.withZone(x.recurrenceId, x.recurrenceIdZone)) : first;
    occurrence_ = x.hasRecurrenceId ? occurrenceId(x.recurrenceId, x.recurrenceIdZone) : QByteArray();
    if (x.cancelled) {
        const std::size_t changes = plan_.changes.size(), pending = pending_.size();
        if (!x.recurring) {
            addOccurrence(x, first, was, true);
        } else if (!x.errors.badRule) {
            // Every occurrence of a repeat the file cancelled whole.
            const Occurrences o = occurrences(x, start, QString(), first.date);
            for (const icaltimetype &t : o.times)
                addOccurrence(x, toLocal(t), toLocal(t), true);
        }
        if (plan_.changes.size() == changes && pending_.size() == pending)
            ++plan_.cancelled;
        return;
    }

    // What cannot come across, once per component.
    if (x.block->attendees)
        note(IcsImportNote::Kind::Attendees, summary(), first.date);
    if (x.block->attachments)
        note(IcsImportNote::Kind::Attachments, summary(), first.date);
    if (!x.otherCategories.isEmpty()) {
        // A few are named; a list of hundreds says how many.
        constexpr qsizetype kNamed = 5;
        QString others = x.otherCategories.first(std::min(kNamed, x.otherCategories.size())).join(u", "_s);
        if (x.otherCategories.size() > kNamed)
            others += u" and %1 more"_s.arg(x.otherCategories.size() - kNamed);
        note(IcsImportNote::Kind::OtherCategories, summary(), first.date, others);
    }
    if (!x.startZone.isEmpty() && !start.zone && !icaltime_is_utc(start) && !start.is_date)
        note(IcsImportNote::Kind::UnknownZone, summary(), first.date, QString::fromUtf8(x.startZone));
    // A change of the repeat from one date on is a new repeat to the other
    // program; here the later dates keep the repeat's time and text.
    if (x.fromHereOn)
        note(IcsImportNote::Kind::ChangedFromHereOn, summary(), first.date);
    qint64 length = x.duration;
    if (!x.isTodo) {
        if (x.hasEnd)
            length = instant(zones_.withZone(x.end, x.endZone)) - instant(start);
        if (length > 86400)
            note(IcsImportNote::Kind::LongDuration, summary(), first.date);
    }
    if (x.hasTrigger && !first.allDay) {
        // The program raises every alarm its one lead time ahead.
        const qint64 fromStart = x.triggerFromEnd ? length + x.triggerSeconds : x.triggerSeconds;
        if (x.triggerAtTime)
            note(IcsImportNote::Kind::Reminder, summary(), first.date, u"time"_s);
        else if (fromStart != -leadSeconds_)
            note(IcsImportNote::Kind::Reminder, summary(), first.date, x.triggerFromEnd ? u"end"_s : QString(),
                 x.triggerFromEnd ? x.triggerSeconds : fromStart);
    }
    if (!x.recurring) {
        addOccurrence(x, first, was, false);
        return;
    }
    const Occurrences o = occurrences(x, start, summary(), first.date);
    if (o.unsupported) {
        note(IcsImportNote::Kind::UnsupportedRecurrence, summary(), first.date);
        addOccurrence(x, first, first, false);
        return;
    }
    const QByteArray zone = x.startZone;
    // A date the file took out of the repeat: its task here goes.
    for (const icaltimetype &t : o.takenOut)
        addOccurrence(x, toLocal(t), toLocal(t), true);
    const int outsideBefore = plan_.outsideRange;
    const std::size_t addedBefore = plan_.dated.size();
    for (const icaltimetype &t : o.times) {
        if (plan_.full)
            break;
        occurrence_ = occurrenceId(t, zone);
        addOccurrence(x, toLocal(t), toLocal(t), false);
    }
    occurrence_.clear();
    // Occurrences of a repeating event outside the range are not news: the
    // range is what the person chose to bring over.
    plan_.outsideRange = outsideBefore;
    // A repeat without end fills the chosen days: how many, before Import.
    if (o.endless && !o.cutShort && plan_.dated.size() > addedBefore)
        note(IcsImportNote::Kind::RepeatsWithoutEnd, summary(), first.date, {},
             qint64(plan_.dated.size() - addedBefore));
}

Planner::Occurrences Planner::occurrences(const Extract &x, const icaltimetype &start, const QString &summary,
                                          const QDate &firstDate)
{
    Occurrences out;
    icalcomponent *c = x.component.get();
    std::vector<icaltimetype> times{start};
    out.unsupported = x.errors.badRule || icalcomponent_get_first_property(c, ICAL_EXRULE_PROPERTY);
    for (icalproperty *rule = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY); rule && !out.unsupported;
         rule = icalcomponent_get_next_property(c, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype r = icalproperty_get_rrule(rule);
        if (r.count == 0 && icaltime_is_null_time(r.until))
            out.endless = true;
        // A little beyond the range: the occurrences are times of the
        // event's zone, which may fall on another day here.
        const IcsRuleWalk walk = WalkIcsRule(r, start, from_.addDays(-2), to_.addDays(2),
                                             std::clamp<qint64>(kMaxFileRuleWork - ruleWork_, 0, kMaxRuleWork),
                                             control_ ? control_->flag() : nullptr);
        ruleWork_ += walk.work;
        if (walk.unsupported) {
            out.unsupported = true;
            break;
        }
        out.cutShort = out.cutShort || walk.cutShort;
        if (walk.cutShort && !x.cancelled)
            plan_.notes.push_back({IcsImportNote::Kind::RuleCutShort, summary, firstDate, walk.reached});
        times.insert(times.end(), walk.times.begin(), walk.times.end());
    }
    if (out.unsupported)
        return out;
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_RDATE_PROPERTY))
        times.push_back(zones_.timeOf(p));

    const QSet<OccurrenceKey> replaced = replaced_.value(x.uid);
    QSet<OccurrenceKey> excluded;
    QSet<qint64> excludedDays;  // EXDATE as a date against timed occurrences
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype ex = zones_.timeOf(p);
        excluded.insert(keyOf(ex));
        if (ex.is_date)
            excludedDays.insert(QDate(ex.year, ex.month, ex.day).toJulianDay());
    }
    const auto cut = cancelledFrom_.constFind(x.uid);
    const bool ends = cut != cancelledFrom_.constEnd();
    out.endless = out.endless && !ends;
    QSet<OccurrenceKey> taken;
    std::vector<std::pair<qint64, icaltimetype>> ordered;
    for (const icaltimetype &t : times) {
        const OccurrenceKey k = keyOf(t);
        if (taken.contains(k) || replaced.contains(k))
            continue;
        taken.insert(k);
        if (excluded.contains(k) || (!t.is_date && excludedDays.contains(QDate(t.year, t.month, t.day).toJulianDay())) ||
            (ends && instant(t) >= *cut))
            out.takenOut.push_back(t);
        else
            ordered.emplace_back(instant(t), t);
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    out.times.reserve(ordered.size());
    for (const auto &[at, t] : ordered)
        out.times.push_back(t);
    return out;
}
}  // namespace

IcsImportPlan InterruptedIcsImportPlan()
{
    IcsImportPlan p;
    p.ok = false;
    p.interrupted = true;
    p.error = u"The import was cancelled."_s;
    return p;
}

int IcsImportPlan::count(IcsImportNote::Kind kind) const
{
    return int(std::count_if(notes.begin(), notes.end(), [kind](const IcsImportNote &n) { return n.kind == kind; }));
}

int IcsImportPlan::removals() const
{
    return int(std::count_if(changes.begin(), changes.end(), [](const IcsTaskChange &c) { return c.remove; }));
}

std::pair<QDate, QDate> DefaultIcsImportRange(const QDate &today) { return {today.addYears(-1), today.addYears(2)}; }

IcsImportPlan PlanIcsImport(const QByteArray &file, const Grid &store, const Grid &todo, QDate from, QDate to,
                            const FormatSettings &formats, IcsPlanControl *control, int alarmLeadMinutes)
{
    const QByteArray text = IcsTextAsUtf8(file);
    const qint64 size = std::max<qint64>(1, text.size());
    const IcsStructure s = ScanIcsStructure(text, [control, size](qsizetype done) {
        if (!control)
            return true;
        control->report(200 * done / size, 1000);
        return !control->cancelled();
    });
    if (s.stopped)
        return InterruptedIcsImportPlan();
    if (!s.error.isEmpty()) {
        IcsImportPlan failed;
        failed.ok = false;
        failed.errorLine = s.errorLine;
        failed.error = s.error;
        return failed;
    }
    Planner planner(text, store, todo, from, to, formats, control, alarmLeadMinutes);
    IcsImportPlan plan = planner.run(s);
    if (control && !plan.interrupted)
        control->report(1000, 1000);
    return plan;
}

void IcsPlanControl::report(qint64 done, qint64 total)
{
    const int share = total > 0 ? int(std::clamp<qint64>(done * 1000 / total, 0, 1000)) : 1000;
    if (share <= reported_)
        return;
    reported_ = share;
    if (onProgress)
        onProgress(share);
}

FileResult ApplyIcsImport(const IcsImportPlan &plan, TaskStore &store, Grid &todo, bool withChanges)
{
    if (!plan.ok)
        return FileResult::failure(plan.error);
    bool storeChanged = false;
    if (withChanges && !plan.changes.empty()) {
        std::vector<TaskStore::TaskChange> changed;
        std::vector<std::uint64_t> removed;
        std::unordered_map<std::uint64_t, const IcsTaskChange *> todoChanges;
        for (const IcsTaskChange &c : plan.changes) {
            if (c.todo)
                todoChanges.emplace(c.rowId, &c);
            else if (c.remove)
                removed.push_back(c.rowId);
            else
                changed.push_back({c.rowId, {c.day, c.now}});
        }
        storeChanged = store.changeTasks(changed) + store.removeTasks(removed) > 0;
        // A to-do removed leaves its row free, as deleting one here does.
        for (int r = 1; r < todo.rowCount() && !todoChanges.empty(); ++r) {
            if (!todo.rowHasStorage(r))
                continue;
            const auto it = todoChanges.find(todo.rowId(r));
            if (it == todoChanges.end())
                continue;
            const IcsTaskChange &c = *it->second;
            todo.setCell(kTodoCategory, r, c.remove ? QString() : c.now.category);
            todo.setCell(kTodoNotes, r, c.remove ? QString() : c.now.notes);
            todo.setCell(kTodoDone, r, c.remove ? QString() : c.now.done);
            todoChanges.erase(it);
        }
    }
    if (!plan.todo.empty()) {
        if (todo.colCount() < kTodoCols)
            todo.setColCount(kTodoCols);
        int row = 1;
        for (const StoredTask &t : plan.todo) {
            while (row < todo.rowCount() && TodoRowHoldsTask(todo, row))
                ++row;
            if (row >= todo.rowCount())
                todo.setRowCount(row + 1);
            todo.setCell(kTodoCategory, row, t.category);
            todo.setCell(kTodoNotes, row, t.notes);
            todo.setCell(kTodoDone, row, t.done);
            ++row;
        }
    }
    if (plan.dated.empty() && !storeChanged)
        return FileResult::success();
    store.insertTasks(plan.dated);
    return store.SortGridStore();
}

QString IcsImportDoneText(const IcsImportPlan &plan, bool withChanges)
{
    const int added = plan.taskCount();
    const int removed = withChanges ? plan.removals() : 0;
    const int changed = withChanges ? int(plan.changes.size()) - removed : 0;
    QStringList parts;
    const auto with = [&](const QString &verb, int n) {
        // The first count names what it counts: "Added 4 tasks, changed 1."
        parts << (parts.isEmpty() ? u"%1 %2 %3"_s.arg(verb).arg(n).arg(n == 1 ? u"task"_s : u"tasks"_s)
                                  : u"%1 %2"_s.arg(verb.toLower()).arg(n));
    };
    if (added)
        with(u"Added"_s, added);
    if (changed)
        with(u"Changed"_s, changed);
    if (removed)
        with(u"Removed"_s, removed);
    return parts.isEmpty() ? u"Nothing was changed."_s : parts.join(u", "_s) + u'.';
}

QStringList IcsImportChangeLines(const IcsImportPlan &plan, const FormatSettings &formats)
{
    const auto date = [&](int day) { return FormatDateTime(u"ddddd", ToDateValue(DateOfDay(day)), formats); };
    QStringList lines;
    for (const IcsTaskChange &c : plan.changes) {
        QString name = FirstLine(c.was.notes);
        if (name.isEmpty())
            name = u"(No title)"_s;
        name += c.todo ? u" (to-do list)"_s : u" ("_s + date(c.dayWas) + u')';
        QStringList what;
        if (c.remove) {
            what << u"cancelled in the file; it will be removed"_s;
        } else {
            if (!c.todo && c.day != c.dayWas)
                what << u"moved to "_s + date(c.day) + (c.now.time != c.was.time ? u" at "_s + c.now.time : QString());
            else if (c.now.time != c.was.time)
                what << u"now at "_s + c.now.time;
            if (c.now.notes != c.was.notes)
                what << u"its text now reads \"%1\""_s.arg(FirstLine(c.now.notes) +
                                                          (c.now.notes.contains(u'\n') ? u"..."_s : QString()));
            if (c.now.category != c.was.category)
                what << (c.now.category.isEmpty() ? u"no category now"_s
                                                  : u"its category now \"%1\""_s.arg(c.now.category));
            if (c.now.done != c.was.done)
                what << (c.now.done == u"Yes" ? u"now done"_s : u"no longer done"_s);
            if (c.now.alarm != c.was.alarm)
                what << (c.now.alarm == u"Yes" ? u"its alarm on"_s : u"its alarm off"_s);
        }
        lines << name + u": "_s + what.join(u"; "_s);
    }
    return lines;
}

namespace {

// "15 minutes", "1 hour", "2 days": a lead time in its largest whole unit.
QString leadText(qint64 seconds)
{
    seconds = std::abs(seconds);
    const auto unit = [](qint64 n, const char *one) {
        return n == 1 ? u"1 "_s + QLatin1String(one) : u"%1 %2s"_s.arg(n).arg(QLatin1String(one));
    };
    if (seconds % 86400 == 0)
        return unit(seconds / 86400, "day");
    if (seconds % 3600 == 0)
        return unit(seconds / 3600, "hour");
    return unit((seconds + 30) / 60, "minute");
}

// "15 minutes before", "at the start", "5 minutes after the end".
QString reminderText(qint64 seconds, const QString &from)
{
    if (seconds == 0)
        return u"at the "_s + from;
    return leadText(seconds) + (seconds < 0 ? u" before"_s : u" after"_s) +
           (from == u"start" ? QString() : u" the "_s + from);
}

}  // namespace

QStringList IcsImportNoteLines(const IcsImportPlan &plan, const FormatSettings &formats)
{
    QStringList lines;
    for (const IcsImportNote &n : plan.notes) {
        QString what;
        switch (n.kind) {
        case IcsImportNote::Kind::Attendees: what = u"its attendees are not kept"_s; break;
        case IcsImportNote::Kind::Attachments: what = u"its attachments are not kept"_s; break;
        case IcsImportNote::Kind::LongDuration: what = u"lasts more than a day; added on its first day only"_s; break;
        case IcsImportNote::Kind::UnsupportedRecurrence:
            what = u"repeats by a rule that cannot be followed; added on its first date only"_s;
            break;
        case IcsImportNote::Kind::RuleCutShort:
            what = u"repeats more often than can be followed; its dates after %1 are left out"_s.arg(
                FormatDateTime(u"ddddd", ToDateValue(n.until), formats));
            break;
        case IcsImportNote::Kind::NoDate: what = u"has no date; not added"_s; break;
        case IcsImportNote::Kind::OutsideRange: what = u"outside the chosen dates; not added"_s; break;
        case IcsImportNote::Kind::RepeatsWithoutEnd:
            what = u"repeats without end: %1 within the chosen dates"_s.arg(
                n.count == 1 ? u"1 task"_s : u"%1 tasks"_s.arg(n.count));
            break;
        case IcsImportNote::Kind::OtherCategories:
            what = u"only its first category is kept; not %1"_s.arg(n.detail);
            break;
        case IcsImportNote::Kind::Reminder: {
            const QString lead = reminderText(-qint64(plan.alarmLeadMinutes) * 60, u"start"_s);
            const QString from = n.detail == u"end" ? u"end"_s : u"start"_s;
            what = (n.detail == u"time" ? u"reminder at a set time"_s : u"reminder "_s + reminderText(n.count, from)) +
                   u" becomes a reminder "_s + lead +
                   (plan.alarmLeadMinutes ? u", as every task's"_s : QString());
            break;
        }
        case IcsImportNote::Kind::UnknownZone:
            what = u"its time zone \"%1\" is not known; its time is taken as local time"_s.arg(n.detail);
            break;
        case IcsImportNote::Kind::ChangedFromHereOn:
            what = u"changed from this date on in the file; only this date is changed, the later ones stay as the "
                   "repeat has them"_s;
            break;
        }
        QString name = n.summary.isEmpty() ? u"(No title)"_s : n.summary;
        if (n.date.isValid())
            name += u" ("_s + FormatDateTime(u"ddddd", ToDateValue(n.date), formats) + u')';
        lines << name + u": "_s + what;
    }
    return lines;
}

QString IcsImportSummary(const IcsImportPlan &plan, const FormatSettings &formats)
{
    if (!plan.ok)
        return plan.error;
    const auto tasks = [](qsizetype n) { return n == 1 ? u"1 task"_s : u"%1 tasks"_s.arg(n); };
    QStringList out;
    out << (plan.taskCount() == 0 ? u"No task will be added."_s
                                  : tasks(plan.taskCount()) + u" will be added (%1 dated, %2 to the to-do list)."_s
                                                                  .arg(plan.dated.size())
                                                                  .arg(plan.todo.size()));
    if (!plan.changes.empty()) {
        const int removed = plan.removals(), changed = int(plan.changes.size()) - removed;
        QStringList what;
        if (changed)
            what << u"%1 to change"_s.arg(changed);
        if (removed)
            what << u"%1 to remove"_s.arg(removed);
        out << tasks(qsizetype(plan.changes.size())) + u" changed in the file ("_s + what.join(u", "_s) + u")."_s;
    }
    if (plan.alreadyHere)
        out << tasks(plan.alreadyHere) + u" already here will not be added again."_s;
    if (plan.outsideRange)
        out << tasks(plan.outsideRange) + u" outside the chosen dates will be left out."_s;
    if (plan.cancelled)
        out << u"%1 cancelled will be left out."_s.arg(plan.cancelled == 1 ? u"1 event"_s
                                                                          : u"%1 events"_s.arg(plan.cancelled));
    if (plan.completedLog)
        out << u"%1 of a completed-tasks log will not be imported."_s.arg(
                   plan.completedLog == 1 ? u"1 entry"_s : u"%1 entries"_s.arg(plan.completedLog));
    if (plan.full)
        out << u"One import adds at most %1 tasks: the rest of the file is left out."_s.arg(
                   QLocale(QLocale::English).toString(kMaxIcsImportTasks));
    const QStringList notes = IcsImportNoteLines(plan, formats);
    if (!notes.isEmpty()) {
        out << QString() << u"What cannot come across as it is:"_s;
        out << notes;
    }
    return out.join(u'\n');
}

std::vector<IcsCompletedEntry> ReadIcsCompletedEntries(const QByteArray &ics, const FormatSettings &formats)
{
    std::vector<IcsCompletedEntry> out;
    IcalPtr calendar(icalparser_parse_string(ics.constData()));
    if (!calendar)
        return out;
    auto each = [&](icalcomponent *c) {
        const Props props(c);
        if (!props.xList || qstricmp(QByteArray(props.xList).trimmed().constData(), kIcsCompletedLog) != 0)
            return;
        IcsCompletedEntry e;
        e.cells.resize(kCompCols);
        QString notes;
        QByteArray unused;
        notesOf(props.summary ? icalproperty_get_summary(props.summary) : nullptr,
                props.description ? icalproperty_get_description(props.description) : nullptr,
                props.location ? icalproperty_get_location(props.location) : nullptr, &notes, &unused);
        e.cells[kCompNotes] = notes;
        const QList<QByteArray> categories = props.categoryValues();
        e.cells[kCompCategory] = QString::fromUtf8(props.xCategory && *props.xCategory ? QByteArray(props.xCategory)
                                                   : categories.isEmpty()               ? QByteArray()
                                                                                        : categories.first());
        QDate completedOn;
        if (props.completed) {
            const icaltimetype t = icalproperty_get_completed(props.completed);
            completedOn = QDate(t.year, t.month, t.day);
            if (!t.is_date && icaltime_is_utc(t))
                completedOn = QDateTime(completedOn, QTime(t.hour, t.minute, t.second), Qt::UTC).toLocalTime().date();
        }
        std::optional<QString> logText;
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
            if (icalproperty_isa(p) == ICAL_COMMENT_PROPERTY && e.cells[kCompNotesDone].isEmpty()) {
                const QStringList l = textLines(icalproperty_get_comment(p));
                e.cells[kCompNotesDone] = l.size() == 1 ? l.first() : l.isEmpty() ? QString() : MemoToText(l);
            } else if (icalproperty_isa(p) == ICAL_X_PROPERTY) {
                const char *name = icalproperty_get_x_name(p);
                const char *value = icalproperty_get_x(p);
                if (name && qstricmp(name, kIcsOriginalDateProperty) == 0)
                    e.cells[kCompOrigDate] = QString::fromUtf8(value);
                else if (name && qstricmp(name, kIcsTimeProperty) == 0)
                    e.cells[kCompTime] = QString::fromUtf8(value);
                else if (name && qstricmp(name, kIcsCompletedDateProperty) == 0)
                    logText = QString::fromUtf8(value);
            }
        }
        // The log's own text of the day, unless it names another day here
        // than the one the entry says it was completed on (changed
        // elsewhere): then that day, written as the log writes it.
        DateValue read = 0;
        if (logText && (!completedOn.isValid() || !StrToDate(*logText, formats, &read) ||
                        DateOfDay(DayOfValue(read)) == completedOn))
            e.cells[kCompDate] = *logText;
        else if (completedOn.isValid())
            e.cells[kCompDate] = FormatDateTime(u"ddddd", ToDateValue(completedOn), formats);
        // Marked as not done again elsewhere: no longer completed, whatever its mark says.
        const bool completed = props.status ? icalproperty_get_status(props.status) == ICAL_STATUS_COMPLETED
                                            : props.completed != nullptr;
        e.reopened = !completed;
        out.push_back(std::move(e));
    };
    if (icalcomponent_isa(calendar.get()) == ICAL_VTODO_COMPONENT) {
        each(calendar.get());
        return out;
    }
    for (icalcomponent *c = icalcomponent_get_first_component(calendar.get(), ICAL_VTODO_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar.get(), ICAL_VTODO_COMPONENT))
        each(c);
    return out;
}

}  // namespace morvane
