#pragma once
// The one place the program asks for the time. Logic takes a Clock so that
// tests can set the date and time instead of waiting on the wall clock.

#include <QDateTime>

namespace morvane {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

// The machine's local time.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

// A clock that stands still until it is set or advanced.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime at = QDateTime(QDate(2000, 1, 1), QTime(12, 0)))
        : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    void set(const QDateTime &at) { at_ = at; }
    void advanceSeconds(qint64 s) { at_ = at_.addSecs(s); }

private:
    QDateTime at_;
};

}  // namespace morvane
