#pragma once
// The arithmetic of the time bar: its ruler runs from picture x 8 (0:00) to
// 488 (24:00), 20 pixels an hour and 3 minutes a pixel; the pointer position
// P stands 8 pixels right of the line's picture x, so the time at P is
// 3 x (P - 16) minutes, rounded to five minutes.

#include <QTime>
#include <Qt>

namespace morvane {

// Rounds a minute to the five-minute steps of the bar; 60 carries into the
// hour, and 24:00 becomes 0:00.
void adjustTo5Minutes(int &hour, int &minute);
QTime Xtotime(int p);
int TimetoX(int hour, int minute);
// The pointer may stand from 15 to 495.
bool PointerInRange(int p);
// The time after a key of the bar (Up, Down, Page Up, Page Down); the
// unchanged time for other keys. Seconds become 0.
QTime StepTime(const QTime &t, int key);

}  // namespace morvane
