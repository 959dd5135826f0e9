// The program from a terminal: the agenda, tasks added with and without a
// running copy, and the arguments it does not understand.

#include "CommandLine.h"
#include "DailyBackup.h"
#include "Grid.h"
#include "GridFile.h"
#include "TaskTables.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

using namespace morvane;
using namespace Qt::StringLiterals;

TEST(CommandLine, ArgumentsAreReadOrRefusedWithAReason)
{
    using A = CommandLine::Action;
    EXPECT_EQ(ParseCommandLine({}).action, A::Window);
    CommandLine cl = ParseCommandLine({"--agenda", "7", "--format=json", "--from=2026-12-09"});
    EXPECT_EQ(cl.action, A::Agenda);
    EXPECT_EQ(cl.days, 7);
    EXPECT_TRUE(cl.json);
    EXPECT_EQ(cl.from, QDate(2026, 12, 9));
    EXPECT_EQ(ParseCommandLine({"--agenda"}).days, 0);
    EXPECT_EQ(ParseCommandLine({"--add", "2026-12-10|Work|x"}).taskText, "2026-12-10|Work|x");
    EXPECT_EQ(ParseCommandLine({"--todo", "Home|x"}).action, A::Todo);
    EXPECT_EQ(ParseCommandLine({"-h"}).action, A::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).action, A::Version);

    for (const QStringList &bad : QList<QStringList>{{"--agenda", "x"},
                                                     {"--agenda", "-1"},
                                                     {"--agenda", "--add", "2026-12-10|a|b"},
                                                     {"--add"},
                                                     {"--format=xml", "--agenda"},
                                                     {"--from=2026-02-30", "--agenda"},
                                                     {"--format=json"},
                                                     {"--todo", "a|b", "--bogus"}}) {
        SCOPED_TRACE(bad.join(' ').toStdString());
        cl = ParseCommandLine(bad);
        EXPECT_EQ(cl.action, A::Error);
        EXPECT_FALSE(cl.error.isEmpty());
    }
}

TEST(CommandLine, ATaskIsReadFromItsText)
{
    QString why;
    auto t = ParseOutsideTask("2026-12-10 9:05|Work|Dentist|bring the card\\nand the letter", true, &why);
    ASSERT_TRUE(t) << why.toStdString();
    EXPECT_EQ(t->date, QDate(2026, 12, 10));
    EXPECT_EQ(t->time, QTime(9, 5));
    EXPECT_EQ(t->category, "Work");
    EXPECT_EQ(t->notes, "Dentist|bring the card\r\nand the letter");  // a bar in the notes is text
    t = ParseOutsideTask("2026-12-10|Home|Call", true, &why);
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->time);
    t = ParseOutsideTask("|Buy stamps", false, &why);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->category, "");
    EXPECT_EQ(t->notes, "Buy stamps");

    // The request to a running copy gives back the same task.
    t = ParseOutsideTask("2026-12-10 23:59|Wörk|Zahnarzt \"x\"", true, &why);
    ASSERT_TRUE(t);
    const auto back = OutsideTaskFromRequest(OutsideTaskRequest(*t));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->date, t->date);
    EXPECT_EQ(back->time, t->time);
    EXPECT_EQ(back->category, t->category);
    EXPECT_EQ(back->notes, t->notes);
    EXPECT_FALSE(OutsideTaskFromRequest("{not json"));

    for (const auto &[text, dated] : QList<std::pair<QString, bool>>{{"2026-12-10 25:00|a|b", true},
                                                                     {"10.12.2026|a|b", true},
                                                                     {"2026-12-10 10:30", true},
                                                                     {"2026-12-10 10:30 PM|a|b", true},
                                                                     {"no bar here", false},
                                                                     {"|", false}}) {
        SCOPED_TRACE(text.toStdString());
        why.clear();
        EXPECT_FALSE(ParseOutsideTask(text, dated, &why));
        EXPECT_FALSE(why.isEmpty());
    }
}

namespace {

Grid AgendaStore()
{
    Grid g = NewStoreGrid();
    const auto add = [&](int row, const QDate &d, const QString &time, const QString &cat, const QString &notes,
                         const char *done) {
        g.setRowCount(row + 1);
        g.setCell(kStoreKey, row, MakeStoreKey(DayNumber(d), row));
        g.setCell(kStoreTime, row, time);
        g.setCell(kStoreCategory, row, cat);
        g.setCell(kStoreNotes, row, notes);
        g.setCell(kStoreDone, row, QString::fromLatin1(done));
        g.setCell(kStoreAlarm, row, u"Yes"_s);
    };
    add(1, QDate(2026, 12, 8), "8:00 AM", "Work", "Before the range", "No");
    add(2, QDate(2026, 12, 9), "9:00 AM", "Work", "Dentist", "No");
    add(3, QDate(2026, 12, 9), "All day", "Home", "Two\r\nlines", "Yes");
    add(4, QDate(2026, 12, 11), "2:30 PM", "Work", "Last in range", "No");
    add(5, QDate(2026, 12, 12), "9:00 AM", "Work", "After the range", "No");
    return g;
}

}  // namespace

