#include "ProgressBar.h"

#include <QPainter>
#include <algorithm>

namespace qob {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgressBar::setValue(int value) {
    value = std::clamp(value, 0, kMaximum);
    if (value == m_value) return;
    m_value = value;
    update();
}

void ProgressBar::setFillColor(Colour colour) {
    const QColor c(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    if (c == m_fill) return;
    m_fill = c;
    update();
}

void ProgressBar::setSmooth(bool on) {
    if (on == m_smooth) return;
    m_smooth = on;
    update();
}

void ProgressBar::setVertical(bool on) {
    if (on == m_vertical) return;
    m_vertical = on;
    update();
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = rect();
    p.fillRect(frame, palette().color(QPalette::Base));
    // A sunken edge: dark on the top and left, light on the bottom and right.
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(frame.topLeft(), frame.topRight());
    p.drawLine(frame.topLeft(), frame.bottomLeft());
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(frame.bottomLeft(), frame.bottomRight());
    p.drawLine(frame.topRight(), frame.bottomRight());

    const QRect inner = frame.adjusted(2, 2, -2, -2);
    if (m_value <= 0 || inner.isEmpty()) return;
    const int length = m_vertical ? inner.height() : inner.width();
    const int filled = length * m_value / kMaximum;
    const QRect bar = m_vertical
                          ? QRect(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled)
                          : QRect(inner.left(), inner.top(), filled, inner.height());
    if (m_smooth) {
        p.fillRect(bar, m_fill);
        return;
    }
    // Blocks as wide as the bar is thick, with a one-pixel gap between them.
    const int block = std::max(4, m_vertical ? inner.width() : inner.height());
    for (int start = 0; start < filled; start += block + 1) {
        const int size = std::min(block, filled - start);
        p.fillRect(m_vertical
                       ? QRect(inner.left(), inner.bottom() + 1 - start - size, inner.width(), size)
                       : QRect(inner.left() + start, inner.top(), size, inner.height()),
                   m_fill);
    }
}

}  // namespace qob
