// Starts the game exactly as the program does and quits as soon as the window is
// on the screen: time it from outside (the whole process, loading included), e.g.
//   xvfb-run -a bash -c 'for i in 1 2 3; do /usr/bin/time -f "%e s %M KB"
//   build/bin/qob-startup-probe; done'
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>

#include "AppSetup.h"
#include "Form1.h"

int main(int argc, char* argv[]) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    qob::setUpApplication();
    qob::Form1 form({QApplication::applicationDirPath(), "http://127.0.0.1:9"});
    form.Form_Load();
    form.show();
    // Quit once the window has been exposed and painted.
    auto* poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, [&] {
        if (form.windowHandle() && form.windowHandle()->isExposed()) {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            std::printf("window shown at %lld, %lld ms after main()\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        static_cast<long long>(sinceMain.elapsed()));
            QApplication::quit();
        }
    });
    poll->start(1);
    return QApplication::exec();
}
