// Benchmarks of the task store over generated stores of 100k and 1M tasks.
// The figures that matter are ratios to BM_ReadFileFloor, measured in the
// same run, because these machines are noisy.

#include "Dataset.h"
#include "Floors.h"

#include "AlarmScan.h"
#include "CalendarRules.h"
#include "ChartCounts.h"
#include "Clock.h"

#include "GridFile.h"
#include "HolidayRules.h"
#include "IcsExport.h"
#include "IcsImport.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "SoundPlayer.h"
#include "MainWindow.h"
#include "Navigation.h"
#include "PrintSelection.h"
#include "TaskListExport.h"
#include "TaskTables.h"
#include "WebCalendarPages.h"
#include "Utility.h"

#include <benchmark/benchmark.h>
#include <libical/ical.h>

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

using namespace morvane;
using namespace morvane::bench;
using namespace Qt::StringLiterals;

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// The store of n tasks, generated once and saved as grid-n.grd.
const QString &storeFile(int n)
{
    static std::map<int, QString> files;
    auto it = files.find(n);
    if (it == files.end()) {
        const QString path = folder().filePath(QStringLiteral("grid-%1.grd").arg(n));
        if (!SaveGridFile(MakeStore(n), path).ok)
            std::abort();
        it = files.emplace(n, path).first;
    }
    return it->second;
}

void BM_ReadFileFloor(benchmark::State &state)
{
    const QString path = storeFile(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWholeAndIndexLines(path));
}

void BM_LoadGridFile(benchmark::State &state)
{
    const QString path = storeFile(int(state.range(0)));
    for (auto _ : state) {
        Grid g(kStoreCols, 2);
        if (!LoadGridFile(g, path).ok)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(g.rowCount());
    }
}

void BM_SaveGridFile(benchmark::State &state)
{
    Grid g;
    (void)LoadGridFile(g, storeFile(int(state.range(0))));
    const QString out = folder().filePath(QStringLiteral("saved.grd"));
    for (auto _ : state)
        if (!SaveGridFile(g, out).ok)
            state.SkipWithError("save failed");
}

struct LoadedStore {
    TaskFilter filter;
    std::unique_ptr<TaskStore> store;
    explicit LoadedStore(int n)
    {
        const QString path = folder().filePath(QStringLiteral("store-%1.grd").arg(n));
        QFile::remove(path);
        QFile::copy(storeFile(n), path);
        store = std::make_unique<TaskStore>(filter, path);
        if (!store->load().ok)
            std::abort();
    }
};

void BM_WriteToStore(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    Grid day = NewDayGrid();
    int k = 0;
    for (auto _ : state) {
        const int d = kFirstDay + 17 * (k++ % 400);
        s.store->readFromStore(d, day);
        const int r = FirstFreeRow(day);
        day.setCell(kDayTime, r, u"9:35 AM");
        day.setCell(kDayCategory, r, u"Work");
        day.setCell(kDayNotes, r, u"Added by the benchmark");
        day.setCell(kDayDone, r, u"No");
        day.setCell(kDayAlarm, r, u"No");
        if (!s.store->writeToStore(d, day).ok)
            state.SkipWithError("write-back failed");
    }
}

void BM_ReadFromStore(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    Grid day = NewDayGrid();
    for (auto _ : state) {
        s.store->readFromStore(kBenchDay, day);
        benchmark::DoNotOptimize(day.rowCount());
    }
    if (day.rowCount() != 11)
        state.SkipWithError("the bench day does not hold ten tasks");
}

// Next highlighted day from the first day of the store to its last: every
// task in between is done and only not-done days count, so the search walks
// the whole store and finds the last day.
void BM_NextHighlightedDay(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    Grid &g = s.store->gridForTests();
    for (int r = 1; r < g.rowCount(); ++r)
        g.setCell(kStoreDone, r, r == g.rowCount() - 1 ? u"No" : u"Yes");
    const int first = KeyDay(g.cellUtf8(kStoreKey, 1));
    const int last = KeyDay(g.cellUtf8(kStoreKey, g.rowCount() - 1));
    TaskFilter filter;
    for (auto _ : state) {
        const int found = NextHighlightedDay(g, first, Highlight{false, true}, filter);
        if (found != last)
            state.SkipWithError("the search did not reach the last day");
        benchmark::DoNotOptimize(found);
    }
}

