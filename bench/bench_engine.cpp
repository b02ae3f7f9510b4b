// The rules of one accepted move, from the click to the refilled board.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "Game.h"
#include "SilentWindow.h"

namespace {

using namespace qob;
using bench::SilentWindow;

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
