// The game's log as the rules write it: its form, what a move, a ring use and a tick
// put into it, and when it stops describing the game.
#include <gtest/gtest.h>

#include "GameFixture.h"
#include "GameLog.h"

namespace qob {
namespace {

using test::GameFixture;

TEST(GameLog, EntriesTakeTheirDocumentedForm) {
    const struct {
        void (*write)(GameLog&);
        const char* text;
    } cases[] = {
        {[](GameLog& l) { l.outcome(Draw::GameID, "1"); }, "AAAB"},
        {[](GameLog& l) { l.outcome(Draw::GameID, "999999"); }, "D0I_"},
        {[](GameLog& l) { l.outcome(Draw::GameID, "262208"); }, "BABA"},
        {[](GameLog& l) { l.click(0); }, "A"},
        {[](GameLog& l) { l.click(26); }, "a"},
        {[](GameLog& l) { l.click(48); }, "w"},
        {[](GameLog& l) { l.rotation(); }, "x"},
        {[](GameLog& l) { l.reshuffle(); }, "y"},
        {[](GameLog& l) { l.tick(); }, "z"},
        {[](GameLog& l) { l.outcome(Draw::Tile, "1"); }, "1"},
        {[](GameLog& l) { l.outcome(Draw::Tile, "7"); }, "7"},
        {[](GameLog& l) { l.outcome(Draw::Shuffle, "1"); }, "A"},
        {[](GameLog& l) { l.outcome(Draw::Shuffle, "25"); }, "Y"},
    };
    for (const auto& c : cases) {
        GameLog log;
        log.start();
        c.write(log);
        EXPECT_TRUE(log.intact()) << c.text;
        EXPECT_EQ(log.text(), c.text);
    }
}

TEST(GameLog, WhatItCannotHoldDropsIt) {
    const struct {
        const char* what;
        void (*write)(GameLog&);
    } cases[] = {
        {"identifier 0", [](GameLog& l) { l.outcome(Draw::GameID, "0"); }},
        {"identifier beyond 999999", [](GameLog& l) { l.outcome(Draw::GameID, "1000000"); }},
        {"tile 8", [](GameLog& l) { l.outcome(Draw::Tile, "8"); }},
        {"partner 26", [](GameLog& l) { l.outcome(Draw::Shuffle, "26"); }},
        {"no number", [](GameLog& l) { l.outcome(Draw::Tile, "x"); }},
        {"image 49", [](GameLog& l) { l.click(49); }},
        {"more than it keeps",
         [](GameLog& l) {
             for (std::size_t k = 0; k <= kGameLogLimit; ++k)
                 l.tick();
         }},
    };
    for (const auto& c : cases) {
        GameLog log;
        log.start();
        log.tick();
        c.write(log);
        EXPECT_FALSE(log.intact()) << c.what;
        EXPECT_EQ(log.text(), "") << c.what;
        log.tick();  // nothing more is kept until the next start
        EXPECT_EQ(log.text(), "") << c.what;
        log.start();
        log.tick();
        EXPECT_EQ(log.text(), "z") << c.what;
    }
    GameLog full;
    full.start();
    for (std::size_t k = 0; k < kGameLogLimit; ++k)
        full.tick();
    EXPECT_TRUE(full.intact());
    EXPECT_EQ(full.text().size(), kGameLogLimit);
}

class LoggedMove : public GameFixture {
  protected:
    // A running game on the board of startWithEights, with an empty log.
    void startWith(const std::string& mode, std::initializer_list<std::pair<int, int>> cells) {
        startWithEights(mode, cells);
        game.state.gameLog.start();
    }
    const std::string& logText() const { return game.state.gameLog.text(); }
};

TEST_F(LoggedMove, AMoveLogsItsClickAndOnlyTheTilesThatEntered) {
    const struct {
        std::initializer_list<std::pair<int, int>> group;
        int image;
        std::vector<std::pair<int, int>> entered;  // in the order the refill draws them
    } cases[] = {
        // One column: seven tiles drawn, the top three enter.
        {{{2, 3}, {2, 4}, {2, 5}}, 3 * 7 + 1, {{2, 1}, {2, 2}, {2, 3}}},
        // Three columns: one tile enters at the top of each.
        {{{3, 7}, {4, 7}, {5, 7}}, 6 * 7 + 4, {{3, 1}, {4, 1}, {5, 1}}},
        // Two columns, two places in the first.
        {{{2, 6}, {2, 7}, {3, 7}}, 6 * 7 + 2, {{2, 1}, {2, 2}, {3, 1}}},
    };
    for (const auto& c : cases) {
        startWith(kModeSport, c.group);
        game.GameClick(c.image);
        std::string expected(1, logSymbol(c.image));
        for (auto [x, y] : c.entered)
            expected += game.state.board[x][y].substr(0, 1);
        EXPECT_EQ(logText(), expected) << c.image;
    }
}

TEST_F(LoggedMove, ARefusedClickLeavesNoTrace) {
    startWith(kModeGame, {{2, 3}, {2, 4}});
    game.GameClick(3 * 7 + 1);
    EXPECT_EQ(window.count("messageBox 一次消掉大于2个泡泡"), 1);
    EXPECT_EQ(logText(), "");
}

TEST_F(LoggedMove, RingUsesAndTicksAreLoggedWithTheReshufflePartners) {
    startWith(kModeSport, {});
    game.Command8_Click();
    game.Timer1_Timer();
    game.Command9_Click();
    ASSERT_EQ(logText().size(), 3u + kShufflePlaces);
    EXPECT_EQ(logText().substr(0, 3), "xzy");
    for (char partner : logText().substr(3))
        EXPECT_TRUE(partner >= 'A' && partner <= 'Y') << partner;
}

TEST_F(GameFixture, EachNewGameStartsALogWithItsBoardsIdentifier) {
    startGame(kModeGame);
    const GameLog& log = game.state.gameLog;
    ASSERT_TRUE(log.intact());
    ASSERT_EQ(log.text().size(), 4u);
    int id = 0;
    for (char symbol : log.text())
        id = id * 64 + logSymbolValue(symbol);
    EXPECT_EQ(std::to_string(id), game.state.gameID);

    game.Command8_Click();
    const std::string before = log.text();
    window.answers = {MsgAnswer::Cancel};
    game.NewGame("box");  // cancelled: the same game goes on
    EXPECT_EQ(log.text(), before);
    game.state.gameLog.drop();
    game.NewGame("boxok");
    EXPECT_TRUE(log.intact());
    EXPECT_EQ(log.text().size(), 4u);
}

}  // namespace
}  // namespace qob
