#pragma once

#include <QLabel>

namespace qob {

// One tile of the board: its picture stretched to the control, an optional
// single-line border, and a click.
class TileImage : public QLabel {
    Q_OBJECT

  public:
    TileImage(int index, QWidget* parent = nullptr);

    int index() const { return m_index; }
    void setBordered(bool on);
    bool isBordered() const { return m_bordered; }

  signals:
    void clicked(int index);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int m_index;
    bool m_bordered = false;
};

}  // namespace qob
