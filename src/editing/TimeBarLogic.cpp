#include "TimeBarLogic.h"

namespace morvane {

void adjustTo5Minutes(int &hour, int &minute)
{
    // Minutes from the ruler are multiples of 3.
    static constexpr struct {
        int in, out;
    } kTable[] = {{0, 0},   {3, 5},   {6, 5},   {9, 10},  {12, 10}, {15, 15}, {18, 15}, {21, 20}, {24, 25},
                  {27, 30}, {30, 30}, {33, 35}, {36, 35}, {39, 40}, {42, 45}, {45, 45}, {48, 50}, {51, 50},
                  {54, 55}, {57, 60}, {60, 60}};
    int out = 0;
    for (const auto &e : kTable)
        if (e.in == minute) {
            out = e.out;
            break;
        }
    minute = out;
    if (minute == 60) {
        minute = 0;
        ++hour;
    }
    if (hour >= 24) {
        hour = 0;
        minute = 0;
    }
}

QTime Xtotime(int p)
{
    const int m = 3 * (p - 16);
    if (m <= 0 || m >= 1440)
        return QTime(0, 0);
    int hour = m / 60, minute = m % 60;
    adjustTo5Minutes(hour, minute);
    return QTime(hour, minute);
}

int TimetoX(int hour, int minute) { return (60 * hour + minute) / 3 + 15; }

bool PointerInRange(int p) { return p >= 15 && p + 5 <= 500; }

QTime StepTime(const QTime &t, int key)
{
    int h = t.hour(), m = t.minute();
    switch (key) {
    case Qt::Key_Up:
        if (m < 59)
            ++m;
        else if (h < 23) {
            ++h;
            m = 0;
        }
        break;
    case Qt::Key_Down:
        if (m > 0)
            --m;
        else if (h > 0)
            --h;  // a full hour steps back a whole hour
        break;
    case Qt::Key_PageUp:
        if (h < 23)
            ++h;
        break;
    case Qt::Key_PageDown:
        if (h > 0)
            --h;
        break;
    default:
        return t;
    }
    return QTime(h, m);
}

}  // namespace morvane
