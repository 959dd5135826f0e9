#include "Archive.h"

#include "TaskTables.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QString withExtension(const QString &name, const QString &extension)
{
    const QFileInfo info(name);
    const QString file = info.fileName();
    const qsizetype dot = file.lastIndexOf(u'.');
    const QString base = dot < 0 ? file : file.left(dot);
    const qsizetype cut = name.size() - file.size();
    return name.left(cut) + base + extension;
}

}  // namespace

ArchiveNames ArchiveMemberNames(const QString &name)
{
    return {name, withExtension(name, u".AR2"_s), withExtension(name, u".AR3"_s)};
}

FileResult WriteArchive(const ArchiveNames &names, const Grid &store, const Grid &todo, const Grid &completed)
{
    for (const auto &[table, path] : {std::pair<const Grid &, const QString &>{store, names.store},
                                      std::pair<const Grid &, const QString &>{todo, names.todo},
                                      std::pair<const Grid &, const QString &>{completed, names.completed}}) {
        if (FileResult r = SaveGridFile(table, path); !r)
            return r;
    }
    return FileResult::success();
}

ArchiveLoad ReadArchive(const ArchiveNames &names)
{
    ArchiveLoad out;
    for (const QString &path : {names.store, names.todo, names.completed})
        if (!QFileInfo(path).isFile())
            out.missing = true;
    if (out.missing)
        return out;
    struct Member {
        Grid *table;
        const QString *path;
        Grid fresh;
        int cols;
    };
    Member members[] = {{&out.store, &names.store, NewStoreGrid(), kStoreCols},
                        {&out.todo, &names.todo, NewTodoGrid(), kTodoCols},
                        {&out.completed, &names.completed, NewCompletedGrid(), kCompCols}};
    for (Member &m : members) {
        // A member that is not whole would replace good tables with a part.
        if (FileResult r = LoadGridFile(m.fresh, *m.path); !r) {
            out.failed << *m.path;
            continue;
        }
        if (m.fresh.colCount() < m.cols)
            m.fresh.setColCount(m.cols);
        *m.table = std::move(m.fresh);
    }
    return out;
}

}  // namespace morvane
