#include "TilePictures.h"

#include <QColor>
#include <QCryptographicHash>
#include <QFile>
#include <algorithm>
#include <utility>

namespace qob {

namespace {

// default.sha1 is a handful of lines; anything larger is not ours.
constexpr qint64 kSourcesLimit = 4096;

}  // namespace

TilePictures::TilePictures(QString folder) : m_folder(std::move(folder)) {}

const QPixmap& TilePictures::picture(char digit) {
    const int k = slot(digit);
    if (!m_loaded[k]) load(k);
    return m_pictures[k];
}

void TilePictures::load(int k) {
    m_loaded[k] = true;
    QFile file(m_folder + QStringLiteral("/%1.gif").arg(k));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    if (m_pictures[k].loadFromData(bytes)) {
        m_digests[k] = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
    } else if (k != 0) {
        m_pictures[k] = picture('0');
    } else {
        m_pictures[0] = QPixmap(61, 61);
        m_pictures[0].fill(QColor(128, 128, 128));
    }
}

const QPixmap& TilePictures::sharp(char digit) {
    const int k = slot(digit);
    picture(digit);
    if (!m_sharpLoaded[k]) loadSharp(k);
    return m_sharp[k];
}

void TilePictures::loadSharp(int k) {
    m_sharpLoaded[k] = true;
    if (m_digests[k].isEmpty()) {
        // The picture stands in for a missing GIF: so does its sharper one.
        if (k != 0 && !m_digests[0].isEmpty()) m_sharp[k] = sharp('0');
        return;
    }
    const QString folder = m_folder + QStringLiteral("@2x");
    if (!m_sourcesRead) {
        m_sourcesRead = true;
        QFile list(folder + QStringLiteral("/default.sha1"));
        if (list.open(QIODevice::ReadOnly) && list.size() <= kSourcesLimit) {
            // sha1sum's lines: the digest, two blanks, the file's name.
            for (const QByteArray& line : list.readAll().split('\n')) {
                const QList<QByteArray> parts = line.simplified().split(' ');
                if (parts.size() == 2)
                    m_sharpSources.insert(QString::fromLatin1(parts[1]), parts[0].toLower());
            }
        }
    }
    const QString gif = QStringLiteral("%1.gif").arg(k);
    if (m_sharpSources.value(gif) != m_digests[k]) return;
    QPixmap sharper;
    if (sharper.load(folder + QStringLiteral("/%1.png").arg(k)) &&
        sharper.width() > m_pictures[k].width() && sharper.height() > m_pictures[k].height())
        m_sharp[k] = sharper;
}

const QPixmap& TilePictures::drawn(char digit, QSize pixels, qreal devicePixelRatio) {
    const int k = slot(digit);
    auto found = std::find_if(m_scaled.begin(), m_scaled.end(), [&](const Scaled& s) {
        return s.pixels == pixels && s.ratio == devicePixelRatio;
    });
    if (found == m_scaled.end()) {
        // A size not drawn lately takes the place of the one drawn longest ago.
        std::rotate(m_scaled.begin(), m_scaled.end() - 1, m_scaled.end());
        m_scaled.front() = Scaled{pixels, devicePixelRatio, {}};
        found = m_scaled.begin();
    } else if (found != m_scaled.begin()) {
        std::rotate(m_scaled.begin(), found, found + 1);
        found = m_scaled.begin();
    }
    QPixmap& scaled = found->pictures[static_cast<std::size_t>(k)];
    if (scaled.isNull() && !pixels.isEmpty()) {
        const QPixmap& natural = picture(digit);
        const bool larger = pixels.width() > natural.width() || pixels.height() > natural.height();
        const QPixmap& source = larger && !sharp(digit).isNull() ? sharp(digit) : natural;
        scaled = source.size() == pixels
                     ? source
                     : source.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(devicePixelRatio);
    }
    return scaled;
}

}  // namespace qob
