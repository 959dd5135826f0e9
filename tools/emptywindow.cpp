// The floor of the program's start: a process that opens an empty Qt table
// window, reads a task file whole, and ends at its first paint, as the
// program does with MORVANE_PROFILE_STARTUP set. `morvane_emptywindow FILE`;
// with MORVANE_PROFILE_STARTUP set it prints its phases as the program does.
// scripts/startup-compare times the two side by side.

#include "Floors.h"
#include "StartupProfile.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

using namespace morvane;

namespace {

// Ends the process when the table first paints, before it draws: the same
// moment the program's own measure ends at.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            StartupMark("first paint");
            if (StartupProfiling()) {
                std::fprintf(stderr, "startup: %.0f ms\n", StartupElapsedMs());
                PrintStartupMarks();
            }
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, e);
    }
};

}  // namespace

int main(int argc, char *argv[])
{
    StartupMark("main entered (libraries loaded)");
    QApplication app(argc, argv);
    StartupMark("QApplication");
    if (argc < 2) {
        std::fprintf(stderr, "usage: morvane_emptywindow FILE\n");
        return 2;
    }
    QMainWindow w;
    FirstPaint first;
    bench::MakeEmptyTableWindow(w)->viewport()->installEventFilter(&first);
    StartupMark("window made");
    if (bench::ReadWholeAndIndexLines(QString::fromLocal8Bit(argv[1])) == 0)
        return 1;
    StartupMark("file read");
    w.show();
    StartupMark("shown");
    return app.exec();
}
