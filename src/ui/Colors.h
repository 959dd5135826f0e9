#pragma once
// The program's colour values: 0x00BBGGRR for an RGB colour, or the high bit
// and the index of a system colour (a button face, the window background).
// Logic that colours the calendars uses these without any widget.

#include <QColor>
#include <QPalette>

namespace morvane {

constexpr quint32 kSystemColourBit = 0x80000000u;
// The system colour of a button's lit edge, the look of the chosen day.
constexpr quint32 kButtonHighlight = kSystemColourBit | 20;

// A stored colour as a QColor; system colours come from the palette, by the
// role that serves the same purpose.
QColor ToQColor(quint32 value, const QPalette &palette);
QColor ToQColor(quint32 value);  // with the application's palette
quint32 FromQColor(const QColor &c);

}  // namespace morvane
