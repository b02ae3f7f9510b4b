// Starts the game exactly as the program does and quits as soon as the window is
// on the screen, printing when that was (nanoseconds of the system clock) and the
// peak memory so far. Built twice: as the game (qob-startup-probe) and, with
// QOB_BARE_WINDOW, as a bare Qt window with one label that links Qt Widgets only
// (qob-bare-window-probe), the yardstick the game's start is measured against.
// bench/startup-ratio.sh starts them alternately under one display.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>

#ifdef __unix__
#include <sys/resource.h>
#endif

#ifdef QOB_BARE_WINDOW
#include <QLabel>
#else
#include "AppSetup.h"
#include "Form1.h"
#endif

int main(int argc, char* argv[]) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
#ifdef QOB_BARE_WINDOW
    QLabel form(QStringLiteral("QOB"));
    form.resize(786, 514);
#else
    qob::setUpApplication();
    qob::Form1 form({QApplication::applicationDirPath(), "http://127.0.0.1:9"});
    form.Form_Load();
#endif
    form.show();
    // Quit once the window has been exposed and painted.
    auto* poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, [&] {
        if (form.windowHandle() && form.windowHandle()->isExposed()) {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            long peakKb = 0;
#ifdef __unix__
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            peakKb = usage.ru_maxrss;
#endif
            std::printf("window shown at %lld, %lld ms after main(), peak %ld KB\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        static_cast<long long>(sinceMain.elapsed()), peakKb);
            QApplication::quit();
        }
    });
    poll->start(1);
    return QApplication::exec();
}
