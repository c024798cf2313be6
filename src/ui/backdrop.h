// What the full-screen backdrop shows, computed without a window: the
// gradient's row colors, the title's shadow color and where each piece
// goes on a screen of a given size.
#pragma once

#include <cstdint>
#include <vector>

// Platform color values: red in the low byte, then green, then blue.
using TColor = std::uint32_t;

constexpr TColor MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}
constexpr std::uint8_t RedOf(TColor c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColor c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr TColor GradientTopColor = MakeColor(0, 0, 255);
constexpr TColor GradientBottomColor = MakeColor(0, 0, 0);
constexpr TColor TitleColor = MakeColor(255, 255, 0);

extern const char FooterText[];

struct TScreenPoint {
    std::int32_t x;
    std::int32_t y;
};

constexpr TScreenPoint TitleShadowOrigin = {24, 28};
constexpr TScreenPoint TitleOrigin = {22, 25};
constexpr std::int32_t LogoWidth = 204;
constexpr std::int32_t LogoHeight = 66;

// The largest of the three channel distances, 0 to 255.
int GradientStepCount(TColor from, TColor to);

// The color of every pixel row of a screen `height` rows high: the color
// moves one unit per channel toward `to` every height / steps rows (after
// every row when the screen is lower than the step count).
std::vector<TColor> GradientRowColors(TColor from, TColor to, std::int32_t height);

// 0.3 R + 0.59 G + 0.11 B, rounded to the nearest integer, halves to even.
int Luminance(TColor c);

// Black behind a light title, white behind a dark one.
TColor ShadowColor(TColor title);

TScreenPoint LogoOrigin(std::int32_t screenWidth, std::int32_t screenHeight);
TScreenPoint FooterOrigin(std::int32_t screenWidth, std::int32_t screenHeight);
