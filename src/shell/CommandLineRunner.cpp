#include "CommandLineRunner.h"

#include "Clock.h"
#include "DailyBackup.h"
#include "Options.h"
#include "SyncPassword.h"
#include "SyncRun.h"
#include "SyncTables.h"
#include "SingleInstance.h"
#include "TaskTables.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

void out(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, std::size_t(b.size()), stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    const QByteArray b = (u"morvane: "_s + text + u'\n').toUtf8();
    std::fwrite(b.constData(), 1, std::size_t(b.size()), stderr);
}

FormatSettings localFormats(const Clock &clock)
{
    return fix2000(FormatSettings::fromLocale(QLocale::system(), clock.today().year()));
}

int agenda(const CommandLine &cl, const QString &folder, const Clock &clock)
{
    TaskFilter all;
    TaskStore store(all, JoinPath(folder, u"grid.grd"_s));
    if (const FileResult r = store.load(); !r) {
        if (!r.damaged || !r.partial) {
            err(r.message);
            return 1;
        }
        err(r.message);  // what could be read is shown, and said to be partial
    }
    const FormatSettings fs = localFormats(clock);
    const QDate from = cl.from.isValid() ? cl.from : clock.today();
    if (cl.json)
        std::fputs(AgendaJson(store.grid(), from, cl.days, fs).constData(), stdout);
    else
        out(AgendaText(store.grid(), from, cl.days, fs));
    std::fflush(stdout);
    return 0;
}

// The running copy holds the files and the journal: it syncs, and answers
// when done; otherwise the files are synced here.
int syncFromTerminal(const QString &folder, const Clock &clock)
{
    SingleInstance instance;
    QByteArray answer;
    switch (instance.request("sync", &answer, 30 * 60 * 1000)) {
    case SingleInstance::Request::Answered:
        if (answer.startsWith("ok")) {
            out(QString::fromUtf8(answer.mid(3)) + u'\n');
            return 0;
        }
        err(QString::fromUtf8(answer.startsWith("error: ") ? answer.mid(7) : answer));
        return 1;
    case SingleInstance::Request::TimedOut:
        err(u"the running Morvane did not answer; nothing was synced"_s);
        return 1;
    case SingleInstance::Request::NotRunning:
        break;
    }
    QString done;
    if (const QString failed = SyncOutside(folder, clock, &done); !failed.isEmpty()) {
        err(failed);
        return 1;
    }
    out(done + u'\n');
    return 0;
}

}  // namespace

QString AddOutsideTask(const OutsideTask &task, const QString &folder, const Clock &clock)
{
    DailyBackup backup(folder, clock);
    const auto keepCopy = [&] { (void)backup.beforeSave(); };
    if (task.dated) {
        TaskFilter all;
        TaskStore store(all, JoinPath(folder, u"grid.grd"_s));
        if (const FileResult r = store.load(); !r)
            return r.damaged ? r.message + u" The task was not added."_s : r.message;
        store.setBeforeSave(keepCopy);
        const FormatSettings fs = localFormats(clock);
        const QString time = task.time ? TaskTimeText(DateValue(task.time->msecsSinceStartOfDay()) / 86400000.0, fs)
                                       : QString();
        (void)store.insertTask(DayNumber(task.date), StoredTask{time, task.category, task.notes});
        const FileResult r = store.SortGridStore();
        return r ? QString() : r.message;
    }
    const QString path = JoinPath(folder, u"gridNon.grd"_s);
    if (!QFileInfo::exists(path))
        return u"GridNon.grd file not found!"_s;
    Grid todo = NewTodoGrid();
    if (const FileResult r = LoadGridFile(todo, path); !r)
        return r.damaged ? r.message + u" The task was not added."_s : r.message;
    if (todo.colCount() < kTodoCols)
        todo.setColCount(kTodoCols);
    const int row = FirstFreeTodoRow(todo);
    todo.setCell(kTodoCategory, row, task.category);
    todo.setCell(kTodoNotes, row, task.notes);
    todo.setCell(kTodoDone, row, u"No"_s);
    keepCopy();
    const FileResult r = SaveGridFile(todo, path);
    return r ? QString() : r.message;
}

QString SyncOutside(const QString &folder, const Clock &clock, QString *done)
{
    SettingsStore settings;
    const SyncSettings s = SyncSettings::read(settings);
    if (!s.configured())
        return u"no sync server is set: enter one in Options, on the Sync page"_s;
    const PasswordLookup password = LookUpSyncPassword(s);
    if (!password.found)
        return password.noKeyring ? password.why + u" Set PasswordCommand in the [Sync] settings to sync from a terminal."_s
                                  : password.why;
    FileSyncTables tables(folder, clock);
    if (const QString why = tables.load(s.completedLog && !s.todoCalendar.isEmpty()); !why.isEmpty())
        return why;
    SyncMapping m;
    m.formats = localFormats(clock);
    m.alarmLeadMinutes = Options::read(settings, folder).alarmMin;
    m.today = clock.today();
    m.stamp = clock.now();
    const SyncResult r = SyncOnce(folder, s, password.password, tables, m);
    if (!r.ok)
        return r.error;
    if (done)
        *done = SyncDoneText(r);
    return {};
}

bool WantsCommandLine(const QStringList &args)
{
    for (const QString &a : args)
        if (a == u"--agenda" || a == u"--add" || a == u"--todo" || a == u"--sync" || a == u"--help" || a == u"-h" ||
            a == u"--version" || a == u"-v" || a.startsWith(u"--format=") || a.startsWith(u"--from="))
            return true;
    return false;
}

int RunCommandLine(const CommandLine &cl, const QString &dataFolder)
{
    SystemClock clock;
    switch (cl.action) {
    case CommandLine::Action::Window:
        return 0;
    case CommandLine::Action::Error:
        err(cl.error);
        err(u"try 'morvane --help'"_s);
        return 2;
    case CommandLine::Action::Help:
        out(CommandLineHelp());
        return 0;
    case CommandLine::Action::Version:
        out(u"Morvane %1\n"_s.arg(QCoreApplication::applicationVersion()));
        return 0;
    case CommandLine::Action::Agenda:
        return agenda(cl, dataFolder, clock);
    case CommandLine::Action::Sync:
        return syncFromTerminal(dataFolder, clock);
    case CommandLine::Action::Add:
    case CommandLine::Action::Todo:
        break;
    }
    QString why;
    const std::optional<OutsideTask> task = ParseOutsideTask(cl.taskText, cl.action == CommandLine::Action::Add, &why);
    if (!task) {
        err(why);
        return 2;
    }
    // The running copy holds the files: it adds the task, so that the two
    // never write the same file.
    SingleInstance instance;
    QByteArray answer;
    switch (instance.request("add " + OutsideTaskRequest(*task), &answer)) {
    case SingleInstance::Request::Answered:
        if (answer == "ok")
            return 0;
        err(QString::fromUtf8(answer.startsWith("error: ") ? answer.mid(7) : answer));
        return 1;
    case SingleInstance::Request::TimedOut:
        err(u"the running Morvane did not answer; the task was not added"_s);
        return 1;
    case SingleInstance::Request::NotRunning:
        break;
    }
    if (const QString failed = AddOutsideTask(*task, dataFolder, clock); !failed.isEmpty()) {
        err(failed);
        return 1;
    }
    return 0;
}

}  // namespace morvane
