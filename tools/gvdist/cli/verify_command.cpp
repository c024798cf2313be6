#include "base/errors.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "cli/verified_distribution.h"
#include "dist/distribution.h"
#include "dist/expected_disks.h"
#include "dist/salvage.h"

void RunVerify(const Options& options, std::ostream& out, std::ostream& err) {
    const VerifiedDistribution result = LoadAndCheck(options.Arguments, ProgressWanted(options.Quiet));
    if (!NoChecksNote(result.Source).empty()) {
        err << "gvdist: note: " << NoChecksNote(result.Source) << "\n";
    }
    if (!result.Faults.empty()) {
        for (std::size_t i = 0; i + 1 < result.Faults.size(); ++i) {
            err << "gvdist: " << result.Faults[i] << "\n";
        }
        const Distribution& source = result.Source;
        const bool shortOfStamp = source.HasStamp && source.StampProblem.empty() &&
                                  PartsSize(source) < static_cast<std::uint64_t>(source.Stamp.ArchiveSize);
        if (!source.PartFaults.empty() || !source.DisksPastGap.empty() || shortOfStamp || result.Decoded.Truncated()) {
            const SalvagePlan salvage = PlanSalvage(source);
            if (!salvage.Complete()) {
                err << "gvdist: " << result.Faults.back() << "\n";
                for (const std::string& note : salvage.Unusable) {
                    err << "gvdist: " << note << "\n";
                }
                throw DataError(salvage.Summary("recoverable") + " (gvdist extract --salvage)");
            }
        }
        throw DataError(result.Faults.back());
    }
    out << DescribeSources(result.Source) << ": " << result.Source.Parts.size() << " part(s), " << result.ArchiveSize
        << " bytes, decode to " << result.Decoded.Length << " bytes";
    out << (result.Source.HasManifest ? ", matching the manifest " + std::string(ManifestFileName)
                                      : ", no manifest " + std::string(ManifestFileName) + " to compare with")
        << ": OK\n";
}
