#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "FakeWindow.h"
#include "Game.h"

namespace qob::test {

// A game on a scripted window, its random clock a plain counter.
class GameFixture : public ::testing::Test {
  protected:
    GameFixture() : game(window, [this] { return ++ticks; }) {}

    // Starts a running game in a mode without any box or sound in the log.
    void startGame(const std::string& mode) {
        window.option = mode == kModeGame ? 0 : mode == kModeSport ? 1 : 2;
        game.NewGame("auto");
        window.log.clear();
    }

    // Rows top to bottom, one character a cell.
    void setBoard(const std::array<std::string, 7>& rows) {
        for (int y = 1; y <= 7; ++y)
            for (int x = 1; x <= 7; ++x)
                game.state.board[x][y] = rows[y - 1].substr(x - 1, 1);
    }

    // The first character of every cell, rows top to bottom.
    std::array<std::string, 7> boardRows() const {
        std::array<std::string, 7> rows;
        for (int y = 1; y <= 7; ++y)
            for (int x = 1; x <= 7; ++x)
                rows[y - 1] += game.state.board[x][y].substr(0, 1);
        return rows;
    }

    // A running game on a board without groups, with kind 8 at the given cells and a
    // spare group of kind 9 at the top of the right column, so that the board keeps a
    // move after the test's own.
    void startWithEights(const std::string& mode,
                         std::initializer_list<std::pair<int, int>> cells) {
        startGame(mode);
        auto rows = quietRows();
        for (int y = 2; y <= 4; ++y)
            rows[y - 1][6] = '9';
        for (auto [x, y] : cells)
            rows[y - 1][x - 1] = '8';
        setBoard(rows);
    }

    // A board where no two touching cells are equal: neighbours differ by 1, 2, 3
    // or 4 kinds (mod 7).
    static std::array<std::string, 7> quietRows() {
        std::array<std::string, 7> rows;
        for (int y = 1; y <= 7; ++y)
            for (int x = 1; x <= 7; ++x)
                rows[y - 1] += static_cast<char>('1' + (x + 3 * y) % 7);
        return rows;
    }

    std::uint64_t ticks = 0;
    FakeWindow window;
    Game game;
};

}  // namespace qob::test
