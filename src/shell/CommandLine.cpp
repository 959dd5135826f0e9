#include "CommandLine.h"

#include "TaskTables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace morvane {

CommandLine ParseCommandLine(const QStringList &args)
{
    CommandLine cl;
    const auto fail = [&](const QString &why) {
        cl.action = CommandLine::Action::Error;
        cl.error = why;
        return cl;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto setAction = [&](CommandLine::Action action) {
            if (cl.action != CommandLine::Action::Window && cl.action != action)
                return false;
            cl.action = action;
            return true;
        };
        if (a == u"--help" || a == u"-h") {
            if (!setAction(CommandLine::Action::Help))
                return fail(u"--help cannot be given with another command"_s);
        } else if (a == u"--version" || a == u"-v") {
            if (!setAction(CommandLine::Action::Version))
                return fail(u"--version cannot be given with another command"_s);
        } else if (a == u"--agenda") {
            if (!setAction(CommandLine::Action::Agenda))
                return fail(u"--agenda cannot be given with another command"_s);
            if (i + 1 < args.size() && !args[i + 1].startsWith(u"-")) {
                bool ok = false;
                cl.days = args[++i].toInt(&ok);
                if (!ok || cl.days < 0 || cl.days > 3660)
                    return fail(u"--agenda takes a number of days from 0 to 3660, not \"%1\""_s.arg(args[i]));
            }
        } else if (a.startsWith(u"--format=")) {
            const QString f = a.mid(9);
            if (f != u"json" && f != u"text")
                return fail(u"--format is text or json, not \"%1\""_s.arg(f));
            cl.json = f == u"json";
        } else if (a.startsWith(u"--from=")) {
            cl.from = QDate::fromString(a.mid(7), Qt::ISODate);
            if (!cl.from.isValid())
                return fail(u"--from takes a date as YYYY-MM-DD, not \"%1\""_s.arg(a.mid(7)));
        } else if (a == u"--sync") {
            if (!setAction(CommandLine::Action::Sync))
                return fail(u"--sync cannot be given with another command"_s);
        } else if (a == u"--add" || a == u"--todo") {
            if (!setAction(a == u"--add" ? CommandLine::Action::Add : CommandLine::Action::Todo))
                return fail(u"%1 cannot be given with another command"_s.arg(a));
            if (i + 1 >= args.size())
                return fail(a == u"--add" ? u"--add needs a task: \"YYYY-MM-DD HH:MM|CATEGORY|NOTES\""_s
                                          : u"--todo needs a task: \"CATEGORY|NOTES\""_s);
            cl.taskText = args[++i];
        } else {
            return fail(u"unknown argument \"%1\""_s.arg(a));
        }
    }
    if ((cl.json || cl.from.isValid()) && cl.action != CommandLine::Action::Agenda)
        return fail(u"--format and --from go with --agenda"_s);
    return cl;
}

QString CommandLineHelp()
{
    return u"Usage: morvane [COMMAND]\n"
           "Without a command, Morvane opens its window (or brings forward the copy that is running).\n"
           "\n"
           "  --agenda [DAYS]         print the tasks of today and the next DAYS days (default 0)\n"
           "      --format=json       as a JSON array, for scripts and status bars\n"
           "      --from=YYYY-MM-DD   start on this day instead of today\n"
           "  --add \"YYYY-MM-DD HH:MM|CATEGORY|NOTES\"\n"
           "                          add a dated task (the time, 24-hour, may be left out)\n"
           "  --todo \"CATEGORY|NOTES\" add a to-do task\n"
           "  --sync                  sync the tasks with the calendar server set in Options\n"
           "  --help                  show this help\n"
           "  --version               show the version\n"
           "\n"
           "In NOTES, \\n starts a new line. A task added while Morvane is running is added by the\n"
           "running copy. The tasks are in the folder named by MORVANE_DIR, else beside the program\n"
           "when grid.grd is there, else in $XDG_DATA_HOME/morvane.\n"_s;
}

std::optional<OutsideTask> ParseOutsideTask(const QString &text, bool dated, QString *why)
{
    OutsideTask t;
    t.dated = dated;
    QString rest = text;
    if (dated) {
        const qsizetype bar = rest.indexOf(u'|');
        const QString when = (bar < 0 ? rest : rest.left(bar)).trimmed();
        rest = bar < 0 ? QString() : rest.mid(bar + 1);
        const QStringList parts = when.split(u' ', Qt::SkipEmptyParts);
        t.date = QDate::fromString(parts.value(0), Qt::ISODate);
        if (parts.size() > 2 || !t.date.isValid() || t.date.year() < 1900) {
            *why = u"\"%1\" is not a date and time as YYYY-MM-DD HH:MM"_s.arg(when);
            return std::nullopt;
        }
        if (parts.size() == 2) {
            const QTime time = QTime::fromString(parts[1], u"H:mm"_s);
            if (!time.isValid()) {
                *why = u"\"%1\" is not a 24-hour time as HH:MM"_s.arg(parts[1]);
                return std::nullopt;
            }
            t.time = time;
        }
    }
    const qsizetype bar = rest.indexOf(u'|');
    if (bar < 0) {
        *why = dated ? u"the task needs a category and notes: \"YYYY-MM-DD HH:MM|CATEGORY|NOTES\""_s
                     : u"the task needs a category and notes: \"CATEGORY|NOTES\""_s;
        return std::nullopt;
    }
    t.category = rest.left(bar).trimmed();
    t.notes = rest.mid(bar + 1);
    t.notes.replace(u"\\n"_s, u"\r\n"_s);
    if (t.category.contains(u'\n') || t.category.contains(u'\r')) {
        *why = u"a category is one line"_s;
        return std::nullopt;
    }
    if (t.notes.trimmed().isEmpty() && t.category.isEmpty()) {
        *why = u"the task has neither a category nor notes"_s;
        return std::nullopt;
    }
    return t;
}

