// The coding half of the LZHUF encoder: bits out, symbols through the
// adaptive tree, positions through their fixed prefix code.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/lzh_tree.h"

namespace lzh {

class BitWriter {
public:
    void Reserve(std::size_t bytes) { out_.reserve(bytes); }
    void Put(std::uint32_t bits, int count) {  // count <= 24
        accumulator_ = (accumulator_ << count) | (bits & ((1u << count) - 1u));
        pending_ += count;
        while (pending_ >= 8) {
            pending_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(accumulator_ >> pending_));
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (pending_ > 0) Put(0, 8 - pending_);  // the decoder reads zeros past the end anyway
        return std::move(out_);
    }

private:
    std::uint64_t accumulator_ = 0;
    int pending_ = 0;
    std::vector<std::uint8_t> out_;
};

// The encoder's copy of the adaptive tree. Copies are independent, so a
// parse can be tried on a copy before it is written.
class SymbolCoder {
public:
    SymbolCoder() { StartTree(Tree()); }

    // The code is the path from the root, found by climbing from the leaf;
    // a node's bit is its place under its parent (0 for the lighter child).
    void Put(BitWriter& out, int symbol) {
        std::uint8_t path[NodeCount];
        int depth = 0;
        for (int x = parent_[NodeCount + symbol]; x != RootNode; x = parent_[x]) {
            path[depth++] = static_cast<std::uint8_t>(x - child_[parent_[x]]);
        }
        while (depth > 0) {
            const int n = std::min(depth, 24);
            std::uint32_t chunk = 0;
            for (int k = 0; k < n; ++k) chunk = (chunk << 1) | path[--depth];
            out.Put(chunk, n);
        }
        UpdateTree(Tree(), symbol);
    }

    // Counts `symbol` as Put does, writing nothing; returns its code length.
    int Take(int symbol) {
        int depth = 0;
        for (int x = parent_[NodeCount + symbol]; x != RootNode; x = parent_[x]) ++depth;
        UpdateTree(Tree(), symbol);
        return depth;
    }

    // Every symbol's code length as the tree stands. A parent always has a
    // higher index than its children, so one downward sweep finds them all.
    void Lengths(std::uint16_t* lengths) const {
        std::uint16_t depth[NodeCount];
        depth[RootNode] = 0;
        for (int x = RootNode - 1; x >= 0; --x) depth[x] = static_cast<std::uint16_t>(depth[parent_[x]] + 1);
        for (int s = 0; s < SymbolCount; ++s) lengths[s] = depth[parent_[NodeCount + s]];
    }

private:
    AdaptiveTree Tree() { return {freq_, parent_, child_}; }

    std::uint16_t freq_[FreqEntries];
    std::int16_t parent_[ParentEntries];
    std::int16_t child_[ChildEntries];
};

// The bits of position `position` (0..4095).
inline int PositionBits(unsigned position) { return PositionCodeLength(static_cast<int>(position >> 6)) + 6; }

void PutPosition(BitWriter& out, unsigned position);

}  // namespace lzh
