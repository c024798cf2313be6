#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/lzh_decode.h"
#include "lzh_encode.h"

namespace {

// A byte source and sink over memory that also check the decoder's side of
// the contract: one byte per call, always.
struct Harness {
    std::vector<std::uint8_t> input;
    std::size_t inputAt = 0;
    std::size_t sourceCalls = 0;
    std::vector<std::uint8_t> output;
    int badCounts = 0;
    std::size_t cancelAfter = 0;  // clear ContinueFlag once this many bytes arrived (0: never)
    bool sinkThrows = false;
};
Harness* Active = nullptr;

void ReadFromHarness(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    Harness& h = *Active;
    if (count != 1) ++h.badCounts;
    ++h.sourceCalls;
    actual = 0;
    if (h.inputAt < h.input.size()) {
        *buffer = h.input[h.inputAt++];
        actual = 1;
    } else {
        *buffer = 0xFF;  // must not be taken: actual is 0
    }
}
void WriteToHarness(const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    Harness& h = *Active;
    if (count != 1) ++h.badCounts;
    if (h.sinkThrows) throw std::runtime_error("disk full");
    h.output.push_back(*buffer);
    actual = 0;  // the decoder ignores it
    if (h.cancelAfter != 0 && h.output.size() == h.cancelAfter) ContinueFlag = 0;
}

void DecodeInto(Harness& h, std::int32_t length, std::int32_t flag = 1) {
    Active = &h;
    ContinueFlag = flag;
    LzhDecode(length, ReadFromHarness, WriteToHarness);
    ContinueFlag = 1;
}

std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

// Streams put together bit by bit from the start tree, in which the 8 zero
// bits name 't' and 10001100 / 11000101 name matches of 3 / 60 bytes. After
// one 't' its leaf trades places with the 60-byte match, so 8 zero bits then
// name that match. Positions: 000 + 6 bits is p = 0..63; 11111111 + 6 bits is
// p = 4032..4095.
TEST(LzhDecodeGolden, HandAssembledStreams) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> input;
        std::int32_t length;
        std::string expected;
        std::uint64_t bitsUsed;
    };
    const std::vector<Case> cases = {
        {"one literal", {0x00}, 1, "t", 8},
        {"first match p=0 repeats the initial spaces", {0x8C, 0x00, 0x00}, 3, "   ", 17},
        {"p=4035 reaches ring position 0", {0x8C, 0xFF, 0x0C}, 3, "   ", 22},
        {"p=4036 wraps from ring position 4095 to 0", {0x8C, 0xFF, 0x10}, 3, std::string("\0  ", 3), 22},
        {"p=4095 reads the zeroed tail", {0x8C, 0xFF, 0xFC}, 3, std::string(3, '\0'), 22},
        {"literal then a match of it", {0x00, 0x8C, 0x00, 0x00}, 4, "tttt", 25},
        {"a 60-byte match is copied whole past the length", {0x00, 0x00, 0x00, 0x00}, 2, std::string(61, 't'), 25},
        {"missing input reads as zero bits", {}, 2, std::string(61, 't'), 25},
        {"60 spaces for a length of 1", {0xC5, 0x00, 0x00}, 1, std::string(60, ' '), 17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.input = c.input;
        DecodeInto(h, c.length);
        EXPECT_EQ(h.output, Bytes(c.expected));
        EXPECT_EQ(LzhBitsUsed(), c.bitsUsed);
        EXPECT_EQ(h.badCounts, 0);
        // The reader fetches ahead at most two bytes past the last bit used.
        EXPECT_LE(h.sourceCalls, (c.bitsUsed + 7) / 8 + 2);
    }
}

TEST(LzhDecodeLimits, NothingIsReadOrWrittenWithoutWork) {
    struct Case {
        const char* what;
        std::int32_t length;
        std::int32_t flag;
    };
    for (const Case& c : {Case{"length 0", 0, 1}, Case{"negative length", -5, 1}, Case{"flag cleared", 100, 0}}) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.input = {0x12, 0x34};
        DecodeInto(h, c.length, c.flag);
        EXPECT_EQ(h.sourceCalls, 0u);
        EXPECT_TRUE(h.output.empty());
        EXPECT_EQ(LzhBitsUsed(), 0u);
    }
}

TEST(LzhDecodeLimits, EmptySourceStillGivesTheExpectedLength) {
    for (const std::int32_t length : {1, 61, 62, 1000, 70000}) {
        SCOPED_TRACE(length);
        Harness h;
        DecodeInto(h, length);
        ASSERT_GE(h.output.size(), static_cast<std::size_t>(length));
        EXPECT_LE(h.output.size(), static_cast<std::size_t>(length) + 59);
        EXPECT_EQ(std::vector<std::uint8_t>(h.output.begin(), h.output.begin() + std::min<long>(length, 61)),
                  std::vector<std::uint8_t>(static_cast<std::size_t>(std::min<long>(length, 61)), 't'));
        EXPECT_GT(LzhBitsUsed(), 0u);
    }
}

