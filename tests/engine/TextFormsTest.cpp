#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

#include "DateTime.h"
#include "TextForms.h"

namespace qob {
namespace {

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

TEST(TextForms, DoublesHaveFifteenDigitsAndNoTrailingZeros) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.6 + 0.6, "1.2"},
        {100.0 / 15, "6.66666666666667"},
        {100, "100"},
        {3.5, "3.5"},
        {-2.25, "-2.25"},
        {0, "0"},
        {-0.0, "0"},
        {0.1 + 0.2, "0.3"},
        {95.999999999999986, "96"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDouble(c.value), c.text) << c.value;
}

TEST(TextForms, DoublesAreWrittenTheSameInEveryLocale) {
    // Qt sets the C library's locale from the player's settings; a decimal comma
    // there must not reach a record.
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
    const std::string texts[] = {formatDouble(100.0 / 15), formatDouble(1e20),
                                 formatDouble(1.5e-7)};
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(texts[0], "6.66666666666667");
    EXPECT_EQ(texts[1], "1E+20");
    EXPECT_EQ(texts[2], "1.5E-07");
}

TEST(TextForms, DoubleTextReadsBackToTheSameText) {
    for (double v : {0.6, 100.0 / 15, 1e-5, 123456.789, -7.5, 1e20, 2.0 / 3}) {
        const auto back = parseDouble(formatDouble(v));
        ASSERT_TRUE(back) << formatDouble(v);
        EXPECT_EQ(formatDouble(*back), formatDouble(v));
    }
}

TEST(TextForms, RoundingGoesHalfToEvenAndStopsAtTheRange) {
    const struct {
        double value;
        std::int32_t rounded;
    } cases[] = {
        {36.5, 36},   {37.5, 38},     {-0.5, 0},
        {-1.5, -2},   {2420.0, 2420}, {0.49999, 0},
        {1e12, kMax}, {-1e12, kMin},  {std::numeric_limits<double>::infinity(), kMax},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundToInt32(c.value), c.rounded) << c.value;
}

TEST(TextForms, SaturatingAddStopsAtTheEnds) {
    EXPECT_EQ(saturatingAdd(5, 7), 12);
    EXPECT_EQ(saturatingAdd(kMax - 1, 5), kMax);
    EXPECT_EQ(saturatingAdd(kMin + 1, -5), kMin);
}

TEST(TextForms, IntegersParseStrictly) {
    EXPECT_EQ(parseInt32("0"), 0);
    EXPECT_EQ(parseInt32("-5"), -5);
    EXPECT_EQ(parseInt32("2147483647"), kMax);
    EXPECT_EQ(parseInt32("-2147483648"), kMin);
    for (const char* bad : {"", "-", "2147483648", " 1", "1 ", "+1", "1.0", "abc", "1x", "--1"})
        EXPECT_FALSE(parseInt32(bad)) << '"' << bad << '"';
}

TEST(TextForms, DoublesParseStrictly) {
    EXPECT_EQ(parseDouble("6.66666666666667"), 6.66666666666667);
    EXPECT_EQ(parseDouble("-3"), -3.0);
    for (const char* bad : {"", "inf", "nan", "-inf", "0x1p3", " 1", "1 ", "+1", "1,5", "1e999"})
        EXPECT_FALSE(parseDouble(bad)) << '"' << bad << '"';
}

TEST(TextForms, FirstCharacterKeepsWholeCharacters) {
    EXPECT_EQ(firstCharacter("312"), "3");
    EXPECT_EQ(firstCharacter(""), "");
    EXPECT_EQ(firstCharacter("中文"), "中");
    EXPECT_EQ(characterCount("中文1"), 3u);
}

TEST(DateTimeText, WritesTheFixedForm) {
    EXPECT_EQ((DateTime{2005, 6, 1, 10, 4, 31}.toText()), "2005-6-1 10:04:31");
    EXPECT_EQ((DateTime{2026, 12, 10, 0, 0, 1}.toText()), "2026-12-10 0:00:01");
    EXPECT_EQ(DateTime{}.toText(), "0");
}

TEST(DateTimeText, ParsesOnlyTheFixedFormOfRealMoments) {
    const DateTime t{2004, 2, 29, 23, 59, 59};
    EXPECT_EQ(DateTime::parse(t.toText()), t);
    EXPECT_EQ(DateTime::parse("2005-6-1 00:00:01")->hour, 0);  // the version date of records
    for (const char* bad :
         {"", "0", "2005-06-01 10:04:31", "2005-6-1 10:4:31", "2005-2-29 1:00:00",
          "2005-6-1 24:00:00", "2005-6-1  10:04:31", "2005-6-1 10:04:31 ", "2005-13-1 1:00:00",
          "2005-6-31 1:00:00", "05-6-1 1:00:00", "2005-6-1 1:00:60", "2005/6/1 1:00:00"})
        EXPECT_FALSE(DateTime::parse(bad)) << '"' << bad << '"';
}

TEST(DateTimeText, TimeOfDayIsAFractionOfTheDay) {
    EXPECT_EQ((DateTime{2005, 6, 1, 0, 0, 0}.timeOfDayFraction()), 0.0);
    EXPECT_DOUBLE_EQ((DateTime{2005, 6, 1, 12, 0, 0}.timeOfDayFraction()), 0.5);
}

}  // namespace
}  // namespace qob
