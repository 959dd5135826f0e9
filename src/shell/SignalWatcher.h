#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so
// that a desktop shutdown or a kill ends the program the way Exit does.
// The end of a session waits on nothing: if the way out has not ended the
// program within the grace time (the main thread busy with something long,
// or stuck), the program ends there; every save is atomic, so files stay
// whole.

#include <QObject>

class QSocketNotifier;

namespace morvane {

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kGraceSeconds = 10;

    explicit SignalWatcher(QObject *parent = nullptr, int graceSeconds = kGraceSeconds);
    ~SignalWatcher() override;

signals:
    void endRequested(int signalNumber);

private:
    QSocketNotifier *notifier_ = nullptr;
};

}  // namespace morvane
