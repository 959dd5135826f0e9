#include "AnalogClock.h"

#include <QPainter>

namespace morvane {

void AnalogClock::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    p.translate(width() / 2.0, height() / 2.0);
    p.scale(side / 200.0, side / 200.0);
    p.setPen(QPen(QColor(90, 90, 90), 3));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, 0), 96, 96);
    for (int i = 0; i < 12; ++i) {
        p.drawLine(0, -88, 0, i % 3 == 0 ? -74 : -80);
        p.rotate(30);
    }
    auto hand = [&](double angle, double length, double width, const QColor &c) {
        p.save();
        p.rotate(angle);
        p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, 8), QPointF(0, -length));
        p.restore();
    };
    hand(30.0 * ((time_.hour() % 12) + time_.minute() / 60.0), 50, 9, QColor(0, 0, 128));
    hand(6.0 * (time_.minute() + time_.second() / 60.0), 78, 6, QColor(0, 0, 255));
    p.setBrush(QColor(0, 0, 128));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(0, 0), 7, 7);
}

}  // namespace morvane
