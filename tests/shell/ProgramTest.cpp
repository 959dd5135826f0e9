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