QByteArray OutsideTaskRequest(const OutsideTask &task)
{
    QJsonObject o{{u"dated"_s, task.dated},
                  {u"date"_s, task.date.toString(Qt::ISODate)},
                  {u"category"_s, task.category},
                  {u"notes"_s, task.notes}};
    if (task.time)
        o[u"time"_s] = task.time->toString(u"HH:mm"_s);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<OutsideTask> OutsideTaskFromRequest(const QByteArray &request)
{
    const QJsonObject o = QJsonDocument::fromJson(request).object();
    if (o.isEmpty())
        return std::nullopt;
    OutsideTask t;
    t.dated = o[u"dated"_s].toBool();
    t.date = QDate::fromString(o[u"date"_s].toString(), Qt::ISODate);
    if (o.contains(u"time"_s)) {
        const QTime time = QTime::fromString(o[u"time"_s].toString(), u"HH:mm"_s);
        if (!time.isValid())
            return std::nullopt;
        t.time = time;
    }
    t.category = o[u"category"_s].toString();
    t.notes = o[u"notes"_s].toString();
    if (t.dated && !t.date.isValid())
        return std::nullopt;
    return t;
}

namespace {

struct AgendaRow {
    QDate date;
    QString time;  // in the locale's format when it reads as a time
    std::optional<QTime> clock;
    QString category, notes;
    bool done = false, alarm = false;
};

std::vector<AgendaRow> agendaRows(const Grid &store, const QDate &from, int days, const FormatSettings &fs)
{
    std::vector<AgendaRow> rows;
    const int first = DayNumber(from), last = first + days;
    for (int r = FirstRowOnOrAfter(store, first); r < store.rowCount(); ++r) {
        const int day = KeyDay(store.cellUtf8(kStoreKey, r));
        if (day > last)
            break;
        if (day < first)
            continue;
        AgendaRow a;
        a.date = DateOfDay(day);
        a.time = store.cell(kStoreTime, r);
        DateValue t = 0;
        if (StrToTime(a.time, fs, &t)) {
            a.time = TaskTimeText(t, fs);
            const int minutes = int(t * 1440 + 0.5) % 1440;
            a.clock = QTime(minutes / 60, minutes % 60);
        }
        a.category = store.cell(kStoreCategory, r);
        a.notes = store.cell(kStoreNotes, r);
        a.done = store.cellUtf8(kStoreDone, r) == "Yes";
        a.alarm = store.cellUtf8(kStoreAlarm, r) == "Yes";
        rows.push_back(std::move(a));
    }
    return rows;
}

}  // namespace

QString AgendaText(const Grid &store, const QDate &from, int days, const FormatSettings &fs)
{
    QString out;
    for (const AgendaRow &a : agendaRows(store, from, days, fs)) {
        QString notes = a.notes;
        notes.replace(u"\r\n"_s, u" / "_s).replace(u'\n', u" / "_s).replace(u'\r', u' ');
        out += FormatDateTime(u"ddd d mmm yyyy", DateValue(DayNumber(a.date)), fs) + u"  "_s + a.time + u"  "_s +
               a.category + u"  "_s + notes + (a.done ? u"  (done)"_s : QString()) + u'\n';
    }
    return out;
}

QByteArray AgendaJson(const Grid &store, const QDate &from, int days, const FormatSettings &fs)
{
    QJsonArray tasks;
    for (const AgendaRow &a : agendaRows(store, from, days, fs)) {
        QJsonObject o{{u"date"_s, a.date.toString(Qt::ISODate)},
                      {u"time"_s, a.clock ? QJsonValue(a.clock->toString(u"HH:mm"_s)) : QJsonValue()},
                      {u"timeText"_s, a.time},
                      {u"category"_s, a.category},
                      {u"notes"_s, a.notes},
                      {u"done"_s, a.done},
                      {u"alarm"_s, a.alarm}};
        tasks.append(o);
    }
    return QJsonDocument(tasks).toJson(QJsonDocument::Indented);
}

}  // namespace morvane
