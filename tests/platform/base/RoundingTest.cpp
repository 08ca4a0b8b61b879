#include "platform/base/Rounding.h"

#include <gtest/gtest.h>

#include <cfenv>

using platform::divRoundHalfEven;
using platform::roundHalfEven;

TEST(Rounding, HalvesGoToEven)
{
    const struct {
        double value;
        int64_t expected;
    } cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {0.0, 0}, {1e12 + 0.5, 1000000000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundHalfEven(c.value), c.expected) << c.value;
}

TEST(Rounding, IgnoresAnotherRoundingModeAndRestoresIt)
{
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(2.2), 2);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    std::fesetround(FE_TONEAREST);
}

TEST(Rounding, ExactDivisionRoundsTiesToEven)
{
    const struct {
        int64_t numerator, denominator, expected;
    } cases[] = {
        {220500, 1000, 220},   // 10 ms at 22050 Hz: 220.5
        {661500, 1000, 662},   // 30 ms at 22050 Hz: 661.5
        {441000000, 1000, 441000},
        {7, 2, 4}, {5, 2, 2}, {-5, 2, -2}, {-7, 2, -4}, {-7, 3, -2}, {7, 3, 2}, {8, 3, 3},
        {0, 5, 0}, {1, 3, 0}, {2, 3, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(divRoundHalfEven(c.numerator, c.denominator), c.expected) << c.numerator << "/" << c.denominator;
}
