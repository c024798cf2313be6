#include "verified_distribution.h"

#include "progress_bar.h"

VerifiedDistribution LoadAndCheck(const std::vector<std::string>& sources, bool showProgress) {
    VerifiedDistribution result;
    result.Source = OpenDistribution(sources);
    result.Archive = JoinParts(result.Source);
    const std::int32_t length = result.Source.Table.DecodedTotal;
    ProgressBar bar("decoding", static_cast<std::uint64_t>(length), showProgress);
    result.Decoded = DecodeStream(result.Archive, length, [&bar](std::uint64_t done) { bar.Update(done); });
    bar.Finish();
    result.Faults = CheckDistribution(result.Source, result.Archive, result.Decoded);
    return result;
}
