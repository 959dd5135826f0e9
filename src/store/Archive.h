#pragma once
// An archive: the dated tasks, the to-do list and the completed tasks saved
// as three grid files of one name, "NAME.arb" with "NAME.AR2" and
// "NAME.AR3" beside it, and read back whole.

#include "Grid.h"
#include "GridFile.h"

#include <QString>
#include <QStringList>

namespace morvane {

struct ArchiveNames {
    QString store;      // the name chosen, normally ".arb"
    QString todo;       // the same with ".AR2"
    QString completed;  // the same with ".AR3"
};
// The three member names: the extension of the chosen name (after the last
// point of the file name, if any) replaced.
ArchiveNames ArchiveMemberNames(const QString &name);

// Writes the three members, each atomically. Stops at the first that fails;
// its result names that file and the reason.
FileResult WriteArchive(const ArchiveNames &names, const Grid &store, const Grid &todo, const Grid &completed);

// Empty when the name can be an archive's; otherwise why not, for the person.
QString ArchiveNameRefusal(const QString &name);

struct ArchiveLoad {
    struct Failure {
        QString path;
        QString why;  // names the member and what is wrong with it
    };
    QString refused;               // the name cannot be an archive's (ArchiveNameRefusal)
    bool missing = false;          // a member is not there
    QList<Failure> failed;         // members that did not load whole
    Grid store, todo, completed;   // the tables, when every member loaded
    bool ok() const { return refused.isEmpty() && !missing && failed.isEmpty(); }
};
// Reads all three members into new tables; nothing else is touched, so a
// restore can replace the working tables only when every member loaded.
ArchiveLoad ReadArchive(const ArchiveNames &names);

}  // namespace morvane
