// Games played by the rules, replayed from their logs: the same game again, or the
// step where the log and the rules part.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "BoardGroups.h"
#include "GameReplay.h"
#include "SampleGame.h"

namespace qob {
namespace {

using test::FakeWindow;
using test::GameKind;
using test::playGameOf;

void expectSameGame(const GameState& replayed, const GameState& played) {
    EXPECT_EQ(replayed.board, played.board);
    EXPECT_EQ(replayed.gameID, played.gameID);
    EXPECT_EQ(replayed.gameMode, played.gameMode);
    EXPECT_EQ(replayed.gameState, played.gameState);
    EXPECT_EQ(replayed.levelNo, played.levelNo);
    EXPECT_EQ(replayed.roundNo, played.roundNo);
    EXPECT_EQ(replayed.tilesCleared, played.tilesCleared);
    EXPECT_EQ(replayed.totalScore, played.totalScore);
    EXPECT_EQ(replayed.moveScore, played.moveScore);
    EXPECT_EQ(replayed.bonusScore, played.bonusScore);
    EXPECT_EQ(replayed.clockValue, played.clockValue);
    EXPECT_EQ(replayed.levelProgress, played.levelProgress);
    EXPECT_EQ(replayed.ringMoves, played.ringMoves);
}

TEST(GameReplay, SampleGamesReplayToTheStateTheirRecordHolds) {
    for (const GameKind kind : test::kGameKinds) {
        SCOPED_TRACE(describe(kind));
        const auto g = playGameOf(kind);
        ASSERT_TRUE(g);
        const GameState& played = g->recorded();
        ASSERT_TRUE(played.gameLog.intact());
        const ReplayResult r = replayGame(modeOf(kind), played.gameLog.text());
        EXPECT_EQ(r.fault, ReplayFault::None) << " at " << r.at;
        EXPECT_EQ(r.ended, g->player.record().has_value());
        expectSameGame(r.state, played);
    }
}

// A log whose first board is dealt from `id`.
std::string idSymbols(int id) {
    std::string s;
    for (int k = 3; k >= 0; --k)
        s += logSymbol(id >> (6 * k));
    return s;
}

// The deal of a board with a click it allows and one it does not, and a move on it: the
// click, followed by a refill of 3s, after which the board keeps a move. The ten ring
// uses of a level leave it a move too.
struct DealtBoard {
    std::string log;  // the deal
    int refusedImage = -1;
    std::string move;
};
DealtBoard dealtBoard() {
    FakeWindow window;
    std::uint64_t clock = 0;
    Game game(window, [&clock] { return ++clock; });
    for (int id = 1000;; ++id) {
        game.fillBoard(std::to_string(id));
        DealtBoard d;
        d.log = idSymbols(id);
        for (int i = 0; i < kTileCount; ++i) {
            const auto group = groupAt(game.state.board, i % 7 + 1, i / 7 + 1);
            if (group.size() < 3)
                d.refusedImage = i;
            else
                d.move = logSymbol(i) + std::string(group.size(), '3');
        }
        if (d.move.empty() || d.refusedImage < 0) continue;
        if (replayGame(kModeGame, d.log + d.move).ended) continue;
        if (replayGame(kModeSport, d.log + std::string(kRingUses, kLogRotation)).ended) continue;
        return d;
    }
}

TEST(GameReplay, LogsTheRulesCannotFollowAreRefusedWhereTheyPart) {
    const DealtBoard board = dealtBoard();
    const std::string& move = board.move;
    const std::string click = move.substr(0, 1);
    const std::string tiles = move.substr(1);
    const std::size_t afterMove = 4 + move.size();
    const struct {
        const char* what;
        const char* mode;
        std::string log;
        ReplayFault fault;
        int step;
        std::size_t at;
        std::optional<Draw> need;
    } cases[] = {
        {"an empty log", kModeGame, "", ReplayFault::Missing, 0, 0, Draw::GameID},
        {"an identifier beyond 999999", kModeGame, "____", ReplayFault::Unexpected, 0, 0,
         Draw::GameID},
        {"an identifier 0", kModeGame, "AAAA", ReplayFault::Unexpected, 0, 0, Draw::GameID},
        {"a cut identifier", kModeGame, "AAB", ReplayFault::Missing, 0, 0, Draw::GameID},
        {"a click the board does not allow", kModeGame, board.log + logSymbol(board.refusedImage),
         ReplayFault::ClickRefused, 1, 4, std::nullopt},
        {"a refill cut short", kModeGame, board.log + click + tiles.substr(1), ReplayFault::Missing,
         1, afterMove - 1, Draw::Tile},
        {"a refill tile 8", kModeGame, board.log + click + "8" + tiles.substr(1),
         ReplayFault::Unexpected, 1, 5, Draw::Tile},
        {"no step at all", kModeGame, board.log + move + "-", ReplayFault::Unexpected, 2, afterMove,
         std::nullopt},
        {"a ring use in game", kModeGame, board.log + move + "x", ReplayFault::RingUnavailable, 2,
         afterMove, std::nullopt},
        {"a reshuffle in lim", kModeLim, board.log + "y", ReplayFault::RingUnavailable, 1, 4,
         std::nullopt},
        {"a tick in lim", kModeLim, board.log + move + "z", ReplayFault::ClockStands, 2, afterMove,
         std::nullopt},
        {"an eleventh ring use in a level", kModeSport, board.log + std::string(11, 'x'),
         ReplayFault::RingUnavailable, 11, 14, std::nullopt},
        {"a reshuffle without its partners", kModeSport, board.log + "yABC", ReplayFault::Missing,
         1, 8, Draw::Shuffle},
        {"a partner 26", kModeSport, board.log + "yZ", ReplayFault::Unexpected, 1, 5,
         Draw::Shuffle},
        {"an unknown mode", "chess", board.log, ReplayFault::UnknownMode, 0, 0, std::nullopt},
        {"a log longer than any game keeps", kModeGame, std::string(kGameLogLimit + 1, 'z'),
         ReplayFault::TooLong, 0, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        const ReplayResult r = replayGame(c.mode, c.log);
        EXPECT_EQ(r.fault, c.fault) << c.what;
        EXPECT_EQ(r.step, c.step) << c.what;
        EXPECT_EQ(r.at, c.at) << c.what;
        EXPECT_EQ(r.need, c.need) << c.what;
    }
    // Without their faults the same logs replay: each case is refused for its fault alone.
    const struct {
        const char* mode;
        std::string log;
    } sound[] = {
        {kModeGame, board.log + move},
        {kModeLim, board.log + move},
        {kModeSport, board.log + move + "xz" + "y" + std::string(kShufflePlaces, 'Y')},
        {kModeSport, board.log + std::string(kRingUses, kLogRotation)},
    };
    for (const auto& c : sound) {
        const ReplayResult r = replayGame(c.mode, c.log);
        EXPECT_EQ(r.fault, ReplayFault::None) << c.mode << " " << c.log << " at " << r.at;
        EXPECT_FALSE(r.ended) << c.mode << " " << c.log;
    }
}

}  // namespace
}  // namespace qob
