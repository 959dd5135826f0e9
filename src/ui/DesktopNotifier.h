#pragma once
// Desktop notifications: a raised alarm is also announced by the desktop
// when the window is out of sight, because a window coming forward on its
// own may be held back by the window manager.

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace morvane {

// A button of a notification: the key comes back when it is pressed.
struct NotificationAction {
    QString key;
    QString label;
};

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows a notification; never waits, never fails loudly. Both texts are
    // plain text.
    virtual void notify(const QString &summary, const QString &body, const QList<NotificationAction> &actions) = 0;
    void notify(const QString &summary, const QString &body) { notify(summary, body, {}); }
    // Takes down the notifications shown so far (what they announced was
    // dealt with in the window).
    virtual void withdraw() = 0;
    // Called with the key of the action the person pressed in one of them.
    std::function<void(const QString &key)> onAction;
};

// The freedesktop notification service on a D-Bus session bus. Where no
// such bus or service is, nothing happens.
class DBusNotifier final : public QObject, public Notifier {
    Q_OBJECT
public:
    // The session bus, reached by the first notification: a start must not
    // wait for the bus, nor, where there is none, for the try to launch one.
    DBusNotifier();
    explicit DBusNotifier(QDBusConnection bus);
    using Notifier::notify;
    void notify(const QString &summary, const QString &body, const QList<NotificationAction> &actions) override;
    void withdraw() override;

private slots:
    void notified(uint id);
    void notifyFailed();
    void actionInvoked(uint id, const QString &key);
    void closed(uint id, uint reason);

private:
    // The bus, connected (and listened to) on the first call.
    QDBusConnection &bus();
    void listen();

    std::optional<QDBusConnection> bus_;
    QSet<uint> shown_;  // the ids of this program's notifications still up
};

// Records what would have been shown.
class RecordingNotifier final : public Notifier {
public:
    using Notifier::notify;
    void notify(const QString &summary, const QString &body, const QList<NotificationAction> &actions) override
    {
        shown << summary + u'|' + body;
        QStringList keys;
        for (const NotificationAction &a : actions)
            keys << a.key + u'=' + a.label;
        this->actions << keys;
    }
    void withdraw() override { ++withdrawn; }
    // The person presses an action's button.
    void press(const QString &key)
    {
        if (onAction)
            onAction(key);
    }
    QStringList shown;
    QList<QStringList> actions;  // "key=label" of each notification
    int withdrawn = 0;
};

}  // namespace morvane
