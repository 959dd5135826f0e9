// Task files as a person's disk may hold them: damaged, foreign, huge,
// unreadable, left half written by a killed save. None may crash a load, and
// none that did not load whole may ever be saved over.

#include "AtomicFile.h"
#include "Clock.h"
#include "DailyBackup.h"
#include "Grid.h"
#include "GridFile.h"
#include "TaskTables.h"
#include "TestFiles.h"
#include "TestStores.h"
#include "Utility.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

enum class Outcome { Loads, DamagedButRead, Refused };

struct Hostile {
    const char *name;
    QByteArray bytes;
    Outcome outcome;
    int tasks;  // tasks the store holds afterwards; -1: not checked
};

QByteArray randomBytes(int n)
{
    QRandomGenerator rng(20261209);
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

QByteArray utf16Le(const QByteArray &utf8)
{
    const QString text = QString::fromUtf8(utf8);
    QByteArray out("\xFF\xFE", 2);
    for (const QChar ch : text) {
        out.append(char(ch.unicode() & 0xFF));
        out.append(char(ch.unicode() >> 8));
    }
    return out;
}

QByteArray withSizeLine(const QByteArray &file, const QByteArray &sizeLine)
{
    return sizeLine + file.mid(file.indexOf("\r\n"));
}

}  // namespace

// Every kind of file a load may meet: it loads, or it is reported damaged
// with the file's name (showing what could be read), or it is refused and
// the table stays. A save afterwards never touches a file that did not load
// whole.
TEST(HostileFiles, LoadOrReportAndNeverSaveOverDamage)
{
    const QByteArray good = StoreOfTasks(163);
    const QByteArray cells = good.mid(good.indexOf("\r\n") + 2);
    QByteArray truncated = good.left(good.size() - 7);  // cut inside the last cell line
    QByteArray withNul = good;
    withNul.insert(withNul.indexOf("Task 5"), '\0');
    // One byte of a cell line's start changed; a NUL in a start; a line break
    // written into a note, so that the note's rest is a line of its own.
    QByteArray garbled = good;
    garbled[garbled.indexOf("\r\n3,40,") + 4] = '.';
    QByteArray nulInStart = good;
    nulInStart[nulInStart.indexOf("\r\n3,41,") + 4] = '\0';
    QByteArray brokenNote = good;
    brokenNote.insert(brokenNote.indexOf("Task 42\r\n") + 4, "\r\nand the rest");
    const QList<Hostile> cases = {
        {"random bytes", randomBytes(64 * 1024), Outcome::DamagedButRead, -1},
        {"UTF-16 from a text editor", utf16Le(good), Outcome::DamagedButRead, 163},
        {"plain text", "Dear diary,\r\ntoday I moved my calendar.\r\nIt went well, mostly.\r\n",
         Outcome::DamagedButRead, 0},
        {"truncated in the middle of a line", truncated, Outcome::DamagedButRead, 163},
        {"empty", "", Outcome::Refused, 1},
        {"nothing but a line end", "\r\n", Outcome::DamagedButRead, 1},
        {"a garbled line start", garbled, Outcome::DamagedButRead, 163},
        {"a NUL byte in a line start", nulInStart, Outcome::DamagedButRead, 163},
        {"a line break inside a note", brokenNote, Outcome::DamagedButRead, 163},
        {"negative size line", withSizeLine(good, "-5,-99999999999999999999"), Outcome::DamagedButRead, 163},
        {"unreadable size line", "six,two\r\n" + cells, Outcome::DamagedButRead, 163},
        {"size line too small for its cells", withSizeLine(good, "6,2"), Outcome::DamagedButRead, 163},
        {"size line of 20 million rows", withSizeLine(good, "256,20000000"), Outcome::Loads, 163},
        {"300 columns", withSizeLine(good, "300,164"), Outcome::Refused, 1},
        {"a cell row beyond the count", good + "3,999,far away\r\n", Outcome::DamagedButRead, 163},
        {"a cell in the row just past the count", good + "1,164,just past\r\n", Outcome::DamagedButRead, 163},
        {"a negative row count beside a good column count", withSizeLine(good, "6,-3"), Outcome::DamagedButRead,
         163},
        {"a cell column beyond the count", good + "9,5,lost\r\n", Outcome::DamagedButRead, 163},
        {"a NUL byte", withNul, Outcome::DamagedButRead, 163},
        {"a missing size line", "\r\n" + cells, Outcome::DamagedButRead, 163},
    };
    for (const Hostile &h : cases) {
        SCOPED_TRACE(h.name);
        TempFolder dir;
        const QString path = dir.file("grid.grd");
        writeBytes(path, h.bytes);
        TaskFilter filter;
        TaskStore store(filter, path);
        // The store held one task before: a refused load keeps it.
        store.gridForTests().setCell(kStoreKey, 1, u"45000.101");
        const FileResult r = store.load();
        switch (h.outcome) {
        case Outcome::Loads:
            EXPECT_TRUE(r.ok) << r.message.toStdString();
            break;
        case Outcome::DamagedButRead:
            EXPECT_TRUE(!r.ok && r.damaged && r.partial) << r.message.toStdString();
            break;
        case Outcome::Refused:
            EXPECT_TRUE(!r.ok && r.damaged && !r.partial) << r.message.toStdString();
            break;
        }
        if (!r.ok) {
            EXPECT_TRUE(r.message.contains("grid.grd")) << r.message.toStdString();
            EXPECT_TRUE(store.saveBlocked());
        }
        if (h.tasks >= 0) {
            EXPECT_EQ(TasksIn(store.gridForTests()), h.tasks);
        }
        for (int row = 1; row < store.gridForTests().rowCount(); ++row)
            EXPECT_FALSE(store.gridForTests().cellUtf8(kStoreNotes, row).contains('\0'));

        (void)store.SortGridStore();
        if (!r.ok) {
            EXPECT_EQ(readBytes(path), h.bytes);  // never shortened, never touched
        }
        EXPECT_EQ(dir.entries(), QStringList({"grid.grd"}));
    }
}

