#include "SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace morvane {

SingleInstance::SingleInstance(QString name, QObject *parent) : QObject(parent), name_(std::move(name))
{
    folder_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder_.isEmpty())
        folder_ = QDir::tempPath();
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = server_.nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                // One line: "activate", or "request " and a command.
                if (!peer->canReadLine() && peer->bytesAvailable() < kMaxRequest)
                    return;
                const QByteArray line = peer->readLine(kMaxRequest).trimmed();
                if (line == "activate") {
                    emit activateRequested();
                } else if (line.startsWith("request ")) {
                    const QByteArray answer = handler_ ? handler_(line.mid(8)) : QByteArray("error: not ready");
                    peer->write(answer + '\n');
                    peer->flush();
                }
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath() const { return folder_ + u'/' + name_ + u".socket"_s; }

bool SingleInstance::lockAndConnect(QLocalSocket &peer, int waitMs)
{
    lock_ = std::make_unique<QLockFile>(folder_ + u'/' + name_ + u".lock"_s);
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(waitMs))
        return false;
    peer.connectToServer(socketPath());
    (void)peer.waitForConnected(2000);
    return true;
}

SingleInstance::Start SingleInstance::start(int waitMs)
{
    QLocalSocket probe;
    if (!lockAndConnect(probe, waitMs))
        return Start::TimedOut;
    if (probe.state() == QLocalSocket::ConnectedState) {
        probe.write("activate\n");
        probe.waitForBytesWritten(2000);
        probe.disconnectFromServer();
        releaseStartLock();
        return Start::HandedOver;
    }
    // Nobody answers: a socket left by a copy that crashed is taken over.
    QLocalServer::removeServer(socketPath());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(socketPath());
    return Start::First;
}

SingleInstance::Request SingleInstance::request(const QByteArray &request, QByteArray *answer, int waitMs)
{
    QLocalSocket peer;
    if (!lockAndConnect(peer, waitMs))
        return Request::TimedOut;
    if (peer.state() != QLocalSocket::ConnectedState)
        return Request::NotRunning;  // the lock stays: no copy starts meanwhile
    // The running copy is there: it takes the request; the next start may go on.
    releaseStartLock();
    peer.write("request " + request + '\n');
    if (!peer.waitForBytesWritten(waitMs))
        return Request::TimedOut;
    while (!peer.canReadLine()) {
        if (!peer.waitForReadyRead(waitMs))
            return peer.bytesAvailable() ? (*answer = peer.readAll().trimmed(), Request::Answered) : Request::TimedOut;
    }
    *answer = peer.readLine().trimmed();
    return Request::Answered;
}

void SingleInstance::releaseStartLock()
{
    if (lock_)
        lock_->unlock();
}

}  // namespace morvane
