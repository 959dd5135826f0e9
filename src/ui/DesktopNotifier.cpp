#include "DesktopNotifier.h"

#include <QDBusMessage>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace morvane {

DBusNotifier::DBusNotifier(QDBusConnection bus) : bus_(std::move(bus)) {}

void DBusNotifier::notify(const QString &summary, const QString &body)
{
    if (!bus_.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s, u"org.freedesktop.Notifications"_s,
        u"Notify"_s);
    // An alarm is urgent: the service keeps it up until it is dismissed.
    QVariantMap hints;
    hints.insert(u"urgency"_s, QVariant::fromValue(uchar(2)));
    hints.insert(u"category"_s, u"alarm"_s);
    // The service reads the body as markup: the notes must come across as
    // they were written, "<b>" and "&" included.
    QString text = body;
    text.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
    call << u"Morvane"_s << uint(0) << u"appointment-soon"_s << summary << text << QStringList() << hints
         << int(-1);
    // Sent without waiting for the reply: a missing service costs nothing.
    bus_.send(call);
}

}  // namespace morvane
