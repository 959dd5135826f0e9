#pragma once
// The one way the program makes a sound. A new sound replaces the one
// playing; nothing ever waits for a sound, and a machine without an audio
// device is silent rather than in error.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace morvane {

// The alarm sound to play: the configured file, or the program's own alarm
// sound (":/sounds/alarm.wav") when that file is not there.
QString AlarmSoundFile(const QString &configured);

// Where the program in `appDir` looks for its sound module, in order: where
// an installed copy keeps it, then, for a program of this build only, where
// the build made it (an installed program never loads code from a build
// folder, which may be anyone's).
QStringList SoundModulePlaces(const QString &appDir);

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // A wave file, once or looping until stopped; a path starting with ":/"
    // is one of the program's resources.
    virtual void playFile(const QString &path, bool loop) = 0;
    // A wave resource of the program (":/sounds/<name>.wav").
    virtual void playResource(const QString &name) = 0;
    virtual void stop() = 0;
};

class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    void playFile(const QString &path, bool loop) override;
    void playResource(const QString &name) override;
    void stop() override;
    // What it was last told to play, and whether that loops.
    QUrl source() const;
    bool looping() const;
    // Whether the first sound found the sound module (else it is silence).
    bool outputLoaded() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Records what would have been played.
class RecordingSoundPlayer final : public SoundPlayer {
public:
    void playFile(const QString &path, bool loop) override
    {
        played << (loop ? QStringLiteral("loop ") : QStringLiteral("once ")) + path;
    }
    void playResource(const QString &name) override { played << QStringLiteral("resource ") + name; }
    void stop() override { played << QStringLiteral("stop"); }
    QStringList played;
};

}  // namespace morvane
