#include "archive/progress.h"

#include <cmath>

std::int32_t RoundHalfEven(double value) {
    double whole = std::floor(value);
    const double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return static_cast<std::int32_t>(whole);
}

bool ProgressMarkFor(std::int32_t done, std::int32_t total, std::int32_t barLeft, std::int32_t barWidth,
                     ProgressMark& mark) {
    if (total <= 0) return false;
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    mark.BarX = barLeft + RoundHalfEven(fraction * barWidth);
    mark.Percent = RoundHalfEven(fraction * 100.0);
    return true;
}
