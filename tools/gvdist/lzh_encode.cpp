// Seed: the encoder replaces this file.
#include "lzh_encode.h"

std::vector<std::uint8_t> LzhEncode(const std::uint8_t*, std::size_t, const std::function<void(std::size_t)>&) {
    return {};
}
