// LZHUF decoding: LZSS over a 4096-byte ring, literals and match lengths
// coded by one adaptive Huffman tree, match positions by a fixed prefix
// code for their upper 6 bits followed by their lower 6 bits verbatim.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/fault.h"

// The byte source and sink of the decoder. It always moves one byte at a
// time; `actual` reports how many bytes were really moved.
using TLzhReadProc = void (*)(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual);
using TLzhWriteProc = void (*)(const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual);

// The error class that the setup's report names for the decoder's faults.
constexpr char LzhErrorClass[] = "ElzhException";

// 1 while a copy may go on, 0 once it must stop. Part of the program-wide
// state (setup/globals.h); the decoder only reads it, before each token.
extern std::int32_t ContinueFlag;

// Decodes until at least expectedLength bytes have reached the sink (the
// last match is always copied whole), ContinueFlag is 0, or the tokens have
// used more bits than the source delivered before it first had no byte.
// Faults when its tables cannot be allocated (LzhNoMemoryText) or released
// (LzhFreeErrorText). An exception that the source or sink throws passes
// through, the tables released.
Fault LzhDecode(std::int32_t expectedLength, TLzhReadProc source, TLzhWriteProc sink);

// The most that a stream of `compressedSize` bytes can decode to: a match
// gives at most 60 bytes for at least 10 bits (1 of symbol, 3 of position
// code, 6 raw), and the last one may start just before the end.
constexpr std::int64_t LzhMaxDecodedLength(std::uint64_t compressedSize) {
    return compressedSize >= (std::uint64_t{1} << 56) ? INT64_MAX : static_cast<std::int64_t>(compressedSize) * 48 + 60;
}

// Bits of the stream that the last LzhDecode call actually used (not the
// ones its reader fetched ahead). A stream of n bytes was too short for the
// decoding when this exceeds 8 * n: the rest came from the zero fill.
std::uint64_t LzhBitsUsed();

// Bytes of the last LzhDecode call's output (the last match's overrun
// included) that came from tokens whose every bit the source delivered:
// all of it unless the source ran out, else those before the token that
// read past its end. Their bytes are exact whatever the missing input held.
std::int64_t LzhSoundLength();

// Where the decoder takes its four tables from. `release` returns false when
// the heap rejects the block. The default is the C heap; tests put in their
// own to watch the order and to make either step fail.
struct TLzhTableHeap {
    void* (*allocate)(std::size_t size);
    bool (*release)(void* block);
};
// nullptr restores the default.
void LzhSetTableHeap(const TLzhTableHeap* heap);

extern const char LzhNoMemoryText[];   // "LZH : Cannot get memory for dictionary tables"
extern const char LzhFreeErrorText[];  // "LZH : Error freeing memory for dictionary tables"
