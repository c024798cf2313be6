// LZHUF encoding for gvdist: the exact inverse of LzhDecode. The setup
// program holds no encoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Compresses `size` bytes. The same input always gives the same bytes, and
// the stream refers to no ring byte it has not written except the initial
// spaces at 0..4035. `progress`, if set, is told the bytes consumed so far.
// It is the optimal parse below, never larger than the fast one.
std::vector<std::uint8_t> LzhEncode(const std::uint8_t* data, std::size_t size,
                                    const std::function<void(std::size_t)>& progress = {});

// How the matches are chosen. Both take the longest match in the whole
// 4096-byte window at each step, the nearest among equals.
enum class LzhParse {
    Greedy,   // always take the match at hand: the baseline
    Lazy,     // emit a literal first when the next byte starts a longer match
    Fast,     // both, keeping the smaller stream
    Optimal,  // the fewest bits under prices that follow the adaptive tree,
              // or the fast stream when that is smaller (what LzhEncode does)
};
std::vector<std::uint8_t> LzhEncodeWith(LzhParse parse, const std::uint8_t* data, std::size_t size,
                                        const std::function<void(std::size_t)>& progress = {});
