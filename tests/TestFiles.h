#pragma once
// Small file helpers for tests: a temporary folder, and whole-file bytes.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ostream>

// Texts in failure messages as text, not as 2-byte objects.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &b, std::ostream *os) { *os << '"' << b.toStdString() << '"'; }

namespace morvane {

class TempFolder {
public:
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    // Every entry, hidden ones too (a leftover temporary file must show).
    QStringList entries() const
    {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                           QDir::Name);
    }

private:
    QTemporaryDir dir_;
};

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

}  // namespace morvane
