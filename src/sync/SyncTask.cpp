#include "SyncTask.h"

#include "Grid.h"
#include "IcsIdentity.h"
#include "IcsImport.h"

#include <QList>
#include <QSet>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr char kSep = '\x1f';

QByteArrayView valueOf(QByteArrayView line)
{
    const qsizetype colon = line.lastIndexOf(':');
    return colon < 0 ? line : line.sliced(colon + 1);
}

// The object's lines with folded lines joined again (servers take long lines).
QList<QByteArray> unfoldedLines(const QByteArray &ics)
{
    QByteArray text = ics;
    text.replace("\r\n ", "").replace("\r\n\t", "").replace("\n ", "").replace("\n\t", "");
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray joined(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

// The [begin, end] line indices of each event of the object, with the
// RECURRENCE-ID value of those that replace one occurrence.
struct EventBlock {
    qsizetype begin = 0, end = 0;
    QByteArray occurrence;  // value only; empty for the repeating event itself
};
std::vector<EventBlock> eventBlocks(const QList<QByteArray> &lines)
{
    std::vector<EventBlock> out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != "BEGIN:VEVENT" && lines[i] != "BEGIN:VTODO")
            continue;
        EventBlock b;
        b.begin = i;
        int depth = 0;
        for (; i < lines.size(); ++i) {
            if (lines[i].startsWith("BEGIN:"))
                ++depth;
            else if (lines[i].startsWith("END:") && --depth == 0)
                break;
            else if (depth == 1 && lines[i].startsWith("RECURRENCE-ID"))
                b.occurrence = valueOf(lines[i]).toByteArray();
        }
        b.end = std::min(i, lines.size() - 1);
        out.push_back(b);
    }
    return out;
}

QList<QByteArray> withoutOverride(QList<QByteArray> lines, const QByteArray &occurrence)
{
    const QByteArrayView value = valueOf(occurrence);
    const std::vector<EventBlock> blocks = eventBlocks(lines);
    for (auto b = blocks.rbegin(); b != blocks.rend(); ++b)
        if (!b->occurrence.isEmpty() && b->occurrence == value)
            lines.remove(b->begin, b->end - b->begin + 1);
    return lines;
}

// A content line's property name: what comes before its parameters or value.
QByteArray propertyName(QByteArrayView line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ';' && line[end] != ':')
        ++end;
    return line.first(end).toByteArray().toUpper();
}

IcsExportOptions exportOptions(const SyncMapping &m)
{
    IcsExportOptions o;
    o.alarmLeadMinutes = m.alarmLeadMinutes;
    o.stamp = m.stamp;
    o.formats = m.formats;
    return o;
}

}  // namespace

QByteArray SyncTask::key() const
{
    QByteArray k;
    k += char(kind);
    k += kSep;
    if (kind == Kind::Completed) {
        for (const QString &cell : completedCells())
            k += cell.toUtf8() + kSep;
        k.chop(1);
        return k;
    }
    if (kind == Kind::Dated) {
        k += QByteArray::number(day) + kSep + task.time.toUtf8() + kSep;
    }
    k += task.category.toUtf8() + kSep + task.notes.toUtf8() + kSep + task.done.toUtf8();
    if (kind == Kind::Dated)
        k += kSep + task.alarm.toUtf8();
    return k;
}

std::optional<SyncTask> SyncTask::fromKey(QByteArrayView key)
{
    const QList<QByteArray> parts = key.toByteArray().split(kSep);
    SyncTask t;
    if (parts.size() == 7 && parts[0] == "E") {
        t.kind = Kind::Dated;
        t.day = parts[1].toInt();
        t.task = {QString::fromUtf8(parts[2]), QString::fromUtf8(parts[3]), QString::fromUtf8(parts[4]),
                  QString::fromUtf8(parts[5]), QString::fromUtf8(parts[6])};
        return t;
    }
    if (parts.size() == 1 + kCompCols && parts[0] == "C") {
        QStringList cells;
        for (qsizetype i = 1; i < parts.size(); ++i)
            cells << QString::fromUtf8(parts[i]);
        return fromCompletedCells(cells);
    }
    if (parts.size() == 4 && parts[0] == "T") {
        t.kind = Kind::Todo;
        t.task.category = QString::fromUtf8(parts[1]);
        t.task.notes = QString::fromUtf8(parts[2]);
        t.task.done = QString::fromUtf8(parts[3]);
        t.task.alarm.clear();
        return t;
    }
    return std::nullopt;
}

bool SyncTask::sameItem(const SyncTask &o) const
{
    return kind == o.kind && day == o.day && task.time == o.task.time && task.category == o.task.category &&
           task.notes == o.task.notes && completedOn == o.completedOn && originalDate == o.originalDate;
}

QStringList SyncTask::completedCells() const
{
    QStringList cells(kCompCols);
    cells[kCompDate] = completedOn;
    cells[kCompTime] = task.time;
    cells[kCompCategory] = task.category;
    cells[kCompOrigDate] = originalDate;
    cells[kCompNotes] = task.notes;
    cells[kCompNotesDone] = completionNotes;
    return cells;
}

