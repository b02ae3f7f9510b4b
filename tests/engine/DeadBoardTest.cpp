// Boards without a group of three: never dealt, the end of a "game" or "lim" game,
// and in "sport" a hint to the ring buttons while they have uses left.
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "BoardGroups.h"
#include "BoardText.h"
#include "GameFixture.h"
#include "TextForms.h"

namespace qob {
namespace {

using test::FakeWindow;
using test::GameFixture;

const char* const kNoMoveEnd =
    "messageBox 没有可以消掉的泡泡了，游戏结束！可以保存成绩。 [] ok information";
const char* const kRingHint =
    "messageBox 没有可以消掉的泡泡了，试试外边转动或内盘重组！ [] ok information";
const char* const kTimeOutEnd = "messageBox 游戏结束，再接再厉！可以保存成绩。 [] ok critical";
const char* const kLimEnd =
    "messageBox 已经达到180轮次，游戏结束！保留成绩后，可发布成绩。 [] ok information";
const char* const kNewGameBox = "messageBox 开始一个新游戏！ [QOB霁虹珠台 新游戏] ok none";

// The boxes, the redraws and the record offer, in their order.
std::vector<std::string> flowOf(const FakeWindow& window) {
    std::vector<std::string> flow;
    for (const auto& line : window.log)
        if (line.rfind("messageBox", 0) == 0 || line == "showBoard" || line == "RecFileSave")
            flow.push_back(line);
    return flow;
}

std::vector<std::string> endFlow(const char* box) {
    return {"showBoard", box, "RecFileSave", kNewGameBox, "showBoard"};
}

class DeadBoard : public GameFixture {
  protected:
    struct Seen {
        std::string state;  // gameState, clock and round when the first box opened
        int recordRounds = -1;
        std::string recordState;
    };

    // A running game whose only move is a group of three 8s at the foot of the left
    // column. The click on it is repeated on fresh games until its refill leaves no
    // move: the new tiles are random and now and then make a group of their own, on
    // which the game must simply go on. Returns the board the click left behind.
    Grid clickTheLastMove(const std::string& mode, int roundsBefore, int ringMovesBefore) {
        for (int attempt = 0; attempt < 30; ++attempt) {
            startGame(mode);
            auto rows = quietRows();
            for (int y = 5; y <= 7; ++y)
                rows[y - 1][0] = '8';
            setBoard(rows);
            game.state.roundNo = roundsBefore;
            game.state.ringMoves = ringMovesBefore;
            std::optional<Grid> drawn;
            seen = Seen{};
            window.onShowBoard = [&] {
                if (!drawn) drawn = game.state.board;
            };
            window.duringMessageBox = [&](const std::string&) {
                if (seen.state.empty())
                    seen.state = game.state.gameState +
                                 (window.timer1 ? " clock on " : " clock off ") +
                                 std::to_string(game.state.roundNo);
            };
            window.onRecFileSave = [&] {
                seen.recordRounds = game.state.roundNo;
                seen.recordState = game.state.gameState;
            };

            game.GameClick(imageOf(1, 6));

            window.onShowBoard = nullptr;
            window.duringMessageBox = nullptr;
            window.onRecFileSave = nullptr;
            const Grid left = drawn ? *drawn : game.state.board;
            if (!hasMove(left)) return left;
            EXPECT_EQ(window.count("RecFileSave"),
                      mode == kModeLim && roundsBefore + 1 == kLimRounds ? 1 : 0);
            EXPECT_EQ(window.count(kRingHint), 0);
            EXPECT_EQ(game.state.gameState, kStateRun);
        }
        ADD_FAILURE() << "every refill made a group";
        return {};
    }

    static int imageOf(int x, int y) { return (y - 1) * 7 + (x - 1); }

