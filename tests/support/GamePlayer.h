#pragma once

#include <functional>
#include <optional>
#include <random>

#include "FakeWindow.h"
#include "Game.h"

namespace qob::test {

// Plays games on a scripted window the way a player at the game's window does, so that
// tests and benchmarks can make whole games. Each action is what the window hands to the
// rules: a click on a tile followed by the redraw, a ring button while it is enabled, a
// tick of the level clock while the clock runs. The redraw cuts the cells back and stops
// the clock in "game" and "lim", as the window's does. Choices come from a seeded
// generator; the window's clock moves on 3 seconds a click, 2 a ring button and the
// clock's interval a tick.
class GamePlayer {
  public:
    enum class Style {
        Random,    // any group of three or more
        Greedy,    // the largest group
        Smallest,  // the smallest group: the most steps for the log's length
    };

    GamePlayer(Game& game, FakeWindow& window, unsigned seed, Style style = Style::Random);

    // Chances per action of a clock tick (while it runs), of a ring button (while they are
    // enabled and the board has a move; with none they are always used), and of a click
    // the rules refuse.
    double tickChance = 0.3;
    double ringChance = 0.03;
    double refusedChance = 0.02;

    // One action. False once the rules have ended the game.
    bool act();
    // Acts until the rules end the game, until done() holds, or for at most `actions`.
    void play(const std::function<bool()>& done = {}, int actions = 200000);
    // Ticks the clock until the rules end the game.
    void runOutTheClock();
    // One tick of the clock, the window's clock an interval later.
    void tick();

    // The game as it stood when the rules offered its record, once they have.
    const std::optional<GameState>& record() const { return record_; }
    // Runs inside the window's record offer, after the game was taken.
    std::function<void()> onRecord;

  private:
    void click(int imageNum);
    void ringButton(bool rotation);
    bool clockRuns() const;

    Game& game_;
    FakeWindow& window_;
    std::mt19937 random_;
    Style style_;
    std::optional<GameState> record_;
};

}  // namespace qob::test
