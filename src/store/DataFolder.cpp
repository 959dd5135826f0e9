#include "DataFolder.h"

#include "AtomicFile.h"
#include "Utility.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace morvane {

QString ChooseDataFolder(const QString &env, const QString &exeDir, const QString &dataHome)
{
    if (!env.isEmpty())
        return env;
    // The task file beside the program says its data lives there.
    if (QFileInfo::exists(JoinPath(exeDir, u"grid.grd"_s)))
        return exeDir;
    return JoinPath(dataHome, u"morvane"_s);
}

QString ShippedFilesFolder(const QString &exeDir) { return QDir::cleanPath(exeDir + u"/../share/morvane"_s); }

QStringList SeedDataFolder(const QString &folder, const QString &shipped)
{
    QStringList failed;
    if (!QDir().mkpath(folder))
        return {u"%1: the folder cannot be made"_s.arg(QDir::toNativeSeparators(folder))};
    QDirIterator it(shipped, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString name = QDir(shipped).relativeFilePath(from);
        const QString to = JoinPath(folder, name);
        if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
            continue;  // the person's own file, whatever it holds
        QDir().mkpath(QFileInfo(to).absolutePath());
        if (const FileResult r = CopyFileAtomically(from, to); !r)
            failed << r.message;
    }
    return failed;
}

QString ProgramFolder()
{
    return ChooseDataFolder(qEnvironmentVariable("MORVANE_DIR"), QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QStringList PrepareProgramFolder()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString folder = ProgramFolder();
    if (folder == exeDir || !qEnvironmentVariable("MORVANE_DIR").isEmpty())
        return {};
    return SeedDataFolder(folder, ShippedFilesFolder(exeDir));
}

QString DataFilePath(const QString &name) { return JoinPath(ProgramFolder(), name); }

}  // namespace morvane