// One minute check of a day with 50 tasks, every one with its alarm on and
// none due, so that every row is read and its time parsed.
void BM_AlarmScan(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    Grid &g = s.store->gridForTests();
    const int first = g.rowCount();
    g.setRowCount(first + 40);
    for (int i = 0; i < 40; ++i) {
        const int r = first + i;
        g.setCell(kStoreKey, r, MakeStoreKey(kBenchDay, 200 + i));
        g.setCell(kStoreTime, r, QStringLiteral("%1:%2 PM").arg(1 + i / 6).arg(i % 6 * 10, 2, 10, QChar(u'0')));
        g.setCell(kStoreCategory, r, u"Work");
        g.setCell(kStoreNotes, r, u"Added by the benchmark");
        g.setCell(kStoreDone, r, u"No");
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    int onDay = 0;
    for (int r = FirstRowOnOrAfter(g, kBenchDay); r < g.rowCount() && KeyDay(g.cellUtf8(kStoreKey, r)) == kBenchDay;
         ++r, ++onDay)
        g.setCell(kStoreAlarm, r, u"Yes");
    if (onDay != 50)
        state.SkipWithError("the day does not hold 50 tasks");
    const FormatSettings fs = FormatSettings::enUS();
    const QDateTime at(DateOfDay(kBenchDay), QTime(23, 58, 30));
    const DailyAlarms daily;
    AlarmWatch primed;
    (void)primed.check(at.addSecs(-60), g, daily, AlarmSettings{}, fs);  // past the catch-up
    for (auto _ : state) {
        AlarmWatch watch = primed;
        const auto raised = watch.check(at, g, daily, AlarmSettings{}, fs);
        if (raised)
            state.SkipWithError("an alarm was due");
        benchmark::DoNotOptimize(raised);
    }
}

// The twelve-month view's colouring: every day of a year, as the main
// window's rule classifies it.
void BM_ColorYear(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    const QDate start = DateOfDay(kBenchDay);
    const QDate first(start.year(), 1, 1), last(start.year(), 12, 31);
    TaskFilter filter;
    const CalendarColours colours;
    for (auto _ : state) {
        int coloured = 0;
        for (QDate d = first; d <= last; d = d.addDays(1))
            coloured += ClassifyDay(d, start, colours, s.store->grid(), filter, [](const QDate &) { return false; }) !=
                        DayLook::Plain;
        benchmark::DoNotOptimize(coloured);
    }
}

// What the four calendars ask when both done and not-done colours are on:
// not-done first, then done, for every day of four months.
void BM_ColorFourMonths(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    const QDate start = DateOfDay(kBenchDay).addDays(-10);
    const int first = DayNumber(QDate(start.year(), start.month(), 1));
    const int last = DayNumber(QDate(start.year(), start.month(), 1).addMonths(4)) - 1;
    TaskFilter filter;
    for (auto _ : state) {
        int coloured = 0;
        for (int d = first; d <= last; ++d) {
            int row = 0;
            if (DayDoneState(s.store->gridForTests(), d, false, true, &row, filter) == 2
                || DayDoneState(s.store->gridForTests(), d, true, false, &row, filter) == 1)
                ++coloured;
        }
        benchmark::DoNotOptimize(coloured);
    }
}

// A holiday table of 60 rules: a third each of fixed days, floating
// weekdays and one-time dates, spread over the year.
Grid holidayTable(const FormatSettings &fs)
{
    Grid g = NewHolidayGrid();
    g.setRowCount(61);
    static const char *const kNth[] = {"First", "Second", "Third", "Fourth", "Last"};
    for (int i = 0; i < 60; ++i) {
        const int month = i % 12 + 1;
        QString rule;
        switch (i % 3) {
        case 0: rule = QString::number(i % 28 + 1); break;
        case 1: rule = QString::fromLatin1(kNth[i % 5]) + u" : "_s + fs.longDayNames[std::size_t(i % 7)]; break;
        default: rule = QDate(2020 + i % 10, month, i % 28 + 1).toString(u"yyyyMMdd"_s); break;
        }
        WriteHolidayRow(g, i + 1, u"Holiday %1"_s.arg(i), fs.longMonthNames[std::size_t(month - 1)], rule, fs);
    }
    return g;
}

// What the four calendars ask: the holiday of every day of four months.
void BM_HolidayNameForDate(benchmark::State &state)
{
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    const HolidayIndex index(holidayTable(fs), fs);
    const QDate first(2026, 11, 1), last = first.addMonths(4);
    for (auto _ : state) {
        int named = 0;
        for (QDate d = first; d < last; d = d.addDays(1))
            named += index.nameFor(d).isEmpty() ? 0 : 1;
        benchmark::DoNotOptimize(named);
    }
}

// The same by reading the table for every day, for comparison.
void BM_HolidayNameForDateScan(benchmark::State &state)
{
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    const Grid table = holidayTable(fs);
    const QDate first(2026, 11, 1), last = first.addMonths(4);
    for (auto _ : state) {
        int named = 0;
        for (QDate d = first; d < last; d = d.addDays(1))
            named += HolidayNameForDate(table, d, fs).isEmpty() ? 0 : 1;
        benchmark::DoNotOptimize(named);
    }
}

// Export of the daily tasks: the whole store, no range, no filter, as the
// export command writes it: the combined list read from the store and
// written to a file.
template <class Save> void exportStore(benchmark::State &state, const char *name, Save save)
{
    LoadedStore s(int(state.range(0)));
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    const TaskFilter filter;
    const QString out = folder().filePath(QString::fromLatin1(name));
    PrintRange all;
    all.mode = PrintRange::Mode::Export;
    for (auto _ : state) {
        const CombinedList list(s.store->grid(), all, filter, fs);
        if (list.rowCount() != state.range(0) + 1)
            state.SkipWithError("the list does not hold every task");
        if (!save(list, out).ok)
            state.SkipWithError("export failed");
    }
}

void BM_ExportCsv(benchmark::State &state)
{
    exportStore(state, "tasks.txt", [](const CombinedList &list, const QString &path) {
        return SaveTaskListCsv(list, path);
    });
}

void BM_ExportHtml(benchmark::State &state)
{
    exportStore(state, "tasks.htm", [](const CombinedList &list, const QString &path) {
        return SaveTaskListHtml(list, QColor(0xD4, 0xD0, 0xC8), path);
    });
}

// The iCalendar export of the whole store, as the command writes it: every
// task an event, built and written by libical, saved atomically.
// The export's options as a person's would be, with a fixed stamp.
IcsExportOptions benchExportOptions()
{
    IcsExportOptions o;
    o.formats = fix2000(FormatSettings::enUS());
    o.alarmLeadMinutes = 15;
    o.stamp = QDateTime(DateOfDay(kBenchDay), QTime(12, 0), Qt::UTC);
    return o;
}

// The export of the store of n tasks: what the import cases and libical's
// floors read.
QByteArray icsExportOf(int n)
{
    return ExportIcs(LoadedStore(n).store->grid(), NewTodoGrid(), nullptr, benchExportOptions());
}

void BM_ExportIcs(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    const Grid todo = NewTodoGrid();
    const IcsExportOptions o = benchExportOptions();
    const QString out = folder().filePath(u"morvane.ics"_s);
    for (auto _ : state)
        if (!ExportIcsFile(out, s.store->grid(), todo, nullptr, o).ok)
            state.SkipWithError("export failed");
}

// The export's text alone, made in memory as libical's write floor makes
// its own: the conversion without the durable write of the file.
void BM_ExportIcsText(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    const Grid todo = NewTodoGrid();
    const IcsExportOptions o = benchExportOptions();
    for (auto _ : state) {
        const QByteArray text = ExportIcs(s.store->grid(), todo, nullptr, o);
        benchmark::DoNotOptimize(text.constData());
    }
}

// The import's reading and planning alone, from text in memory as libical's
// read floor reads it: the conversion without adding to the store and saving it.
void BM_ImportIcsPlan(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QByteArray ics = icsExportOf(n);
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    const QDate from = DateOfDay(kFirstDay), to = DateOfDay(kFirstDay + kDays);
    const Grid store = NewStoreGrid(), todo = NewTodoGrid();
    for (auto _ : state) {
        const IcsImportPlan plan = PlanIcsImport(ics, store, todo, from, to, fs);
        if (!plan.ok || plan.taskCount() != std::min(n, kMaxIcsImportTasks))
            state.SkipWithError("the plan does not hold every task");
        benchmark::DoNotOptimize(plan.dated.data());
    }
}

// That export imported into an empty store: the file read by libical, every
// event turned into a task, the tasks added, sorted and saved. Of a million
// events the first 100,000 are added, as one import adds no more.
void BM_ImportIcs(benchmark::State &state)
{
    const int n = int(state.range(0));
    IcsExportOptions o;
    o.formats = fix2000(FormatSettings::enUS());
    o.stamp = QDateTime(DateOfDay(kBenchDay), QTime(12, 0), Qt::UTC);
    const QByteArray ics = ExportIcs(LoadedStore(n).store->grid(), NewTodoGrid(), nullptr, o);
    const QDate from = DateOfDay(kFirstDay), to = DateOfDay(kFirstDay + kDays);
    const QString path = folder().filePath(u"imported.grd"_s);
    const TaskFilter filter;
    for (auto _ : state) {
        TaskStore store(filter, path);
        Grid todo = NewTodoGrid();
        const IcsImportPlan plan = PlanIcsImport(ics, store.grid(), todo, from, to, o.formats);
        // One import adds at most kMaxIcsImportTasks: of a million, the first.
        if (!plan.ok || plan.taskCount() != std::min(n, kMaxIcsImportTasks) || plan.full != (n > kMaxIcsImportTasks))
            state.SkipWithError("the plan does not hold every task it may");
        if (!ApplyIcsImport(plan, store, todo).ok)
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(store.grid().rowCount());
    }
}

// Files that try to make the import slow, each planned as the command plans
// it: one event whose description is a single line of `MiB` mebibytes; fifty
// events repeating every second; a rule whose parts multiply into an
// occurrence every second of the year; and components nested 20,000 deep,
// which must be refused at once.
QByteArray hostileCalendar(QByteArrayView body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n" + body.toByteArray() + "END:VCALENDAR\r\n";
}

void planHostile(benchmark::State &state, const QByteArray &ics, bool refused)
{
    const Grid store = NewStoreGrid(), todo = NewTodoGrid();
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    const QDate today = DateOfDay(kBenchDay);
    const auto [from, to] = DefaultIcsImportRange(today);
    for (auto _ : state) {
        const IcsImportPlan plan = PlanIcsImport(ics, store, todo, from, to, fs);
        if (plan.ok == refused)
            state.SkipWithError(refused ? "the file was not refused" : "the file was refused");
        benchmark::DoNotOptimize(plan.dated.data());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * ics.size());
}

void BM_ImportIcsHugeLine(benchmark::State &state)
{
    QByteArray line = "DESCRIPTION:";
    line += QByteArray(qsizetype(state.range(0)) << 20, 'x');
    planHostile(state,
                hostileCalendar("BEGIN:VEVENT\r\nUID:huge@bench\r\nDTSTART:" +
                                DateOfDay(kBenchDay).toString(u"yyyyMMdd").toLatin1() + "T090000\r\nSUMMARY:Huge\r\n" +
                                line + "\r\nEND:VEVENT\r\n"),
                false);
}

void BM_ImportIcsSecondlyRules(benchmark::State &state)
{
    QByteArray body;
    for (int i = 0; i < 50; ++i)
        body += "BEGIN:VEVENT\r\nUID:tick-" + QByteArray::number(i) + "@bench\r\nDTSTART:" +
                DateOfDay(kBenchDay).toString(u"yyyyMMdd").toLatin1() +
                "T090000\r\nRRULE:FREQ=SECONDLY\r\nSUMMARY:Tick\r\nEND:VEVENT\r\n";
    planHostile(state, hostileCalendar(body), false);
}

void BM_ImportIcsManyRuleParts(benchmark::State &state)
{
    auto list = [](int first, int last) {
        QByteArray out;
        for (int i = first; i <= last; ++i)
            out += (out.isEmpty() ? "" : ",") + QByteArray::number(i);
        return out;
    };
    const QByteArray rule = "RRULE:FREQ=YEARLY;BYWEEKNO=" + list(1, 53) + ";BYDAY=MO,TU,WE,TH,FR,SA,SU;BYHOUR=" +
                            list(0, 23) + ";BYMINUTE=" + list(0, 59) + ";BYSECOND=" + list(0, 59);
    // Begun in December, where libical took 70 us an occurrence of it.
    planHostile(state,
                hostileCalendar("BEGIN:VEVENT\r\nUID:many@bench\r\nDTSTART:" +
                                DateOfDay(kBenchDay - 22).toString(u"yyyyMMdd").toLatin1() + "T090000\r\n" + rule +
                                "\r\nSUMMARY:Many parts\r\nEND:VEVENT\r\n"),
                false);
}

void BM_ImportIcsDeepNesting(benchmark::State &state)
{
    QByteArray body;
    for (int i = 0; i < state.range(0); ++i)
        body += "BEGIN:VEVENT\r\n";
    for (int i = 0; i < state.range(0); ++i)
        body += "END:VEVENT\r\n";
    planHostile(state, hostileCalendar(body), true);
}

// What libical alone takes for that export, the floor of any reader or
// writer built on it: reading the whole file into components, and writing
// those components back out as text.
void BM_IcsLibicalReadFloor(benchmark::State &state)
{
    const QByteArray ics = icsExportOf(int(state.range(0)));
    for (auto _ : state) {
        icalcomponent *c = icalparser_parse_string(ics.constData());
        if (!c || icalcomponent_count_components(c, ICAL_VEVENT_COMPONENT) != state.range(0))
            state.SkipWithError("libical did not read every event");
        icalcomponent_free(c);
    }
}

void BM_IcsLibicalWriteFloor(benchmark::State &state)
{
    const QByteArray ics = icsExportOf(int(state.range(0)));
    icalcomponent *c = icalparser_parse_string(ics.constData());
    for (auto _ : state) {
        char *text = icalcomponent_as_ical_string_r(c);
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
    icalcomponent_free(c);
}

// A year set of web pages: the index and twelve month pages with the
// details table and the texts within the days, holidays named, written to a
// folder.
void BM_PublishYear(benchmark::State &state)
{
    LoadedStore s(int(state.range(0)));
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    const HolidayIndex holidays(holidayTable(fs), fs);
    const TaskFilter filter;
    QTemporaryDir out;
    WebPublishRequest req;
    req.wholeYear = true;
    req.folder = out.path();
    req.settings.month = DateOfDay(kBenchDay);
    req.settings.details = true;
    req.settings.withinDay = true;
    req.settings.alarmColumn = true;
    req.settings.doneColumn = true;
    StoreWebContent content(s.store->grid(), filter, [&](const QDate &d) { return holidays.nameFor(d); });
    for (auto _ : state) {
        const WebPublishResult r = PublishWebCalendar(req, content.content(), fs);
        if (!r.ok || r.written.size() != 13)
            state.SkipWithError("publishing failed");
    }
}

// Runs the event loop until `done`; false when that took longer than any
// start may (the case then reports an error instead of waiting for ever).
template <class Done> bool processEventsUntil(Done done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 20000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Notes the first paint event of the object it watches.
class PaintSpy : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, e);
    }
};

