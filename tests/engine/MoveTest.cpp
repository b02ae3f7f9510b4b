#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "GameFixture.h"

namespace qob {
namespace {

using test::GameFixture;

int imageOf(int x, int y) {
    return (y - 1) * 7 + (x - 1);
}

class Move : public GameFixture {
  protected:
    // A running game on the board of startWithEights (a ring rotation turns its spare
    // group of 9s into the bottom row).
    void startWithGroup(const std::string& mode, std::initializer_list<std::pair<int, int>> cells) {
        startWithEights(mode, cells);
        before = boardRows();
    }

    // A cell that entered with move `round`: a new digit followed by the round.
    bool isNewTile(int x, int y, int round) const {
        const std::string& cell = game.state.board[x][y];
        const std::string tag = std::to_string(round);
        return cell.size() == 1 + tag.size() && cell[0] >= '1' && cell[0] <= '7' &&
               cell.substr(1) == tag;
    }
    std::string oldCell(int x, int y) const { return before[y - 1].substr(x - 1, 1); }

    std::array<std::string, 7> before;
};

TEST_F(Move, VerticalGroupFallsInItsColumnOnly) {
    startWithGroup(kModeGame, {{2, 3}, {2, 4}, {2, 5}});
    game.GameClick(imageOf(2, 4));

    for (int y = 1; y <= 3; ++y)
        EXPECT_TRUE(isNewTile(2, y, 1)) << game.state.board[2][y];
    EXPECT_EQ(game.state.board[2][4], oldCell(2, 1));
    EXPECT_EQ(game.state.board[2][5], oldCell(2, 2));
    EXPECT_EQ(game.state.board[2][6], oldCell(2, 6));
    EXPECT_EQ(game.state.board[2][7], oldCell(2, 7));
    for (int x : {1, 3, 4, 5, 6, 7})
        for (int y = 1; y <= 7; ++y)
            EXPECT_EQ(game.state.board[x][y], oldCell(x, y));
}

TEST_F(Move, BottomRowGroupDropsThreeColumnsByOne) {
    startWithGroup(kModeGame, {{3, 7}, {4, 7}, {5, 7}});
    game.GameClick(imageOf(5, 7));
    for (int x = 3; x <= 5; ++x) {
        EXPECT_TRUE(isNewTile(x, 1, 1)) << x;
        for (int y = 2; y <= 7; ++y)
            EXPECT_EQ(game.state.board[x][y], oldCell(x, y - 1));
    }
    EXPECT_EQ(game.state.groupMinX, 3);
    EXPECT_EQ(game.state.groupMaxX, 5);
}

TEST_F(Move, EmptiedColumnIsRefilledWholeAndTaggedWithTheRound) {
    startWithGroup(kModeGame, {{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 6}, {4, 7}});
    game.state.roundNo = 24;
    game.GameClick(imageOf(4, 4));
    for (int y = 1; y <= 7; ++y)
        EXPECT_TRUE(isNewTile(4, y, 25)) << game.state.board[4][y];
}

TEST_F(Move, RefusedClickChangesNothingButTheClock) {
    for (const char* mode : {kModeGame, kModeSport, kModeLim}) {
        startWithGroup(mode, {{1, 1}, {2, 2}});
        window.setTimer1Enabled(std::string(mode) != kModeSport);
        game.state.moveMessage = "本轮:[6,64]挺好的，你是高手";
        const GameState was = game.state;

        game.GameClick(imageOf(2, 2));

        EXPECT_EQ(
            window.calls("messageBox"),
            std::vector<std::string>{"messageBox 一次消掉大于2个泡泡，才能继续。 [] ok critical"});
        EXPECT_TRUE(window.calls("PlaySound").empty());
        EXPECT_EQ(window.timer1, std::string(mode) == kModeSport) << mode;
        EXPECT_EQ(game.state.board, was.board);
        EXPECT_EQ(game.state.roundNo, was.roundNo);
        EXPECT_EQ(game.state.totalScore, was.totalScore);
        EXPECT_EQ(game.state.sizeTally, was.sizeTally);
        EXPECT_EQ(game.state.moveMessage, was.moveMessage);
        EXPECT_EQ(game.state.groupSize, 2);
    }
}

TEST_F(Move, ClickAfterTheGameStoppedStartsANewGameFirst) {
    startGame(kModeGame);
    game.state.gameState = kStateStop;
    game.state.roundNo = 12;
    game.GameClick(0);
    ASSERT_GE(window.log.size(), 2u);
    EXPECT_EQ(window.log[0], "messageBox 开始一个新游戏！ [QOB霁虹珠台 新游戏] ok none");
    EXPECT_EQ(window.log[1], "PlaySound /prog/data/startgame.wav");
    EXPECT_EQ(game.state.gameState, kStateRun);
    EXPECT_LE(game.state.roundNo, 1);  // the click was the new game's first move, or refused
}

TEST_F(Move, AcceptedClickSoundsAndScores) {
    startWithGroup(kModeSport, {{6, 6}, {7, 7}, {6, 7}, {7, 6}, {5, 5}, {5, 6}});
    game.GameClick(imageOf(7, 7));
    EXPECT_EQ(window.calls("PlaySound"),
              std::vector<std::string>{"PlaySound /prog/data/click.wav"});
    EXPECT_EQ(game.state.moveMessage, "本轮:[6,64]挺好的，你是高手");
    EXPECT_EQ(game.state.roundNo, 1);
}

TEST_F(Move, CountersAtTheLargestValueStayThere) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    startWithGroup(kModeSport, {{2, 3}, {2, 4}, {2, 5}});
    GameState& s = game.state;
    s.roundNo = s.tilesCleared = s.sizeTally[3] = s.levelNo = s.ringMoves = kMax;
    game.Command8_Click();
    EXPECT_EQ(s.ringMoves, kMax);
    game.Timer1_Timer();
    // At such a level every move completes it, and the next level stays the largest.
    game.GameClick(imageOf(2, 4));
    for (std::int32_t value : {s.roundNo, s.tilesCleared, s.sizeTally[3], s.levelNo})
        EXPECT_EQ(value, kMax);
}

TEST_F(GameFixture, PointsBonusAndPraiseFollowTheModeAndSize) {
    const struct {
        const char* mode;
        int n;
        const char* points;
        int bonus;
    } cases[] = {
        {kModeGame, 3, "", 0},       {kModeGame, 4, "", 0},       {kModeGame, 5, "27", 10},
        {kModeGame, 6, "64", 40},    {kModeGame, 10, "512", 360}, {kModeGame, 20, "5832", 2560},
        {kModeSport, 3, "1", 0},     {kModeSport, 4, "8", 0},     {kModeSport, 15, "2197", 0},
        {kModeLim, 3, "1", 0},       {kModeLim, 4, "11", 0},      {kModeLim, 5, "46", 0},
        {kModeLim, 6, "128", 0},     {kModeLim, 7, "279", 0},     {kModeLim, 8, "529", 0},
        {kModeLim, 10, "1448", 0},   {kModeLim, 15, "7921", 0},   {kModeLim, 20, "24743", 0},
        {kModeLim, 49, "711774", 0}, {"other", 6, "", 0},
    };
    for (const auto& c : cases) {
        GameState& s = game.state;
        s.gameMode = c.mode;
        s.moveScore = 100, s.bonusScore = 1000, s.totalScore = 0, s.roundNo = 7,
        s.tilesCleared = 50;
        s.sizeTally = {};
        s.groupSize = c.n;
        game.scoreMove();
        const int points = *c.points ? std::stoi(c.points) : 0;
        EXPECT_EQ(s.moveScore, 100 + points) << c.mode << c.n;
        EXPECT_EQ(s.bonusScore, 1000 + c.bonus) << c.mode << c.n;
        EXPECT_EQ(s.totalScore, 1100 + points + c.bonus) << c.mode << c.n;
        EXPECT_EQ(s.roundNo, 8);
        EXPECT_EQ(s.tilesCleared, 50 + c.n);
        EXPECT_EQ(s.sizeTally[c.n], 1);
        EXPECT_EQ(s.moveMessage.rfind("本轮:[" + std::to_string(c.n) + "," + c.points + "]", 0), 0u)
            << s.moveMessage;
    }
}

TEST_F(GameFixture, MoveLinesReadExactly) {
    const struct {
        const char* mode;
        int n;
        const char* line;
    } cases[] = {
        {kModeSport, 6, "本轮:[6,64]挺好的，你是高手"},
        {kModeGame, 4, "本轮:[4,]好哦，看到你智慧的光芒"},
        {kModeLim, 5, "本轮:[5,46]非常好，你有高超灵感"},
        {kModeGame, 3, "本轮:[3,]挺好，再努力"},
        {kModeSport, 32, "本轮:[32,27000]去玩彩票吧，头等奖哦"},
        {kModeSport, 33, "本轮:[33,29791]你就是天才！神仙！..."},
        {kModeSport, 40, "本轮:[40,54872]你就是天才！神仙！..."},
        {kModeSport, 49, "本轮:[49,103823]你就是天才！神仙！..."},
    };
    for (const auto& c : cases) {
        game.state.gameMode = c.mode;
        game.state.groupSize = c.n;
        game.scoreMove();
        EXPECT_EQ(game.state.moveMessage, c.line);
    }
}

TEST_F(GameFixture, TwoMovesOfSixAtTheStartOfASportGame) {
    startGame(kModeSport);
    const int tally = game.state.sizeTally[6];
    game.state.groupSize = 6;
    game.scoreMove();
    game.scoreMove();
    EXPECT_EQ(game.state.moveScore, 128);
    EXPECT_EQ(game.state.totalScore, 128);
    EXPECT_EQ(game.state.roundNo, 2);
    EXPECT_EQ(game.state.tilesCleared, 12);
    EXPECT_EQ(game.state.sizeTally[6], tally + 2);
}

TEST_F(GameFixture, SportMovesFillTheLevelBar) {
    const struct {
        int level, n;
        double added;
        int bar;
    } cases[] = {{1, 3, 0.6, 1}, {1, 10, 100.0 / 15, 7}, {2, 3, 0.63, 1}, {3, 7, 3.6015, 4}};
    for (const auto& c : cases) {
        startGame(kModeSport);
        game.state.levelNo = c.level;
        game.state.groupSize = c.n;
        EXPECT_TRUE(game.progressMove());
        EXPECT_NEAR(game.state.levelProgress, c.added, 1e-12) << c.level << "/" << c.n;
        EXPECT_EQ(window.log,
                  (std::vector<std::string>{"bar2.smooth 1", "bar2.vertical 1", "bar2.colour 65280",
                                            "bar2.value " + std::to_string(c.bar)}));
    }
}

TEST_F(Move, FullLevelBarStartsTheNextLevelInsteadOfCollapsing) {
    startWithGroup(kModeSport,
                   {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}});
    game.state.levelProgress = 95;
    game.state.moveScore = game.state.totalScore = 1000;
    std::string stateDuringBox;
    window.duringMessageBox = [&](const std::string&) {
        stateDuringBox = game.state.gameState + " " + std::to_string(window.bar2.value) +
                         (window.timer1 ? " clock on" : " clock off");
    };

