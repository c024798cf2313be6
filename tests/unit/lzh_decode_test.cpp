#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/lzh_decode.h"

namespace {

// A byte source and sink over memory that also check the decoder's side of
// the contract: one byte per call, always.
struct Harness {
    std::vector<std::uint8_t> input;
    std::size_t cancelAfter = 0;  // clear ContinueFlag once this many bytes arrived (0: never)
    std::size_t inputAt = 0, sourceCalls = 0;
    std::string output;
} H;
bool SinkThrows = false;

std::string Decode(std::vector<std::uint8_t> input, std::int32_t length, std::int32_t flag = 1, std::size_t cancelAfter = 0) {
    H = Harness{std::move(input), cancelAfter, 0, 0, ""};
    ContinueFlag = flag;
    LzhDecode(length, [](std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
        EXPECT_EQ(count, 1u);
        ++H.sourceCalls;
        *buffer = 0xFF;  // must not be taken when actual is 0
        actual = H.inputAt < H.input.size() ? (*buffer = H.input[H.inputAt++], 1) : 0;
    }, [](const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
        EXPECT_EQ(count, 1u);
        if (SinkThrows) throw std::runtime_error("disk full");
        H.output.push_back(static_cast<char>(*buffer));
        actual = 0;  // the decoder ignores it
        if (H.output.size() == H.cancelAfter) ContinueFlag = 0;
    });
    ContinueFlag = 1;
    return H.output;
}

// Streams put together bit by bit from the start tree, in which the 8 zero
// bits name 't' and 10001100 / 11000101 name matches of 3 / 60 bytes. After
// one 't' its leaf trades places with the 60-byte match, so 8 zero bits then
// name that match. Positions: 000 + 6 bits is p = 0..63; 11111111 + 6 bits is
// p = 4032..4095. A stream was cut short when it used more bits than it has.
TEST(LzhDecode, HandAssembledStreams) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> input;
        std::int32_t length;
        std::string expected;
        std::uint64_t bitsUsed;
        std::size_t cancelAfter = 0;  // output size at which the sink clears ContinueFlag
        std::int32_t flag = 1;        // ContinueFlag at entry
    };
    const std::vector<Case> cases = {
        {"one literal", {0x00}, 1, "t", 8},
        {"first match p=0 repeats the initial spaces", {0x8C, 0x00, 0x00}, 3, "   ", 17},
        {"p=4036 wraps from ring position 4095 to 0", {0x8C, 0xFF, 0x10}, 3, std::string("\0  ", 3), 22},
        {"p=4095 reads the zeroed tail", {0x8C, 0xFF, 0xFC}, 3, std::string(3, '\0'), 22},
        {"a 60-byte match is copied whole past the length", {0x00, 0x00, 0x00, 0x00}, 2, std::string(61, 't'), 25},
        {"cut one byte short: zero fill", {0x00, 0x00, 0x00}, 2, std::string(61, 't'), 25},
        {"no input at all: zero fill", {}, 2, std::string(61, 't'), 25},
        {"p=0 length 60 for a length of 1", {0xC5, 0x00, 0x00}, 1, std::string(60, ' '), 17},
        {"length 0", {0x12, 0x34}, 0, "", 0},
        {"negative length", {0x12, 0x34}, -5, "", 0},
        {"ContinueFlag cleared at entry", {0x00}, 100, "", 0, 0, 0},
        {"ContinueFlag cleared after the literal", {}, 1000, "t", 8, 1},
        {"ContinueFlag cleared inside the match, which still completes", {}, 1000, std::string(61, 't'), 25, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Decode(c.input, c.length, c.flag, c.cancelAfter), c.expected);
        EXPECT_EQ(LzhBitsUsed(), c.bitsUsed);
        // Reads ahead at most two bytes, and nothing at all without work.
        EXPECT_LE(H.sourceCalls, c.bitsUsed ? (c.bitsUsed + 7) / 8 + 2 : 0);
    }
}