// The floor of the start in this process: a main window holding an empty
// table view, as large as the program's window, shown until the table
// paints.
void BM_EmptyWindowFloor(benchmark::State &state)
{
    for (auto _ : state) {
        QMainWindow w;
        PaintSpy spy;
        MakeEmptyTableWindow(w)->viewport()->installEventFilter(&spy);
        w.show();
        if (!processEventsUntil([&] { return spy.painted; })) {
            state.SkipWithError("the window did not paint within 20 s");
            break;
        }
    }
}

// Stops the clock at the event that completes the window's first paint:
// what the event loop does after it (the tray icon, the completed tasks) is
// not part of the start. Installed before the window, so that it sees each
// event after the window's own filter.
class FirstPaintClock : public QObject {
public:
    explicit FirstPaintClock(benchmark::State &state) : state_(state) {}
    const TfrmMain *window = nullptr;
    bool stopped = false;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (!stopped && window && e->type() == QEvent::Paint && window->firstPaintDone()) {
            state_.PauseTiming();
            stopped = true;
        }
        return QObject::eventFilter(watched, e);
    }

private:
    benchmark::State &state_;
};

// The main window on an N-task data folder, created offscreen and shown,
// until its calendars and day list have painted once. Its figure sits beside
// BM_EmptyWindowFloor + BM_ReadFileFloor of the same N.
void BM_StartupToFirstShow(benchmark::State &state)
{
    const int n = int(state.range(0));
    QTemporaryDir dir;
    QFile::copy(storeFile(n), dir.filePath(u"grid.grd"_s));
    QFile todo(dir.filePath(u"gridNon.grd"_s));
    todo.open(QIODevice::WriteOnly);
    todo.write("3,2\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n");
    todo.close();
    QTemporaryDir config;
    SettingsStore settings(config.filePath(u"Task.conf"_s));
    // A day of the generated years, with ten tasks.
    FixedClock clock(QDateTime(DateOfDay(kBenchDay), QTime(9, 0)));
    // As after a run that checked the alarms up to now, so that every start
    // paints the day rather than the first one an alarm panel over it.
    WriteAlarmChecked(settings, clock.now());
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    RecordingSoundPlayer sound;
    for (auto _ : state) {
        FirstPaintClock paintClock(state);
        qApp->installEventFilter(&paintClock);
        TfrmMain w({clock, prompts, runner, settings, sound, dir.path(), u"/x/morvane"_s, QDate()});
        paintClock.window = &w;
        w.show();
        const bool painted = processEventsUntil([&] { return w.firstPaintDone(); });

        // The rest of the store's load, which the first paint no longer
        // waits for, is not part of the start; taking the window down is,
        // as before.
        (void)w.store();
        if (paintClock.stopped)
            state.ResumeTiming();
        if (!painted) {
            state.SkipWithError("the window did not paint its day within 20 s");
            break;
        }
        benchmark::DoNotOptimize(w.gridDay().rowCount());
    }
}

