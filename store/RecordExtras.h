#pragma once
// What a record file carries beyond its 201 fields: pieces "|key=value" after field
// 200, which every reader of the 201 fields passes over. The seal does not cover
// them. A value keeps its characters but for "%", "|" and the control characters,
// which are written "%XX" (the hexadecimal code, upper case), so that a value never
// splits the record or breaks its line.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "GameLog.h"

namespace qob {

// A score record with all its pieces fits in this; the 201 fields take under 1 KiB.
inline constexpr std::size_t kScoreRecordLimit = 64 * 1024;

// The piece that names the player: the name typed in the save box, at most
// kNameLimit characters of it.
inline constexpr const char* kNameKey = "name";
inline constexpr std::size_t kNameLimit = 32;

// The piece that carries the game's log (its form: GameLog.h), in score records. Any
// game's log fits in what the replay reads.
inline constexpr const char* kLogKey = "log";
static_assert(kScoreRecordLimit <= kGameLogLimit);

using RecordExtra = std::pair<std::string, std::string>;  // key (a-z), value

// "|key=value" for each extra, values escaped.
std::string formatExtras(const std::vector<RecordExtra>& extras);

// The value of the first piece after field 200 with this key, unescaped; nothing
// when the record has no such piece or its value is not escaped as written.
std::optional<std::string> findExtra(std::string_view recordText, std::string_view key);

// Whether the record has a piece after field 200 with this key, well escaped or not.
bool hasExtra(std::string_view recordText, std::string_view key);

// Appends the log piece of a game to its score record when the log holds the whole
// game and the record still fits in kScoreRecordLimit with it; false when it does not
// (the record is then published without a replay).
bool appendGameLog(std::string& recordText, const GameLog& log);

std::string escapeExtraValue(std::string_view value);
std::optional<std::string> unescapeExtraValue(std::string_view value);

}  // namespace qob
