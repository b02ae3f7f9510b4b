#include "SoundPlayer.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace qob {

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::play(const QString& path) {
    m_lastSource = path;
    if (!QFileInfo(path).isFile()) {
        ++m_beeps;
        QApplication::beep();
        return;
    }
    // Created on first use: opening the audio output costs time the window's
    // start should not wait for.
    if (!m_effect) m_effect = std::make_unique<QSoundEffect>();
    const QUrl source = QUrl::fromLocalFile(path);
    m_effect->stop();
    if (m_effect->source() != source) m_effect->setSource(source);
    m_effect->play();
}

}  // namespace qob
