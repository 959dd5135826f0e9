#pragma once
// The program's settings: one QSettings root ("Helmsworth Corporation",
// "Task"), sections as groups, every value stored as text. Booleans are
// "0"/"1"; integers and colours are decimal text. Reading takes decimal or
// "0x" hexadecimal; a missing value, or one that is not a number, gives the
// default.
//
// Each value is declared once, with its section, name and default, as a
// Setting<T>; code reads and writes through the declaration.

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

namespace morvane {

template <class T> struct Setting {
    const char *section;  // empty: directly in the root
    const char *name;
    T def;
};

using BoolSetting = Setting<bool>;
using IntSetting = Setting<int>;
using ColorSetting = Setting<quint32>;  // 0x00BBGGRR
using TextSetting = Setting<const char *>;

// Reads an integer the way every numeric setting is read: optional blanks
// and sign, then decimal digits or "0x"/"0X" and hexadecimal digits.
std::optional<qint64> ParseSettingInt(const QString &text);

class SettingsStore {
public:
    // The user's settings.
    SettingsStore();
    // Settings in an INI file of the given path (tests and tools).
    explicit SettingsStore(const QString &iniPath);
    ~SettingsStore();

    bool read(const BoolSetting &s) const;
    int read(const IntSetting &s) const;
    quint32 read(const ColorSetting &s) const;
    QString read(const TextSetting &s) const;
    QString readText(const char *section, const char *name, const QString &def) const;

    // The raw text, or nothing when the value is missing.
    std::optional<QString> raw(const char *section, const char *name) const;

    void write(const BoolSetting &s, bool v);
    void write(const IntSetting &s, int v);
    void write(const ColorSetting &s, quint32 v);
    void write(const TextSetting &s, const QString &v);
    void writeText(const char *section, const char *name, const QString &v);
    void remove(const char *section, const char *name);

    // Writes pending changes to disk; false (with the reason) when that failed.
    bool sync(QString *why = nullptr);
    QString fileName() const;

private:
    static QString key(const char *section, const char *name);
    std::unique_ptr<QSettings> s_;
};

}  // namespace morvane
