#pragma once
// What the start-up figures sit beside: reading a task file whole and finding
// its lines, as a loader that keeps the file and indexes it would, and an
// empty table window as large as the program's. Shared by the benchmarks and
// the empty-window program of scripts/startup-compare.

#include <QFile>
#include <QMainWindow>
#include <QTableView>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace morvane::bench {

// The number of lines of the file; 0 when it cannot be read.
inline std::size_t ReadWholeAndIndexLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const qint64 size = f.size();
    std::unique_ptr<char[]> buf(new char[std::size_t(size)]);
    if (f.read(buf.get(), size) != size)
        return 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> lines;
    lines.reserve(std::size_t(size / 16));
    const char *p = buf.get(), *end = p + size;
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        const char *le = nl ? nl : end;
        lines.emplace_back(std::uint32_t(p - buf.get()), std::uint32_t(le - p));
        p = le + 1;
    }
    return lines.size();
}

// A main window holding an empty table view, the size of the program's
// window at its first start.
inline QTableView *MakeEmptyTableWindow(QMainWindow &w)
{
    auto *table = new QTableView(&w);
    w.setCentralWidget(table);
    w.resize(630, 470);
    return table;
}

}  // namespace morvane::bench
