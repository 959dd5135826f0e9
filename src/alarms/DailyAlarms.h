#pragma once
// The ten daily alarms: a time of day, a description and the weekdays on
// which each one sounds, kept in the settings under "DailyOptions".

#include "Clock.h"
#include "SettingsStore.h"
#include "Utility.h"

#include <QString>
#include <array>
#include <optional>

namespace morvane {

struct TDailyAlarm {
    bool enabled = false;
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    QString description;          // at most kDailyDescriptionChars
    std::array<bool, 7> days{};   // Sunday first
    // 00:00 has long stood for "no time set"; a midnight the person chose
    // is marked apart so that it can be an alarm time too.
    bool midnight = false;

    bool hasTime() const { return hour != 0 || minute != 0 || midnight; }
    bool operator==(const TDailyAlarm &) const = default;
};

constexpr int kDailyAlarmCount = 10;
constexpr qsizetype kDailyDescriptionChars = 80;

class DailyAlarms {
public:
    // Records 1 to 10 are alarms[0] to alarms[9].
    std::array<TDailyAlarm, kDailyAlarmCount> alarms{};

    // ReadDailyAlarmSettings: fills the records from the settings. A record
    // without a stored time keeps its other fields as they are, except that
    // an empty record gets every weekday; a stored time that is not a time
    // reads as the clock's time of day.
    void read(const SettingsStore &settings, const FormatSettings &fs, const Clock &clock);
    // SaveDailyAlarmSettings: writes all ten records. A chosen midnight is
    // stored as 00:00 like an unset time, with "Midnight<n>" set beside it:
    // copies that do not know the mark read the record as they always did.
    void save(SettingsStore &settings, const FormatSettings &fs) const;

};

// Whether a record sounds at the given minute of the given day: switched
// on, with a description, on that weekday, at that hour and minute. The
// minute check (AlarmWatch) asks this for every minute it covers.
bool DailyAlarmDue(const TDailyAlarm &a, const QDate &day, int hour, int minute);

// What stops the daily alarms dialog from storing its rows: the first
// enabled row, from 1 to 10, with a blank description or without a time
// (00:00 not chosen as midnight). Rows that are off are never looked at, so a
// half-written alarm can be parked by switching it off.
struct DailyAlarmProblem {
    enum class Field { Description, Time };
    int row = 0;  // 1 to 10
    Field field = Field::Description;
    QString message;
};
std::optional<DailyAlarmProblem> CheckDailyAlarms(const std::array<TDailyAlarm, kDailyAlarmCount> &alarms);

// The seven weekday column heads, Sunday first: the first letter of each of
// the locale's short day names, or the English initial where a name is empty.
std::array<QString, 7> DailyWeekdayHeads(const FormatSettings &fs);

}  // namespace morvane
