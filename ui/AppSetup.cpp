#include "AppSetup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qob {

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("qob"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(QOB_VERSION_MAJOR).arg(QOB_VERSION_MINOR));

    // The file dialogs and standard buttons in Chinese too, when Qt's texts are there.
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(9);
    QApplication::setFont(font);
}

}  // namespace qob
