#include "FileLauncher.h"

#include <QDesktopServices>
#include <QUrl>

namespace morvane {

bool DesktopFileLauncher::open(const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

}  // namespace morvane