namespace {

// The number of the line of `bytes` that holds `what`, counting from 1.
int LineOf(const QByteArray &bytes, const QByteArray &what)
{
    return int(bytes.left(bytes.indexOf(what)).count("\r\n")) + 1;
}

QString DamageOf(const QByteArray &bytes)
{
    Grid g;
    const FileResult r = LoadGridBytes(g, bytes, "grid.grd");
    EXPECT_TRUE(r.damaged);
    return r.message;
}

}  // namespace

// A few bad lines among hundreds of good ones are damage too, since the next
// save would drop their text; the message says where the first one is, how
// many there are, and what the file was cut or emptied to.
TEST(HostileFiles, TheReasonNamesWhatWasFoundAndWhere)
{
    const QByteArray good = StoreOfTasks(163);
    Grid whole;
    ASSERT_TRUE(LoadGridBytes(whole, good, "grid.grd").ok);

    QByteArray bad = good;
    const int first = LineOf(bad, "\r\n3,40,") + 1;
    bad[bad.indexOf("\r\n3,40,") + 4] = 'x';
    bad[bad.indexOf("\r\n3,90,") + 5] = '\0';
    bad.insert(bad.indexOf("Task 120\r\n") + 4, "\r\n120 continued");
    EXPECT_EQ(DamageOf(bad), u"The file grid.grd is damaged: line %1 and 2 more lines are not lines Morvane "
                             "writes (each begins with a column and a row number, or gives a column's width). "
                             "Morvane shows what it could read of it and will not save over it."_s.arg(first));

    QByteArray one = good;
    one[one.indexOf("\r\n3,40,") + 4] = 'x';
    EXPECT_TRUE(DamageOf(one).contains(u"damaged: line %1 is not a line Morvane writes"_s.arg(first)))
        << DamageOf(one).toStdString();

    const QByteArray outside = good + "9,5,lost\r\n";
    EXPECT_TRUE(DamageOf(outside).contains(
        u"line %1 holds a cell of column 9, beyond the columns 0 to 5 its size line gives"_s.arg(LineOf(outside, "9,5,lost"))))
        << DamageOf(outside).toStdString();

    const QByteArray justPast = good + "1,164,just past\r\n";
    EXPECT_TRUE(DamageOf(justPast).contains(u"line %1 holds a cell of row 164, beyond the rows 0 to 163 its size "
                                            "line gives"_s.arg(LineOf(justPast, "1,164,"))))
        << DamageOf(justPast).toStdString();
    EXPECT_TRUE(DamageOf(withSizeLine(good, "6,-3")).contains(u"damaged: its size line gives a negative count"_s))
        << DamageOf(withSizeLine(good, "6,-3")).toStdString();

    QByteArray withNul = good;
    withNul.insert(withNul.indexOf("Task 5\r\n"), '\0');
    EXPECT_TRUE(DamageOf(withNul).contains(
        u"line %1 holds a NUL byte, which no text of Morvane holds"_s.arg(LineOf(withNul, "Task 5\r\n"))))
        << DamageOf(withNul).toStdString();

    // An archive member cut in half: 84 of the 164 rows its size line gives.
    const QByteArray cut = good.left(good.indexOf("\r\n3,84,") + 10);
    const int last = int(cut.count("\r\n")) + 1;
    EXPECT_TRUE(DamageOf(cut).contains(u"it was cut short (its last line, line %1, has no line end)"_s.arg(last)))
        << DamageOf(cut).toStdString();

    EXPECT_EQ(DamageOf(""), "The file grid.grd is damaged: it is empty. It was not loaded, and Morvane will not "
                            "save over it.");
    EXPECT_TRUE(DamageOf("\xEF\xBB\xBF").contains("it is empty"));
}

