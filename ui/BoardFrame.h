#pragma once

#include <QFrame>
#include <vector>

namespace qob {

class BoardOverlay;
class TileImage;

// The board's frame (Frame1): it holds the 49 tiles and plays them with the keys as
// well as the mouse. It takes the keyboard focus; the arrow keys move a cursor tile,
// stopping at the board's edges, and Space or Return activate the tile under it, as
// a click does. The pointer and the cursor are one: moving the pointer over a tile
// puts the cursor there, and the tile last pointed at by either is the one whose
// group the board previews.
class BoardFrame : public QFrame {
    Q_OBJECT

  public:
    explicit BoardFrame(QWidget* parent = nullptr);

    // The tiles in index order, added as they are made.
    void addTile(TileImage* tile);
    const std::vector<TileImage*>& tiles() const { return m_tiles; }

    int cursorTile() const { return m_cursor; }
    // The cursor is shown while the board has the focus and was last played with the keys.
    bool cursorShown() const { return m_keyed && hasFocus(); }

    // The tile whose group is previewed: the one under the pointer or, after a key,
    // under the cursor; -1 for none.
    int pointedTile() const { return m_pointed; }
    // Stops the preview until the pointer moves or a key is pressed again.
    void stopPointing();

    // The tiles lightly highlighted, as the window works them out for pointedTile().
    void setPreview(std::vector<int> tiles);
    const std::vector<int>& preview() const { return m_preview; }

    // The tiles have been drawn anew (pictures, borders): the borders follow.
    void tilesRedrawn();

  signals:
    // Space or Return on the cursor tile.
    void tileActivated(int index);
    void pointedTileChanged(int index);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void point(int index);
    void pointWith(int tile);  // the pointer is over `tile`
    void setKeyed(bool on);
    void updateTiles(const std::vector<int>& tiles);

    std::vector<TileImage*> m_tiles;
    BoardOverlay* m_overlay;
    std::vector<int> m_preview;
    int m_cursor = 0;
    bool m_keyed = false;  // played with the keys since the last mouse press
    int m_pointed = -1;
};

}  // namespace qob
