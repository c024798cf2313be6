// Arbitrary bytes as a stream: the first four give the length to decode
// (any 32-bit value), the rest is the input. No input may crash the decoder
// or read outside its tables. It produces the length asked for, plus at
// most the 59-byte tail of a last match, unless the input runs out first:
// then it stops once its tokens have used more bits than the input holds,
// and never produces more than a stream of that size can decode to.
// Decoding stops when the archive runs out. At most 48 bytes per archive
// byte, plus 60.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/lzh_decode.h"

namespace {

const std::uint8_t* Input;
std::size_t InputSize, InputAt, Produced;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::int32_t length = static_cast<std::int32_t>(static_cast<std::uint32_t>(data[0]) | data[1] << 8 |
                                                          data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    Input = data + 4;
    InputSize = size - 4;
    InputAt = 0;
    Produced = 0;
    ContinueFlag = 1;
    // The C heap does not refuse the tables here; a fault would be a finding.
    if (LzhDecode(
            length,
            [](std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
                if (count != 1) std::abort();
                actual = InputAt < InputSize ? (*buffer = Input[InputAt++], 1) : 0;
            },
            [](const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
                if (count != 1) std::abort();
                [[maybe_unused]] volatile std::uint8_t sink = *buffer;  // the byte must be readable
                ++Produced;
                actual = 1;
            }))
        std::abort();
    const std::uint64_t wanted = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    const bool ranOut = LzhBitsUsed() > 8ull * InputSize;
    if (Produced > wanted + 59 || (Produced < wanted && !ranOut)) std::abort();
    if (static_cast<std::int64_t>(Produced) > LzhMaxDecodedLength(InputSize)) std::abort();
    if (wanted == 0 && LzhBitsUsed() != 0) std::abort();
    return 0;
}
