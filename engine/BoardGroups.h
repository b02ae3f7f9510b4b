#pragma once

#include <array>
#include <string>
#include <vector>

#include "GameState.h"

// Which tiles belong together: the rule of the move's group search, for the move
// itself, for the check that a board still has a move, and for the window.
namespace qob {

// A cell of the play area: column 1..7 from the left, row 1..7 from the top.
struct Cell {
    int x;
    int y;
};

// The cells a click on (x, y) would take off the board (the clicked cell first), by the same
// rule as the move: equal first characters, touching at a side or a corner. Fewer than three
// cells: the click would be refused. Changes nothing.
std::vector<Cell> groupAt(const Grid& board, int x, int y);
// Whether some click on the board would take three or more tiles.
bool hasMove(const Grid& board);

// Whether (x, y) lies in the play area; groupAt of a cell outside it is empty.
inline bool onBoard(int x, int y) {
    return x >= 1 && x <= kBoardSize && y >= 1 && y <= kBoardSize;
}

// The fewest tiles a move takes.
inline constexpr int kSmallestGroup = 3;

// The eight neighbours of a cell in the order the search takes them: left, upper
// left, above, upper right, right, lower right, below, lower left.
inline constexpr std::array<Cell, 8> kNeighbourSteps{
    {{-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}}};

// What the move's work grid holds in a cell taken into the group. It has two
// characters, so it never equals the first character of a tile.
inline const std::string kTakenMark = "-1";

// One step of a group search on a work grid that holds the kind of every tile (its
// first character, or a code for it): every neighbour of (x, y) of the kind dice is
// marked with taken and handed to take(nx, ny), in the order of kNeighbourSteps.
// Cells off the play area are never taken, whatever they hold.
template <class Work, class Kind, class Take>
void takeEqualNeighbours(Work& work, int x, int y, const Kind& dice, const Kind& taken,
                         Take&& take) {
    for (const Cell& step : kNeighbourSteps) {
        const int nx = x + step.x;
        const int ny = y + step.y;
        if (!onBoard(nx, ny)) continue;
        auto& cell = work[nx][ny];
        if (cell != dice) continue;
        cell = taken;
        take(nx, ny);
    }
}

}  // namespace qob
