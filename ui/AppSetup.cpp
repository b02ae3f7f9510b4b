#include "AppSetup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QSet>
#include <QTranslator>
#include <clocale>
#include <future>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <dlfcn.h>
#endif

namespace qob {

namespace {

// fontconfig reading its configuration and its font lists, started as the program
// starts, alongside the QApplication: the first look at the fonts waits for it.
std::future<void>& fontconfigReady() {
    static std::future<void> ready;
    return ready;
}

// The installed families, looked up once: asking for each wish that is not
// installed would match fonts anew every time.
const QSet<QString>& installedFamilies() {
    static const QSet<QString> families = [] {
        if (fontconfigReady().valid()) fontconfigReady().wait();
        const QStringList list = QFontDatabase::families();
        return QSet<QString>(list.begin(), list.end());
    }();
    return families;
}

QString firstInstalled(std::initializer_list<const char*> wishes, const QString& fallback) {
    for (const char* family : wishes)
        if (installedFamilies().contains(QString::fromUtf8(family)))
            return QString::fromUtf8(family);
    return fallback;
}

QLocale chinese() {
    return QLocale(QLocale::Chinese, QLocale::China);
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

void prepareApplication() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // The C library's locale from the player's settings first: Qt sets it again from
    // the variables below, which leaves it as it is where no Chinese locale is installed.
    std::setlocale(LC_ALL, "");
    qputenv("LC_ALL", "zh_CN.UTF-8");
    qputenv("LANGUAGE", "zh_CN");

    // Qt's own copy of fontconfig, loaded with Qt.
    using Init = int (*)();
    if (auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
        fontconfigReady() = std::async(std::launch::async, [init] { init(); });
#endif
}

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("qob"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(QOB_VERSION_MAJOR).arg(QOB_VERSION_MINOR));
    QLocale::setDefault(chinese());

    // The file dialogs and standard buttons in Chinese too, when Qt's texts are there.
    static QTranslator qtTexts;
    if (qtTexts.load(chinese(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    QFont font = QApplication::font();
    font.setFamily(chineseFamily());
    font.setPointSizeF(9);
    QApplication::setFont(font);
}

}  // namespace qob
