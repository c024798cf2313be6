#include "lzh/stream_codec.h"

#include <algorithm>
#include <memory>
#include <string>

#include "archive/lzh_decode.h"
#include "base/checksum.h"
#include "base/errors.h"

namespace {

constexpr std::size_t PieceSize = 1 << 16;

// The decoder calls its source and sink through plain function pointers,
// so the state they work on lives here for the length of one call.
struct CodecState {
    const std::vector<std::uint8_t>* Input = nullptr;
    std::size_t InputPos = 0;
    std::uint64_t Wanted = 0;  // bytes past this are the last match's overrun
    std::uint8_t Piece[PieceSize];
    std::size_t PieceUsed = 0;
    DecodedStream* Result = nullptr;
    const DecodedSink* Sink = nullptr;
    const std::function<void(std::uint64_t)>* Progress = nullptr;
};

CodecState* State = nullptr;

void HandOn() {
    DecodedStream& result = *State->Result;
    const std::uint64_t left = State->Wanted - result.Length;
    const std::size_t size = State->PieceUsed < left ? State->PieceUsed : static_cast<std::size_t>(left);
    if (size > 0) {
        if (*State->Sink) {
            (*State->Sink)(result.Length, State->Piece, size);
        }
        result.Crc = Crc32(State->Piece, size, result.Crc);
        result.Length += size;
        if (*State->Progress) {
            (*State->Progress)(result.Length);
        }
    }
    State->PieceUsed = 0;
}

void ReadFromMemory(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    actual = 0;
    while (actual < count && State->InputPos < State->Input->size()) {
        buffer[actual++] = (*State->Input)[State->InputPos++];
    }
}

void WriteToPiece(const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    for (std::uint16_t i = 0; i < count; ++i) {
        if (State->PieceUsed == PieceSize) {
            HandOn();
        }
        State->Piece[State->PieceUsed++] = buffer[i];
    }
    actual = count;
}

}  // namespace

DecodedStream DecodeStream(const std::vector<std::uint8_t>& input, std::int32_t length, const DecodedSink& sink,
                           const std::function<void(std::uint64_t)>& progress) {
    if (length > LzhMaxDecodedLength(input.size())) {
        throw DataError(std::to_string(input.size()) + " bytes of compressed data cannot decode to " +
                        std::to_string(length) + " bytes: at most " +
                        std::to_string(LzhMaxDecodedLength(input.size())));
    }
    DecodedStream result;
    result.InputBytes = input.size();
    const auto state = std::make_unique<CodecState>();
    state->Input = &input;
    state->Wanted = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    state->Result = &result;
    state->Sink = &sink;
    state->Progress = &progress;
    State = state.get();
    ContinueFlag = 1;
    try {
        LzhDecode(length, ReadFromMemory, WriteToPiece);
        HandOn();
    } catch (...) {
        State = nullptr;
        throw;
    }
    State = nullptr;
    result.BitsUsed = LzhBitsUsed();
    result.SoundLength = std::min(result.Length, static_cast<std::uint64_t>(LzhSoundLength()));
    return result;
}
