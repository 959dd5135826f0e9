#pragma once
// The program's icon, drawn rather than shipped: a calendar page, showing a
// day of the month when one is given.

#include <QIcon>

namespace morvane {

QIcon MakeAppIcon(int dayOfMonth);  // 0: the plain program icon
// One size of it, drawn for that size (the installed theme icons).
QPixmap AppIconPixmap(int size, int dayOfMonth);

// The toolbar's pictures, drawn.
enum class ToolIcon {
    Holidays, Options, Hide,
    // The lists' commands.
    Add, Edit, Delete, Done, Alarm, Completed,
    // The filter, off and on.
    Filter, FilterOn,
    Find, Year,
    // The daily alarms: an alarm clock.
    DailyAlarms,
    // Printing: a printer with a sheet.
    Print,
    // Web pages: a globe.
    Web,
    // Archiving: a box.
    Archive,
    // The chart: three bars.
    Chart,
    // Moving the day: year, month and highlighted-day steps, and today.
    PriorYear, PriorMonth, PriorTask, Today, NextTask, NextMonth, NextYear
};
QIcon MakeToolIcon(ToolIcon kind);

}  // namespace morvane
