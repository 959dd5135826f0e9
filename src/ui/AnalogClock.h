#pragma once
// A clock face with an hour hand (navy) and a minute hand (blue).

#include <QTime>
#include <QWidget>

namespace morvane {

class AnalogClock : public QWidget {
    Q_OBJECT
public:
    explicit AnalogClock(QWidget *parent = nullptr) : QWidget(parent) { setMinimumSize(48, 48); }
    QTime time() const { return time_; }
    void setTime(const QTime &t)
    {
        time_ = t;
        update();
    }
    QSize sizeHint() const override { return {64, 64}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QTime time_{0, 0};
};

}  // namespace morvane
