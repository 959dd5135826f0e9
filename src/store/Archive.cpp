#include "Archive.h"

#include "TaskTables.h"

#include <QDir>
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

QString ArchiveNameRefusal(const QString &name)
{
    // Named NAME.AR2 or NAME.AR3, two members would be one file: the second
    // written over the first, or one file read as two tables. A disk that
    // ignores letter case makes "name.ar2" the same file too.
    const ArchiveNames names = ArchiveMemberNames(name);
    if (names.store.compare(names.todo, Qt::CaseInsensitive) != 0 &&
        names.store.compare(names.completed, Qt::CaseInsensitive) != 0)
        return {};
    return u"The archive cannot be named %1: an archive keeps its to-do tasks in the file ending in .AR2 and "
           "its completed tasks in the one ending in .AR3. Choose %2 instead."_s.arg(
               QDir::toNativeSeparators(name), QDir::toNativeSeparators(withExtension(name, u".arb"_s)));
}

FileResult WriteArchive(const ArchiveNames &names, const Grid &store, const Grid &todo, const Grid &completed)
{
    if (QString why = ArchiveNameRefusal(names.store); !why.isEmpty())
        return FileResult::failure(why);
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
    out.refused = ArchiveNameRefusal(names.store);
    if (!out.refused.isEmpty())
        return out;
    // Only a member that is not there is missing; a folder, a pipe or a
    // device in its place is named by the load below for what it is.
    for (const QString &path : {names.store, names.todo, names.completed})
        if (!QFileInfo::exists(path))
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
            out.failed.append({*m.path, r.reason.isEmpty() ? r.message
                                                           : u"%1 is damaged: %2."_s.arg(
                                                                 QDir::toNativeSeparators(*m.path), r.reason)});
            continue;
        }
        if (m.fresh.colCount() < m.cols)
            m.fresh.setColCount(m.cols);
        *m.table = std::move(m.fresh);
    }
    return out;
}

}  // namespace morvane
