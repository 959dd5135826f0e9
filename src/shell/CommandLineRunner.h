#pragma once
// Carries out a command given on the command line, without a display: the
// agenda read from the task file, a task added by the running copy or, when
// none runs, to the files under the same rules as the window's (a damaged
// file is refused, the day's backup is kept, the save is atomic).

#include "CommandLine.h"

#include <QStringList>

namespace morvane {

// True when the arguments hold one of the terminal commands; other
// arguments (Qt's own, the session manager's) are the window's.
bool WantsCommandLine(const QStringList &args);
// Adds the task to the files in `dataFolder` when no copy is running;
// returns why it could not, or nothing.
QString AddOutsideTask(const OutsideTask &task, const QString &dataFolder, const class Clock &clock);
// One sync of the files in `dataFolder` with the server of the [Sync]
// settings, without a display; why it failed, or nothing (`done` says what
// it did).
QString SyncOutside(const QString &dataFolder, const class Clock &clock, QString *done = nullptr);
// Needs a QCoreApplication. Returns the exit status: 0 done, 1 failed,
// 2 arguments not understood.
int RunCommandLine(const CommandLine &cl, const QString &dataFolder);

}  // namespace morvane
