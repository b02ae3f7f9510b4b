// Starts the game exactly as the program does and quits as soon as the window is
// painted on the screen, printing when that was (nanoseconds of the system clock) and the
// peak memory so far. Built twice: as the game (qob-startup-probe) and, with
// QOB_BARE_WINDOW, as a bare Qt window with one label that links Qt Widgets only
// (qob-bare-window-probe), the yardstick the game's start is measured against.
// bench/startup-ratio.sh starts them alternately under one display.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#ifdef __unix__
#include <sys/resource.h>
#endif

#ifdef QOB_BARE_WINDOW
#include <QLabel>
#else
#include "AppSetup.h"
#include "Form1.h"
#endif

namespace {

// Calls `shown` once, after the first paint event of the widget it watches and the
// rest of that pass (the window's controls, the picture put on the screen).
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(std::function<void()> shown) : m_shown(std::move(shown)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_shown) {
            // Queued ahead of anything the window itself leaves for after its paint.
            QTimer::singleShot(0, this, std::exchange(m_shown, nullptr));
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> m_shown;
};

}  // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceMain;
    sinceMain.start();
#ifndef QOB_BARE_WINDOW
    qob::prepareApplication();
#endif
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
    // Quit once the window's first picture is on the screen: right after the pass of
    // painting that the first paint event of the window belongs to.
    PaintWatch watch([&] {
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
        // At once, so that nothing after this moment (what the window left for later,
        // the tear-down) counts.
        std::fflush(stdout);
        std::_Exit(0);
    });
    form.installEventFilter(&watch);
    return QApplication::exec();
}
