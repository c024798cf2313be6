// The setup's 64-bit division against the compiler's own.
#include "util/wide_division.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

TEST(WideDivision, AgreesWithTheCompilersDivision) {
    const std::int64_t values[] = {
        0, 1, -1, 7, -7, 100, 3'675'000, -4'261'888, 0x7FFFFFFF, 0x100000000, INT64_MAX, INT64_MIN + 1, INT64_MIN};
    for (const std::int64_t n : values) {
        for (const std::int64_t d : values) {
            if (d == 0 || (n == INT64_MIN && d == -1)) continue;
            SCOPED_TRACE(testing::Message() << n << " / " << d);
            const auto un = static_cast<std::uint64_t>(n), ud = static_cast<std::uint64_t>(d);
            const WideDivision unsignedResult = DivideUnsigned(un, ud), signedResult = DivideSigned(n, d);
            EXPECT_EQ(std::pair(unsignedResult.Quotient, unsignedResult.Remainder), std::pair(un / ud, un % ud));
            EXPECT_EQ(std::pair(static_cast<std::int64_t>(signedResult.Quotient),
                                static_cast<std::int64_t>(signedResult.Remainder)),
                      std::pair(n / d, n % d));
        }
    }
}

}  // namespace
