#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace qob {

class SoundOutput;

// Plays wave files without waiting for them. One player for the whole window, so
// a new sound cuts off one still playing; a file that is missing sounds the
// system's beep instead. The sounds go out through the module qob-sound once
// load() has brought it in; a sound asked for before waits for it (a later one
// replacing it, as a later sound cuts off an earlier one). Without an audio device
// nothing is heard, and nothing waits either.
class SoundPlayer : public QObject {
    Q_OBJECT

  public:
    // moduleFolder: where qob-sound lies.
    explicit SoundPlayer(QString moduleFolder, QObject* parent = nullptr);
    ~SoundPlayer() override;

    void play(const QString& path);

    // Loads the module and plays the sound that waits for it, if any. Once.
    void load();
    bool isLoaded() const { return m_output != nullptr; }

    // The last file asked for, and how many times the beep stood in for a file.
    QString lastSource() const { return m_lastSource; }
    int beeps() const { return m_beeps; }

  private:
    QString m_moduleFolder;
    std::unique_ptr<SoundOutput> m_output;
    bool m_loadTried = false;
    QString m_waiting;
    QString m_lastSource;
    int m_beeps = 0;
};

}  // namespace qob
