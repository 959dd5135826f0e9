#include "DailyAlarms.h"

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr const char *kSection = "DailyOptions";
constexpr std::array<const char *, 7> kDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

QByteArray valueName(const char *stem, int n) { return QByteArray(stem) + QByteArray::number(n); }

bool readFlag(const SettingsStore &s, const char *stem, int n, bool def)
{
    const QByteArray name = valueName(stem, n);
    return s.read(BoolSetting{kSection, name.constData(), def});
}

void writeFlag(SettingsStore &s, const char *stem, int n, bool v)
{
    const QByteArray name = valueName(stem, n);
    s.write(BoolSetting{kSection, name.constData(), false}, v);
}

// Sunday = 0 .. Saturday = 6.
int weekdayIndex(const QDate &day) { return day.dayOfWeek() % 7; }

}  // namespace

void DailyAlarms::read(const SettingsStore &settings, const FormatSettings &fs, const Clock &clock)
{
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        TDailyAlarm &a = alarms[std::size_t(n - 1)];
        a.enabled = readFlag(settings, "Daily", n, false);
        const QByteArray timeName = valueName("Time", n);
        const QString time = settings.readText(kSection, timeName.constData(), QString());
        if (time.isEmpty()) {
            // Never stored: its weekdays take their defaults too, so that a
            // row switched on in the dialog later sounds every day instead of
            // never.
            if (a.hour == 0 && a.minute == 0 && a.description.isEmpty() && a.days == std::array<bool, 7>{})
                a.days.fill(true);
            continue;
        }
        const QTime t = FromDateValue(SafeStrToTime(time, fs, clock)).time();
        a.hour = t.hour();
        a.minute = t.minute();
        a.midnight = a.hour == 0 && a.minute == 0 && readFlag(settings, "Midnight", n, false);
        const QByteArray editName = valueName("Edit", n);
        a.description =
            LeftWhole(settings.readText(kSection, editName.constData(), QString()), kDailyDescriptionChars);
        for (int d = 0; d < 7; ++d)
            a.days[std::size_t(d)] = readFlag(settings, kDayNames[std::size_t(d)], n, true);
    }
}

void DailyAlarms::save(SettingsStore &settings, const FormatSettings &fs) const
{
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        const TDailyAlarm &a = alarms[std::size_t(n - 1)];
        writeFlag(settings, "Daily", n, a.enabled);
        const DateValue time = (a.hour * 60 + a.minute) / 1440.0;
        settings.writeText(kSection, valueName("Time", n).constData(), FormatDateTime(fs.longTimeFormat, time, fs));
        settings.writeText(kSection, valueName("Edit", n).constData(),
                           LeftWhole(a.description, kDailyDescriptionChars));
        writeFlag(settings, "Midnight", n, a.hour == 0 && a.minute == 0 && a.midnight);
        for (int d = 0; d < 7; ++d)
            writeFlag(settings, kDayNames[std::size_t(d)], n, a.days[std::size_t(d)]);
    }
}

bool DailyAlarmDue(const TDailyAlarm &a, const QDate &day, int hour, int minute)
{
    return a.enabled && !IsBlankText(a.description) && a.days[std::size_t(weekdayIndex(day))] && a.hour == hour &&
           a.minute == minute;
}

std::optional<DailyAlarmProblem> CheckDailyAlarms(const std::array<TDailyAlarm, kDailyAlarmCount> &alarms)
{
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        const TDailyAlarm &a = alarms[std::size_t(n - 1)];
        if (!a.enabled)
            continue;
        if (IsBlankText(a.description))
            return DailyAlarmProblem{n, DailyAlarmProblem::Field::Description,
                                     u"An alarm cannot be enabled and blank.  Fill in the description."_s};
        if (!a.hasTime())
            return DailyAlarmProblem{n, DailyAlarmProblem::Field::Time, u"The alarm time must be set"_s};
    }
    return std::nullopt;
}

std::array<QString, 7> DailyWeekdayHeads(const FormatSettings &fs)
{
    std::array<QString, 7> heads{u"S"_s, u"M"_s, u"T"_s, u"W"_s, u"T"_s, u"F"_s, u"S"_s};
    for (std::size_t d = 0; d < 7; ++d) {
        const QString name = fs.shortDayNames[d].trimmed();
        if (name.isEmpty())
            continue;
        // One character, which outside the basic plane takes two code units.
        heads[d] = name.left(name[0].isHighSurrogate() ? 2 : 1);
    }
    return heads;
}

}  // namespace morvane
