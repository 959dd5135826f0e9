#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so
// that a desktop shutdown or a kill ends the program the way Exit does.

#include <QObject>

class QSocketNotifier;

namespace morvane {

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void endRequested(int signalNumber);

private:
    QSocketNotifier *notifier_ = nullptr;
};

}  // namespace morvane
