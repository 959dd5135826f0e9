#include "SoundPlayer.h"

#include <QFileInfo>

#include <QSoundEffect>

namespace morvane {

// The sound effect, and with it the media back end and the audio device, is
// set up by the first sound: most runs start without one, and the start must
// not wait for it.
struct QtSoundPlayer::Impl {
    std::unique_ptr<QSoundEffect> made;
    QSoundEffect &effect()
    {
        if (!made)
            made = std::make_unique<QSoundEffect>();
        return *made;
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

void QtSoundPlayer::playFile(const QString &path, bool loop)
{
    QSoundEffect &effect = d->effect();
    effect.stop();
    effect.setSource(path.startsWith(u":/") ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path));
    effect.setLoopCount(loop ? QSoundEffect::Infinite : 1);
    effect.play();
}

void QtSoundPlayer::playResource(const QString &name)
{
    QSoundEffect &effect = d->effect();
    effect.stop();
    effect.setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(name)));
    effect.setLoopCount(1);
    effect.play();
}

void QtSoundPlayer::stop()
{
    if (d->made)
        d->made->stop();
}

QUrl QtSoundPlayer::source() const { return d->made ? d->made->source() : QUrl(); }

bool QtSoundPlayer::looping() const { return d->made && d->made->loopCount() == QSoundEffect::Infinite; }

}  // namespace morvane
