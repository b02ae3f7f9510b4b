#include "TwipsLayout.h"

#include <QWidget>
#include <cmath>

namespace qob {

namespace {

constexpr double kTwipsPerPixel = 15.0;

int edge(int twips, double scale) {
    return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
}

}  // namespace

QRect TwipsLayout::toPixels(const QRect& twips, double scale) {
    const int left = edge(twips.x(), scale);
    const int top = edge(twips.y(), scale);
    return QRect(left, top, edge(twips.x() + twips.width(), scale) - left,
                 edge(twips.y() + twips.height(), scale) - top);
}

void TwipsLayout::place(QWidget* control, int left, int top, int width, int height) {
    const QRect twips(left, top, width, height);
    m_placed.push_back({control, twips});
    QRect pixels = toPixels(twips, m_scale);
    if (control->parentWidget() == m_window) pixels.translate(m_offset);
    control->setGeometry(pixels);
}

void TwipsLayout::keepFont(QWidget* control) {
    m_fonts.emplace_back(control, control->font());
}

void TwipsLayout::apply(double scale, QPoint offset) {
    const bool rescaled = scale != m_scale;
    if (!rescaled && offset == m_offset) return;
    m_scale = scale;
    m_offset = offset;
    if (rescaled) {
        for (auto& [control, natural] : m_fonts) {
            QFont font = natural;
            if (natural.pointSizeF() > 0)
                font.setPointSizeF(natural.pointSizeF() * scale);
            else
                font.setPixelSize(static_cast<int>(std::lround(natural.pixelSize() * scale)));
            control->setFont(font);
        }
    }
    for (const Placed& p : m_placed) {
        QRect pixels = toPixels(p.twips, scale);
        if (p.control->parentWidget() == m_window) pixels.translate(offset);
        p.control->setGeometry(pixels);
    }
}

}  // namespace qob
