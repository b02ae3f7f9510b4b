#pragma once
// Games played by the engine's own rules on a scripted window, and their score records
// written by the game's own record procedure.

#include <cstdint>
#include <string>

#include "FakeWindow.h"
#include "Game.h"

namespace qob::test {

class PlayedGame {
  public:
    // A new game in "game", "sport" or "lim", started at `start` on the window's clock.
    PlayedGame(const std::string& mode, DateTime start, std::uint64_t seed = 1);
    ~PlayedGame();
    PlayedGame(const PlayedGame&) = delete;
    PlayedGame& operator=(const PlayedGame&) = delete;

    // Makes up to `moves` accepted moves, a few seconds apart, each on the largest group
    // (in "sport" a reshuffle when no group is left); returns how many it made. Stops at
    // the end of a game, or when no group is left.
    int play(int moves);
    // Ticks of the level clock ("sport"), each a clock interval later.
    void tick(int ticks);
    // What RecFileSave writes for the game now, with the name typed in the box.
    std::string save(const std::string& name);
    // The record written when the game ended by itself (the last round of "lim", the
    // clock's end in "sport"); empty until then.
    const std::string& finalRecord() const { return final_; }

  private:
    // The game's random clock, a counter from the seed on; made before the game.
    std::uint64_t ticks_;

  public:
    FakeWindow window;
    Game game;

  private:
    bool playOne();
    void advance(int seconds);

    std::string folder_;
    int saved_ = 0;
    std::string final_;
    std::string finalName_ = "终局";
};

}  // namespace qob::test
