#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "Md5Digest.h"
#include "Md5DigestDetail.h"

namespace {

using Words = std::vector<std::uint32_t>;

// A deliberately plain MD5 written from RFC 1321 and sharing nothing with the code under test:
// its sine table and message schedule are computed, not copied.
std::string referenceMd5OfWords(const Words& words) {
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
Words referencePaddedWords(const std::string& bytes) {
    std::string m = bytes;
    m.push_back(static_cast<char>(0x80));
    while (m.size() % 64 != 56)
        m.push_back('\0');
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
    for (int k = 0; k < 8; ++k)
        m.push_back(static_cast<char>(bits >> (8 * k) & 0xFF));
    Words words(m.size() / 4);
    for (std::size_t k = 0; k < m.size(); ++k) {
        words[k / 4] |= std::uint32_t{static_cast<unsigned char>(m[k])} << (8 * (k % 4));
    }
    return words;
}

std::string randomAscii(std::mt19937& rng, std::size_t length) {
    std::uniform_int_distribution<int> byte(0, 127);
    std::string s(length, '\0');
    for (auto& ch : s)
        ch = static_cast<char>(byte(rng));
    return s;
}

std::string recordLikeText(std::size_t atLeast) {
    std::string text;
    for (int row = 0; text.size() < atLeast; ++row) {
        text += "|" + std::to_string(row % 2) + "|" + std::to_string(10 + row % 37) +
                "|2026-12-10 9:30:" + std::to_string(10 + row % 50) + "|" +
                std::to_string(1000 + row * 73) + "|player" + std::to_string(row);
    }
    return text;
}

TEST(Md5Digest, MatchesTheRfc1321TestSuite) {
    const struct {
        const char* text;
        const char* digest;
    } cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"1234567890123456789012345678901234567890"
         "1234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qob::md5Digest(c.text), c.digest) << '"' << c.text << '"';
    }
}

TEST(Md5Digest, AsciiAgreesWithAReferenceMd5AcrossBlockBoundaries) {
    std::mt19937 rng(20261210);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 200; ++n)
        lengths.push_back(n);
    for (std::size_t n : {247, 248, 255, 256, 1000, 3072, 4099})
        lengths.push_back(n);

    for (const std::size_t n : lengths) {
        const std::string text = randomAscii(rng, n);
        SCOPED_TRACE("length " + std::to_string(n));
        const Words padded = referencePaddedWords(text);
        ASSERT_EQ(qob::detail::textToMessageWords(text), padded);
        ASSERT_EQ(qob::md5Digest(text), referenceMd5OfWords(padded));
    }
}

TEST(Md5Digest, AgreesWithMd5sum) {
#ifdef _WIN32
    GTEST_SKIP() << "md5sum comes with coreutils";
#else
    std::mt19937 rng(7);
    const std::string texts[] = {recordLikeText(3000), randomAscii(rng, 119)};
    for (const std::string& text : texts) {
        const std::string path = testing::TempDir() + "qob_md5_check.txt";
        std::ofstream(path, std::ios::binary) << text;
        FILE* pipe = popen(("md5sum '" + path + "'").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char line[128] = {};
        const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
        pclose(pipe);
        std::remove(path.c_str());
        ASSERT_TRUE(read);
        std::string expected(line, 32);
        for (auto& ch : expected)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(qob::md5Digest(text), expected);
    }
#endif
}

TEST(Md5Digest, ChineseTextUsesOneSignExtendedCodePerCharacter) {
    const Words zhong = qob::detail::textToMessageWords("中");
    ASSERT_EQ(zhong.size(), 16u);
    EXPECT_EQ(zhong[0], 0xFFFFD6D0u);  // 0x80 marker falls inside the sign extension
    EXPECT_EQ(zhong[14], 8u);
    EXPECT_EQ(qob::md5Digest("中"), "6CBA308F8D5F2B49971DBB43879A078C");

    const Words zhongA = qob::detail::textToMessageWords("中a");
    EXPECT_EQ(zhongA[0], 0xFFFFF7D0u);
    EXPECT_EQ(zhongA[14], 16u);
    EXPECT_EQ(qob::md5Digest("中a"), "20FED70A7EA1BF97548E4D125AF88006");
}

TEST(Md5MessageWords, EachUnitCodeLandsInItsByteLane) {
    const struct {
        const char* text;
        std::uint32_t word0;
        std::uint32_t units;
    } cases[] = {
        {"a中", 0xFFD6D061u, 2},               // extension fills the lanes above
        {"ab中", 0xD6D06261u, 3},              // lead byte lands in the top lane
        {"abc中", 0xD0636261u, 4},             // only the trail byte fits
        {"€", 0x00008080u, 1},                 // single byte 0x80, then the marker
        {"é", 0xFFFFA8A6u, 1},                 // CP936 has é as A8 A6; the marker vanishes into it
        {"\xF0\x9F\x98\x80", 0x00803F3Fu, 2},  // U+1F600: two surrogates, each '?'
        {"\xFF\x61", 0x0080613Fu, 2},          // malformed byte then "a": one '?' for the byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Words words = qob::detail::textToMessageWords(c.text);
        ASSERT_EQ(words.size(), 16u);
        EXPECT_EQ(words[0], c.word0);
        EXPECT_EQ(words[14], c.units * 8);
        EXPECT_EQ(words[15], 0u);
    }
    // A unit in the second word leaves the first alone and extends only within its own word.
    const Words words = qob::detail::textToMessageWords("abcde中");
    EXPECT_EQ(words[0], 0x64636261u);
    EXPECT_EQ(words[1], 0xFFD6D065u);
}

TEST(Md5MessageWords, BlockCountFollowsUnitsNotBytes) {
    const struct {
        std::size_t units;
        std::size_t words;
    } cases[] = {{55, 16}, {56, 32}, {63, 32}, {64, 32}, {119, 32}, {120, 48}};
    for (const std::string unit : {"a", "中", "\xF0\x9F\x98\x80"}) {
        for (const auto& c : cases) {
            const std::size_t repeats = unit.size() == 4 ? c.units / 2 : c.units;
            if (unit.size() == 4 && c.units % 2 != 0) continue;
            std::string text;
            for (std::size_t k = 0; k < repeats; ++k)
                text += unit;
            SCOPED_TRACE(unit + " x" + std::to_string(repeats));
            const Words words = qob::detail::textToMessageWords(text);
            ASSERT_EQ(words.size(), c.words);
            EXPECT_EQ(words[c.words - 2], c.units * 8);
            EXPECT_EQ(words[c.words - 1], 0u);
        }
    }
}

TEST(Md5Digest, MixedTextIsMd5OfItsMessageWords) {
    // Chinese, the euro sign, unmappable and non-BMP characters mixed with ASCII, at lengths on
    // both sides of the block boundaries.
    const std::string pieces[] = {
        "a", "Z", "|", "中", "文", "霁", "，", "€", "é", "\xC3\x80", "\xF0\x9F\x98\x80", "\xFF"};
    std::mt19937 rng(936);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    for (std::size_t n = 0; n <= 140; ++n) {
        std::string text;
        for (std::size_t k = 0; k < n; ++k)
            text += pieces[pick(rng)];
        SCOPED_TRACE(text);
        const Words words = qob::detail::textToMessageWords(text);
        ASSERT_EQ(words.size() % 16, 0u);
        ASSERT_EQ(qob::md5Digest(text), referenceMd5OfWords(words));
    }
}

}  // namespace
