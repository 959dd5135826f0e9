#include "IcsExport.h"

#include "AtomicFile.h"
#include "Grid.h"
#include "IcsIdentity.h"
#include "IcsLibical.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace morvane {

namespace {

// Where the export's text goes, in order; false when it could not be taken.
using IcsSink = std::function<bool(QByteArrayView)>;

// The notes as iCalendar text: their lines joined by line feeds, without
// the CR LF the tables end every line of a longer note with (the lines
// TextToMemo gives, joined).
QByteArray notesText(QByteArrayView notes)
{
    if (!notes.contains('\r'))
        return notes.toByteArray();
    QByteArray text = notes.toByteArray();
    const bool endsWithBreak = text.endsWith("\r\n");
    text.replace("\r\n", "\n");
    if (endsWithBreak)
        text.chop(1);
    return text;
}

// The first line of the notes (FirstLine on the cell's bytes).
QByteArray summaryText(QByteArrayView notes)
{
    const qsizetype cut = notes.indexOf("\r\n");
    return (cut < 0 ? notes : notes.first(cut)).toByteArray();
}

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

icalproperty *xProperty(const char *name, const QByteArray &value)
{
    icalproperty *p = icalproperty_new_x(value.constData());
    icalproperty_set_x_name(p, name);
    return p;
}

// A property line as RFC 5545 folds it: at most 75 bytes a line, never
// inside a UTF-8 character, each further line begun by a space.
QByteArray foldedLine(QByteArrayView line)
{
    QByteArray out;
    qsizetype lineBytes = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const bool continuation = (uchar(line[i]) & 0xC0) == 0x80;
        if (lineBytes >= 75 - 4 && !continuation) {
            out += "\r\n ";
            lineBytes = 1;
        }
        out += line[i];
        ++lineBytes;
    }
    return out + "\r\n";
}

// Text as an iCalendar TEXT value: backslash, semicolon, comma and line
// breaks escaped.
QByteArray escapedText(QByteArrayView text)
{
    QByteArray out;
    for (char c : text) {
        if (c == '\\' || c == ';' || c == ',')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c != '\r')
            out += c;
    }
    return out;
}

// Components written one after another into one piece of the file, a line
// at a time as libical writes a component: its BEGIN line, each property as
// libical writes it, its sub-components, its END line. Building the whole
// component in libical first would cost as much again; lines that are the
// same in many components (the stamp, a status, a category) are written by
// libical once and copied after that.
class Writer {
public:
    Writer(const IcsExportOptions &o, const icaltimetype &stamp) : o_(o), stamp_(stamp) {}

    void begin(const char *kind) { out_.append("BEGIN:").append(kind).append("\r\n"); }
    // Ends the component, with `ownLines` (whole, folded lines) before its END line.
    void end(const char *kind, QByteArrayView ownLines = {})
    {
        out_.append(ownLines).append("END:").append(kind).append("\r\n");
    }
    void endComponent(const char *kind, QByteArrayView ownLines = {})
    {
        end(kind, ownLines);
        ++components_;
    }
    // Writes the property and frees it.
    void add(icalproperty *p) { out_.append(propertyText(p)); }
    // Writes the property `make` gives, the same wherever `key` is.
    template <typename Make> void addSame(const QByteArray &key, Make make)
    {
        auto it = same_.constFind(key);
        if (it == same_.constEnd())
            it = same_.insert(key, propertyText(make()));
        out_.append(*it);
    }
    int components() const { return components_; }

    // The time of a time cell; the cells hold a few hundred different texts,
    // so each is read once.
    std::optional<QTime> timeOf(QByteArrayView cell)
    {
        auto it = times_.constFind(cell.toByteArray());
        if (it != times_.constEnd())
            return *it;
        DateValue v = 0;
        std::optional<QTime> t;
        if (StrToTime(QString::fromUtf8(cell), o_.formats, &v))
            t = TimeOfValue(v);
        times_.insert(cell.toByteArray(), t);
        return t;
    }

