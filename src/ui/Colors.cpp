#include "Colors.h"

#include <QGuiApplication>

namespace morvane {

namespace {

// The system colour indices and the palette roles that play their part.
QColor systemColour(int index, const QPalette &p)
{
    switch (index) {
    case 0: return p.color(QPalette::Button);           // scroll bar
    case 1: return p.color(QPalette::Window);           // desktop
    case 2: return p.color(QPalette::Highlight);        // active caption
    case 3: return p.color(QPalette::Inactive, QPalette::Highlight);
    case 4: return p.color(QPalette::Window);           // menu
    case 5: return p.color(QPalette::Base);             // window
    case 6: return p.color(QPalette::Shadow);           // window frame
    case 7: return p.color(QPalette::WindowText);       // menu text
    case 8: return p.color(QPalette::Text);             // window text
    case 9: return p.color(QPalette::HighlightedText);  // caption text
    case 10: case 11: return p.color(QPalette::Button);  // borders
    case 12: return p.color(QPalette::Dark);            // application workspace
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);          // button face
    case 16: return p.color(QPalette::Dark);            // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20: return p.color(QPalette::Light);           // button highlight
    case 21: return p.color(QPalette::Shadow);          // 3-D dark shadow
    case 22: return p.color(QPalette::Midlight);        // 3-D light
    case 23: return p.color(QPalette::ToolTipText);
    case 24: return p.color(QPalette::ToolTipBase);
    case 26: return p.color(QPalette::Link);            // hot light
    case 27: case 28: return p.color(QPalette::Highlight);  // caption gradients
    case 29: return p.color(QPalette::Highlight);       // menu highlight
    case 30: return p.color(QPalette::Window);          // menu bar
    default: return p.color(QPalette::Button);
    }
}

}  // namespace

QColor ToQColor(quint32 value, const QPalette &palette)
{
    if (value & kSystemColourBit)
        return systemColour(int(value & 0xFF), palette);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor ToQColor(quint32 value) { return ToQColor(value, QGuiApplication::palette()); }

quint32 FromQColor(const QColor &c) { return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16; }

}  // namespace morvane
