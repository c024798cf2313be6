#include "ui/backdrop.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Gradient, BlueFallsOneUnitPerStepAndStopsAtBlack) {
  struct Case {
    int height, rowsPerStep;
  };
  // 768 rows: three per step, so rows 765 to 767 are black; under 255 rows
  // the blue falls every row and never gets there.
  for (const Case c : {Case{768, 3}, Case{200, 1}}) {
    const std::vector<TColour> rows =
        GradientRowColours(GradientTopColor, GradientBottomColor, c.height);
    ASSERT_EQ(rows.size(), std::size_t(c.height));
    for (int y = 0; y < c.height; ++y) {
      const int blue = std::max(0, 255 - y / c.rowsPerStep);
      ASSERT_EQ(rows[y], MakeColour(0, 0, std::uint8_t(blue))) << c.height << " row " << y;
    }
  }
  // Each channel moves toward its own end and stays there: no wrap past 255,
  // and bytes compare unsigned on both sides of 128.
  const std::vector<TColour> mixed =
      GradientRowColours(MakeColour(250, 10, 7), MakeColour(255, 0, 9), 40);
  EXPECT_EQ(mixed[4], MakeColour(251, 9, 8));
  EXPECT_EQ(mixed[39], MakeColour(255, 1, 9));
}

TEST(Luminance, RoundsHalvesToEvenAndPicksTheShadow) {
  struct Case {
    TColour colour;
    int luminance;
    TColour shadow;
  };
  const TColour black = MakeColour(0, 0, 0), white = MakeColour(255, 255, 255);
  const Case cases[] = {
      {TitleColor, 227, black},               // 226.95
      {MakeColour(5, 0, 0), 2, white},        // 1.5 up
      {MakeColour(0, 0, 150), 16, white},     // 16.5 down
      {MakeColour(0, 50, 0), 30, white},      // 29.5 up
      {MakeColour(130, 150, 0), 128, black},  // 127.5 up: light
      {MakeColour(127, 127, 127), 127, white},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Luminance(c.colour), c.luminance) << std::hex << c.colour;
    EXPECT_EQ(ShadowColour(c.colour), c.shadow) << std::hex << c.colour;
  }
}

TEST(Placement, LogoAndFooterSitAtTheBottomOfTheScreen) {
  struct Case {
    int width, height, logoX, logoY, footerX, footerY;
  };
  for (const Case& c : {Case{1024, 768, 410, 696, 774, 748}, Case{801, 601, 298, 529, 551, 581}}) {
    const TScreenPoint logo = LogoOrigin(c.width, c.height),
                       footer = FooterOrigin(c.width, c.height);
    EXPECT_EQ((std::vector<int>{logo.x, logo.y, footer.x, footer.y}),
              (std::vector<int>{c.logoX, c.logoY, c.footerX, c.footerY}))
        << c.width << "x" << c.height;
  }
}

}  // namespace
