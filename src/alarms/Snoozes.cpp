#include "Snoozes.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QDateTime toMinute(const QDateTime &t)
{
    const QTime time = t.time();
    return QDateTime(t.date(), QTime(time.hour(), time.minute()));
}

QByteArray keyOf(const char *what, int n) { return what + QByteArray::number(n); }

}  // namespace

void Snoozes::add(const QDateTime &now, int minutes, const QString &text)
{
    minutes = std::clamp(minutes, kSnoozeMinMinutes, kSnoozeMaxMinutes);
    list_.push_back({toMinute(now).addSecs(qint64(minutes) * 60), text});
    // Earliest first; alarms of one minute in the order they were put off.
    std::stable_sort(list_.begin(), list_.end(),
                     [](const SnoozedAlarm &a, const SnoozedAlarm &b) { return a.due < b.due; });
}

std::optional<SnoozedAlarm> Snoozes::takeDue(const QDateTime &now)
{
    if (list_.empty() || list_.front().due > now)
        return std::nullopt;
    SnoozedAlarm first = list_.front();
    list_.erase(list_.begin());
    return first;
}

void Snoozes::read(const SettingsStore &settings)
{
    list_.clear();
    const int count = settings.read(IntSetting{"Snooze", "Count", 0});
    for (int n = 1; n <= std::min(count, 1000); ++n) {
        const QDateTime due = QDateTime::fromString(
            settings.readText("Snooze", keyOf("Due", n).constData(), QString()), Qt::ISODate);
        const QString text = settings.readText("Snooze", keyOf("Text", n).constData(), QString());
        if (due.isValid() && !text.isEmpty())
            list_.push_back({toMinute(due), text});
    }
    std::stable_sort(list_.begin(), list_.end(),
                     [](const SnoozedAlarm &a, const SnoozedAlarm &b) { return a.due < b.due; });
}

void Snoozes::write(SettingsStore &settings) const
{
    const int old = settings.read(IntSetting{"Snooze", "Count", 0});
    for (int n = int(list_.size()) + 1; n <= std::min(old, 1000); ++n) {
        settings.remove("Snooze", keyOf("Due", n).constData());
        settings.remove("Snooze", keyOf("Text", n).constData());
    }
    settings.write(IntSetting{"Snooze", "Count", 0}, int(list_.size()));
    for (std::size_t i = 0; i < list_.size(); ++i) {
        const int n = int(i) + 1;
        settings.writeText("Snooze", keyOf("Due", n).constData(), list_[i].due.toString(Qt::ISODate));
        settings.writeText("Snooze", keyOf("Text", n).constData(), list_[i].text);
    }
}

}  // namespace morvane
