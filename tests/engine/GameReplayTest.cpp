// Games played by the rules, replayed from their logs: the same game again, or the
// step where the log and the rules part.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "BoardGroups.h"
#include "GamePlayer.h"
#include "GameReplay.h"

namespace qob {
namespace {

using test::FakeWindow;
using test::GamePlayer;

// One game played on a scripted window by a seeded player.
struct PlayedGame {
    PlayedGame(const std::string& mode, unsigned seed)
        : game(window, [this] { return ++clock; }), player(game, window, seed) {
        window.option = mode == kModeGame ? 0 : mode == kModeSport ? 1 : 2;
        game.NewGame("auto");
        window.showBoard();
    }
    // The game as its record holds it: as the rules offered it, or as it stands now (a
    // record saved with 保留成绩).
    const GameState& recorded() const { return player.record() ? *player.record() : game.state; }

    std::uint64_t clock = 0;
    FakeWindow window;
    Game game;
    GamePlayer player;
};

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

std::size_t countOf(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

TEST(GameReplay, PlayedGamesReplayToTheStateTheirRecordHolds) {
    const struct {
        const char* what;
        const char* mode;
        // Plays the game; false when this seed's game is not the kind sought.
        std::function<bool(PlayedGame&)> play;
    } cases[] = {
        {"a whole lim game", kModeLim,
         [](PlayedGame& g) {
             g.player.play();
             return g.player.record() && g.player.record()->roundNo == kLimRounds;
         }},
        {"a lim game ended by a board without a move", kModeLim,
         [](PlayedGame& g) {
             g.player.play();
             return g.player.record() && g.player.record()->roundNo < kLimRounds;
         }},
        {"a game game to its end", kModeGame,
         [](PlayedGame& g) {
             g.player.play();
             return g.window.count("messageBox 没有可以消掉的泡泡了，游戏结束") == 1;
         }},
        {"sport levels with ring uses and ticks, saved while it runs", kModeSport,
         [](PlayedGame& g) {
             g.player.ringChance = 0.1;
             g.player.play([&g] { return g.game.state.levelNo >= 4; });
             const std::string& log = g.game.state.gameLog.text();
             return !g.player.record() && countOf(log, kLogRotation) > 0 &&
                    countOf(log, kLogReshuffle) > 0 && countOf(log, kLogTick) > 0;
         }},
        {"sport ended by the clock", kModeSport,
         [](PlayedGame& g) {
             g.player.play([&g] { return g.game.state.levelNo >= 2; });
             g.player.runOutTheClock();
             return g.player.record() && g.player.record()->clockValue == 100;
         }},
        {"sport whose clock ticks while its boxes are open", kModeSport,
         [](PlayedGame& g) {
             // As the window's message loop runs on inside a modal box.
             g.window.duringMessageBox = [&g](const std::string&) {
                 for (int k = 0; k < 3 && g.window.timer1; ++k)
                     g.game.Timer1_Timer();
             };
             g.player.refusedChance = 0.2;
             g.player.play();
             return g.player.record().has_value() &&
                    g.window.count("messageBox 一次消掉大于2个泡泡") > 0;
         }},
        {"sport ended on a board without a move and no ring use left", kModeSport,
         [](PlayedGame& g) {
             g.player.ringChance = 0.5;
             g.player.tickChance = 0.05;
             g.player.play();
             return g.player.record() && g.player.record()->ringMoves == kRingUses &&
                    g.player.record()->clockValue < 100;
         }},
    };
    for (const auto& c : cases) {
        bool found = false;
        for (unsigned seed = 1; seed <= 30 && !found; ++seed) {
            PlayedGame g(c.mode, seed);
            if (!c.play(g)) continue;
            found = true;
            const GameState& played = g.recorded();
            ASSERT_TRUE(played.gameLog.intact()) << c.what;
            const ReplayResult r = replayGame(c.mode, played.gameLog.text());
            EXPECT_EQ(r.fault, ReplayFault::None) << c.what << " at " << r.at;
            EXPECT_EQ(r.ended, g.player.record().has_value()) << c.what;
            expectSameGame(r.state, played);
        }
        EXPECT_TRUE(found) << c.what;
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
