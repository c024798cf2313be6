#include "ui/backdrop.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Blue of row y with the fixed colours, from the closed form.
int ExpectedBlue(int y, int height) {
  const int rowsPerStep = height / 255;
  const int fallen = rowsPerStep == 0 ? y : y / rowsPerStep;
  return fallen >= 255 ? 0 : 255 - fallen;
}

TEST(Gradient, FollowsTheStepRuleOnCommonScreens) {
  struct Case {
    int height;
    int firstBlackRow;
  };
  for (const Case c : {Case{480, 255}, Case{600, 510}, Case{768, 765}, Case{1200, 1020}}) {
    const std::vector<TColour> rows =
        GradientRowColours(GradientTopColor, GradientBottomColor, c.height);
    ASSERT_EQ(rows.size(), std::size_t(c.height));
    for (int y = 0; y < c.height; ++y) {
      ASSERT_EQ(RedOf(rows[y]), 0) << c.height << " row " << y;
      ASSERT_EQ(GreenOf(rows[y]), 0) << c.height << " row " << y;
      ASSERT_EQ(BlueOf(rows[y]), ExpectedBlue(y, c.height)) << c.height << " row " << y;
    }
    EXPECT_EQ(BlueOf(rows[c.firstBlackRow - 1]), 1) << c.height;
    EXPECT_EQ(rows[c.firstBlackRow], MakeColour(0, 0, 0)) << c.height;
  }
}

TEST(Gradient, LowScreenStepsEveryRowAndNeverReachesBlack) {
  const std::vector<TColour> rows = GradientRowColours(GradientTopColor, GradientBottomColor, 200);
  ASSERT_EQ(rows.size(), 200u);
  for (int y = 0; y < 200; ++y) ASSERT_EQ(rows[y], MakeColour(0, 0, std::uint8_t(255 - y))) << y;
  EXPECT_NE(rows.back(), MakeColour(0, 0, 0));
}

TEST(Gradient, MovesEveryChannelTowardItsEndAndStopsThere) {
  // Red rises, green falls, blue is already at its end.
  const TColour from = MakeColour(250, 10, 7);
  const TColour to = MakeColour(255, 0, 7);
  EXPECT_EQ(GradientStepCount(from, to), 10);
  const std::vector<TColour> rows = GradientRowColours(from, to, 40);  // 4 rows per step
  EXPECT_EQ(rows[3], from);
  EXPECT_EQ(rows[4], MakeColour(251, 9, 7));
  EXPECT_EQ(rows[20], MakeColour(255, 5, 7));
  EXPECT_EQ(rows[39], MakeColour(255, 1, 7));
  // Red stays at 255 after reaching it: no wrap to 0.
  for (int y = 20; y < 40; ++y) EXPECT_EQ(RedOf(rows[y]), 255) << y;
}

TEST(Gradient, EqualEndsGiveOneColourAndEmptyScreensNoRows) {
  const TColour grey = MakeColour(90, 90, 90);
  EXPECT_EQ(GradientStepCount(grey, grey), 0);
  const std::vector<TColour> rows = GradientRowColours(grey, grey, 5);
  EXPECT_EQ(rows, std::vector<TColour>(5, grey));
  EXPECT_TRUE(GradientRowColours(GradientTopColor, GradientBottomColor, 0).empty());
}

TEST(Luminance, RoundsHalvesToEven) {
  struct Case {
    TColour colour;
    int luminance;
  };
  const Case cases[] = {
      {TitleColor, 227},                   // 226.95
      {MakeColour(255, 255, 255), 255},
      {MakeColour(0, 0, 0), 0},
      {MakeColour(0, 0, 128), 14},          // 14.08
      {MakeColour(5, 0, 0), 2},             // 1.5 goes up to 2
      {MakeColour(15, 0, 0), 4},            // 4.5 goes down to 4
      {MakeColour(25, 0, 0), 8},            // 7.5 goes up to 8
      {MakeColour(0, 0, 50), 6},            // 5.5 goes up to 6
      {MakeColour(0, 0, 150), 16},          // 16.5 goes down to 16
      {MakeColour(0, 50, 0), 30},           // 29.5 goes up to 30
      {MakeColour(100, 100, 100), 100},
  };
  for (const Case& c : cases) EXPECT_EQ(Luminance(c.colour), c.luminance) << std::hex << c.colour;
}

TEST(Luminance, DarkTitleGetsWhiteShadowAndLightTitleBlack) {
  EXPECT_EQ(ShadowColour(TitleColor), MakeColour(0, 0, 0));
  EXPECT_EQ(ShadowColour(MakeColour(0, 0, 128)), MakeColour(255, 255, 255));
  // 127.5 rounds to 128 (even): the boundary value already counts as light.
  const TColour boundary = MakeColour(130, 150, 0);
  EXPECT_EQ(Luminance(boundary), 128);
  EXPECT_EQ(ShadowColour(boundary), MakeColour(0, 0, 0));
  const TColour justDark = MakeColour(127, 127, 127);
  EXPECT_EQ(ShadowColour(justDark), MakeColour(255, 255, 255));
}

TEST(Placement, LogoAndFooterSitAtTheBottomOfTheScreen) {
  struct Case {
    int width, height, logoX, logoY, footerX, footerY;
  };
  const Case cases[] = {
      {1024, 768, 410, 696, 774, 748},
      {640, 480, 218, 408, 390, 460},
      {801, 601, 298, 529, 551, 581},
  };
  for (const Case& c : cases) {
    const TScreenPoint logo = LogoOrigin(c.width, c.height);
    const TScreenPoint footer = FooterOrigin(c.width, c.height);
    EXPECT_EQ(logo.x, c.logoX) << c.width;
    EXPECT_EQ(logo.y, c.logoY) << c.height;
    EXPECT_EQ(footer.x, c.footerX) << c.width;
    EXPECT_EQ(footer.y, c.footerY) << c.height;
  }
}

TEST(Placement, FooterIsOneLineNamingTheMaker) {
  EXPECT_EQ(std::strlen(FooterText), 38u);
  EXPECT_NE(std::strstr(FooterText, "Tallowmere"), nullptr);
  EXPECT_EQ(std::strpbrk(FooterText, "\r\n"), nullptr);
}

}  // namespace
