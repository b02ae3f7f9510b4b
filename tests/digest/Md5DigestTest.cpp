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
#include "ReferenceMd5.h"

namespace {

using qob::test::referenceMd5OfWords;
using qob::test::referencePaddedWords;
using Words = qob::test::Md5Words;

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
