#include "MainWindow.h"

namespace morvane {

QDate ReleaseDate() { return QDate::fromString(QStringLiteral(MORVANE_RELEASE_DATE), Qt::ISODate); }

}  // namespace morvane
