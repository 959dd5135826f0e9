#include "SignalWatcher.h"
#include "SingleInstance.h"
#include "TimerPool.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvane;

TEST(TimerPool, TriggersFallDueByIntervalLessTolerance)
{
    TimerPool pool;
    qint64 now = 0;
    pool.setClock([&] { return now; });
    std::vector<int> ran;
    const auto c = pool.add(4, 120, [&] { ran.push_back(3); }, true);
    const auto a = pool.add(1, 1000, [&] { ran.push_back(1); }, true);  // added later, served first
    const auto b = pool.add(3, 40, [&] { ran.push_back(2); }, false);

    EXPECT_EQ(pool.dispatch(92), 0);
    EXPECT_EQ(pool.dispatch(93), 1);  // 120 less 27
    EXPECT_EQ(ran, std::vector<int>({3}));
    ran.clear();
    EXPECT_EQ(pool.dispatch(973), 2);  // both due: served in the order added
    EXPECT_EQ(ran, std::vector<int>({1, 3}));  // by order number

    // A disabled trigger never falls due; enabled, it counts from then.
    ran.clear();
    now = 1000;
    pool.setEnabled(b, true);
    now = 1010;
    pool.setEnabled(b, true);  // already on: its count is not restarted
    EXPECT_EQ(pool.dispatch(1012), 0);
    EXPECT_EQ(pool.dispatch(1013), 1);
    EXPECT_EQ(ran, std::vector<int>({2}));
    pool.disableAll();
    EXPECT_FALSE(pool.enabled(a));
    EXPECT_EQ(pool.dispatch(100000), 0);
    EXPECT_EQ(pool.interval(c), 120);
}

TEST(TimerPool, AHandlerMaySwitchTriggers)
{
    TimerPool pool;
    qint64 now = 0;
    pool.setClock([&] { return now; });
    int second = 0;
    TimerPool::Handle other = 0;
    pool.add(1, 100, [&] { pool.setEnabled(other, false); }, true);
    other = pool.add(2, 100, [&] { ++second; }, true);
    EXPECT_EQ(pool.dispatch(100), 1);
    EXPECT_EQ(second, 0);
}

// Two real processes: the second start hands over to the first and ends.
TEST(SingleInstance, ASecondStartActivatesTheFirstAndEnds)
{
    const QString helper = QCoreApplication::applicationDirPath() + "/morvane_instance_helper";
    const QString name = QString("morvane-test-%1").arg(QCoreApplication::applicationPid());
    QProcess first;
    first.start(helper, {name});
    ASSERT_TRUE(first.waitForReadyRead(10000));
    EXPECT_EQ(first.readAllStandardOutput().trimmed(), "first");

    QProcess second;
    second.start(helper, {name});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardOutput().trimmed(), "handed over");

    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.readAllStandardOutput().trimmed(), "activated");

    // With the first gone, the next start is the first again.
    QProcess third;
    third.start(helper, {name});
    ASSERT_TRUE(third.waitForReadyRead(10000));
    EXPECT_EQ(third.readAllStandardOutput().trimmed(), "first");
    third.kill();
    third.waitForFinished();

    // A copy that was killed leaves its socket behind; the next start takes over.
    QProcess fourth;
    fourth.start(helper, {name});
    ASSERT_TRUE(fourth.waitForReadyRead(10000));
    EXPECT_EQ(fourth.readAllStandardOutput().trimmed(), "first");
    fourth.kill();
    fourth.waitForFinished();
}

TEST(SignalWatcher, AWayOutThatHangsEndsWhenTheGraceTimeIsOver)
{
    // The first SIGTERM asks the loop to end the program; a main thread busy
    // elsewhere never gets to it, and the program must end all the same.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SignalWatcher watcher(nullptr, 1);
        ::raise(SIGTERM);
        for (int i = 0; i < 20; ++i)
            ::sleep(1);  // never back to the loop
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM) << "the way out waited for the busy thread";
}
