// An independent, deliberately plain model of the LZHUF token coding (the
// adaptive tree kept in std::vector, insertion by vector::insert), used to
// write streams for LzhDecode and to read back what LzhEncode writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "archive/lzh_decode.h"
#include "lzh_encode.h"

namespace {

constexpr int Symbols = 314;
constexpr int Nodes = 2 * Symbols - 1;
constexpr int Root = Nodes - 1;
constexpr int Spaces = 4036;

class ReferenceTree {
public:
    // The tree is rebuilt at the start of an update when the root weighs
    // exactly `rebuildWeight`.
    explicit ReferenceTree(unsigned rebuildWeight = 0x8000) : rebuildWeight_(rebuildWeight) {
        weight_.assign(Nodes, 0);
        down_.assign(Nodes, 0);
        up_.assign(Nodes, 0);
        leaf_.assign(Symbols, 0);
        for (int s = 0; s < Symbols; ++s) {
            weight_[s] = 1;
            down_[s] = Nodes + s;
        }
        for (int n = Symbols, first = 0; n < Nodes; ++n, first += 2) {
            weight_[n] = weight_[first] + weight_[first + 1];
            down_[n] = first;
        }
        Relink();
    }

    // Root-to-leaf bits of `symbol`.
    std::vector<int> Code(int symbol) const {
        std::vector<int> bits;
        for (int n = leaf_[symbol]; n != Root; n = up_[n]) bits.insert(bits.begin(), n == down_[up_[n]] ? 0 : 1);
        return bits;
    }

    template <typename NextBit>
    int Read(NextBit nextBit) const {
        int n = Root;
        while (down_[n] < Nodes) n = down_[n] + nextBit();
        return down_[n] - Nodes;
    }

    void Count(int symbol) {
        if (weight_[Root] == rebuildWeight_) {
            Rebuild();
            ++rebuilds_;
            if (firstRebuild_ == 0) firstRebuild_ = counted_ + 1;
        }
        ++counted_;
        int n = leaf_[symbol];
        while (true) {
            const unsigned grown = weight_[n] + 1;
            // Move past every node of the old weight, never past one of the new.
            int target = n;
            while (target + 1 < Nodes && weight_[target + 1] < grown) ++target;
            if (target != n) Swap(n, target);
            weight_[target] = grown;
            if (target == Root) break;
            n = up_[target];
        }
    }

    long FirstRebuild() const { return firstRebuild_; }  // 1-based symbol number
    int Rebuilds() const { return rebuilds_; }

private:
    void Swap(int a, int b) {
        std::swap(weight_[a], weight_[b]);
        std::swap(down_[a], down_[b]);
        Relink();
    }
    // Parents and leaves follow from the child entries alone.
    void Relink() {
        for (int n = 0; n < Nodes; ++n) {
            if (down_[n] >= Nodes) {
                leaf_[down_[n] - Nodes] = n;
            } else {
                up_[down_[n]] = n;
                up_[down_[n] + 1] = n;
            }
        }
    }
    void Rebuild() {
        std::vector<unsigned> w;
        std::vector<int> d;
        for (int n = 0; n < Nodes; ++n) {
            if (down_[n] >= Nodes) {
                w.push_back((weight_[n] + 1) / 2);
                d.push_back(down_[n]);
            }
        }
        for (int first = 0; static_cast<int>(w.size()) < Nodes; first += 2) {
            const unsigned sum = w[first] + w[first + 1];
            std::size_t at = w.size();
            while (at > 0 && w[at - 1] > sum) --at;  // last among equals
            w.insert(w.begin() + static_cast<long>(at), sum);
            d.insert(d.begin() + static_cast<long>(at), first);
        }
        weight_ = w;
        down_ = d;
        Relink();
    }

