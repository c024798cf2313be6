#include "ui/backdrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

namespace {

TEST(Gradient, BlueFallsOneUnitPerStepAndStopsAtBlack) {
    // 768 rows: three per step, so rows 765 to 767 are black; under 255 rows
    // the blue falls every row and never gets there.
    for (const auto [height, rowsPerStep] : {std::array{768, 3}, std::array{200, 1}}) {
        const std::vector<TColor> rows = GradientRowColors(GradientTopColor, GradientBottomColor, height);
        ASSERT_EQ(rows.size(), std::size_t(height));
        for (int y = 0; y < height; ++y) {
            const int blue = std::max(0, 255 - y / rowsPerStep);
            ASSERT_EQ(rows[y], MakeColor(0, 0, std::uint8_t(blue))) << height << " row " << y;
        }
    }
    // Each channel moves toward its own end and stays there: no wrap past 255,
    // and bytes compare unsigned on both sides of 128.
    const std::vector<TColor> mixed = GradientRowColors(MakeColor(250, 10, 7), MakeColor(255, 0, 9), 40);
    EXPECT_EQ(mixed[4], MakeColor(251, 9, 8));
    EXPECT_EQ(mixed[39], MakeColor(255, 1, 9));
}

TEST(Luminance, RoundsHalvesToEvenAndPicksTheShadow) {
    const TColor black = MakeColor(0, 0, 0), white = MakeColor(255, 255, 255);
    const std::tuple<TColor, int, TColor> cases[] = {
        {TitleColor, 227, black},              // 226.95
        {MakeColor(5, 0, 0), 2, white},        // 1.5 up
        {MakeColor(0, 0, 150), 16, white},     // 16.5 down
        {MakeColor(130, 150, 0), 128, black},  // 127.5 up: light
        {MakeColor(127, 127, 127), 127, white},
    };
    for (const auto& [color, luminance, shadow] : cases) {
        EXPECT_EQ(Luminance(color), luminance) << std::hex << color;
        EXPECT_EQ(ShadowColor(color), shadow) << std::hex << color;
    }
}

TEST(Placement, LogoAndFooterSitAtTheBottomOfTheScreen) {
    // The screen's width and height, then the logo's and the footer's x and y.
    for (const auto& c : {std::array{1024, 768, 410, 696, 774, 748}, std::array{801, 601, 298, 529, 551, 581}}) {
        const TScreenPoint logo = LogoOrigin(c[0], c[1]), footer = FooterOrigin(c[0], c[1]);
        EXPECT_EQ((std::array{c[0], c[1], logo.x, logo.y, footer.x, footer.y}), c);
    }
}

}  // namespace
