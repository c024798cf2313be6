// LZHUF stream, as read here. No header, length, end marker or checksum:
// the caller knows how many bytes to produce. Bits are taken from each byte
// most significant first. Each token starts with a symbol of the adaptive
// Huffman tree (lzh_tree.h): 0..255 is a literal byte, 256..313 a match of
// (symbol - 253) = 3..60 bytes. A match symbol is followed by a position p:
// a prefix code of 3..8 bits for its upper 6 bits, then its lower 6 bits.
// The match copies from p + 1 bytes back in a 4096-byte ring whose first
// 4036 bytes start as spaces; writing starts at ring position 4036.
// Missing input reads as zero bits, but no token starts once the bits used
// pass the source's end. The last match is always copied whole, so the
// sink may get up to 59 bytes more than asked for.
#include "archive/lzh_decode.h"

#include <cstdlib>

#include "archive/lzh_tree.h"

const char LzhNoMemoryText[] = "LZH : Cannot get memory for dictionary tables";
const char LzhFreeErrorText[] = "LZH : Error freeing memory for dictionary tables";

namespace {

void* CAllocate(std::size_t size) { return std::malloc(size); }
bool CRelease(void* block) {
    std::free(block);
    return true;
}
const TLzhTableHeap CHeap = {CAllocate, CRelease};
const TLzhTableHeap* TableHeap = &CHeap;

std::uint64_t LastBitsUsed = 0;
std::int64_t LastSoundLength = 0;

// The four tables in the order they are allocated; released in reverse.
struct Tables {
    void* blocks[4] = {};
    int count = 0;

    // Also when a callback's exception passes through the decoder.
    ~Tables() { ReleaseAll(); }

