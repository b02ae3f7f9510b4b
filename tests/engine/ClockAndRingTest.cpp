#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "GameFixture.h"

namespace qob {
namespace {

using test::GameFixture;

TEST(ClockInterval, ShrinksByATenthPerLevelAndReachesZero) {
    const struct {
        int level, ms;
    } cases[] = {{1, 3600}, {2, 3240}, {3, 2916}, {4, 2624}, {5, 2362}, {10, 1395},
                 {20, 486}, {50, 21},  {85, 1},   {86, 0},   {0, 4000}};
    for (const auto& c : cases)
        EXPECT_EQ(Game::clockInterval(c.level), c.ms) << c.level;
}

TEST_F(GameFixture, ClockTicksSetIntervalCountAndColourTheBar) {
    startGame(kModeSport);
    game.state.levelNo = 2;
    game.state.clockValue = 78;
    game.Timer1_Timer();
    EXPECT_EQ(window.log,
              (std::vector<std::string>{"timer1.interval 3240", "bar1.smooth 1", "bar1.vertical 1",
                                        "bar1.colour 16711680", "bar1.value 79"}));
    game.Timer1_Timer();
    EXPECT_EQ(game.state.clockValue, 80);
    EXPECT_EQ(window.bar1.colour, kRed);
    EXPECT_EQ(window.bar1.value, 80);
    game.state.clockValue = 150;  // beyond the red band: colour left as it was
    window.bar1.maximum = 1000;
    window.bar1.colour = kGreen;
    game.Timer1_Timer();
    EXPECT_EQ(window.bar1.colour, kGreen);
}

TEST_F(GameFixture, HundredthTickEndsTheGame) {
    startGame(kModeSport);
    game.state.clockValue = 99;
    game.state.moveScore = 500;
    std::string duringBox;
    window.duringMessageBox = [&](const std::string& text) {
        if (duringBox.empty())
            duringBox = text + " " + game.state.gameState + " " +
                        std::to_string(static_cast<int>(game.state.clockValue)) + " " +
                        std::to_string(window.bar1.value) + (window.timer1 ? " on" : " off");
    };

    game.Timer1_Timer();

    EXPECT_EQ(duringBox, "游戏结束，再接再厉！可以保存成绩。 stop 100 100 off");
    std::vector<std::string> flow;
    for (const auto& line : window.log)
        if (line.rfind("messageBox", 0) == 0 || line == "showBoard" || line == "RecFileSave")
            flow.push_back(line);
    EXPECT_EQ(flow, (std::vector<std::string>{
                        "messageBox 游戏结束，再接再厉！可以保存成绩。 [] ok critical",
                        "RecFileSave",
                        "messageBox 开始一个新游戏！ [QOB霁虹珠台 新游戏] ok none",
                        "showBoard",
                    }));
    EXPECT_EQ(game.state.clockValue, 0);
    EXPECT_EQ(game.state.moveScore, 0);
    EXPECT_EQ(game.state.gameState, kStateRun);
    EXPECT_TRUE(window.timer1);
}

TEST_F(GameFixture, TicksDuringTheEndOfTheGameWaitForTheNewGame) {
    startGame(kModeSport);
    game.state.clockValue = 99;
    // The score-record save turns the clock on again in "sport", and the boxes let
    // ticks through: each box receives one.
    window.onRecFileSave = [&] { window.setTimer1Enabled(true); };
    window.duringMessageBox = [&](const std::string&) { game.Timer1_Timer(); };

    game.Timer1_Timer();

    EXPECT_EQ(window.count("messageBox 游戏结束"), 1);
    EXPECT_EQ(window.count("RecFileSave"), 1);
    EXPECT_EQ(window.count("messageBox 开始一个新游戏"), 1);
    EXPECT_EQ(game.state.clockValue, 0);

    window.duringMessageBox = nullptr;
    game.Timer1_Timer();  // the new game's clock runs normally
    EXPECT_EQ(game.state.clockValue, 1);
}

TEST_F(GameFixture, FourRotationsGiveTheBoardBack) {
    startGame(kModeSport);
    const std::array<std::string, 7> rows = {"ABCDEFG", "H12345I", "J67123K", "L45671M",
                                             "N23456O", "P71234Q", "RSTUVWX"};
    setBoard(rows);
    game.Command8_Click();
    EXPECT_EQ(boardRows(), (std::array<std::string, 7>{"RPNLJHA", "S12345B", "T67123C", "U45671D",
                                                       "V23456E", "W71234F", "XQOMKIG"}));
    for (int i = 0; i < 3; ++i)
        game.Command8_Click();
    EXPECT_EQ(boardRows(), rows);
    EXPECT_EQ(window.count("showBoard"), 4);
    EXPECT_EQ(game.state.ringMoves, 4);
}

TEST_F(GameFixture, ReshuffleMixesOnlyTheInnerSquare) {
    startGame(kModeSport);
    const std::array<std::string, 7> rows = {"ABCDEFG", "H12345I", "J67123K", "L45671M",
                                             "N23456O", "P71234Q", "RSTUVWX"};
    setBoard(rows);
    auto innerCounts = [&] {
        std::map<char, int> counts;
        for (int y = 2; y <= 6; ++y)
            for (int x = 2; x <= 6; ++x)
                ++counts[boardRows()[y - 1][x - 1]];
        return counts;
    };
    const auto counts = innerCounts();
    bool moved = false;
    for (int i = 0; i < 5; ++i) {
        game.Command9_Click();
        const auto now = boardRows();
        moved = moved || now != rows;
        EXPECT_EQ(now.front(), rows.front());
        EXPECT_EQ(now.back(), rows.back());
        for (int y = 1; y <= 7; ++y) {
            EXPECT_EQ(now[y - 1].front(), rows[y - 1].front());
            EXPECT_EQ(now[y - 1].back(), rows[y - 1].back());
        }
        EXPECT_EQ(innerCounts(), counts);
    }
    EXPECT_TRUE(moved);
}

TEST_F(GameFixture, TenRingUsesALevelThenTheButtonsRest) {
    startGame(kModeSport);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_TRUE(window.ringButtons) << i;
        if (i <= 7)
            game.Command8_Click();
        else
            game.Command9_Click();
    }
    EXPECT_FALSE(window.ringButtons);
    EXPECT_EQ(window.count("showBoard"), 10);  // the tenth use is carried out in full
    game.NewZone();
    EXPECT_TRUE(window.ringButtons);
    EXPECT_EQ(game.state.ringMoves, 0);
}

}  // namespace
}  // namespace qob