    QByteArray &bytes() { return out_; }
    QByteArray take() { return std::exchange(out_, QByteArray()); }

    const IcsExportOptions &o_;
    const icaltimetype stamp_;

private:
    static QByteArray propertyText(icalproperty *p)
    {
        char *text = icalproperty_as_ical_string_r(p);
        QByteArray out(text);
        std::free(text);
        icalproperty_free(p);
        return out;
    }

    QByteArray out_;
    int components_ = 0;
    QHash<QByteArray, std::optional<QTime>> times_;
    QHash<QByteArray, QByteArray> same_;
};

// The properties every exported component shares. A category holding a
// comma comes back as the line to add by hand: libical writes CATEGORIES as
// a list and leaves a comma in a value as it is, so other programs would
// read two categories.
QByteArray addCommon(Writer &w, const QByteArray &uid, QByteArrayView notes, QByteArrayView category)
{
    w.add(icalproperty_new_uid(uid.constData()));
    w.addSame("DTSTAMP", [&] { return icalproperty_new_dtstamp(w.stamp_); });
    w.add(icalproperty_new_summary(summaryText(notes).constData()));
    w.add(icalproperty_new_description(notesText(notes).constData()));
    if (category.isEmpty())
        return {};
    const QByteArray text = category.toByteArray();
    if (!text.contains(',')) {
        w.addSame("CATEGORIES:" + text, [&] { return icalproperty_new_categories(text.constData()); });
        return {};
    }
    w.addSame("X-CATEGORY:" + text, [&] { return xProperty(kIcsCategoryProperty, text); });
    return foldedLine("CATEGORIES:" + escapedText(text));
}

// This program's mark of a task's done state.
void addDone(Writer &w, bool done)
{
    w.addSame(done ? "DONE:Yes" : "DONE:No", [done] { return xProperty(kIcsDoneProperty, done ? "Yes" : "No"); });
}

void addDatedTask(Writer &w, const Grid &store, int row, const QDate &date, const QByteArray &uid,
                  QByteArrayView extraLines = {})
{
    const QByteArrayView notes = store.cellUtf8(kStoreNotes, row);
    w.begin("VEVENT");
    QByteArray ownLines = addCommon(w, uid, notes, store.cellUtf8(kStoreCategory, row));
    ownLines.append(extraLines);

    if (const std::optional<QTime> time = w.timeOf(store.cellUtf8(kStoreTime, row))) {
        const icaltimetype start = floatingTime(date, *time);
        icaltimetype end = start;
        end.minute += 30;
        end = icaltime_normalize(end);
        w.add(icalproperty_new_dtstart(start));
        w.add(icalproperty_new_dtend(end));
    } else {
        icaltimetype start = floatingTime(date, QTime(0, 0));
        start.is_date = 1;
        icaltimetype end = floatingTime(date.addDays(1), QTime(0, 0));
        end.is_date = 1;
        w.add(icalproperty_new_dtstart(start));
        w.add(icalproperty_new_dtend(end));
    }
    w.addSame("STATUS:CONFIRMED", [] { return icalproperty_new_status(ICAL_STATUS_CONFIRMED); });
    addDone(w, store.cellUtf8(kStoreDone, row) == "Yes");

    if (store.cellUtf8(kStoreAlarm, row) == "Yes") {
        w.begin("VALARM");
        w.addSame("ACTION:DISPLAY", [] { return icalproperty_new_action(ICAL_ACTION_DISPLAY); });
        w.addSame("TRIGGER", [&] {
            icaltriggertype trigger;
            std::memset(&trigger, 0, sizeof trigger);
            trigger.time = icaltime_null_time();
            trigger.duration = icaldurationtype_from_int(-60 * std::max(0, w.o_.alarmLeadMinutes));
            return icalproperty_new_trigger(trigger);
        });
        w.add(icalproperty_new_description(summaryText(notes).constData()));
        w.end("VALARM");
    }
    w.endComponent("VEVENT", ownLines);
}

