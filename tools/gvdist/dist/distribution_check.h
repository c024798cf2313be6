// The checks of a distribution whose parts have been joined and decoded:
// the stamp, gvdist.txt and the table of setup.exe against what the parts
// hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dist/distribution.h"
#include "lzh/stream_codec.h"

// Everything wrong with the distribution once its parts are joined into
// `archive` and decoded into `decoded`; empty when it is sound.
std::vector<std::string> CheckDistribution(const Distribution& distribution, const std::vector<std::uint8_t>& archive,
                                           const DecodedStream& decoded);
