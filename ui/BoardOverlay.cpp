#include "BoardOverlay.h"

#include <QPaintEvent>
#include <QPainter>

#include "BoardFrame.h"
#include "TileImage.h"

namespace qob {

namespace {

// A rectangle's edge `width` pixels thick, inside the rectangle.
void outline(QPainter& p, const QRect& r, int width, const QColor& colour) {
    p.fillRect(QRect(r.left(), r.top(), r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.bottom() + 1 - width, r.width(), width), colour);
    p.fillRect(QRect(r.left(), r.top(), width, r.height()), colour);
    p.fillRect(QRect(r.right() + 1 - width, r.top(), width, r.height()), colour);
}

}  // namespace

BoardOverlay::BoardOverlay(BoardFrame& board) : QWidget(&board), m_board(board) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void BoardOverlay::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const auto& tiles = m_board.tiles();
    const QRect dirty = event->rect();

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 80));
    for (int index : m_board.preview()) {
        const TileImage* tile = tiles[static_cast<std::size_t>(index)];
        if (!tile->isVisible() || !tile->geometry().intersects(dirty)) continue;
        // The ball, lit: most of the tile, centred.
        const QRectF r = QRectF(tile->geometry());
        const qreal margin = r.width() * 0.09;
        p.drawEllipse(r.adjusted(margin, margin, -margin, -margin));
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    for (const TileImage* tile : tiles) {
        if (!tile->isBordered() || !tile->isVisible() || !tile->geometry().intersects(dirty))
            continue;
        outline(p, tile->geometry(), tile->borderWidth(),
                tile->palette().color(QPalette::WindowText));
    }

    if (m_board.cursorShown() && m_board.cursorTile() >= 0) {
        const TileImage* tile = tiles[static_cast<std::size_t>(m_board.cursorTile())];
        if (tile->isVisible()) {
            // A light ring inside a dark one, seen on every tile and on the grey board.
            const int w = tile->borderWidth();
            const QRect r = tile->geometry().adjusted(w, w, -w, -w);
            outline(p, r, w, QColor(20, 20, 20));
            outline(p, r.adjusted(w, w, -w, -w), 2 * w, QColor(255, 236, 90));
            outline(p, r.adjusted(3 * w, 3 * w, -3 * w, -3 * w), w, QColor(20, 20, 20));
        }
    }
}

}  // namespace qob
