#include "Options.h"

#include "AtomicFile.h"
#include "Utility.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <climits>
#include <tuple>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr const char *kOptions = "Options";

// Calls fn(name, member) for every value after FirstTime, in the order the
// options are saved. Reading and writing share this one list.
template <class O, class Fn> void visitOptions(O &o, Fn &&fn)
{
    fn("Shadows", o.shadows);
    fn("Confirm", o.confirm);
    fn("DragConfirm", o.dragConfirm);
    fn("Category", o.category);
    fn("DoneColor", o.doneColor);
    fn("NotDoneColor", o.notDoneColor);
    fn("HolidayColor", o.holidayColor);
    fn("MonthColor", o.monthColor);
    fn("AutoStart", o.autoStart);
    fn("qPopup", o.qPopup);
    fn("qIcons", o.qIcons);
    fn("DoneColorFG", o.doneColorFG);
    fn("DoneColorBG", o.doneColorBG);
    fn("NotDoneColorFG", o.notDoneColorFG);
    fn("NotDoneColorBG", o.notDoneColorBG);
    fn("HolidayColorFG", o.holidayColorFG);
    fn("HolidayColorBG", o.holidayColorBG);
    fn("MonthColorBG", o.monthColorBG);
    fn("AlarmMin", o.alarmMin);
    fn("StrikeOut", o.strikeOut);
    fn("FlyBy", o.flyBy);
    fn("AlarmPath", o.alarmPath);
    fn("PlayAlarm", o.playAlarm);
    fn("RepeatAlarm", o.repeatAlarm);
    fn("Sunday", o.sunday);
    fn("HourChime", o.hourChime);
    fn("HalfChime", o.halfChime);
    fn("ExitF4", o.exitF4);
    fn("RowHeight", o.rowHeight);
    const std::pair<const char *, decltype(&o.calFont)> fonts[] = {
        {"Cal", &o.calFont}, {"Grid", &o.gridFont}, {"Title", &o.titleFont}};
    for (const auto &[prefix, font] : fonts) {
        const QByteArray p(prefix);
        fn(p + "FontName", font->name);
        fn(p + "FontSize", font->size);
        fn(p + "FontBold", font->bold);
        fn(p + "FontItalic", font->italic);
        fn(p + "FontUnder", font->under);
        fn(p + "FontStrike", font->strike);
    }
}

struct Reader {
    const SettingsStore &s;
    void operator()(const QByteArray &name, bool &v) const { v = s.read(BoolSetting{kOptions, name.constData(), v}); }
    void operator()(const QByteArray &name, int &v) const { v = s.read(IntSetting{kOptions, name.constData(), v}); }
    void operator()(const QByteArray &name, quint32 &v) const { v = s.read(ColorSetting{kOptions, name.constData(), v}); }
    void operator()(const QByteArray &name, QString &v) const { v = s.readText(kOptions, name.constData(), v); }
};

struct Writer {
    SettingsStore &s;
    void operator()(const QByteArray &name, bool v) const { s.write(BoolSetting{kOptions, name.constData(), false}, v); }
    void operator()(const QByteArray &name, int v) const { s.write(IntSetting{kOptions, name.constData(), 0}, v); }
    void operator()(const QByteArray &name, quint32 v) const { s.write(ColorSetting{kOptions, name.constData(), 0}, v); }
    void operator()(const QByteArray &name, const QString &v) const { s.writeText(kOptions, name.constData(), v); }
};

constexpr const char *kMemorize = "Memorize";

}  // namespace

Options Options::read(const SettingsStore &settings, const QString &programFolder)
{
    Options o;
    o.alarmPath = JoinPath(programFolder, u"alarm.wav"_s);
    o.firstTime = settings.readText(kOptions, "FirstTime", o.firstTime);
    visitOptions(o, Reader{settings});
    // The dialog's spin boxes hold these ranges.
    o.alarmMin = std::clamp(o.alarmMin, 0, 120);
    o.rowHeight = std::clamp(o.rowHeight, 8, 50);
    return o;
}

bool Options::write(SettingsStore &settings) const
{
    settings.writeText(kOptions, "FirstTime", u"first"_s);
    const bool firstOk = settings.sync();
    visitOptions(*this, Writer{settings});
    settings.sync();
    return firstOk;
}

void LayoutValues::restore(const SettingsStore &settings)
{
    const LayoutValues defaults;
    const std::tuple<const char *, int *, int> values[] = {
        {"Split2", &split2, defaults.split2},
        {"ClientHeight", &clientHeight, defaults.clientHeight},
        {"ClientWidth", &clientWidth, defaults.clientWidth},
        {"Split1", &split1, defaults.split1},
        {"SplitDay", &splitDay, defaults.splitDay}};
    for (const auto &[name, member, def] : values) {
        const auto text = settings.raw("", name);
        if (!text)
            *member = def;
        else if (const auto v = ParseSettingInt(*text); v && *v >= INT_MIN && *v <= INT_MAX)
            *member = int(*v);
    }
}

