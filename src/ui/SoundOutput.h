#pragma once
// Between the sound player and the module that holds the media library:
// the program links neither the media library nor the audio libraries it
// pulls in (loading them at every start costs more than the rest of the
// libraries together); the first sound loads the module that does.

#include <QUrl>

namespace morvane {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Plays a wave file or resource URL, once or looping until stopped,
    // replacing the sound playing.
    virtual void play(const QUrl &source, bool loop) = 0;
    virtual void stop() = 0;
};

// The module's one entry point, a C name for QLibrary::resolve: a new
// output, owned by the caller.
#define MORVANE_SOUND_OUTPUT_ENTRY "morvane_make_sound_output"
using MakeSoundOutput = SoundOutput *(*)();

}  // namespace morvane
