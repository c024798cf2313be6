// A distribution joined, decoded and checked: what verify reports and what
// extract needs before it puts anything in place.
#pragma once

#include <string>
#include <vector>

#include "dist/distribution.h"
#include "lzh/stream_codec.h"

struct VerifiedDistribution {
    Distribution Source;
    std::uint64_t ArchiveSize = 0;  // the bytes the parts hold
    DecodedStream Decoded;
    std::vector<std::string> Faults;  // empty when sound
};

// Checks the sizes of the parts of `source`, then decodes them as one
// stream and checks them; a fault in the sizes stops before any part is
// read. The decoded bytes go to `sink` as they come, before the checks are
// made. Throws DataError when a part cannot be read.
VerifiedDistribution Verify(Distribution source, bool showProgress, const DecodedSink& sink = {});

// The same for the distribution OpenDistribution gathers from `sources`.
VerifiedDistribution LoadAndCheck(const std::vector<std::string>& sources, bool showProgress);
