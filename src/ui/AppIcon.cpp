#include "AppIcon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

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

}  // namespace morvane
