// The optimal parse of the LZHUF encoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lzh/lzh_match_finder.h"
#include "lzh/lzh_symbol_coder.h"

namespace lzh {

// A literal (length 1) or a match.
struct Token {
    std::uint16_t length;
    std::uint16_t distance;
};

// The parse of fewest bits, block by block. A block is first parsed lazily.
// Each parse tried is replayed on a copy of the tree, which gives its exact
// size and the code lengths the tree has along the way; the next parse is
// the cheapest path under those lengths, and rounds go on while they make
// the block smaller. The smallest is written, and the next block starts from
// the tree it leaves.
class OptimalParse {
public:
    OptimalParse(const std::uint8_t* data, std::size_t size) : data_(data) { out_.Reserve(size / 2 + 16); }

    // The matches at the next position of the input.
    void Add(const Match* matches, int count) {
        starts_.push_back(static_cast<std::uint32_t>(matches_.size()));
        matches_.insert(matches_.end(), matches, matches + count);
        if (starts_.size() == BlockSize) ParseBlock();
    }

    std::vector<std::uint8_t> Finish() {
        if (!starts_.empty()) ParseBlock();
        return out_.Finish();
    }

private:
    static constexpr std::size_t BlockSize = 1u << 15;
    // Prices change every segment, following the tree through the block.
    static constexpr std::size_t SegmentSize = 1u << 11;
    using Prices = std::array<std::uint16_t, SymbolCount>;  // half bits
    static constexpr int MaxRounds = 3;

    void ParseBlock();

    // The longest match at block position i, cut at the block's end.
    Match Longest(std::size_t i, std::size_t n) const;

    std::vector<Token> LazyTokens(std::size_t n) const;

    // Codes `tokens` on a copy of the tree; returns their bits and fills
    // `prices` for each segment: the code lengths at its two ends, summed.
    std::uint64_t Replay(const std::vector<Token>& tokens, std::size_t n, std::vector<Prices>& prices) const;

    // The cheapest way through the block under `prices`: every position is
    // reached by a literal or by any length of any match, each length
    // taken at the nearest distance that offers it.
    std::vector<Token> CheapestTokens(std::size_t n, const std::vector<Prices>& prices);

    const std::uint8_t* data_;
    std::size_t begin_ = 0;              // input index of the block's first byte
    std::vector<std::uint32_t> starts_;  // per block position: its first match
    std::vector<Match> matches_;
    std::vector<std::uint32_t> cost_;
    std::vector<Token> via_;
    SymbolCoder coder_;
    BitWriter out_;
};

}  // namespace lzh
