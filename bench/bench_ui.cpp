// The window's drawing: showBoard alone, and a tile click to the repainted window.
// Runs without a display (offscreen); start it from the build's bin folder, where the
// pictures lie.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <optional>

#ifdef __unix__
#include <sys/resource.h>
#endif

#include "AppSetup.h"
#include "Dialogs.h"
#include "Form1.h"

namespace {

using namespace qob;

// Every box answered at once, so that refused clicks cost no waiting.
class AnsweringDialogs : public Dialogs {
  public:
    MsgAnswer messageBox(QWidget*, const std::string&, MsgButtons, MsgIcon,
                         const std::string&) override {
        return MsgAnswer::Ok;
    }
    std::optional<std::string> inputBox(QWidget*, const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    bool showOpen(QWidget*, CommonDialog&, const QString&) override { return false; }
    bool showSave(QWidget*, CommonDialog&, const QString&) override { return false; }
};

AnsweringDialogs dialogs;

std::unique_ptr<Form1> makeForm() {
    auto form = std::make_unique<Form1>(
        Form1::Setup{QApplication::applicationDirPath(), "http://127.0.0.1:9", &dialogs});
    form->Form_Load();
    form->show();
    // Long enough for what the window does once it is on the screen.
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 300)
        QApplication::processEvents();
    return form;
}

// A board with a group of seven over three columns in its centre; a third of its
// cells are new tiles, framed on the next redraw.
void setBoard(GameState& s) {
    static const char* const kRows[7] = {"1234567", "4567123", "7188856", "3418812",
                                         "6718845", "2345671", "5671234"};
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            s.board[x][y] = std::string(1, kRows[y - 1][x - 1]) + ((x + y) % 3 ? "" : "12");
}

void BM_showBoard(benchmark::State& st) {
    auto form = makeForm();
    for (auto _ : st) {
        setBoard(form->state());
        form->showBoard();
    }
}
BENCHMARK(BM_showBoard)->Unit(benchmark::kMicrosecond);

void BM_ClickToRepaintedWindow(benchmark::State& st) {
    auto form = makeForm();
    for (auto _ : st) {
        setBoard(form->state());
        form->Image1_Click(3 * 7 + 3);
        form->repaint();  // paints the whole window now, as the next frame would
    }
}
BENCHMARK(BM_ClickToRepaintedWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareApplication();
    QApplication app(argc, argv);
    setUpApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef __unix__
    // Everything of a game loaded by now: the window, its pictures, the sound module.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory %ld KB\n", usage.ru_maxrss);
#endif
    return 0;
}