    game.GameClick(imageOf(2, 2));

    EXPECT_EQ(stateDuringBox, "stop 100 clock off");
    EXPECT_EQ(window.calls("messageBox"),
              std::vector<std::string>{
                  "messageBox 祝贺，你神奇地进入下一关，继续努力哦！ [] ok information"});
    EXPECT_EQ(game.state.levelNo, 2);
    EXPECT_EQ(game.state.levelProgress, 0);
    EXPECT_EQ(game.state.bonusScore, 2420);
    EXPECT_EQ(game.state.moveScore, 1000 + 343);
    EXPECT_EQ(game.state.totalScore, 1343);  // the level bonus counts from the next move
    EXPECT_EQ(game.state.gameState, kStateRun);
    EXPECT_TRUE(window.timer1);
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            EXPECT_EQ(game.state.board[x][y].size(), 1u);
}

TEST_F(Move, LimBarShowsTheShareOfTheMovesUsed) {
    const struct { int roundsBefore, bar; } cases[] = {{0, 0}, {89, 50}, {178, 99}};
    for (const auto& c : cases) {
        startWithGroup(kModeLim, {{1, 1}, {1, 2}, {1, 3}});
        game.state.roundNo = c.roundsBefore;
        game.GameClick(imageOf(1, 1));
        EXPECT_EQ(window.bar1.value, c.bar) << c.roundsBefore;
        EXPECT_EQ(game.state.gameState, kStateRun);
    }
}