TEST(LzhDecodeLimits, CancelTakesEffectAtTheNextToken) {
    // All zero bits: 't', then a 60-byte match of 't', then more tokens.
    struct Case {
        const char* what;
        std::size_t cancelAfter;
        std::size_t produced;
    };
    const std::vector<Case> cases = {
        {"after the literal", 1, 1},
        {"inside the match, which still completes", 5, 61},
        {"on the match's last byte", 61, 61},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.cancelAfter = c.cancelAfter;
        Active = &h;
        ContinueFlag = 1;
        LzhDecode(1000, ReadFromHarness, WriteToHarness);
        EXPECT_EQ(ContinueFlag, 0);
        EXPECT_EQ(h.output.size(), c.produced);
        ContinueFlag = 1;
    }
}

TEST(LzhDecodeLimits, BitsUsedTellsATruncatedStream) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 50000; ++i) data.push_back(static_cast<std::uint8_t>((i * i) >> 5));
    const auto stream = LzhEncode(data.data(), data.size());
    ASSERT_GT(stream.size(), 10u);

    Harness whole;
    whole.input = stream;
    DecodeInto(whole, static_cast<std::int32_t>(data.size()));
    EXPECT_EQ(whole.output, data);
    EXPECT_LE(LzhBitsUsed(), 8 * stream.size());
    EXPECT_GT(LzhBitsUsed(), 8 * (stream.size() - 1));  // the last byte carries bits

    Harness cut;
    cut.input.assign(stream.begin(), stream.end() - 1);
    DecodeInto(cut, static_cast<std::int32_t>(data.size()));
    EXPECT_GT(LzhBitsUsed(), 8 * cut.input.size());
}

// A heap that records what the decoder asks of it and fails on request.
struct HeapLog {
    std::vector<std::size_t> sizes;
    std::vector<void*> allocated;
    std::vector<void*> released;
    int failAllocation = 0;  // 1-based; 0 for none
    bool refuseRelease = false;
};
HeapLog* Log = nullptr;
void* LoggedAllocate(std::size_t size) {
    Log->sizes.push_back(size);
    if (static_cast<int>(Log->sizes.size()) == Log->failAllocation) return nullptr;
    void* block = ::operator new(size);
    Log->allocated.push_back(block);
    return block;
}
bool LoggedRelease(void* block) {
    Log->released.push_back(block);
    ::operator delete(block);
    return !Log->refuseRelease;
}
const TLzhTableHeap LoggedHeap = {LoggedAllocate, LoggedRelease};

class LzhDecodeTables : public ::testing::Test {
protected:
    void SetUp() override {
        Log = &log;
        LzhSetTableHeap(&LoggedHeap);
    }
    void TearDown() override {
        LzhSetTableHeap(nullptr);
        Log = nullptr;
        ContinueFlag = 1;
    }
    std::vector<void*> Reversed(std::vector<void*> v) { return std::vector<void*>(v.rbegin(), v.rend()); }
    HeapLog log;
};

TEST_F(LzhDecodeTables, RingFrequencyParentChildThenReleasedInReverse) {
    Harness h;
    DecodeInto(h, 0);  // the tables are taken even when there is nothing to do
    EXPECT_EQ(log.sizes, (std::vector<std::size_t>{4096, 628 * 2, 941 * 2, 627 * 2}));
    EXPECT_EQ(log.released, Reversed(log.allocated));
}

TEST_F(LzhDecodeTables, AllocationFailureReleasesWhatWasTaken) {
    for (int failing = 1; failing <= 4; ++failing) {
        SCOPED_TRACE(failing);
        log = HeapLog{};
        log.failAllocation = failing;
        Harness h;
        h.input = {0x00};
        try {
            DecodeInto(h, 10);
            ADD_FAILURE() << "no exception";
        } catch (const ElzhException& e) {
            EXPECT_STREQ(e.what(), "LZH : Cannot get memory for dictionary tables");
        }
        EXPECT_EQ(log.allocated.size(), static_cast<std::size_t>(failing - 1));
        EXPECT_EQ(log.released, Reversed(log.allocated));
        EXPECT_EQ(h.sourceCalls, 0u);
        EXPECT_TRUE(h.output.empty());
    }
}

TEST_F(LzhDecodeTables, RefusedReleaseIsReportedAfterTheOutput) {
    log.refuseRelease = true;
    Harness h;
    h.input = {0x00};
    try {
        DecodeInto(h, 1);
        ADD_FAILURE() << "no exception";
    } catch (const ElzhException& e) {
        EXPECT_STREQ(e.what(), "LZH : Error freeing memory for dictionary tables");
    }
    EXPECT_EQ(h.output, Bytes("t"));
    EXPECT_EQ(log.released, Reversed(log.allocated));  // every table is still handed back
}

TEST_F(LzhDecodeTables, ErrorFromTheSinkPassesAfterTheTablesAreReleased) {
    Harness h;
    h.sinkThrows = true;
    EXPECT_THROW(DecodeInto(h, 5), std::runtime_error);
    EXPECT_EQ(log.allocated.size(), 4u);
    EXPECT_EQ(log.released, Reversed(log.allocated));
}

}  // namespace
