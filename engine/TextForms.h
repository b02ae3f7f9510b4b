#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The text forms that the status line and the game records share, and the
// number conversions the rules rely on.
namespace qob {

// Up to 15 significant digits, no trailing zeros: 1.2, 6.66666666666667, 100.
std::string formatDouble(double value);

// Nearest 32-bit integer, halves to the even neighbour (36.5 -> 36, 37.5 -> 38);
// values beyond the 32-bit range stop at its ends.
std::int32_t roundToInt32(double value);

// a + b, stopping at the ends of the 32-bit range instead of wrapping.
std::int32_t saturatingAdd(std::int32_t a, std::int64_t b);

// Strict parsers for what the writers produce: an optional "-" and decimal
// digits (and for doubles a fraction and exponent); nothing else, not even blanks.
std::optional<std::int32_t> parseInt32(std::string_view text);
std::optional<double> parseDouble(std::string_view text);

// The first character of a UTF-8 text (empty for an empty text), and the number
// of characters in it.
std::string firstCharacter(std::string_view text);
std::string_view firstCharacterView(std::string_view text);
std::size_t characterCount(std::string_view text);

}  // namespace qob
