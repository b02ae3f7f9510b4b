#include <gtest/gtest.h>

#include <limits>

#include "GameFixture.h"
#include "TextForms.h"

namespace qob {
namespace {

using test::GameFixture;

const char* const kTitle = "QOB霁虹珠台 新游戏";

TEST_F(GameFixture, BoardFillUsesTheSeedsAfterTheIdentifier) {
    game.fillBoard("999999");
    EXPECT_EQ(game.state.gameID, "999999");
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            EXPECT_EQ(game.state.board[x][y], game.getDice(1000000 + 7 * (y - 1) + x - 1))
                << x << "," << y;
    for (int i = 0; i <= 8; ++i)
        for (const auto& cell : {game.state.board[0][i], game.state.board[8][i],
                                 game.state.board[i][0], game.state.board[i][8]})
            EXPECT_TRUE(cell.empty());
}

TEST_F(GameFixture, CancelledQuestionChangesNothing) {
    startGame(kModeSport);
    game.state.moveScore = 64;
    const GameState before = game.state;
    window.option = 0;  // the player clicked another mode button, then cancels
    window.answers.push_back(MsgAnswer::Cancel);

    game.NewGame("box");

    EXPECT_EQ(window.log, (std::vector<std::string>{"messageBox 是否开始一个新游戏！ [" +
                                                    std::string(kTitle) + "] okcancel none"}));
    EXPECT_EQ(game.state.board, before.board);
    EXPECT_EQ(game.state.gameMode, kModeSport);
    EXPECT_EQ(game.state.moveScore, 64);
    EXPECT_EQ(game.state.startTime, before.startTime);
}

TEST_F(GameFixture, EachAnnouncementStartsAGameAfterItsBox) {
    const struct {
        const char* sType;
        std::vector<std::string> boxes;
    } cases[] = {
        {"box", {"messageBox 是否开始一个新游戏！ [" + std::string(kTitle) + "] okcancel none"}},
        {"boxok", {"messageBox 开始一个新游戏！ [" + std::string(kTitle) + "] ok none"}},
        {"auto", {}},
        {"Box", {}},
    };
    for (const auto& c : cases) {
        window.log.clear();
        game.state.gameState = kStateStop;
        game.NewGame(c.sType);
        EXPECT_EQ(window.calls("messageBox"), c.boxes) << c.sType;
        EXPECT_EQ(window.calls("PlaySound"),
                  std::vector<std::string>{"PlaySound /prog/data/startgame.wav"})
            << c.sType;
        EXPECT_EQ(game.state.gameState, kStateRun) << c.sType;
    }
}

TEST_F(GameFixture, ModeButtonsChooseModeClockRingAndLevel) {
    const struct {
        int option;
        const char* mode;
        int level;
        bool clockAndRing;
    } cases[] = {{0, kModeGame, 0, false}, {1, kModeSport, 1, true}, {2, kModeLim, 0, false}};
    for (const auto& c : cases) {
        window.option = c.option;
        window.bar1.value = window.bar2.value = 50;
        game.state.clockValue = game.state.levelProgress = 7;
        game.NewGame("auto");
        EXPECT_EQ(game.state.gameMode, c.mode);
        EXPECT_EQ(game.state.levelNo, c.level);
        EXPECT_EQ(window.timer1, c.clockAndRing) << c.mode;
        EXPECT_EQ(window.ringButtons, c.clockAndRing) << c.mode;
        EXPECT_EQ(window.bar1.value, 0);
        EXPECT_EQ(window.bar2.value, 0);
        EXPECT_EQ(game.state.clockValue, 0);
        EXPECT_EQ(game.state.levelProgress, 0);
    }
}

TEST_F(GameFixture, NoModeButtonSelectedKeepsModeAndLevel) {
    startGame(kModeSport);
    game.state.levelNo = 4;
    window.option = -1;
    game.NewGame("auto");
    EXPECT_EQ(game.state.gameMode, kModeSport);
    EXPECT_EQ(game.state.levelNo, 4);
    EXPECT_TRUE(window.calls("timer1").empty());
}

TEST_F(GameFixture, NewGameResetsTheGameButKeepsTheSizeTally) {
    startGame(kModeSport);
    GameState& s = game.state;
    s.roundNo = 31, s.tilesCleared = 118, s.moveScore = 5000, s.bonusScore = 2420;
    s.totalScore = 7420, s.ringMoves = 4, s.moveMessage = "x", s.sizeTally[6] = 3;
    s.saveTime = DateTime{2005, 6, 1, 1, 2, 3};
    s.gameState = kStateStop;
    window.clock = DateTime{2026, 12, 10, 9, 30, 12};

    game.NewGame("auto");

    EXPECT_EQ(s.roundNo, 0);
    EXPECT_EQ(s.tilesCleared, 0);
    EXPECT_EQ(s.moveScore, 0);
    EXPECT_EQ(s.bonusScore, 0);
    EXPECT_EQ(s.totalScore, 0);
    EXPECT_EQ(s.ringMoves, 0);
    EXPECT_EQ(s.moveMessage, "");
    EXPECT_EQ(s.spareValue, "0");
    EXPECT_TRUE(s.saveTime.isNull());
    EXPECT_EQ(s.startTime, window.clock);
    EXPECT_EQ(s.gameState, kStateRun);
    EXPECT_EQ(s.sizeTally[6], 3);
}

TEST_F(GameFixture, NewLevelKeepsTheGameAndAddsTheLevelBonus) {
    startGame(kModeSport);
    GameState& s = game.state;
    s.roundNo = 31, s.tilesCleared = 118, s.moveScore = 5000, s.totalScore = 5000;
    s.ringMoves = 10, s.clockValue = 55, s.levelProgress = 100, s.gameState = kStateStop;
    const DateTime started = s.startTime;
    const std::string oldBoard = boardRows()[0] + boardRows()[6];
    window.setTimer1Enabled(false);
    window.setRingButtonsEnabled(false);

    game.NewZone();

    EXPECT_EQ(s.levelNo, 2);
    EXPECT_EQ(s.bonusScore, 2420);
    EXPECT_EQ(s.totalScore, 5000);  // catches up at the next move
    EXPECT_EQ(s.moveMessage, "祝贺，你神奇地进入下一关了！");
    EXPECT_EQ(s.roundNo, 31);
    EXPECT_EQ(s.tilesCleared, 118);
    EXPECT_EQ(s.moveScore, 5000);
    EXPECT_EQ(s.startTime, started);
    EXPECT_EQ(s.ringMoves, 0);
    EXPECT_EQ(s.clockValue, 0);
    EXPECT_EQ(s.levelProgress, 0);
    EXPECT_EQ(s.gameState, kStateRun);
    EXPECT_TRUE(window.timer1);
    EXPECT_TRUE(window.ringButtons);
    EXPECT_EQ(window.calls("PlaySound").size(), 1u);
    EXPECT_NE(boardRows()[0] + boardRows()[6], oldBoard);
}

TEST(LevelBonus, GrowsByATenthAndRoundsHalfToEven) {
    const int expected[] = {0, 0, 2420, 2662, 2928, 3221, 3543};
    for (int level = 2; level <= 6; ++level)
        EXPECT_EQ(Game::levelBonus(level), expected[level]);
}

TEST_F(GameFixture, LevelBonusesStopAtTheLargestScore) {
    startGame(kModeSport);
    std::int32_t last = 0;
    for (int level = 2; level <= 140; ++level) {
        game.NewZone();
        ASSERT_GE(game.state.bonusScore, last) << "level " << game.state.levelNo;
        last = game.state.bonusScore;
    }
    EXPECT_EQ(game.state.levelNo, 140);
    EXPECT_EQ(game.state.bonusScore, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace qob
