#include "Rng.h"

#include <bit>
#include <utility>

namespace qob {

namespace {

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;

// The finaliser of splitmix64: a bijection that spreads every input bit.
std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

Rng::Rng(Clock clock) : clock_(std::move(clock)) {
    setState(kGolden);
}

void Rng::setState(std::uint64_t state) {
    state_ = state;
    // The top 24 bits as a fraction: exact in single precision and always below 1.
    current_ = static_cast<float>(mix(state_) >> 40) * (1.0f / 16777216.0f);
}

void Rng::reseedFromClock() {
    setState(mix(state_ ^ clock_()));
}

void Rng::reseed(double x) {
    setState(mix(std::bit_cast<std::uint64_t>(x + 0.0)));
}

float Rng::next() {
    setState(state_ + kGolden);
    return current_;
}

float Rng::draw(double a) {
    return a > 0 ? next() : current_;
}

}  // namespace qob
