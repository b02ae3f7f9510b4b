#include "SoundPlayer.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibrary>
#include <utility>

#include "SoundOutput.h"

namespace qob {

SoundPlayer::SoundPlayer(QString moduleFolder, QObject* parent)
    : QObject(parent), m_moduleFolder(std::move(moduleFolder)) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::play(const QString& path) {
    m_lastSource = path;
    if (!QFileInfo(path).isFile()) {
        ++m_beeps;
        QApplication::beep();
        return;
    }
    if (m_output)
        m_output->play(path);
    else
        m_waiting = path;
}

void SoundPlayer::load() {
    if (m_loadTried) return;
    m_loadTried = true;
    // The module stays loaded for the rest of the run.
    QLibrary module(m_moduleFolder + QStringLiteral("/qob-sound"));
    const auto create = reinterpret_cast<CreateSoundOutput>(module.resolve(kCreateSoundOutput));
    if (!create) {
        qWarning("The game plays without sound: %s", qPrintable(module.errorString()));
        return;
    }
    m_output.reset(create());
    if (!m_waiting.isEmpty()) m_output->play(std::exchange(m_waiting, QString()));
}

}  // namespace qob
