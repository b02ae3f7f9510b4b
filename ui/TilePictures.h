#pragma once

#include <QPixmap>
#include <QString>
#include <array>

namespace qob {

// The pictures of the tiles, read from a folder once and kept: "1.gif" to
// "9.gif" for the digits, "0.gif" for anything else. A picture that cannot be
// read shows as "0.gif", and as an empty tile when that cannot be read either.
class TilePictures {
  public:
    explicit TilePictures(QString folder);

    const QPixmap& picture(char digit);

  private:
    QString m_folder;
    std::array<QPixmap, 10> m_pictures;
    std::array<bool, 10> m_loaded{};
};

}  // namespace qob
