#pragma once
// Code page 936 (GBK as Windows defines it), the single place the program turns text into and out
// of that code page. Stored records were sealed with this exact byte mapping, so every conversion
// goes through here.
//
// The mapping is read once from the platform converter (glibc iconv "CP936", or the Windows code
// page 936 tables) into lookup tables; after that every call is table work. If the platform has no
// CP936 converter at all, the first call that needs the tables throws std::runtime_error rather
// than quietly producing wrong bytes; pure ASCII never needs them.

#include <cstdint>
#include <string>
#include <string_view>

namespace qob {

// UTF-8 to UTF-16 code units. Each maximal ill-formed subpart becomes one U+FFFD; characters
// above U+FFFF become surrogate pairs.
std::u16string utf16FromUtf8(std::string_view utf8);

// The code of one UTF-16 code unit as the record digest uses it:
//   - written by CP936 as one byte b: b (ASCII is itself, U+20AC "€" is 0x80);
//   - written as two bytes p, q: p*256+q read as a signed 16-bit value, sign-extended, i.e.
//     0xFFFF0000 | p << 8 | q, always negative;
//   - not representable (this includes every surrogate, since units are mapped one by one): 63.
std::int32_t codePage936Code(char16_t unit);

// UTF-8 text to CP936 bytes. Each UTF-16 code unit that CP936 cannot write becomes one "?", so a
// character above U+FFFF becomes "??" and a malformed UTF-8 subpart becomes "?".
std::string toCodePage936(std::string_view utf8);

// CP936 bytes to UTF-8. Every byte that is not part of a valid character becomes "?": a stray
// 0xFF, a lead byte cut off at the end, an unassigned pair. A lead byte followed by an ASCII byte
// that does not complete a character gives "?" and the ASCII byte is kept. NUL bytes are kept.
std::string fromCodePage936(std::string_view bytes);

}  // namespace qob
