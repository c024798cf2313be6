#include "cli/verified_distribution.h"

#include <utility>

#include "cli/progress_bar.h"
#include "dist/distribution_check.h"
#include "dist/expected_disks.h"
#include "dist/part_stream.h"

VerifiedDistribution Verify(Distribution source, bool showProgress, const DecodedSink& sink) {
    VerifiedDistribution result;
    result.Source = std::move(source);
    // Sizes before bytes: a missing disk, or a part that cannot be the
    // one stamped, is named before anything is read or decoded.
    result.Faults = CheckSizes(result.Source);
    if (!result.Faults.empty()) {
        return result;
    }
    result.ArchiveSize = PartsSize(result.Source);
    PartStream parts(result.Source.Parts);
    const std::int32_t length = result.Source.Table.DecodedTotal;
    ProgressBar bar("decoding", static_cast<std::uint64_t>(length), showProgress);
    result.Decoded = DecodeStream(
        result.ArchiveSize, [&parts](std::uint8_t* buffer, std::size_t size) { return parts.Read(buffer, size); },
        length, sink, [&bar](std::uint64_t done) { bar.Update(done); });
    bar.Finish();
    if (ExpectedParts(result.Source) != nullptr) {
        parts.ReadToEnd();  // its CRC-32s cover every byte; the sizes have been checked
    }
    result.Faults = CheckDecoded(result.Source, parts.Crcs(), result.Decoded);
    return result;
}

VerifiedDistribution LoadAndCheck(const std::vector<std::string>& sources, bool showProgress) {
    return Verify(OpenDistribution(sources), showProgress);
}
