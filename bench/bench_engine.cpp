// The rules of one accepted move, from the click to the refilled board.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "Game.h"

namespace {

using namespace qob;

// A window that does nothing, so that only the rules are measured.
class SilentBar : public ProgressBarControl {
  public:
    void setValue(int) override {}
    void setFillColor(Colour) override {}
    void setSmooth(bool) override {}
    void setVertical(bool) override {}
    int max() const override { return 100; }
};

class SilentWindow : public GameWindow {
  public:
    MsgAnswer messageBox(const std::string&, MsgButtons, MsgIcon, const std::string&) override {
        return MsgAnswer::Ok;
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    bool showOpen(CommonDialog&) override { return false; }
    bool showSave(CommonDialog&) override { return false; }
    void PlaySound(const std::string&) override {}
    void showBoard() override {}
    void RecFileSave() override {}
    void setTimer1Enabled(bool) override {}
    bool timer1Enabled() const override { return false; }
    void setTimer1Interval(int) override {}
    void setRingButtonsEnabled(bool) override {}
    ProgressBarControl& progressBar1() override { return bar_; }
    ProgressBarControl& progressBar2() override { return bar_; }
    int selectedOption() const override { return 0; }
    void setTileImagesVisible(bool) override {}
    void navigate(const std::string&) override {}
    void focusBrowser() override {}
    std::string programFolder() const override { return "/opt/qob"; }
    DateTime now() const override { return DateTime{2026, 12, 10, 9, 30, 12}; }

  private:
    SilentBar bar_;
};

// A fixed board whose centre holds a group of seven over three columns.
void setFixedBoard(Game& game) {
    static const char* const kRows[7] = {"1234567", "4567123", "7188856", "3418812",
                                         "6718845", "2345671", "5671234"};
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            game.state.board[x][y] = std::string(1, kRows[y - 1][x - 1]);
}

void BM_AcceptedMove(benchmark::State& st) {
    SilentWindow window;
    Game game(window, [] {
        return static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count());
    });
    game.NewGame("auto");
    // Putting the board back is timed too: it costs a fraction of the move
    // (BM_ResetBoard), far less than pausing the timer would.
    for (auto _ : st) {
        setFixedBoard(game);
        game.GameClick(3 * 7 + 3);  // (4, 4)
        benchmark::DoNotOptimize(game.state.board);
    }
    st.counters["group"] = game.state.groupSize;
}
BENCHMARK(BM_AcceptedMove);

void BM_ResetBoard(benchmark::State& st) {
    SilentWindow window;
    Game game(window, [] { return std::uint64_t{1}; });
    for (auto _ : st) {
        setFixedBoard(game);
        benchmark::DoNotOptimize(game.state.board);
    }
}
BENCHMARK(BM_ResetBoard);

}  // namespace
