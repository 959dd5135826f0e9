#pragma once
// The main window's periodic work: a set of triggers, each with an interval,
// an enabled flag and a handler, served by one dispatcher on the main
// thread. A trigger falls due when its interval, less a tolerance of 27 ms,
// has passed since it last fell due (or since it was enabled).
//
// The pool sleeps until the next trigger is due instead of ticking; tests
// call dispatch() with the time they choose.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace morvane {

class TimerPool : public QObject {
    Q_OBJECT
public:
    using Handle = int;
    static constexpr qint64 kTolerance = 27;

    explicit TimerPool(QObject *parent = nullptr);

    // Triggers are served by their order number (then in the order they were
    // added), so that a trigger added later can still take its fixed place.
    Handle add(int order, int intervalMs, std::function<void()> handler, bool enabled);
    void setEnabled(Handle h, bool on);
    bool enabled(Handle h) const;
    int interval(Handle h) const;
    void setInterval(Handle h, int intervalMs);
    void disableAll();

    // Runs the handler of every enabled trigger due at `now` (milliseconds of
    // the pool's clock) and returns how many ran.
    int dispatch(qint64 now);
    // The pool's clock; tests replace it.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    qint64 now() const { return clock_(); }
    // The one Qt timer behind every trigger.
    const QObject *qtTimer() const { return &timer_; }
    // Starts serving triggers from the event loop.
    void start();
    bool running() const { return running_; }

private:
    struct Trigger {
        int order;
        int interval;
        std::function<void()> handler;
        bool enabled;
        qint64 last;
    };
    void schedule();

    std::vector<Trigger> triggers_;
    std::vector<std::size_t> byOrder_;  // indices into triggers_, in serving order
    QElapsedTimer elapsed_;
    std::function<qint64()> clock_;
    QTimer timer_;
    bool running_ = false;
};

}  // namespace morvane
