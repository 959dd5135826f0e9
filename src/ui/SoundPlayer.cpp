#include "SoundPlayer.h"

#include <QFileInfo>

#include <QSoundEffect>

namespace morvane {

struct QtSoundPlayer::Impl {
    QSoundEffect effect;
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
    d->effect.stop();
    d->effect.setSource(path.startsWith(u":/") ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path));
    d->effect.setLoopCount(loop ? QSoundEffect::Infinite : 1);
    d->effect.play();
}

void QtSoundPlayer::playResource(const QString &name)
{
    d->effect.stop();
    d->effect.setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(name)));
    d->effect.setLoopCount(1);
    d->effect.play();
}

void QtSoundPlayer::stop() { d->effect.stop(); }

QUrl QtSoundPlayer::source() const { return d->effect.source(); }

bool QtSoundPlayer::looping() const { return d->effect.loopCount() == QSoundEffect::Infinite; }

}  // namespace morvane
