#pragma once
// Windows open inside the screen's available area, frame and all: a dialog
// taller than its parent, or a size stored on a larger screen, would
// otherwise open with its title bar above the screen, out of reach of the
// mouse.

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;

namespace morvane {

// The area a window may take on the screen it is on (or the primary one).
QRect AvailableArea(const QWidget &w);

// Where a window goes so that its whole frame lies inside `area`: its new
// client rectangle, given the margins of the frame (title bar and borders)
// around the client. A window larger than the area is made smaller first,
// never below `minimum`; one that still does not fit keeps the top left of
// its frame, and so its title bar, on the screen.
QRect PlaceFrame(const QRect &client, const QMargins &frame, const QRect &area, const QSize &minimum);

// The frame a window has, or will have: until the window manager has framed
// it (it has not when the window is about to show), the frame of another
// window of the program, else a usual title bar and border.
QMargins FrameMargins(const QWidget &w);

// Shrinks the window so that its frame fits the area and, when it was
// given a place (a dialog always is, over its parent), moves it so that its
// frame lies inside.
void KeepOnScreen(QWidget &w, const QRect &area);

// Moves the window so that its frame stands in the middle of the available
// area of its screen (its top left inside the area when it is larger).
void CentreOnScreen(QWidget &w);

// Installed on a window, keeps it on the screen each time it is shown.
class OnScreenGuard : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *e) override;
};

}  // namespace morvane
