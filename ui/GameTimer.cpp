#include "GameTimer.h"

#include <algorithm>

namespace qob {

GameTimer::GameTimer(int intervalMs, QObject* parent)
    : QObject(parent), m_interval(std::max(0, intervalMs)) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &GameTimer::timeout);
}

void GameTimer::setEnabled(bool on) {
    if (on == m_enabled) return;
    m_enabled = on;
    apply();
}

void GameTimer::setInterval(int ms) {
    ms = std::max(0, ms);
    if (ms == m_interval) return;
    m_interval = ms;
    if (m_enabled) apply();
}

void GameTimer::apply() {
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

}  // namespace qob
