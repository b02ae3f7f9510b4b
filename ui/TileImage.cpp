#include "TileImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "TilePictures.h"

namespace qob {

TileImage::TileImage(int index, TilePictures& pictures, QWidget* parent)
    : QWidget(parent), m_index(index), m_pictures(pictures) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TileImage::setPicture(char digit) {
    if (digit == m_digit) return;
    m_digit = digit;
    update();
}

const QPixmap& TileImage::pixmap() const {
    return m_pictures.picture(m_digit);
}

void TileImage::setBordered(bool on) {
    if (on == m_bordered) return;
    m_bordered = on;
    update();
}

int TileImage::borderWidth() const {
    return std::max(1, static_cast<int>(std::lround(width() / double(kNaturalSize))));
}

void TileImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int inset = m_bordered ? borderWidth() : 0;
    const QRect target = rect().adjusted(inset, inset, -inset, -inset);
    if (inset) p.fillRect(rect(), palette().color(QPalette::Window));
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::lround(target.width() * ratio)),
                       static_cast<int>(std::lround(target.height() * ratio)));
    p.drawPixmap(target, m_pictures.drawn(m_digit, pixels, ratio));
}

void TileImage::mouseMoveEvent(QMouseEvent* event) {
    emit pointed(m_index);
    QWidget::mouseMoveEvent(event);
}

void TileImage::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release of the left button over the tile.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(m_index);
    QWidget::mouseReleaseEvent(event);
}

}  // namespace qob
