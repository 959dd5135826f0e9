// Saves pictures of the program's dialogs, for looking at them while they
// are built: morvane_shots OUTDIR. Run it under Xvfb (scripts/shots) so that
// it uses the same fonts and style as the program.

#include "BuiltInHolidays.h"
#include "ColorPicker.h"
#include "GridFile.h"
#include "HolidayImport.h"
#include "HolidayRules.h"
#include "HolidayEditor.h"
#include "HolidaysWindow.h"
#include "HolidayImportDialog.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "SoundPlayer.h"
#include "ColorDialog.h"
#include "DailyAlarmsDialog.h"
#include "RecurrenceDialog.h"
#include "TimeBarDialog.h"
#include "PickListDialog.h"
#include "MainWindow.h"
#include "CompletedTasksWindow.h"
#include "FilterDialog.h"
#include "FindDialog.h"
#include "MonthCalendar.h"
#include <QCheckBox>
#include <QPushButton>
#include <QLineEdit>
#include <QListWidget>
#include "SpellCheckDialog.h"
#include "SpellChecker.h"
#include "TaskEditor.h"
#include "RescheduleDialog.h"
#include "OptionsDialog.h"
#include "PrintRangeDialog.h"
#include "WebCalendarDialog.h"
#include "ChartWindow.h"
#include "DateRangeDialog.h"
#include "IcsExport.h"
#include "IcsImportDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QDir>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QDateEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>

using namespace morvane;

