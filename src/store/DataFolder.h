#pragma once
// Where the program's data files live: the folder of the executable, unless
// the environment variable MORVANE_DIR names another folder (make run and the
// tests use that to keep data out of the build tree).

#include <QString>

namespace morvane {

QString ProgramFolder();
// JoinPath(ProgramFolder(), name).
QString DataFilePath(const QString &name);

}  // namespace morvane
