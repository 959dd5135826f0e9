#include "AlarmScan.h"

#include "TaskTables.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// Minutes of the wall clock: the day's Julian number and the minute of the
// day. Tasks are kept in wall-clock time, so the checks count in it too.
qint64 wallMinute(const QDate &d, int hour, int minute) { return d.toJulianDay() * 1440 + hour * 60 + minute; }
qint64 wallMinute(const QDateTime &t) { return wallMinute(t.date(), t.time().hour(), t.time().minute()); }

// A clock set back by more than this starts the checks afresh; less is the
// hour repeated when summer time ends, whose minutes were checked already.
constexpr qint64 kClockSetBackMinutes = 2 * 60;

struct Due {
    qint64 at;      // the minute it is due
    bool daily;
    int order;      // record number or store row
    RaisedAlarm alarm;
};

bool earlier(const Due &a, const Due &b)
{
    if (a.at != b.at)
        return a.at < b.at;
    if (a.daily != b.daily)
        return a.daily;
    return a.order < b.order;
}

}  // namespace

QString RaisedAlarm::panelText(const QDate &today, const FormatSettings &fs) const
{
    QString text;
    if (daily) {
        text = u"Daily alarm \""_s + LeftWhole(what, 40) + u"\" ... click panel to clear"_s;
    } else {
        QString when = time;
        if (day.isValid() && day != today)
            when += u" on "_s + FormatDateTime(fs.shortDateFormat, ToDateValue(day), fs);
        text = u"Alarm \""_s + LeftWhole(what, 40) + u"\" at "_s + when + u" ... click panel to clear"_s;
    }
    if (missed > 0)
        text += u" ("_s + QString::number(missed) + u" more missed)"_s;
    return text;
}

std::optional<RaisedAlarm> AlarmWatch::check(const QDateTime &now, const Grid &store, const DailyAlarms &daily,
                                             const AlarmSettings &settings, const FormatSettings &fs)
{
    const qint64 to = wallMinute(now);
    // The minute an earlier run checked last counts only when the clock has
    // not been set back by more than a repeated hour since.
    // (Kept as a flag and a value: g++ 12's optimiser warns, wrongly, of an
    // optional read uninitialised in the loop below.)
    const bool haveBefore = before_ && *before_ - to <= kClockSetBackMinutes;
    const qint64 before = haveBefore ? *before_ : 0;
    // A run that ended moments ago checked up to this minute or beyond:
    // what it raised is not raised again.
    if (!last_ && haveBefore && before >= to - 1)
        last_ = before;
    qint64 from;  // exclusive
    if (!last_) {
        from = to - 1;
    } else if (to <= *last_) {
        if (*last_ - to <= kClockSetBackMinutes)
            return std::nullopt;  // these minutes were checked
        from = to - 1;
    } else {
        from = std::max(*last_, to - qint64(kAlarmCatchUpDays) * 1440);
    }
    last_ = to;

    std::vector<Due> due;
    const QDate fromDay = QDate::fromJulianDay(from / 1440), today = now.date();
    for (QDate d = fromDay; d <= today; d = d.addDays(1)) {
        for (int n = 0; n < kDailyAlarmCount; ++n) {
            const TDailyAlarm &a = daily.alarms[std::size_t(n)];
            const qint64 at = wallMinute(d, a.hour, a.minute);
            if (at > from && at <= to && DailyAlarmDue(a, d, a.hour, a.minute)) {
                RaisedAlarm r;
                r.daily = true;
                r.what = a.description;
                r.day = d;
                due.push_back({at, true, n, r});
            }
        }
    }

    if (settings.playAlarm) {
        const qint64 lead = settings.leadMinutes;
        // The days whose tasks can fall due: those of the checked minutes
        // moved on by the lead time, and today for the catch-up after start.
        QDate firstDay = QDate::fromJulianDay((from + lead) / 1440);
        const QDate lastDay = QDate::fromJulianDay((to + lead) / 1440);
        if (first_ && today < firstDay)
            firstDay = today;
        bool reachedToday = false;
        for (QDate d = firstDay; d <= lastDay; d = d.addDays(1)) {
            const int dayNumber = DayNumber(d);
            for (int row = FirstRowOnOrAfter(store, dayNumber); row < store.rowCount(); ++row) {
                if (KeyDay(store.cellUtf8(kStoreKey, row)) != dayNumber)
                    break;
                if (d == today)
                    reachedToday = true;
                if (store.cellUtf8(kStoreAlarm, row) != "Yes")
                    continue;
                const QString timeText = store.cell(kStoreTime, row);
                if (timeText.isEmpty())
                    continue;
                // A time that is not a time ("All day") has no minute to ring in.
                DateValue value = 0;
                if (!StrToTime(timeText, fs, &value))
                    continue;
                const QTime t = TimeOfValue(value);
                const qint64 alarmAt = wallMinute(d, t.hour(), t.minute()) - lead;
                const bool inChecked = alarmAt > from && alarmAt <= to;
                // The catch-up covers only minutes no run has checked.
                const bool caughtUp = first_ && d == today && alarmAt <= to && (!haveBefore || alarmAt > before);
                if (!inChecked && !caughtUp)
                    continue;
                RaisedAlarm r;
                r.what = store.cell(kStoreNotes, row);
                r.time = timeText;
                r.day = d;
                due.push_back({alarmAt, false, row, r});
            }
        }
        if (reachedToday)
            first_ = false;
    }

    if (due.empty())
        return std::nullopt;
    auto best = due.begin();
    for (auto it = due.begin(); it != due.end(); ++it)
        if (earlier(*it, *best))
            best = it;
    RaisedAlarm r = best->alarm;
    r.missed = int(due.size()) - 1;
    return r;
}

void AlarmWatch::resume(const QDateTime &checkedBefore)
{
    if (checkedBefore.isValid())
        before_ = wallMinute(checkedBefore);
}

QDateTime ReadAlarmChecked(const SettingsStore &settings)
{
    const int day = settings.read(kAlarmCheckedDaySetting);
    const int minute = settings.read(kAlarmCheckedMinuteSetting);
    const QDate date = DateOfDay(day);
    if (day <= 0 || !date.isValid() || minute < 0 || minute >= 1440)
        return {};
    return QDateTime(date, QTime(minute / 60, minute % 60));
}

void WriteAlarmChecked(SettingsStore &settings, const QDateTime &minute)
{
    settings.write(kAlarmCheckedDaySetting, DayNumber(minute.date()));
    settings.write(kAlarmCheckedMinuteSetting, minute.time().hour() * 60 + minute.time().minute());
    settings.sync();
}

QDateTime AlarmWatch::lastChecked() const
{
    if (!last_)
        return {};
    return QDateTime(QDate::fromJulianDay(*last_ / 1440), QTime(int(*last_ % 1440) / 60, int(*last_ % 60)));
}

}  // namespace morvane