TEST(CommandLine, TheAgendaListsTheDaysTasksInTheLocalesFormats)
{
    const Grid store = AgendaStore();
    const FormatSettings us = fix2000(FormatSettings::enUS());
    EXPECT_EQ(AgendaText(store, QDate(2026, 12, 9), 2, us),
              "Wed 9 Dec 2026  9:00 AM  Work  Dentist\n"
              "Wed 9 Dec 2026  All day  Home  Two / lines  (done)\n"
              "Fri 11 Dec 2026  2:30 PM  Work  Last in range\n");
    EXPECT_EQ(AgendaText(store, QDate(2026, 12, 10), 0, us), "");

    const FormatSettings de = fix2000(FormatSettings::fromLocale(QLocale(u"de_DE"_s), 2026));
    EXPECT_TRUE(AgendaText(store, QDate(2026, 12, 9), 0, de).contains("  09:00  Work  Dentist\n"))
        << AgendaText(store, QDate(2026, 12, 9), 0, de).toStdString();

    const QJsonArray tasks = QJsonDocument::fromJson(AgendaJson(store, QDate(2026, 12, 9), 2, us)).array();
    ASSERT_EQ(tasks.size(), 3);
    const QJsonObject first = tasks[0].toObject();
    EXPECT_EQ(first["date"].toString(), "2026-12-09");
    EXPECT_EQ(first["time"].toString(), "09:00");
    EXPECT_EQ(first["timeText"].toString(), "9:00 AM");
    EXPECT_EQ(first["notes"].toString(), "Dentist");
    EXPECT_EQ(first["done"].toBool(), false);
    EXPECT_EQ(first["alarm"].toBool(), true);
    EXPECT_TRUE(tasks[1].toObject()["time"].isNull());
    EXPECT_EQ(tasks[1].toObject()["notes"].toString(), "Two\r\nlines");
    EXPECT_EQ(tasks[2].toObject()["time"].toString(), "14:30");
}

