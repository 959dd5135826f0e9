#include "SoundPlayer.h"

#include "SoundOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace morvane {

// The sound output, and with it the media library, its back end and the
// audio device, is set up by the first sound: most runs start without one,
// and the start must not wait for it, nor load the libraries for it.
struct QtSoundPlayer::Impl {
    std::unique_ptr<SoundOutput> made;
    bool tried = false;
    QUrl source;
    bool looping = false;

    // None found: silence.
    static std::unique_ptr<SoundOutput> load()
    {
        for (const QString &path : SoundModulePlaces(QCoreApplication::applicationDirPath())) {
            if (!QFileInfo::exists(path))
                continue;
            QLibrary module(path);  // stays loaded for the run
            if (auto make = reinterpret_cast<MakeSoundOutput>(module.resolve(MORVANE_SOUND_OUTPUT_ENTRY)))
                return std::unique_ptr<SoundOutput>(make());
        }
        return nullptr;
    }
    void play(const QUrl &url, bool loop)
    {
        source = url;
        looping = loop;
        if (!tried) {
            tried = true;
            made = load();
        }
        if (made)
            made->play(url, loop);
    }
};

QtSoundPlayer::QtSoundPlayer() : d(std::make_unique<Impl>()) {}

QtSoundPlayer::~QtSoundPlayer() = default;

QString AlarmSoundFile(const QString &configured)
{
    const QString path = configured.trimmed();
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return path;
    return QStringLiteral(":/sounds/alarm.wav");
}

QStringList SoundModulePlaces(const QString &appDir)
{
    QStringList places{QDir::cleanPath(QDir(appDir).filePath(QStringLiteral(MORVANE_SOUND_MODULE_INSTALLED)))};
    const QString build = QDir::cleanPath(QStringLiteral(MORVANE_BUILD_ROOT));
    if (QDir::cleanPath(appDir).startsWith(build + u'/'))
        places << QStringLiteral(MORVANE_SOUND_MODULE_BUILT);
    return places;
}

void QtSoundPlayer::playFile(const QString &path, bool loop)
{
    d->play(path.startsWith(u":/") ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path), loop);
}

void QtSoundPlayer::playResource(const QString &name)
{
    d->play(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(name)), false);
}

void QtSoundPlayer::stop()
{
    if (d->made)
        d->made->stop();
}

QUrl QtSoundPlayer::source() const { return d->source; }

bool QtSoundPlayer::looping() const { return d->looping; }

bool QtSoundPlayer::outputLoaded() const { return d->made != nullptr; }

}  // namespace morvane
