// The decoder, driven over bytes in memory, its output handed on in pieces
// so that memory does not grow with the length decoded.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct DecodedStream {
    std::uint64_t Length = 0;    // bytes produced, at most the length asked for
    std::uint32_t Crc = 0;       // CRC-32 of those bytes
    std::uint64_t BitsUsed = 0;  // bits of the input the decoding needed
    std::uint64_t InputBytes = 0;
    // The first SoundLength bytes decoded from input that was there: all of
    // Length unless Truncated(). The rest of a cut stream is not to be kept.
    std::uint64_t SoundLength = 0;

    // The input ended before the decoding did: the decoder stopped where
    // only its zero fill was left.
    bool Truncated() const { return BitsUsed > 8 * InputBytes; }
    // Whole bytes of input the decoding never reached.
    std::uint64_t UnusedBytes() const {
        const std::uint64_t usedBytes = (BitsUsed + 7) / 8;
        return InputBytes > usedBytes ? InputBytes - usedBytes : 0;
    }
};

// Takes the decoded bytes in order; `at` is the position of data[0].
using DecodedSink = std::function<void(std::uint64_t at, const std::uint8_t* data, std::size_t size)>;

// Gives up to `size` bytes of the input into `buffer` and says how many; 0 at its end.
using EncodedSource = std::function<std::size_t(std::uint8_t* buffer, std::size_t size)>;

// Decodes up to `length` bytes of the LZHUF stream of `inputSize` bytes
// that `source` gives into `sink`, reading only as far as the decoding
// needs. Throws DataError, before decoding, when no stream of that size
// can decode to `length` bytes. Not reentrant: the decoder's byte source
// and sink are plain functions over shared state.
DecodedStream DecodeStream(std::uint64_t inputSize, const EncodedSource& source, std::int32_t length,
                           const DecodedSink& sink, const std::function<void(std::uint64_t)>& progress = {});

// The same for a stream in memory.
DecodedStream DecodeStream(const std::vector<std::uint8_t>& input, std::int32_t length, const DecodedSink& sink,
                           const std::function<void(std::uint64_t)>& progress = {});
