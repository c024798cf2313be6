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
        const std::vector<TColour> rows = GradientRowColours(GradientTopColor, GradientBottomColor, height);
        ASSERT_EQ(rows.size(), std::size_t(height));
        for (int y = 0; y < height; ++y) {
            const int blue = std::max(0, 255 - y / rowsPerStep);
            ASSERT_EQ(rows[y], MakeColour(0, 0, std::uint8_t(blue))) << height << " row " << y;
        }
    }
    // Each channel moves toward its own end and stays there: no wrap past 255,
    // and bytes compare unsigned on both sides of 128.
    const std::vector<TColour> mixed = GradientRowColours(MakeColour(250, 10, 7), MakeColour(255, 0, 9), 40);
    EXPECT_EQ(mixed[4], MakeColour(251, 9, 8));
    EXPECT_EQ(mixed[39], MakeColour(255, 1, 9));
}

TEST(Luminance, RoundsHalvesToEvenAndPicksTheShadow) {
    const TColour black = MakeColour(0, 0, 0), white = MakeColour(255, 255, 255);
    const std::tuple<TColour, int, TColour> cases[] = {
        {TitleColor, 227, black},               // 226.95
        {MakeColour(5, 0, 0), 2, white},        // 1.5 up
        {MakeColour(0, 0, 150), 16, white},     // 16.5 down
        {MakeColour(130, 150, 0), 128, black},  // 127.5 up: light
        {MakeColour(127, 127, 127), 127, white},
    };
    for (const auto& [colour, luminance, shadow] : cases) {
        EXPECT_EQ(Luminance(colour), luminance) << std::hex << colour;
        EXPECT_EQ(ShadowColour(colour), shadow) << std::hex << colour;
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
