#pragma once
// The program from a terminal: the agenda, a task added, help and version,
// all without a display. Reading the arguments and writing the agenda are
// plain functions here; CommandLineRunner does the files and the running
// copy.

#include "Grid.h"
#include "Utility.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace morvane {

// What the arguments ask for.
struct CommandLine {
    enum class Action { Window, Agenda, Add, Todo, Sync, Help, Version, Error };
    Action action = Action::Window;
    int days = 0;             // --agenda: today and this many days after
    bool json = false;        // --format=json
    QDate from;               // --from=YYYY-MM-DD (default today)
    QString taskText;         // the text after --add or --todo
    QString error;            // why the arguments were not understood
};
CommandLine ParseCommandLine(const QStringList &args);  // without the program's name
QString CommandLineHelp();

// A task given on the command line: "2026-12-10 10:30|Work|Dentist" (the
// time may be left out) for a dated task, "Work|Call the bank" for a to-do
// task. Notes may hold "|"; "\n" in them is a line break.
struct OutsideTask {
    bool dated = true;
    QDate date;
    std::optional<QTime> time;
    QString category, notes;
};
// Reads the text of --add (dated) or --todo; on failure *why says why.
std::optional<OutsideTask> ParseOutsideTask(const QString &text, bool dated, QString *why);
// The same task as one line, to hand to a running copy, and back.
QByteArray OutsideTaskRequest(const OutsideTask &task);
std::optional<OutsideTask> OutsideTaskFromRequest(const QByteArray &request);

// The dated tasks of `from` and the `days` days after it, in the store's
// order: a line each, "Wed 9 Dec 2026  09:00  Work  Dentist" in the
// locale's names and time format, or a JSON array of objects.
QString AgendaText(const Grid &store, const QDate &from, int days, const FormatSettings &fs);
QByteArray AgendaJson(const Grid &store, const QDate &from, int days, const FormatSettings &fs);

}  // namespace morvane