    bool Allocate(std::size_t size) {
        void* block = TableHeap->allocate(size);
        if (block == nullptr) return false;
        blocks[count++] = block;
        return true;
    }
    // Releases every block even after a refusal, so a failure leaks nothing
    // the heap would still take back; reports whether all were accepted.
    bool ReleaseAll() {
        bool ok = true;
        while (count > 0) {
            if (!TableHeap->release(blocks[--count])) ok = false;
        }
        return ok;
    }
};

// One byte from the source; anything but a delivered byte reads as 0 and
// ends the source's stream at `fetched`, the number of bytes asked so far.
inline std::uint32_t FetchByte(TLzhReadProc source, std::uint64_t fetched, std::uint64_t& delivered) {
    std::uint8_t byte = 0;
    std::uint16_t actual = 0;
    source(&byte, 1, actual);
    if (actual == 1) return byte;
    if (fetched < delivered) delivered = fetched;
    return 0u;
}

// The walk from a node down the tree for as long as the buffer holds more
// than 8 bits, kept out of line so its few values stay in registers.
struct Walk {
    std::int32_t node;
    std::uint32_t buffer;  // low 16 bits: the bit buffer; high 16 bits: its count
};
#if defined(__GNUC__)
__attribute__((noinline))
#endif
Walk WalkDown(const std::int16_t* child, std::int32_t x, std::uint32_t buffer, unsigned count) {
    while (count > 8 && x < lzh::NodeCount) {
        x = child[x + static_cast<std::int32_t>(buffer >> 15)];
        buffer = (buffer << 1) & 0xFFFFu;
        --count;
    }
    return Walk{x, buffer | (count << 16)};
}

// Returns the stream bits used: those fetched minus those still buffered.
// The bit buffer holds 16 bits, bit 15 being the next one, and is refilled a
// byte at a time whenever it holds 8 bits or less; it lives in locals so it
// stays in registers across the sink calls.
// Once the tokens have used more bits than the source delivered, the rest
// would be decoded from the zero fill alone: a table that does not belong
// to the archive would then write up to its whole length of garbage. The
// decoding stops there instead, and the caller sees a stream cut short.
// The token that crossed the end may have read zero fill into its symbol or
// position: `sound` counts the bytes of the tokens before it.
std::uint64_t Decode(std::int32_t expectedLength, TLzhReadProc source, TLzhWriteProc sink, std::uint8_t* ring,
                     const lzh::AdaptiveTree& tree) {
    using namespace lzh;
    const PositionTables& position = PositionCode();
    const std::int16_t* const child = tree.child;
    std::uint32_t buffer = 0;
    unsigned count = 0;
    std::uint64_t fetched = 0;
    std::uint64_t delivered = UINT64_MAX / 8;  // bytes before the source's end; unknown yet
    auto refill = [&]() {
        while (count <= 8) {
            buffer |= FetchByte(source, fetched, delivered) << (8 - count);
            count += 8;
            ++fetched;
        }
    };
    auto bit = [&]() -> unsigned {
        if (count <= 8) refill();
        const unsigned b = (buffer >> 15) & 1u;
        buffer = (buffer << 1) & 0xFFFFu;
        --count;
        return b;
    };
    auto bitsUsed = [&]() { return fetched * 8 - count; };

    unsigned r = RingStart;
    // Wide enough for a last match that runs past 2^31 - 1.
    std::int64_t produced = 0;
    std::int64_t sound = 0;
    std::uint16_t ignored = 0;
    while (produced < expectedLength && ContinueFlag != 0 && bitsUsed() <= delivered * 8) {
        sound = produced;  // every token so far ended inside the delivered bytes
        int x = child[RootNode];
        for (;;) {
            const Walk walk = WalkDown(child, x, buffer, count);
            x = walk.node;
            buffer = walk.buffer & 0xFFFFu;
            count = walk.buffer >> 16;
            if (x >= NodeCount) break;
            refill();
        }
        const int symbol = x - NodeCount;
        UpdateTree(tree, symbol);

        if (symbol < 256) {
            const std::uint8_t byte = static_cast<std::uint8_t>(symbol);
            sink(&byte, 1, ignored);
            ring[r] = byte;
            r = (r + 1) & RingMask;
            ++produced;
            continue;
        }
        if (count <= 8) refill();
        unsigned b = (buffer >> 8) & 0xFFu;
        buffer = (buffer << 8) & 0xFFFFu;
        count -= 8;
        const unsigned upper = position.upper[b];
        for (int n = position.length[b] - 2; n > 0; --n) b = ((b << 1) | bit()) & 0xFFFFu;
        const unsigned p = (upper << 6) | (b & 63u);
        unsigned q = (r - p - 1) & RingMask;  // p + 1 bytes back; may overlap what it writes
        const int length = symbol - 253;
        for (int k = 0; k < length; ++k) {
            const std::uint8_t byte = ring[q];
            q = (q + 1) & RingMask;
            sink(&byte, 1, ignored);
            ring[r] = byte;
            r = (r + 1) & RingMask;
        }
        produced += length;
    }
    LastSoundLength = bitsUsed() <= delivered * 8 ? produced : sound;
    return bitsUsed();
}

}  // namespace

void LzhSetTableHeap(const TLzhTableHeap* heap) { TableHeap = heap != nullptr ? heap : &CHeap; }

std::uint64_t LzhBitsUsed() { return LastBitsUsed; }

std::int64_t LzhSoundLength() { return LastSoundLength; }

Fault LzhDecode(std::int32_t expectedLength, TLzhReadProc source, TLzhWriteProc sink) {
    using namespace lzh;
    LastBitsUsed = 0;
    LastSoundLength = 0;

    Tables tables;
    if (!tables.Allocate(RingSize) || !tables.Allocate(FreqEntries * sizeof(std::uint16_t)) ||
        !tables.Allocate(ParentEntries * sizeof(std::int16_t)) ||
        !tables.Allocate(ChildEntries * sizeof(std::int16_t))) {
        tables.ReleaseAll();
        return Fault(LzhNoMemoryText);
    }
    auto* const ring = static_cast<std::uint8_t*>(tables.blocks[0]);
    const AdaptiveTree tree{static_cast<std::uint16_t*>(tables.blocks[1]), static_cast<std::int16_t*>(tables.blocks[2]),
                            static_cast<std::int16_t*>(tables.blocks[3])};
    StartTree(tree);
    // Positions past the spaces are never written before a well-formed
    // stream reads them; zeros make a corrupt one's output repeatable.
    for (int i = 0; i < RingSize; ++i) ring[i] = i < RingStart ? 0x20 : 0x00;

    LastBitsUsed = Decode(expectedLength, source, sink, ring, tree);
    if (!tables.ReleaseAll()) return Fault(LzhFreeErrorText);
    return {};
}
