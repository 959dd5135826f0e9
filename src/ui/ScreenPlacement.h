#pragma once
// Windows open inside the screen's available area: a dialog taller than
// its parent would otherwise open with its title bar above the screen, out
// of reach of the mouse.

#include <QObject>
#include <QRect>

class QWidget;

namespace morvane {

// The area a window may take on the screen it is on (or the primary one).
QRect AvailableArea(const QWidget &w);

// Shrinks the window to the area when it is larger (down to its minimum
// size) and moves it so that it lies inside, title bar first.
void KeepOnScreen(QWidget &w, const QRect &area);

// Installed on a window, keeps it on the screen each time it is shown.
class OnScreenGuard : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *e) override;
};

}  // namespace morvane
