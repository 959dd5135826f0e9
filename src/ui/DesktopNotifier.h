#pragma once
// Desktop notifications: a raised alarm is also announced by the desktop
// when the window is out of sight, because a window coming forward on its
// own may be held back by the window manager.

#include <QDBusConnection>
#include <QString>
#include <QStringList>

namespace morvane {

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows a notification; never waits, never fails loudly. Both texts are
    // plain text.
    virtual void notify(const QString &summary, const QString &body) = 0;
};

// The freedesktop notification service on a D-Bus session bus. Where no
// such bus or service is, nothing happens.
class DBusNotifier final : public Notifier {
public:
    explicit DBusNotifier(QDBusConnection bus = QDBusConnection::sessionBus());
    void notify(const QString &summary, const QString &body) override;

private:
    QDBusConnection bus_;
};

// Records what would have been shown.
class RecordingNotifier final : public Notifier {
public:
    void notify(const QString &summary, const QString &body) override { shown << summary + u'|' + body; }
    QStringList shown;
};

}  // namespace morvane
