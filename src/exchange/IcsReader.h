#pragma once
// Reading an iCalendar file: its lines checked before libical reads it, the
// calendar cut into its components, and each component read by libical on
// its own (or, when all its lines are in the plain form this program
// writes, read here to the same values).
//
// libical reads almost anything and reports what it could not read as
// properties of the components, without line numbers. The check here finds
// the line of a broken file; cutting the file lets each component be read,
// used and freed in turn, and lets the import hand libical only the lines it
// uses.

#include "IcsLibical.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

struct IcsBlock {
    QByteArray name;  // VEVENT, VTODO, VTIMEZONE, ...
    int firstLine = 0;
    qsizetype begin = 0, end = 0;  // bytes of its BEGIN line up to and including its END line
    bool overrides = false;        // has a RECURRENCE-ID: it replaces one occurrence
    // Found here rather than by libical, which is not handed these lines (an
    // attachment can be megabytes of inline data).
    bool attendees = false, attachments = false;
};

struct IcsStructure {
    int errorLine = 0;
    QString error;
    bool stopped = false;  // the scan was told to stop; it holds nothing
    std::vector<IcsBlock> blocks;  // the components of every calendar of the file, in order
};

struct IcsReadErrors {
    QString fatal;
    int fatalLine = 0;
    bool badRule = false;  // a recurrence rule libical could not read
};

// The file's text as UTF-8: each line (a folded line with the lines that
// continue it) as it is where it is valid UTF-8, and read as Windows-1252
// where it is not, so that one line an older program wrote does not turn
// every other line's letters into two. A byte-order mark is dropped.
QByteArray IcsTextAsUtf8(const QByteArray &file);

// Checks the lines of the whole file (names, BEGIN and END in pairs, a
// calendar around everything) and finds its components; on a broken file
// the structure holds the line and the message and no components. Now and
// then it tells `keepGoing` how many bytes it has read, and stops when told.
IcsStructure ScanIcsStructure(const QByteArray &text, const std::function<bool(qsizetype)> &keepGoing = {});

// Room for a component's lines as libical is handed them, kept from one
// component to the next.
struct IcsReadBuffers {
    std::string line, handed;
    std::vector<std::string> lines;  // the lines of a component kept for libical, `kept` of them
    std::size_t kept = 0;
};

// The values of an event or to-do made only of lines in the plain form this
// program writes, read without libical: most of a file this program
// exported. libical spends most of an import on such lines (it looks every
// name up in long lists and allocates for each value), and gives exactly
// these values for them.
struct IcsPlainComponent {
    bool todo = false;
    // Of each property its first value, as libical gives it (text
    // unescaped); absent when the component has none.
    std::optional<QByteArray> uid, summary, description, location, xDone, xList, xCategory;
    QList<QByteArray> categories;  // every CATEGORIES value, in order
    std::optional<icalproperty_status> status;
    std::optional<icaltimetype> start, end;  // DTSTART and DTEND: dates or floating times
    bool alarm = false;                      // it has an alarm
    std::optional<qint64> trigger;           // the first alarm's TRIGGER: seconds from the start
};

// Reads one component of the file with libical: a zone's changes, an event
// or to-do with the lines the import uses. A value libical cannot read where
// the import uses it (a date, a time, a zone offset) is fatal, with the line
// it stands on; a recurrence rule it cannot read is only marked.
//
// Given `plain`, an event or to-do made only of plain lines is read into it
// instead, without libical, and `out` is left empty.
void ReadIcsComponent(const QByteArray &text, const IcsBlock &b, IcsReadBuffers &buffers, IcalPtr &out,
                      IcsReadErrors &errors, IcsPlainComponent *plain = nullptr);

}  // namespace morvane
