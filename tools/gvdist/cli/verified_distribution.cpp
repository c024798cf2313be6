#include "cli/verified_distribution.h"

#include <utility>

#include "cli/progress_bar.h"
#include "dist/distribution_check.h"

VerifiedDistribution Verify(Distribution source, bool showProgress, const DecodedSink& sink) {
    VerifiedDistribution result;
    result.Source = std::move(source);
    result.Archive = JoinParts(result.Source);
    const std::int32_t length = result.Source.Table.DecodedTotal;
    ProgressBar bar("decoding", static_cast<std::uint64_t>(length), showProgress);
    result.Decoded = DecodeStream(result.Archive, length, sink, [&bar](std::uint64_t done) { bar.Update(done); });
    bar.Finish();
    result.Faults = CheckDistribution(result.Source, result.Archive, result.Decoded);
    return result;
}

VerifiedDistribution LoadAndCheck(const std::vector<std::string>& sources, bool showProgress) {
    return Verify(OpenDistribution(sources), showProgress);
}
