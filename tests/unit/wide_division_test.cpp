// The setup's 64-bit division against the compiler's own.
#include "util/wide_division.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

namespace {

TEST(WideDivision, AgreesWithTheCompilersDivision) {
    const std::int64_t values[] = {
        0, 1, -1, 7, -7, 100, 3'675'000, -4'261'888, 0x7FFFFFFF, 0x100000000, INT64_MAX, INT64_MIN + 1, INT64_MIN};
    for (const std::int64_t n : values) {
        for (const std::int64_t d : values) {
            if (d == 0 || (n == INT64_MIN && d == -1)) continue;
            const auto un = static_cast<std::uint64_t>(n), ud = static_cast<std::uint64_t>(d);
            const WideDivision u = DivideUnsigned(un, ud), s = DivideSigned(n, d);
            EXPECT_EQ(
                std::tuple(u.Quotient, u.Remainder, s.Quotient, s.Remainder),
                std::tuple(un / ud, un % ud, static_cast<std::uint64_t>(n / d), static_cast<std::uint64_t>(n % d)))
                << n << " / " << d;
        }
    }
}

}  // namespace
