// The checks of a distribution: first what the sizes of its files show,
// before any part is read, then what its parts hold once decoded: the
// stamp, gvdist.txt and the table of setup.exe against the parts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dist/distribution.h"
#include "lzh/stream_codec.h"

// Everything the sizes show to be wrong: missing disks, parts that do not
// add up to what the stamp and the manifest say, a DecodedTotal that no
// archive of their size reaches. Empty when the parts are worth reading.
std::vector<std::string> CheckSizes(const Distribution& distribution);

// Everything wrong with the distribution once its parts, whose CRC-32s are
// `partCrcs`, are decoded into `decoded`; empty when it is sound.
std::vector<std::string> CheckDecoded(const Distribution& distribution, const std::vector<std::uint32_t>& partCrcs,
                                      const DecodedStream& decoded);