// The dated tasks of store rows [first, last), which begin a day.
void addDatedTasks(Writer &w, const Grid &store, int first, int last, const TaskFilter &filter)
{
    OrdinalCounter ordinals;
    int lastDay = -1;
    QDate date;
    for (int r = first; r < last; ++r) {
        const QByteArrayView key = store.cellUtf8(kStoreKey, r);
        if (key.isEmpty())
            continue;
        const int day = KeyDay(key);
        if (day < 1)
            continue;  // a key that does not parse names no day
        if (day != lastDay) {
            ordinals.clear();
            lastDay = day;
            date = DateOfDay(day);
        }
        // Counted before the filter and the range decide, so that a task's
        // UID does not depend on which of its twins are exported with it.
        const QByteArray hash = IcsContentHash({store.cellUtf8(kStoreCategory, r), store.cellUtf8(kStoreNotes, r)});
        const int ordinal = ordinals.next(hash);
        if (!okToPrintDateTask(store, r, day, w.o_.range, filter))
            continue;
        addDatedTask(w, store, r, date, IcsDatedUid(hash, date, ordinal));
    }
}

// The dated tasks, in store order, handed to `sink` a piece at a time.
// libical takes some microseconds per component, so a large store is cut at
// day boundaries (a task's UID counts its twins within its day) into pieces
// made side by side; each finished piece is handed on as soon as those
// before it have been, so that writing the file overlaps making the rest.
// Returns false when the sink refused a piece (nothing more is made then).
bool datedTasks(const Grid &store, const TaskFilter &filter, const IcsExportOptions &o, const icaltimetype &stamp,
                const IcsSink &sink, int &written)
{
    const int rows = store.rowCount();
    constexpr int kRowsPerPiece = 5000;
    if (rows < 2 * kRowsPerPiece) {
        Writer w(o, stamp);
        addDatedTasks(w, store, 1, rows, filter);
        written += w.components();
        return sink(w.bytes());
    }
    std::vector<int> bounds{1};
    while (bounds.back() < rows) {
        int b = std::min(rows, bounds.back() + kRowsPerPiece);
        if (b < rows) {
            const int day = KeyDay(store.cellUtf8(kStoreKey, b));
            while (b < rows && KeyDay(store.cellUtf8(kStoreKey, b)) == day)
                ++b;
        }
        bounds.push_back(b);
    }
    const std::size_t pieces = bounds.size() - 1;
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 4);

    // Each thread keeps one writer (its cache of times) and takes the next
    // piece not yet begun; the caller's thread also hands the finished
    // pieces on, in order.
    std::vector<QByteArray> made(pieces);
    std::vector<char> done(pieces, 0);
    std::size_t next = 0;
    bool stop = false;
    std::mutex m;
    std::condition_variable finished;
    std::vector<Writer> writers;
    writers.reserve(std::size_t(threads));
    for (int i = 0; i < threads; ++i)
        writers.emplace_back(o, stamp);
    // Makes piece `i` with `w`; called and returns with the lock held.
    auto make = [&](std::unique_lock<std::mutex> &lock, Writer &w, std::size_t i) {
        lock.unlock();
        w.bytes().reserve(qsizetype(bounds[i + 1] - bounds[i]) * 400);
        addDatedTasks(w, store, bounds[i], bounds[i + 1], filter);
        QByteArray piece = w.take();
        lock.lock();
        made[i] = std::move(piece);
        done[i] = 1;
        finished.notify_all();
    };
    auto work = [&](Writer &w) {
        std::unique_lock lock(m);
        while (next < pieces && !stop)
            make(lock, w, next++);
    };
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i)
        workers.emplace_back(work, std::ref(writers[std::size_t(i)]));
    bool ok = true;
    {
        std::unique_lock lock(m);
        for (std::size_t i = 0; i < pieces && ok; ++i) {
            while (!done[i]) {
                if (next < pieces)
                    make(lock, writers[0], next++);
                else
                    finished.wait(lock);
            }
            const QByteArray piece = std::exchange(made[i], QByteArray());
            lock.unlock();
            ok = sink(piece);
            lock.lock();
        }
        stop = true;
    }
    for (std::thread &t : workers)
        t.join();
    for (const Writer &w : writers)
        written += w.components();
    return ok;
}