TEST_F(Move, The180thLimMoveEndsTheGame) {
    startWithGroup(kModeLim, {{1, 1}, {1, 2}, {1, 3}});
    game.state.roundNo = 179;
    bool finalBoardDrawn = false;
    window.onShowBoard = [&] {
        if (!finalBoardDrawn && game.state.roundNo == 180)
            finalBoardDrawn = isNewTile(1, 1, 180) && game.state.gameState == kStateStop;
    };

    game.GameClick(imageOf(1, 1));

    std::vector<std::string> flow;
    for (const auto& line : window.log)
        if (line.rfind("messageBox", 0) == 0 || line == "showBoard" || line == "RecFileSave" ||
            line.rfind("bar1.value", 0) == 0)
            flow.push_back(line);
    EXPECT_EQ(flow, (std::vector<std::string>{
                        "bar1.value 100",
                        "showBoard",
                        "messageBox 已经达到180轮次，游戏结束！保留成绩后，可发布成绩。 [] ok "
                        "information",
                        "RecFileSave",
                        "messageBox 开始一个新游戏！ [QOB霁虹珠台 新游戏] ok none",
                        "bar1.value 0",
                        "showBoard",
                    }));
    EXPECT_TRUE(finalBoardDrawn);
    EXPECT_EQ(game.state.roundNo, 0);
    EXPECT_EQ(game.state.gameState, kStateRun);
    EXPECT_EQ(game.state.moveScore, 0);
}

}  // namespace
}  // namespace qob
