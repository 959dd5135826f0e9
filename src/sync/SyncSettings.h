#pragma once
// The [Sync] settings, each declared once: the server, the user, how to get
// the password, the calendars chosen and how often to sync. The password
// itself is never written here: it lives in the desktop's keyring, or comes
// from the output of PasswordCommand.

#include "SettingsStore.h"

#include <QString>
#include <QUrl>

namespace morvane {

struct SyncSettings {
    QString url;              // a bare server ("https://cloud.example.org") or a calendar's address
    QString user;
    QString passwordCommand;  // its output is the password
    QString calendar;         // address of the calendar of the dated tasks
    QString todoCalendar;     // of the to-do tasks; empty: not synced
    // The completed log goes to the to-do tasks' calendar too, as completed
    // to-dos; off, it stays on this computer.
    bool completedLog = false;
    int minutes = 15;         // between syncs

    static constexpr int kDefaultMinutes = 15;

    bool configured() const { return !url.trimmed().isEmpty(); }
    static SyncSettings read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;
    bool operator==(const SyncSettings &) const = default;
};

// The server's address with a scheme ("cloud.example.org" is taken as https).
QUrl SyncServerUrl(const QString &url);
// The decoded path a calendar setting names (an address or a path); empty
// for an empty setting.
QString CalendarPath(const QString &calendar);

// The password PasswordCommand prints (its first line), run by the shell;
// on failure *why says what went wrong.
QString RunPasswordCommand(const QString &command, QString *why, int timeoutMs = 30000);

}  // namespace morvane