// A heap that records what the decoder asks of it and fails on request.
struct HeapLog {
    std::vector<std::size_t> sizes;
    std::vector<void*> allocated, released;
    std::size_t failAllocation = 0;  // 1-based; 0 for none
    bool refuseRelease = false;
} Log;

TEST(LzhDecode, TablesTakenInOrderAndReleasedInReverse) {
    struct Case {
        const char* what;
        std::size_t failAllocation;
        bool refuseRelease, sinkThrows;
        std::string output, error;
    };
    const std::vector<std::size_t> sizes = {4096, 628 * 2, 941 * 2, 627 * 2};
    const std::string noMemory = "LZH : Cannot get memory for dictionary tables";
    const std::vector<Case> cases = {
        {"all is well", 0, false, false, "t", ""},
        {"ring refused", 1, false, false, "", noMemory},
        {"frequencies refused", 2, false, false, "", noMemory},
        {"parents refused", 3, false, false, "", noMemory},
        {"children refused", 4, false, false, "", noMemory},
        {"release refused after the output", 0, true, false, "t", "LZH : Error freeing memory for dictionary tables"},
        {"the sink's error passes", 0, false, true, "", "disk full"},
    };
    const TLzhTableHeap heap = {
        [](std::size_t size) -> void* {
            Log.sizes.push_back(size);
            return Log.sizes.size() == Log.failAllocation ? nullptr : Log.allocated.emplace_back(::operator new(size));
        },
        [](void* block) {
            ::operator delete(Log.released.emplace_back(block));
            return !Log.refuseRelease;
        }};
    LzhSetTableHeap(&heap);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Log = HeapLog{{}, {}, {}, c.failAllocation, c.refuseRelease};
        SinkThrows = c.sinkThrows;
        std::string error;
        try {
            Decode({0x00}, 1);
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(H.output, c.output);
        EXPECT_EQ(Log.sizes, std::vector<std::size_t>(sizes.begin(), sizes.begin() + (c.failAllocation ? c.failAllocation : 4)));
        EXPECT_EQ(Log.released, std::vector<void*>(Log.allocated.rbegin(), Log.allocated.rend()));
        EXPECT_EQ(H.sourceCalls == 0, c.failAllocation != 0);  // nothing read without tables
    }
    LzhSetTableHeap(nullptr);
    SinkThrows = false;
    ContinueFlag = 1;
}

constexpr int Symbols = 314, Nodes = 2 * Symbols - 1, Root = Nodes - 1;

class ReferenceWriter {
public:
    // The tree is rebuilt at the start of an update when the root weighs
    // exactly `rebuildWeight`.
    explicit ReferenceWriter(unsigned rebuildWeight) : rebuildWeight_(rebuildWeight) {
        for (int s = 0; s < Symbols; ++s) down_[s] = Nodes + s;
        for (int n = Symbols, first = 0; n < Nodes; ++n, first += 2) {
            weight_[n] = weight_[first] + weight_[first + 1];
            down_[n] = first;
        }
        Relink();
    }
    // The copy starts position + 1 bytes back. Upper 6 bits by a prefix code
    // of lengths 3, 4 x3, 5 x8, 6 x12, 7 x24, 8 x16 (each the next pattern of
    // its length), then the lower 6 bits.
    void Match(int length, int position) {
        Symbol(length + 253);
        static const int counts[] = {1, 3, 8, 12, 24, 16};
        int upper = position >> 6, code = 0, bits = 3;
        for (int i = 0; upper >= counts[i]; upper -= counts[i], code = (code + counts[i]) << 1, ++bits, ++i) {}
        Put(code + upper, bits);
        Put(position & 63, 6);
    }
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> bytes((bits_.size() + 7) / 8, 0);
        for (std::size_t i = 0; i < bits_.size(); ++i) bytes[i / 8] |= static_cast<std::uint8_t>(bits_[i] << (7 - i % 8));
        return bytes;
    }

    void Symbol(int symbol) {
        const std::size_t at = bits_.size();
        for (int n = leaf_[symbol]; n != Root; n = up_[n]) bits_.insert(bits_.begin() + static_cast<long>(at), n != down_[up_[n]]);
        if (weight_[Root] == rebuildWeight_) Rebuild();
        for (int n = leaf_[symbol];; n = up_[n]) {
            int target = n;  // past every node of the old weight, never past one of the new
            while (target + 1 < Nodes && weight_[target + 1] <= weight_[n]) ++target;
            if (target != n) {
                std::swap(weight_[n], weight_[target]);
                std::swap(down_[n], down_[target]);
                Relink();
            }
            ++weight_[target];
            if (target == Root) break;
            n = target;
        }
    }

