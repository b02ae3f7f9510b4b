// Writing a game into a sealed record and reading it back.
#include <benchmark/benchmark.h>

#include <string>

#include "GameState.h"
#include "GameWindow.h"
#include "RecordCodec.h"
#include "SilentWindow.h"

namespace {

using namespace qob;
using bench::SilentWindow;

// A "sport" game well under way, every field of the record in use.
GameState fixedGame() {
    GameState s;
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            s.board[x][y] = std::to_string((3 * x + 5 * y) % 7 + 1);
    s.gameID = "402718";
    s.spareValue = "0";
    s.gameMode = kModeSport;
    s.gameState = kStateRun;
    s.startTime = DateTime{2026, 12, 10, 8, 5, 7};
    s.totalScore = 123456;
    s.moveScore = 98765;
    s.bonusScore = 24691;
    s.levelNo = 7;
    s.roundNo = 412;
    s.tilesCleared = 2077;
    s.clockValue = 63;
    s.levelProgress = 200.0 / 3;
    s.ringMoves = 4;
    for (int n = 3; n <= 49; ++n)
        s.sizeTally[n] = 1000 / n;
    return s;
}

void BM_WriteRecord(benchmark::State& st) {
    SilentWindow window;
    GameState s = fixedGame();
    for (auto _ : st) {
        DoOnGame(s, window, "SaveString");
        benchmark::DoNotOptimize(s.recordText);
    }
    st.counters["bytes"] = static_cast<double>(s.recordText.size());
}
BENCHMARK(BM_WriteRecord);

void BM_ReadRecord(benchmark::State& st) {
    SilentWindow window;
    GameState s = fixedGame();
    DoOnGame(s, window, "SaveString");
    for (auto _ : st) {
        DoOnGame(s, window, "ReadString");
        benchmark::DoNotOptimize(s.board);
    }
    // The read must have been the full restore, not the refusal.
    if (s.gameID != "402718") st.SkipWithError("the record was refused");
}
BENCHMARK(BM_ReadRecord);

void BM_WriteAndRead(benchmark::State& st) {
    SilentWindow window;
    GameState s = fixedGame();
    for (auto _ : st) {
        DoOnGame(s, window, "SaveString");
        DoOnGame(s, window, "ReadString");
        benchmark::DoNotOptimize(s.board);
    }
}
BENCHMARK(BM_WriteAndRead);

}  // namespace
