#pragma once
// One running copy per user. Starting copies take a lock file in turn while
// they start; the running copy listens on a local socket that only its user
// can reach. A second copy finds it there, asks it to bring its window
// forward, and ends without showing anything.

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QObject>

#include <functional>
#include <memory>

namespace morvane {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start { First, HandedOver, TimedOut };

    // `name` tells programs (and tests) apart; the folder is the user's
    // runtime folder.
    explicit SingleInstance(QString name = QStringLiteral("morvane"), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Waits up to `waitMs` for other copies to finish starting, then either
    // hands over to a running copy or becomes the running copy.
    Start start(int waitMs = 10000);
    // The longest request line read.
    static constexpr qint64 kMaxRequest = 1 << 20;
    // Lets the next copy start: called once the windows exist.
    void releaseStartLock();

    // A command from a terminal (morvane --add ...). Hands `request` to the
    // running copy and waits up to `waitMs` for its answer; when no copy is
    // running, holds the start lock (so that none starts and writes the
    // same files) until this object goes, and says NotRunning.
    enum class Request { Answered, NotRunning, TimedOut };
    Request request(const QByteArray &request, QByteArray *answer, int waitMs = 30000);
    // The running copy's side: answers each request line (without its line
    // end); the answer goes back on the same connection.
    void setRequestHandler(std::function<QByteArray(const QByteArray &)> handler) { handler_ = std::move(handler); }

signals:
    // Another copy was started: show the window.
    void activateRequested();

private:
    QString socketPath() const;
    // Takes the start lock (waiting up to `waitMs`), then tries the running
    // copy's socket; false when the lock was not had.
    bool lockAndConnect(QLocalSocket &peer, int waitMs);
    QString folder_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    std::function<QByteArray(const QByteArray &)> handler_;
};

}  // namespace morvane
