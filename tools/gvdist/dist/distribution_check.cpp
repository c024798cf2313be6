#include "dist/distribution_check.h"

#include "archive/lzh_decode.h"
#include "dist/expected_disks.h"

namespace {

// "Glyphvan.002 (disk 2)"
std::string PartOnDisk(const Distribution& distribution, std::size_t index) {
    return distribution.Parts[index].Name + " (disk " + std::to_string(index + 1) + ")";
}

// The checks setup.exe carries against the parts' sizes, and against
// gvdist.txt where it lies beside them.
void CheckRecordedSizes(const Distribution& distribution, std::vector<std::string>& faults) {
    const StampValues& stamp = distribution.Stamp;
    for (std::size_t i = 0; i < distribution.Parts.size() && i < stamp.Parts.size(); ++i) {
        if (distribution.Parts[i].Size != stamp.Parts[i].Size) {
            faults.push_back(PartOnDisk(distribution, i) + " holds " + std::to_string(distribution.Parts[i].Size) +
                             " bytes, but " + ExpectedPartsSource(distribution) + " says " +
                             std::to_string(stamp.Parts[i].Size) + ": the disk is cut short or damaged");
        }
    }
    const DistributionManifest& manifest = distribution.Manifest;
    bool agree = manifest.DecodedCrc == stamp.DecodedCrc && manifest.Parts.size() == stamp.Parts.size();
    for (std::size_t i = 0; agree && i < stamp.Parts.size(); ++i) {
        agree = manifest.Parts[i].Size == stamp.Parts[i].Size && manifest.Parts[i].Crc == stamp.Parts[i].Crc;
    }
    if (distribution.HasManifest && !agree) {
        faults.push_back(std::string("the manifest ") + ManifestFileName + " and " + ExpectedPartsSource(distribution) +
                         " record different parts: one of them belongs to another pack");
    }
}

}  // namespace

std::vector<std::string> CheckSizes(const Distribution& distribution) {
    std::vector<std::string> faults = distribution.ReadFaults;
    faults.insert(faults.end(), distribution.PartFaults.begin(), distribution.PartFaults.end());
    if (!distribution.PartFaults.empty()) {
        return faults;  // the sizes that follow from a missing disk would only repeat it
    }
    // The disk at fault first: the totals that follow from it come after.
    if (distribution.Stamp.HasChecks) {
        CheckRecordedSizes(distribution, faults);
    }
    const std::uint64_t archive = PartsSize(distribution);
    if (!distribution.StampProblem.empty()) {
        faults.push_back(distribution.StampProblem);
    } else {
        const std::string stamped = std::string(SetupFileName) + " is stamped ";
        if (distribution.Stamp.DiskCount != static_cast<std::int64_t>(distribution.Parts.size())) {
            faults.push_back(stamped + "DiskCount=" + std::to_string(distribution.Stamp.DiskCount) + " but " +
                             std::to_string(distribution.Parts.size()) + " part(s) were found");
        }
        if (static_cast<std::uint64_t>(distribution.Stamp.ArchiveSize) != archive) {
            faults.push_back(stamped + "ArchiveSize=" + std::to_string(distribution.Stamp.ArchiveSize) +
                             " but the parts hold " + std::to_string(archive) + " bytes");
        }
    }
    if (distribution.Table.DecodedTotal > LzhMaxDecodedLength(archive)) {
        faults.push_back(std::to_string(archive) + " bytes of compressed data cannot decode to " +
                         std::to_string(distribution.Table.DecodedTotal) + " bytes: at most " +
                         std::to_string(LzhMaxDecodedLength(archive)));
    }
    if (!distribution.HasManifest) {
        return faults;
    }
    const DistributionManifest& manifest = distribution.Manifest;
    const std::string named = std::string("the manifest ") + ManifestFileName;
    if (manifest.DiskCount != static_cast<int>(distribution.Parts.size())) {
        faults.push_back(named + " has DiskCount=" + std::to_string(manifest.DiskCount) + " but " +
                         std::to_string(distribution.Parts.size()) + " part(s) were found");
    }
    if (manifest.ArchiveSize != archive) {
        faults.push_back(named + " has ArchiveSize=" + std::to_string(manifest.ArchiveSize) + " but the parts hold " +
                         std::to_string(archive) + " bytes");
    }
    if (manifest.DecodedTotal != distribution.Table.DecodedTotal) {
        faults.push_back(named + " has DecodedTotal=" + std::to_string(manifest.DecodedTotal) +
                         " but setup.exe's table says " + std::to_string(distribution.Table.DecodedTotal));
    }
    // With checks in the stamp, the parts are judged by them.
    for (std::size_t i = 0; !distribution.Stamp.HasChecks && i < distribution.Parts.size() && i < manifest.Parts.size();
         ++i) {
        const ArchivePart& part = distribution.Parts[i];
        if (part.Size != manifest.Parts[i].Size) {
            faults.push_back(part.Name + " holds " + std::to_string(part.Size) + " bytes, " + named + " says " +
                             std::to_string(manifest.Parts[i].Size));
        }
    }
    return faults;
}

std::vector<std::string> CheckDecoded(const Distribution& distribution, const std::vector<std::uint32_t>& partCrcs,
                                      const DecodedStream& decoded) {
    std::vector<std::string> faults;
    const std::vector<ManifestPart>* expected = ExpectedParts(distribution);
    const std::string recorded = ExpectedPartsSource(distribution);
    for (std::size_t i = 0; expected != nullptr && i < partCrcs.size() && i < expected->size(); ++i) {
        if (partCrcs[i] != (*expected)[i].Crc) {
            faults.push_back(PartOnDisk(distribution, i) + " is damaged: its CRC-32 differs from the one in " +
                             recorded);
        }
    }
    if (!faults.empty()) {
        return faults;  // what its bytes decoded to would only repeat it
    }
    if (decoded.Truncated()) {
        faults.push_back("the archive is truncated: decoding " + std::to_string(distribution.Table.DecodedTotal) +
                         " bytes needs more than the " + std::to_string(decoded.InputBytes) + " bytes the parts hold");
    } else if (decoded.UnusedBytes() > 0) {
        faults.push_back("the archive goes on for " + std::to_string(decoded.UnusedBytes()) +
                         " bytes after the stream that DecodedTotal " +
                         std::to_string(distribution.Table.DecodedTotal) +
                         " of setup.exe covers: a part is damaged or belongs to another setup.exe");
    }
    const std::uint32_t decodedCrc =
        distribution.Stamp.HasChecks ? distribution.Stamp.DecodedCrc : distribution.Manifest.DecodedCrc;
    if (expected != nullptr && !decoded.Truncated() && decoded.Crc != decodedCrc) {
        faults.push_back("the decoded stream's CRC-32 differs from the one in " + recorded);
    }
    return faults;
}
