#pragma once
// A deliberately plain MD5 for the tests, written from RFC 1321 and sharing nothing with
// the code under test: its sine table and message schedule are computed, not copied.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qob::test {

using Md5Words = std::vector<std::uint32_t>;

// MD5 of message words already padded.
inline std::string referenceMd5OfWords(const Md5Words& words) {
    std::array<std::uint32_t, 64> t{};
    for (int k = 0; k < 64; ++k) {
        t[k] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(k + 1.0)) * 4294967296.0));
    }
    static constexpr int kShift[4][4] = {
        {7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
    std::uint32_t s[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    for (std::size_t block = 0; block < words.size(); block += 16) {
        std::uint32_t a = s[0], b = s[1], c = s[2], d = s[3];
        for (int k = 0; k < 64; ++k) {
            const int round = k / 16;
            std::uint32_t mix;
            int index;
            if (round == 0) {
                mix = (b & c) | (~b & d), index = k;
            } else if (round == 1) {
                mix = (b & d) | (c & ~d), index = (5 * k + 1) % 16;
            } else if (round == 2) {
                mix = b ^ c ^ d, index = (3 * k + 5) % 16;
            } else {
                mix = c ^ (b | ~d), index = (7 * k) % 16;
            }
            const std::uint32_t sum = a + mix + t[k] + words[block + index];
            const int r = kShift[round][k % 4];
            a = d;
            d = c;
            c = b;
            b = b + (sum << r | sum >> (32 - r));
        }
        s[0] += a, s[1] += b, s[2] += c, s[3] += d;
    }
    std::string hex;
    for (const std::uint32_t v : s) {
        for (int byte = 0; byte < 4; ++byte) {
            char buf[3];
            std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(v >> (8 * byte) & 0xFF));
            hex += buf;
        }
    }
    return hex;
}

// RFC 1321 padding of a byte string, as little-endian words.
inline Md5Words referencePaddedWords(const std::string& bytes) {
    std::string m = bytes;
    m.push_back(static_cast<char>(0x80));
    while (m.size() % 64 != 56)
        m.push_back('\0');
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
    for (int k = 0; k < 8; ++k)
        m.push_back(static_cast<char>(bits >> (8 * k) & 0xFF));
    Md5Words words(m.size() / 4);
    for (std::size_t k = 0; k < m.size(); ++k) {
        words[k / 4] |= std::uint32_t{static_cast<unsigned char>(m[k])} << (8 * (k % 4));
    }
    return words;
}

// The ordinary MD5 of a byte string.
inline std::string referenceMd5(const std::string& bytes) {
    return referenceMd5OfWords(referencePaddedWords(bytes));
}

}  // namespace qob::test
