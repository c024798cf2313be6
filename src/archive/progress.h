// The arithmetic of the copy dialogs' progress bar, apart from drawing it.
#pragma once

#include <cstdint>

// Rounds to the nearest whole number; an exact half goes to the even
// neighbour (12.5 -> 12, 13.5 -> 14).
std::int32_t RoundHalfEven(double value);

struct ProgressMark {
    std::int32_t Percent = 0;  // done of total, in whole percent
    std::int32_t BarX = 0;     // first column of the bar's not-done part
};

// Where the bar stands for `done` of `total` bytes on a bar starting at
// `barLeft` that is `barWidth` columns wide at 100 %. False when total is
// 0 or negative: there is nothing to show then.
bool ProgressMarkFor(std::int32_t done, std::int32_t total, std::int32_t barLeft, std::int32_t barWidth,
                     ProgressMark& mark);
