#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "FakeWindow.h"
#include "Game.h"
#include "GamePlayer.h"

namespace qob::test {

// The games the tests of the log and its replay need.
enum class GameKind {
    LimWhole,         // "lim" to its 180th round
    LimDeadBoard,     // "lim" ended early by a board without a move
    GameToItsEnd,     // "game" ended by a board without a move
    SportRunning,     // "sport" over four levels, ring buttons and clock used, still running
    SportClock,       // "sport" ended by the clock on its second level
    SportNoRingLeft,  // "sport" ended on a board without a move and no ring use left
    SportBoxTicks,    // "sport" whose clock ticks while its boxes are open, to its end
};
inline constexpr GameKind kGameKinds[] = {
    GameKind::LimWhole,   GameKind::LimDeadBoard,    GameKind::GameToItsEnd, GameKind::SportRunning,
    GameKind::SportClock, GameKind::SportNoRingLeft, GameKind::SportBoxTicks};
const char* modeOf(GameKind kind);
const char* describe(GameKind kind);

// A game played on a scripted window by a seeded player.
class SampleGame {
  public:
    SampleGame(GameKind kind, unsigned seed);

    // Plays the game; false when this seed's game did not turn out as its kind asks.
    bool play();
    // The game as its record holds it: as the rules offered it at the end, or as it
    // stands (a record saved with 保留成绩 while it runs).
    const GameState& recorded() const;

    const GameKind kind;
    std::uint64_t clock = 0;
    FakeWindow window;
    Game game;
    GamePlayer player;
};

// Plays games of a kind from seed 1 on until one turns out as the kind asks; nothing
// after 30 seeds. `prepare` sets up each game before it is played.
std::unique_ptr<SampleGame> playGameOf(GameKind kind,
                                       const std::function<void(SampleGame&)>& prepare = {});

}  // namespace qob::test
