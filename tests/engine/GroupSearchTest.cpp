#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "GameFixture.h"

namespace qob {
namespace {

using Cell = std::pair<int, int>;

class GroupSearch : public test::GameFixture {
  protected:
    // Clicks (x, y) on a running "game" board and returns the group lists.
    std::vector<Cell> click(const std::array<std::string, 7>& rows, int x, int y) {
        startGame(kModeGame);
        setBoard(rows);
        game.GameClick((y - 1) * 7 + (x - 1));
        std::vector<Cell> cells;
        for (int i = 1; i <= game.state.groupCount; ++i)
            cells.emplace_back(game.state.groupX[i], game.state.groupY[i]);
        return cells;
    }
};

TEST_F(GroupSearch, FindsTheGroupsOfCornersEdgesAndDiagonals) {
    const struct {
        const char* what;
        std::array<std::string, 7> rows;
        Cell clicked;
        std::set<Cell> group;
        int minX, maxX;
    } cases[] = {
        {"lone corner tile",
         {"1234567", "4567123", "7123456", "3456712", "6712345", "2345671", "5671234"},
         {1, 1},
         {{1, 1}},
         1,
         1},
        {"diagonal-only contact",
         {"1234567", "4167123", "7213456", "3456712", "6712345", "2345671", "5671234"},
         {2, 2},
         {{1, 1}, {2, 2}, {3, 3}},
         1,
         3},
        {"edge column, bottom corner",
         {"1234567", "4567123", "7123456", "3456712", "5712345", "5345671", "5671234"},
         {1, 7},
         {{1, 5}, {1, 6}, {1, 7}},
         1,
         1},
        {"right edge from the top",
         {"1234577", "4567127", "7123457", "3456712", "6712345", "2345671", "5671234"},
         {7, 1},
         {{6, 1}, {7, 1}, {7, 2}, {7, 3}},
         6,
         7},
        {"snake across columns 2 to 6",
         {"2234567", "4111113", "7123456", "3456712", "6712345", "2345671", "5671234"},
         {4, 2},
         {{2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {2, 3}},
         2,
         6},
    };
    for (const auto& c : cases) {
        const auto cells = click(c.rows, c.clicked.first, c.clicked.second);
        EXPECT_EQ(std::set<Cell>(cells.begin(), cells.end()), c.group) << c.what;
        EXPECT_EQ(cells.size(), c.group.size()) << c.what << ": a cell listed twice";
        EXPECT_EQ(game.state.groupSize, static_cast<int>(c.group.size())) << c.what;
        EXPECT_EQ(game.state.groupMinX, c.minX) << c.what;
        EXPECT_EQ(game.state.groupMaxX, c.maxX) << c.what;
        EXPECT_EQ(cells.front(), c.clicked) << c.what;
    }
}

TEST_F(GroupSearch, ListsNeighboursInTheFixedOrderBreadthFirst) {
    // (4,4) with equal tiles left and right only: left comes first.
    auto cells =
        click({"1234567", "4567123", "7123456", "3477712", "6512345", "2345671", "5671234"}, 4, 4);
    EXPECT_EQ(cells, (std::vector<Cell>{{4, 4}, {3, 4}, {5, 4}}));

    // All eight neighbours of (4,4): left, upper left, above, upper right, right,
    // lower right, below, lower left; then their own neighbours, in list order.
    cells =
        click({"2222222", "2333332", "2311132", "2311132", "2311132", "2333332", "2222222"}, 4, 4);
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(std::vector<Cell>(cells.begin() + 1, cells.end()),
              (std::vector<Cell>{{3, 4}, {3, 3}, {4, 3}, {5, 3}, {5, 4}, {5, 5}, {4, 5}, {3, 5}}));
}

TEST_F(GroupSearch, TheWholeBoardOfOneKindIsOneGroup) {
    const auto cells =
        click({"5555555", "5555555", "5555555", "5555555", "5555555", "5555555", "5555555"}, 3, 6);
    EXPECT_EQ(cells.size(), 49u);
    EXPECT_EQ(std::set<Cell>(cells.begin(), cells.end()).size(), 49u);
    EXPECT_EQ(game.state.groupOpen[50], 0);
    EXPECT_EQ(game.state.sizeTally[49], 1);
}

TEST(ImageIndex, MapsToColumnAndRow) {
    const struct {
        int image, x, y;
    } cases[] = {{0, 1, 1}, {6, 7, 1}, {7, 1, 2}, {42, 1, 7}, {48, 7, 7}};
    for (const auto& c : cases) {
        test::FakeWindow window;
        Game game(window, [] { return std::uint64_t{1}; });
        game.NewGame("auto");
        game.GameClick(c.image);
        EXPECT_EQ(game.state.groupX[1], c.x) << c.image;
        EXPECT_EQ(game.state.groupY[1], c.y) << c.image;
    }
}

}  // namespace
}  // namespace qob