namespace {

// Two years of a busy person's tasks (about 3,000): a dozen categories, more
// on weekdays and in office hours, about a third done.
Grid chartShotStore()
{
    const char *const categories[] = {"Work", "Home", "Garden", "Doctor", "Birthday", "Car",
                                      "Bills", "School", "Church", "Travel", "Club", ""};
    Grid g = NewStoreGrid();
    quint32 seed = 20261209u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int row = 0;
    for (QDate d(2025, 1, 1); d <= QDate(2026, 12, 9); d = d.addDays(1)) {
        const bool weekday = d.dayOfWeek() <= 5;
        const int n = int(next() % (weekday ? 7 : 3));
        for (int i = 0; i < n; ++i) {
            g.setRowCount(++row + 1);
            const int minutes = weekday && next() % 3 ? 8 * 60 + int(next() % 120) * 5 : int(next() % 288) * 5;
            const int h = minutes / 60, m = minutes % 60;
            g.setCell(kStoreKey, row, MakeStoreKey(DayNumber(d), 101 + i));
            g.setCell(kStoreTime, row, QStringLiteral("%1:%2 %3").arg(h % 12 == 0 ? 12 : h % 12)
                                           .arg(m, 2, 10, QChar(u'0')).arg(h < 12 ? "AM" : "PM"));
            const quint32 c = next() % 40;
            g.setCell(kStoreCategory, row, QString::fromLatin1(categories[c < 12 ? 0 : c < 20 ? 1 : c % 12]));
            g.setCell(kStoreNotes, row, QStringLiteral("Task %1").arg(row));
            g.setCell(kStoreDone, row, YesNo(next() % 3 == 0));
            g.setCell(kStoreAlarm, row, YesNo(false));
        }
    }
    g.sortRows(1, g.rowCount(), StoreRowLess);
    return g;
}

// Every page of the chart, the list sorted by a count, the hints, a frame of
// the opening turn and the range dialog in its three modes.
void chartShots(const QString &out, const FormatSettings &fs, Prompts &prompts, QTemporaryDir &tmp)
{
    const Grid store = chartShotStore();
    SettingsStore settings(tmp.filePath(QStringLiteral("Chart.conf")));
    WriteChartRange(settings, {DayNumber(QDate(2025, 1, 1)), DayNumber(QDate(2026, 12, 9))});
    settings.write(kAnimateSetting, false);
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    TaskFilter filter;
    ScriptedRunner runner;
    TfrmChart chart({store, filter, fs, clock, settings, prompts, runner});
    chart.show();
    QApplication::processEvents();
    const char *const names[] = {"week", "hour", "day", "top10", "list"};
    for (int i = 0; i < 5; ++i) {
        chart.PageControl1->setCurrentIndex(i);
        QApplication::processEvents();
        chart.grab().save(QStringLiteral("%1/chart-%2-%3.png").arg(out).arg(i + 1).arg(names[i]));
    }
    chart.gridCatHeaderClick(3);  // ascending on the first click,
    chart.gridCatHeaderClick(3);  // the biggest totals first on the second
    QApplication::processEvents();
    chart.grab().save(QStringLiteral("%1/chart-list-by-total.png").arg(out));

    chart.PageControl1->setCurrentIndex(1);
    chart.sbTime->setValue(40);
    chart.btHintClick();
    QApplication::processEvents();
    chart.grab().save(QStringLiteral("%1/chart-hour-depth-hints.png").arg(out));
    chart.btOKClick();

    // One month, day by day.
    chart.setRange({DayNumber(QDate(2026, 11, 1)), DayNumber(QDate(2026, 11, 30))});
    chart.btPlotClick();
    chart.PageControl1->setCurrentIndex(2);
    QApplication::processEvents();
    chart.grab().save(QStringLiteral("%1/chart-day-daily.png").arg(out));

    chart.cbAnimate->setChecked(true);
    chart.PageControl1->setCurrentIndex(0);
    for (int i = 0; i < 8; ++i)
        chart.Timer1Timer();
    QApplication::processEvents();
    chart.grab().save(QStringLiteral("%1/chart-turning.png").arg(out));
    for (int i = 0; i < 20; ++i)
        chart.Timer1Timer();

    for (int row : {RangeChoice::Between, RangeChoice::Months, RangeChoice::Days}) {
        runner.responders.append([&, row](QDialog &d) {
            auto &dlg = dynamic_cast<TfrmSelectDateRange &>(d);
            dlg.setChoice({row, 3, 45});
            dlg.show();
            dlg.rbDaysClick();
            QApplication::processEvents();
            dlg.grab().save(QStringLiteral("%1/chart-range-%2.png").arg(out).arg(row + 1));
            dlg.hide();
            return int(QDialog::Rejected);
        });
        chart.btDateRangeClick();
    }
    chart.hide();
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = app.arguments().value(1, QStringLiteral("shots"));
    QDir().mkpath(out);
    QTemporaryDir tmp;
    SettingsStore settings(tmp.filePath(QStringLiteral("Task.conf")));
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    RecordingSoundPlayer sound;

    TfrmOptions options({settings, prompts, runner, sound, tmp.path(), QStringLiteral("/usr/bin/morvane"),
                         [] { return QDate(2026, 12, 9); }},
                        {});
    options.show();
    for (int i = 0; i < options.pages->count(); ++i) {
        options.pages->setCurrentIndex(i);
        QApplication::processEvents();
        options.grab().save(QStringLiteral("%1/options-%2.png").arg(out).arg(i + 1));
    }

    for (bool month : {false, true}) {
        TfrmColor color(QDate(2026, 12, 9));
        color.setWindowTitle(month ? QStringLiteral("Set color for Current Month")
                                   : QStringLiteral("Set color for DONE tasks"));
        color.monthMode = month;
        color.cbFG->setSelected(0);
        color.cbBG->setSelected(month ? 0x00FF00 : 0xFFFF00);
        color.show();
        QApplication::processEvents();
        color.grab().save(QStringLiteral("%1/color-%2.png").arg(out).arg(month ? "month" : "days"));
    }
    // The Holidays window with holidays of three countries, its editor and
    // the import dialog.
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    Grid holidays = NewHolidayGrid();
    for (int country : {9, 19, 22})
        for (const HolidayStructure &h : BuiltInHolidays)
            if (h.country == country)
                addToGrid(holidays, 1, h, fs);
    (void)SaveGridFile(holidays, tmp.filePath(QStringLiteral("holiday.grd")));
    TfrmHoliday frmHoliday({prompts, runner, fs, tmp.path(), [] { return QDate(2026, 12, 9); },
                            [] { return true; }, {}});
    frmHoliday.show();
    frmHoliday.setCurrentRow(3);
    QApplication::processEvents();
    frmHoliday.grab().save(QStringLiteral("%1/holidays.png").arg(out));

    TfrmEditHoliday editNew(fs, QDate(2026, 12, 9), prompts);
    editNew.show();
    QApplication::processEvents();
    editNew.grab().save(QStringLiteral("%1/holiday-edit-new.png").arg(out));
    TfrmEditHoliday edit(fs, QDate(2026, 12, 9), prompts);
    edit.presetFromRow(holidays, 3);
    edit.show();
    QApplication::processEvents();
    edit.grab().save(QStringLiteral("%1/holiday-edit.png").arg(out));

    TfrmImport import(fs, tmp.filePath(QStringLiteral("holiday.grd")), prompts);
    import.show();
    import.lbCountries->setCurrentRow(9);
    import.lbDays->topLevelItem(5)->setSelected(true);
    import.lbDays->topLevelItem(6)->setSelected(true);
    QApplication::processEvents();
    import.grab().save(QStringLiteral("%1/holiday-import.png").arg(out));
    // The editing dialogs.
    {
        SystemClock clock;
        for (bool twelve : {true, false}) {
            FormatSettings tfs = fs;
            if (!twelve)
                tfs.shortTimeFormat = QStringLiteral("hh:mm");
            TfrmTimePopup bar(tfs, clock);
            bar.settime(TimeValue(10, 30));
            bar.show();
            bar.rulerPress(212);
            QApplication::processEvents();
            bar.grab().save(QStringLiteral("%1/timebar-%2.png").arg(out, twelve ? "12" : "24"));
            bar.rulerRelease();
        }
        TfrmReschedule resch(fs, clock);
        resch.setDate(QDate::currentDate().addDays(3));
        resch.show();
        QApplication::processEvents();
        resch.grab().save(QStringLiteral("%1/reschedule.png").arg(out));
        TfrmListBox list(prompts);
        list.setWindowTitle(QStringLiteral("Edit Category Choices"));
        list.setItems({QStringLiteral("Work"), QStringLiteral("Home"), QStringLiteral("Doctor"), QStringLiteral("bills")});
        list.show();
        QApplication::processEvents();
        list.grab().save(QStringLiteral("%1/picklist.png").arg(out));

        // The daily alarms on a 12-hour and a 24-hour clock, a few rows set.
        for (bool twelve : {true, false}) {
            const FormatSettings dfs =
                twelve ? fs : fix2000(FormatSettings::fromLocale(QLocale(QLocale::German, QLocale::Germany), 2026));
            DailyAlarms daily;
            daily.alarms[0] = {true, 7, 0, QStringLiteral("Take the pills"), {true, true, true, true, true, true, true}};
            daily.alarms[1] = {true, 17, 30, QStringLiteral("Leave the office"), {false, true, true, true, true, true, false}};
            daily.alarms[3] = {false, 20, 15, QStringLiteral("Call home"), {true, false, false, false, false, false, false}};
            daily.alarms[4] = {true, 0, 0, QStringLiteral("Lock up"), {true, true, true, true, true, true, true}, true};
            SettingsStore dailySettings(tmp.filePath(QStringLiteral("Daily.conf")));
            TfrmDailyTimer dlg({daily, dailySettings, prompts, runner, dfs, clock, true,
                                QFont(QStringLiteral("Times New Roman"), 20)});
            dlg.show();
            QApplication::processEvents();
            dlg.grab().save(QStringLiteral("%1/daily-alarms-%2.png").arg(out, twelve ? "12" : "24"));
        }

        TaskFilter filter;
        TaskStore store(filter, tmp.filePath(QStringLiteral("grid.grd")));
        TfrmRecur recur(store, prompts, fs, clock);
        recur.init(QStringLiteral("7:30 PM"), QStringLiteral("Club"), QStringLiteral("Choir practice"), QStringLiteral("No"));
        recur.startDate = QDate::currentDate();
        recur.show();
        recur.cbNth[1]->setChecked(true);
        recur.cbNth[4]->setChecked(true);
        recur.cbWofMDay[2]->setChecked(true);
        recur.cbWeekDay[1]->setChecked(true);
        recur.cbWeekDay[3]->setChecked(true);
        for (int day : {1, 15, 31})
            recur.toggleDay(day);
        QRadioButton *patterns[] = {recur.rbWofM, recur.rbDofM, recur.rbWeekly, recur.rbDaily, recur.rbAnnual};
        for (int i = 0; i < 5; ++i) {
            patterns[i]->setChecked(true);
            recur.date2->setDate(QDate::currentDate().addDays(i == 4 ? 3000 : 90));
            recur.btPreviewClick();
            QApplication::processEvents();
            recur.grab().save(QStringLiteral("%1/recur-%2.png").arg(out).arg(i + 1));
        }
    }

    chartShots(out, fs, prompts, tmp);

    // The main window on a data folder (scripts/sample-data), with a day of
    // several tasks selected and a two-line note in the pane.
    const QString sample = app.arguments().value(2);
    if (!sample.isEmpty()) {
        SystemClock clock;
        SettingsStore mainSettings(tmp.filePath(QStringLiteral("Main.conf")));
        mainSettings.writeText("Options", "PlayAlarm", QStringLiteral("0"));  // no alarm over the pictures
        TfrmMain frmMain({clock, prompts, runner, mainSettings, sound, sample, QStringLiteral("/usr/bin/morvane"),
                          QDate::currentDate()});
        frmMain.resize(900, 620);
        frmMain.show();
        frmMain.Timer2Timer();
        // The first day from today with three or more tasks and a long note.
        for (int i = 0; i < 60; ++i) {
            frmMain.calendar(frmMain.currentCalendar())->setDate(QDate::currentDate().addDays(i));
            bool twoLines = false;
            for (int r = 1; r < frmMain.gridDay().rowCount(); ++r)
                if (frmMain.gridDay().cell(2, r).contains(QStringLiteral("\r\n"))) {
                    twoLines = true;
                    frmMain.selectDayRow(r);
                }
            if (twoLines && frmMain.gridDay().rowCount() > 3)
                break;
        }
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/main-day.png").arg(out));
        // The Edit menu open after a delete, naming the step it takes back
        // (a menu is a window of its own: the screen is grabbed).
        {
            prompts.answers = {0, 1};  // Really delete? Yes; any repeats stay
            frmMain.btDelClick(TfrmMain::Sender::tbDel1);
            QMenu *edit = frmMain.findChild<QMenu *>(QStringLiteral("Edit1"));
            frmMain.menuBar()->setActiveAction(edit->menuAction());
            QApplication::processEvents();
            QGuiApplication::primaryScreen()->grabWindow(0).save(QStringLiteral("%1/main-edit-menu.png").arg(out));
            edit->hide();
            prompts.answers.clear();
        }
        // The day list and the to-do list printed to PDF.
        for (const QString &name : {QStringLiteral("print-day-list"), QStringLiteral("print-todo-list")}) {
            runner.responders.append([&](QDialog &d) {
                auto &dialog = dynamic_cast<QPrintDialog &>(d);
                dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
                dialog.printer()->setOutputFileName(QStringLiteral("%1/%2.pdf").arg(out, name));
                return int(QDialog::Accepted);
            });
            if (name.contains(QStringLiteral("day")))
                frmMain.Print3Click();
            else
                frmMain.Print2Click();
        }
        // The range dialog in its three modes; the combined list of a month
        // printed; the publisher dialog; a month and its year published.
        for (auto [mode, name] : {std::pair{TfrmPrint::Mode::Print, "print"}, std::pair{TfrmPrint::Mode::Export, "export"}}) {
            TfrmPrint *range = frmMain.frmPrint();
            range->mode = mode;
            range->show();
            range->rbDateClick();
            QApplication::processEvents();
            range->grab().save(QStringLiteral("%1/range-%2.png").arg(out, QLatin1String(name)));
            range->hide();
        }
        // Clear as the command opens it; No at its question removes nothing.
        runner.responders.append([&](QDialog &d) {
            d.show();
            QApplication::processEvents();
            d.grab().save(QStringLiteral("%1/range-clear.png").arg(out));
            d.hide();
            return int(QDialog::Accepted);
        });
        prompts.answers.append(1);
        frmMain.ClearAll1Click();
        runner.responders.append([](QDialog &d) {
            auto &range = dynamic_cast<TfrmPrint &>(d);
            range.rbDate->setChecked(true);
            range.dt1->setDate(QDate::currentDate());
            range.dt2->setDate(QDate::currentDate().addDays(30));
            return int(QDialog::Accepted);
        });
        runner.responders.append([&](QDialog &d) {
            auto &dialog = dynamic_cast<QPrintDialog &>(d);
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(QStringLiteral("%1/print-combined.pdf").arg(out));
            return int(QDialog::Accepted);
        });
        frmMain.Print1Click();
        // Task text that must reach the browser as text.
        {
            StoredTask hostile;
            hostile.time = QStringLiteral("9:30 AM");
            hostile.category = QStringLiteral("<b>Work</b>");
            hostile.notes = QStringLiteral("<script>alert('x')</script> Café & \"quotes\"");
            frmMain.store().insertTask(DayNumber(QDate::currentDate()), hostile);
            (void)frmMain.store().SortGridStore();
        }
        runner.responders.append([&](QDialog &d) {
            auto &dialog = dynamic_cast<TfrmWebCal &>(d);
            dialog.show();
            dialog.cbWithinDay->setChecked(true);
            QApplication::processEvents();
            dialog.grab().save(QStringLiteral("%1/publish-month.png").arg(out));
            dialog.PageControl1->setCurrentIndex(1);
            dialog.rbYear->setChecked(true);
            dialog.edFolder->setText(out + QStringLiteral("/web"));
            QApplication::processEvents();
            dialog.grab().save(QStringLiteral("%1/publish-year.png").arg(out));
            dialog.PageControl1->setCurrentIndex(2);
            QApplication::processEvents();
            dialog.grab().save(QStringLiteral("%1/publish-appearance.png").arg(out));
            prompts.answers = {0};
            prompts.texts = {QStringLiteral("Our <family> & \"friends\" calendar")};
            dialog.btPublish->click();
            return dialog.result();
        });
        frmMain.Today1Click();
        frmMain.PublishCalendarasWebPage1Click();

        // The archive's messages, as the person sees them.
        auto grabBox = [&](QMessageBox::Icon icon, const QString &text, const QString &name,
                           QMessageBox::StandardButtons buttons = QMessageBox::Ok) {
            QMessageBox box(icon, QStringLiteral("Morvane"), text, buttons);
            box.show();
            QApplication::processEvents();
            box.grab().save(QStringLiteral("%1/%2.png").arg(out, name));
        };
        const QString archive = tmp.filePath(QStringLiteral("backup.arb"));
        prompts.files = {archive};
        frmMain.Archive1Click();
        grabBox(QMessageBox::Information, prompts.shown.last().text, QStringLiteral("archive-stored"));
        QFile::remove(tmp.filePath(QStringLiteral("backup.AR3")));
        prompts.answers = {0};
        prompts.files = {archive};
        frmMain.Restore1Click();
        grabBox(QMessageBox::Question, prompts.shown.value(prompts.shown.size() - 3).text,
                QStringLiteral("restore-confirm"), QMessageBox::Yes | QMessageBox::No);
        grabBox(QMessageBox::Critical, prompts.shown.last().text, QStringLiteral("restore-missing"));

        // The iCalendar import's summary, for a file in another program's style.
        const QString ics = tmp.filePath(QStringLiteral("meetings.ics"));
        {
            QFile f(ics);
            if (f.open(QIODevice::WriteOnly))
                f.write(QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Shots//EN\r\n"
                                       "BEGIN:VEVENT\r\nUID:a@x\r\nDTSTAMP:20260101T000000Z\r\n"
                                       "DTSTART:%1T093000\r\nDTEND:%1T100000\r\nRRULE:FREQ=WEEKLY;COUNT=8\r\n"
                                       "SUMMARY:Team stand-up\r\nATTENDEE:mailto:ann@example.org\r\n"
                                       "ATTACH:https://example.org/agenda.pdf\r\nEND:VEVENT\r\n"
                                       "BEGIN:VEVENT\r\nUID:b@x\r\nDTSTAMP:20260101T000000Z\r\n"
                                       "DTSTART;VALUE=DATE:%1\r\nDTEND;VALUE=DATE:%2\r\nSUMMARY:Conference\r\n"
                                       "END:VEVENT\r\nBEGIN:VTODO\r\nUID:c@x\r\nDTSTAMP:20260101T000000Z\r\n"
                                       "SUMMARY:Renew the passport\r\nEND:VTODO\r\n"
                                       "BEGIN:VEVENT\r\nUID:d@x\r\nDTSTAMP:20260101T000000Z\r\n"
                                       "DTSTART:%1T080000\r\nRRULE:FREQ=DAILY\r\nSUMMARY:Walk the dog\r\n"
                                       "LOCATION:The park\r\nCATEGORIES:Home,Health\r\nBEGIN:VALARM\r\n"
                                       "ACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
                                       "END:VCALENDAR\r\n")
                            .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")),
                                 QDate::currentDate().addDays(3).toString(QStringLiteral("yyyyMMdd")))
                            .toUtf8());
            // Two of the tasks here, as another program changed them: one
            // moved a day on, one cancelled.
            const Grid &tasks = frmMain.store().grid();
            Grid two = NewStoreGrid();
            for (int r = 1, taken = 0; r < tasks.rowCount() && taken < 2; ++r) {
                if (KeyDay(tasks.cellUtf8(kStoreKey, r)) < DayNumber(QDate::currentDate()))
                    continue;
                two.setRowCount(taken + 2);
                for (int c = 0; c < kStoreCols; ++c)
                    two.setCellUtf8(c, taken + 1, tasks.cellUtf8(c, r));
                ++taken;
            }
            QByteArray changed = ExportIcs(two, NewTodoGrid(), nullptr, IcsExportOptions{});
            const qsizetype first = changed.indexOf("DTSTART:"), second = changed.indexOf("DTSTART", first + 1);
            if (first >= 0 && second >= 0) {
                changed.insert(second, "STATUS:CANCELLED\r\n");
                const QDate day = QDate::fromString(QString::fromLatin1(changed.mid(first + 8, 8)), u"yyyyMMdd");
                changed.replace(first + 8, 8, day.addDays(1).toString(u"yyyyMMdd").toLatin1());
            }
            f.write(changed);
        }
        prompts.files = {ics};
        runner.responders.append([&](QDialog &d) {
            auto &dlg = dynamic_cast<TfrmIcsImport &>(d);
            QSignalSpy planned(&dlg, &TfrmIcsImport::workerFinished);
            if (dlg.planning())
                planned.wait();
            d.show();
            QApplication::processEvents();
            d.grab().save(QStringLiteral("%1/ics-import.png").arg(out));
            return int(QDialog::Rejected);
        });
        frmMain.ImportFromICalendar1Click();
        {
            // The same dialog while the import is still being worked out.
            QSemaphore started;
            auto held = [&started](QDate, QDate, IcsPlanControl &control) {
                control.report(420, 1000);
                started.release();
                while (!control.cancelled())
                    QThread::yieldCurrentThread();
                return IcsImportPlan{};
            };
            const FormatSettings fs = FormatSettings::enUS();
            TfrmIcsImport planning({ics, held, fs, QDate::currentDate().addYears(-1), QDate::currentDate().addYears(2)});
            started.acquire();
            planning.show();
            QApplication::processEvents();
            planning.grab().save(QStringLiteral("%1/ics-import-planning.png").arg(out));
        }
        frmMain.resize(frmMain.minimumWidth(), 420);
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/main-small.png").arg(out));

