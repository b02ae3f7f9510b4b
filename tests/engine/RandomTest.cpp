#include <gtest/gtest.h>

#include <map>
#include <set>

#include "GameFixture.h"
#include "Rng.h"

namespace qob {
namespace {

using test::GameFixture;

TEST(Rng, DrawWithZeroRepeatsWithoutAdvancing) {
    std::uint64_t t = 0;
    Rng rng([&] { return ++t; });
    const float a = rng.next();
    EXPECT_EQ(rng.draw(0), a);
    EXPECT_EQ(rng.draw(0), a);
    const float b = rng.draw(0.25);
    EXPECT_NE(b, a);
    EXPECT_EQ(rng.draw(0), b);
}

TEST(Rng, ReseedWithANumberFixesTheFollowingDraws) {
    std::uint64_t t = 0;
    Rng rng([&] { return ++t; });
    rng.reseed(1000000);
    const float seeded = rng.draw(0);
    const float first = rng.next();
    rng.next();
    rng.reseedFromClock();
    rng.reseed(1000000);
    EXPECT_EQ(rng.draw(0), seeded);
    EXPECT_EQ(rng.next(), first);
    rng.reseed(1000001);
    EXPECT_NE(rng.next(), first);
}

TEST(Rng, ClockReseedsDifferEvenWithinOneClockReading) {
    Rng rng([] { return std::uint64_t{42}; });
    std::set<float> seen;
    for (int i = 0; i < 100; ++i) {
        rng.reseedFromClock();
        seen.insert(rng.next());
    }
    EXPECT_GT(seen.size(), 95u);
}

TEST_F(GameFixture, GameIdIsAWholeNumberFromOneTo999999) {
    for (const DateTime when : {DateTime{2005, 6, 1, 0, 0, 0}, DateTime{2005, 6, 1, 23, 59, 59},
                                DateTime{2005, 6, 1, 12, 0, 0}}) {
        window.clock = when;
        for (int i = 0; i < 2000; ++i) {
            const std::string id = game.getGameID();
            ASSERT_FALSE(id.empty());
            ASSERT_NE(id[0], '0') << id;
            const long n = std::stol(id);
            ASSERT_GE(n, 1);
            ASSERT_LE(n, 999999);
        }
    }
}

TEST_F(GameFixture, DiceAreSingleDigitsSpreadEvenly) {
    std::map<std::string, int> counts;
    for (int seed = 1; seed <= 7000; ++seed)
        ++counts[game.getDice(seed + 999999)];
    ASSERT_EQ(counts.size(), 7u);
    for (const auto& [face, n] : counts) {
        EXPECT_TRUE(face >= "1" && face <= "7" && face.size() == 1) << face;
        EXPECT_GT(n, 850) << face;  // 1000 expected
        EXPECT_LT(n, 1150) << face;
    }
    EXPECT_EQ(game.getDice(1234567), game.getDice(1234567));
}

TEST_F(GameFixture, RandomDiceStayWithinOneToN) {
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(game.getRndDice(1), "1");
        seen.insert(game.getRndDice(25));
    }
    EXPECT_EQ(seen.size(), 25u);
    EXPECT_EQ(*seen.begin(), "1");
    EXPECT_TRUE(seen.count("25"));
    EXPECT_FALSE(seen.count("26"));
}

}  // namespace
}  // namespace qob
