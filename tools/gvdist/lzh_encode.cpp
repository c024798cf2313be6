#include "lzh_encode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <climits>

#include "archive/lzh_tree.h"

namespace {

using namespace lzh;

constexpr int MinMatch = Threshold + 1;
constexpr int HashBits = 15;
constexpr std::size_t ProgressStep = 1u << 16;

// How far `a` and `b` agree, from `from` up to `limit`, 8 bytes at a time
// (both strings lie in the text for at least `limit` bytes).
int CommonLength(const std::uint8_t* a, const std::uint8_t* b, int from, int limit) {
    int n = from;
    while (n + 8 <= limit) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) break;
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

struct Match {
    int length = 0;          // 0 when shorter than MinMatch
    std::uint16_t distance = 0;  // bytes back, 1..4096
};

// The longest match at each input position in turn, the nearest among
// equals. The input is searched behind the 4036 spaces the decoder's ring
// starts with, so those may be matched but never the 60 ring bytes past
// them. A binary search tree of the window's strings per 3-byte hash, newest
// at the root (each node younger than its children), makes searching and
// inserting one walk that finds the longest match exactly without crawling
// through long chains of similar strings (runs of one byte).
class MatchFinder {
public:
    using Pos = std::int32_t;  // in the text, which starts with the spaces; -1 for none

    explicit MatchFinder(const std::uint8_t* data, std::size_t size)
        : text_(RingStart + size, 0x20), head_(std::size_t{1} << HashBits, -1), children_(2 * (SlotMask + 1), -1) {
        if (size > 0) std::memcpy(&text_[RingStart], data, size);
        std::uint16_t ignored = 0;
        for (Pos v = 0; v < RingStart; ++v) InsertAndFind(v, ignored);
    }

    Match At(std::size_t index) {
        Match m;
        m.length = InsertAndFind(RingStart + static_cast<Pos>(index), m.distance);
        return m;
    }

private:
    // Twice the window, so the slot of a string 4096 bytes back is not the
    // one being written.
    static constexpr std::uint32_t SlotMask = 2 * RingSize - 1;

    unsigned Hash(Pos v) const {
        const std::uint8_t* p = &text_[static_cast<std::size_t>(v)];
        return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << HashBits) - 1);
    }

    // Returns the longest match length (0 below MinMatch) and its distance.
    int InsertAndFind(Pos v, std::uint16_t& distance) {
        distance = 0;
        const std::int64_t available = static_cast<std::int64_t>(text_.size()) - v;
        const int limit = static_cast<int>(std::min<std::int64_t>(LongestMatch, available));
        if (limit < MinMatch) return 0;
        const std::uint8_t* const here = &text_[static_cast<std::size_t>(v)];
        const unsigned h = Hash(v);
        Pos candidate = head_[h];
        head_[h] = v;
        Pos* smaller = &children_[2 * (static_cast<std::uint32_t>(v) & SlotMask)];  // gets strings below ours
        Pos* larger = smaller + 1;
        int smallerLength = 0;
        int largerLength = 0;
        int best = 0;
        for (;;) {
            if (candidate < 0 || v - candidate > RingSize) {
                *smaller = *larger = -1;
                break;
            }
            Pos* const pair = &children_[2 * (static_cast<std::uint32_t>(candidate) & SlotMask)];
            const std::uint8_t* const there = &text_[static_cast<std::size_t>(candidate)];
            int n = std::min(smallerLength, largerLength);  // both neighbours share this prefix
            n = CommonLength(there, here, n, limit);
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
    std::vector<Pos> head_;
    std::vector<Pos> children_;
};

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
        while (depth > 0) {
            const int n = std::min(depth, 24);
            std::uint32_t chunk = 0;
            for (int k = 0; k < n; ++k) chunk = (chunk << 1) | path_[--depth];
            out.Put(chunk, n);
        }
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

// One way of choosing tokens, fed the matches position by position; a
// lazy choice at a position also looks at the next one's match.
class Parse {
public:
    explicit Parse(bool lazy, std::size_t size) : lazy_(lazy) { out_.Reserve(size / 2 + 16); }

    void At(std::size_t index, const std::uint8_t* data, const Match& here, const Match* next) {
        if (index != next_) return;  // inside a match already written
        const bool deferred = lazy_ && next != nullptr && next->length > here.length;
        if (here.length == 0 || deferred) {
            coder_->Put(out_, data[index]);
            next_ = index + 1;
            return;
        }
        coder_->Put(out_, here.length + 253);
        PutPosition(out_, here.distance - 1u);
        next_ = index + static_cast<std::size_t>(here.length);
    }
    std::vector<std::uint8_t> Finish() { return out_.Finish(); }

private:
    bool lazy_;
    std::size_t next_ = 0;
    BitWriter out_;
    std::unique_ptr<SymbolCoder> coder_ = std::make_unique<SymbolCoder>();
};

}  // namespace

std::vector<std::uint8_t> LzhEncodeWith(LzhParse parse, const std::uint8_t* data, std::size_t size,
                                        const std::function<void(std::size_t)>& progress) {
    if (size > static_cast<std::size_t>(INT32_MAX - RingStart)) throw std::length_error("LzhEncode: input too large");
    std::vector<Parse> parses;
    if (parse != LzhParse::Lazy) parses.emplace_back(false, size);
    if (parse != LzhParse::Greedy) parses.emplace_back(true, size);

    MatchFinder finder(data, size);
    Match previous;
    for (std::size_t i = 0; i < size; ++i) {
        const Match here = finder.At(i);
        if (i > 0) {
            for (Parse& p : parses) p.At(i - 1, data, previous, &here);
        }
        previous = here;
        if (progress && (i + 1) % ProgressStep == 0) progress(i + 1);
    }
    if (size > 0) {
        for (Parse& p : parses) p.At(size - 1, data, previous, nullptr);
    }
    if (progress) progress(size);

    std::vector<std::uint8_t> best = parses.front().Finish();
    for (std::size_t i = 1; i < parses.size(); ++i) {
        std::vector<std::uint8_t> other = parses[i].Finish();
        if (other.size() < best.size()) best = std::move(other);
    }
    return best;
}

std::vector<std::uint8_t> LzhEncode(const std::uint8_t* data, std::size_t size,
                                    const std::function<void(std::size_t)>& progress) {
    return LzhEncodeWith(LzhParse::Best, data, size, progress);
}
