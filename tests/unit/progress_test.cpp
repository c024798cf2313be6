#include "archive/progress.h"

#include <gtest/gtest.h>

namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, std::int32_t> cases[] = {
        {0.5, 0},  {1.5, 2},   {2.5, 2},   {0.49, 0}, {0.51, 1}, {37.4999, 37},
        {-0.5, 0}, {-1.5, -2}, {-2.5, -2},  // the bar's own halves are rows below
    };
    for (const auto& [value, rounded] : cases)
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
}

struct MarkCase {
    std::int32_t done, total, barLeft, barWidth;
    std::int32_t percent, barX;
};

TEST(ProgressMarkFor, PercentAndBarEdge)
{
    const MarkCase cases[] = {
        {100, 100, 10, 200, 100, 210},
        // 1/8 of 100 is 12.5 and rounds down; 3/8 is 37.5 and rounds up.
        {1, 8, 0, 100, 12, 12},
        {3, 8, 0, 100, 38, 38},
        // The bar edge rounds on its own: 5/8 of 4 columns is 2.5 -> 2.
        {5, 8, 7, 4, 62, 9},
        // One 2048-byte block of the whole distribution is 0.0557 %.
        {2048, 3675000, 0, 300, 0, 0},
        // Parts larger than the total go past 100; the caller decides.
        {3675000 + 40000, 3675000, 0, 300, 101, 303},
    };
    for (const MarkCase& c : cases) {
        ProgressMark mark;
        ASSERT_TRUE(ProgressMarkFor(c.done, c.total, c.barLeft, c.barWidth, mark)) << c.done;
        EXPECT_EQ(mark.Percent, c.percent) << c.done << "/" << c.total;
        EXPECT_EQ(mark.BarX, c.barX) << c.done << "/" << c.total;
    }
}

}  // namespace
