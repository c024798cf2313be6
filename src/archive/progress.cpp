#include "archive/progress.h"

// In whole numbers rather than with floor and fmod: setup.exe links no C
// library of floating-point functions.
std::int32_t RoundHalfEven(double value) {
    std::int32_t whole = static_cast<std::int32_t>(value);  // towards zero
    if (whole > value) --whole;
    const double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && whole % 2 != 0)) ++whole;
    return whole;
}

bool ProgressMarkFor(std::int32_t done, std::int32_t total, std::int32_t barLeft, std::int32_t barWidth,
                     ProgressMark& mark) {
    if (total <= 0) return false;
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    mark.BarX = barLeft + RoundHalfEven(fraction * barWidth);
    mark.Percent = RoundHalfEven(fraction * 100.0);
    return true;
}
