#include "ui/backdrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

TEST(Gradient, BlueFallsOneUnitPerStepAndStopsAtBlack) {
    // 768 rows: three per step, so rows 765 to 767 are black; under 255 rows
    // the blue falls every row and never gets there.
    for (const auto& [height, rowsPerStep] : {std::pair{768, 3}, std::pair{200, 1}}) {
        std::vector<TColor> expected;
        for (int y = 0; y < height; ++y)
            expected.push_back(MakeColor(0, 0, std::uint8_t(std::max(0, 255 - y / rowsPerStep))));
        EXPECT_EQ(GradientRowColors(GradientTopColor, GradientBottomColor, height), expected) << height;
    }
    // Each channel moves toward its own end and stays there: no wrap past 255,
    // and bytes compare unsigned on both sides of 128.
    const std::vector<TColor> mixed = GradientRowColors(MakeColor(250, 10, 7), MakeColor(255, 0, 9), 40);
    EXPECT_EQ(mixed[4], MakeColor(251, 9, 8));
    EXPECT_EQ(mixed[39], MakeColor(255, 1, 9));
}

TEST(Luminance, RoundsHalvesToEvenAndPicksTheShadow) {
    const TColor black = MakeColor(0, 0, 0), white = MakeColor(255, 255, 255);
    const struct {
        TColor Color;
        int Luminance;
        TColor Shadow;
    } cases[] = {
        {TitleColor, 227, black},              // 226.95
        {MakeColor(5, 0, 0), 2, white},        // 1.5 up
        {MakeColor(0, 0, 150), 16, white},     // 16.5 down
        {MakeColor(130, 150, 0), 128, black},  // 127.5 up: light
        {MakeColor(127, 127, 127), 127, white},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::pair(Luminance(c.Color), ShadowColor(c.Color)), std::pair(c.Luminance, c.Shadow))
            << std::hex << c.Color;
}

TEST(Placement, LogoAndFooterSitAtTheBottomOfTheScreen) {
    const struct {
        int Width, Height;                     // the screen's
        std::array<std::int32_t, 4> Expected;  // the logo's x and y, then the footer's
    } cases[] = {{1024, 768, {410, 696, 774, 748}}, {801, 601, {298, 529, 551, 581}}, {640, 480, {218, 408, 390, 460}}};
    for (const auto& c : cases) {
        const TScreenPoint logo = LogoOrigin(c.Width, c.Height), footer = FooterOrigin(c.Width, c.Height);
        EXPECT_EQ((std::array{logo.x, logo.y, footer.x, footer.y}), c.Expected) << c.Width;
    }
}

}  // namespace
