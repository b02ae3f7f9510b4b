// The rules of one accepted move, from the click to the refilled board, and the
// check that a board still has a move.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "BoardGroups.h"
#include "Game.h"
#include "SilentWindow.h"

namespace {

using namespace qob;
using bench::SilentWindow;

using Rows = const char* const[7];

// The centre holds a group of seven over three columns; the three 9s of the bottom
// right corner, which the move leaves in place, keep a move on the board after it
// (as nearly every move does) where the check finds it last.
Rows kMoveBoard = {"1234567", "4567123", "7188856", "3418812", "6718845", "2345679", "5671299"};
// No two touching tiles equal: the check searches the whole board.
Rows kDeadBoard = {"1234567", "4567123", "7123456", "3456712", "6712345", "2345671", "5671234"};

void setBoard(Grid& board, Rows rows) {
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            board[x][y] = std::string(1, rows[y - 1][x - 1]);
}

std::uint64_t steadyNow() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

void BM_AcceptedMove(benchmark::State& st) {
    SilentWindow window;
    Game game(window, steadyNow);
    game.NewGame("auto");
    // Putting the board back is timed too: it costs a fraction of the move
    // (BM_ResetBoard), far less than pausing the timer would.
    for (auto _ : st) {
        setBoard(game.state.board, kMoveBoard);
        game.GameClick(3 * 7 + 3);  // (4, 4)
        benchmark::DoNotOptimize(game.state.board);
    }
    st.counters["group"] = game.state.groupSize;
    // Every move kept a move on the board: none ended the game.
    st.counters["ended"] = static_cast<double>(st.iterations() - game.state.roundNo);
}
BENCHMARK(BM_AcceptedMove);

void BM_ResetBoard(benchmark::State& st) {
    Grid board;
    for (auto _ : st) {
        setBoard(board, kMoveBoard);
        benchmark::DoNotOptimize(board);
    }
}
BENCHMARK(BM_ResetBoard);

void hasMoveOn(benchmark::State& st, const Grid& board) {
    for (auto _ : st)
        benchmark::DoNotOptimize(hasMove(board));
}

void BM_HasMoveDeadBoard(benchmark::State& st) {
    Grid board;
    setBoard(board, kDeadBoard);
    hasMoveOn(st, board);
}
BENCHMARK(BM_HasMoveDeadBoard);

void BM_HasMoveLastGroup(benchmark::State& st) {
    Grid board;
    setBoard(board, kDeadBoard);
    board[6][7] = board[7][7] = board[7][6] = "9";
    hasMoveOn(st, board);
}
BENCHMARK(BM_HasMoveLastGroup);

void BM_HasMoveDealtBoard(benchmark::State& st) {
    SilentWindow window;
    Game game(window, steadyNow);
    game.NewGame("auto");
    hasMoveOn(st, game.state.board);
}
BENCHMARK(BM_HasMoveDealtBoard);

}  // namespace
