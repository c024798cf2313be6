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
std::vector<std::uint8_t> LzhEncode(const std::uint8_t* data, std::size_t size,
                                    const std::function<void(std::size_t)>& progress = {});
