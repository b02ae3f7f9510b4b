#include "TilePictures.h"

#include <QColor>
#include <utility>

namespace qob {

TilePictures::TilePictures(QString folder) : m_folder(std::move(folder)) {}

const QPixmap& TilePictures::picture(char digit) {
    const int k = digit >= '1' && digit <= '9' ? digit - '0' : 0;
    if (!m_loaded[k]) {
        m_loaded[k] = true;
        m_pictures[k].load(m_folder + QStringLiteral("/%1.gif").arg(k));
        if (m_pictures[k].isNull()) {
            if (k != 0) {
                m_pictures[k] = picture('0');
            } else {
                m_pictures[0] = QPixmap(61, 61);
                m_pictures[0].fill(QColor(128, 128, 128));
            }
        }
    }
    return m_pictures[k];
}

}  // namespace qob