void addTodoTask(Writer &w, const Grid &todo, int r, const QByteArray &uid)
{
    w.begin("VTODO");
    const QByteArray ownLines = addCommon(w, uid, todo.cellUtf8(kTodoNotes, r), todo.cellUtf8(kTodoCategory, r));
    const bool done = todo.cellUtf8(kTodoDone, r) == "Yes";
    w.addSame(done ? "STATUS:COMPLETED" : "STATUS:NEEDS-ACTION", [done] {
        return icalproperty_new_status(done ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION);
    });
    addDone(w, done);
    w.endComponent("VTODO", ownLines);
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
        addTodoTask(w, todo, r, IcsTodoUid(hash, ordinal));
    }
}

// One entry of the completed log as a completed to-do, marked as the log's.
void addCompletedTask(Writer &w, const Grid &completed, int r, const QDate &date, const QByteArray &uid)
{
    w.begin("VTODO");
    const QByteArray ownLines =
        addCommon(w, uid, completed.cellUtf8(kCompNotes, r), completed.cellUtf8(kCompCategory, r));
    w.addSame("STATUS:COMPLETED", [] { return icalproperty_new_status(ICAL_STATUS_COMPLETED); });
    // The log keeps the day of completion only: its local midnight, in
    // UTC as the property requires.
    if (date.isValid())
        w.add(icalproperty_new_completed(utcTime(QDateTime(date, QTime(0, 0)))));
    const QByteArrayView compNotes = completed.cellUtf8(kCompNotesDone, r);
    if (!compNotes.isEmpty())
        w.add(icalproperty_new_comment(notesText(compNotes).constData()));
    addDone(w, true);
    w.addSame("LIST", [] { return xProperty(kIcsListProperty, kIcsCompletedLog); });
    w.add(xProperty(kIcsOriginalDateProperty, completed.cellUtf8(kCompOrigDate, r).toByteArray()));
    w.add(xProperty(kIcsTimeProperty, completed.cellUtf8(kCompTime, r).toByteArray()));
    w.add(xProperty(kIcsCompletedDateProperty, completed.cellUtf8(kCompDate, r).toByteArray()));
    w.endComponent("VTODO", ownLines);
}

// The day a log entry was completed on; invalid when its text is no date.
QDate completionDate(QByteArrayView text, const FormatSettings &formats)
{
    DateValue value = 0;
    return StrToDate(QString::fromUtf8(text), formats, &value) ? DateOfDay(DayOfValue(value)) : QDate();
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
        const QDate date = completionDate(compDate, o.formats);
        if (o.range.byDate && (!date.isValid() || date < o.range.first || date > o.range.last))
            continue;
        if (!filter.passes("Yes", category))
            continue;
        addCompletedTask(w, completed, r, date, IcsCompletedUid(hash, ordinal));
    }
}

// The calendar's own lines, written by libical, cut where the components go.
std::pair<QByteArray, qsizetype> calendarFrame(bool withMethod)
{
    IcalPtr cal(icalcomponent_new_vcalendar());
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid(kIcsProductId));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
    if (withMethod)
        icalcomponent_add_property(cal.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));
    QByteArray frame = IcalText(cal.get());
    const qsizetype end = frame.lastIndexOf("END:VCALENDAR");
    return {std::move(frame), end};
}

}  // namespace

