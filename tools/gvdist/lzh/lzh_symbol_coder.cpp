#include "lzh/lzh_symbol_coder.h"

namespace lzh {

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

}  // namespace lzh
