// The decoder on streams put together by hand and on failing heaps, and
// the encoder's streams read back through it.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/lzh_decode.h"
#include "lzh/lzh_encode.h"

namespace {

// A byte source and sink over memory.
struct Harness {
    std::vector<std::uint8_t> input;
    std::size_t cancelAfter = 0;  // clear ContinueFlag once this many bytes arrived (0: never)
    std::size_t inputAt = 0, sourceCalls = 0;
    std::string output, fault;
} H;
bool SinkThrows = false;

std::string Decode(std::vector<std::uint8_t> input, std::int32_t length, std::int32_t flag = 1,
                   std::size_t cancelAfter = 0) {
    H = Harness{std::move(input), cancelAfter, 0, 0, "", ""};
    ContinueFlag = flag;
    H.fault = LzhDecode(
                  length,
                  [](std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
                      ++H.sourceCalls;
                      *buffer = 0xFF;  // must not be taken when actual is 0
                      actual = H.inputAt < H.input.size() ? (*buffer = H.input[H.inputAt++], 1) : 0;
                  },
                  [](const std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
                      if (SinkThrows) throw std::runtime_error("disk full");
                      H.output.push_back(static_cast<char>(*buffer));
                      actual = 0;  // the decoder ignores it
                      if (H.output.size() == H.cancelAfter) ContinueFlag = 0;
                  })
                  .Message();
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
        {"first match p=0 repeats the initial spaces", {0x8C, 0x00, 0x00}, 3, "   ", 17},
        {"p=4036 wraps from ring position 4095 to 0", {0x8C, 0xFF, 0x10}, 3, std::string("\0  ", 3), 22},
        {"p=4095 reads the zeroed tail", {0x8C, 0xFF, 0xFC}, 3, std::string(3, '\0'), 22},
        {"a 60-byte match is copied whole past the length", {0x00, 0x00, 0x00, 0x00}, 2, std::string(61, 't'), 25},
        // Decoding stops when the archive runs out.
        {"cut one byte short: zero fill", {0x00, 0x00, 0x00}, 2, std::string(61, 't'), 25},
        {"no input at all: one token from the zero fill, then no more", {}, 1000000, "t", 8},
        {"length 0", {0x12, 0x34}, 0, "", 0},
        {"negative length", {0x12, 0x34}, -5, "", 0},
        {"ContinueFlag cleared at entry", {0x00}, 100, "", 0, 0, 0},
        {"ContinueFlag cleared after the literal", {0x00, 0x00}, 1000, "t", 8, 1},
        {"ContinueFlag cleared inside the match, which completes", {0, 0, 0, 0}, 1000, std::string(61, 't'), 25, 5},
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
    std::size_t requests = 0;
    std::vector<void*> allocated, released;
    std::size_t failAllocation = 0;  // 1-based; 0 for none
    bool refuseRelease = false;
} Log;

TEST(LzhDecode, TablesTakenInOrderAndReleasedInReverse) {
    const std::string noMemory = "LZH : Cannot get memory for dictionary tables";
    const std::string noFree = "LZH : Error freeing memory for dictionary tables";
    const struct {
        const char* What;
        std::size_t FailAllocation = 0;  // 1-based; 0: none
        bool RefuseRelease = false, SinkThrows = false;
        std::string Output = "", Error = "";
    } cases[] = {
        {.What = "all is well", .Output = "t"},
        {.What = "ring refused", .FailAllocation = 1, .Error = noMemory},
        {.What = "children refused", .FailAllocation = 4, .Error = noMemory},
        {.What = "release refused after the output", .RefuseRelease = true, .Output = "t", .Error = noFree},
        {.What = "the sink's error passes", .SinkThrows = true, .Error = "disk full"},
    };
    const TLzhTableHeap heap = {
        [](std::size_t size) -> void* {
            return ++Log.requests == Log.failAllocation ? nullptr : Log.allocated.emplace_back(::operator new(size));
        },
        [](void* block) {
            ::operator delete(Log.released.emplace_back(block));
            return !Log.refuseRelease;
        }};
    LzhSetTableHeap(&heap);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Log = HeapLog{0, {}, {}, c.FailAllocation, c.RefuseRelease};
        SinkThrows = c.SinkThrows;
        std::string error;
        try {
            Decode({0x00}, 1);
            error = H.fault;
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.Error);
        EXPECT_EQ(H.output, c.Output);
        EXPECT_EQ(Log.requests, c.FailAllocation ? c.FailAllocation : 4);
        EXPECT_EQ(Log.released, std::vector<void*>(Log.allocated.rbegin(), Log.allocated.rend()));
        EXPECT_EQ(H.sourceCalls == 0, c.FailAllocation != 0);  // nothing read without tables
    }
    LzhSetTableHeap(nullptr);
    SinkThrows = false;
}

