#pragma once
// The "Sync" page of the options: the server, the user and the password (kept
// in the keyring, never in the settings file), or a command that prints it;
// "Test connection", which says in plain words what it found or why it
// failed and lists the calendars found (name and colour) to choose one for
// the dated tasks and one (or none) for the to-do tasks; whether the
// completed log goes with the to-do tasks; and how often.

#include "SyncRun.h"
#include "SyncSettings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace morvane {

class SyncOptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit SyncOptionsPage(QWidget *parent = nullptr);

    void load(const SyncSettings &s);
    SyncSettings settings() const;
    // The password typed on the page (empty: unchanged).
    QString typedPassword() const;
    // Request timeouts of "Test connection" (tests make them short).
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }

    QLineEdit *edSyncUrl = nullptr, *edSyncUser = nullptr, *edSyncPassword = nullptr, *edSyncCommand = nullptr;
    QPushButton *btSyncTest = nullptr;
    QLabel *lblSyncResult = nullptr;
    QComboBox *cbSyncCalendar = nullptr, *cbSyncTodo = nullptr;
    QCheckBox *chkSyncCompleted = nullptr;  // only with a calendar for the to-do tasks
    QSpinBox *edSyncMinutes = nullptr;

    void btSyncTestClick();

private:
    void fillCalendars(const std::vector<FoundCalendar> &found);
    QString calendarAddress(const QString &path) const;
    int timeoutMs_ = 30000;
};

}  // namespace morvane