void LayoutValues::save(SettingsStore &settings) const
{
    settings.write(IntSetting{"", "Split2", 0}, split2);
    settings.write(IntSetting{"", "ClientHeight", 0}, clientHeight);
    settings.write(IntSetting{"", "ClientWidth", 0}, clientWidth);
    settings.write(IntSetting{"", "Split1", 0}, split1);
    settings.write(IntSetting{"", "SplitDay", 0}, splitDay);
    settings.sync();
}

LayoutValues ClampLayout(LayoutValues v, const QSize &available, int minimumWidth)
{
    v.clientWidth = std::clamp(v.clientWidth, std::min(minimumWidth, available.width()), std::max(1, available.width()));
    v.clientHeight = std::clamp(v.clientHeight, std::min(200, available.height()), std::max(1, available.height()));
    v.split1 = std::clamp(v.split1, 0, v.clientWidth);
    v.split2 = std::clamp(v.split2, 0, v.clientHeight);
    v.splitDay = std::clamp(v.splitDay, 0, v.clientHeight);
    return v;
}

MemorizedLayout ClampMemorized(MemorizedLayout m, const QRect &available)
{
    m.width = std::clamp(m.width, std::min(200, available.width()), std::max(1, available.width()));
    m.height = std::clamp(m.height, std::min(200, available.height()), std::max(1, available.height()));
    m.left = std::clamp(m.left, available.left(), available.right() + 1 - m.width);
    m.top = std::clamp(m.top, available.top(), available.bottom() + 1 - m.height);
    m.split1Pos = std::clamp(m.split1Pos, 0, m.width);
    m.split2Pos = std::clamp(m.split2Pos, 0, m.height);
    m.splitDay = std::clamp(m.splitDay, 0, m.height);
    return m;
}

MemorizedLayout MemorizedLayout::read(const SettingsStore &s)
{
    MemorizedLayout m;
    m.done = s.read(BoolSetting{kMemorize, "Done", false});
    m.top = s.read(IntSetting{kMemorize, "Top", m.top});
    m.left = s.read(IntSetting{kMemorize, "Left", m.left});
    m.height = s.read(IntSetting{kMemorize, "Height", m.height});
    m.width = s.read(IntSetting{kMemorize, "Width", m.width});
    m.split1Pos = s.read(IntSetting{kMemorize, "Split1Pos", m.split1Pos});
    m.split2Pos = s.read(IntSetting{kMemorize, "Split2Pos", m.split2Pos});
    m.splitDay = s.read(IntSetting{kMemorize, "SplitDay", m.splitDay});
    return m;
}

void MemorizedLayout::write(SettingsStore &s) const
{
    s.write(BoolSetting{kMemorize, "Done", false}, true);
    s.write(IntSetting{kMemorize, "Top", 0}, top);
    s.write(IntSetting{kMemorize, "Left", 0}, left);
    s.write(IntSetting{kMemorize, "Height", 0}, height);
    s.write(IntSetting{kMemorize, "Width", 0}, width);
    s.write(IntSetting{kMemorize, "Split1Pos", 0}, split1Pos);
    s.write(IntSetting{kMemorize, "Split2Pos", 0}, split2Pos);
    s.write(IntSetting{kMemorize, "SplitDay", 0}, splitDay);
    s.sync();
}

QString AutostartFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + u"/autostart/morvane.desktop"_s;
}

bool checkAutostart()
{
    QFile f(AutostartFile());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("Exec=") && !line.trimmed().sliced(5).isEmpty())
            return true;
    return false;
}

namespace {

// One argument of a desktop entry's Exec line: quoted when it holds blanks or
// characters the line reserves, with ", `, $ and \ escaped inside.
QString execArgument(QString arg)
{
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#()`"_s;
    if (std::none_of(arg.begin(), arg.end(), [](QChar c) { return reserved.contains(c); }))
        return arg;
    QString quoted;
    for (QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    // The entry's own string escapes apply first: a backslash is written twice.
    quoted.replace(u"\\"_s, u"\\\\"_s);
    return u'"' + quoted + u'"';
}

}  // namespace

bool writeAutostart(bool on, const QString &executable, const QString &dataFolder, QString *why)
{
    const QString path = AutostartFile();
    if (!on) {
        QFile::remove(path);
        return true;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString exec = execArgument(executable);
    // A data folder other than the program's own must go with it, or the
    // copy started at login would work on other task files.
    const QString own = QFileInfo(executable).absolutePath();
    if (!dataFolder.isEmpty() && QDir(dataFolder).absolutePath() != QDir(own).absolutePath())
        exec = u"env "_s + execArgument(u"MORVANE_DIR="_s + QDir(dataFolder).absolutePath()) + u' ' + exec;
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=Morvane\n"
                             "Comment=Calendar and task manager, started in the notification area\n"
                             "Exec=" + exec.toUtf8() + "\nTerminal=false\n";
    const FileResult r = WriteFileAtomically(path, entry);
    if (!r.ok && why)
        *why = r.message;
    return r.ok;
}

}  // namespace morvane
