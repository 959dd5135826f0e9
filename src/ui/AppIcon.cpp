#include "AppIcon.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <cmath>
#include <functional>
#include <map>

namespace morvane {

namespace {

// Every picture is drawn once a run and shared after: the toolbars, the
// popup menus and the navigation bar ask for the same ones, and a window
// made again (a test, a benchmark) finds them drawn. Emptied with the
// application, which owns what pixmaps need.
QIcon cachedIcon(int key, const std::function<QIcon()> &draw)
{
    static std::map<int, QIcon> *drawn = nullptr;
    if (!drawn) {
        drawn = new std::map<int, QIcon>;
        qAddPostRoutine([] {
            delete drawn;
            drawn = nullptr;
        });
    }
    auto it = drawn->find(key);
    if (it == drawn->end())
        it = drawn->emplace(key, draw()).first;
    return it->second;
}

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
        // The digits as outlines of one font size, scaled to each picture:
        // a font of every size asked for would be loaded and set up once
        // each, at the start of every run, for a window icon.
        constexpr qreal kDrawn = 100;
        QFont f;
        f.setBold(true);
        f.setPixelSize(int(kDrawn));
        const QString text = QString::number(day);
        const QFontMetricsF fm(f);
        QPainterPath digits;
        digits.addText(0, 0, f, text);
        const qreal scale = int(body.height() * 0.78) / kDrawn;
        p.save();
        p.translate(body.center().x() - fm.horizontalAdvance(text) * scale / 2,
                    body.center().y() - fm.height() * scale / 2 + fm.ascent() * scale);
        p.scale(scale, scale);
        p.fillPath(digits, QColor(30, 30, 30));
        p.restore();
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

QPixmap AppIconPixmap(int size, int dayOfMonth) { return page(size, dayOfMonth); }

QIcon MakeAppIcon(int dayOfMonth)
{
    return cachedIcon(-1 - dayOfMonth, [dayOfMonth] {
        QIcon icon;
        for (int size : {16, 22, 32, 48, 64})
            icon.addPixmap(page(size, dayOfMonth));
        return icon;
    });
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
    case ToolIcon::Add: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 140, 50));
        p.drawRect(QRectF(6.5, 2, 3, 12));
        p.drawRect(QRectF(2, 6.5, 12, 3));
        break;
    }
    case ToolIcon::Edit: {
        // A pencil.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 170, 40));
        p.drawPolygon(QPolygonF({QPointF(11, 2), QPointF(14, 5), QPointF(6, 13), QPointF(3, 10)}));
        p.setBrush(QColor(60, 60, 60));
        p.drawPolygon(QPolygonF({QPointF(3, 10), QPointF(6, 13), QPointF(2, 14)}));
        break;
    }
    case ToolIcon::Delete: {
        p.setPen(QPen(QColor(200, 30, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    }
    case ToolIcon::Done: {
        p.setPen(QPen(QColor(30, 140, 50), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
        break;
    }
    case ToolIcon::Alarm: {
        // A bell.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 160, 20));
        QPainterPath bell;
        bell.moveTo(3, 12);
        bell.cubicTo(5, 10, 4, 3, 8, 3);
        bell.cubicTo(12, 3, 11, 10, 13, 12);
        bell.closeSubpath();
        p.drawPath(bell);
        p.drawEllipse(QPointF(8, 13.5), 1.6, 1.6);
        p.drawEllipse(QPointF(8, 2.5), 1, 1);
        break;
    }
    case ToolIcon::DailyAlarms: {
        // An alarm clock: a round face with two bells on top.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QPointF(3.5, 3.5), 2.2, 2.2);
        p.drawEllipse(QPointF(12.5, 3.5), 2.2, 2.2);
        p.setPen(QPen(QColor(200, 40, 40), 1.4));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 9), 5.6, 5.6);
        p.setPen(QPen(QColor(40, 40, 40), 1.3));
        p.drawLine(QPointF(8, 9), QPointF(8, 5.2));
        p.drawLine(QPointF(8, 9), QPointF(10.6, 10.4));
        break;
    }
    case ToolIcon::Print: {
        // A sheet coming out of a printer.
        p.setPen(QPen(QColor(70, 70, 70), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(120, 130, 150));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.setPen(QPen(QColor(150, 150, 150), 1));
        p.drawLine(QPointF(6, 12.5), QPointF(10, 12.5));
        break;
    }
    case ToolIcon::Web: {
        // A globe: a circle with its meridian and parallels.
        p.setPen(QPen(QColor(30, 100, 170), 1.1));
        p.setBrush(QColor(200, 225, 250));
        p.drawEllipse(QPointF(8, 8), 6.3, 6.3);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 2.6, 6.3);
        p.drawLine(QPointF(1.7, 8), QPointF(14.3, 8));
        p.drawLine(QPointF(2.8, 4.8), QPointF(13.2, 4.8));
        p.drawLine(QPointF(2.8, 11.2), QPointF(13.2, 11.2));
        break;
    }
    case ToolIcon::Archive: {
        // A storage box with its lid and label.
        p.setPen(QPen(QColor(120, 80, 30), 1));
        p.setBrush(QColor(215, 170, 100));
        p.drawRect(QRectF(2.5, 6.5, 11, 7.5));
        p.setBrush(QColor(190, 140, 70));
        p.drawRect(QRectF(1.5, 3.5, 13, 3));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 8.5, 4, 2.5));
        break;
    }
    case ToolIcon::Chart: {
        // Three bars on a base line.
        p.setPen(Qt::NoPen);
        p.fillRect(QRectF(2.5, 8, 3, 6), QColor(40, 90, 170));
        p.fillRect(QRectF(6.5, 3, 3, 11), QColor(200, 60, 40));
        p.fillRect(QRectF(10.5, 6, 3, 8), QColor(230, 180, 30));
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(QPointF(1, 14.5), QPointF(15, 14.5));
        break;
    }
    case ToolIcon::Completed: {
        // A list with a tick.
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (double y : {5.0, 8.0, 11.0})
            p.drawLine(QPointF(7, y), QPointF(12.5, y));
        p.setPen(QPen(QColor(30, 140, 50), 1.6));
        p.drawPolyline(QPolygonF({QPointF(2.8, 8), QPointF(4, 9.5), QPointF(6, 6)}));
        break;
    }
    case ToolIcon::PriorYear:
    case ToolIcon::PriorMonth:
    case ToolIcon::PriorTask:
    case ToolIcon::NextTask:
    case ToolIcon::NextMonth:
    case ToolIcon::NextYear: {
        // Triangles pointing the way: one for a month, two for a year, one
        // against a bar for the next highlighted day.
        const bool next = kind == ToolIcon::NextTask || kind == ToolIcon::NextMonth || kind == ToolIcon::NextYear;
        if (!next) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(kind == ToolIcon::PriorTask || kind == ToolIcon::NextTask ? QColor(200, 30, 40)
                                                                              : QColor(40, 90, 170));
        auto tri = [&](double x) { p.drawPolygon(QPolygonF({QPointF(x, 3), QPointF(x + 6, 8), QPointF(x, 13)})); };
        if (kind == ToolIcon::PriorYear || kind == ToolIcon::NextYear) {
            tri(2.5);
            tri(8);
        } else if (kind == ToolIcon::PriorTask || kind == ToolIcon::NextTask) {
            tri(4);
            p.drawRect(QRectF(11, 3, 2, 10));
        } else {
            tri(5);
        }
        break;
    }
    case ToolIcon::Filter:
    case ToolIcon::FilterOn: {
        // A funnel; red while a filter is on.
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(kind == ToolIcon::FilterOn ? QColor(210, 40, 40) : QColor(200, 200, 200));
        p.drawPolygon(QPolygonF({QPointF(1.5, 2.5), QPointF(14.5, 2.5), QPointF(9.5, 8.5), QPointF(9.5, 14),
                                 QPointF(6.5, 12.5), QPointF(6.5, 8.5)}));
        break;
    }
    case ToolIcon::Find: {
        // A magnifying glass.
        p.setPen(QPen(QColor(60, 60, 60), 1.6));
        p.setBrush(QColor(200, 225, 250));
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
        p.setPen(QPen(QColor(90, 60, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        break;
    }
    case ToolIcon::Year: {
        // Twelve small months.
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 12; ++i)
            p.fillRect(QRectF(1 + (i % 4) * 3.6, 2 + (i / 4) * 4.2, 3, 3.4),
                       i == 11 ? QColor(200, 30, 40) : QColor(40, 90, 170));
        break;
    }
    case ToolIcon::Today: {
        p.setPen(QPen(QColor(40, 90, 170), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 40));
        p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
        break;
    }
    }
    return pm;
}

}  // namespace

QIcon MakeToolIcon(ToolIcon kind)
{
    return cachedIcon(int(kind), [kind] {
        QIcon icon;
        for (int size : {16, 24, 32})
            icon.addPixmap(tool(size, kind));
        return icon;
    });
}

}  // namespace morvane
