// Archives: the member names, a round trip and a member that fails.

#include "Archive.h"
#include "TaskTables.h"
#include "TestFiles.h"
#include "TestStores.h"

#include <gtest/gtest.h>

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
    writeBytes(names.todo, QByteArray("3,2\r\n0,1,Home\r\n\0junk\r\n", 24));  // a NUL: not whole
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
