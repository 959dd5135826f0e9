#pragma once
// The ten daily alarms: a time of day, a description and the weekdays on
// which each one sounds, kept in the settings under "DailyOptions".

#include "Clock.h"
#include "SettingsStore.h"
#include "Utility.h"

#include <QString>
#include <array>

namespace morvane {

struct TDailyAlarm {
    bool enabled = false;
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    QString description;          // at most kDailyDescriptionChars
    std::array<bool, 7> days{};   // Sunday first

    bool operator==(const TDailyAlarm &) const = default;
};

constexpr int kDailyAlarmCount = 10;
constexpr qsizetype kDailyDescriptionChars = 80;

class DailyAlarms {
public:
    // Records 1 to 10 are alarms[0] to alarms[9].
    std::array<TDailyAlarm, kDailyAlarmCount> alarms{};

    // ReadDailyAlarmSettings: fills the records from the settings. A record
    // without a stored time keeps its other fields as they are; a stored time
    // that is not a time reads as the clock's time of day.
    void read(const SettingsStore &settings, const FormatSettings &fs, const Clock &clock);
    // SaveDailyAlarmSettings: writes all ten records.
    void save(SettingsStore &settings, const FormatSettings &fs) const;

    // IsADailyAlarmReady: the lowest-numbered enabled record, with a
    // description, due at this minute of this weekday.
    bool ready(const QDateTime &now, QString *description) const;
};

// Whether a record sounds at the given minute of the given day.
bool DailyAlarmDue(const TDailyAlarm &a, const QDate &day, int hour, int minute);

}  // namespace morvane
