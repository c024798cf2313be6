// Arbitrary bytes as a stream: the first two give the length to decode, the
// rest is the input. No input may crash the decoder or read outside its
// tables, and it always produces the length asked for, plus at most the
// 59-byte tail of a last match.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/lzh_decode.h"

namespace {

const std::uint8_t* Input;
std::size_t InputSize;
std::size_t InputAt;
std::size_t Produced;

void ReadFuzzInput(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    if (count != 1) std::abort();
    actual = 0;
    if (InputAt < InputSize) {
        *buffer = Input[InputAt++];
        actual = 1;
    }
}

void CountOutput(const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    if (count != 1) std::abort();
    volatile std::uint8_t sink = *buffer;  // the byte must be readable
    (void)sink;
    ++Produced;
    actual = 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // Up to 64 KiB, so a run touches the ring many times over yet stays quick.
    const std::int32_t length = data[0] | (data[1] << 8);
    Input = data + 2;
    InputSize = size - 2;
    InputAt = 0;
    Produced = 0;
    ContinueFlag = 1;
    LzhDecode(length, ReadFuzzInput, CountOutput);
    if (Produced < static_cast<std::size_t>(length) || Produced > static_cast<std::size_t>(length) + 59) std::abort();
    if (length == 0 && LzhBitsUsed() != 0) std::abort();
    return 0;
}
