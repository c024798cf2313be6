// What the full-screen backdrop shows, computed without a window: the
// gradient's row colours, the title's shadow colour and where each piece
// goes on a screen of a given size.
#pragma once

#include <cstdint>
#include <vector>

// Platform colour values: red in the low byte, then green, then blue.
using TColour = std::uint32_t;

constexpr TColour MakeColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TColour(red) | (TColour(green) << 8) | (TColour(blue) << 16);
}
constexpr std::uint8_t RedOf(TColour c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColour c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColour c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr TColour GradientTopColor = MakeColour(0, 0, 255);
constexpr TColour GradientBottomColor = MakeColour(0, 0, 0);
constexpr TColour TitleColor = MakeColour(255, 255, 0);

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
int GradientStepCount(TColour from, TColour to);

// The colour of every pixel row of a screen `height` rows high: the colour
// moves one unit per channel toward `to` every height / steps rows (after
// every row when the screen is lower than the step count).
std::vector<TColour> GradientRowColours(TColour from, TColour to, std::int32_t height);

// 0.3 R + 0.59 G + 0.11 B, rounded to the nearest integer, halves to even.
int Luminance(TColour c);

// Black behind a light title, white behind a dark one.
TColour ShadowColour(TColour title);

TScreenPoint LogoOrigin(std::int32_t screenWidth, std::int32_t screenHeight);
TScreenPoint FooterOrigin(std::int32_t screenWidth, std::int32_t screenHeight);
