#pragma once
// A game played again from its log, with the rules' own procedures: the first board
// is dealt from the logged identifier, each step is the click, ring button or clock
// tick of the log, and every random outcome the rules draw comes from the log.

#include <cstddef>
#include <optional>
#include <string_view>

#include "GameLog.h"
#include "GameState.h"

namespace qob {

enum class ReplayFault {
    None,
    UnknownMode,      // not "game", "sport" or "lim"
    TooLong,          // longer than any game keeps its log
    Unexpected,       // a character that is not what the rules need at its place
    Missing,          // the log ends inside a step
    ClickRefused,     // a click on a group of fewer than three tiles
    RingUnavailable,  // a ring button used while it is disabled
    ClockStands,      // a clock tick while the clock does not run
    AfterEnd,         // the log goes on after the rules ended the game
};

struct ReplayResult {
    ReplayFault fault = ReplayFault::None;
    // The step at fault, counted from 1 (0: the deal of the first board), and the
    // index in the log of the character at fault.
    int step = 0;
    std::size_t at = 0;
    // Unexpected and Missing: the outcome the rules needed there; nothing: a step.
    std::optional<Draw> need;
    int steps = 0;  // steps replayed
    // The rules ended the game (the 180th round, a board without a move, the clock):
    // state is then the game as they offered its record. Otherwise the game as the
    // last step left it.
    bool ended = false;
    GameState state;
};

// The cost is bounded by the log: every step takes at least one of its characters,
// and a log longer than kGameLogLimit is refused unread.
ReplayResult replayGame(std::string_view gameMode, std::string_view log);

}  // namespace qob
