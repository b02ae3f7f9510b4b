// The replay of a game's log against its score record: how long a record and its log
// grow in long games, and what checking the largest of them costs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "BoardGroups.h"
#include "CodePage936.h"
#include "FakeWindow.h"
#include "GamePlayer.h"
#include "GameReplay.h"
#include "RecordCodec.h"
#include "RecordExtras.h"
#include "RecordFileIo.h"
#include "RecordFiles.h"
#include "RecordReplay.h"

namespace {

using namespace qob;
using test::FakeWindow;
using test::GamePlayer;

// A score record written by the game's record procedure, with the longest name.
struct Recorded {
    std::string text;
    int rounds = 0;
    int levels = 0;
    std::size_t log = 0;  // bytes of the log, 0 when the record carries none
};

std::string longestName() {
    std::string name;
    for (std::size_t k = 0; k < kNameLimit; ++k)
        name += "名";
    return name;
}

// Plays a game with a seeded player until the rules end it or `done` holds, and
// saves its record as the end of the game or 保留成绩 does.
Recorded play(int option, unsigned seed, GamePlayer::Style style,
              const std::function<bool(const Game&)>& done, DrawSource* outcomes = nullptr) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "qob-bench-replay";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "game.rec").string();
    FakeWindow window;
    window.folder = folder.string();
    window.option = option;
    std::uint64_t clock = 0;
    Game game(window, [&clock] { return ++clock; });
    if (outcomes != nullptr) game.replayDraws(outcomes);
    RecordFiles files(game.state, window, "http://qob.example");
    GamePlayer player(game, window, seed, style);
    auto save = [&] {
        window.inputs.push_back(longestName());
        window.files.push_back(path);
        files.RecFileSave();
    };
    player.onRecord = save;
    game.NewGame("auto");
    window.showBoard();
    player.play([&] { return done && done(game); }, 10'000'000);
    if (!player.record()) save();
    const GameState& s = player.record() ? *player.record() : game.state;
    Recorded r{readRecordFile(path).text, s.roundNo, s.levelNo};
    if (const auto log = findExtra(r.text, kLogKey)) r.log = log->size();
    std::filesystem::remove_all(folder);
    return r;
}

// Refill tiles of four kinds: a "game" game that never runs out of moves, for a log as
// long as a record can carry.
class FourKinds : public DrawSource {
  public:
    std::string take(Draw draw, const std::string& drawn) override {
        return draw == Draw::Tile ? std::to_string(1 + random_() % 4) : drawn;
    }

  private:
    std::mt19937 random_{1};
};

const Recorded& limWhole() {
    static const Recorded r = [] {
        for (unsigned seed = 1;; ++seed) {
            Recorded game = play(2, seed, GamePlayer::Style::Random, {});
            if (game.rounds == kLimRounds) return game;
        }
    }();
    return r;
}

const Recorded& sportThirtyLevels() {
    static const Recorded r =
        play(1, 1, GamePlayer::Style::Random, [](const Game& g) { return g.state.levelNo >= 30; });
    return r;
}

// The longest of forty "game" games played for the largest groups.
const Recorded& gameLongest() {
    static const Recorded r = [] {
        Recorded longest;
        for (unsigned seed = 1; seed <= 40; ++seed) {
            Recorded game = play(0, seed, GamePlayer::Style::Greedy, {});
            if (game.rounds > longest.rounds) longest = std::move(game);
        }
        return longest;
    }();
    return r;
}

const Recorded& largest() {
    static const Recorded r = [] {
        FourKinds outcomes;
        return play(
            0, 1, GamePlayer::Style::Smallest,
            [](const Game& g) { return g.state.gameLog.text().size() + 1200 > kScoreRecordLimit; },
            &outcomes);
    }();
    return r;
}

void replayRecorded(benchmark::State& st, const Recorded& game) {
    const RecordExamination e = examineRecord(game.text);
    if (!e.parse.values) {
        st.SkipWithError("the record does not parse");
        return;
    }
    RecordReplay verdict;
    for (auto _ : st) {
        verdict = replayRecord(game.text, *e.parse.values);
        benchmark::DoNotOptimize(verdict);
    }
    if (verdict.verdict != ReplayVerdict::Verified) st.SkipWithError(verdict.reason.c_str());
    st.counters["rounds"] = game.rounds;
    st.counters["levels"] = game.levels;
    st.counters["log_bytes"] = static_cast<double>(game.log);
    st.counters["record_bytes"] = static_cast<double>(game.text.size());
    st.counters["record_cp936"] = static_cast<double>(toCodePage936(game.text).size());
    st.counters["target_bytes"] = static_cast<double>(uploadAddress("", game.text).size());
}

void BM_ReplayLimWhole(benchmark::State& st) {
    replayRecorded(st, limWhole());
}
BENCHMARK(BM_ReplayLimWhole)->Unit(benchmark::kMillisecond);

void BM_ReplaySportThirtyLevels(benchmark::State& st) {
    replayRecorded(st, sportThirtyLevels());
}
BENCHMARK(BM_ReplaySportThirtyLevels)->Unit(benchmark::kMillisecond);

void BM_ReplayGameLongest(benchmark::State& st) {
    replayRecorded(st, gameLongest());
}
BENCHMARK(BM_ReplayGameLongest)->Unit(benchmark::kMillisecond);

void BM_ReplayLargestRecord(benchmark::State& st) {
    replayRecorded(st, largest());
}
BENCHMARK(BM_ReplayLargestRecord)->Unit(benchmark::kMillisecond);

// A hostile log at the length limit: the same board without a move, dealt again and
// again, each deal four characters of the log.
void BM_ReplayDeadDealsOnly(benchmark::State& st) {
    FakeWindow window;
    std::uint64_t clock = 0;
    Game game(window, [&clock] { return ++clock; });
    int id = 1;
    for (;; ++id) {
        game.fillBoard(std::to_string(id));
        if (!hasMove(game.state.board)) break;
    }
    std::string deal;
    for (int k = kGameIDSymbols - 1; k >= 0; --k)
        deal += logSymbol(id >> (6 * k));
    std::string log;
    while (log.size() + deal.size() <= kGameLogLimit)
        log += deal;
    ReplayResult r;
    for (auto _ : st) {
        r = replayGame(kModeGame, log);
        benchmark::DoNotOptimize(r);
    }
    st.counters["deals"] = static_cast<double>(log.size() / deal.size());
    st.counters["fault"] = static_cast<double>(r.fault);
}
BENCHMARK(BM_ReplayDeadDealsOnly)->Unit(benchmark::kMillisecond);

}  // namespace
