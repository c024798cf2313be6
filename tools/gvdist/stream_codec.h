// The decoder, driven over bytes in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct DecodedStream {
    std::vector<std::uint8_t> Bytes;  // exactly the length asked for
    std::uint64_t BitsUsed = 0;       // bits of the input the decoding needed
    std::uint64_t InputBytes = 0;

    // The input ended before the decoding did: the rest was decoded from
    // the decoder's zero fill.
    bool Truncated() const { return BitsUsed > 8 * InputBytes; }
    // Whole bytes of input the decoding never reached.
    std::uint64_t UnusedBytes() const {
        const std::uint64_t usedBytes = (BitsUsed + 7) / 8;
        return InputBytes > usedBytes ? InputBytes - usedBytes : 0;
    }
};

// Decodes `length` bytes of the LZHUF stream `input`. Not reentrant: the
// decoder's byte source and sink are plain functions over shared state.
DecodedStream DecodeStream(const std::vector<std::uint8_t>& input, std::int32_t length,
                           const std::function<void(std::uint64_t)>& progress = {});
