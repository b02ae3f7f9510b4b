#pragma once
// A score record checked against the log of its game: the rules play the log again
// and must end exactly in the game the record holds.

#include <string>
#include <string_view>

#include "RecordCodec.h"

namespace qob {

enum class ReplayVerdict {
    NoLog,     // the record carries no log (an older writer, or a game that outgrew it)
    Verified,  // the log replays to the record's game
    Refused,   // the log does not
};

struct RecordReplay {
    ReplayVerdict verdict = ReplayVerdict::NoLog;
    std::string reason;  // when refused: why, in words for the player
};

// values: the record's own fields (parseRecord of recordText).
RecordReplay replayRecord(std::string_view recordText, const RecordValues& values);

}  // namespace qob