        // The task editor in its cases, grabbed while it is up.
        frmMain.resize(900, 600);
        auto grabEditor = [&](const QString &name, std::function<void(TfrmEdit &)> before = {}) {
            runner.responders.append([&, name, before](QDialog &d) {
                auto &ed = dynamic_cast<TfrmEdit &>(d);
                ed.show();
                if (before)
                    before(ed);
                QApplication::processEvents();
                ed.grab().save(QStringLiteral("%1/%2.png").arg(out, name));
                return int(QDialog::Rejected);
            });
        };
        grabEditor(QStringLiteral("editor-new-task"), [](TfrmEdit &ed) {
            QTest::keyClicks(ed.memMain, QStringLiteral("Call the garage about the brakes"));
        });
        frmMain.btAddClick(TfrmMain::Sender::tbAdd1);
        grabEditor(QStringLiteral("editor-new-todo"));
        frmMain.btAddClick(TfrmMain::Sender::tbAdd2);
        frmMain.selectDayRow(1);
        grabEditor(QStringLiteral("editor-existing"));
        frmMain.btEditClick(TfrmMain::Sender::tbEdit1);
        grabEditor(QStringLiteral("editor-long-category"), [](TfrmEdit &ed) {
            ed.setCategory(QStringLiteral("Neighbourhood association meetings"));
        });
        frmMain.btEditClick(TfrmMain::Sender::tbEdit1);
        grabEditor(QStringLiteral("editor-done"), [](TfrmEdit &ed) {
            ed.cbDone->setChecked(true);
            ed.hideTimeAndAlarm();
            ed.show();
        });
        frmMain.btEditClick(TfrmMain::Sender::tbEdit1);
        grabEditor(QStringLiteral("editor-completion"), [](TfrmEdit &ed) {
            QTest::keyClicks(ed.memComplete, QStringLiteral("Done at the second try."));
        });
        frmMain.todoView()->setCurrentIndex(frmMain.todoView()->model()->index(0, 0));
        frmMain.Markascompleted1Click(TfrmMain::Sender::tbDone2);

