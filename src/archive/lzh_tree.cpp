#include "archive/lzh_tree.h"

#include <cstring>

namespace lzh {

void StartTree(const AdaptiveTree& tree) {
    for (int i = 0; i < SymbolCount; ++i) {
        tree.freq[i] = 1;
        tree.child[i] = static_cast<std::int16_t>(i + NodeCount);
        tree.parent[i + NodeCount] = static_cast<std::int16_t>(i);
    }
    for (int i = 0, j = SymbolCount; j < NodeCount; i += 2, ++j) {
        tree.freq[j] = static_cast<std::uint16_t>(tree.freq[i] + tree.freq[i + 1]);
        tree.child[j] = static_cast<std::int16_t>(i);
        tree.parent[i] = tree.parent[i + 1] = static_cast<std::int16_t>(j);
    }
    tree.freq[NodeCount] = 0xFFFF;
    tree.parent[RootNode] = 0;
}

void RebuildTree(const AdaptiveTree& tree) {
    std::uint16_t* const freq = tree.freq;
    std::int16_t* const child = tree.child;
    // Keep the leaves in their order, with their weights halved (rounding up
    // so no symbol drops to weight 0).
    int j = 0;
    for (int i = 0; i < NodeCount; ++i) {
        if (child[i] >= NodeCount) {
            freq[j] = static_cast<std::uint16_t>((freq[i] + 1u) / 2u);
            child[j] = child[i];
            ++j;
        }
    }
    // Join them pairwise; each new node goes last among its equals.
    for (int i = 0; j < NodeCount; i += 2, ++j) {
        const std::uint16_t f = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
        freq[j] = f;
        int k = j - 1;
        while (f < freq[k]) --k;
        ++k;
        const std::size_t moved = static_cast<std::size_t>(j - k);
        std::memmove(&freq[k + 1], &freq[k], moved * sizeof freq[0]);
        freq[k] = f;
        std::memmove(&child[k + 1], &child[k], moved * sizeof child[0]);
        child[k] = static_cast<std::int16_t>(i);
    }
    for (int i = 0; i < NodeCount; ++i) {
        const int k = child[i];
        if (k >= NodeCount) {
            tree.parent[k] = static_cast<std::int16_t>(i);
        } else {
            tree.parent[k] = tree.parent[k + 1] = static_cast<std::int16_t>(i);
        }
    }
}

int PositionCodeLength(int u) {
    if (u < 1) return 3;
    if (u < 4) return 4;
    if (u < 12) return 5;
    if (u < 24) return 6;
    if (u < 48) return 7;
    return 8;
}

namespace {

// Codes are handed out in increasing order of u, each the next bit pattern
// of its length, so each u owns 2^(8 - length) consecutive 8-bit indices.
PositionTables BuildPositionTables() {
    PositionTables tables{};
    int index = 0;
    for (int u = 0; u < 64; ++u) {
        const int length = PositionCodeLength(u);
        for (int n = 0; n < (1 << (8 - length)); ++n, ++index) {
            tables.upper[index] = static_cast<std::uint8_t>(u);
            tables.length[index] = static_cast<std::uint8_t>(length);
        }
    }
    return tables;
}

}  // namespace

const PositionTables& PositionCode() {
    static const PositionTables tables = BuildPositionTables();
    return tables;
}

}  // namespace lzh