private:
    void Put(int value, int count) {
        for (int i = count - 1; i >= 0; --i) bits_.push_back((value >> i) & 1);
    }
    void Relink() {
        for (int n = 0; n < Nodes; ++n) {
            if (down_[n] >= Nodes) leaf_[down_[n] - Nodes] = n;
            else up_[down_[n]] = up_[down_[n] + 1] = n;
        }
    }
    // Leaves keep their order with halved weights; each sum goes after the
    // last node not heavier than it.
    void Rebuild() {
        std::vector<unsigned> w;
        std::vector<int> d;
        for (int n = 0; n < Nodes; ++n)
            if (down_[n] >= Nodes) w.push_back((weight_[n] + 1) / 2), d.push_back(down_[n]);
        for (int first = 0; static_cast<int>(w.size()) < Nodes; first += 2) {
            const unsigned sum = w[first] + w[first + 1];
            std::size_t at = w.size();
            while (at > 0 && w[at - 1] > sum) --at;
            w.insert(w.begin() + static_cast<long>(at), sum);
            d.insert(d.begin() + static_cast<long>(at), first);
        }
        weight_.swap(w), down_.swap(d);
        Relink();
    }

    unsigned rebuildWeight_;
    std::vector<unsigned> weight_ = std::vector<unsigned>(Nodes, 1);
    std::vector<int> down_ = std::vector<int>(Nodes), up_ = std::vector<int>(Nodes), leaf_ = std::vector<int>(Symbols);
    std::vector<int> bits_;
};

// Streams from an independent, deliberately plain model of the token
// coding: its tree kept in std::vector and relinked after every swap.
// 314 symbols of weight 1 reach the root weight 0x8000 after 32454 updates.
TEST(LzhReference, TreeIsRebuiltAtTheStartOfThe32455thSymbol) {
    std::mt19937 random(7);
    std::string expected;
    ReferenceWriter onTime(0x8000), early(0x7FFF), late(0x8001);
    for (int i = 0; i < 60000; ++i) {
        // Skewed literals keep the tree lopsided, so a rebuild one symbol
        // off changes the codes that follow.
        const int byte = static_cast<int>(random() % 64) * static_cast<int>(random() % 4);
        for (ReferenceWriter* w : {&onTime, &early, &late}) w->Symbol(byte);
        expected += static_cast<char>(byte);
    }
    EXPECT_EQ(Decode(onTime.Bytes(), 60000), expected);
    // What a decoder rebuilding one symbol early or late would read back.
    EXPECT_NE(Decode(early.Bytes(), 60000), expected);
    EXPECT_NE(Decode(late.Bytes(), 60000), expected);
}

TEST(LzhReference, PositionsOfEveryCodeLength) {
    // 4096 bytes unlike their neighbours, then matches reaching back through
    // every upper-bits value and both ends of its lower bits.
    ReferenceWriter writer(0x8000);
    std::string expected;
    for (int i = 0; i < 4096; ++i) {
        expected += static_cast<char>(i * 37 + i / 256);
        writer.Symbol(static_cast<std::uint8_t>(expected.back()));
    }
    for (int upper = 0; upper < 64; ++upper) {
        for (const int lower : {0, 37, 63}) {
            const int position = upper * 64 + lower, length = 3 + (upper + lower) % 58;
            writer.Match(length, position);
            for (int k = 0; k < length; ++k) expected.push_back(expected[expected.size() - static_cast<std::size_t>(position) - 1]);
        }
    }
    EXPECT_EQ(Decode(writer.Bytes(), static_cast<std::int32_t>(expected.size())), expected);
}

}  // namespace
