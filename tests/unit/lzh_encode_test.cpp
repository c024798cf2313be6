#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "archive/lzh_decode.h"
#include "lzh_encode.h"

namespace {

std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& stream, std::size_t size) {
    static const std::vector<std::uint8_t>* in;
    static std::size_t at;
    static std::vector<std::uint8_t> out;
    in = &stream, at = 0, out.clear(), ContinueFlag = 1;
    LzhDecode(static_cast<std::int32_t>(size), [](std::uint8_t* b, std::uint16_t, std::uint16_t& actual) {
        actual = at < in->size() ? (*b = (*in)[at++], 1) : 0;
    }, [](const std::uint8_t* b, std::uint16_t, std::uint16_t& actual) { out.push_back(*b), actual = 1; });
    return out;
}

enum Kind { Text, Binary, Random, Repetitive };
std::vector<std::uint8_t> Sample(Kind kind, std::size_t size) {
    static const std::string words[] = {"the ", "setup ", "copies ", "archive ", "parts ", "from ", "each ", "disk ",
                                        "into ", "one ", "file,\n", "and ", "then ", "decodes ", "it. "};
    std::mt19937 random(kind + 3);
    std::vector<std::uint8_t> out;
    for (std::uint32_t i = 0; out.size() < size; ++i) {
        if (kind == Text) {
            const std::string& word = words[random() % 15];
            out.insert(out.end(), word.begin(), word.end());
        } else if (kind == Binary) {  // like machine code: counters and opcodes among noise
            const std::uint8_t record[] = {0x55, 0x48, 0x89, 0xE5, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                                           0x00, 0x00, static_cast<std::uint8_t>(random()), 0xC3};
            out.insert(out.end(), record, record + random() % 10 + 1);
            out.insert(out.end(), random() % 7 ? 0 : random() % 40, std::uint8_t{0});
        } else {
            out.push_back(static_cast<std::uint8_t>(kind == Random ? random() : "abcab"[i % 5] + i / 100000));
        }
    }
    out.resize(size);
    return out;
}

TEST(LzhEncode, RoundTripsNeverLargerThanTheFastParseAndDeterministic) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> data;
        std::size_t maxPercent;    // of the input's size
        std::size_t fastPermille;  // of the fast stream's size
    };
    const std::vector<Case> cases = {
        {"empty", {}, 0, 1000},
        {"one byte", {0x41}, 200, 1000},
        {"60 spaces match the initial ring fill", std::vector<std::uint8_t>(60, ' '), 5, 1000},
        {"binary", Sample(Binary, 200000), 100, 985},
        {"random bytes hardly grow", Sample(Random, 100000), 113, 1000},
        {"repetitive", Sample(Repetitive, 600000), 4, 1000},
        {"text, 1.2 MB: the tree is rebuilt many times", Sample(Text, 1200000), 100, 940},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto greedy = LzhEncodeWith(LzhParse::Greedy, c.data.data(), c.data.size());
        const auto lazy = LzhEncodeWith(LzhParse::Lazy, c.data.data(), c.data.size());
        const auto fast = LzhEncodeWith(LzhParse::Fast, c.data.data(), c.data.size());
        std::size_t reported = 0;
        const auto best = LzhEncode(c.data.data(), c.data.size(), [&](std::size_t done) { EXPECT_GE(done, reported); reported = done; });
        EXPECT_EQ(reported, c.data.size());
        EXPECT_EQ(LzhEncode(c.data.data(), c.data.size()), best);
        EXPECT_EQ(fast.size(), std::min(greedy.size(), lazy.size()));
        EXPECT_LE(best.size() * 1000, fast.size() * c.fastPermille);
        EXPECT_LE(best.size() * 100, c.data.size() * c.maxPercent);
        // Exactly the input: the last match never overshoots it.
        for (const auto* stream : {&greedy, &lazy, &best}) EXPECT_EQ(Decode(*stream, c.data.size()), c.data);
        EXPECT_LE(LzhBitsUsed(), 8 * best.size());
        EXPECT_GT(LzhBitsUsed() + 8, 8 * best.size());  // the last byte carries bits
    }
}

}  // namespace
