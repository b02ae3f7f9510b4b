#pragma once
// Internals of md5Digest, visible so tests can check the message words themselves.

#include <cstdint>
#include <string_view>
#include <vector>

namespace qob::detail {

// The padded MD5 message md5Digest compresses, for a UTF-8 text of L UTF-16 code units:
// 16 * ((L + 8) / 64 + 1) words; the code of unit i OR-ed into word i / 4 shifted left by
// 8 * (i % 4); 0x80 OR-ed in at position L; the last two words hold L * 8 (low 32 bits) and L
// >> 29.
std::vector<std::uint32_t> textToMessageWords(std::string_view utf8Text);

}  // namespace qob::detail
