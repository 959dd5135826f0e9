#include "IcsExport.h"

#include "AtomicFile.h"
#include "Grid.h"
#include "IcsIdentity.h"
#include "IcsLibical.h"

#include <QHash>

#include <cstring>

namespace morvane {

namespace {

// The notes as iCalendar text: their lines joined by line feeds, without
// the CR LF the tables end every line of a longer note with.
QByteArray notesText(const QString &notes) { return TextToMemo(notes).join(u'\n').toUtf8(); }

icaltimetype floatingTime(const QDate &d, const QTime &t)
{
    icaltimetype it = icaltime_null_time();
    it.year = d.year();
    it.month = d.month();
    it.day = d.day();
    it.hour = t.hour();
    it.minute = t.minute();
    it.second = t.second();
    it.is_date = 0;
    return it;
}

icaltimetype utcTime(const QDateTime &when)
{
    const QDateTime u = when.isValid() ? when.toUTC() : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    icaltimetype it = floatingTime(u.date(), u.time());
    it.zone = icaltimezone_get_utc_timezone();
    return it;
}

void addX(icalcomponent *c, const char *name, const QByteArray &value)
{
    icalproperty *p = icalproperty_new_x(value.constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(c, p);
}

// The properties every exported component shares.
void addCommon(icalcomponent *c, const QByteArray &uid, const icaltimetype &stamp, const QString &notes,
               QByteArrayView category)
{
    icalcomponent_add_property(c, icalproperty_new_uid(uid.constData()));
    icalcomponent_add_property(c, icalproperty_new_dtstamp(stamp));
    const QByteArray text = notesText(notes);
    icalcomponent_add_property(c, icalproperty_new_summary(FirstLine(notes).toUtf8().constData()));
    icalcomponent_add_property(c, icalproperty_new_description(text.constData()));
    if (!category.isEmpty()) {
        const QByteArray text = category.toByteArray();
        icalcomponent_add_property(c, icalproperty_new_categories(text.constData()));
        if (text.contains(','))
            addX(c, kIcsCategoryProperty, text);
    }
}

class Writer {
public:
    explicit Writer(const IcsExportOptions &o) : o_(o), stamp_(utcTime(o.stamp))
    {
        // The calendar's own lines, written by libical: what comes before its
        // END line goes first, the components follow, then that END line.
        IcalPtr cal(icalcomponent_new_vcalendar());
        icalcomponent_add_property(cal.get(), icalproperty_new_prodid(kIcsProductId));
        icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
        icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
        icalcomponent_add_property(cal.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));
        const QByteArray frame = IcalText(cal.get());
        const qsizetype end = frame.lastIndexOf("END:VCALENDAR");
        out_ = frame.left(end);
        tail_ = frame.mid(end);
    }

    void add(icalcomponent *c)
    {
        IcalPtr owned(c);
        char *text = icalcomponent_as_ical_string_r(c);
        out_.append(text);
        std::free(text);
    }

    QByteArray finish()
    {
        out_ += tail_;
        return std::move(out_);
    }

    void reserve(qsizetype bytes) { out_.reserve(bytes); }

    const IcsExportOptions &o_;
    const icaltimetype stamp_;

private:
    QByteArray out_, tail_;
};

void addDatedTask(Writer &w, const Grid &store, int row, int day, const QByteArray &uid)
{
    const IcsExportOptions &o = w.o_;
    const QDate date = DateOfDay(day);
    const QString notes = QString::fromUtf8(store.cellUtf8(kStoreNotes, row));
    icalcomponent *ev = icalcomponent_new_vevent();
    addCommon(ev, uid, w.stamp_, notes, store.cellUtf8(kStoreCategory, row));

    DateValue time = 0;
    const bool timed = StrToTime(QString::fromUtf8(store.cellUtf8(kStoreTime, row)), o.formats, &time);
    if (timed) {
        const icaltimetype start = floatingTime(date, TimeOfValue(time));
        icaltimetype end = start;
        end.minute += 30;
        end = icaltime_normalize(end);
        icalcomponent_add_property(ev, icalproperty_new_dtstart(start));
        icalcomponent_add_property(ev, icalproperty_new_dtend(end));
    } else {
        icaltimetype start = floatingTime(date, QTime(0, 0));
        start.is_date = 1;
        icaltimetype end = floatingTime(date.addDays(1), QTime(0, 0));
        end.is_date = 1;
        icalcomponent_add_property(ev, icalproperty_new_dtstart(start));
        icalcomponent_add_property(ev, icalproperty_new_dtend(end));
    }
    icalcomponent_add_property(ev, icalproperty_new_status(ICAL_STATUS_CONFIRMED));
    const bool done = store.cellUtf8(kStoreDone, row) == "Yes";
    addX(ev, kIcsDoneProperty, done ? "Yes" : "No");

    if (store.cellUtf8(kStoreAlarm, row) == "Yes") {
        icalcomponent *alarm = icalcomponent_new_valarm();
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger;
        std::memset(&trigger, 0, sizeof trigger);
        trigger.time = icaltime_null_time();
        trigger.duration = icaldurationtype_from_int(-60 * std::max(0, o.alarmLeadMinutes));
        icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_property(alarm, icalproperty_new_description(FirstLine(notes).toUtf8().constData()));
        icalcomponent_add_component(ev, alarm);
    }
    w.add(ev);
}

void addDatedTasks(Writer &w, const Grid &store, const TaskFilter &filter)
{
    OrdinalCounter ordinals;
    int lastDay = -1;
    for (int r = 1; r < store.rowCount(); ++r) {
        const QByteArrayView key = store.cellUtf8(kStoreKey, r);
        if (key.isEmpty())
            continue;
        const int day = KeyDay(key);
        if (day < 1)
            continue;  // a key that does not parse names no day
        if (day != lastDay) {
            ordinals.clear();
            lastDay = day;
        }
        // Counted before the filter and the range decide, so that a task's
        // UID does not depend on which of its twins are exported with it.
        const QByteArray hash = IcsContentHash({store.cellUtf8(kStoreCategory, r), store.cellUtf8(kStoreNotes, r)});
        const int ordinal = ordinals.next(hash);
        if (!okToPrintDateTask(store, r, day, w.o_.range, filter))
            continue;
        addDatedTask(w, store, r, day, IcsDatedUid(hash, DateOfDay(day), ordinal));
    }
}

void addTodoTasks(Writer &w, const Grid &todo, const TaskFilter &filter)
{
    QHash<QByteArray, int> ordinals;
    for (int r = 1; r < todo.rowCount(); ++r) {
        if (!TodoRowHoldsTask(todo, r))
            continue;
        const QByteArrayView category = todo.cellUtf8(kTodoCategory, r);
        const QByteArray hash = IcsContentHash({category, todo.cellUtf8(kTodoNotes, r)});
        const int ordinal = ++ordinals[hash];
        if (!filter.passes(todo.cellUtf8(kTodoDone, r), category))
            continue;
        icalcomponent *c = icalcomponent_new_vtodo();
        addCommon(c, IcsTodoUid(hash, ordinal), w.stamp_, QString::fromUtf8(todo.cellUtf8(kTodoNotes, r)), category);
        const bool done = todo.cellUtf8(kTodoDone, r) == "Yes";
        icalcomponent_add_property(c, icalproperty_new_status(done ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION));
        addX(c, kIcsDoneProperty, done ? "Yes" : "No");
        w.add(c);
    }
}

void addCompletedTasks(Writer &w, const Grid &completed, const TaskFilter &filter)
{
    const IcsExportOptions &o = w.o_;
    QHash<QByteArray, int> ordinals;
    for (int r = 1; r < completed.rowCount(); ++r) {
        const QByteArrayView compDate = completed.cellUtf8(kCompDate, r);
        const QByteArrayView category = completed.cellUtf8(kCompCategory, r);
        const QByteArrayView notes = completed.cellUtf8(kCompNotes, r);
        if (compDate.isEmpty() && notes.isEmpty())
            continue;
        const QByteArray hash = IcsContentHash({category, notes, compDate, completed.cellUtf8(kCompOrigDate, r)});
        const int ordinal = ++ordinals[hash];
        DateValue value = 0;
        const bool dated = StrToDate(QString::fromUtf8(compDate), o.formats, &value);
        const QDate date = dated ? DateOfDay(DayOfValue(value)) : QDate();
        if (o.range.byDate && (!dated || date < o.range.first || date > o.range.last))
            continue;
        if (!filter.passes("Yes", category))
            continue;
        icalcomponent *c = icalcomponent_new_vtodo();
        addCommon(c, IcsCompletedUid(hash, ordinal), w.stamp_, QString::fromUtf8(notes), category);
        icalcomponent_add_property(c, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        // The log keeps the day of completion only: its local midnight, in
        // UTC as the property requires.
        if (dated)
            icalcomponent_add_property(c, icalproperty_new_completed(utcTime(QDateTime(date, QTime(0, 0)))));
        const QByteArrayView compNotes = completed.cellUtf8(kCompNotesDone, r);
        if (!compNotes.isEmpty())
            icalcomponent_add_property(c, icalproperty_new_comment(notesText(QString::fromUtf8(compNotes)).constData()));
        addX(c, kIcsDoneProperty, "Yes");
        addX(c, kIcsListProperty, kIcsCompletedLog);
        addX(c, kIcsOriginalDateProperty, completed.cellUtf8(kCompOrigDate, r).toByteArray());
        addX(c, kIcsTimeProperty, completed.cellUtf8(kCompTime, r).toByteArray());
        w.add(c);
    }
}

}  // namespace

QByteArray ExportIcs(const Grid &store, const Grid &todo, const Grid *completed, const IcsExportOptions &options)
{
    static const TaskFilter kNoFilter;
    const TaskFilter &filter = options.filter ? *options.filter : kNoFilter;
    Writer w(options);
    w.reserve(qsizetype(store.rowCount()) * 400);
    addDatedTasks(w, store, filter);
    if (options.includeTodo)
        addTodoTasks(w, todo, filter);
    if (completed)
        addCompletedTasks(w, *completed, filter);
    return w.finish();
}

FileResult ExportIcsFile(const QString &path, const Grid &store, const Grid &todo, const Grid *completed,
                         const IcsExportOptions &options)
{
    return WriteFileAtomically(path, ExportIcs(store, todo, completed, options));
}

}  // namespace morvane