SyncTask SyncTask::fromCompletedCells(const QStringList &cells)
{
    SyncTask t;
    t.kind = Kind::Completed;
    const auto cell = [&](int c) { return c < cells.size() ? cells[c] : QString(); };
    t.completedOn = cell(kCompDate);
    t.task = {cell(kCompTime), cell(kCompCategory), cell(kCompNotes), QString(), QString()};
    t.originalDate = cell(kCompOrigDate);
    t.completionNotes = cell(kCompNotesDone);
    return t;
}

SyncTask ConflictCopy(const SyncTask &task)
{
    SyncTask copy = task;
    QString &notes = copy.task.notes;
    if (!notes.isEmpty())
        notes += u"\r\n"_s;
    notes += QString::fromUtf16(kConflictCopyMark);
    // A note of more than one line ends with a line break in the tables.
    if (!notes.endsWith(u"\r\n"_s))
        notes += u"\r\n"_s;
    return copy;
}

bool SyncObject::repeating() const
{
    for (const SyncObjectTask &t : tasks)
        if (!t.occurrence.isEmpty())
            return true;
    return false;
}

QByteArray SyncTaskObject(const SyncTask &task, const QByteArray &uid, const SyncMapping &m)
{
    const IcsExportOptions o = exportOptions(m);
    if (task.kind == SyncTask::Kind::Todo)
        return IcsCalendarObject(IcsTodoTaskComponent(task.task, uid, o));
    if (task.kind == SyncTask::Kind::Completed)
        return IcsCalendarObject(IcsCompletedTaskComponent(task.completedCells(), uid, o));
    return IcsCalendarObject(IcsDatedTaskComponent({task.day, task.task}, uid, o));
}

SyncObject ReadSyncObject(const QByteArray &ics, const SyncMapping &m)
{
    SyncObject out;
    static const Grid kNoStore = NewStoreGrid();
    static const Grid kNoTodo = NewTodoGrid();
    const auto [from, to] = DefaultIcsImportRange(m.today);
    const IcsImportPlan plan = PlanIcsImport(ics, kNoStore, kNoTodo, from, to, m.formats, nullptr, m.alarmLeadMinutes);
    if (!plan.ok) {
        out.ok = false;
        out.error = plan.error;
        return out;
    }
    for (const QByteArray &line : unfoldedLines(ics))
        if (line.startsWith("UID:") || line.startsWith("UID;")) {
            out.uid = valueOf(line).toByteArray();
            break;
        }
    for (std::size_t i = 0; i < plan.dated.size(); ++i) {
        SyncTask t;
        t.day = plan.dated[i].day;
        t.task = plan.dated[i].task;
        out.tasks.push_back({i < plan.occurrences.size() ? plan.occurrences[i] : QByteArray(), std::move(t)});
    }
    for (const StoredTask &todo : plan.todo) {
        SyncTask t;
        t.kind = SyncTask::Kind::Todo;
        t.task = todo;
        t.task.alarm.clear();
        out.tasks.push_back({QByteArray(), std::move(t)});
    }
    // Entries of the completed log, which the import leaves out. One marked
    // as not done again elsewhere is a to-do task once more.
    if (plan.completedLog > 0)
        for (const IcsCompletedEntry &e : ReadIcsCompletedEntries(ics, m.formats)) {
            SyncTask t = SyncTask::fromCompletedCells(e.cells);
            if (e.reopened) {
                t.kind = SyncTask::Kind::Todo;
                t.task = {QString(), t.task.category, t.task.notes, YesNo(false), QString()};
                t.completedOn = t.originalDate = t.completionNotes = QString();
            }
            out.tasks.push_back({QByteArray(), std::move(t)});
        }
    return out;
}

SyncTask RoundTrip(const SyncTask &task, const SyncMapping &m)
{
    const SyncObject back = ReadSyncObject(SyncTaskObject(task, "round-trip", m), m);
    if (back.ok && back.tasks.size() == 1)
        return back.tasks.front().task;
    return task;
}

QByteArray WithOccurrenceChanged(const QByteArray &ics, const QByteArray &occurrence, const SyncTask &task,
                                 const QByteArray &uid, const SyncMapping &m)
{
    QList<QByteArray> lines = withoutOverride(unfoldedLines(ics), occurrence);
    const QByteArray component =
        IcsDatedTaskComponent({task.day, task.task}, uid, exportOptions(m), "RECURRENCE-ID" + occurrence + "\r\n");
    const QList<QByteArray> added = unfoldedLines(component);
    qsizetype end = lines.size();
    while (end > 0 && lines[end - 1] != "END:VCALENDAR")
        --end;
    if (end == 0)
        return ics;
    for (qsizetype i = 0; i < added.size(); ++i)
        lines.insert(end - 1 + i, added[i]);
    return joined(lines);
}

QByteArray WithOccurrenceRemoved(const QByteArray &ics, const QByteArray &occurrence)
{
    QList<QByteArray> lines = withoutOverride(unfoldedLines(ics), occurrence);
    for (const EventBlock &b : eventBlocks(lines))
        if (b.occurrence.isEmpty()) {
            lines.insert(b.end, "EXDATE" + occurrence);
            break;
        }
    return joined(lines);
}

