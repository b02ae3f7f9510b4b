#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "BoardGroups.h"
#include "GameFixture.h"

namespace qob {
namespace {

using test::GameFixture;

std::vector<std::pair<int, int>> pairsOf(const std::vector<Cell>& cells) {
    std::vector<std::pair<int, int>> out;
    for (const Cell& c : cells)
        out.emplace_back(c.x, c.y);
    return out;
}

TEST_F(GameFixture, HasMoveFindsAGroupOfThreeAnywhere) {
    const struct {
        const char* what;
        std::vector<std::tuple<int, int, const char*>> cells;  // laid over a quiet board
        bool move;
    } cases[] = {
        {"no two touching tiles equal", {}, false},
        {"a pair", {{3, 3, "8"}, {4, 4, "8"}}, false},
        {"pairs one row apart", {{1, 1, "8"}, {2, 1, "8"}, {1, 3, "8"}, {2, 3, "8"}}, false},
        {"three on a diagonal", {{3, 3, "8"}, {4, 4, "8"}, {5, 5, "8"}}, true},
        {"three around the top left corner", {{1, 1, "8"}, {2, 1, "8"}, {1, 2, "8"}}, true},
        {"the last cells in reading order", {{5, 7, "8"}, {6, 7, "8"}, {7, 7, "8"}}, true},
        {"new tiles count by their digit", {{3, 3, "8"}, {4, 3, "812"}, {5, 3, "87"}}, true},
        {"tiles on the frame never join",
         {{0, 1, "8"}, {1, 1, "8"}, {1, 2, "8"}, {0, 2, "8"}},
         false},
        {"first characters are whole characters",
         {{3, 3, "中"}, {4, 3, "为"}, {5, 3, "中"}},
         false},
        {"the same character", {{3, 3, "中"}, {4, 3, "中"}, {5, 3, "中1"}}, true},
    };
    for (const auto& c : cases) {
        setBoard(quietRows());
        for (const auto& [x, y, text] : c.cells)
            game.state.board[x][y] = text;
        EXPECT_EQ(hasMove(game.state.board), c.move) << c.what;
    }
}

TEST_F(GameFixture, GroupAtIsWhatTheMoveTakes) {
    // Boards of few kinds hold large groups of every shape; boards of seven kinds
    // are the boards of the game.
    std::mt19937 random(8);
    for (int kinds : {2, 3, 4, 7}) {
        for (int board = 0; board < 8; ++board) {
            std::array<std::string, 7> rows;
            for (auto& row : rows)
                for (int x = 0; x < 7; ++x)
                    row += static_cast<char>('1' + random() % kinds);
            bool anyMove = false;
            for (int y = 1; y <= 7; ++y)
                for (int x = 1; x <= 7; ++x) {
                    startGame(kModeGame);
                    setBoard(rows);
                    const Grid before = game.state.board;
                    const std::vector<Cell> group = groupAt(before, x, y);
                    anyMove = anyMove || std::ssize(group) >= kSmallestGroup;

                    game.GameClick((y - 1) * 7 + (x - 1));

                    std::vector<std::pair<int, int>> taken;
                    for (int i = 1; i <= game.state.groupCount; ++i)
                        taken.emplace_back(game.state.groupX[i], game.state.groupY[i]);
                    ASSERT_EQ(pairsOf(group), taken) << rows[0] << " at " << x << "," << y;
                    EXPECT_EQ(window.count("PlaySound /prog/data/click.wav"),
                              std::ssize(group) >= kSmallestGroup ? 1 : 0);
                }
            setBoard(rows);
            EXPECT_EQ(hasMove(game.state.board), anyMove) << rows[0];
        }
    }
    EXPECT_TRUE(groupAt(game.state.board, 0, 1).empty());
    EXPECT_TRUE(groupAt(game.state.board, 8, 8).empty());
}

}  // namespace
}  // namespace qob
