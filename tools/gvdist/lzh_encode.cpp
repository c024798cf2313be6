#include "lzh_encode.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "archive/lzh_tree.h"

namespace {

using namespace lzh;

constexpr int MinMatch = Threshold + 1;
constexpr int HashBits = 15;
constexpr std::size_t ProgressStep = 1u << 16;

// The longest match at every input position, nearest first among equals.
// The input is searched behind the 4036 spaces the decoder's ring starts
// with, so those may be matched but never the 60 ring bytes past them.
struct MatchTable {
    std::vector<std::uint8_t> length;     // 0 when shorter than MinMatch
    std::vector<std::uint16_t> distance;  // bytes back, 1..4096
};

// A binary search tree of the window's strings per 3-byte hash, newest at
// the root (each node is younger than its children). Searching and
// inserting are one walk, and it finds the longest match exactly without
// crawling through long chains of similar strings (runs of one byte).
class MatchFinder {
public:
    explicit MatchFinder(const std::uint8_t* data, std::size_t size)
        : text_(RingStart + size, 0x20), head_(std::size_t{1} << HashBits, -1), children_(2 * Slots, -1) {
        if (size > 0) std::memcpy(&text_[RingStart], data, size);
        std::uint16_t ignored = 0;
        for (long v = 0; v < RingStart; ++v) InsertAndFind(v, ignored);
    }

    MatchTable FindAll(std::size_t size, const std::function<void(std::size_t)>& progress) {
        MatchTable table{std::vector<std::uint8_t>(size), std::vector<std::uint16_t>(size)};
        for (std::size_t i = 0; i < size; ++i) {
            const long v = RingStart + static_cast<long>(i);
            table.length[i] = static_cast<std::uint8_t>(InsertAndFind(v, table.distance[i]));
            if (progress && (i + 1) % ProgressStep == 0) progress(i + 1);
        }
        return table;
    }

private:
    // Twice the window, so the slot of a string 4096 bytes back is not the
    // one being written.
    static constexpr long Slots = 2 * RingSize;

    unsigned Hash(long v) const {
        const std::uint8_t* p = &text_[static_cast<std::size_t>(v)];
        return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << HashBits) - 1);
    }

    // Returns the longest match length (0 below MinMatch) and its distance.
    int InsertAndFind(long v, std::uint16_t& distance) {
        distance = 0;
        const long available = static_cast<long>(text_.size()) - v;
        const int limit = static_cast<int>(std::min<long>(LongestMatch, available));
        if (limit < MinMatch) return 0;
        const std::uint8_t* const here = &text_[static_cast<std::size_t>(v)];
        const unsigned h = Hash(v);
        long candidate = head_[h];
        head_[h] = v;
        long* smaller = &children_[2 * static_cast<std::size_t>(v % Slots)];  // gets strings below ours
        long* larger = smaller + 1;
        int smallerLength = 0;
        int largerLength = 0;
        int best = 0;
        for (;;) {
            if (candidate < 0 || v - candidate > RingSize) {
                *smaller = *larger = -1;
                break;
            }
            long* const pair = &children_[2 * static_cast<std::size_t>(candidate % Slots)];
            const std::uint8_t* const there = &text_[static_cast<std::size_t>(candidate)];
            int n = std::min(smallerLength, largerLength);  // both neighbours share this prefix
            while (n < limit && there[n] == here[n]) ++n;
            if (n > best) {
                best = n;
                distance = static_cast<std::uint16_t>(v - candidate);
            }
            if (n == limit) {  // ours replaces the candidate in the tree
                *smaller = pair[0];
                *larger = pair[1];
                break;
            }
            if (there[n] < here[n]) {
                *smaller = candidate;
                smaller = pair + 1;
                candidate = *smaller;
                smallerLength = n;
            } else {
                *larger = candidate;
                larger = pair;
                candidate = *larger;
                largerLength = n;
            }
        }
        if (best < MinMatch) {
            distance = 0;
            return 0;
        }
        return best;
    }

    std::vector<std::uint8_t> text_;
    std::vector<long> head_;
    std::vector<long> children_;
};

class BitWriter {
public:
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

class SymbolCoder {
public:
    SymbolCoder() : tree_{freq_, parent_, child_} { StartTree(tree_); }

    // The code is the path from the root, found by climbing from the leaf;
    // a node's bit is its place under its parent (0 for the lighter child).
    void Put(BitWriter& out, int symbol) {
        int depth = 0;
        for (int x = parent_[NodeCount + symbol]; x != RootNode; x = parent_[x]) {
            path_[depth++] = static_cast<std::uint8_t>(x - child_[parent_[x]]);
        }
        while (depth > 0) out.Put(path_[--depth], 1);
        UpdateTree(tree_, symbol);
    }

private:
    std::uint16_t freq_[FreqEntries];
    std::int16_t parent_[ParentEntries];
    std::int16_t child_[ChildEntries];
    std::uint8_t path_[NodeCount];
    AdaptiveTree tree_;
};

void PutPosition(BitWriter& out, unsigned position) {
    static const std::vector<std::uint8_t> firstIndex = [] {
        std::vector<std::uint8_t> first(64);
        const PositionTables& tables = PositionCode();
        for (int b = 255; b >= 0; --b) first[tables.upper[b]] = static_cast<std::uint8_t>(b);
        return first;
    }();
    const unsigned upper = position >> 6;
    const int length = PositionCodeLength(static_cast<int>(upper));
    out.Put(firstIndex[upper] >> (8 - length), length);
    out.Put(position & 63u, 6);
}

std::vector<std::uint8_t> EncodeParse(const std::uint8_t* data, std::size_t size, const MatchTable& matches,
                                      bool lazy) {
    BitWriter out;
    auto coder = std::make_unique<SymbolCoder>();
    std::size_t i = 0;
    while (i < size) {
        const int length = matches.length[i];
        const bool deferred = lazy && i + 1 < size && matches.length[i + 1] > length;
        if (length == 0 || deferred) {
            coder->Put(out, data[i]);
            ++i;
            continue;
        }
        coder->Put(out, length + 253);
        PutPosition(out, matches.distance[i] - 1u);
        i += static_cast<std::size_t>(length);
    }
    return out.Finish();
}

}  // namespace

std::vector<std::uint8_t> LzhEncodeWith(LzhParse parse, const std::uint8_t* data, std::size_t size,
                                        const std::function<void(std::size_t)>& progress) {
    const MatchTable matches = MatchFinder(data, size).FindAll(size, progress);
    std::vector<std::uint8_t> result;
    if (parse == LzhParse::Greedy) {
        result = EncodeParse(data, size, matches, false);
    } else if (parse == LzhParse::Lazy) {
        result = EncodeParse(data, size, matches, true);
    } else {
        std::vector<std::uint8_t> greedy = EncodeParse(data, size, matches, false);
        std::vector<std::uint8_t> lazy = EncodeParse(data, size, matches, true);
        result = lazy.size() <= greedy.size() ? std::move(lazy) : std::move(greedy);
    }
    if (progress) progress(size);
    return result;
}

std::vector<std::uint8_t> LzhEncode(const std::uint8_t* data, std::size_t size,
                                    const std::function<void(std::size_t)>& progress) {
    return LzhEncodeWith(LzhParse::Best, data, size, progress);
}
