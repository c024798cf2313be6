// A distribution joined, decoded and checked: what verify reports and what
// extract needs before it writes anything.
#pragma once

#include <string>
#include <vector>

#include "distribution.h"
#include "stream_codec.h"

struct VerifiedDistribution {
    Distribution Source;
    std::vector<std::uint8_t> Archive;
    DecodedStream Decoded;
    std::vector<std::string> Faults;  // empty when sound
};

// Throws DataError when setup.exe, its table or a part cannot be read.
VerifiedDistribution LoadAndCheck(const std::vector<std::string>& sources, bool showProgress);
