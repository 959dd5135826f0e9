// Archives: the member names, a round trip and a member that fails.

#include "Archive.h"
#include "TaskTables.h"
#include "TestFiles.h"
#include "TestStores.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

TEST(Archive, MemberNamesReplaceTheExtensionOfTheFileName)
{
    EXPECT_EQ(ArchiveMemberNames(u"/a/backup.arb"_s).todo, u"/a/backup.AR2"_s);
    EXPECT_EQ(ArchiveMemberNames(u"/a/backup.arb"_s).completed, u"/a/backup.AR3"_s);
    EXPECT_EQ(ArchiveMemberNames(u"/a/old.set.arb"_s).todo, u"/a/old.set.AR2"_s);
    // A point in a folder's name is not an extension.
    EXPECT_EQ(ArchiveMemberNames(u"/a.d/backup"_s).completed, u"/a.d/backup.AR3"_s);
    EXPECT_EQ(ArchiveMemberNames(u"/a/backup"_s).store, u"/a/backup"_s);
}

TEST(Archive, WhatIsWrittenReadsBackByteForByte)
{
    TempFolder dir;
    Grid store = NewStoreGrid();
    ASSERT_TRUE(LoadGridBytes(store, StoreOfTasks(40), u"test"_s));
    Grid todo = NewTodoGrid();
    todo.setCell(kTodoNotes, 1, u"Fix the gate, soon"_s);
    Grid completed = NewCompletedGrid();
    completed.setCell(kCompNotes, 1, u"Done\r\ntwice"_s);
    const ArchiveNames names = ArchiveMemberNames(dir.file(u"backup.arb"_s));
    ASSERT_TRUE(WriteArchive(names, store, todo, completed));
    EXPECT_EQ(dir.entries(), (QStringList{u"backup.AR2"_s, u"backup.AR3"_s, u"backup.arb"_s}));

    const ArchiveLoad back = ReadArchive(names);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(GridFileBytes(back.store), GridFileBytes(store));
    EXPECT_EQ(GridFileBytes(back.todo), GridFileBytes(todo));
    EXPECT_EQ(GridFileBytes(back.completed), GridFileBytes(completed));
}

TEST(Archive, AMissingOrDamagedMemberGivesNoTables)
{
    TempFolder dir;
    const ArchiveNames names = ArchiveMemberNames(dir.file(u"backup.arb"_s));
    ASSERT_TRUE(WriteArchive(names, NewStoreGrid(), NewTodoGrid(), NewCompletedGrid()));
    QFile::remove(names.completed);
    EXPECT_TRUE(ReadArchive(names).missing);

    ASSERT_TRUE(WriteArchive(names, NewStoreGrid(), NewTodoGrid(), NewCompletedGrid()));
    writeBytes(names.todo, "3,2\r\n0,1,Home\r\n\0junk\r\n"_ba);  // a NUL: not whole
    ArchiveLoad load = ReadArchive(names);
    EXPECT_FALSE(load.ok());
    ASSERT_EQ(load.failed.size(), 1);
    EXPECT_EQ(load.failed[0].path, names.todo);

    // A member cut in half and an empty one: each is named with what is
    // wrong with it.
    const QByteArray full = StoreOfTasks(163);
    writeBytes(names.store, full.left(full.indexOf("\r\n3,84,") + 10));
    writeBytes(names.todo, "");
    load = ReadArchive(names);
    EXPECT_FALSE(load.ok());
    ASSERT_EQ(load.failed.size(), 2);
    EXPECT_EQ(load.failed[0].path, names.store);
    EXPECT_TRUE(load.failed[0].why.startsWith(names.store + u" is damaged: it was cut short (its last line, line "_s))
        << load.failed[0].why.toStdString();
    EXPECT_EQ(load.failed[1].why, names.todo + u" is damaged: it is empty."_s);
}

