#include "lzh/lzh_match_finder.h"

#include <algorithm>
#include <cstring>

namespace lzh {

namespace {

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

}  // namespace

MatchFinder::MatchFinder(const std::uint8_t* data, std::size_t size)
    : text_(RingStart + size, 0x20), head_(std::size_t{1} << HashBits, -1), children_(2 * (SlotMask + 1), -1) {
    if (size > 0) std::memcpy(&text_[RingStart], data, size);
    Match ignored[MaxMatches];
    for (Pos v = 0; v < RingStart; ++v) InsertAndFind(v, ignored);
}

int MatchFinder::InsertAndFind(Pos v, Match* out) {
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

}  // namespace lzh
