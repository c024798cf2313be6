#include "lzh/lzh_optimal_parse.h"

#include <algorithm>
#include <climits>

namespace lzh {

void OptimalParse::ParseBlock() {
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

Match OptimalParse::Longest(std::size_t i, std::size_t n) const {
    if (starts_[i] == starts_[i + 1]) return {};
    Match m = matches_[starts_[i + 1] - 1];
    m.length = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(m.length), n - i));
    return m.length < MinMatch ? Match{} : m;
}

std::vector<Token> OptimalParse::LazyTokens(std::size_t n) const {
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

std::uint64_t OptimalParse::Replay(const std::vector<Token>& tokens, std::size_t n, std::vector<Prices>& prices) const {
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

std::vector<Token> OptimalParse::CheapestTokens(std::size_t n, const std::vector<Prices>& prices) {
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

}  // namespace lzh
