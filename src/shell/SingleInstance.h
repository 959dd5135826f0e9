#pragma once
// One running copy per user. Starting copies take a lock file in turn while
// they start; the running copy listens on a local socket that only its user
// can reach. A second copy finds it there, asks it to bring its window
// forward, and ends without showing anything.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

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
    // Lets the next copy start: called once the windows exist.
    void releaseStartLock();

signals:
    // Another copy was started: show the window.
    void activateRequested();

private:
    QString socketPath() const;
    QString folder_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace morvane