// The first look of a start: the rows of the days the first paint and the
// first alarm check read, straight from the task file, while the whole load
// is held back.
void BM_FirstLook(benchmark::State &state)
{
    const QString path = storeFile(int(state.range(0)));
    const TaskFilter filter;
    const auto [from, to] = TfrmMain::firstLookDays(DateOfDay(kBenchDay));
    for (auto _ : state) {
        TaskStore store(filter, path);
        store.startLoad({}, true);
        if (!store.showFirstLook(from, to)) {
            state.SkipWithError("the first look gave nothing");
            break;
        }
        benchmark::DoNotOptimize(store.firstLook().rowCount());
    }
}

// One plot of the chart over the whole store, no filter: the counting only,
// no series or widgets.
void BM_PlotReadings(benchmark::State &state)
{
    const Grid store = MakeStore(int(state.range(0)));
    const TaskFilter filter;
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    const ChartRange whole{kFirstDay, kFirstDay + kDays};
    for (auto _ : state) {
        const ChartReadings r = PlotReadings(store, filter, whole, fs);
        if (r.tasks != state.range(0))
            state.SkipWithError("not every task was counted");
        benchmark::DoNotOptimize(r.dayDone.data());
    }
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_ReadFileFloor)->Apply(sizes);
BENCHMARK(BM_LoadGridFile)->Apply(sizes);
BENCHMARK(BM_SaveGridFile)->Apply(sizes);
BENCHMARK(BM_WriteToStore)->Apply(sizes);
BENCHMARK(BM_ReadFromStore)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextHighlightedDay)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlarmScan)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColorYear)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorFourMonths)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HolidayNameForDate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmptyWindowFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstShow)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLook)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HolidayNameForDateScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportCsv)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportHtml)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PublishYear)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlotReadings)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportIcs)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcs)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsHugeLine)->Arg(8)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsSecondlyRules)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsManyRuleParts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsDeepNesting)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportIcsText)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsPlan)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcsLibicalReadFloor)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcsLibicalWriteFloor)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
