#pragma once

#include <QObject>
#include <QTimer>

namespace qob {

// A window timer with an Enabled switch and an Interval: it ticks every interval
// while enabled. An interval of 0 means no ticks at all (a bare QTimer would fire
// without pause), though the timer stays enabled.
class GameTimer : public QObject {
    Q_OBJECT

  public:
    explicit GameTimer(int intervalMs, QObject* parent = nullptr);

    // Enabling a running timer does not restart its countdown.
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    // A new interval restarts the countdown of a running timer.
    void setInterval(int ms);
    int interval() const { return m_interval; }
    bool isTicking() const { return m_timer.isActive(); }

  signals:
    void timeout();

  private:
    void apply();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval;
};

}  // namespace qob
