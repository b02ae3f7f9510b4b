#pragma once
// Everything the site checks in a score record before it stores it: its form and seal,
// every field, and what the game's rules make possible. The rules' arithmetic comes from
// the engine (Game), the seal and the fields from the record codec.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "RecordCodec.h"
#include "SiteTime.h"

namespace qob::site {

// Records carry the player's local time without a zone. No place on earth is ahead of
// UTC by more than 14 hours; a few minutes more allow for a clock set slightly fast.
inline constexpr std::int64_t kLatestZoneSeconds = 14 * 3600;
inline constexpr std::int64_t kClockSlackSeconds = 10 * 60;

// A record that passed every check, as the site stores it.
struct CheckedRecord {
    RecordValues values;
    std::string seal;        // the four digests, joined: the same record has the same seal
    std::string playerName;  // the name piece made fit to show; empty when there is none
    std::string text;        // the record text whole, UTF-8
    bool verified = false;   // replayed to the same result
};

struct RecordVerdict {
    std::optional<CheckedRecord> record;
    std::string reason;  // why the record is refused, for the player to read
};

// Checks a record text (UTF-8, as decoded from the game's code page 936 bytes) at the
// site's moment `now`.
RecordVerdict checkScoreRecord(std::string_view text, TimePoint now);

// The least and the most that `rounds` moves of nLow..nHigh tiles each, `tiles` tiles in
// all, can add up to when each move of n tiles adds value(n), a function convex in n
// (as the game's scores are; otherwise the bounds are widened to what holds for any
// function). Requires rounds * nLow <= tiles <= rounds * nHigh.
struct SumRange {
    std::int64_t low = 0;
    std::int64_t high = 0;
};
SumRange sumRange(const std::function<std::int64_t(int)>& value, std::int64_t rounds,
                  std::int64_t tiles, int nLow, int nHigh);

// The bonus a "sport" game holds at a level: the level bonuses of every level reached,
// added with the engine's saturation.
std::int32_t levelBonusSum(std::int32_t levelNo);

// The fewest tiles that finish the levels before `levelNo` of a "sport" game.
std::int64_t fewestTilesBefore(std::int32_t levelNo);

// The player's name from the record's name piece: control characters as blanks, no
// blanks around it, bytes that are no UTF-8 as "?", at most kNameLimit characters.
std::string playerNameOf(std::string_view text);

}  // namespace qob::site
