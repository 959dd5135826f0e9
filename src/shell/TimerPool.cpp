#include "TimerPool.h"

#include <algorithm>
#include <limits>

namespace morvane {

TimerPool::TimerPool(QObject *parent) : QObject(parent)
{
    elapsed_.start();
    clock_ = [this] { return elapsed_.elapsed(); };
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        dispatch(now());
        schedule();
    });
}

TimerPool::Handle TimerPool::add(int order, int intervalMs, std::function<void()> handler, bool enabled)
{
    triggers_.push_back({order, intervalMs, std::move(handler), enabled, now()});
    const std::size_t index = triggers_.size() - 1;
    const auto at = std::upper_bound(byOrder_.begin(), byOrder_.end(), order,
                                     [this](int o, std::size_t i) { return o < triggers_[i].order; });
    byOrder_.insert(at, index);
    schedule();
    return Handle(index);
}

void TimerPool::setEnabled(Handle h, bool on)
{
    Trigger &t = triggers_.at(std::size_t(h));
    if (on && !t.enabled)
        t.last = now();
    t.enabled = on;
    schedule();
}

bool TimerPool::enabled(Handle h) const { return triggers_.at(std::size_t(h)).enabled; }

int TimerPool::interval(Handle h) const { return triggers_.at(std::size_t(h)).interval; }

void TimerPool::setInterval(Handle h, int intervalMs)
{
    triggers_.at(std::size_t(h)).interval = intervalMs;
    schedule();
}

void TimerPool::disableAll()
{
    for (Trigger &t : triggers_)
        t.enabled = false;
    timer_.stop();
}

int TimerPool::dispatch(qint64 t)
{
    int ran = 0;
    const std::vector<std::size_t> order = byOrder_;  // a handler may add triggers
    for (std::size_t i : order) {
        // A handler may switch triggers; look the trigger up afresh.
        if (!triggers_[i].enabled || t - triggers_[i].last < triggers_[i].interval - kTolerance)
            continue;
        triggers_[i].last = t;
        ++ran;
        const auto handler = triggers_[i].handler;  // a copy survives the vector growing
        handler();
    }
    return ran;
}

void TimerPool::start()
{
    running_ = true;
    schedule();
}

void TimerPool::schedule()
{
    if (!running_)
        return;
    qint64 next = std::numeric_limits<qint64>::max();
    for (const Trigger &t : triggers_)
        if (t.enabled)
            next = std::min(next, t.last + t.interval - kTolerance);
    if (next == std::numeric_limits<qint64>::max()) {
        timer_.stop();
        return;
    }
    timer_.start(int(std::clamp<qint64>(next - now(), 0, std::numeric_limits<int>::max())));
}

}  // namespace morvane
