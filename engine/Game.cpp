#include "Game.h"

#include <cmath>
#include <utility>

#include "BoardGroups.h"
#include "TextForms.h"

namespace qob {

namespace {

const char* const kNewGameTitle = "QOB霁虹珠台 新游戏";
const char* const kStartSound = "\\data\\startgame.wav";
const char* const kTimeOutMessage = "游戏结束，再接再厉！可以保存成绩。";

bool isRingCell(int x, int y) {
    return x == 1 || y == 1 || x == kBoardSize || y == kBoardSize;
}

}  // namespace

Game::Game(GameWindow& window, Rng::Clock rngClock) : window_(window), rng_(std::move(rngClock)) {}

std::string Game::getGameID() {
    rng_.reseedFromClock();
    const double r = rng_.draw(window_.now().timeOfDayFraction());
    return std::to_string(static_cast<long>(std::floor(r * 999999.0 + 1.0)));
}

std::string Game::getDice(double rndnum) {
    rng_.reseed(rndnum);
    const float r = rng_.next();
    return std::to_string(static_cast<int>(std::floor(r * 7.0f + 1.0f)));
}

std::string Game::getRndDice(int N) {
    rng_.reseedFromClock();
    const float r1 = rng_.next();
    const float r2 = rng_.draw(r1);
    const int value = static_cast<int>(std::floor(static_cast<float>(N) * r2 + 1.0f));
    // Single precision could round N * r up to N for a very large N.
    return std::to_string(std::min(value, std::max(N, 1)));
}

void Game::fillBoard(const std::string& id) {
    state.gameID = id;
    const std::int32_t base = parseInt32(id).value_or(0);
    int k = 1;
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x)
            state.board[x][y] = getDice(base + k++);
}

std::string Game::outcome(Draw draw, std::string drawn) {
    if (draws_ != nullptr) drawn = draws_->take(draw, drawn);
    state.gameLog.outcome(draw, drawn);
    return drawn;
}

void Game::dealBoard() {
    // About one deal in three thousand has no group of three.
    do {
        fillBoard(outcome(Draw::GameID, getGameID()));
    } while (!hasMove(state.board));
}

void Game::NewGame(const std::string& sType) {
    MsgAnswer answer = MsgAnswer::Ok;
    if (sType == "box") {
        answer = window_.messageBox("是否开始一个新游戏！", MsgButtons::OkCancel, MsgIcon::None,
                                    kNewGameTitle);
    } else if (sType == "boxok") {
        window_.messageBox("开始一个新游戏！", MsgButtons::Ok, MsgIcon::None, kNewGameTitle);
    }
    if (answer != MsgAnswer::Ok) return;

    window_.PlaySound(programPath(window_, kStartSound));
    state.gameLog.start();
    dealBoard();
    state.spareValue = "0";
    state.roundNo = 0;
    state.ringMoves = 0;

    const int option = window_.selectedOption();
    if (option == 0 || option == 2) {
        state.gameMode = option == 0 ? kModeGame : kModeLim;
        window_.setTimer1Enabled(false);
        window_.setRingButtonsEnabled(false);
        state.clockValue = 0;
        state.levelProgress = 0;
        window_.progressBar1().setValue(0);
        window_.progressBar2().setValue(0);
        state.levelNo = 0;
    } else if (option == 1) {
        state.gameMode = kModeSport;
        window_.setRingButtonsEnabled(true);
        window_.setTimer1Enabled(true);
        window_.progressBar1().setSmooth(true);
        window_.progressBar2().setSmooth(true);
        state.clockValue = 0;
        state.levelProgress = 0;
        window_.progressBar1().setValue(0);
        window_.progressBar2().setValue(0);
        state.levelNo = 1;
    }

    state.startTime = window_.now();
    state.saveTime = DateTime{};
    state.totalScore = 0;
    state.bonusScore = 0;
    state.moveScore = 0;
    state.moveMessage.clear();
    state.tilesCleared = 0;
    state.gameState = kStateRun;
}

int Game::levelBonus(int levelNo) {
    return roundToInt32(2000.0 * std::pow(1.1, levelNo));
}

void Game::NewZone() {
    window_.PlaySound(programPath(window_, kStartSound));
    dealBoard();
    state.levelNo = saturatingAdd(state.levelNo, 1);
    state.bonusScore = saturatingAdd(state.bonusScore, levelBonus(state.levelNo));
    state.moveMessage = "祝贺，你神奇地进入下一关了！";
    state.ringMoves = 0;
    window_.setRingButtonsEnabled(true);
    state.levelProgress = 0;
    state.clockValue = 0;
    window_.progressBar1().setValue(0);
    window_.progressBar2().setValue(0);
    window_.setTimer1Enabled(true);
    state.gameState = kStateRun;
}

