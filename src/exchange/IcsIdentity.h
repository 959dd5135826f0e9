#pragma once
// What ties a task of this program to an event or to-do of an iCalendar
// file: UIDs made from the task's content, and the private properties an
// export adds.
//
// The task files have no place for another program's UID, and their format
// stays as it is; so a task is known by its content instead. The UID of a
// dated task is a hash of its category and notes, its date, and, for the
// second and later identical tasks of one day, their number in store order:
//
//   0123456789abcdef-20261209@morvane      the first such task of the day
//   0123456789abcdef-20261209-2@morvane    the second
//
// Time, done and alarm are left out, so that a task done or moved to another
// hour keeps its UID and a re-export updates the other program's copy.
//
// Which task here an event of a file is (IcsStoreMatcher), the one rule for
// an import and a sync alike:
//   1. a UID this program made names its task (content, day and ordinal),
//      wherever the file now puts the event and whatever its text now is;
//   2. any other event is a task of the same category and notes at the
//      event's day and time of day (of several, one whose done state and
//      alarm are the event's first: the store keeps like tasks in the order
//      of those cells, not of the file); for an occurrence the file moved
//      (a RECURRENCE-ID), at the day and time it had before, too: the task
//      an import made before the move stands there, one made after it
//      stands where the file now puts it, and either is that occurrence;
//   3. failing both, once every occurrence of the file has had its turn at
//      the first two: a task of that content on the day the occurrence had,
//      then on its day now, whatever its time.
// Each task is matched once. A task found whose day, time or text differ
// from the file's is changed in the file; one found for a cancelled event
// or a date the file took out of a repeat is removed there.

#include "Utility.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QHash>

#include <optional>
#include <utility>
#include <vector>

namespace morvane {

inline constexpr const char *kIcsProductId = "-//Morvane//Morvane Calendar//EN";
// "Yes" or "No": the task's done state, which an event's STATUS cannot say.
inline constexpr const char *kIcsDoneProperty = "X-MORVANE-DONE";
// A category with a comma: its exact text. libical writes CATEGORIES as a
// list without escaping commas, so "Work, Club" reads as two categories
// elsewhere and would come back as "Work,Club" here.
inline constexpr const char *kIcsCategoryProperty = "X-MORVANE-CATEGORY";
// On the to-dos of the completed log: "COMPLETED-LOG".
inline constexpr const char *kIcsListProperty = "X-MORVANE-LIST";
inline constexpr const char *kIcsCompletedLog = "COMPLETED-LOG";
// On completed-log to-dos: the log's own texts of the task's date and time,
// and of the date it was completed on (COMPLETED says the day, but the
// text is the log's, in the format of the computer that wrote it).
inline constexpr const char *kIcsOriginalDateProperty = "X-MORVANE-ORIGINAL-DATE";
inline constexpr const char *kIcsTimeProperty = "X-MORVANE-TIME";
inline constexpr const char *kIcsCompletedDateProperty = "X-MORVANE-COMPLETED-DATE";

// A stable 64-bit hash of the texts, separated so that ("ab", "c") and
// ("a", "bc") differ; 16 lower-case hex digits.
QByteArray IcsContentHash(std::initializer_list<QByteArrayView> parts);

QByteArray IcsDatedUid(QByteArrayView hash, const QDate &date, int ordinal);
QByteArray IcsTodoUid(QByteArrayView hash, int ordinal);
QByteArray IcsCompletedUid(QByteArrayView hash, int ordinal);

// A UID this program made, taken apart; nothing for any other UID.
struct OwnIcsUid {
    enum class Kind { Dated, Todo, Completed };
    Kind kind = Kind::Dated;
    QByteArray hash;
    QDate date;       // dated tasks only
    int ordinal = 1;
};
std::optional<OwnIcsUid> ParseOwnIcsUid(QByteArrayView uid);

// Counts identical tasks as a day (or a list) is walked in order: the n-th
// task with a given hash gets ordinal n.
class OrdinalCounter {
public:
    int next(const QByteArray &hash);
    void clear() { seen_.clear(); }

private:
    std::vector<std::pair<QByteArray, int>> seen_;  // a day holds few tasks
};

class Grid;

// Where the file puts an occurrence and where it stood before the file moved
// it (the same place for one it did not move): days and minutes of the day
// (-1: all day, or a time cell that is not a time).
struct IcsPlace {
    int day = 0, minute = -1;
    int dayWas = 0, minuteWas = -1;
    bool moved() const { return day != dayWas || minute != minuteWas; }
};

// The tasks of the store, found by the rule above. Rows are the store's.
class IcsStoreMatcher {
public:
    IcsStoreMatcher(const Grid &store, const FormatSettings &formats);

    // Taken at once, as the file is read: the task the UID names, else one
    // of the same content where the file puts the occurrence, else where it
    // stood, at the same minute of the day, one done and with an alarm as
    // `done` and `alarm` say first. -1 when there is none.
    int takeNamedOrSame(const QByteArray &hash, const std::optional<OwnIcsUid> &own, const IcsPlace &place,
                        bool done, bool alarm);
    // Whether a task of that content is still free on either day of `place`.
    bool hasFree(const QByteArray &hash, const IcsPlace &place);
    // Taken once every occurrence of the file has had its turn at the first
    // step, so that an event moved in the day does not take the task its
    // twin left where it was: a free task of that content on the day the
    // occurrence had, else on its day now.
    int takeSameContent(const QByteArray &hash, const IcsPlace &place);

private:
    struct Known {
        QByteArray hash;
        int ordinal, row, minute;
        bool done, alarm;
        bool used = false;
    };
    std::vector<Known> &dayTasks(int day);
    int takeSame(const QByteArray &hash, int day, int minute, bool done, bool alarm);
    int takeAny(const QByteArray &hash, int day);

    const Grid &store_;
    const FormatSettings &formats_;
    QHash<int, std::vector<Known>> days_;
    QHash<QString, int> minutes_;  // time texts read so far
};

// The rows of the to-do list, by the same rule without days. Rows are the list's.
class IcsTodoMatcher {
public:
    explicit IcsTodoMatcher(const Grid &todo);
    int take(const QByteArray &hash, const std::optional<OwnIcsUid> &own);

private:
    struct Known {
        QByteArray hash;
        int ordinal, row;
        bool used = false;
    };
    std::vector<Known> known_;
};

}  // namespace morvane