namespace {

// The real program run from a terminal on a data folder, without a display.
struct Terminal {
    explicit Terminal(QString dataFolder) : folder(std::move(dataFolder)) {}
    QString folder;
    QString locale = u"en_US.UTF-8"_s;
    QByteArray out, err;
    int run(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MORVANE_DIR", folder);
        env.insert("LC_ALL", locale);
        for (const char *var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(var);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(MORVANE_BIN_DIR "/morvane"), args);
        if (!p.waitForFinished(30000))
            return -1;
        out = p.readAllStandardOutput();
        err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

}  // namespace

// No display, no running copy: the agenda reads the file, a task added goes
// into the file by the window's rules (sorted in, saved whole, the day's
// backup kept first), and a damaged file is refused untouched.
TEST(CommandLine, TheRealProgramWorksWithoutADisplay)
{
    TempFolder data;
    writeBytes(data.file("grid.grd"), GridFileBytes(AgendaStore()));
    writeBytes(data.file("gridNon.grd"), "3,2\r\n0,1,Home\r\n1,1,Buy stamps\r\n2,1,No\r\n");
    Terminal t{data.path()};

    ASSERT_EQ(t.run({"--agenda", "2", "--from=2026-12-09"}), 0) << t.err.toStdString();
    EXPECT_EQ(t.out, "Wed 9 Dec 2026  9:00 AM  Work  Dentist\n"
                     "Wed 9 Dec 2026  All day  Home  Two / lines  (done)\n"
                     "Fri 11 Dec 2026  2:30 PM  Work  Last in range\n");
    ASSERT_EQ(t.run({"--agenda", "--from=2026-12-11", "--format=json"}), 0);
    EXPECT_EQ(QJsonDocument::fromJson(t.out).array().size(), 1);

    const QByteArray before = readBytes(data.file("grid.grd"));
    ASSERT_EQ(t.run({"--add", "2026-12-09 13:45|Work|From the terminal"}), 0) << t.err.toStdString();
    Grid store;
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    EXPECT_EQ(store.rowCount(), 7);
    // The new task is the last of its day, its time in the person's format.
    EXPECT_EQ(store.cell(kStoreNotes, 4), "From the terminal");
    EXPECT_EQ(store.cell(kStoreTime, 4), "1:45 PM");
    EXPECT_EQ(store.cell(kStoreKey, 4).section('.', 0, 0), QString::number(DayNumber(QDate(2026, 12, 9))));
    EXPECT_EQ(store.cell(kStoreDone, 4), "No");
    const QStringList backups = QDir(data.file("backups")).entryList(QDir::Files);
    ASSERT_EQ(backups.size(), 2) << backups.join(' ').toStdString();  // the store and the to-do list
    EXPECT_EQ(readBytes(data.file("backups/" + backups.filter("grid-").value(0))), before);

    t.locale = u"de_DE.UTF-8"_s;
    ASSERT_EQ(t.run({"--add", "2026-12-10 08:05|Arbeit|Früh"}), 0) << t.err.toStdString();
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    EXPECT_EQ(store.cell(kStoreTime, 5), "08:05");
    EXPECT_EQ(store.cell(kStoreNotes, 5), "Früh");

    ASSERT_EQ(t.run({"--todo", "Home|Paint the door\\nblue"}), 0) << t.err.toStdString();
    EXPECT_TRUE(readBytes(data.file("gridNon.grd")).endsWith("0,2,Home\r\n1,2,Paint the door\t\bblue\r\n2,2,No\r\n"))
        << readBytes(data.file("gridNon.grd")).toStdString();

    // A damaged file is named and left as it is; nothing is added.
    const QByteArray damaged = "6,3\r\n0,1,46365.101\r\n3,1,x\r\n\0\r\n"_ba;
    writeBytes(data.file("grid.grd"), damaged);
    EXPECT_EQ(t.run({"--add", "2026-12-09 13:45|Work|Lost?"}), 1);
    EXPECT_TRUE(t.err.contains("grid.grd") && t.err.contains("not added")) << t.err.toStdString();
    EXPECT_EQ(readBytes(data.file("grid.grd")), damaged);

    EXPECT_EQ(t.run({"--add", "2026-12-32|Work|x"}), 2);
    EXPECT_TRUE(t.err.contains("is not a date")) << t.err.toStdString();
    EXPECT_EQ(t.run({"--agenda", "--bogus"}), 2);
    EXPECT_TRUE(t.err.contains("unknown argument \"--bogus\"")) << t.err.toStdString();
    ASSERT_EQ(t.run({"--help"}), 0);
    EXPECT_TRUE(t.out.startsWith("Usage: morvane")) << t.out.toStdString();
    ASSERT_EQ(t.run({"--version"}), 0);
    EXPECT_TRUE(t.out.startsWith("Morvane ")) << t.out.toStdString();
}

// While the program runs, a task from the terminal is added by the running
// copy, which alone writes the files; it shows and survives the end of the
// session.
TEST(CommandLine, ATaskIsHandedToTheRunningCopy)
{
    TempFolder data;
    writeBytes(data.file("grid.grd"), GridFileBytes(AgendaStore()));
    writeBytes(data.file("gridNon.grd"), "3,2\r\n0,1,Home\r\n1,1,Buy stamps\r\n2,1,No\r\n");
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MORVANE_DIR", data.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(MORVANE_BIN_DIR "/morvane"), {});
    ASSERT_TRUE(window.waitForStarted(10000));
    const QString socket = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/morvane.socket";
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }, 20000));

    Terminal t{data.path()};
    ASSERT_EQ(t.run({"--add", "2026-12-09 13:45|Work|Handed over"}), 0) << t.err.toStdString();
    // Answered only once the running copy has saved it.
    EXPECT_TRUE(readBytes(data.file("grid.grd")).contains("Handed over"));
    ASSERT_EQ(t.run({"--todo", "Home|Also handed over"}), 0) << t.err.toStdString();
    EXPECT_TRUE(readBytes(data.file("gridNon.grd")).contains("1,2,Also handed over\r\n"));
    EXPECT_EQ(window.state(), QProcess::Running);

    ::kill(pid_t(window.processId()), SIGTERM);
    ASSERT_TRUE(window.waitForFinished(10000));
    EXPECT_EQ(window.exitCode(), 0);
    Grid store;
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    EXPECT_EQ(store.cell(kStoreNotes, 4), "Handed over");
    EXPECT_TRUE(readBytes(data.file("gridNon.grd")).contains("Also handed over"));
}
