// Numbers as the tool reads and writes them in text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// "DEADBEEF": eight upper-case hex digits.
std::string Hex32(std::uint32_t value);

// The value of `text` when it is 1 to `maxDigits` (at most 19) decimal
// digits and nothing else: no sign, no space, no other base.
std::optional<std::uint64_t> DecimalValue(const std::string& text, std::size_t maxDigits);