TEST(HostileFiles, TheShippedFilesLoadWhole)
{
    for (const char *name : {"grid.grd", "gridNon.grd"}) {
        Grid g;
        const FileResult r = LoadGridFile(g, QStringLiteral(MORVANE_SOURCE_DIR "/data/") + QLatin1String(name));
        EXPECT_TRUE(r.ok) << name << ": " << r.message.toStdString();
    }
}

TEST(HostileFiles, TheRecoveredTasksSaveAsAWholeFile)
{
    // Once the person agrees, the tasks a damaged file gave up are saved as a
    // file that loads whole.
    TempFolder dir;
    const QString path = dir.file("grid.grd");
    writeBytes(path, withSizeLine(StoreOfTasks(163), "6,2"));
    TaskFilter filter;
    TaskStore store(filter, path);
    ASSERT_TRUE(store.load().damaged);
    store.allowSaveOver();
    ASSERT_TRUE(store.SortGridStore().ok);
    TaskStore again(filter, path);
    ASSERT_TRUE(again.load().ok);
    EXPECT_EQ(TasksIn(again.grid()), 163);
    QStringList notes;
    for (int r = 1; r < again.grid().rowCount(); ++r)
        notes << again.grid().cell(kStoreNotes, r);
    EXPECT_TRUE(notes.contains("Task 163"));
    EXPECT_TRUE(notes.contains("Task 1"));
}

namespace {

// The address space this process uses now, from the kernel's own count.
rlim_t AddressSpaceInUse()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return rlim_t(line.mid(7).trimmed().split(' ').value(0).toULongLong()) * 1024;
    return 0;
}

}  // namespace

// A size line asking for a table of 256 columns and twenty million rows over
// a file of many rows runs out of memory: the message names the size line
// as the reason, not the text. Run in a child limited to 256 MiB more than
// it has, so that the memory really runs out.
TEST(HostileFiles, ATableTooLargeForMemoryNamesItsSizeLine)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit leaves";
#else
    QByteArray file = "256,20000000\r\n";
    for (int r = 1; r <= 200'000; ++r)
        file += "0," + QByteArray::number(r) + ",x\r\n";
    TempFolder dir;
    const QString path = dir.file("grid.grd");
    writeBytes(path, file);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(out[0]);
        const rlim_t limit = AddressSpaceInUse() + (rlim_t(256) << 20);
        const rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_AS, &rl);
        Grid g;
        const FileResult r = LoadGridFile(g, path);
        const QByteArray said = (r.ok ? "loaded" : r.message).toUtf8();
        (void)!::write(out[1], said.constData(), std::size_t(said.size()));
        ::_exit(0);
    }
    ::close(out[1]);
    QByteArray said;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        said.append(buf, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(QString::fromUtf8(said),
              u"The file %1 cannot be loaded: its size line, \"256,20000000\", asks for a table of 256 columns and "
              "20000000 rows, more than this computer's memory can hold. It was not loaded, and Morvane will not "
              "save over it."_s.arg(path));
#endif
}

