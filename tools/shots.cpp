// Saves pictures of the program's dialogs, for looking at them while they
// are built: morvane_shots OUTDIR. Run it under Xvfb (scripts/shots) so that
// it uses the same fonts and style as the program.

#include "BuiltInHolidays.h"
#include "ColorPicker.h"
#include "GridFile.h"
#include "HolidayImport.h"
#include "HolidayRules.h"
#include "edHoliday.h"
#include "holiday.h"
#include "import.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "SoundPlayer.h"
#include "color.h"
#include "options.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTemporaryDir>

using namespace morvane;

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
    SaveGridFile(holidays, tmp.filePath(QStringLiteral("holiday.grd")));
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
    return 0;
}
