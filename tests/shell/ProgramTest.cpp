// The real program, started as a person would: one copy per user, and a
// SIGTERM (the desktop ending the session) saves like Exit.

#include "Grid.h"
#include "GridFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace morvane;

TEST(Program, ASecondCopyHandsOverAndSigtermSavesLikeExit)
{
    TempFolder data;
    writeBytes(data.file("grid.grd"), "6,3\r\n0,1,46365.101\r\n3,1,later\r\n0,2,46364.101\r\n3,2,sooner\r\n");
    writeBytes(data.file("gridNon.grd"), "3,2\r\n1,1,Buy stamps\r\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MORVANE_DIR", data.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString program = QStringLiteral(MORVANE_BIN_DIR "/morvane");
    const QString socket =
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/morvane.socket";

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }, 10000));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    Grid store;
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    EXPECT_EQ(store.cell(3, 1), "sooner");  // sorted and saved on the way out
    const QByteArray todoBytes = readBytes(data.file("gridNon.grd"));
    EXPECT_TRUE(todoBytes.contains("cw 0,")) << todoBytes.toStdString();
    EXPECT_TRUE(todoBytes.contains("1,1,Buy stamps\r\n"));
}

namespace {

// Starts the real program on a data folder, waits until it runs its loop.
struct Running {
    QProcess process;
    explicit Running(const QString &folder, const std::function<void()> &inChild = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MORVANE_DIR", folder);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.start(QStringLiteral(MORVANE_BIN_DIR "/morvane"), {});
    }
    // Until the program catches SIGTERM, which it does once its window is
    // up (read from the kernel's record of the process, not guessed by time).
    bool waitUntilListening()
    {
        if (!process.waitForStarted(10000))
            return false;
        const QString status = QStringLiteral("/proc/%1/status").arg(process.processId());
        return QTest::qWaitFor(
            [&] {
                QFile f(status);
                if (!f.open(QIODevice::ReadOnly))
                    return false;
                for (const QByteArray &line : f.readAll().split('\n'))
                    if (line.startsWith("SigCgt:"))
                        return ((line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1) != 0;
                return false;
            },
            10000);
    }
};

QByteArray storeOf(int tasks)
{
    QByteArray b = "6," + QByteArray::number(tasks + 1) + "\r\n";
    for (int r = 1; r <= tasks; ++r)
        b += "0," + QByteArray::number(r) + ",46365." + QByteArray::number(100 + r % 900) + "\r\n3," +
             QByteArray::number(r) + ",task number " + QByteArray::number(r) + "\r\n";
    return b;
}

}  // namespace

TEST(Program, SigtermWithAFileThatCannotBeSavedEndsWithoutAsking)
{
    // A read-only task folder: every save on the way out fails. The end of
    // the session asks nothing (nobody is there to answer) and ends.
    TempFolder data;
    const QByteArray store = storeOf(20);
    writeBytes(data.file("grid.grd"), store);
    writeBytes(data.file("gridNon.grd"), "3,2\r\n1,1,Buy stamps\r\n");
    ::chmod(QFile::encodeName(data.path()).constData(), 0555);
    ::chmod(QFile::encodeName(data.file("grid.grd")).constData(), 0444);
    Running app(data.path());
    ASSERT_TRUE(app.waitUntilListening());
    ::kill(pid_t(app.process.processId()), SIGTERM);
    const bool ended = app.process.waitForFinished(10000);
    if (!ended)
        app.process.kill();
    ::chmod(QFile::encodeName(data.path()).constData(), 0755);
    ASSERT_TRUE(ended) << "the program hung at the end of the session";
    EXPECT_EQ(app.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(readBytes(data.file("grid.grd")), store);
}

TEST(Program, AFileSizeLimitFailsTheSaveInsteadOfKillingTheProgram)
{
    // Under a 64 kB file-size limit a save of a larger store fails like a
    // full disk: the program reports it, keeps the old file and ends
    // normally on SIGTERM, leaving no temporary file.
    TempFolder data;
    const QByteArray store = storeOf(3000);
    ASSERT_GT(store.size(), 64 * 1024);
    writeBytes(data.file("grid.grd"), store);
    writeBytes(data.file("gridNon.grd"), "3,2\r\n1,1,Buy stamps\r\n");
    Running app(data.path(), [] {
        struct rlimit lim {64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &lim);
    });
    ASSERT_TRUE(app.waitUntilListening());
    ::kill(pid_t(app.process.processId()), SIGTERM);
    ASSERT_TRUE(app.process.waitForFinished(10000));
    EXPECT_EQ(app.process.exitStatus(), QProcess::NormalExit) << "killed by signal " << app.process.exitCode();
    EXPECT_EQ(readBytes(data.file("grid.grd")), store);
    for (const QString &name : data.entries())
        EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
}

TEST(Program, TheStartUpProfileEndsWhenAnAlarmCoversTheWindow)
{
    // An alarm due at start covers the calendars and the day list: the
    // profile line still comes, and the program ends without saving.
    TempFolder data, config;
    QByteArray store = "6,3\r\n";
    const QDate today = QDate::currentDate();
    // Just after midnight today and tomorrow, so a date that turns while the
    // program starts still leaves one alarm due.
    for (int r = 1; r <= 2; ++r) {
        const QByteArray row = QByteArray::number(r);
        store += "0," + row + "," + QByteArray::number(today.addDays(r - 1).toJulianDay() - 2415019) +
                 ".001\r\n1," + row + ",12:00 AM\r\n3," + row + ",Early\r\n4," + row + ",No\r\n5," + row +
                 ",Yes\r\n";
    }
    writeBytes(data.file("grid.grd"), store);
    writeBytes(data.file("gridNon.grd"), "3,2\r\n");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MORVANE_DIR", data.path());
    env.insert("XDG_CONFIG_HOME", config.path());  // no alarm remembered from another run
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("MORVANE_PROFILE_STARTUP", "1");
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(MORVANE_BIN_DIR "/morvane"), {});
    const bool ended = process.waitForFinished(20000);
    if (!ended)
        process.kill();
    ASSERT_TRUE(ended) << "the profile never saw a first paint";
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardError().contains("startup: ")) << "no profile line";
    EXPECT_EQ(readBytes(data.file("grid.grd")), store);
}
