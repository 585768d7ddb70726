// Building a custom statistics rule, and the message that explains a rule the
// hammer refused.
#include <gtest/gtest.h>

#include "tools/CustomStatistics.h"

namespace {

Device::SCustomStatistics Rule(int minimum, int maximum, int upper, int lower) {
    return {Tools::kStatsMethodMean, static_cast<std::uint8_t>(minimum), static_cast<std::uint8_t>(maximum),
            static_cast<std::uint8_t>(upper), static_cast<std::uint8_t>(lower)};
}

TEST(CustomStatistics, RefusalMessageIsTheLastCheckThatHolds) {
    struct SCase {
        int minimum, maximum, upper, lower;
        unsigned expected;
    };
    const SCase cases[] = {
        {0, 120, 0, 0, 59592},   // all of outliers, range and minimum hold: the last wins
        {10, 20, 3, 3, 59588},   // none holds
        {5, 20, 3, 3, 59590},    // 6 outliers for a minimum of 5
        {10, 20, 10, 0, 59590},  // upper + lower = minimum
        {10, 20, 9, 0, 59588},   // 9 is exactly 20 / 2 - 1
        {12, 21, 0, 10, 59590},  // 10 > 21 / 2 - 1 (rounded down)
        {20, 10, 0, 0, 59589},   // maximum below minimum
        {20, 10, 9, 9, 59589},   // also too many outliers, but the range check comes later
        {10, 120, 0, 0, 59591}, {10, 100, 0, 0, 59591},
        {10, 99, 0, 0, 59588},  {1, 1, 0, 0, 59590},  // a maximum of 1 leaves no room for any outlier
        {0, 10, 0, 0, 59592},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(c.expected, Tools::StatisticsRefusalMessage(Rule(c.minimum, c.maximum, c.upper, c.lower)))
            << c.minimum << "/" << c.maximum << "/" << c.upper << "/" << c.lower;
    }
}

TEST(CustomStatistics, EveryNumberMustFitItsByte) {
    const auto rule = Tools::MakeCustomStatistics(Tools::kStatsMethodMedianOnly, 9, 255, 1, 0);
    ASSERT_TRUE(rule);
    EXPECT_EQ((Device::SCustomStatistics{5, 9, 255, 1, 0}), *rule);
    // 300 would go out as its low byte, 44: a different rule from the one typed.
    EXPECT_FALSE(Tools::MakeCustomStatistics(2, 10, 300, 0, 0));
    EXPECT_FALSE(Tools::MakeCustomStatistics(2, -1, 20, 0, 0));
    EXPECT_FALSE(Tools::MakeCustomStatistics(2, 10, 20, 256, 0));
    EXPECT_FALSE(Tools::MakeCustomStatistics(2, 10, 20, 0, 1000));
}

TEST(CustomStatistics, MethodNames) {
    EXPECT_EQ(u"Mean", Tools::StatisticsMethodName(2));
    EXPECT_EQ(u"Median only", Tools::StatisticsMethodName(5));
    EXPECT_EQ(u"", Tools::StatisticsMethodName(1));
}

}  // namespace