bool HoldsMoreThanTheMapping(const QByteArray &ics, const SyncObject &object, const SyncMapping &m)
{
    if (object.tasks.size() != 1)
        return !object.tasks.empty();
    const QList<QByteArray> ours = unfoldedLines(SyncTaskObject(object.tasks.front().task, object.uid, m));
    const QSet<QByteArray> mine(ours.begin(), ours.end());
    // What every writer stamps differently says nothing of the item.
    static const QSet<QByteArray> kStamps{"PRODID", "VERSION", "CALSCALE", "DTSTAMP", "LAST-MODIFIED", "CREATED",
                                          "SEQUENCE"};
    for (const QByteArray &line : unfoldedLines(ics))
        if (!mine.contains(line) && !kStamps.contains(propertyName(line)))
            return true;
    return false;
}

QByteArray WithTaskChanged(const QByteArray &serverIcs, const SyncTask &agreed, const SyncTask &task,
                           const QByteArray &uid, const SyncMapping &m)
{
    const QByteArray ours = SyncTaskObject(task, uid, m);
    QList<QByteArray> lines = unfoldedLines(serverIcs);
    const QList<QByteArray> mine = unfoldedLines(ours);
    const std::vector<EventBlock> theirs = eventBlocks(lines), own = eventBlocks(mine);
    if (theirs.size() != 1 || !theirs.front().occurrence.isEmpty() || own.size() != 1 ||
        lines[theirs.front().begin] != mine[own.front().begin] || task.kind != agreed.kind)
        return ours;

    // The properties each changed cell is written in; the stamp always.
    QSet<QByteArray> names{"DTSTAMP", "LAST-MODIFIED"};
    const bool todo = task.kind == SyncTask::Kind::Todo;
    if (task.day != agreed.day || task.task.time != agreed.task.time)
        names.unite(QSet<QByteArray>{"DTSTART", "DTEND", "DURATION", "DUE"});
    if (task.task.notes != agreed.task.notes) {
        names.unite(QSet<QByteArray>{"SUMMARY", "DESCRIPTION"});
        // The place came in as a "Where: " line of the notes; taken out of
        // them, it goes from the server's copy too.
        const QStringList was = agreed.task.notes.split(u"\r\n"_s), now = task.task.notes.split(u"\r\n"_s);
        for (const QString &line : was)
            if (line.startsWith(u"Where: "_s) && !now.contains(line))
                names.insert("LOCATION");
    }
    if (task.task.category != agreed.task.category)
        names.unite(QSet<QByteArray>{"CATEGORIES", QByteArray(kIcsCategoryProperty)});
    if (task.task.done != agreed.task.done) {
        names += QByteArray(kIcsDoneProperty);
        if (todo)
            names.unite(QSet<QByteArray>{"STATUS", "COMPLETED", "PERCENT-COMPLETE"});
    }
    if (task.kind == SyncTask::Kind::Completed) {
        if (task.completedOn != agreed.completedOn)
            names.unite(QSet<QByteArray>{"COMPLETED", QByteArray(kIcsCompletedDateProperty)});
        if (task.originalDate != agreed.originalDate)
            names += QByteArray(kIcsOriginalDateProperty);
        if (task.task.time != agreed.task.time)
            names += QByteArray(kIcsTimeProperty);
        if (task.completionNotes != agreed.completionNotes)
            names += "COMMENT";
    }
    const bool alarms = task.task.alarm != agreed.task.alarm;

    // The lines of one item that those properties hold, with its reminders
    // when the alarm changed; `keep` for the others.
    auto split = [&](const QList<QByteArray> &from, const EventBlock &b, QList<QByteArray> *mapped,
                     QList<QByteArray> *keep, int *sequence) {
        int depth = 0;
        bool inAlarm = false;
        for (qsizetype i = b.begin + 1; i < b.end; ++i) {
            const QByteArray &l = from[i];
            if (depth == 0 && l.startsWith("BEGIN:"))
                inAlarm = l == "BEGIN:VALARM";
            if (l.startsWith("BEGIN:"))
                ++depth;
            const bool top = depth == 0;
            if (l.startsWith("END:"))
                --depth;
            const bool ownsIt = top ? names.contains(propertyName(l)) : inAlarm && alarms;
            if (top && sequence && propertyName(l) == "SEQUENCE") {
                *sequence = valueOf(l).toInt();
                continue;
            }
            if (ownsIt) {
                if (mapped)
                    *mapped << l;
            } else if (keep) {
                *keep << l;
            }
        }
    };
    QList<QByteArray> kept, written;
    int sequence = -1;
    split(lines, theirs.front(), nullptr, &kept, &sequence);
    split(mine, own.front(), &written, nullptr, nullptr);
    if (sequence >= 0)
        kept << "SEQUENCE:" + QByteArray::number(sequence + 1);

    QList<QByteArray> out = lines.mid(0, theirs.front().begin + 1);
    out << kept << written;
    out << lines.mid(theirs.front().end);
    return joined(out);
}

}  // namespace morvane