    unsigned rebuildWeight_;
    std::vector<unsigned> weight_;
    std::vector<int> down_;
    std::vector<int> up_;
    std::vector<int> leaf_;
    long counted_ = 0;
    long firstRebuild_ = 0;
    int rebuilds_ = 0;
};

// Prefix codes of a position's upper 6 bits: lengths 3, 4 x3, 5 x8, 6 x12,
// 7 x24, 8 x16, each code the next bit pattern of its length.
struct PrefixCode {
    int code;
    int length;
};
std::vector<PrefixCode> UpperBitCodes() {
    const int counts[] = {1, 3, 8, 12, 24, 16};
    std::vector<PrefixCode> codes;
    int code = 0;
    for (int length = 3; length <= 8; ++length) {
        for (int n = 0; n < counts[length - 3]; ++n) codes.push_back(PrefixCode{code++, length});
        code <<= 1;
    }
    return codes;
}

struct Token {
    int literal;  // -1 for a match
    int length;
    int position;  // p: the copy starts p + 1 bytes back
};
Token Lit(int byte) { return Token{byte, 1, 0}; }
Token Match(int length, int position) { return Token{-1, length, position}; }

std::vector<std::uint8_t> Pack(const std::vector<int>& bits) {
    std::vector<std::uint8_t> bytes((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i]) bytes[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    }
    return bytes;
}

std::vector<std::uint8_t> WriteTokens(const std::vector<Token>& tokens, unsigned rebuildWeight = 0x8000) {
    ReferenceTree tree(rebuildWeight);
    std::vector<int> bits;
    for (const Token& token : tokens) {
        const int symbol = token.literal >= 0 ? token.literal : token.length + 253;
        for (int b : tree.Code(symbol)) bits.push_back(b);
        tree.Count(symbol);
        if (token.literal >= 0) continue;
        const PrefixCode upper = UpperBitCodes()[static_cast<std::size_t>(token.position >> 6)];
        for (int i = upper.length - 1; i >= 0; --i) bits.push_back((upper.code >> i) & 1);
        for (int i = 5; i >= 0; --i) bits.push_back((token.position >> i) & 1);
    }
    return Pack(bits);
}

// Reads tokens until `size` bytes are produced, replaying them over the
// initial spaces; `unwrittenReads` counts copies from ring bytes that were
// neither written nor among the initial spaces.
struct ReadBack {
    std::vector<std::uint8_t> output;
    int unwrittenReads = 0;
    long matches = 0;
};
ReadBack ReadTokens(const std::vector<std::uint8_t>& stream, std::size_t size) {
    ReadBack result;
    ReferenceTree tree;
    std::size_t bitIndex = 0;
    auto nextBit = [&]() -> int {
        const std::size_t byte = bitIndex / 8;
        const int bit = byte < stream.size() ? (stream[byte] >> (7 - bitIndex % 8)) & 1 : 0;
        ++bitIndex;
        return bit;
    };
    std::vector<std::uint8_t> text(Spaces, ' ');  // what precedes the output in the ring
    while (text.size() < Spaces + size) {
        const int symbol = tree.Read(nextBit);
        tree.Count(symbol);
        if (symbol < 256) {
            text.push_back(static_cast<std::uint8_t>(symbol));
            continue;
        }
        const std::vector<PrefixCode> codes = UpperBitCodes();
        int upper = -1;
        int code = 0;
        for (int length = 1; upper < 0 && length <= 8; ++length) {
            code = code * 2 + nextBit();
            for (std::size_t u = 0; u < codes.size(); ++u) {
                if (codes[u].length == length && codes[u].code == code) upper = static_cast<int>(u);
            }
        }
        int lower = 0;
        for (int i = 0; i < 6; ++i) lower = lower * 2 + nextBit();
        const long distance = upper * 64 + lower + 1;
        const long from = static_cast<long>(text.size()) - distance;
        if (from < 0) ++result.unwrittenReads;
        ++result.matches;
        for (int k = 0; k < symbol - 253; ++k) {
            const std::uint8_t byte = from + k < 0 ? 0 : text[static_cast<std::size_t>(from + k)];
            text.push_back(byte);
        }
    }
    result.output.assign(text.begin() + Spaces, text.end());
    return result;
}

const std::vector<std::uint8_t>* Input;
std::size_t InputAt;
std::vector<std::uint8_t> Output;
void ReadInput(std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
    actual = 0;
    if (InputAt < Input->size()) {
        *buffer = (*Input)[InputAt++];
        actual = 1;
    }
}
void WriteOutput(const std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
    Output.push_back(*buffer);
    actual = 1;
}
std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& stream, std::int32_t length) {
    ContinueFlag = 1;
    Input = &stream;
    InputAt = 0;
    Output.clear();
    LzhDecode(length, ReadInput, WriteOutput);
    return Output;
}

std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

