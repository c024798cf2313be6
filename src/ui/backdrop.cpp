#include "ui/backdrop.h"

#include <algorithm>
#include <cstdlib>

#include "util/paths.h"

const char FooterText[] = "Copyright (c) 1995-1997 by Tallowmere.";

int GradientStepCount(TColor from, TColor to) {
    return std::max({std::abs(RedOf(from) - RedOf(to)), std::abs(GreenOf(from) - GreenOf(to)),
                     std::abs(BlueOf(from) - BlueOf(to))});
}

namespace {

std::uint8_t StepChannel(std::uint8_t value, std::uint8_t target) {
    if (value < target) return ByteMin(255, std::uint8_t(value + 1));
    if (value > target) return ByteMax(0, std::uint8_t(value - 1));
    return value;
}

}  // namespace

std::vector<TColor> GradientRowColors(TColor from, TColor to, std::int32_t height) {
    std::vector<TColor> rows;
    if (height <= 0) return rows;
    rows.reserve(std::size_t(height));
    const int steps = GradientStepCount(from, to);
    if (steps == 0) {
        rows.assign(std::size_t(height), from);
        return rows;
    }
    const std::int32_t rowsPerStep = height / steps;
    std::int32_t rowsInStep = 0;
    TColor current = from;
    for (std::int32_t y = 0; y < height; ++y) {
        rows.push_back(current);
        // With 0 rows per step the count is already past the limit after one row.
        if (++rowsInStep >= rowsPerStep) {
            rowsInStep = 0;
            current = MakeColor(StepChannel(RedOf(current), RedOf(to)), StepChannel(GreenOf(current), GreenOf(to)),
                                StepChannel(BlueOf(current), BlueOf(to)));
        }
    }
    return rows;
}

int Luminance(TColor c) {
    // In hundredths, so the halves are exact.
    const int hundredths = 30 * RedOf(c) + 59 * GreenOf(c) + 11 * BlueOf(c);
    int whole = hundredths / 100;
    const int rest = hundredths % 100;
    if (rest > 50 || (rest == 50 && whole % 2 == 1)) ++whole;
    return whole;
}

TColor ShadowColor(TColor title) { return Luminance(title) < 128 ? MakeColor(255, 255, 255) : MakeColor(0, 0, 0); }

TScreenPoint LogoOrigin(std::int32_t screenWidth, std::int32_t screenHeight) {
    return {screenWidth / 2 - LogoWidth / 2, screenHeight - 72};
}

TScreenPoint FooterOrigin(std::int32_t screenWidth, std::int32_t screenHeight) {
    return {screenWidth - 250, screenHeight - 20};
}
