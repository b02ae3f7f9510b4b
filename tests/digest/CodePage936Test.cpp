#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "CodePage936.h"

namespace {

using namespace std::string_literals;

TEST(Utf16FromUtf8, DecodesAndReplacesEachBrokenSubpart) {
    const struct {
        std::string utf8;
        std::u16string units;
    } cases[] = {
        {"", u""},
        {"QOB 1.0", u"QOB 1.0"},
        {"a\0b"s, u"a\0b"s},
        {"霁虹珠台", u"霁虹珠台"},
        {"\xC2\xA9\xE2\x82\xAC", u"\u00A9\u20AC"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},  // U+10FFFF
        {"\x80", u"\xFFFD"},                    // stray continuation byte
        {"a\xE4\xB8", u"a\xFFFD"},              // cut off at the end
        {"\xE4\xB8\x61", u"\xFFFD\x61"},        // cut off before ASCII "a": the ASCII survives
        {"\xF0\x9F\x98\xE4\xB8\xAD", u"\xFFFD中"},
        {"\xC0\xAF", u"\xFFFD\xFFFD"},                      // overlong
        {"\xE0\x80\xAF", u"\xFFFD\xFFFD\xFFFD"},            // overlong
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},  // past U+10FFFF
        {"\xFE\xFF", u"\xFFFD\xFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qob::utf16FromUtf8(c.utf8), c.units) << c.utf8;
    }
}

TEST(CodePage936Code, GivesByteCodesSignExtendedPairsOrQuestionMark) {
    const struct {
        char16_t unit;
        std::int32_t code;
    } cases[] = {
        {u'\0', 0},
        {u'a', 0x61},
        {u'\x7F', 0x7F},
        {u'?', 63},
        {u'中', -10544},  // D6 D0
        {u'中', static_cast<std::int32_t>(0xFFFFD6D0u)},
        {u'霁', static_cast<std::int32_t>(0xFFFFF6AB)},
        {u'€', 0x80},                                         // the one non-ASCII single byte
        {u'\u3000', static_cast<std::int32_t>(0xFFFFA1A1u)},  // ideographic space
        {u'，', static_cast<std::int32_t>(0xFFFFA3ACu)},
        {u'\u00E9', static_cast<std::int32_t>(0xFFFFA8A6u)},  // é is in CP936 (pinyin)
        {u'\u00C0', 63},                                      // À is not
        {u'\uAC00', 63},                                      // Hangul
        {u'\u30FB', 63},                                      // katakana middle dot
        {u'\uE000', 63},                                      // private use
        {u'\uFFFD', 63},
        {u'\xD800', 63},  // lone surrogates
        {u'\xDBFF', 63},
        {u'\xDC00', 63},
        {u'\xDFFF', 63},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qob::codePage936Code(c.unit), c.code) << std::hex << int(c.unit);
    }
}

TEST(CodePage936Code, WholeTableIsMicrosoftsCp936AndRoundTrips) {
    int doubleByte = 0;
    int highSingle = 0;
    for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
        const auto unit = static_cast<char16_t>(u);
        const std::int32_t code = qob::codePage936Code(unit);
        SCOPED_TRACE(u);
        if (u < 0x80) {
            ASSERT_EQ(code, static_cast<std::int32_t>(u));
        } else if (code == 63) {
            continue;
        } else if (code >= 0) {
            ASSERT_EQ(u, 0x20ACu);
            ASSERT_EQ(code, 0x80);
            ++highSingle;
        } else {
            const unsigned lead = static_cast<std::uint32_t>(code) >> 8 & 0xFF;
            const unsigned trail = static_cast<std::uint32_t>(code) & 0xFF;
            ASSERT_EQ(static_cast<std::uint32_t>(code) >> 16, 0xFFFFu);
            ASSERT_TRUE(lead >= 0x81 && lead <= 0xFE);
            ASSERT_TRUE(trail >= 0x40 && trail <= 0xFE && trail != 0x7F);
            ++doubleByte;
            // The pair must read back as the very same character.
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            ASSERT_EQ(qob::utf16FromUtf8(qob::fromCodePage936(bytes)), std::u16string(1, unit));
        }
    }
    EXPECT_EQ(highSingle, 1);
    EXPECT_EQ(doubleByte, 21791);  // the size of Microsoft's CP936 double-byte table
}

TEST(ToCodePage936, WritesBytesAndQuestionMarkPerUnmappableUnit) {
    const struct {
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {"", ""},
        {"abc|0|12", "abc|0|12"},
        {"中", "\xD6\xD0"},
        {"€5", "\x80\x35"},
        {"é", "\xA8\xA6"},
        {"\xC3\x80\x62", "?b"},      // À
        {"\xF0\x9F\x98\x80", "??"},  // one '?' per UTF-16 unit
        {"a\xFF\x62", "a?b"},        // malformed UTF-8
        {"x\0中"s, "x\0\xD6\xD0"s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qob::toCodePage936(c.utf8), c.bytes) << c.utf8;
    }
}

TEST(FromCodePage936, ReadsCharactersAndMarksEachBadByte) {
    const struct {
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"", ""},
        {"\xD6\xD0", "中"},
        {"\x80", "€"},
        {"a\0b\0"s, "a\0b\0"s},
        {"\xFF", "?"},
        {"\xFF\xD6\xD0", "?中"},  // a stray byte does not eat the pair after it
        {"a\xD6", "a?"},          // lead byte cut off at the end
        {"\xD6\x31", "?1"},       // lead byte before ASCII that cannot complete it: ASCII kept
        {"\xD6\x41", "諥"},       // ... whereas D6 41 is a real pair
        {"\xD6\x7F", "?\x7F"},
        {"\xA1\x40x", "?@x"},          // unassigned pair with an ASCII second byte
        {"\xAA\xA1\xD6\xD0", "??中"},  // unassigned pair: both bytes bad, alignment kept
        {"\xD6\xFF\x62", "??b"},
        {"\xA1\xA1\xA3\xAC\xA3\xA1", "\u3000，！"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qob::fromCodePage936(c.bytes), c.utf8) << c.utf8;
    }
}

TEST(CodePage936, MixedTextSurvivesTheRoundTrip) {
    const std::string text =
        "霁虹珠台 QOB：第12关，得分 3,450！（满分 9,999）「连击×8」……€2.5 — 玩家 Lü Wei";
    const std::string bytes = qob::toCodePage936(text);
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    EXPECT_EQ(qob::fromCodePage936(bytes), text);
    // Everything CP936 lacks comes back as exactly one '?' per unit.
    EXPECT_EQ(qob::fromCodePage936(qob::toCodePage936("中\xC3\x80\xF0\x9F\x98\x80文")), "中???文");
}

TEST(FromCodePage936, RandomBytesDecodeToCleanTextThatReencodesByteForByte) {
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(4u << 20, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(byte(rng));

    const std::string text = qob::fromCodePage936(bytes);
    // Well-formed UTF-8: nothing in it decodes to a replacement character.
    EXPECT_EQ(qob::utf16FromUtf8(text).find(u'\xFFFD'), std::u16string::npos);

    // Every byte either comes back or was reported as '?'.
    const std::string again = qob::toCodePage936(text);
    ASSERT_EQ(again.size(), bytes.size());
    std::size_t marked = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (again[i] != bytes[i]) {
            ASSERT_EQ(again[i], '?') << "byte " << i;
            ++marked;
        }
    }
    EXPECT_GT(marked, 0u);
    EXPECT_LT(marked, bytes.size() / 2);
}

}  // namespace
