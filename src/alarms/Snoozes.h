#pragma once
// Alarms put off for a while: a snoozed alarm rises again, with the text it
// had, at the first alarm check at or after its time, also after the
// machine slept or the program was ended and started again in between (the
// snoozes are kept in the settings, beside the program's other state, never
// in the task files).

#include "SettingsStore.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace morvane {

// The choice of "Snooze…", kept between runs.
constexpr IntSetting kSnoozeMinutesSetting{"Snooze", "Minutes", 10};
constexpr int kSnoozeMinMinutes = 1;
constexpr int kSnoozeMaxMinutes = 60;
constexpr int kSnoozeShortMinutes = 5;

struct SnoozedAlarm {
    QDateTime due;  // to the minute
    QString text;   // the alarm panel's text
};

class Snoozes {
public:
    // Puts the alarm off for `minutes` from the minute of `now`.
    void add(const QDateTime &now, int minutes, const QString &text);
    // The earliest snoozed alarm due at `now` or before, taken off the list.
    std::optional<SnoozedAlarm> takeDue(const QDateTime &now);
    const std::vector<SnoozedAlarm> &all() const { return list_; }

    // Kept in the settings' [Snooze] group: Count, then DueN (ISO date and
    // time) and TextN for N from 1.
    void read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;

private:
    std::vector<SnoozedAlarm> list_;
};

}  // namespace morvane
