#pragma once
// The digest that seals stored records.

#include <string>
#include <string_view>

namespace qob {

// MD5 over the text's UTF-16 code units, one byte position per unit, each unit contributing its
// CP936 code (see codePage936Code). Returns 32 upper-case hex digits.
//
// For text whose every unit is a single CP936 byte (all ASCII, for one) this is the ordinary MD5
// of those bytes. A unit that CP936 writes with two bytes still takes one position, and its
// negative, sign-extended code also sets every bit above its byte in that 32-bit word. Records
// already stored were sealed this way, so the quirk is kept exactly.
std::string md5Digest(std::string_view utf8Text);

}  // namespace qob
