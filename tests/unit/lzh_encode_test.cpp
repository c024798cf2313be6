#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "archive/lzh_decode.h"
#include "lzh_encode.h"

namespace {

const std::vector<std::uint8_t>* Stream;
std::size_t StreamAt;
std::vector<std::uint8_t> Decoded;
void ReadStream(std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
    actual = 0;
    if (StreamAt < Stream->size()) {
        *buffer = (*Stream)[StreamAt++];
        actual = 1;
    }
}
void WriteDecoded(const std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
    Decoded.push_back(*buffer);
    actual = 1;
}
std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& stream, std::size_t size) {
    ContinueFlag = 1;
    Stream = &stream;
    StreamAt = 0;
    Decoded.clear();
    LzhDecode(static_cast<std::int32_t>(size), ReadStream, WriteDecoded);
    return Decoded;
}

std::vector<std::uint8_t> Text(std::size_t size) {
    static const char* const words[] = {"the ", "setup ", "copies ", "archive ", "parts ", "from ", "each ",
                                        "disk ", "into ", "one ", "file,\n", "and ", "then ", "decodes ", "it. "};
    std::mt19937 random(3);
    std::vector<std::uint8_t> out;
    while (out.size() < size) {
        const std::string w = words[random() % 15];
        out.insert(out.end(), w.begin(), w.end());
    }
    out.resize(size);
    return out;
}
// Looks like machine code: records with little-endian counters and
// repeated opcode patterns among noise.
std::vector<std::uint8_t> Binary(std::size_t size) {
    std::mt19937 random(5);
    std::vector<std::uint8_t> out;
    for (std::uint32_t i = 0; out.size() < size; ++i) {
        const std::uint8_t record[] = {0x55, 0x48, 0x89, 0xE5, static_cast<std::uint8_t>(i),
                                       static_cast<std::uint8_t>(i >> 8), 0x00, 0x00,
                                       static_cast<std::uint8_t>(random()), 0xC3};
        out.insert(out.end(), record, record + (random() % 10) + 1);
        if (random() % 7 == 0) out.insert(out.end(), random() % 40, 0x00);
    }
    out.resize(size);
    return out;
}
std::vector<std::uint8_t> Random(std::size_t size) {
    std::mt19937 random(9);
    std::vector<std::uint8_t> out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(random());
    return out;
}
std::vector<std::uint8_t> Repetitive(std::size_t size) {
    std::vector<std::uint8_t> out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>("abcab"[i % 5] + (i / 100000));
    return out;
}

TEST(LzhEncode, RoundTripsThroughTheDecoder) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> data;
    };
    const std::vector<Case> cases = {
        {"empty", {}},
        {"one byte", {0x41}},
        {"two bytes", {0x00, 0xFF}},
        {"a byte the ring's zeroed tail would match", std::vector<std::uint8_t>(70, 0x00)},
        {"text", Text(200000)},
        {"binary", Binary(200000)},
        {"random", Random(100000)},
        {"repetitive", Repetitive(400000)},
        // About 100000 tokens: the tree is rebuilt every 16000 or so.
        {"text, 1.2 MB: the tree is rebuilt many times", Text(1200000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (LzhParse parse : {LzhParse::Greedy, LzhParse::Lazy, LzhParse::Best}) {
            const auto stream = LzhEncodeWith(parse, c.data.data(), c.data.size());
            // Exactly the input: the encoder never ends on a match that overshoots.
            EXPECT_EQ(Decode(stream, c.data.size()), c.data);
            EXPECT_LE(LzhBitsUsed(), 8 * stream.size());
        }
    }
}

TEST(LzhEncode, NeverLargerThanTheGreedyBaseline) {
    std::vector<std::uint8_t> mixed = Text(60000);
    const auto bin = Binary(60000);
    mixed.insert(mixed.end(), bin.begin(), bin.end());
    for (const auto& data : {Text(300000), Binary(300000), Random(50000), Repetitive(300000), mixed}) {
        const auto greedy = LzhEncodeWith(LzhParse::Greedy, data.data(), data.size());
        const auto lazy = LzhEncodeWith(LzhParse::Lazy, data.data(), data.size());
        const auto best = LzhEncode(data.data(), data.size());
        EXPECT_LE(best.size(), greedy.size());
        EXPECT_EQ(best.size(), std::min(greedy.size(), lazy.size()));
    }
}

TEST(LzhEncode, FindsTheMatchesThereAre) {
    // One byte repeated: every token after the first is a 60-byte match of
    // about 17 bits, so the stream is tiny.
    const std::vector<std::uint8_t> run(600000, 'x');
    EXPECT_LT(LzhEncode(run.data(), run.size()).size(), run.size() / 25);
    // Spaces match the ring's initial fill from the very first byte.
    const std::vector<std::uint8_t> spaces(60, ' ');
    EXPECT_LE(LzhEncode(spaces.data(), spaces.size()).size(), 3u);
    // Random bytes hardly compress, but must not grow much either.
    const auto noise = Random(100000);
    EXPECT_LT(LzhEncode(noise.data(), noise.size()).size(), noise.size() * 113 / 100);
    // A block repeated 4096 bytes later is found at the window's far end.
    std::vector<std::uint8_t> far = Random(4096 + 600);
    std::copy(far.begin(), far.begin() + 600, far.begin() + 4096);
    const auto once = LzhEncode(far.data(), 4096);
    EXPECT_LT(LzhEncode(far.data(), far.size()).size(), once.size() + 40);
}

TEST(LzhEncode, SameInputSameStreamAndProgressReachesTheEnd) {
    const auto data = Binary(300000);
    std::vector<std::size_t> reports;
    const auto first = LzhEncode(data.data(), data.size(), [&](std::size_t done) { reports.push_back(done); });
    EXPECT_EQ(LzhEncode(data.data(), data.size()), first);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), data.size());
    for (std::size_t i = 1; i < reports.size(); ++i) EXPECT_LE(reports[i - 1], reports[i]);
}

}  // namespace
