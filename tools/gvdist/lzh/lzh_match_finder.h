// The match finder of the LZHUF encoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/lzh_tree.h"

namespace lzh {

constexpr int MinMatch = Threshold + 1;

struct Match {
    int length = 0;              // MinMatch..LongestMatch; 0 for none
    std::uint16_t distance = 0;  // bytes back, 1..4096
};
constexpr int MaxMatches = LongestMatch - MinMatch + 1;  // one per length at most

// The matches at each input position in turn. The input is searched behind
// the 4036 spaces the decoder's ring starts with, so those may be matched
// but never the 60 ring bytes past them. A binary search tree of the
// window's strings per 3-byte hash, newest at the root (each node younger
// than its children), makes searching and inserting one walk that finds the
// matches exactly without crawling through long chains of similar strings
// (runs of one byte).
class MatchFinder {
public:
    using Pos = std::int32_t;  // in the text, which starts with the spaces; -1 for none

    MatchFinder(const std::uint8_t* data, std::size_t size);

    // Fills `out` with the matches at `index`, lengths increasing, each
    // with the nearest distance that reaches its length (the newest string
    // sharing a prefix lies on the search path, and the path runs from new
    // to old); the last is the longest. Returns how many there are.
    int At(std::size_t index, Match* out) { return InsertAndFind(RingStart + static_cast<Pos>(index), out); }

private:
    static constexpr int HashBits = 15;
    // Twice the window, so the slot of a string 4096 bytes back is not the
    // one being written.
    static constexpr std::uint32_t SlotMask = 2 * RingSize - 1;

    unsigned Hash(Pos v) const {
        const std::uint8_t* p = &text_[static_cast<std::size_t>(v)];
        return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << HashBits) - 1);
    }

    int InsertAndFind(Pos v, Match* out);

    std::vector<std::uint8_t> text_;
    std::vector<Pos> head_;
    std::vector<Pos> children_;
};

}  // namespace lzh
