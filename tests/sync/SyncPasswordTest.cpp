// Where the sync's password comes from: the desktop's keyring (a real
// Secret Service, gnome-keyring, on a session bus of the test's own), or the
// output of PasswordCommand.

#include "SyncPassword.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

// A session bus and an unlocked keyring of their own, ended with the test.
class PrivateKeyring {
public:
    PrivateKeyring()
    {
        bus_.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (!bus_.waitForStarted(10000) || !bus_.waitForReadyRead(10000))
            return;
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address_);
        env.insert(u"HOME"_s, home_.path());
        env.insert(u"XDG_DATA_HOME"_s, home_.path());
        env.insert(u"XDG_RUNTIME_DIR"_s, home_.path());
        keyring_.setProcessEnvironment(env);
        keyring_.start(u"gnome-keyring-daemon"_s,
                       {u"--foreground"_s, u"--unlock"_s, u"--components=secrets"_s});
        if (!keyring_.waitForStarted(10000))
            return;
        // Its password comes on standard input; written out before the wait
        // below, which runs no event loop.
        keyring_.write("keyring password");
        keyring_.waitForBytesWritten(10000);
        keyring_.closeWriteChannel();
        // Ready once its service is on the bus.
        QDBusConnection watch = QDBusConnection::connectToBus(address_, u"keyring-watch"_s);
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && watch.isConnected()) {
            if (watch.interface()->isServiceRegistered(u"org.freedesktop.secrets"_s)) {
                ready_ = true;
                break;
            }
            QThread::msleep(20);
        }
        QDBusConnection::disconnectFromBus(u"keyring-watch"_s);
        if (ready_)
            qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    }
    ~PrivateKeyring()
    {
        keyring_.kill();
        keyring_.waitForFinished(10000);
        bus_.kill();
        bus_.waitForFinished(10000);
    }
    bool ready() const { return ready_; }

private:
    TempFolder home_;
    QProcess bus_, keyring_;
    QString address_;
    bool ready_ = false;
};

TEST(SyncPassword, TheKeyringKeepsThePasswordForItsUserAndServer)
{
    PrivateKeyring keyring;
    ASSERT_TRUE(keyring.ready()) << "no Secret Service came up on the private bus";
    SyncSettings ann;
    ann.url = u"https://cloud.example.org"_s;
    ann.user = u"ann"_s;

    const PasswordLookup none = LookUpSyncPassword(ann);
    EXPECT_FALSE(none.found);
    EXPECT_FALSE(none.noKeyring);
    EXPECT_EQ(none.why, u"No password for ann@cloud.example.org is kept in the keyring yet: enter it in Options, "
                        "on the Sync page."_s);

    QString why;
    ASSERT_TRUE(StoreSyncPassword(ann, u"s3cret pass"_s, &why)) << why.toStdString();
    const PasswordLookup found = LookUpSyncPassword(ann);
    EXPECT_TRUE(found.found) << found.why.toStdString();
    EXPECT_EQ(found.password, u"s3cret pass"_s);

    // Another user of the same server has a password of their own.
    SyncSettings bob = ann;
    bob.user = u"bob"_s;
    EXPECT_FALSE(LookUpSyncPassword(bob).found);

    // A PasswordCommand goes before the keyring.
    SyncSettings scripted = ann;
    scripted.passwordCommand = u"printf from-the-command"_s;
    const PasswordLookup fromCommand = LookUpSyncPassword(scripted);
    EXPECT_TRUE(fromCommand.found) << fromCommand.why.toStdString();
    EXPECT_EQ(fromCommand.password, u"from-the-command"_s);
}

}  // namespace
}  // namespace morvane
