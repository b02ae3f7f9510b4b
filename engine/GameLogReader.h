#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "DrawSource.h"
#include "GameLog.h"

namespace qob {

// Reads a game's log back for a replay: the steps one by one, and as the rules draw
// them, the outcomes that follow each step.
class GameLogReader : public DrawSource {
  public:
    enum class Action { Click, Rotation, Reshuffle, Tick };
    struct Step {
        Action action;
        int imageNum = 0;  // of a click
    };
    enum class Error {
        None,
        Unexpected,  // a character that is not what the rules need at its place
        Missing,     // the log ends where the rules need more of it
    };

    explicit GameLogReader(std::string_view text);

    // The next step; nothing at the end of the log or where the log holds no step
    // (error() then says why).
    std::optional<Step> nextStep();
    bool atEnd() const { return at_ == text_.size(); }
    // The index of the next character to read.
    std::size_t at() const { return at_; }

    // The logged outcome in place of the drawn one. Once the game has ended (stop), or
    // after an error, the drawn outcome stands, so the rules can always go on.
    std::string take(Draw draw, const std::string& drawn) override;
    void stop() { stopped_ = true; }

    Error error() const { return error_; }
    // Where the error lies: the index of its character, and what the rules needed there
    // (nothing: a step).
    std::size_t errorAt() const { return errorAt_; }
    std::optional<Draw> errorNeed() const { return errorNeed_; }
    // Where the step last read begins.
    std::size_t stepAt() const { return stepAt_; }

  private:
    void fail(Error error, std::optional<Draw> need);

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t stepAt_ = 0;
    bool stopped_ = false;
    Error error_ = Error::None;
    std::size_t errorAt_ = 0;
    std::optional<Draw> errorNeed_;
};

}  // namespace qob