        // The spelling check on a misspelt note.
        if (SpellChecker::available(sample)) {
            QPlainTextEdit field;
            field.setPlainText(QStringLiteral("Pick up the dry clening before saturday."));
            SpellChecker checker(sample);
            runner.responders.append([&](QDialog &d) {
                d.show();
                QApplication::processEvents();
                d.grab().save(QStringLiteral("%1/spell-check.png").arg(out));
                return int(QDialog::Rejected);
            });
            CheckSpelling(field, checker, prompts, runner, nullptr);
        }

        // The filters, one category off.
        frmMain.frmFilter()->show();
        if (frmMain.frmFilter()->cbWhat->count() > 1)
            frmMain.frmFilter()->cbWhat->item(1)->setCheckState(Qt::Unchecked);
        QApplication::processEvents();
        frmMain.frmFilter()->grab().save(QStringLiteral("%1/filters.png").arg(out));
        frmMain.frmFilter()->hide();

        // Find, over the main window, with a task found.
        frmMain.Search1Click();
        frmMain.findDialog()->edText->setText(QStringLiteral("the"));
        frmMain.FindDialog1Find();
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/main-find.png").arg(out));
        frmMain.findDialog()->grab().save(QStringLiteral("%1/find.png").arg(out));
        frmMain.findDialog()->hide();

