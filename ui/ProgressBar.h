#pragma once

#include <QColor>
#include <QWidget>

#include "GameWindow.h"

namespace qob {

// The upright bars beside the board: a value 0..100 drawn as a filled share of
// the bar, in blocks or (smooth) as one continuous fill.
class ProgressBar : public QWidget, public ProgressBarControl {
    Q_OBJECT

  public:
    explicit ProgressBar(QWidget* parent = nullptr);

    void setValue(int value) override;
    void setFillColor(Colour colour) override;
    void setSmooth(bool on) override;
    void setVertical(bool on) override;
    int max() const override { return kMaximum; }

    int value() const { return m_value; }
    QColor fillColor() const { return m_fill; }

    static constexpr int kMaximum = 100;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int m_value = 0;
    QColor m_fill{0, 0, 128};
    bool m_smooth = false;
    bool m_vertical = true;
};

}  // namespace qob
