// Desktop notifications reach the freedesktop notification service: a small
// stand-in service on a private session bus of the test's own.

#include "DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QStandardPaths>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace morvane {

class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QString app, summary, body;
    QStringList actions;
    QVariantMap hints;
    int timeout = 0;
    uint nextId = 1;
    QList<uint> closedIds;

public slots:
    uint Notify(const QString &appName, uint, const QString &, const QString &summaryText, const QString &bodyText,
                const QStringList &actionList, const QVariantMap &hintMap, int expireTimeout)
    {
        app = appName;
        summary = summaryText;
        body = bodyText;
        actions = actionList;
        hints = hintMap;
        timeout = expireTimeout;
        emit received();
        return nextId++;
    }
    void CloseNotification(uint id)
    {
        closedIds << id;
        emit received();
    }

signals:
    void received();
};

namespace {

// A session bus of its own, ended with the test.
class PrivateBus {
public:
    PrivateBus()
    {
        if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            return;
        daemon_.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (!daemon_.waitForStarted(10000) || !daemon_.waitForReadyRead(10000))
            return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString &name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished(10000);
    }
    QString address() const { return address_; }
    QDBusConnection connect(const QString &name)
    {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// The stand-in service, answering on the bus.
bool serve(PrivateBus &bus, FakeNotificationService &fake)
{
    QDBusConnection service = bus.connect(u"service"_s);
    return service.isConnected() &&
           service.registerObject(u"/org/freedesktop/Notifications"_s, &fake, QDBusConnection::ExportAllSlots) &&
           service.registerService(u"org.freedesktop.Notifications"_s);
}

// One alarm sent by a client of the bus; true once the stand-in has it.
bool deliver(PrivateBus &bus, FakeNotificationService &fake, const QString &body)
{
    DBusNotifier notifier(bus.connect(u"client"_s));
    QSignalSpy spy(&fake, &FakeNotificationService::received);
    notifier.notify(u"Morvane alarm"_s, body);
    return spy.wait(10000);
}

TEST(DesktopNotifier, AnAlarmReachesTheNotificationService)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not available";
    FakeNotificationService fake;
    ASSERT_TRUE(serve(bus, fake));

    ASSERT_TRUE(deliver(bus, fake, u"Alarm \"Dentist\" at 9:00 AM"_s));
    EXPECT_EQ(fake.app, u"Morvane"_s);
    EXPECT_EQ(fake.summary, u"Morvane alarm"_s);
    EXPECT_EQ(fake.body, u"Alarm \"Dentist\" at 9:00 AM"_s);
    EXPECT_EQ(fake.hints.value(u"urgency"_s).toInt(), 2);
    EXPECT_EQ(fake.timeout, -1);

    // The service reads the body as markup: notes holding markup or an
    // ampersand are shown as they were written, not bold or cut short.
    ASSERT_TRUE(deliver(bus, fake, u"Alarm \"<b>Tom</b> & Jerry's &amp;\" at 9:00 AM"_s));
    EXPECT_EQ(fake.body, u"Alarm \"&lt;b&gt;Tom&lt;/b&gt; &amp; Jerry's &amp;amp;\" at 9:00 AM"_s);
}

// The buttons of a notification: the service reports the one pressed with
// the notification's id; only this program's notifications are answered,
// and withdrawing takes down the ones still up.
TEST(DesktopNotifier, APressedButtonComesBackAndWithdrawingClosesTheNotification)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not available";
    FakeNotificationService fake;
    QDBusConnection service = bus.connect(u"service"_s);
    ASSERT_TRUE(service.registerObject(u"/org/freedesktop/Notifications"_s, &fake, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(u"org.freedesktop.Notifications"_s));
    fake.nextId = 7;

    DBusNotifier notifier(bus.connect(u"client"_s));
    QStringList pressed;
    notifier.onAction = [&](const QString &key) { pressed << key; };
    QSignalSpy spy(&fake, &FakeNotificationService::received);
    notifier.notify(u"Morvane alarm"_s, u"Dentist"_s, {{u"snooze:5"_s, u"Snooze 5 min"_s}, {u"clear"_s, u"Clear"_s}});
    ASSERT_TRUE(spy.wait(10000));
    EXPECT_EQ(fake.actions, QStringList({u"snooze:5"_s, u"Snooze 5 min"_s, u"clear"_s, u"Clear"_s}));

    const auto press = [&](uint id, const QString &key) {
        QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                                         u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s);
        signal << id << key;
        service.send(signal);
    };
    press(99, u"clear"_s);  // another program's notification
    press(7, u"snooze:5"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pressed.isEmpty(); }, 10000));
    EXPECT_EQ(pressed, QStringList{u"snooze:5"_s});

    notifier.withdraw();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fake.closedIds.isEmpty(); }, 10000));
    EXPECT_EQ(fake.closedIds, QList<uint>{7});
}

TEST(DesktopNotifier, NoServiceOrNoBusIsSilence)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not available";
    // A bus without the service: the call costs nothing and the connection
    // keeps working. Whether that first call is still in flight when a
    // service appears is up to the bus, so only later calls are counted on.
    QDBusConnection client = bus.connect(u"client"_s);
    DBusNotifier notifier(client);
    notifier.notify(u"Morvane alarm"_s, u"nobody listens"_s);
    EXPECT_TRUE(client.isConnected());
    QDBusConnection service = bus.connect(u"service"_s);
    FakeNotificationService fake;
    ASSERT_TRUE(service.registerObject(u"/org/freedesktop/Notifications"_s, &fake, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(u"org.freedesktop.Notifications"_s));
    QStringList bodies;
    QObject::connect(&fake, &FakeNotificationService::received, [&] { bodies << fake.body; });
    QSignalSpy spy(&fake, &FakeNotificationService::received);
    for (const QString &text : {u"now someone listens"_s, u"and again"_s}) {
        notifier.notify(u"Morvane alarm"_s, text);
        while (!bodies.contains(text))
            ASSERT_TRUE(spy.wait(10000)) << "never arrived: " << text.toStdString();
    }
    EXPECT_TRUE(client.isConnected());
    // Each call arrives once, in the order sent.
    bodies.removeAll(u"nobody listens"_s);
    EXPECT_EQ(bodies, QStringList({u"now someone listens"_s, u"and again"_s}));

    // No bus at all: not connected, and notifying does nothing.
    QDBusConnection none = QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"none"_s);
    EXPECT_FALSE(none.isConnected());
    DBusNotifier nowhere(none);
    nowhere.notify(u"Morvane alarm"_s, u"no bus"_s);
    QDBusConnection::disconnectFromBus(u"none"_s);
}

}  // namespace
}  // namespace morvane

#include "DesktopNotifierTest.moc"
