#include "AtomicFile.h"
#include "Grid.h"
#include "GridFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvane;

namespace {

Grid bigTable()
{
    Grid g(2, 2001);
    for (int r = 1; r <= 2000; ++r) {
        g.setCell(0, r, QString::number(r));
        g.setCell(1, r, QString(100, u'x'));
    }
    return g;
}

mode_t modeOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

}  // namespace

// A disk that fills up during the save: the writes fail part way. The old
// file must stay byte for byte, the failure must be reported, and no
// temporary file may be left behind.
TEST(AtomicSave, AFullDiskKeepsTheOldFileAndSaysSo)
{
    TempFolder dir;
    const QString path = dir.file("grid.grd");
    const QByteArray old = "2,2\r\ncw 0,64\r\ncw 1,64\r\n0,1,36120.101\r\n";
    writeBytes(path, old);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Writes beyond 64 kB fail with EFBIG, as they would with ENOSPC.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim {64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        const FileResult r = SaveGridFile(bigTable(), path);
        const bool named = r.message.contains("grid.grd") && r.message.contains("previous file was kept");
        ::_exit(r.ok ? 1 : named ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the save claimed success; 2: the message lacks the file";
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(dir.entries(), QStringList({"grid.grd"}));

    // Without the limit the same save goes through.
    ASSERT_TRUE(SaveGridFile(bigTable(), path).ok);
    EXPECT_GT(readBytes(path).size(), 200000);
}

TEST(AtomicSave, ReadOnlyFilesAndFoldersAreRefused)
{
    // Decided from the mode bits: as root everything would look writable.
    TempFolder dir;
    const QString path = dir.file("grid.grd");
    writeBytes(path, "1,1\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0444);
    FileResult r = SaveGridFile(Grid(2, 2), path);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains("read-only")) << r.message.toStdString();
    EXPECT_EQ(readBytes(path), "1,1\r\n");

    const QString sub = dir.file("locked");
    QDir().mkdir(sub);
    ::chmod(QFile::encodeName(sub).constData(), 0555);
    r = SaveGridFile(Grid(2, 2), sub + "/gridNon.grd");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains("read-only")) << r.message.toStdString();
    EXPECT_FALSE(QFile::exists(sub + "/gridNon.grd"));
    ::chmod(QFile::encodeName(sub).constData(), 0755);

    r = SaveGridFile(Grid(2, 2), dir.file("no/such/folder/grid.grd"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains("does not exist")) << r.message.toStdString();
}

TEST(AtomicSave, KeepsPermissionsAndLinks)
{
    TempFolder dir;
    const QString path = dir.file("grid.grd");
    writeBytes(path, "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(WriteFileAtomically(path, "new").ok);
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(modeOf(path), mode_t(0640));

    // Saving through a link writes the file it points at and keeps the link.
    const QString link = dir.file("link.grd");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(WriteFileAtomically(link, "through link").ok);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(path), "through link");
}

// Several files committed into one folder, the folder synced once by the
// caller: each replaces its old file whole, and nothing temporary is left.
TEST(AtomicSave, SeveralFilesShareOneFolderSync)
{
    TempFolder dir;
    writeBytes(dir.file("a.htm"), "old a");
    AtomicFile a(dir.file("a.htm")), b(dir.file("b.htm"));
    ASSERT_TRUE(a.open().ok);
    ASSERT_TRUE(b.open().ok);
    ASSERT_TRUE(a.write("new a", 5));
    ASSERT_TRUE(b.write("new b", 5));
    EXPECT_EQ(readBytes(dir.file("a.htm")), "old a");  // nothing replaced before the commit
    ASSERT_TRUE(a.commit(false).ok);
    ASSERT_TRUE(b.commit(false).ok);
    SyncFolder(dir.path());
    EXPECT_EQ(readBytes(dir.file("a.htm")), "new a");
    EXPECT_EQ(readBytes(dir.file("b.htm")), "new b");
    EXPECT_EQ(dir.entries(), QStringList({"a.htm", "b.htm"}));
}
