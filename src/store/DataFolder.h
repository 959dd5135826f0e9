#pragma once
// Where the program's data files live. MORVANE_DIR names the folder when it
// is set (make run and the tests use it to keep data out of the build
// tree). Otherwise a copy that keeps its task files beside itself (a build,
// or a copy unpacked where its user can write) uses the folder of the
// executable; an installed copy, whose folder is the system's, keeps them in
// the person's data folder, $XDG_DATA_HOME/morvane, which its first start
// fills with the shipped files from <prefix>/share/morvane.

#include <QString>
#include <QStringList>

namespace morvane {

QString ProgramFolder();
// Makes the person's data folder of an installed copy and fills it with the
// shipped files it lacks; nothing for MORVANE_DIR or the program's own
// folder. Returns what could not be copied.
QStringList PrepareProgramFolder();
// JoinPath(ProgramFolder(), name).
QString DataFilePath(const QString &name);

// The rule of ProgramFolder, from its inputs: `env` is MORVANE_DIR,
// `exeDir` the executable's folder, `dataHome` the person's data home
// ($XDG_DATA_HOME, or ~/.local/share).
QString ChooseDataFolder(const QString &env, const QString &exeDir, const QString &dataHome);
// Where an installed copy finds its shipped files: <prefix>/share/morvane
// for an executable in <prefix>/bin.
QString ShippedFilesFolder(const QString &exeDir);
// Copies each file of `shipped` (and of its help/ folder) that `folder`
// lacks, each copy written whole or not at all; never replaces a file.
// Returns the names that could not be copied, with the reason.
QStringList SeedDataFolder(const QString &folder, const QString &shipped);

}  // namespace morvane
