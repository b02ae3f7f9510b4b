#include "BoardGroups.h"

#include <string_view>

#include "TextForms.h"

namespace qob {

namespace {

// The work grid of a search on the board as drawn: the kind of every play cell as
// a number, equal for equal first characters (a tile that is still new counts by
// its digit). Numbers compare far faster than texts, and the check runs after
// every change of the board.
using KindGrid = std::array<std::array<int, 9>, 9>;
constexpr int kTakenKind = -1;

KindGrid kindsOf(const Grid& board) {
    KindGrid kinds{};
    // A byte below 0x80 is a whole character (every tile's digit is one); longer
    // first characters are numbered as they are met.
    std::array<std::string_view, kTileCount> longer;
    int longerCount = 0;
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x) {
            const std::string& cell = board[x][y];
            int& kind = kinds[x][y];
            if (cell.empty()) {
                kind = 0;
            } else if (static_cast<unsigned char>(cell[0]) < 0x80) {
                kind = 1 + cell[0];
            } else {
                const std::string_view first = firstCharacterView(cell);
                int i = 0;
                while (i < longerCount && longer[i] != first)
                    ++i;
                if (i == longerCount) longer[longerCount++] = first;
                kind = 0x100 + i;
            }
        }
    return kinds;
}

}  // namespace

std::vector<Cell> groupAt(const Grid& board, int x, int y) {
    if (!onBoard(x, y)) return {};
    KindGrid work = kindsOf(board);
    const int dice = work[x][y];
    work[x][y] = kTakenKind;
    std::vector<Cell> cells{{x, y}};
    // Breadth first, as the move lists its group.
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Cell from = cells[i];
        takeEqualNeighbours(work, from.x, from.y, dice, kTakenKind, [&cells](int nx, int ny) {
            cells.push_back({nx, ny});
        });
    }
    return cells;
}

bool hasMove(const Grid& board) {
    // Every cell is searched from once at most: a group already met stays marked.
    KindGrid work = kindsOf(board);
    std::array<Cell, kTileCount> taken;  // the group's cells after the first
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x) {
            if (work[x][y] == kTakenKind) continue;
            const int dice = work[x][y];
            work[x][y] = kTakenKind;
            int count = 0;
            Cell from{x, y};
            for (int next = 0;; from = taken[next++]) {
                takeEqualNeighbours(work, from.x, from.y, dice, kTakenKind, [&](int nx, int ny) {
                    taken[count++] = {nx, ny};
                });
                if (1 + count >= kSmallestGroup) return true;
                if (next == count) break;
            }
        }
    return false;
}

}  // namespace qob
