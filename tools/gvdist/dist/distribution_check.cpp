#include "dist/distribution_check.h"

#include "archive/lzh_decode.h"

std::vector<std::string> CheckSizes(const Distribution& distribution) {
    std::vector<std::string> faults = distribution.PartFaults;
    if (!faults.empty()) {
        return faults;  // the sizes that follow from a missing disk would only repeat it
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
    for (std::size_t i = 0; i < distribution.Parts.size() && i < manifest.Parts.size(); ++i) {
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
    if (decoded.Truncated()) {
        faults.push_back("the archive is truncated: decoding " + std::to_string(distribution.Table.DecodedTotal) +
                         " bytes needs more than the " + std::to_string(decoded.InputBytes) + " bytes the parts hold");
    } else if (decoded.UnusedBytes() > 0) {
        faults.push_back("the archive goes on for " + std::to_string(decoded.UnusedBytes()) +
                         " bytes after the stream that DecodedTotal " +
                         std::to_string(distribution.Table.DecodedTotal) +
                         " of setup.exe covers: a part is damaged or belongs to another setup.exe");
    }
    if (!distribution.HasManifest) {
        return faults;
    }
    const std::string named = std::string("the manifest ") + ManifestFileName;
    for (std::size_t i = 0; i < partCrcs.size() && i < distribution.Manifest.Parts.size(); ++i) {
        if (partCrcs[i] != distribution.Manifest.Parts[i].Crc) {
            faults.push_back(distribution.Parts[i].Name + " is damaged: its CRC-32 differs from the one in " + named);
        }
    }
    if (!decoded.Truncated() && decoded.Crc != distribution.Manifest.DecodedCrc) {
        faults.push_back("the decoded stream's CRC-32 differs from the one in " + named);
    }
    return faults;
}
