#pragma once
// The values of the "Options" section, each declared once with its name and
// default, and the main window's five layout values. The options dialog edits
// an Options value; every other window reads the options in force from it.

#include "SettingsStore.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace morvane {

struct FontSetting {
    QString name;
    int size = 8;
    bool bold = false, italic = false, under = false, strike = false;
    bool operator==(const FontSetting &) const = default;
};

struct Options {
    QString firstTime = QStringLiteral("000");
    bool shadows = true;
    bool strikeOut = true;
    bool flyBy = true;
    QString category;
    bool confirm = true;
    bool dragConfirm = true;
    bool doneColor = true;
    bool notDoneColor = true;
    bool holidayColor = true;
    bool monthColor = false;
    bool autoStart = false;
    bool qPopup = true;
    bool qIcons = true;
    quint32 doneColorFG = 0;
    quint32 doneColorBG = 0xFFFF00;
    quint32 notDoneColorFG = 0xFFFFFF;
    quint32 notDoneColorBG = 255;
    quint32 holidayColorFG = 0;
    quint32 holidayColorBG = 0xFFFF;
    quint32 monthColorBG = 65280;
    int alarmMin = 0;        // 0 to 120
    QString alarmPath;       // default: alarm.wav in the program's folder
    bool playAlarm = true;
    bool repeatAlarm = true;
    bool sunday = true;
    bool hourChime = true;
    bool halfChime = true;
    bool exitF4 = true;
    int rowHeight = 16;      // 8 to 50
    FontSetting calFont{QStringLiteral("Ms Sans Serif"), 8};
    FontSetting gridFont{QStringLiteral("Ms Sans Serif"), 8};
    FontSetting titleFont{QStringLiteral("Times New Roman"), 20};

    bool operator==(const Options &) const = default;

    // Every value from the settings, with the defaults where missing.
    static Options read(const SettingsStore &settings, const QString &programFolder);
    // Writes every value in the order the program has always written them,
    // "FirstTime" first. Returns false when that first write could not be
    // saved; the rest is written regardless.
    bool write(SettingsStore &settings) const;
};

// Where the main window's layout lives between runs (directly in the root).
struct LayoutValues {
    int split2 = 296;
    int clientHeight = 450;
    int clientWidth = 630;
    int split1 = 314;
    int splitDay = 156;

    bool operator==(const LayoutValues &) const = default;

    // A missing value takes its default; a text that is not an integer
    // leaves the current value.
    void restore(const SettingsStore &settings);
    void save(SettingsStore &settings) const;
};

// Sizes and splitter positions as the screen can hold them: a value written
// by another screen, or by hand, must never leave a window that cannot
// paint or that lies wholly off the screen.
LayoutValues ClampLayout(LayoutValues v, const QSize &available, int minimumWidth);

// The arrangement memorized by "Memorize screen size/positions".
struct MemorizedLayout {
    bool done = false;
    int top = 10, left = 10, height = 400, width = 600;
    int split1Pos = 250, split2Pos = 250, splitDay = 100;

    bool operator==(const MemorizedLayout &) const = default;

    static MemorizedLayout read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;  // also sets "Done"
};
// The memorized window inside the available area (its size no larger,
// its top-left corner on the screen).
MemorizedLayout ClampMemorized(MemorizedLayout m, const QRect &available);

// Starting with the desktop session: the XDG autostart entry.
QString AutostartFile();
bool checkAutostart();
// Writes the entry (Exec = the executable's full path, with the data folder
// when it is not the program's own) or removes it.
bool writeAutostart(bool on, const QString &executable, const QString &dataFolder, QString *why = nullptr);

}  // namespace morvane