enum Kind { Text, Binary, Random };
std::vector<std::uint8_t> Sample(Kind kind, std::size_t size) {
    static const std::string words[] = {"the ",    "setup ", "copies ", "archive ", "parts ",
                                        "from ",   "each ",  "disk ",   "into ",    "one ",
                                        "file,\n", "and ",   "then ",   "decodes ", "it. "};
    std::mt19937 random(kind + 3);
    std::vector<std::uint8_t> out;
    for (std::uint32_t i = 0; out.size() < size; ++i) {
        if (kind == Text) {
            const std::string& word = words[random() % 15];
            out.insert(out.end(), word.begin(), word.end());
        } else if (kind == Binary) {  // like machine code: counters and opcodes among noise
            const std::uint8_t record[] = {
                0x55, 0x48, 0x89, 0xE5, std::uint8_t(i), std::uint8_t(i >> 8), 0, 0, std::uint8_t(random()), 0xC3};
            out.insert(out.end(), record, record + random() % 10 + 1);
            out.insert(out.end(), random() % 7 ? 0 : random() % 40, std::uint8_t{0});
        } else {
            out.push_back(static_cast<std::uint8_t>(random()));
        }
    }
    out.resize(size);
    return out;
}

TEST(LzhEncode, RoundTripsNeverLargerThanTheFastParseAndDeterministic) {
    // The most its best stream may take: in per cent of the input's size and
    // in per mille of the fast stream's size.
    const struct {
        const char* What;
        std::vector<std::uint8_t> Data;
        std::size_t MaxPercent, FastPermille;
    } cases[] = {
        {"empty", {}, 0, 1000},
        {"one byte", {0x41}, 200, 1000},
        {"60 spaces match the initial ring fill", std::vector<std::uint8_t>(60, ' '), 5, 1000},
        {"binary", Sample(Binary, 200000), 100, 985},
        {"random bytes hardly grow", Sample(Random, 100000), 113, 1000},
        {"text, 1.2 MB: the tree is rebuilt many times", Sample(Text, 1200000), 100, 940},
    };
    for (const auto& [what, data, maxPercent, fastPermille] : cases) {
        SCOPED_TRACE(what);
        const auto greedy = LzhEncodeWith(LzhParse::Greedy, data.data(), data.size());
        const auto lazy = LzhEncodeWith(LzhParse::Lazy, data.data(), data.size());
        const auto fast = LzhEncodeWith(LzhParse::Fast, data.data(), data.size());
        std::size_t reported = 0;
        const auto best = LzhEncode(data.data(), data.size(), [&reported](std::size_t done) {
            EXPECT_GE(done, reported);
            reported = done;
        });
        EXPECT_EQ(reported, data.size());
        EXPECT_EQ(LzhEncode(data.data(), data.size()), best);
        EXPECT_EQ(fast.size(), std::min(greedy.size(), lazy.size()));
        EXPECT_LE(best.size() * 1000, fast.size() * fastPermille);
        EXPECT_LE(best.size() * 100, data.size() * maxPercent);
        // Exactly the input: the last match never overshoots it.
        const std::string expected(data.begin(), data.end());
        for (const auto* stream : {&greedy, &lazy, &best})
            EXPECT_EQ(Decode(*stream, static_cast<std::int32_t>(expected.size())), expected);
    }
}

// Cut anywhere, a stream keeps exactly the bytes of the tokens it holds
// whole, however far the reader looked ahead: each is the input's, and the
// next one needs a bit past the cut.
TEST(LzhDecode, SoundLengthOfAStreamCutAnywhere) {
    const auto data = Sample(Binary, 3000);
    const auto stream = LzhEncode(data.data(), data.size());
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        const std::string out = Decode({stream.begin(), stream.begin() + cut}, 3000);
        const std::int64_t sound = LzhSoundLength();
        ASSERT_LE(static_cast<std::size_t>(sound), out.size());
        EXPECT_EQ(out.substr(0, sound), std::string(data.begin(), data.begin() + sound));
        Decode(stream, static_cast<std::int32_t>(sound));
        EXPECT_LE(LzhBitsUsed(), 8 * cut);
        Decode(stream, static_cast<std::int32_t>(sound + 1));
        EXPECT_TRUE(cut == stream.size() ? sound == 3000 : LzhBitsUsed() > 8 * cut);
    }
}

}  // namespace
