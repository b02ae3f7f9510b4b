#pragma once

#include <QWidget>

namespace qob {

class BoardFrame;

// Drawn over all tiles of the board: the borders of the new tiles, whole whatever
// their neighbours, the light of the previewed group and the keyboard cursor. It
// lets the mouse through to the tiles.
class BoardOverlay : public QWidget {
    Q_OBJECT

  public:
    explicit BoardOverlay(BoardFrame& board);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    BoardFrame& m_board;
};

}  // namespace qob