QByteArray IcsDatedTaskComponent(const DatedTask &task, const QByteArray &uid, const IcsExportOptions &options,
                                 QByteArrayView extraLines)
{
    Grid one = NewStoreGrid();
    one.setRowCount(2);
    one.setCell(kStoreKey, 1, MakeStoreKey(task.day, 101));
    one.setCell(kStoreTime, 1, task.task.time);
    one.setCell(kStoreCategory, 1, task.task.category);
    one.setCell(kStoreNotes, 1, task.task.notes);
    one.setCell(kStoreDone, 1, task.task.done);
    one.setCell(kStoreAlarm, 1, task.task.alarm);
    Writer w(options, utcTime(options.stamp));
    addDatedTask(w, one, 1, DateOfDay(task.day), uid, extraLines);
    return std::move(w.bytes());
}

QByteArray IcsTodoTaskComponent(const StoredTask &task, const QByteArray &uid, const IcsExportOptions &options)
{
    Grid one = NewTodoGrid();
    one.setRowCount(2);
    one.setCell(kTodoCategory, 1, task.category);
    one.setCell(kTodoNotes, 1, task.notes);
    one.setCell(kTodoDone, 1, task.done);
    Writer w(options, utcTime(options.stamp));
    addTodoTask(w, one, 1, uid);
    return std::move(w.bytes());
}

QByteArray IcsCompletedTaskComponent(const QStringList &cells, const QByteArray &uid, const IcsExportOptions &options)
{
    Grid one = NewCompletedGrid();
    for (int c = 0; c < kCompCols && c < int(cells.size()); ++c)
        one.setCell(c, 1, cells[c]);
    Writer w(options, utcTime(options.stamp));
    addCompletedTask(w, one, 1, completionDate(one.cellUtf8(kCompDate, 1), options.formats), uid);
    return std::move(w.bytes());
}

QByteArray IcsCalendarObject(QByteArrayView components)
{
    const auto [frame, end] = calendarFrame(false);
    QByteArray out = frame.first(end);
    out.append(components);
    return out + frame.mid(end);
}

namespace {

// The whole file, handed to `sink` in order as it is made.
bool exportIcs(const Grid &store, const Grid &todo, const Grid *completed, const IcsExportOptions &options,
               const IcsSink &sink, int *written)
{
    static const TaskFilter kNoFilter;
    const TaskFilter &filter = options.filter ? *options.filter : kNoFilter;
    const icaltimetype stamp = utcTime(options.stamp);  // also makes libical's UTC zone before any thread

    // The calendar's own lines, written by libical: what comes before its
    // END line goes first, the components follow, then that END line.
    const auto [frame, end] = calendarFrame(true);

    int count = 0;
    if (!sink(QByteArrayView(frame).first(end)) || !datedTasks(store, filter, options, stamp, sink, count))
        return false;
    Writer lists(options, stamp);
    if (options.includeTodo)
        addTodoTasks(lists, todo, filter);
    if (completed)
        addCompletedTasks(lists, *completed, filter);
    if (written)
        *written = count + lists.components();
    return sink(lists.bytes()) && sink(QByteArrayView(frame).sliced(end));
}

}  // namespace

QByteArray ExportIcs(const Grid &store, const Grid &todo, const Grid *completed, const IcsExportOptions &options,
                     int *written)
{
    QByteArray out;
    out.reserve(qsizetype(store.rowCount()) * 400);
    exportIcs(store, todo, completed, options, [&out](QByteArrayView piece) {
        out.append(piece);
        return true;
    }, written);
    return out;
}

FileResult ExportIcsFile(const QString &path, const Grid &store, const Grid &todo, const Grid *completed,
                         const IcsExportOptions &options, int *written)
{
    // Each piece is written as soon as it is made, while the next are made.
    AtomicFile file(path);
    if (FileResult ok = file.open(); !ok)
        return ok;
    exportIcs(store, todo, completed, options, [&file](QByteArrayView piece) {
        return file.write(piece.data(), std::size_t(piece.size()));
    }, written);
    return file.commit();
}

QString IcsExportDoneText(int written, const QString &path)
{
    return QStringLiteral("Exported %1 to %2.")
        .arg(written == 1 ? QStringLiteral("1 task") : QStringLiteral("%1 tasks").arg(written),
             QDir::toNativeSeparators(path));
}

}  // namespace morvane
