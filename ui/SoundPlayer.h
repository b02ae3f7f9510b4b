#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QSoundEffect;

namespace qob {

// Plays wave files without waiting for them. One player for the whole window, so
// a new sound cuts off one still playing; a file that is missing sounds the
// system's beep instead. Without an audio device nothing is heard, and nothing
// waits either.
class SoundPlayer : public QObject {
    Q_OBJECT

  public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    void play(const QString& path);

    // The last file asked for, and how many times the beep stood in for a file.
    QString lastSource() const { return m_lastSource; }
    int beeps() const { return m_beeps; }

  private:
    std::unique_ptr<QSoundEffect> m_effect;
    QString m_lastSource;
    int m_beeps = 0;
};

}  // namespace qob
