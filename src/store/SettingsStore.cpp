#include "SettingsStore.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace morvane {

std::optional<qint64> ParseSettingInt(const QString &text)
{
    QStringView s = QStringView(text).trimmed();
    bool neg = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        neg = s.front() == u'-';
        s = s.sliced(1);
    }
    int base = 10;
    if (s.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        s = s.sliced(2);
    }
    if (s.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 v = s.toLongLong(&ok, base);
    if (!ok || s.front() == u'+' || s.front() == u'-')
        return std::nullopt;
    return neg ? -v : v;
}

SettingsStore::SettingsStore()
    : s_(std::make_unique<QSettings>(u"Helmsworth Corporation"_s, u"Task"_s))
{
}

SettingsStore::SettingsStore(const QString &iniPath)
    : s_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::key(const char *section, const char *name)
{
    const QString n = QString::fromLatin1(name);
    if (!section || !*section)
        return n;
    return QString::fromLatin1(section) + u'/' + n;
}

std::optional<QString> SettingsStore::raw(const char *section, const char *name) const
{
    const QVariant v = s_->value(key(section, name));
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

bool SettingsStore::read(const BoolSetting &s) const
{
    const auto text = raw(s.section, s.name);
    const auto v = text ? ParseSettingInt(*text) : std::nullopt;
    return v ? *v != 0 : s.def;
}

int SettingsStore::read(const IntSetting &s) const
{
    const auto text = raw(s.section, s.name);
    const auto v = text ? ParseSettingInt(*text) : std::nullopt;
    if (!v || *v < INT_MIN || *v > INT_MAX)
        return s.def;
    return int(*v);
}

quint32 SettingsStore::read(const ColorSetting &s) const
{
    const auto text = raw(s.section, s.name);
    const auto v = text ? ParseSettingInt(*text) : std::nullopt;
    // Colours were written as signed 32-bit numbers by older copies.
    if (!v || *v < INT_MIN || *v > qint64(UINT_MAX))
        return s.def;
    return quint32(*v);
}

QString SettingsStore::read(const TextSetting &s) const
{
    return readText(s.section, s.name, QString::fromUtf8(s.def));
}

QString SettingsStore::readText(const char *section, const char *name, const QString &def) const
{
    return raw(section, name).value_or(def);
}

void SettingsStore::write(const BoolSetting &s, bool v)
{
    writeText(s.section, s.name, v ? u"1"_s : u"0"_s);
}

void SettingsStore::write(const IntSetting &s, int v) { writeText(s.section, s.name, QString::number(v)); }

void SettingsStore::write(const ColorSetting &s, quint32 v)
{
    writeText(s.section, s.name, QString::number(v));
}

void SettingsStore::write(const TextSetting &s, const QString &v) { writeText(s.section, s.name, v); }

void SettingsStore::writeText(const char *section, const char *name, const QString &v)
{
    s_->setValue(key(section, name), v);
}

void SettingsStore::remove(const char *section, const char *name) { s_->remove(key(section, name)); }

bool SettingsStore::sync(QString *why)
{
    s_->sync();
    if (s_->status() == QSettings::NoError)
        return true;
    if (why)
        *why = s_->status() == QSettings::AccessError
                   ? u"the settings file %1 could not be written"_s.arg(s_->fileName())
                   : u"the settings file %1 is not in a readable format"_s.arg(s_->fileName());
    return false;
}

QString SettingsStore::fileName() const { return s_->fileName(); }

}  // namespace morvane