TEST(LzhReference, TreeIsRebuiltAtTheStartOfThe32455thUpdate) {
    std::mt19937 random(7);
    std::vector<Token> tokens;
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 60000; ++i) {
        // Skewed literals keep the tree deep and lopsided, so a rebuild one
        // symbol off changes the codes that follow.
        const int byte = static_cast<int>(random() % 64) * static_cast<int>(random() % 4);
        tokens.push_back(Lit(byte));
        expected.push_back(static_cast<std::uint8_t>(byte));
    }
    ReferenceTree probe;
    for (const Token& t : tokens) probe.Count(t.literal);
    EXPECT_EQ(probe.FirstRebuild(), 32455);
    EXPECT_GE(probe.Rebuilds(), 2);

    EXPECT_EQ(Decode(WriteTokens(tokens), 60000), expected);
    // The same literals coded by trees rebuilt one symbol early or late:
    // a decoder off by one in either direction reads them back like this.
    EXPECT_NE(Decode(WriteTokens(tokens, 0x7FFF), 60000), expected);
    EXPECT_NE(Decode(WriteTokens(tokens, 0x8001), 60000), expected);
}

TEST(LzhReference, MatchTokensCopyFromTheRing) {
    struct Case {
        const char* what;
        std::vector<Token> tokens;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"p=0, length 60 repeats the last byte", {Lit('A'), Match(60, 0)}, std::string(61, 'A')},
        {"p=1 copies over its own output", {Lit('A'), Lit('B'), Match(5, 1)}, "ABABABA"},
        {"first match reads the initial spaces", {Match(4, 0), Lit('x')}, "    x"},
        {"a match reaching back into the spaces", {Lit('a'), Lit('b'), Match(5, 3)}, "ab  ab "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto stream = WriteTokens(c.tokens);
        EXPECT_EQ(Decode(stream, static_cast<std::int32_t>(c.expected.size())), Bytes(c.expected));
        EXPECT_EQ(ReadTokens(stream, c.expected.size()).output, Bytes(c.expected));
    }
}

TEST(LzhReference, PositionsOfEveryCodeLength) {
    // 4096 bytes that differ from their neighbours, then matches reaching
    // back through every upper-bits value and the ends of each code length.
    std::vector<Token> tokens;
    std::string expected;
    for (int i = 0; i < 4096; ++i) {
        const char c = static_cast<char>((i * 37 + i / 256) & 0xFF);
        tokens.push_back(Lit(static_cast<std::uint8_t>(c)));
        expected += c;
    }
    for (int upper = 0; upper < 64; ++upper) {
        for (const int lower : {0, 37, 63}) {
            const int position = upper * 64 + lower;
            const int length = 3 + (upper + lower) % 58;
            tokens.push_back(Match(length, position));
            for (int k = 0; k < length; ++k) expected += expected[expected.size() - static_cast<std::size_t>(position) - 1];
        }
    }
    const auto stream = WriteTokens(tokens);
    EXPECT_EQ(Decode(stream, static_cast<std::int32_t>(expected.size())), Bytes(expected));
}

TEST(LzhReference, EncoderOutputReadsBackWithoutTouchingUnwrittenRingBytes) {
    std::mt19937 random(11);
    std::vector<std::uint8_t> leadingZeros(200, 0);  // the ring's unwritten tail would match these
    for (int i = 0; i < 20000; ++i) leadingZeros.push_back(static_cast<std::uint8_t>("ab \0"[random() % 4]));
    std::vector<std::uint8_t> spacesFirst(5000, ' ');
    for (int i = 0; i < 3000; ++i) spacesFirst.push_back(static_cast<std::uint8_t>(random()));
    std::vector<std::uint8_t> text;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = "line " + std::to_string(i % 97) + " of the ring buffer test\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    for (const auto* data : {&leadingZeros, &spacesFirst, &text}) {
        for (LzhParse parse : {LzhParse::Greedy, LzhParse::Lazy, LzhParse::Best}) {
            const auto stream = LzhEncodeWith(parse, data->data(), data->size());
            const ReadBack back = ReadTokens(stream, data->size());
            EXPECT_EQ(back.output, *data);
            EXPECT_EQ(back.unwrittenReads, 0);
            EXPECT_GT(back.matches, 0);
        }
    }
}

}  // namespace