        // The popup summary on the first day with tasks of the current
        // calendar's month, and with the filter on, the indicators.
        {
            MonthCalendar *c = frmMain.calendar(frmMain.currentCalendar());
            for (int cell = 1; cell <= 42; ++cell) {
                frmMain.cal2MouseMove(frmMain.currentCalendar(), c->cellRect(cell).center());
                for (int i = 0; i < 10; ++i)
                    frmMain.tmPopupTimer();
                if (frmMain.popupVisible() && frmMain.popupLines().size() > 4)
                    break;
            }
            QApplication::processEvents();
            frmMain.grab().save(QStringLiteral("%1/main-popup.png").arg(out));
            frmMain.hidePopup();
        }
        runner.responders.append([](QDialog &d) {
            auto &f = dynamic_cast<TfrmFilter &>(d);
            f.cbNotDone->setChecked(false);
            f.btOK->click();
            return f.result();
        });
        frmMain.btFilterClick();
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/main-filters-on.png").arg(out));
        runner.responders.append([](QDialog &d) {
            auto &f = dynamic_cast<TfrmFilter &>(d);
            f.btOff->click();
            f.btOK->click();
            return f.result();
        });
        frmMain.btFilterClick();

        // The twelve-month view at its default size, small and large, on
        // this year with the current month in its own colour.
        frmMain.Today1Click();
        frmMain.frmOptions()->cbCurrentMonth->setChecked(true);
        frmMain.ReadSettings(false);
        for (const QSize size : {QSize(400, 336), QSize(300, 220), QSize(900, 640)}) {
            runner.responders.append([&, size](QDialog &d) {
                d.resize(size);
                d.show();
                QApplication::processEvents();
                d.grab().save(QStringLiteral("%1/year-%2.png").arg(out).arg(size.width()));
                return int(QDialog::Rejected);
            });
            frmMain.N12monthcalendar1Click();
        }
        frmMain.frmOptions()->cbCurrentMonth->setChecked(false);
        frmMain.ReadSettings(false);

