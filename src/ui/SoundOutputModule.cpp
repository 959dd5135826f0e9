// The sound module: QSoundEffect behind SoundOutput, loaded by the first
// sound the program makes.

#include "SoundOutput.h"

#include <QSoundEffect>

namespace morvane {
namespace {

class EffectOutput final : public SoundOutput {
public:
    void play(const QUrl &source, bool loop) override
    {
        effect_.stop();
        effect_.setSource(source);
        effect_.setLoopCount(loop ? QSoundEffect::Infinite : 1);
        effect_.play();
    }
    void stop() override { effect_.stop(); }

private:
    QSoundEffect effect_;
};

}  // namespace
}  // namespace morvane

extern "C" Q_DECL_EXPORT morvane::SoundOutput *morvane_make_sound_output() { return new morvane::EffectOutput; }
