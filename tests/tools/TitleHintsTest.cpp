#include "tools/TitleHints.h"

#include <gtest/gtest.h>

#include <set>

#include "support/Fakes.h"

namespace {

TEST(TitleHintsTest, TheListHas42DistinctLinesStartingWithTheVersion) {
    const auto hints = vx::TitleHints::hints();
    EXPECT_EQ(hints[0], "Vexterm     v3.14 -Build: 717");
    const std::set<std::string> distinct(hints.begin(), hints.end());
    EXPECT_EQ(distinct.size(), hints.size());
    for (const auto& hint : hints) EXPECT_FALSE(hint.empty());
}

TEST(TitleHintsTest, HintsZeroToFortyInOrderThenRandomOnes) {
    vx::TitleHints ticker;
    vx::test::FakeRandom random;
    const auto hints = vx::TitleHints::hints();
    for (int i = 0; i <= 40; ++i) ASSERT_EQ(ticker.tick(random), hints[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(ticker.counter(), 50);
    EXPECT_EQ(random.seeds, 0);

    random.values = {0.0, 0.999999, 0.5};
    EXPECT_EQ(ticker.tick(random), hints[0]);
    EXPECT_EQ(ticker.tick(random), hints[40]);  // 41 x [0, 1) never reaches the last entry
    EXPECT_EQ(ticker.tick(random), hints[20]);
    EXPECT_EQ(random.seeds, 3);  // reseeded from the clock on every tick
}

}  // namespace
