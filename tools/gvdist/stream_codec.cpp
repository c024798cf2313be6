#include "stream_codec.h"

#include "archive/lzh_decode.h"

namespace {

// The decoder calls its source and sink through plain function pointers,
// so the buffers they work on live here for the length of one call.
struct CodecState {
    const std::vector<std::uint8_t>* Input = nullptr;
    std::size_t InputPos = 0;
    std::vector<std::uint8_t>* Output = nullptr;
    const std::function<void(std::uint64_t)>* Progress = nullptr;
};

CodecState State;

void ReadFromMemory(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    actual = 0;
    while (actual < count && State.InputPos < State.Input->size()) {
        buffer[actual++] = (*State.Input)[State.InputPos++];
    }
}

void WriteToMemory(const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    State.Output->insert(State.Output->end(), buffer, buffer + count);
    actual = count;
    constexpr std::size_t ProgressStep = 1 << 16;
    if (*State.Progress && State.Output->size() % ProgressStep == 0) {
        (*State.Progress)(State.Output->size());
    }
}

}  // namespace

DecodedStream DecodeStream(const std::vector<std::uint8_t>& input, std::int32_t length,
                           const std::function<void(std::uint64_t)>& progress) {
    DecodedStream result;
    result.InputBytes = input.size();
    if (length > 0) {
        result.Bytes.reserve(static_cast<std::size_t>(length) + 64);
    }
    State = CodecState{&input, 0, &result.Bytes, &progress};
    ContinueFlag = 1;
    try {
        LzhDecode(length, ReadFromMemory, WriteToMemory);
    } catch (...) {
        State = CodecState{};
        throw;
    }
    State = CodecState{};
    result.BitsUsed = LzhBitsUsed();
    // The last match is always copied whole and may run past the length.
    if (length >= 0 && result.Bytes.size() > static_cast<std::size_t>(length)) {
        result.Bytes.resize(static_cast<std::size_t>(length));
    }
    if (progress) {
        progress(result.Bytes.size());
    }
    return result;
}
