#pragma once

#include <cstdint>
#include <functional>

namespace qob {

// The game's one pseudo-random generator. Every random value of the game is drawn
// from it: new boards, refill tiles and inner reshuffles.
class Rng {
  public:
    // Any reading that changes from one moment to the next (nanoseconds of a
    // steady clock in the program, a counter in tests).
    using Clock = std::function<std::uint64_t()>;

    explicit Rng(Clock clock);

    // Derives a new state from the clock (mixed with the current state, so that two
    // reseeds within one clock tick still differ).
    void reseedFromClock();
    // Derives a new state from the number x alone: the same x always gives the
    // same following draws.
    void reseed(double x);
    // Advances and returns a value 0 <= r < 1 (24 significant bits).
    float next();
    // For a > 0 the same as next(); otherwise the value of the current state
    // without advancing (the value returned last, or the reseeded state's value).
    float draw(double a);

  private:
    void setState(std::uint64_t state);

    Clock clock_;
    std::uint64_t state_ = 0;
    float current_ = 0;
};

}  // namespace qob