TEST(HostileFiles, AHugeCellLoadsWholeAndIsShownCut)
{
    // 150 MiB of text in one to-do cell.
    const qsizetype size = qsizetype(150) << 20;
    QByteArray file = "3,2\r\n0,1,Home\r\n1,1,";
    file.reserve(size + 64);
    file.append(QByteArray(size, 'x'));
    file.append("\r\n2,1,No\r\n");
    TempFolder dir;
    const QString path = dir.file("gridNon.grd");
    writeBytes(path, file);
    file.clear();
    file.squeeze();
    Grid todo = NewTodoGrid();
    ASSERT_TRUE(LoadGridFile(todo, path).ok);
    EXPECT_EQ(todo.cellUtf8(1, 1).size(), size);
    EXPECT_EQ(todo.cell(2, 1), "No");
    const QString shown = ShownText(todo.cellUtf8(1, 1));
    EXPECT_EQ(shown.size(), kShownChars + 1);
    EXPECT_TRUE(shown.endsWith(u'\u2026'));
    EXPECT_TRUE(TooLongToShow(todo.cellUtf8(1, 1)));

    // Cutting never splits a character, and short texts are left alone.
    const QString euros = QString(kShownChars + 5, u'€');
    EXPECT_EQ(ShownText(euros.toUtf8()), QString(kShownChars, u'€') + u'\u2026');
    EXPECT_EQ(ShownText(QByteArray("short")), "short");
    EXPECT_FALSE(TooLongToShow(QString(kShownChars, u'€').toUtf8()));
    EXPECT_TRUE(TooLongToShow(QString(kShownChars + 1, u'€').toUtf8()));
}

TEST(ReadErrors, SayWhyAFileCannotBeRead)
{
    TempFolder dir;
    EXPECT_EQ(ReadErrorMessage("/data/grid.grd", ENOENT), "File /data/grid.grd not found");
    EXPECT_EQ(ReadErrorMessage("/data/grid.grd", EACCES),
              "The file /data/grid.grd cannot be read: permission denied.");

    Grid g;
    FileResult r = LoadGridFile(g, dir.path());  // a folder where the file belongs
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.damaged);
    EXPECT_EQ(r.message, u"The file %1 cannot be read: it is a folder, not a file."_s.arg(dir.path()));

    const QString path = dir.file("grid.grd");
    writeBytes(path, "6,2\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0);
    r = LoadGridFile(g, path);
    if (::geteuid() != 0) {  // root reads every file
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.message.contains("permission denied")) << r.message.toStdString();
    }
}

TEST(TemporaryFiles, OnlyTheWritersOwnLeftoversAreRemoved)
{
    TempFolder dir;
    const QStringList leftovers = {".grid.grd.morvane-a1B2c3", ".gridNon.grd.morvane-ZZZZZZ",
                                   ".grid.grd.Xy12Ab", ".holiday.grd.000000"};
    const QStringList others = {"grid.grd", ".grid.grd.morvane-abc", ".notes.txt.Xy12Ab",
                                "grid.grd.Xy12Ab", ".bashrc"};
    for (const QString &name : leftovers + others)
        writeBytes(dir.file(name), "x");
    EXPECT_EQ(RemoveStaleTempFiles(dir.path()), leftovers.size());
    QStringList expected = others;
    expected.sort();
    EXPECT_EQ(dir.entries(), expected);
}

// Kills a save at random moments, thirty times: the file is always the old
// tables or the new ones, whole, and the next start clears the leftovers.
TEST(KilledSaves, LeaveTheOldOrTheNewFileWhole)
{
    TempFolder dir;
    const QString path = dir.file("grid.grd");
    const QByteArray versions[2] = {StoreOfTasks(100000, "first "), StoreOfTasks(100000, "second ")};
    Grid tables[2];
    for (int v = 0; v < 2; ++v)
        ASSERT_TRUE(LoadGridBytes(tables[v], versions[v], "v").ok);
    ASSERT_TRUE(SaveGridFile(tables[0], path).ok);

    // How long one save takes here, to spread the kills over it.
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(SaveGridFile(tables[1], path).ok);
    const auto saveUs = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - t0)
                            .count();
    QRandomGenerator rng(7);
    int sawNew = 0, sawOld = 0;
    for (int round = 0; round < 30; ++round) {
        const int next = round % 2;
        const QByteArray before = readBytes(path);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            (void)SaveGridFile(tables[next], path);
            ::_exit(0);
        }
        ::usleep(useconds_t(rng.bounded(std::max<qint64>(1, saveUs * 5 / 4))));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = readBytes(path);
        ASSERT_TRUE(now == before || now == versions[next]) << "round " << round << ": " << now.size() << " bytes";
        (now == versions[next] && now != before ? sawNew : sawOld)++;
    }
    RemoveStaleTempFiles(dir.path());
    EXPECT_EQ(dir.entries(), QStringList({"grid.grd"}));
    EXPECT_EQ(sawNew + sawOld, 30);
}