    Seen seen;
};

TEST_F(DeadBoard, AMoveThatLeavesNoMoveEndsTheGameOrPointsToTheRing) {
    const struct {
        const char* what;
        const char* mode;
        int ringMoves;
        std::vector<std::string> flow;
        const char* stateDuringBox;
        bool ended;
    } cases[] = {
        {"game", kModeGame, 0, endFlow(kNoMoveEnd), "stop clock off 42", true},
        {"lim", kModeLim, 0, endFlow(kNoMoveEnd), "stop clock off 42", true},
        {"sport without ring uses", kModeSport, kRingUses, endFlow(kTimeOutEnd),
         "stop clock off 42", true},
        {"sport with ring uses",
         kModeSport,
         kRingUses - 1,
         {"showBoard", kRingHint},
         "run clock on 42",
         false},
    };
    for (const auto& c : cases) {
        const Grid left = clickTheLastMove(c.mode, 41, c.ringMoves);
        EXPECT_EQ(flowOf(window), c.flow) << c.what;
        EXPECT_EQ(seen.state, c.stateDuringBox) << c.what;
        // The drawn board is the move's: its new tiles carry the round.
        EXPECT_EQ(left[1][1], firstCharacter(left[1][1]) + "42") << c.what;
        if (c.ended) {
            EXPECT_EQ(seen.recordRounds, 42) << c.what;
            EXPECT_EQ(seen.recordState, kStateStop) << c.what;
            EXPECT_EQ(game.state.roundNo, 0) << c.what;
            EXPECT_EQ(game.state.gameMode, c.mode) << c.what;
            EXPECT_TRUE(hasMove(game.state.board)) << c.what;
        } else {
            EXPECT_EQ(window.count("RecFileSave"), 0) << c.what;
            EXPECT_EQ(game.state.roundNo, 42) << c.what;
            EXPECT_EQ(game.state.board, left) << c.what;
            EXPECT_TRUE(window.timer1) << c.what;
            game.Timer1_Timer();
            EXPECT_EQ(game.state.clockValue, 1) << c.what << ": the clock runs on";
        }
        EXPECT_EQ(game.state.gameState, kStateRun) << c.what;
    }
}

TEST_F(DeadBoard, The180thLimMoveEndsTheGameOnceEvenWithoutAMoveLeft) {
    clickTheLastMove(kModeLim, 179, 0);
    EXPECT_EQ(flowOf(window), endFlow(kLimEnd));
    EXPECT_EQ(seen.recordRounds, 180);
    EXPECT_EQ(game.state.roundNo, 0);
}

// The rows with their ring laid with 24 different capital letters: no rotation can
// make a group of ring tiles or join a ring tile to a tile of the inner square.
std::array<std::string, 7> ringOfLetters(const std::array<std::string, 7>& inner) {
    std::array<std::string, 7> rows = inner;
    const std::string ring = "ABCDEFGHIJKLMNOPQRSTUVWX";
    int k = 0;
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            if (x == 1 || y == 1 || x == 7 || y == 7) rows[y - 1][x - 1] = ring[k++];
    return rows;
}

TEST_F(DeadBoard, SportTellsOnceEachTimeTheBoardLosesItsLastMove) {
    startGame(kModeSport);
    // The only group: two 8s of the left column and the 8 beside them. A rotation
    // carries the two to the top row, away from the third, and the fourth brings
    // them back.
    auto rows = ringOfLetters(quietRows());
    rows[3][0] = rows[4][0] = rows[3][1] = '8';
    setBoard(rows);
    int boxes = 0;
    window.duringMessageBox = [&](const std::string&) {
        game.Timer1_Timer();
        ++boxes;
    };
    const bool told[] = {true, false, false, false, true, false};
    for (int use = 1; use <= 6; ++use) {
        window.log.clear();
        game.Command8_Click();
        const std::vector<std::string> hint{"showBoard", kRingHint}, silent{"showBoard"};
        EXPECT_EQ(flowOf(window), told[use - 1] ? hint : silent) << "use " << use;
        EXPECT_EQ(hasMove(game.state.board), use == 4) << "use " << use;
        EXPECT_EQ(game.state.gameState, kStateRun);
    }
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(game.state.clockValue, 2) << "the clock runs on while the hint is shown";
    EXPECT_TRUE(window.timer1);
    EXPECT_TRUE(window.ringButtons);
}

TEST_F(DeadBoard, TheLastRingUseOnADeadBoardEndsTheSportGame) {
    // Two tiles of each digit and seven single letters inside: no reshuffle can
    // make a group of three.
    std::array<std::string, 7> inner;
    const std::string tiles = "1122334455667788abcdefg99";
    for (int y = 2; y <= 6; ++y)
        inner[y - 1] = "." + tiles.substr((y - 2) * 5, 5) + ".";
    inner[0] = inner[6] = ".......";
    for (const bool reshuffle : {false, true}) {
        startGame(kModeSport);
        setBoard(ringOfLetters(inner));
        game.state.ringMoves = kRingUses - 2;
        game.state.moveScore = 777;
        auto use = [&] {
            window.log.clear();
            if (reshuffle)
                game.Command9_Click();
            else
                game.Command8_Click();
        };
        use();  // the board had no move before: nothing to tell
        EXPECT_EQ(flowOf(window), std::vector<std::string>{"showBoard"}) << reshuffle;
        ASSERT_FALSE(hasMove(game.state.board));

        // The record offer lets the clock run again; a tick in any box must not end
        // the game a second time.
        window.onRecFileSave = [&] {
            window.setTimer1Enabled(true);
            EXPECT_EQ(game.state.moveScore, 777);
        };
        std::string duringBox;
        window.duringMessageBox = [&](const std::string&) {
            if (duringBox.empty())
                duringBox = game.state.gameState + (window.timer1 ? " clock on" : " clock off");
            game.Timer1_Timer();
        };
        use();

        EXPECT_EQ(flowOf(window), (std::vector<std::string>{"showBoard", kTimeOutEnd, "RecFileSave",
                                                            kNewGameBox, "showBoard"}))
            << reshuffle;
        EXPECT_EQ(duringBox, "stop clock off");
        EXPECT_EQ(game.state.moveScore, 0);
        EXPECT_EQ(game.state.ringMoves, 0);
        EXPECT_EQ(game.state.clockValue, 0);
        EXPECT_TRUE(window.ringButtons);
        EXPECT_TRUE(hasMove(game.state.board));
        window.onRecFileSave = nullptr;
        window.duringMessageBox = nullptr;
    }
}

// The first identifier that a fresh game draws with its random clock starting at
// start, and whether the board it deals has a move.
struct FirstDeal {
    std::string gameID;
    bool move;
};
FirstDeal firstDeal(std::uint64_t start) {
    FakeWindow window;
    std::uint64_t ticks = start;
    Game game(window, [&] { return ++ticks; });
    FirstDeal deal{game.getGameID(), false};
    game.fillBoard(deal.gameID);
    deal.move = hasMove(game.state.board);
    return deal;
}

TEST(NewBoard, ADealWithoutAMoveIsDealtAgainBeforeAnyoneSeesIt) {
    // About one deal in three thousand has no move: find a clock that starts a game
    // with one.
    std::uint64_t start = 0;
    while (firstDeal(start).move)
        ASSERT_LT(++start, 200000u) << "no dead deal found";
    const std::string dead = firstDeal(start).gameID;

    for (const bool level : {false, true}) {
        FakeWindow window;
        window.option = 1;
        std::uint64_t ticks = start;
        Game game(window, [&] { return ++ticks; });
        game.state.levelNo = 1;
        if (level)
            game.NewZone();
        else
            game.NewGame("auto");

        EXPECT_NE(game.state.gameID, dead) << level;
        EXPECT_TRUE(hasMove(game.state.board)) << level;
        const Grid dealt = game.state.board;
        game.fillBoard(game.state.gameID);
        EXPECT_EQ(game.state.board, dealt) << level << ": the board is its identifier's deal";
        EXPECT_EQ(window.count("PlaySound"), 1) << level;
        EXPECT_EQ(window.count("showBoard") + window.count("messageBox"), 0) << level;
        EXPECT_EQ(game.state.levelNo, level ? 2 : 1);
        EXPECT_EQ(game.state.bonusScore, level ? 2420 : 0);
    }
}

// Random players, a few hundred games in each mode: whatever they do, a game never
// stands on a board without a move, except a "sport" game that has told its player
// to turn the ring.
TEST(RandomPlay, NoGameIsLeftWithoutAMove) {
    for (int option : {0, 1, 2}) {
        FakeWindow window;
        window.option = option;
        std::uint64_t ticks = 0;
        Game game(window, [&] { return ++ticks; });
        // The window's redraw cuts new tiles back to their digit.
        window.onShowBoard = [&] {
            for (int y = 1; y <= 7; ++y)
                for (int x = 1; x <= 7; ++x)
                    takeTileLook(game.state.board[x][y]);
        };
        game.NewGame("auto");
        std::mt19937 random(option);
        int games = 0;
        int deadEnds = 0;
        bool wasLive = true;
        for (int step = 0; games < 300; ++step) {
            ASSERT_LT(step, 300000) << option;
            window.log.clear();
            const unsigned roll = random() % 100;
            const bool sport = game.state.gameMode == kModeSport;
            if (sport && roll < 60) {
                game.Timer1_Timer();
            } else if (sport && window.ringButtons && (roll < 70 || !wasLive)) {
                if (roll % 2)
                    game.Command8_Click();
                else
                    game.Command9_Click();
            } else {
                // Mostly a click that takes a group, now and then one that is refused.
                int image = static_cast<int>(random() % 49);
                for (int tries = 0; tries < 49 && roll % 10 != 0; ++tries) {
                    if (std::ssize(groupAt(game.state.board, image % 7 + 1, image / 7 + 1)) >=
                        kSmallestGroup)
                        break;
                    image = (image + 17) % 49;
                }
                game.GameClick(image);
                window.showBoard();
            }
            games += window.count(kNewGameBox);
            // A clock tick ends a game by its time; any other action by its board.
            const bool ticked = window.count("timer1.interval") > 0;
            deadEnds += window.count(kNoMoveEnd) + (ticked ? 0 : window.count(kTimeOutEnd));

            ASSERT_EQ(game.state.gameState, kStateRun);
            const bool live = hasMove(game.state.board);
            if (!live) {
                ASSERT_TRUE(sport && game.state.ringMoves < kRingUses) << option;
                if (wasLive) {
                    ASSERT_EQ(window.count(kRingHint), 1) << option;
                }
            }
            wasLive = live;
        }
        EXPECT_GT(deadEnds, 10) << option;
    }
}

}  // namespace
}  // namespace qob
