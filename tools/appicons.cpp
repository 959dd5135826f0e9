// Writes the program's icon, as the program draws it, into a hicolor icon
// theme tree: morvane_appicons DIR NAME writes DIR/NxN/apps/NAME.png for
// each size a desktop asks for. The build runs it for the installed icons.
#include "AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: morvane_appicons DIR NAME\n");
        return 2;
    }
    // Drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
        QDir().mkpath(folder);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
        if (!morvane::AppIconPixmap(size, 0).save(file)) {
            std::fprintf(stderr, "morvane_appicons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
