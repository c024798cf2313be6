#include "lzh/lzh_encode.h"

#include <climits>
#include <memory>
#include <stdexcept>

#include "lzh/lzh_match_finder.h"
#include "lzh/lzh_optimal_parse.h"
#include "lzh/lzh_symbol_coder.h"

namespace {

using namespace lzh;

constexpr std::size_t ProgressStep = 1u << 16;

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

}  // namespace

// One walk of the match finder feeds every parse asked for; the greedy and
// the lazy one take the longest match, the optimal one all of them.
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
