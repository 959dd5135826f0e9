#include "ScreenPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace morvane {

QRect AvailableArea(const QWidget &w)
{
    const QScreen *screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect PlaceFrame(const QRect &client, const QMargins &frame, const QRect &area, const QSize &minimum)
{
    const int extraWidth = frame.left() + frame.right(), extraHeight = frame.top() + frame.bottom();
    const int width = std::max(minimum.width(), std::min(client.width(), area.width() - extraWidth));
    const int height = std::max(minimum.height(), std::min(client.height(), area.height() - extraHeight));
    // The frame's top left, moved in from the area's edges.
    const int x = std::clamp(client.x() - frame.left(), area.left(),
                             std::max(area.left(), area.right() + 1 - (width + extraWidth)));
    const int y = std::clamp(client.y() - frame.top(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - (height + extraHeight)));
    return {x + frame.left(), y + frame.top(), width, height};
}

namespace {

bool framed(const QWidget &w)
{
    const Qt::WindowType type = w.windowType();
    return !w.windowFlags().testFlag(Qt::FramelessWindowHint) && type != Qt::Popup && type != Qt::ToolTip &&
           type != Qt::SplashScreen;
}

QMargins knownFrame(const QWidget &w)
{
    const QWindow *handle = w.windowHandle();
    return handle && w.isVisible() ? handle->frameMargins() : QMargins();
}

}  // namespace

QMargins FrameMargins(const QWidget &w)
{
    if (!framed(w))
        return {};
    if (const QMargins m = knownFrame(w); !m.isNull())
        return m;
    for (const QWidget *other : QApplication::topLevelWidgets())
        if (other != &w && framed(*other))
            if (const QMargins m = knownFrame(*other); !m.isNull())
                return m;
    // A title bar and a thin border, as most window managers draw them.
    return {4, 28, 4, 4};
}

void KeepOnScreen(QWidget &w, const QRect &area)
{
    const QRect placed = PlaceFrame(w.geometry(), FrameMargins(w), area, w.minimumSize());
    if (!w.testAttribute(Qt::WA_Moved) && !w.inherits("QDialog")) {
        // Nobody chose a place (a dialog is placed over its parent): the
        // window manager finds one where the window fits.
        if (placed.size() != w.size())
            w.resize(placed.size());
        return;
    }
    if (placed == w.geometry())
        return;
    const bool chosen = w.testAttribute(Qt::WA_Moved);
    w.setGeometry(placed);
    // A dialog placed over its parent is placed so again next time.
    w.setAttribute(Qt::WA_Moved, chosen);
}

void CentreOnScreen(QWidget &w)
{
    const QRect area = AvailableArea(w);
    const QSize outer = w.frameGeometry().size();
    w.move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
           area.y() + std::max(0, (area.height() - outer.height()) / 2));
}

bool OnScreenGuard::eventFilter(QObject *watched, QEvent *e)
{
    // Once the window has shown itself: a dialog places itself over its
    // parent as it shows, without knowing the frame it is going to get.
    if (e->type() == QEvent::ShowToParent && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->isWindow())
            KeepOnScreen(*w, AvailableArea(*w));
    }
    return QObject::eventFilter(watched, e);
}

}  // namespace morvane
