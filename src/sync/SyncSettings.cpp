#include "SyncSettings.h"

#include "CalDavClient.h"

#include <QProcess>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr TextSetting kUrl{"Sync", "Url", ""};
constexpr TextSetting kUser{"Sync", "User", ""};
constexpr TextSetting kPasswordCommand{"Sync", "PasswordCommand", ""};
constexpr TextSetting kCalendar{"Sync", "Calendar", ""};
constexpr TextSetting kTodoCalendar{"Sync", "TodoCalendar", ""};
constexpr BoolSetting kCompletedLog{"Sync", "CompletedLog", false};
constexpr IntSetting kMinutes{"Sync", "Minutes", SyncSettings::kDefaultMinutes};

}  // namespace

SyncSettings SyncSettings::read(const SettingsStore &s)
{
    SyncSettings out;
    out.url = s.read(kUrl);
    out.user = s.read(kUser);
    out.passwordCommand = s.read(kPasswordCommand);
    out.calendar = s.read(kCalendar);
    out.todoCalendar = s.read(kTodoCalendar);
    out.completedLog = s.read(kCompletedLog);
    out.minutes = std::clamp(s.read(kMinutes), 1, 24 * 60);
    return out;
}

void SyncSettings::write(SettingsStore &s) const
{
    s.write(kUrl, url);
    s.write(kUser, user);
    s.write(kPasswordCommand, passwordCommand);
    s.write(kCalendar, calendar);
    s.write(kTodoCalendar, todoCalendar);
    s.write(kCompletedLog, completedLog);
    s.write(kMinutes, minutes);
}

QUrl SyncServerUrl(const QString &url)
{
    const QString text = url.trimmed();
    QUrl u = QUrl::fromUserInput(text.contains(u"://"_s) ? text : u"https://"_s + text);
    return u;
}

QString CalendarPath(const QString &calendar)
{
    const QString text = calendar.trimmed();
    if (text.isEmpty())
        return {};
    QString path = text.contains(u"://"_s) ? QUrl(text).path(QUrl::FullyDecoded)
                                           : QUrl::fromPercentEncoding(text.toUtf8());
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QString RunPasswordCommand(const QString &command, QString *why, int timeoutMs)
{
    QProcess p;
    p.start(u"/bin/sh"_s, {u"-c"_s, command});
    if (!p.waitForStarted(timeoutMs) || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        *why = u"The password command did not finish: %1"_s.arg(command);
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *why = u"The password command failed (status %1): %2"_s.arg(p.exitCode()).arg(command);
        return {};
    }
    QByteArray out = p.readAllStandardOutput();
    const qsizetype eol = out.indexOf('\n');
    if (eol >= 0)
        out.truncate(eol);
    if (out.endsWith('\r'))
        out.chop(1);
    return QString::fromUtf8(out);
}

}  // namespace morvane
