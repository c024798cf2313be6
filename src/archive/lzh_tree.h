// The adaptive Huffman tree shared by the LZHUF decoder and encoder, and the
// fixed prefix code of a match position's upper 6 bits.
//
// Nodes 0..626 stay in non-decreasing order of weight; the two children of
// an internal node are always adjacent (child, child + 1), the lower index
// being the lighter one. A child entry of NodeCount or more marks a leaf for
// symbol (entry - NodeCount). parent[NodeCount + s] is symbol s's leaf.
// All entries are 16 bits wide so the three tables stay small.
#pragma once

#include <cstdint>

namespace lzh {

constexpr int RingSize = 4096;
constexpr int RingMask = RingSize - 1;
constexpr int LongestMatch = 60;
constexpr int Threshold = 2;                                 // a match is 3 bytes or more
constexpr int RingStart = RingSize - LongestMatch;           // first write position
constexpr int SymbolCount = 256 + LongestMatch - Threshold;  // 314
constexpr int NodeCount = 2 * SymbolCount - 1;               // 627
constexpr int RootNode = NodeCount - 1;                      // 626
constexpr unsigned MaxFreq = 0x8000;
constexpr int FreqEntries = NodeCount + 1;  // one sentinel
constexpr int ParentEntries = NodeCount + SymbolCount;
constexpr int ChildEntries = NodeCount;

struct AdaptiveTree {
    std::uint16_t* freq;
    std::int16_t* parent;
    std::int16_t* child;
};

void StartTree(const AdaptiveTree& tree);
void RebuildTree(const AdaptiveTree& tree);

// Counts one more occurrence of `symbol`. An incremented node moves past
// every node that weighed what it weighed before, to the highest such index,
// but never past a node of its new weight; the tree is halved and rebuilt
// first when the root has reached MaxFreq.
inline void UpdateTree(const AdaptiveTree& tree, int symbol) {
    std::uint16_t* const freq = tree.freq;
    std::int16_t* const parent = tree.parent;
    std::int16_t* const child = tree.child;
    if (freq[RootNode] == MaxFreq) RebuildTree(tree);
    int x = parent[NodeCount + symbol];
    do {
        const unsigned k = ++freq[x];
        if (k > freq[x + 1]) {
            int l = x + 1;
            while (k > freq[l + 1]) ++l;  // the sentinel ends the scan
            freq[x] = freq[l];
            freq[l] = static_cast<std::uint16_t>(k);
            const int i = child[x];
            parent[i] = static_cast<std::int16_t>(l);
            if (i < NodeCount) parent[i + 1] = static_cast<std::int16_t>(l);
            const int j = child[l];
            child[l] = static_cast<std::int16_t>(i);
            parent[j] = static_cast<std::int16_t>(x);
            if (j < NodeCount) parent[j + 1] = static_cast<std::int16_t>(x);
            child[x] = static_cast<std::int16_t>(j);
            x = l;
        }
        x = parent[x];
    } while (x != 0);  // the root's parent is 0; node 0 is always a leaf
}

// Prefix code of a position's upper 6 bits, indexed by the next 8 stream
// bits: the value (0..63) and the code length (3..8).
struct PositionTables {
    std::uint8_t upper[256];
    std::uint8_t length[256];
};
const PositionTables& PositionCode();

// Code length of upper-bits value u (0..63); its code is the first 8-bit
// index of u shifted right by (8 - length).
int PositionCodeLength(int u);

}  // namespace lzh
