// Program entry. For now it loads the two task files of the data folder,
// reports what it found and ends; the main window comes next.

#include "DataFolder.h"
#include "GridFile.h"
#include "TaskTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace morvane;
using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(u"Helmsworth Corporation"_s);
    QCoreApplication::setApplicationName(u"Task"_s);
    QTextStream err(stderr);

    const QString storePath = DataFilePath(u"grid.grd"_s);
    const QString todoPath = DataFilePath(u"gridNon.grd"_s);
    if (!QFileInfo::exists(storePath)) {
        err << "Grid.grd file not found!\n";
        return 1;
    }
    if (!QFileInfo::exists(todoPath)) {
        err << "GridNon.grd file not found!\n";
        return 1;
    }

    TaskFilter filter;
    TaskStore store(filter, storePath);
    if (FileResult r = store.load(); !r) {
        err << r.message << "\n";
        return 1;
    }
    Grid todo = NewTodoGrid();
    if (FileResult r = LoadGridFile(todo, todoPath); !r) {
        err << r.message << "\n";
        return 1;
    }

    int dated = 0, todos = 0;
    for (int r = 1; r < store.grid().rowCount(); ++r)
        dated += store.grid().cellEmpty(kStoreKey, r) ? 0 : 1;
    for (int r = 1; r < todo.rowCount(); ++r)
        todos += TodoRowHoldsTask(todo, r) ? 1 : 0;

    QTextStream out(stdout);
    out << "Morvane loaded " << dated << " dated task" << (dated == 1 ? "" : "s") << " and "
        << todos << " to-do task" << (todos == 1 ? "" : "s") << " from "
        << QDir::toNativeSeparators(ProgramFolder()) << ".\n"
        << "The main window is not built yet, so Morvane ends here; nothing was changed.\n";
    return 0;
}
