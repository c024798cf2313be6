#include "archive/progress.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(ProgressMarkFor, PercentAndBarEdge) {
    const struct {
        std::int32_t Done, Total, BarLeft, BarWidth;
        std::int32_t Percent, BarX;  // the bar's edge
    } cases[] = {
        // 1/8 of 100 is 12.5 and rounds down; 3/8 is 37.5 and rounds up.
        {1, 8, 0, 100, 12, 12},
        {3, 8, 0, 100, 38, 38},
        // The bar edge rounds on its own: 5/8 of 4 columns is 2.5 -> 2.
        {5, 8, 7, 4, 62, 9},
        {2, 3, 0, 300, 67, 200},  // 200, not 3 times the rounded percent
        // Parts larger than the total go past 100; the caller decides.
        {3675000 + 40000, 3675000, 0, 300, 101, 303},
    };
    for (const auto& c : cases) {
        ProgressMark mark;
        ASSERT_TRUE(ProgressMarkFor(c.Done, c.Total, c.BarLeft, c.BarWidth, mark)) << c.Done;
        EXPECT_EQ(std::pair(mark.Percent, mark.BarX), std::pair(c.Percent, c.BarX)) << c.Done << "/" << c.Total;
    }
    // `DrawProgress` draws nothing without a total.
    ProgressMark none;
    for (const std::int32_t total : {0, -5}) EXPECT_FALSE(ProgressMarkFor(0, total, 0, 300, none)) << total;
}

}  // namespace
