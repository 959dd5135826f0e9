#pragma once
// Opens a file with the desktop's program for it (a web page in the
// browser).

#include <QString>
#include <QStringList>

namespace morvane {

class FileLauncher {
public:
    virtual ~FileLauncher() = default;
    // False when the desktop could not open it.
    virtual bool open(const QString &path) = 0;
};

class DesktopFileLauncher final : public FileLauncher {
public:
    bool open(const QString &path) override;
};

// Records what would have been opened, and answers `result`.
class RecordingFileLauncher final : public FileLauncher {
public:
    bool open(const QString &path) override
    {
        opened << path;
        return result;
    }
    QStringList opened;
    bool result = true;
};

}  // namespace morvane
