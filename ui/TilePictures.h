#pragma once

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <array>

namespace qob {

// The pictures of the tiles, read from a folder once and kept: "1.gif" to
// "9.gif" for the digits, "0.gif" for anything else. A picture that cannot be
// read shows as "0.gif", and as an empty tile when that cannot be read either.
//
// Beside the folder, "<folder>@2x" holds the same pictures drawn at twice the
// size, and "default.sha1" there names the GIFs they were drawn from. A tile drawn
// larger than its GIF uses the sharper picture, but only over that very GIF: a
// picture the player has put in its place is the one shown, scaled.
class TilePictures {
  public:
    explicit TilePictures(QString folder);

    // The picture of a cell, at the GIF's own size.
    const QPixmap& picture(char digit);

    // The picture scaled to fill `pixels` of the screen, for a screen of
    // `devicePixelRatio` screen pixels to a window pixel. Kept for the sizes in use.
    const QPixmap& drawn(char digit, QSize pixels, qreal devicePixelRatio);

    // The sharper picture of a digit, or none where the GIF is not the one it was
    // drawn from.
    const QPixmap& sharp(char digit);

  private:
    static int slot(char digit) { return digit >= '1' && digit <= '9' ? digit - '0' : 0; }
    void load(int k);
    void loadSharp(int k);

    QString m_folder;
    std::array<QPixmap, 10> m_pictures;
    std::array<QByteArray, 10> m_digests;  // SHA-1 of each GIF as read; empty: stood in
    std::array<bool, 10> m_loaded{};
    std::array<QPixmap, 10> m_sharp;
    std::array<bool, 10> m_sharpLoaded{};
    QHash<QString, QByteArray> m_sharpSources;  // GIF name -> digest the sharp one was drawn from
    bool m_sourcesRead = false;

    struct Scaled {
        QSize pixels;
        qreal ratio = 0;
        std::array<QPixmap, 10> pictures;
    };
    std::array<Scaled, 4> m_scaled;  // the latest sizes drawn, most recent first
};

}  // namespace qob
