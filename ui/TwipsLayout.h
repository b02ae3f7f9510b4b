#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <utility>
#include <vector>

class QWidget;

namespace qob {

// The window's controls placed by their positions in twips, 15 to a pixel at the
// window's natural size, and all scaled by one factor with their fonts: a larger
// window shows the same table, larger, in its middle.
class TwipsLayout {
  public:
    explicit TwipsLayout(QWidget* window) : m_window(window) {}

    // Places a control, in twips from the top-left corner of its container.
    void place(QWidget* control, int left, int top, int width, int height);
    // Takes the control's font as it is now for the one of the natural size.
    void keepFont(QWidget* control);

    // Scales every control placed and every font kept, and moves the table by
    // `offset` window pixels.
    void apply(double scale, QPoint offset);
    double scale() const { return m_scale; }

    // A rectangle in twips, in pixels at the given scale. Neighbours stay neighbours:
    // each edge is rounded on its own.
    static QRect toPixels(const QRect& twips, double scale);

  private:
    struct Placed {
        QWidget* control;
        QRect twips;
    };

    QWidget* m_window;
    std::vector<Placed> m_placed;
    std::vector<std::pair<QWidget*, QFont>> m_fonts;
    double m_scale = 1.0;
    QPoint m_offset;
};

}  // namespace qob
