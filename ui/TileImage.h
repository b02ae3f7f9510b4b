#pragma once

#include <QWidget>

namespace qob {

class TilePictures;

// One tile of the board: its picture stretched to the control and a click. A tile
// with a border keeps the border's room free around its picture; the board draws
// the borders themselves over all tiles at once (BoardOverlay), so that
// neighbouring tiles, which overlap, cannot hide one.
class TileImage : public QWidget {
    Q_OBJECT

  public:
    TileImage(int index, TilePictures& pictures, QWidget* parent = nullptr);

    int index() const { return m_index; }

    // '1'..'9', or '0' for an empty or unknown cell.
    void setPicture(char digit);
    char picture() const { return m_digit; }
    // The picture shown, at the size of its file.
    const QPixmap& pixmap() const;

    void setBordered(bool on);
    bool isBordered() const { return m_bordered; }
    // The border's line width: a pixel at the board's natural size, more when larger.
    int borderWidth() const;

    // Width and height of a tile at the board's natural size.
    static constexpr int kNaturalSize = 61;

  signals:
    void clicked(int index);
    // The pointer has moved over the tile.
    void pointed(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int m_index;
    TilePictures& m_pictures;
    char m_digit = 0;
    bool m_bordered = false;
};

}  // namespace qob
