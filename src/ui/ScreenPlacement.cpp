#include "ScreenPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace morvane {

QRect AvailableArea(const QWidget &w)
{
    const QScreen *screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void KeepOnScreen(QWidget &w, const QRect &area)
{
    // The frame (title bar and borders) counts; before the window is mapped
    // it is not known and counts as nothing.
    const QRect frame = w.frameGeometry();
    const QSize extra = frame.size() - w.geometry().size();
    const int width = std::max(w.minimumWidth(), std::min(w.width(), area.width() - extra.width()));
    const int height = std::max(w.minimumHeight(), std::min(w.height(), area.height() - extra.height()));
    if (width != w.width() || height != w.height())
        w.resize(width, height);
    const QSize outer(width + extra.width(), height + extra.height());
    const int x = std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
    const int y = std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    if (x != frame.x() || y != frame.y())
        w.move(x, y);
}

bool OnScreenGuard::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Show && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->isWindow())
            KeepOnScreen(*w, AvailableArea(*w));
    }
    return QObject::eventFilter(watched, e);
}

}  // namespace morvane
