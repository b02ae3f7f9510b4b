#pragma once
// Internal to qob_digest: walks UTF-8 text as UTF-16 code units without allocating.

#include <cstddef>
#include <string_view>

namespace qob::detail {

inline constexpr char16_t kReplacementUnit = 0xFFFD;

// Calls unit(char16_t) for every UTF-16 code unit of the UTF-8 text. Each maximal ill-formed
// subpart (a stray byte, a cut-off sequence, an overlong form, an encoded surrogate, anything past
// U+10FFFF) becomes one U+FFFD, and decoding resumes at the first byte that broke the sequence, so
// a damaged character never swallows the ASCII after it.
template <typename UnitSink>
void forEachUtf16Unit(std::string_view utf8, UnitSink&& unit) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned b0 = p[i];
        if (b0 < 0x80) {
            unit(static_cast<char16_t>(b0));
            ++i;
            continue;
        }
        int more;            // continuation bytes still to come
        unsigned lo = 0x80;  // allowed range of the first continuation byte
        unsigned hi = 0xBF;
        char32_t cp;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            more = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            more = 2;
            cp = b0 & 0x0F;
            if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
            if (b0 == 0xED) hi = 0x9F;  // no UTF-16 surrogates
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            more = 3;
            cp = b0 & 0x07;
            if (b0 == 0xF0) lo = 0x90;  // no overlong forms
            if (b0 == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
        } else {
            unit(kReplacementUnit);
            ++i;
            continue;
        }
        ++i;
        bool complete = true;
        for (; more > 0; --more) {
            if (i >= n || p[i] < lo || p[i] > hi) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (p[i] & 0x3F);
            ++i;
            lo = 0x80;
            hi = 0xBF;
        }
        if (!complete) {
            unit(kReplacementUnit);
        } else if (cp < 0x10000) {
            unit(static_cast<char16_t>(cp));
        } else {
            cp -= 0x10000;
            unit(static_cast<char16_t>(0xD800 + (cp >> 10)));
            unit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
    }
}

}  // namespace qob::detail
