#include "SampleGame.h"

#include <algorithm>

namespace qob::test {

namespace {

bool holds(const std::string& text, char c) {
    return std::find(text.begin(), text.end(), c) != text.end();
}

}  // namespace

const char* modeOf(GameKind kind) {
    switch (kind) {
        case GameKind::LimWhole:
        case GameKind::LimDeadBoard:
            return kModeLim;
        case GameKind::GameToItsEnd:
            return kModeGame;
        default:
            return kModeSport;
    }
}

const char* describe(GameKind kind) {
    switch (kind) {
        case GameKind::LimWhole:
            return "a whole lim game";
        case GameKind::LimDeadBoard:
            return "a lim game ended by a board without a move";
        case GameKind::GameToItsEnd:
            return "a game game to its end";
        case GameKind::SportRunning:
            return "sport levels with ring uses and ticks, still running";
        case GameKind::SportClock:
            return "sport ended by the clock";
        case GameKind::SportNoRingLeft:
            return "sport ended on a board without a move and no ring use left";
        case GameKind::SportBoxTicks:
            return "sport whose clock ticks while its boxes are open";
    }
    return "";
}

SampleGame::SampleGame(GameKind kind, unsigned seed)
    : kind(kind), game(window, [this] { return ++clock; }), player(game, window, seed) {
    const std::string mode = modeOf(kind);
    window.option = mode == kModeGame ? 0 : mode == kModeSport ? 1 : 2;
    game.NewGame("auto");
    window.showBoard();
}

const GameState& SampleGame::recorded() const {
    return player.record() ? *player.record() : game.state;
}

bool SampleGame::play() {
    const auto& record = player.record();
    switch (kind) {
        case GameKind::LimWhole:
            player.play();
            return record && record->roundNo == kLimRounds;
        case GameKind::LimDeadBoard:
            player.play();
            return record && record->roundNo < kLimRounds;
        case GameKind::GameToItsEnd:
            player.play();
            return window.count("messageBox 没有可以消掉的泡泡了，游戏结束") == 1;
        case GameKind::SportRunning: {
            player.ringChance = 0.1;
            player.play([this] { return game.state.levelNo >= 4; });
            const std::string& log = game.state.gameLog.text();
            return !record && game.state.levelNo >= 4 && holds(log, kLogRotation) &&
                   holds(log, kLogReshuffle) && holds(log, kLogTick);
        }
        case GameKind::SportClock:
            player.play([this] { return game.state.levelNo >= 2; });
            player.runOutTheClock();
            return record && record->levelNo == 2 && record->clockValue == 100;
        case GameKind::SportNoRingLeft:
            player.ringChance = 0.5;
            player.tickChance = 0.05;
            player.play();
            return record && record->ringMoves == kRingUses && record->clockValue < 100;
        case GameKind::SportBoxTicks:
            // As the window's message loop runs on inside a modal box.
            window.duringMessageBox = [this](const std::string&) {
                for (int k = 0; k < 3 && window.timer1; ++k)
                    player.tick();
            };
            player.refusedChance = 0.2;
            player.play();
            return record && window.count("messageBox 一次消掉大于2个泡泡") > 0;
    }
    return false;
}

std::unique_ptr<SampleGame> playGameOf(GameKind kind,
                                       const std::function<void(SampleGame&)>& prepare) {
    for (unsigned seed = 1; seed <= 30; ++seed) {
        auto g = std::make_unique<SampleGame>(kind, seed);
        if (prepare) prepare(*g);
        if (g->play()) return g;
    }
    return nullptr;
}

}  // namespace qob::test