        // The completed tasks, with a few rows.
        for (int i = 0; i < 4; ++i)
            (void)frmMain.frmComplete()->addCompleted(
                {QStringLiteral("12/%1/2026").arg(5 + i), QStringLiteral("9:%100 AM").arg(i), QStringLiteral("Work"),
                 QStringLiteral("Sat 12/%1/2026").arg(5 + i), QStringLiteral("Send the report number %1").arg(i + 1),
                 i % 2 ? QStringLiteral("Sent by mail") : QString()});
        frmMain.frmComplete()->resize(760, 420);
        frmMain.frmComplete()->show();
        QApplication::processEvents();
        frmMain.frmComplete()->grab().save(QStringLiteral("%1/completed-tasks.png").arg(out));
        frmMain.frmComplete()->hide();
    }
    if (!sample.isEmpty()) {
        // Large fonts.
        SystemClock clock;
        SettingsStore big(tmp.filePath(QStringLiteral("Big.conf")));
        big.writeText("Options", "GridFontSize", QStringLiteral("13"));
        big.writeText("Options", "CalFontSize", QStringLiteral("12"));
        big.writeText("Options", "RowHeight", QStringLiteral("24"));
        big.writeText("Options", "PlayAlarm", QStringLiteral("0"));
        big.writeText("", "ClientWidth", QStringLiteral("900"));
        big.writeText("", "ClientHeight", QStringLiteral("640"));
        big.writeText("", "Split1", QStringLiteral("420"));
        big.writeText("", "Split2", QStringLiteral("420"));
        big.sync();
        TfrmMain frmMain({clock, prompts, runner, big, sound, sample, QStringLiteral("/usr/bin/morvane"),
                          QDate::currentDate()});
        frmMain.show();
        frmMain.Timer2Timer();
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/main-large.png").arg(out));
    }
    {
        // The alarm panel, for a task and for a daily alarm; and the tray's
        // day-of-month icon on the 31st.
        const QString folder = tmp.filePath(QStringLiteral("alarms"));
        QDir().mkpath(folder);
        Grid g = NewStoreGrid();
        const QDate today = QDate::currentDate();
        const char *const tasks[][3] = {
            {"9:00 AM", "Health", "Dentist appointment with Dr. Rhodes, bring the insurance card"},
            // An imported all-day task with its alarm on: it never rings.
            {"All day", "Birthday", "Anna's birthday"},
            {"9:45 AM", "Car", "Call the garage about the brakes"}};
        g.setRowCount(4);
        for (int row = 1; row <= 3; ++row) {
            g.setCell(kStoreKey, row, MakeStoreKey(DayNumber(today), 100 + row));
            g.setCell(kStoreTime, row, QString::fromUtf8(tasks[row - 1][0]));
            g.setCell(kStoreCategory, row, QString::fromUtf8(tasks[row - 1][1]));
            g.setCell(kStoreNotes, row, QString::fromUtf8(tasks[row - 1][2]));
            g.setCell(kStoreDone, row, QStringLiteral("No"));
            g.setCell(kStoreAlarm, row, QStringLiteral("Yes"));
        }
        (void)SaveGridFile(g, folder + QStringLiteral("/grid.grd"));
        Grid todo = NewTodoGrid();
        (void)SaveGridFile(todo, folder + QStringLiteral("/gridNon.grd"));
        SettingsStore alarmSettings(tmp.filePath(QStringLiteral("Alarms.conf")));
        alarmSettings.writeText("DailyOptions", "Daily1", QStringLiteral("1"));
        alarmSettings.writeText("DailyOptions", "Time1", QStringLiteral("9:30 AM"));
        alarmSettings.writeText("DailyOptions", "Edit1", QStringLiteral("Take the afternoon pills"));
        FixedClock clock(QDateTime(today, QTime(8, 59)));
        TfrmMain frmMain({clock, prompts, runner, alarmSettings, sound, folder, QStringLiteral("/usr/bin/morvane"),
                          QDate::currentDate()});
        frmMain.resize(760, 480);
        frmMain.show();
        frmMain.Timer2Timer();
        clock.set(QDateTime(today, QTime(9, 0, 5)));
        frmMain.Timer1Timer();
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/alarm-task.png").arg(out));
        frmMain.tmPanelColorTimer();
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/alarm-task-yellow.png").arg(out));
        frmMain.pnlAlarmClick();
        clock.set(QDateTime(today, QTime(9, 30, 5)));
        frmMain.Timer1Timer();
        QApplication::processEvents();
        frmMain.grab().save(QStringLiteral("%1/alarm-daily.png").arg(out));
        frmMain.pnlAlarmClick();

        // An alarm that falls due while a message box is open lies above it.
        prompts.whileOpen = [&] {
            clock.set(QDateTime(today, QTime(9, 45, 5)));
            frmMain.Timer1Timer();
            QApplication::processEvents();
            frmMain.screen()->grabWindow(0).save(QStringLiteral("%1/alarm-over-box.png").arg(out));
            frmMain.pnlAlarmClick();
        };
        frmMain.btDelClick(TfrmMain::Sender::tbDel2);

        // The editor of the all-day task: its alarm switch says why it is off.
        for (int row = 1; row < frmMain.gridDay().rowCount(); ++row)
            if (frmMain.gridDay().cell(kDayTime, row) == QStringLiteral("All day"))
                frmMain.selectDayRow(row);
        runner.responders.append([&](QDialog &d) {
            d.show();
            QApplication::processEvents();
            d.grab().save(QStringLiteral("%1/editor-all-day.png").arg(out));
            return int(QDialog::Rejected);
        });
        frmMain.btEditClick(TfrmMain::Sender::tbEdit1);
        for (int size : {16, 22, 32, 64})
            MakeAppIcon(31).pixmap(size).save(QStringLiteral("%1/tray-icon-31-%2.png").arg(out).arg(size));
    }
    return 0;
}