int Game::clockInterval(int levelNo) {
    return roundToInt32(360.0 * std::pow(0.9, levelNo - 1.0) / 100.0 * 1000.0);
}

void Game::Timer1_Timer() {
    // A tick that comes while the end of the game waits in one of its boxes
    // must not end the game a second time; the new game restarts the clock.
    if (gameOverRunning_) return;
    state.gameLog.tick();

    window_.setTimer1Interval(clockInterval(state.levelNo));
    ProgressBarControl& bar = window_.progressBar1();
    bar.setSmooth(true);
    bar.setVertical(true);
    state.clockValue += 1;
    if (state.clockValue >= bar.max()) {
        state.gameState = kStateStop;
        bar.setValue(100);
        window_.setTimer1Enabled(false);
        finishGame(kTimeOutMessage, MsgIcon::Critical);
        return;
    }
    if (state.clockValue >= 0 && state.clockValue < 80)
        bar.setFillColor(kBlue);
    else if (state.clockValue >= 80 && state.clockValue <= 100)
        bar.setFillColor(kRed);
    bar.setValue(roundToInt32(state.clockValue));
}

void Game::finishGame(const std::string& message, MsgIcon icon) {
    gameOverRunning_ = true;
    window_.messageBox(message, MsgButtons::Ok, icon);
    window_.RecFileSave();
    NewGame("boxok");
    window_.showBoard();
    gameOverRunning_ = false;
}

void Game::endOnBoard(const std::string& message) {
    state.gameState = kStateStop;
    window_.showBoard();
    finishGame(message, MsgIcon::Information);
}

void Game::meetDeadBoard(bool onScreen, bool hadMove) {
    if (hasMove(state.board)) return;
    if (state.gameMode == kModeGame || state.gameMode == kModeLim) {
        endOnBoard("没有可以消掉的泡泡了，游戏结束！可以保存成绩。");
    } else if (state.gameMode == kModeSport) {
        if (state.ringMoves < kRingUses) {
            // Told once, when the board loses its last move; the clock runs on.
            if (!hadMove) return;
            if (!onScreen) window_.showBoard();
            window_.messageBox("没有可以消掉的泡泡了，试试外边转动或内盘重组！", MsgButtons::Ok,
                               MsgIcon::Information);
        } else {
            state.gameState = kStateStop;
            window_.setTimer1Enabled(false);
            if (!onScreen) window_.showBoard();
            finishGame(kTimeOutMessage, MsgIcon::Critical);
        }
    }
}

void Game::countRingMove() {
    state.ringMoves = saturatingAdd(state.ringMoves, 1);
    if (state.ringMoves >= kRingUses) window_.setRingButtonsEnabled(false);
}

void Game::Command8_Click() {
    state.gameLog.rotation();
    const bool hadMove = hasMove(state.board);
    countRingMove();
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x) {
            if (isRingCell(x, y))
                state.searchBoard[8 - y][x] = state.board[x][y];
            else
                state.searchBoard[x][y] = state.board[x][y];
        }
    for (int y = 1; y <= kBoardSize; ++y)
        for (int x = 1; x <= kBoardSize; ++x)
            if (isRingCell(x, y)) state.board[x][y] = state.searchBoard[x][y];
    window_.showBoard();
    meetDeadBoard(true, hadMove);
}

void Game::Command9_Click() {
    state.gameLog.reshuffle();
    const bool hadMove = hasMove(state.board);
    countRingMove();
    std::array<std::string, 26> items;  // 1..25
    int n = 1;
    for (int y = 2; y <= 6; ++y)
        for (int x = 2; x <= 6; ++x)
            items[n++] = state.board[x][y];
    // Every place swaps with one drawn from all 25 (not a Fisher-Yates shuffle).
    for (int k = 1; k <= 25; ++k) {
        const int r = *parseInt32(outcome(Draw::Shuffle, getRndDice(kShufflePlaces)));
        std::swap(items[k], items[r]);
    }
    n = 1;
    for (int y = 2; y <= 6; ++y)
        for (int x = 2; x <= 6; ++x)
            state.board[x][y] = items[n++];
    window_.showBoard();
    meetDeadBoard(true, hadMove);
}

}  // namespace qob
