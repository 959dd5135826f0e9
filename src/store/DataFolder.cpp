#include "DataFolder.h"

#include "Utility.h"

#include <QCoreApplication>

namespace morvane {

QString ProgramFolder()
{
    const QString env = qEnvironmentVariable("MORVANE_DIR");
    if (!env.isEmpty())
        return env;
    return QCoreApplication::applicationDirPath();
}

QString DataFilePath(const QString &name) { return JoinPath(ProgramFolder(), name); }

}  // namespace morvane