TEST(DailyBackups, TheFirstSaveOfADayKeepsTheFilesOfTheDayBefore)
{
    TempFolder dir;
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    DailyBackup backup(dir.path(), clock);
    writeBytes(dir.file("grid.grd"), "tasks of the 8th");
    writeBytes(dir.file("gridNon.grd"), "to-do of the 8th");

    ASSERT_TRUE(backup.beforeSave().ok);
    const QString copies = dir.file("backups");
    EXPECT_EQ(readBytes(copies + "/grid-2026-12-09.grd"), "tasks of the 8th");
    EXPECT_EQ(readBytes(copies + "/gridNon-2026-12-09.grd"), "to-do of the 8th");
    EXPECT_FALSE(QFile::exists(copies + "/gridComp-2026-12-09.grd"));  // there was none

    // Later saves that day keep the first copy.
    ASSERT_TRUE(WriteFileAtomically(dir.file("grid.grd"), "tasks of the 9th").ok);  // as every save writes
    ASSERT_TRUE(backup.beforeSave().ok);
    EXPECT_EQ(readBytes(copies + "/grid-2026-12-09.grd"), "tasks of the 8th");
    // So does a new start on the same day.
    DailyBackup again(dir.path(), clock);
    ASSERT_TRUE(again.beforeSave().ok);
    EXPECT_EQ(readBytes(copies + "/grid-2026-12-09.grd"), "tasks of the 8th");

    // Past midnight the next save makes the next day's copy.
    clock.set(QDateTime(QDate(2026, 12, 10), QTime(0, 1)));
    ASSERT_TRUE(backup.beforeSave().ok);
    EXPECT_EQ(readBytes(copies + "/grid-2026-12-10.grd"), "tasks of the 9th");
}

TEST(DailyBackups, TheCopyIsALinkThatTakesNoRoomAndKeepsTheOldBytes)
{
    // A copy would need as much free space as the file, which the save that
    // follows may need itself: the day's copy is a second name for the file.
    TempFolder dir;
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    const QByteArray old = "2,2\r\ncw 0,64\r\ncw 1,64\r\n0,1,first\r\n";
    writeBytes(dir.file("grid.grd"), old);
    // A to-do file that is a link elsewhere: its copy holds the bytes it
    // points at, not the link.
    TempFolder elsewhere;
    writeBytes(elsewhere.file("todo.grd"), "to-do bytes\r\n");
    ASSERT_TRUE(QFile::link(elsewhere.file("todo.grd"), dir.file("gridNon.grd")));
    DailyBackup backup(dir.path(), clock);
    ASSERT_TRUE(backup.beforeSave().ok);

    const QString copy = dir.file("backups/grid-2026-12-09.grd");
    struct stat live {}, kept {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.file("grid.grd")).constData(), &live), 0);
    ASSERT_EQ(::stat(QFile::encodeName(copy).constData(), &kept), 0);
    EXPECT_EQ(live.st_ino, kept.st_ino) << "a copy where a link was possible";
    EXPECT_EQ(kept.st_nlink, nlink_t(2));
    const QString todoCopy = dir.file("backups/gridNon-2026-12-09.grd");
    EXPECT_FALSE(QFileInfo(todoCopy).isSymLink());
    EXPECT_EQ(readBytes(todoCopy), "to-do bytes\r\n");

    // The save replaces the file under its own name; the copy keeps the old bytes.
    Grid g(2, 2);
    g.setCell(0, 1, QStringLiteral("second"));
    ASSERT_TRUE(SaveGridFile(g, dir.file("grid.grd")).ok);
    EXPECT_EQ(readBytes(copy), old);
    EXPECT_TRUE(readBytes(dir.file("grid.grd")).contains("second"));
    ASSERT_TRUE(WriteFileAtomically(dir.file("gridNon.grd"), "new to-do\r\n").ok);
    EXPECT_EQ(readBytes(todoCopy), "to-do bytes\r\n");
    EXPECT_EQ(readBytes(elsewhere.file("todo.grd")), "new to-do\r\n");
}

