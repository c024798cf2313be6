#include "lzh/stream_codec.h"

#include <algorithm>
#include <memory>
#include <string>

#include "archive/crc32.h"
#include "archive/lzh_decode.h"
#include "base/errors.h"

namespace {

constexpr std::size_t PieceSize = 1 << 16;

// The decoder calls its source and sink through plain function pointers,
// so the state they work on lives here for the length of one call.
struct CodecState {
    const EncodedSource* Source = nullptr;
    std::uint8_t Input[PieceSize];
    std::size_t InputUsed = 0, InputHeld = 0;
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

void ReadFromSource(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    actual = 0;
    while (actual < count) {
        if (State->InputUsed == State->InputHeld) {
            State->InputHeld = (*State->Source)(State->Input, PieceSize);
            State->InputUsed = 0;
            if (State->InputHeld == 0) {
                return;
            }
        }
        buffer[actual++] = State->Input[State->InputUsed++];
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

DecodedStream DecodeStream(std::uint64_t inputSize, const EncodedSource& source, std::int32_t length,
                           const DecodedSink& sink, const std::function<void(std::uint64_t)>& progress) {
    if (length > LzhMaxDecodedLength(inputSize)) {
        throw DataError(std::to_string(inputSize) + " bytes of compressed data cannot decode to " +
                        std::to_string(length) + " bytes: at most " + std::to_string(LzhMaxDecodedLength(inputSize)));
    }
    DecodedStream result;
    result.InputBytes = inputSize;
    const auto state = std::make_unique<CodecState>();
    state->Source = &source;
    state->Wanted = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    state->Result = &result;
    state->Sink = &sink;
    state->Progress = &progress;
    State = state.get();
    ContinueFlag = 1;
    try {
        ThrowIfFault(LzhDecode(length, ReadFromSource, WriteToPiece));
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

DecodedStream DecodeStream(const std::vector<std::uint8_t>& input, std::int32_t length, const DecodedSink& sink,
                           const std::function<void(std::uint64_t)>& progress) {
    std::size_t at = 0;
    const EncodedSource fromMemory = [&input, &at](std::uint8_t* buffer, std::size_t size) {
        const std::size_t count = std::min(size, input.size() - at);
        std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(at), count, buffer);
        at += count;
        return count;
    };
    return DecodeStream(input.size(), fromMemory, length, sink, progress);
}
