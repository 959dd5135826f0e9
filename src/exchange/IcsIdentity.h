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
// hour keeps its UID and a re-export updates the other program's copy. An
// import recognises a task as already here when the store holds, on the
// same day, a task of the same content (the same UID) or, for a file this
// program wrote, the task whose UID the file names.

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>

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
// On completed-log to-dos: the log's own texts of the task's date and time.
inline constexpr const char *kIcsOriginalDateProperty = "X-MORVANE-ORIGINAL-DATE";
inline constexpr const char *kIcsTimeProperty = "X-MORVANE-TIME";

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

}  // namespace morvane