// A member that is there but is no file is named for what it is, and
// reading it never waits (a named pipe would wait for a writer for ever).
TEST(Archive, AMemberThatIsNoFileIsNamedForWhatItIs)
{
    TempFolder dir;
    const ArchiveNames names = ArchiveMemberNames(dir.file(u"backup.arb"_s));
    const auto whyOf = [&](const QString &member) {
        ArchiveLoad load = ReadArchive(names);
        EXPECT_FALSE(load.missing);
        EXPECT_FALSE(load.ok());
        EXPECT_EQ(load.failed.size(), 1);
        return load.failed.isEmpty() || load.failed[0].path != member ? QString() : load.failed[0].why;
    };

    ASSERT_TRUE(WriteArchive(names, NewStoreGrid(), NewTodoGrid(), NewCompletedGrid()));
    QFile::remove(names.todo);
    ASSERT_TRUE(QDir().mkdir(names.todo));
    EXPECT_EQ(whyOf(names.todo), u"The file %1 cannot be read: it is a folder, not a file."_s.arg(names.todo));

    ASSERT_TRUE(QDir().rmdir(names.todo));
    ASSERT_TRUE(WriteArchive(names, NewStoreGrid(), NewTodoGrid(), NewCompletedGrid()));
    QFile::remove(names.completed);
    ASSERT_EQ(::mkfifo(QFile::encodeName(names.completed).constData(), 0600), 0);
    EXPECT_EQ(whyOf(names.completed),
              u"The file %1 cannot be read: it is a named pipe (FIFO), not a file."_s.arg(names.completed));

    QFile::remove(names.completed);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, names.completed));
    EXPECT_EQ(whyOf(names.completed),
              u"The file %1 cannot be read: it is a link to a device, not a file."_s.arg(names.completed));

    // A link to nowhere leaves the member missing.
    QFile::remove(names.completed);
    ASSERT_TRUE(QFile::link(dir.file(u"gone"_s), names.completed));
    EXPECT_TRUE(ReadArchive(names).missing);
}

TEST(Archive, ANameEndingInAMembersExtensionIsRefused)
{
    TempFolder dir;
    for (const QString &name : {u"backup.AR2"_s, u"backup.AR3"_s, u"backup.ar2"_s}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.file(name);
        const QString why = ArchiveNameRefusal(path);
        EXPECT_TRUE(why.startsWith(u"The archive cannot be named "_s + path + u":"_s)) << why.toStdString();
        EXPECT_TRUE(why.endsWith(u"Choose "_s + dir.file(u"backup.arb"_s) + u" instead."_s)) << why.toStdString();
        const FileResult r = WriteArchive(ArchiveMemberNames(path), NewStoreGrid(), NewTodoGrid(), NewCompletedGrid());
        EXPECT_FALSE(r);
        EXPECT_EQ(r.message, why);
        EXPECT_TRUE(dir.entries().isEmpty());
        writeBytes(path, GridFileBytes(NewStoreGrid()));
        EXPECT_EQ(ReadArchive(ArchiveMemberNames(path)).refused, why);
        QFile::remove(path);
    }
    EXPECT_TRUE(ArchiveNameRefusal(dir.file(u"backup.arb"_s)).isEmpty());
    EXPECT_TRUE(ArchiveNameRefusal(dir.file(u"backup"_s)).isEmpty());
    EXPECT_TRUE(ArchiveNameRefusal(dir.file(u"AR2"_s)).isEmpty());
}

TEST(Archive, AMemberThatCannotBeWrittenIsNamed)
{
    TempFolder dir;
    writeBytes(dir.file(u"file"_s), "not a folder");
    // The second member's folder is a file.
    ArchiveNames names = ArchiveMemberNames(dir.file(u"backup.arb"_s));
    names.todo = dir.file(u"file/backup.AR2"_s);
    const FileResult r = WriteArchive(names, NewStoreGrid(), NewTodoGrid(), NewCompletedGrid());
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.message.contains(u"backup.AR2"_s)) << r.message.toStdString();
    EXPECT_FALSE(QFile::exists(names.completed));
}

TEST(TaskStoreRows, RemovingRowsKeepsTheOthersInOrderAndOneBodyRow)
{
    TempFolder dir;
    TaskFilter filter;
    TaskStore store(filter, dir.file(u"grid.grd"_s));
    ASSERT_TRUE(LoadGridBytes(store.gridForTests(), StoreOfTasks(6), u"test"_s));
    const QString second = store.grid().cell(kStoreNotes, 2);
    EXPECT_EQ(store.removeRows({5, 1, 3, 4, 6}), 5);
    EXPECT_EQ(store.grid().rowCount(), 2);
    EXPECT_EQ(store.grid().cell(kStoreNotes, 1), second);
    EXPECT_EQ(store.removeRows({1}), 1);
    EXPECT_EQ(store.grid().rowCount(), 2);
    EXPECT_TRUE(store.grid().cellEmpty(kStoreKey, 1));
}

}  // namespace
}  // namespace morvane
