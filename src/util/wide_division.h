// 64-bit division a bit at a time, for the shipping setup.exe: a 32-bit
// processor has no such instruction, and libgcc's routines that the
// compiler calls for it bring unwinding tables along.
#pragma once

#include <cstdint>

struct WideDivision {
    std::uint64_t Quotient;
    std::uint64_t Remainder;
};

constexpr WideDivision DivideUnsigned(std::uint64_t dividend, std::uint64_t divisor) {
    WideDivision result{0, 0};
    for (int bit = 63; bit >= 0; --bit) {
        result.Remainder = (result.Remainder << 1) | ((dividend >> bit) & 1);
        if (result.Remainder >= divisor) {
            result.Remainder -= divisor;
            result.Quotient |= std::uint64_t{1} << bit;
        }
    }
    return result;
}

constexpr std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// As C++ divides: the quotient rounds toward zero, the remainder takes the
// dividend's sign.
constexpr WideDivision DivideSigned(std::int64_t dividend, std::int64_t divisor) {
    const WideDivision magnitudes = DivideUnsigned(Magnitude(dividend), Magnitude(divisor));
    return {(dividend < 0) != (divisor < 0) ? 0 - magnitudes.Quotient : magnitudes.Quotient,
            dividend < 0 ? 0 - magnitudes.Remainder : magnitudes.Remainder};
}
