#include "AppIcon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <cmath>

namespace morvane {

namespace {

QPixmap page(int size, int day)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal m = size / 16.0;
    const QRectF sheet(m, m * 1.5, size - 2 * m, size - 2.5 * m);
    p.setPen(QPen(QColor(60, 60, 60), std::max<qreal>(1.0, size / 32.0)));
    p.setBrush(Qt::white);
    p.drawRoundedRect(sheet, m, m);
    const QRectF header(sheet.left(), sheet.top(), sheet.width(), sheet.height() * 0.28);
    p.setBrush(QColor(200, 30, 40));
    p.drawRoundedRect(header, m, m);
    p.setPen(QColor(30, 30, 30));
    const QRectF body(sheet.left(), header.bottom(), sheet.width(), sheet.bottom() - header.bottom());
    if (day > 0) {
        QFont f;
        f.setBold(true);
        f.setPixelSize(int(body.height() * 0.78));
        p.setFont(f);
        p.drawText(body, Qt::AlignCenter, QString::number(day));
    } else {
        // A small grid of days.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 90));
        const qreal cw = body.width() / 4, ch = body.height() / 3;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                p.drawRect(QRectF(body.left() + c * cw + cw * 0.25, body.top() + r * ch + ch * 0.25,
                                  cw * 0.5, ch * 0.5));
    }
    return pm;
}

}  // namespace

QIcon MakeAppIcon(int dayOfMonth)
{
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64})
        icon.addPixmap(page(size, dayOfMonth));
    return icon;
}

namespace {

QPixmap tool(int size, ToolIcon kind)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    switch (kind) {
    case ToolIcon::Holidays: {
        // A small calendar page with a yellow day and a star.
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 12));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(200, 30, 40));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 200, 0));
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 2.0 : 4.4;
            const double a = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(8 + r * std::cos(a), 10.2 + r * std::sin(a));
        }
        p.drawPolygon(star);
        break;
    }
    case ToolIcon::Options: {
        // A gear.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(80, 90, 110));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(i * 45);
            p.drawRect(QRectF(-1.3, -7.2, 2.6, 3));
            p.restore();
        }
        p.drawEllipse(QPointF(8, 8), 5, 5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 2, 2);
        break;
    }
    case ToolIcon::Hide: {
        // A window going down into the tray.
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(1.5, 1.5, 13, 8));
        p.fillRect(QRectF(2, 2, 12, 2), QColor(40, 90, 170));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 140, 60));
        p.drawPolygon(QPolygonF({QPointF(5, 10), QPointF(11, 10), QPointF(8, 14.5)}));
        p.fillRect(QRectF(1, 14.6, 14, 1.2), QColor(60, 60, 60));
        break;
    }
    }
    return pm;
}

}  // namespace

QIcon MakeToolIcon(ToolIcon kind)
{
    QIcon icon;
    for (int size : {16, 24, 32})
        icon.addPixmap(tool(size, kind));
    return icon;
}

}  // namespace morvane
