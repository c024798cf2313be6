// A distribution joined, decoded and checked: what verify reports and what
// extract needs before it puts anything in place.
#pragma once

#include <string>
#include <vector>

#include "dist/distribution.h"
#include "lzh/stream_codec.h"

struct VerifiedDistribution {
    Distribution Source;
    std::vector<std::uint8_t> Archive;
    DecodedStream Decoded;
    std::vector<std::string> Faults;  // empty when sound
};

// Joins and decodes the parts of `source` and checks them. The decoded
// bytes go to `sink` as they come, before the checks are made. Throws
// DataError when a part cannot be read or the parts cannot decode to
// setup.exe's DecodedTotal.
VerifiedDistribution Verify(Distribution source, bool showProgress, const DecodedSink& sink = {});

// The same for the distribution OpenDistribution gathers from `sources`.
VerifiedDistribution LoadAndCheck(const std::vector<std::string>& sources, bool showProgress);
