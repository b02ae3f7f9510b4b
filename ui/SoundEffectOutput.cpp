// The module qob-sound: the game's sounds through Qt Multimedia.
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <memory>

#include "SoundOutput.h"

namespace qob {

namespace {

// Whether the machine has an audio output at all, asked once a run: without one,
// nothing is played and the player is told so once, not once a sound.
bool audioOutputExists() {
    static const bool exists = [] {
        const bool any = !QMediaDevices::audioOutputs().isEmpty();
        if (!any) qWarning("No audio device: the game plays without sound");
        return any;
    }();
    return exists;
}

class SoundEffectOutput : public SoundOutput {
  public:
    void play(const QString& path) override {
        if (!audioOutputExists()) return;
        if (!m_effect) m_effect = std::make_unique<QSoundEffect>();
        const QUrl source = QUrl::fromLocalFile(path);
        m_effect->stop();
        if (m_effect->source() != source) m_effect->setSource(source);
        m_effect->play();
    }

  private:
    std::unique_ptr<QSoundEffect> m_effect;
};

}  // namespace

}  // namespace qob

extern "C" Q_DECL_EXPORT qob::SoundOutput* qob_create_sound_output() {
    return new qob::SoundEffectOutput;
}
