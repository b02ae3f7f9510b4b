#include "TileImage.h"

#include <QMouseEvent>

namespace qob {

TileImage::TileImage(int index, QWidget* parent) : QLabel(parent), m_index(index) {
    setScaledContents(true);
    setFrameShape(QFrame::NoFrame);
    setLineWidth(1);
}

void TileImage::setBordered(bool on) {
    if (on == m_bordered) return;
    m_bordered = on;
    setFrameShape(on ? QFrame::Box : QFrame::NoFrame);
    // Neighbouring tiles overlap by a pixel: a framed tile lies on top, so that its
    // whole frame shows.
    if (on) raise();
}

void TileImage::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release of the left button over the tile.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(m_index);
    QLabel::mouseReleaseEvent(event);
}

}  // namespace qob
