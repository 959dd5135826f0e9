#include "DesktopNotifier.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <utility>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

const QString kService = u"org.freedesktop.Notifications"_s;
const QString kPath = u"/org/freedesktop/Notifications"_s;
const QString kInterface = u"org.freedesktop.Notifications"_s;

}  // namespace

DBusNotifier::DBusNotifier() = default;

DBusNotifier::DBusNotifier(QDBusConnection bus) : bus_(std::move(bus))
{
    listen();
}

QDBusConnection &DBusNotifier::bus()
{
    if (!bus_) {
        bus_ = QDBusConnection::sessionBus();
        listen();
    }
    return *bus_;
}

void DBusNotifier::listen()
{
    if (!bus_->isConnected())
        return;
    // The buttons pressed in any notification come as signals; those of
    // this program's notifications are answered.
    bus_->connect(QString(), kPath, kInterface, u"ActionInvoked"_s, this, SLOT(actionInvoked(uint, QString)));
    bus_->connect(QString(), kPath, kInterface, u"NotificationClosed"_s, this, SLOT(closed(uint, uint)));
}

void DBusNotifier::notified(uint id) { shown_.insert(id); }

void DBusNotifier::notifyFailed() {}

void DBusNotifier::actionInvoked(uint id, const QString &key)
{
    if (shown_.contains(id) && onAction)
        onAction(key);
}

void DBusNotifier::closed(uint id, uint) { shown_.remove(id); }

void DBusNotifier::withdraw()
{
    for (const uint id : std::exchange(shown_, {})) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, u"CloseNotification"_s);
        call << id;
        bus().send(call);
    }
}

void DBusNotifier::notify(const QString &summary, const QString &body, const QList<NotificationAction> &actions)
{
    if (!bus().isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, u"Notify"_s);
    // An alarm is urgent: the service keeps it up until it is dismissed.
    QVariantMap hints;
    hints.insert(u"urgency"_s, QVariant::fromValue(uchar(2)));
    hints.insert(u"category"_s, u"alarm"_s);
    // The service reads the body as markup: the notes must come across as
    // they were written, "<b>" and "&" included.
    QString text = body;
    text.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
    QStringList pairs;
    for (const NotificationAction &a : actions)
        pairs << a.key << a.label;
    call << u"Morvane"_s << uint(0) << u"appointment-soon"_s << summary << text << pairs << hints << int(-1);
    // Not waited for: the reply, the notification's id, comes later (and a
    // missing service costs nothing).
    bus_->callWithCallback(call, this, SLOT(notified(uint)), SLOT(notifyFailed()));
}

}  // namespace morvane
