// The game's random generator, its re-seeding, and the rounding rule.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "labyrinth/Random.h"

namespace tibo {
namespace {

std::vector<int32_t> Draws(TRandomizer& random, int count, int32_t n) {
    std::vector<int32_t> out;
    for (int i = 0; i < count; ++i) out.push_back(random.Random(n));
    return out;
}

TEST(RandomGenerator, ASeedGivesTheSameSequenceAndAnotherSeedAnother) {
    TRandom a, b, c;
    a.Seed(2024);
    b.Seed(2024);
    c.Seed(2025);
    int same = 0;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t x = a.Next();
        ASSERT_EQ(x, b.Next());
        same += x == c.Next() ? 1 : 0;
    }
    EXPECT_LT(same, 5);
    // Seeding again starts the sequence over.
    a.Seed(2024);
    b.Seed(2024);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a.Random(1000), b.Random(1000));
}

TEST(RandomGenerator, RandomizeUnderAFixedSeedIsDeterministic) {
    TRandomizer a(7), b(7);
    EXPECT_EQ(Draws(a, 50, 100), Draws(b, 50, 100));
    a.Randomize();
    b.Randomize();
    EXPECT_EQ(a.ReseedCount(), 1u);
    const auto afterFirst = Draws(a, 50, 100);
    EXPECT_EQ(afterFirst, Draws(b, 50, 100));
    // Each re-seed gives a new sequence, and it does not depend on how many
    // draws were taken before it.
    Draws(a, 17, 100);
    a.Randomize();
    b.Randomize();
    const auto afterSecond = Draws(a, 50, 100);
    EXPECT_EQ(afterSecond, Draws(b, 50, 100));
    EXPECT_NE(afterFirst, afterSecond);
    TRandomizer fresh(7);
    EXPECT_NE(Draws(fresh, 50, 100), afterFirst);
    // Another fixed seed re-seeds to other sequences.
    TRandomizer other(8);
    other.Randomize();
    EXPECT_NE(Draws(other, 50, 100), afterFirst);
}

TEST(RandomGenerator, StaysInRangeForEveryN) {
    TRandomizer random(99);
    for (int32_t n : {1, 0, -1, -5, INT32_MIN}) {
        for (int i = 0; i < 100; ++i) ASSERT_EQ(random.Random(n), 0) << n;
    }
    for (int32_t n : {2, 3, 7, 12, 121, 1000003, INT32_MAX - 1, INT32_MAX}) {
        bool high = false;
        for (int i = 0; i < 2000; ++i) {
            const int32_t v = random.Random(n);
            ASSERT_GE(v, 0) << n;
            ASSERT_LT(v, n) << n;
            high = high || v >= n / 2;
        }
        EXPECT_TRUE(high) << "the upper half of 0.." << n - 1 << " is never drawn";
    }
    TRandom raw;
    raw.Seed(5);
    for (int i = 0; i < 10000; ++i) {
        const double f = raw.RandomFloat();
        ASSERT_GE(f, 0.0);
        ASSERT_LT(f, 1.0);
    }
}

TEST(RandomGenerator, IsRoughlyUniform) {
    // A chi-square test on 120000 draws of Random(12) (11 degrees of freedom;
    // 31.3 is exceeded with probability 0.001), and on a range that does not
    // divide 2^32, where a plain modulo would show its bias only weakly.
    TRandomizer random(31337);
    for (int32_t n : {12, 3}) {
        std::vector<int> counts(static_cast<size_t>(n), 0);
        const int total = 120000;
        for (int i = 0; i < total; ++i) ++counts[static_cast<size_t>(random.Random(n))];
        const double expected = static_cast<double>(total) / n;
        double chi = 0;
        for (int c : counts) chi += (c - expected) * (c - expected) / expected;
        EXPECT_LT(chi, n == 12 ? 31.3 : 13.8) << "n = " << n;
    }
    // The top bit of a huge range is drawn about half of the time.
    int top = 0;
    const int32_t big = 0x60000000;
    for (int i = 0; i < 20000; ++i) top += random.Random(big) >= big / 2 ? 1 : 0;
    EXPECT_NEAR(top, 10000, 500);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(0.5), 0);
    EXPECT_EQ(RoundEven(1.5), 2);
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(RoundEven(-0.5), 0);
    EXPECT_EQ(RoundEven(-1.5), -2);
    EXPECT_EQ(RoundEven(-2.5), -2);
    EXPECT_EQ(RoundEven(0.0), 0);
    EXPECT_EQ(RoundEven(0.44), 0);
    EXPECT_EQ(RoundEven(0.4999999), 0);
    EXPECT_EQ(RoundEven(0.5000001), 1);
    EXPECT_EQ(RoundEven(28.38), 28);
    EXPECT_EQ(RoundEven(13.64), 14);
    EXPECT_EQ(RoundEven(-7.6), -8);
    EXPECT_EQ(RoundEven(1e6 + 0.5), 1000000);
}

}  // namespace
}  // namespace tibo