TEST(DailyBackups, KeepTheLastFourteenDaysAndEveryDamagedCopy)
{
    TempFolder dir;
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    writeBytes(dir.file("grid.grd"), "now");
    QDir().mkpath(dir.file("backups"));
    // Twenty earlier days with copies, some days apart.
    for (int i = 1; i <= 20; ++i) {
        const QDate day = QDate(2026, 12, 9).addDays(-3 * i);
        writeBytes(dir.file("backups/" + DailyBackup::copyName("grid.grd", day)), "old");
        writeBytes(dir.file("backups/" + DailyBackup::copyName("gridNon.grd", day)), "old");
    }
    const QString damagedCopy = dir.file("backups/grid-2020-01-01-damaged.grd");
    writeBytes(damagedCopy, "damaged");
    writeBytes(dir.file("backups/notes-2020-01-01.txt"), "not ours");

    DailyBackup backup(dir.path(), clock);
    ASSERT_TRUE(backup.beforeSave().ok);
    const QStringList names = QDir(dir.file("backups")).entryList(QDir::Files);
    QStringList days;
    for (const QString &n : names)
        if (n.startsWith("grid-") && !n.contains("damaged"))
            days << n;
    EXPECT_EQ(days.size(), DailyBackup::kDaysKept);
    EXPECT_TRUE(days.contains("grid-2026-12-09.grd"));
    EXPECT_TRUE(days.contains(DailyBackup::copyName("grid.grd", QDate(2026, 12, 9).addDays(-39))));
    EXPECT_FALSE(names.contains(DailyBackup::copyName("gridNon.grd", QDate(2026, 12, 9).addDays(-42))));
    EXPECT_TRUE(QFile::exists(damagedCopy));
    EXPECT_TRUE(names.contains("notes-2020-01-01.txt"));

    // Copies of damaged files are numbered, never replaced.
    QString copy;
    ASSERT_TRUE(backup.keepDamaged(dir.file("grid.grd"), &copy).ok);
    EXPECT_TRUE(copy.endsWith("backups/grid-2026-12-09-damaged.grd"));
    ASSERT_TRUE(backup.keepDamaged(dir.file("grid.grd"), &copy).ok);
    EXPECT_TRUE(copy.endsWith("backups/grid-2026-12-09-damaged-2.grd"));
}

TEST(DailyBackups, AFailedCopyIsReportedOnceADayAndNeverStopsTheSave)
{
    TempFolder dir;
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    writeBytes(dir.file("grid.grd"), "tasks");
    writeBytes(dir.file("backups"), "a file where the folder belongs");
    DailyBackup backup(dir.path(), clock);
    const FileResult r = backup.beforeSave();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains("backups")) << r.message.toStdString();
    EXPECT_TRUE(backup.beforeSave().ok);  // tried once today
    Grid g(1, 1);
    EXPECT_TRUE(SaveGridFile(g, dir.file("grid.grd")).ok);

    // One file of the three that cannot be copied: the others are, and the
    // failure too is told once that day.
    TempFolder other;
    writeBytes(other.file("grid.grd"), "tasks");
    QDir().mkpath(other.file("gridNon.grd"));  // a folder where a file belongs
    DailyBackup once(other.path(), clock);
    const FileResult first = once.beforeSave();
    EXPECT_FALSE(first.ok);
    EXPECT_TRUE(first.message.contains("gridNon")) << first.message.toStdString();
    EXPECT_EQ(readBytes(other.file("backups/grid-2026-12-09.grd")), "tasks");
    EXPECT_TRUE(once.beforeSave().ok);
    clock.set(QDateTime(QDate(2026, 12, 10), QTime(8, 0)));
    EXPECT_FALSE(once.beforeSave().ok);  // the next day tries again
}
