#include "lzh_encode.h"

#include <algorithm>
#include <array>
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
    int length = 0;              // MinMatch..LongestMatch; 0 for none
    std::uint16_t distance = 0;  // bytes back, 1..4096
};
constexpr int MaxMatches = LongestMatch - MinMatch + 1;

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
        Match ignored[MaxMatches];
        for (Pos v = 0; v < RingStart; ++v) InsertAndFind(v, ignored);
    }

    // Fills `out` with the matches at `index`, lengths increasing, each
    // with the nearest distance that reaches its length (the newest string
    // sharing a prefix lies on the search path, and the path runs from new
    // to old); the last is the longest. Returns how many there are.
    int At(std::size_t index, Match* out) { return InsertAndFind(RingStart + static_cast<Pos>(index), out); }

private:
    // Twice the window, so the slot of a string 4096 bytes back is not the
    // one being written.
    static constexpr std::uint32_t SlotMask = 2 * RingSize - 1;

    unsigned Hash(Pos v) const {
        const std::uint8_t* p = &text_[static_cast<std::size_t>(v)];
        return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << HashBits) - 1);
    }

    int InsertAndFind(Pos v, Match* out) {
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
        int count = 0;
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
                if (n >= MinMatch) out[count++] = {n, static_cast<std::uint16_t>(v - candidate)};
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
        return count;
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

int PositionBits(unsigned position) { return PositionCodeLength(static_cast<int>(position >> 6)) + 6; }

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

// One way of choosing tokens, fed the longest match position by position; a
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

    void ParseBlock() {
        const std::size_t n = starts_.size();
        starts_.push_back(static_cast<std::uint32_t>(matches_.size()));
        std::vector<Token> best = LazyTokens(n);
        std::vector<Prices> prices;
        std::uint64_t bestBits = Replay(best, n, prices);
        for (int round = 0; round < MaxRounds; ++round) {
            std::vector<Token> tokens = CheapestTokens(n, prices);
            std::vector<Prices> next;
            const std::uint64_t bits = Replay(tokens, n, next);
            if (bits >= bestBits) break;
            bestBits = bits;
            best.swap(tokens);
            prices.swap(next);
        }
        std::size_t at = begin_;
        for (const Token& t : best) {
            if (t.length == 1) {
                coder_.Put(out_, data_[at]);
            } else {
                coder_.Put(out_, t.length + 253);
                PutPosition(out_, t.distance - 1u);
            }
            at += t.length;
        }
        begin_ += n;
        starts_.clear();
        matches_.clear();
    }

    // The longest match at block position i, cut at the block's end.
    Match Longest(std::size_t i, std::size_t n) const {
        if (starts_[i] == starts_[i + 1]) return {};
        Match m = matches_[starts_[i + 1] - 1];
        m.length = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(m.length), n - i));
        return m.length < MinMatch ? Match{} : m;
    }

    std::vector<Token> LazyTokens(std::size_t n) const {
        std::vector<Token> tokens;
        for (std::size_t i = 0; i < n;) {
            const Match here = Longest(i, n);
            if (here.length == 0 || (i + 1 < n && Longest(i + 1, n).length > here.length)) {
                tokens.push_back({1, 0});
                ++i;
            } else {
                tokens.push_back({static_cast<std::uint16_t>(here.length), here.distance});
                i += static_cast<std::size_t>(here.length);
            }
        }
        return tokens;
    }

    // Codes `tokens` on a copy of the tree; returns their bits and fills
    // `prices` for each segment: the code lengths at its two ends, summed.
    std::uint64_t Replay(const std::vector<Token>& tokens, std::size_t n, std::vector<Prices>& prices) const {
        const std::size_t segments = (n + SegmentSize - 1) / SegmentSize;
        std::vector<Prices> lengths(segments + 1);
        SymbolCoder trial = coder_;
        std::uint64_t bits = 0;
        std::size_t at = 0;
        std::size_t mark = 0;
        for (const Token& t : tokens) {
            while (mark <= segments && mark * SegmentSize <= at) trial.Lengths(lengths[mark++].data());
            if (t.length == 1) {
                bits += static_cast<std::uint64_t>(trial.Take(data_[begin_ + at]));
            } else {
                bits += static_cast<std::uint64_t>(trial.Take(t.length + 253) + PositionBits(t.distance - 1u));
            }
            at += t.length;
        }
        while (mark <= segments) trial.Lengths(lengths[mark++].data());
        prices.resize(segments);
        for (std::size_t k = 0; k < segments; ++k) {
            for (int s = 0; s < SymbolCount; ++s) {
                prices[k][s] = static_cast<std::uint16_t>(lengths[k][s] + lengths[k + 1][s]);
            }
        }
        return bits;
    }

    // The cheapest way through the block under `prices`: every position is
    // reached by a literal or by any length of any match, each length
    // taken at the nearest distance that offers it.
    std::vector<Token> CheapestTokens(std::size_t n, const std::vector<Prices>& prices) {
        cost_.assign(n + 1, UINT32_MAX);
        via_.resize(n + 1);
        cost_[0] = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t here = cost_[i];
            const Prices& price = prices[i / SegmentSize];
            const std::uint32_t literal = here + price[data_[begin_ + i]];
            if (literal < cost_[i + 1]) {
                cost_[i + 1] = literal;
                via_[i + 1] = {1, 0};
            }
            const int room = static_cast<int>(std::min<std::size_t>(n - i, LongestMatch));
            int length = MinMatch;
            for (std::uint32_t k = starts_[i]; k < starts_[i + 1] && length <= room; ++k) {
                const Match& m = matches_[k];
                const std::uint32_t base = here + 2u * static_cast<std::uint32_t>(PositionBits(m.distance - 1u));
                const int top = std::min(m.length, room);
                for (; length <= top; ++length) {
                    const std::uint32_t c = base + price[length + 253];
                    if (c < cost_[i + static_cast<std::size_t>(length)]) {
                        cost_[i + static_cast<std::size_t>(length)] = c;
                        via_[i + static_cast<std::size_t>(length)] = {static_cast<std::uint16_t>(length), m.distance};
                    }
                }
            }
        }
        std::vector<Token> tokens;
        for (std::size_t at = n; at > 0; at -= via_[at].length) tokens.push_back(via_[at]);
        std::reverse(tokens.begin(), tokens.end());
        return tokens;
    }

    const std::uint8_t* data_;
    std::size_t begin_ = 0;               // input index of the block's first byte
    std::vector<std::uint32_t> starts_;   // per block position: its first match
    std::vector<Match> matches_;
    std::vector<std::uint32_t> cost_;
    std::vector<Token> via_;
    SymbolCoder coder_;
    BitWriter out_;
};

}  // namespace

