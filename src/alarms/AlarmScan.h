#pragma once
// The once-a-minute alarm check: which daily alarm or task alarm is due.
//
// A check covers every minute since the one before it, each minute once: a
// machine that slept, a program that was busy or a trigger that drifted past
// a minute must not lose an alarm, and two checks in one minute must not
// raise the same alarm twice. When one check finds several alarms (after a
// gap, or two due in the same minute), the earliest is raised and the panel
// says how many others there were.

#include "DailyAlarms.h"
#include "Grid.h"
#include "SettingsStore.h"
#include "Utility.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace morvane {

struct AlarmSettings {
    bool playAlarm = true;  // task alarms are looked for at all
    int leadMinutes = 0;    // a task's alarm sounds this long before its time
};

struct RaisedAlarm {
    bool daily = false;
    QString what;   // the daily alarm's description or the task's notes
    QString time;   // the task's time as stored (task alarms)
    QDate day;      // the day the alarm belongs to
    int missed = 0; // other alarms due in the minutes the check covered

    // The panel's text. An alarm of another day than `today` names its day.
    QString panelText(const QDate &today, const FormatSettings &fs) const;
};

// The longest gap a check looks back over.
constexpr int kAlarmCatchUpDays = 31;

// The last minute a run checked, kept in the settings so that the next start
// does not raise again what a run before it raised: the day's number and the
// minute of that day (0 to 1439).
constexpr IntSetting kAlarmCheckedDaySetting{"Options", "AlarmCheckedDay", 0};
constexpr IntSetting kAlarmCheckedMinuteSetting{"Options", "AlarmCheckedMinute", -1};

// The stored minute; invalid when none is stored or it is not a minute.
QDateTime ReadAlarmChecked(const SettingsStore &settings);
void WriteAlarmChecked(SettingsStore &settings, const QDateTime &minute);

class AlarmWatch {
public:
    // Checks the minutes after the last check up to `now`'s minute.
    //
    // Daily alarms are due at their minute on their weekdays. A task of the
    // store is due when its alarm flag is "Yes" and its time less the lead
    // time falls in those minutes; a task whose time is not a time of day
    // ("All day") is never due. The first check after start also raises a
    // task of today whose time (less the lead) has already passed, unless a
    // run before this one checked that minute (resume); that catch-up lasts
    // until a check finds today's tasks with alarms looked for.
    // Of several due alarms, the earliest is raised, a daily alarm before a
    // task alarm of the same minute, tasks in store order.
    std::optional<RaisedAlarm> check(const QDateTime &now, const Grid &store, const DailyAlarms &daily,
                                     const AlarmSettings &settings, const FormatSettings &fs);

    // The last minute a run before this one checked (ReadAlarmChecked).
    void resume(const QDateTime &checkedBefore);

    bool firstAlarmCheck() const { return first_; }
    // The start of the last minute checked; invalid before the first check.
    QDateTime lastChecked() const;

private:
    bool first_ = true;
    std::optional<qint64> last_;  // wall-clock minute
    std::optional<qint64> before_;  // the last minute an earlier run checked
};

}  // namespace morvane
