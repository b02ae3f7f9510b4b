#pragma once

#include <QString>

namespace qob {

// Where the game's sounds are played: Qt Multimedia, in a module of its own
// (qob-sound) that the program loads once its window is on the screen, so that the
// window does not wait for the sound libraries.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Plays a wave file that exists, cutting off a sound still playing.
    virtual void play(const QString& path) = 0;
};

// The module's one entry point.
using CreateSoundOutput = SoundOutput* (*)();
inline constexpr const char* kCreateSoundOutput = "qob_create_sound_output";

}  // namespace qob
