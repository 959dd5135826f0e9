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
#include <cstring>
#include <string>
#include <thread>

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
// which keeps differences and comparisons between floating times right.
qint64 instant(const icaltimetype &t)
{
    if (t.is_date)
        return qint64(QDate(t.year, t.month, t.day).toJulianDay()) * 86400;
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
// What the tables hold already.

struct Known {
    QByteArray hash;
    int ordinal;
    bool used = false;
};

// The tasks of the store's days, looked up as the plan reaches each day.
class StoreMatcher {
public:
    explicit StoreMatcher(const Grid &store) : store_(store) {}

    // Whether the task is here: the one the file's own UID names, else one
    // of the same content; the task found is not matched twice.
    bool take(int day, const QByteArray &hash, const std::optional<OwnIcsUid> &own, const QDate &date)
    {
        std::vector<Known> &known = dayTasks(day);
        if (own && own->kind == OwnIcsUid::Kind::Dated && own->date == date)
            for (Known &k : known)
                if (!k.used && k.hash == own->hash && k.ordinal == own->ordinal)
                    return k.used = true;
        for (Known &k : known)
            if (!k.used && k.hash == hash)
                return k.used = true;
        return false;
    }

private:
    std::vector<Known> &dayTasks(int day)
    {
        auto it = days_.find(day);
        if (it != days_.end())
            return it.value();
        std::vector<Known> &known = days_[day];
        OrdinalCounter ordinals;
        for (int r = FirstRowOnOrAfter(store_, day); r < store_.rowCount(); ++r) {
            const QByteArrayView key = store_.cellUtf8(kStoreKey, r);
            if (KeyDay(key) != day)
                break;
            QByteArray hash = IcsContentHash({store_.cellUtf8(kStoreCategory, r), store_.cellUtf8(kStoreNotes, r)});
            const int ordinal = ordinals.next(hash);
            known.push_back({std::move(hash), ordinal});
        }
        return known;
    }

    const Grid &store_;
    QHash<int, std::vector<Known>> days_;
};

class TodoMatcher {
public:
    explicit TodoMatcher(const Grid &todo)
    {
        QHash<QByteArray, int> ordinals;
        for (int r = 1; r < todo.rowCount(); ++r) {
            if (!TodoRowHoldsTask(todo, r))
                continue;
            QByteArray hash = IcsContentHash({todo.cellUtf8(kTodoCategory, r), todo.cellUtf8(kTodoNotes, r)});
            const int ordinal = ++ordinals[hash];
            known_.push_back({std::move(hash), ordinal});
        }
    }

    bool take(const QByteArray &hash, const std::optional<OwnIcsUid> &own)
    {
        if (own && own->kind == OwnIcsUid::Kind::Todo)
            for (Known &k : known_)
                if (!k.used && k.hash == own->hash && k.ordinal == own->ordinal)
                    return k.used = true;
        for (Known &k : known_)
            if (!k.used && k.hash == hash)
                return k.used = true;
        return false;
    }

private:
    std::vector<Known> known_;
};

// ---------------------------------------------------------------------------
// The plan.


// Notes from the summary and the description: the description alone when
// it begins with the summary (as this program writes them), else the
// summary as the first line above it. Also their UTF-8 bytes.
void notesOf(const char *summary, const char *description, QString *notes, QByteArray *utf8)
{
    // Most notes are one line, given once or twice.
    const char *one = !description || !*description ? summary
                      : !summary || !*summary || std::strcmp(summary, description) == 0 ? description
                                                                                       : nullptr;
    if (one && !std::strpbrk(one, "\r\n") && !QByteArrayView(one).trimmed().isEmpty()) {
        *utf8 = QByteArray(one);
        *notes = QString::fromUtf8(*utf8);
        return;
    }
    auto lines = [](const char *text) {
        QString s = QString::fromUtf8(text ? text : "");
        s.replace(u"\r\n"_s, u"\n"_s);
        s.replace(u'\r', u'\n');
        QStringList l = s.split(u'\n');
        while (!l.isEmpty() && l.last().trimmed().isEmpty())
            l.removeLast();
        return l;
    };
    const QStringList sum = lines(summary);
    QStringList desc = lines(description);
    QStringList all;
    if (desc.isEmpty())
        all = sum;
    else if (sum.isEmpty() || desc.first() == sum.join(u' '))
        all = desc;
    else
        all = sum + desc;
    if (all.isEmpty())
        all << u"(No title)"_s;
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

    // The category: this program's exact text when the file has it, else
    // the CATEGORIES as libical reads them, joined by commas.
    QByteArray categoryText() const
    {
        if (xCategory && *xCategory)
            return QByteArray(xCategory);
        QByteArray out;
        for (icalproperty *p : categories) {
            if (!out.isEmpty())
                out += ',';
            out += icalproperty_get_categories(p);
        }
        return out;
    }

    icalproperty *uid = nullptr, *summary = nullptr, *description = nullptr, *status = nullptr, *dtstart = nullptr,
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
    icalproperty_status status = ICAL_STATUS_NONE;
    QByteArray summary;  // as written, for the list of what cannot come across
    StoredTask base;     // notes, category and done
    QByteArray hash, uid;
    std::optional<OwnIcsUid> own;
    bool hasStart = false, hasEnd = false;
    icaltimetype start{}, end{};
    QByteArray startZone, endZone;  // TZIDs, resolved by the planner
    qint64 duration = 0;
    // Recurring events keep their component: their rules and dates are
    // followed with the file's zones, which only the planner's thread uses.
    IcalPtr component;
};

void ExtractComponent(const QByteArray &text, const IcsBlock &b, IcsReadBuffers &buffers, Extract &x)
{
    x.block = &b;
    IcalPtr c;
    ReadIcsComponent(text, b, buffers, c, x.errors);
    if (!x.errors.fatal.isEmpty())
        return;
    x.isTodo = icalcomponent_isa(c.get()) == ICAL_VTODO_COMPONENT;
    const Props props(c.get());
    if (props.xList && qstricmp(QByteArray(props.xList).trimmed().constData(), kIcsCompletedLog) == 0) {
        x.completedLog = true;
        return;
    }
    x.status = props.status ? icalproperty_get_status(props.status) : ICAL_STATUS_NONE;
    if (x.status == ICAL_STATUS_CANCELLED)
        return;
    const char *summaryText = props.summary ? icalproperty_get_summary(props.summary) : nullptr;
    x.summary = summaryText;
    QByteArray notes;
    notesOf(summaryText, props.description ? icalproperty_get_description(props.description) : nullptr,
            &x.base.notes, &notes);
    const QByteArray category = props.categoryText();
    x.base.category = QString::fromUtf8(category);
    bool done = false;
    if (props.xDone)
        done = qstricmp(QByteArray(props.xDone).trimmed().constData(), "Yes") == 0;
    else if (x.isTodo)
        done = x.status == ICAL_STATUS_COMPLETED || props.completed;
    x.base.done = YesNo(done);
    x.uid = props.uid ? QByteArray(icalproperty_get_uid(props.uid)) : QByteArray();
    x.own = ParseOwnIcsUid(x.uid);
    x.hash = IcsContentHash({category, notes});

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
    x.alarm = icalcomponent_get_first_component(c.get(), ICAL_VALARM_COMPONENT) != nullptr;
    x.replacesOne = props.recurrenceId;
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

class Planner {
public:
    Planner(const QByteArray &text, const Grid &store, const Grid &todo, QDate from, QDate to,
            const FormatSettings &fs, IcsPlanControl *control)
        : text_(text), storeMatch_(store), todoMatch_(todo), fromDay_(DayNumber(from)), toDay_(DayNumber(to)),
          from_(from), to_(to), fs_(fs), control_(control)
    {
        // libical makes its UTC zone when first asked; ask before any thread
        // reads a UTC time.
        icaltimezone_get_utc_timezone();
    }

    IcsImportPlan run(const IcsStructure &s);

private:
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
    void addOccurrence(const LocalTime &at, const StoredTask &base, const QByteArray &hash,
                       const std::optional<OwnIcsUid> &own, const QByteArray &uid, bool alarm);
    const QString &timeText(const QTime &t);
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
    void note(IcsImportNote::Kind kind, const QString &summary, const QDate &date)
    {
        plan_.notes.push_back({kind, summary, date});
    }

    const QByteArray &text_;
    StoreMatcher storeMatch_;
    TodoMatcher todoMatch_;
    const int fromDay_, toDay_;
    const QDate from_, to_;
    const FormatSettings &fs_;
    IcsPlanControl *control_;
    qint64 ruleWork_ = 0;  // spent by the file's rules so far
    Zones zones_;
    IcsReadBuffers buffers_;
    IcsImportPlan plan_;
    QHash<QByteArray, QSet<OccurrenceKey>> replaced_;  // UID -> occurrences other components replace
    QSet<SeenKey> seen_;                               // UID and occurrence already taken from the file
    std::array<QString, 24 * 60> times_;
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
        if (rid && uid)
            replaced_[QByteArray(uid)].insert(keyOf(zones_.timeOf(rid)));
    }
    // Journals, free/busy and unknown components carry no tasks.
    std::vector<const IcsBlock *> blocks;
    for (const IcsBlock &b : s.blocks)
        if (b.name == "VEVENT" || b.name == "VTODO")
            blocks.push_back(&b);
    // libical takes microseconds a component: a large file is read a batch at
    // a time, each batch shared between threads, and planned in file order.
    constexpr std::size_t kBatch = 4096;
    const int threads = blocks.size() < 2 * kBatch ? 1 : std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
    std::vector<IcsReadBuffers> buffers(static_cast<std::size_t>(threads));
    std::vector<Extract> batch;
    const qint64 size = std::max<qint64>(1, text_.size());
    for (std::size_t first = 0; first < blocks.size(); first += kBatch) {
        if (cancelled())
            return stopped();
        if (control_)
            control_->report(200 + 800 * blocks[first]->begin / size, 1000);
        const std::size_t n = std::min(kBatch, blocks.size() - first);
        batch.clear();
        batch.resize(n);
        auto readPart = [&](int part) {
            const std::size_t from = n * std::size_t(part) / std::size_t(threads);
            const std::size_t to = n * std::size_t(part + 1) / std::size_t(threads);
            for (std::size_t i = from; i < to && !cancelled(); ++i)
                ExtractComponent(text_, *blocks[first + i], buffers[std::size_t(part)], batch[i]);
        };
        std::vector<std::thread> workers;
        for (int part = 1; part < threads; ++part)
            workers.emplace_back(readPart, part);
        readPart(0);
        for (std::thread &t : workers)
            t.join();
        for (Extract &x : batch) {
            if (cancelled())
                return stopped();
            if (!accept(x.errors))
                return failed();
            takeExtract(x);
            if (plan_.full)
                return std::move(plan_);
        }
    }
    return std::move(plan_);
}

const QString &Planner::timeText(const QTime &t)
{
    QString &s = times_[std::size_t(t.hour() * 60 + t.minute())];
    if (s.isEmpty())
        s = TaskTimeText(TimeValue(t.hour(), t.minute()), fs_);
    return s;
}

void Planner::addOccurrence(const LocalTime &at, const StoredTask &base, const QByteArray &hash,
                            const std::optional<OwnIcsUid> &own, const QByteArray &uid, bool alarm)
{
    const int day = DayNumber(at.date);
    if (day < fromDay_ || day > toDay_ || day < 1) {
        ++plan_.outsideRange;
        return;
    }
    if (!uid.isEmpty()) {
        // The same UID and occurrence twice in one file is one task.
        const SeenKey key{uid, day, at.allDay ? -1 : at.time.hour() * 60 + at.time.minute()};
        if (seen_.contains(key))
            return;
        seen_.insert(key);
    }
    if (storeMatch_.take(day, hash, own, at.date)) {
        ++plan_.alreadyHere;
        return;
    }
    if (!room())
        return;
    DatedTask t{day, base};
    t.task.time = at.allDay ? QString::fromUtf16(kIcsAllDayTime) : timeText(at.time);
    // An alarm at the time of an all-day task would sound all day long.
    t.task.alarm = YesNo(alarm && !at.allDay);
    plan_.dated.push_back(std::move(t));
}

void Planner::takeExtract(Extract &x)
{
    if (x.completedLog) {
        ++plan_.completedLog;
        return;
    }
    if (x.status == ICAL_STATUS_CANCELLED) {
        ++plan_.cancelled;
        return;
    }
    const auto summary = [&] { return QString::fromUtf8(x.summary).section(u'\n', 0, 0); };
    const StoredTask &base = x.base;
    const QByteArray &hash = x.hash, &uid = x.uid;
    const std::optional<OwnIcsUid> &own = x.own;
    const bool alarm = x.alarm;
    if (!x.hasStart) {
        if (!x.isTodo) {
            note(IcsImportNote::Kind::NoDate, summary(), QDate());
            return;
        }
        if (todoMatch_.take(hash, own))
            ++plan_.alreadyHere;
        else if (room())
            plan_.todo.push_back(base);
        return;
    }
    const icaltimetype start = zones_.withZone(x.start, x.startZone);
    const LocalTime first = toLocal(start);

    // What cannot come across, once per component.
    if (x.block->attendees)
        note(IcsImportNote::Kind::Attendees, summary(), first.date);
    if (x.block->attachments)
        note(IcsImportNote::Kind::Attachments, summary(), first.date);
    if (!x.isTodo) {
        const qint64 length = x.hasEnd ? instant(zones_.withZone(x.end, x.endZone)) - instant(start) : x.duration;
        if (length > 86400)
            note(IcsImportNote::Kind::LongDuration, summary(), first.date);
    }
    if (!x.recurring) {
        addOccurrence(first, base, hash, own, uid, alarm);
        return;
    }
    icalcomponent *c = x.component.get();
    const IcsReadErrors &errors = x.errors;

    icalproperty *rule = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY);

    // Every occurrence of the event, by its own zone's clock: DTSTART, the
    // rules' dates and RDATE, less EXDATE and the occurrences other
    // components of the file replace.
    std::vector<icaltimetype> times{start};
    bool unsupported = errors.badRule || icalcomponent_get_first_property(c, ICAL_EXRULE_PROPERTY);
    for (; rule && !unsupported; rule = icalcomponent_get_next_property(c, ICAL_RRULE_PROPERTY)) {
        // A little beyond the range: the occurrences are times of the
        // event's zone, which may fall on another day here.
        const IcsRuleWalk walk = WalkIcsRule(icalproperty_get_rrule(rule), start, from_.addDays(-2), to_.addDays(2),
                                             std::clamp<qint64>(kMaxFileRuleWork - ruleWork_, 0, kMaxRuleWork),
                                             control_ ? control_->flag() : nullptr);
        ruleWork_ += walk.work;
        if (walk.unsupported) {
            unsupported = true;
            break;
        }
        if (walk.cutShort)
            plan_.notes.push_back({IcsImportNote::Kind::RuleCutShort, summary(), first.date, walk.reached});
        times.insert(times.end(), walk.times.begin(), walk.times.end());
    }
    if (unsupported) {
        note(IcsImportNote::Kind::UnsupportedRecurrence, summary(), first.date);
        addOccurrence(first, base, hash, own, uid, alarm);
        return;
    }
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_RDATE_PROPERTY))
        times.push_back(zones_.timeOf(p));

    QSet<OccurrenceKey> excluded = replaced_.value(uid);
    QSet<qint64> excludedDays;  // EXDATE as a date against timed occurrences
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype ex = zones_.timeOf(p);
        excluded.insert(keyOf(ex));
        if (ex.is_date)
            excludedDays.insert(QDate(ex.year, ex.month, ex.day).toJulianDay());
    }
    QSet<OccurrenceKey> taken;
    std::vector<std::pair<qint64, icaltimetype>> ordered;
    for (const icaltimetype &t : times) {
        const OccurrenceKey k = keyOf(t);
        if (taken.contains(k) || excluded.contains(k) ||
            (!t.is_date && excludedDays.contains(QDate(t.year, t.month, t.day).toJulianDay())))
            continue;
        taken.insert(k);
        ordered.emplace_back(instant(t), t);
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    const int outsideBefore = plan_.outsideRange;
    for (const auto &[at, t] : ordered) {
        if (plan_.full)
            break;
        addOccurrence(toLocal(t), base, hash, own, uid, alarm);
    }
    // Occurrences of a repeating event outside the range are not news: the
    // range is what the person chose to bring over.
    plan_.outsideRange = outsideBefore;
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

std::pair<QDate, QDate> DefaultIcsImportRange(const QDate &today) { return {today.addYears(-1), today.addYears(2)}; }

IcsImportPlan PlanIcsImport(const QByteArray &file, const Grid &store, const Grid &todo, QDate from, QDate to,
                            const FormatSettings &formats, IcsPlanControl *control)
{
    // Files are UTF-8; one that is not is taken as Windows-1252, like the
    // program's other files. A byte-order mark is no part of the text.
    QByteArray text = IsValidUtf8(file.constData(), std::size_t(file.size())) ? file : DecodeFileText(file).toUtf8();
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
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
    Planner planner(text, store, todo, from, to, formats, control);
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

FileResult ApplyIcsImport(const IcsImportPlan &plan, TaskStore &store, Grid &todo)
{
    if (!plan.ok)
        return FileResult::failure(plan.error);
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
    if (plan.dated.empty())
        return FileResult::success();
    store.insertTasks(plan.dated);
    return store.SortGridStore();
}

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

}  // namespace morvane
