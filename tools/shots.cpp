// Saves pictures of the program's dialogs, for looking at them while they
// are built: morvane_shots OUTDIR. Run it under Xvfb (scripts/shots) so that
// it uses the same fonts and style as the program.

#include "ColorPicker.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "SoundPlayer.h"
#include "color.h"
#include "options.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
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
    return 0;
}
