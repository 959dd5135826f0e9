// Writes a data folder with a generated store of N tasks (the benchmarks'
// dataset): morvane_makestore DIR N. For timing the program's start-up.
#include "Dataset.h"
#include "GridFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: morvane_makestore DIR N\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const morvane::Grid store = morvane::bench::MakeStore(std::atoi(argv[2]));
    if (!morvane::SaveGridFile(store, dir + "/grid.grd").ok)
        return 1;
    QFile todo(dir + "/gridNon.grd");
    todo.open(QIODevice::WriteOnly);
    todo.write("3,2\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n");
    return 0;
}