std::vector<std::uint8_t> LzhEncodeWith(LzhParse parse, const std::uint8_t* data, std::size_t size,
                                        const std::function<void(std::size_t)>& progress) {
    if (size > static_cast<std::size_t>(INT32_MAX - RingStart)) throw std::length_error("LzhEncode: input too large");
    std::vector<Parse> parses;
    if (parse != LzhParse::Lazy) parses.emplace_back(false, size);
    if (parse != LzhParse::Greedy) parses.emplace_back(true, size);
    std::unique_ptr<OptimalParse> optimal;
    if (parse == LzhParse::Optimal) optimal = std::make_unique<OptimalParse>(data, size);

    MatchFinder finder(data, size);
    Match found[MaxMatches];
    Match previous;
    for (std::size_t i = 0; i < size; ++i) {
        const int count = finder.At(i, found);
        if (optimal) optimal->Add(found, count);
        const Match here = count > 0 ? found[count - 1] : Match{};
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
    if (optimal) {
        std::vector<std::uint8_t> other = optimal->Finish();
        if (other.size() < best.size()) best = std::move(other);
    }
    return best;
}

std::vector<std::uint8_t> LzhEncode(const std::uint8_t* data, std::size_t size,
                                    const std::function<void(std::size_t)>& progress) {
    return LzhEncodeWith(LzhParse::Optimal, data, size, progress);
}
