// The move: group search, scoring, the mode's goal, collapse and refill.
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "BoardGroups.h"
#include "Game.h"
#include "Praise.h"
#include "TextForms.h"

namespace qob {

namespace {

const char* const kClickSound = "\\data\\click.wav";

bool isTileText(const std::string& text) {
    return text.size() == 1 && text[0] >= '1' && text[0] <= '9';
}

}  // namespace

void Game::GameClick(int ImageNum) {
    if (state.gameState != kStateRun) NewGame("boxok");
    window_.setTimer1Enabled(state.gameMode == kModeSport);

    const int x = ImageNum % kBoardSize + 1;
    const int y = ImageNum / kBoardSize + 1;
    for (int j = 1; j <= kBoardSize; ++j)
        for (int i = 1; i <= kBoardSize; ++i)
            state.searchBoard[i][j] = firstCharacter(state.board[i][j]);

    for (int i = 0; i <= 50; ++i) {
        state.groupOpen[i] = 0;
        state.groupX[i] = 0;
        state.groupY[i] = 0;
    }
    state.groupCount = 1;
    state.groupCursor = 1;
    state.groupOpen[1] = 1;
    state.groupX[1] = static_cast<std::int16_t>(x);
    state.groupY[1] = static_cast<std::int16_t>(y);
    state.groupMinX = x;
    state.groupMaxX = x;

    const std::string clicked = state.board[x][y];
    state.searchBoard[x][y] = kTakenMark;

    // Breadth first: the lists grow behind the cursor until no entry is left.
    state.groupSize = 0;
    while (state.groupOpen[state.groupCursor] == 1) {
        SearchDragon(state.groupX[state.groupCursor], state.groupY[state.groupCursor], clicked);
        state.groupCursor += 1;
    }
    state.groupSize = state.groupCursor - 1;

    bool accepted = false;
    if (state.groupSize >= kSmallestGroup) {
        accepted = true;
        state.gameLog.click(ImageNum);
        window_.PlaySound(programPath(window_, kClickSound));
        scoreMove();
        accepted = progressMove();
    } else {
        window_.messageBox("一次消掉大于2个泡泡，才能继续。", MsgButtons::Ok, MsgIcon::Critical);
    }
    if (accepted) {
        UpdateBoard();
        meetDeadBoard(false, true);
    }
}

void Game::SearchDragon(int dxx, int dyy, const std::string& dice) {
    takeEqualNeighbours(state.searchBoard, dxx, dyy, dice, kTakenMark, [this](int nx, int ny) {
        state.groupCount += 1;
        state.groupOpen[state.groupCount] = 1;
        state.groupX[state.groupCount] = static_cast<std::int16_t>(nx);
        state.groupY[state.groupCount] = static_cast<std::int16_t>(ny);
        if (nx > state.groupMaxX) state.groupMaxX = nx;
        if (nx < state.groupMinX) state.groupMinX = nx;
    });
}

void Game::UpdateBoard() {
    if (state.groupMinX < 1) state.groupMinX = 1;
    if (state.groupMaxX > kBoardSize) state.groupMaxX = kBoardSize;
    const std::string step = std::to_string(state.roundNo);
    for (int c = state.groupMinX; c <= state.groupMaxX; ++c)
        MakeGQuick(c, step);
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x)
            state.board[x][y] = state.searchBoard[x][y];
}

void Game::MakeGQuick(int Col, const std::string& gameStep) {
    std::array<std::string, 9> buffer;
    int survivors = 0;
    for (int j = 1; j <= kBoardSize; ++j)
        if (isTileText(state.searchBoard[Col][j])) ++survivors;
    // Seven new tiles on every call, however many places are free; only the top ones,
    // one for each free place, enter the board.
    const int vacant = kBoardSize - std::min(survivors, kBoardSize);
    for (int i = 1; i <= kBoardSize; ++i) {
        std::string tile = getRndDice(7);
        if (i <= vacant) tile = outcome(Draw::Tile, std::move(tile));
        buffer[i] = tile + gameStep;
    }
    int k = kBoardSize;
    for (int j = kBoardSize; j >= 1; --j) {
        const std::string& cell = state.searchBoard[Col][j];
        if (!isTileText(cell)) continue;
        buffer[k] = cell;
        if (--k < 1) break;
    }
    for (int j = kBoardSize; j >= 1; --j)
        state.searchBoard[Col][j] = buffer[j];
}

std::optional<std::int64_t> Game::movePoints(std::string_view mode, int n) {
    const std::int64_t cube = static_cast<std::int64_t>(n - 2) * (n - 2) * (n - 2);
    if (mode == kModeGame && n >= 5) return cube;
    if (mode == kModeLim) return static_cast<std::int64_t>(std::floor(std::pow(n - 2, 3.5)));
    if (mode == kModeSport) return cube;
    return std::nullopt;
}

std::int64_t Game::moveBonus(std::string_view mode, int n) {
    return mode == kModeGame && n >= 5 ? 10LL * (n - 4) * (n - 4) : 0;
}

double Game::levelGain(int levelNo, int n) {
    return (100.0 / 1500.0) * std::pow(1.05, levelNo - 1.0) * (n * n);
}

void Game::scoreMove() {
    const int n = state.groupSize;
    const std::optional<std::int64_t> points = movePoints(state.gameMode, n);
    state.bonusScore = saturatingAdd(state.bonusScore, moveBonus(state.gameMode, n));
    state.moveScore = saturatingAdd(state.moveScore, points.value_or(0));
    state.tilesCleared = saturatingAdd(state.tilesCleared, n);
    state.totalScore = saturatingAdd(state.bonusScore, state.moveScore);
    state.roundNo = saturatingAdd(state.roundNo, 1);
    if (n >= 0 && n <= 50) state.sizeTally[n] = saturatingAdd(state.sizeTally[n], 1);
    state.moveMessage = "本轮:[" + std::to_string(n) + "," +
                        (points ? std::to_string(*points) : std::string()) + "]" + praiseFor(n);
}

bool Game::progressMove() {
    const int n = state.groupSize;
    if (state.gameMode == kModeSport) {
        state.levelProgress += levelGain(state.levelNo, n);
        ProgressBarControl& bar = window_.progressBar2();
        if (state.levelProgress >= 100) {
            state.gameState = kStateStop;
            state.levelProgress = 100;
            window_.setTimer1Enabled(false);
            bar.setValue(100);
            window_.messageBox("祝贺，你神奇地进入下一关，继续努力哦！", MsgButtons::Ok,
                               MsgIcon::Information);
            NewZone();
            return false;  // the new level's board has replaced the tiles
        }
        bar.setSmooth(true);
        bar.setVertical(true);
        bar.setFillColor(kGreen);
        bar.setValue(roundToInt32(state.levelProgress));
    } else if (state.gameMode == kModeLim) {
        ProgressBarControl& bar = window_.progressBar1();
        bar.setSmooth(true);
        bar.setVertical(true);
        const double share = state.roundNo / static_cast<double>(kLimRounds) * 100.0;
        if (std::floor(share) <= 100) bar.setValue(static_cast<int>(std::floor(share)));
        if (state.roundNo >= kLimRounds) {
            // The last move's tiles fall here: the final board is drawn before the end.
            UpdateBoard();
            endOnBoard("已经达到" + std::to_string(kLimRounds) +
                       "轮次，游戏结束！保留成绩后，可发布成绩。");
            return false;
        }
    }
    return true;
}

}  // namespace qob
