#include "BoardFrame.h"

#include <QKeyEvent>
#include <algorithm>

#include "BoardOverlay.h"
#include "TileImage.h"

namespace qob {

namespace {

constexpr int kColumns = 7;

}  // namespace

BoardFrame::BoardFrame(QWidget* parent) : QFrame(parent), m_overlay(new BoardOverlay(*this)) {
    setFocusPolicy(Qt::StrongFocus);
}

void BoardFrame::addTile(TileImage* tile) {
    m_tiles.push_back(tile);
    connect(tile, &TileImage::pointed, this, &BoardFrame::pointWith);
    m_overlay->raise();
}

void BoardFrame::setKeyed(bool on) {
    if (on == m_keyed) return;
    m_keyed = on;
    updateTiles({m_cursor});
}

void BoardFrame::point(int index) {
    if (index == m_pointed) return;
    m_pointed = index;
    emit pointedTileChanged(index);
}

void BoardFrame::pointWith(int tile) {
    if (tile != m_cursor) {
        updateTiles({m_cursor, tile});
        m_cursor = tile;
    }
    point(tile);
}

void BoardFrame::stopPointing() {
    point(-1);
}

void BoardFrame::setPreview(std::vector<int> tiles) {
    std::sort(tiles.begin(), tiles.end());
    if (tiles == m_preview) return;
    std::swap(tiles, m_preview);
    updateTiles(tiles);
    updateTiles(m_preview);
}

void BoardFrame::tilesRedrawn() {
    m_overlay->update();
}

void BoardFrame::updateTiles(const std::vector<int>& tiles) {
    for (int index : tiles)
        if (index >= 0 && index < static_cast<int>(m_tiles.size()))
            m_overlay->update(m_tiles[static_cast<std::size_t>(index)]->geometry());
}

void BoardFrame::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(m_tiles.size());
    if (count == 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QFrame::keyPressEvent(event);
        return;
    }
    int x = m_cursor % kColumns;
    int y = m_cursor / kColumns;
    const int rows = (count + kColumns - 1) / kColumns;
    switch (event->key()) {
        case Qt::Key_Left:
            x = std::max(0, x - 1);
            break;
        case Qt::Key_Right:
            x = std::min(kColumns - 1, x + 1);
            break;
        case Qt::Key_Up:
            y = std::max(0, y - 1);
            break;
        case Qt::Key_Down:
            y = std::min(rows - 1, y + 1);
            break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A key held down is one click, as a mouse button held down is.
            if (!event->isAutoRepeat()) {
                setKeyed(true);
                point(m_cursor);
                emit tileActivated(m_cursor);
            }
            return;
        default:
            QFrame::keyPressEvent(event);
            return;
    }
    const int moved = std::min(count - 1, y * kColumns + x);
    if (moved != m_cursor) {
        updateTiles({m_cursor, moved});
        m_cursor = moved;
    }
    setKeyed(true);
    point(m_cursor);
}

void BoardFrame::mousePressEvent(QMouseEvent* event) {
    // Played with the mouse now: the cursor steps aside until the next key.
    setKeyed(false);
    QFrame::mousePressEvent(event);
}

void BoardFrame::focusInEvent(QFocusEvent* event) {
    // Reached with the keyboard: show where the keys will play. Back from a box, as before it.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
        event->reason() == Qt::ShortcutFocusReason)
        setKeyed(true);
    updateTiles({m_cursor});
    if (cursorShown() && !underMouse()) point(m_cursor);
    QFrame::focusInEvent(event);
}

void BoardFrame::focusOutEvent(QFocusEvent* event) {
    updateTiles({m_cursor});
    if (!underMouse()) point(-1);
    QFrame::focusOutEvent(event);
}

void BoardFrame::leaveEvent(QEvent* event) {
    point(cursorShown() ? m_cursor : -1);
    QFrame::leaveEvent(event);
}

void BoardFrame::resizeEvent(QResizeEvent* event) {
    m_overlay->setGeometry(rect());
    QFrame::resizeEvent(event);
}

}  // namespace qob
