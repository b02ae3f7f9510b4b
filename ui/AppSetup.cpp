#include "AppSetup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qob {

namespace {

QString firstInstalled(std::initializer_list<const char*> wishes, const QString& fallback) {
    for (const char* family : wishes)
        if (QFontDatabase::hasFamily(QString::fromUtf8(family))) return QString::fromUtf8(family);
    return fallback;
}

}  // namespace

QString chineseFamily() {
    static const QString family =
        firstInstalled({"SimSun", "NSimSun", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                        "Noto Sans CJK SC", "Noto Sans SC", "Source Han Sans SC", "AR PL UMing CN"},
                       QApplication::font().family());
    return family;
}

QString statusFamily() {
    static const QString family = firstInstalled({"Tahoma"}, chineseFamily());
    return family;
}

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
    font.setFamily(chineseFamily());
    font.setPointSizeF(9);
    QApplication::setFont(font);
}

}  // namespace qob
