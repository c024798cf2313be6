#include "dist/distribution_check.h"

#include "base/checksum.h"

std::vector<std::string> CheckDistribution(const Distribution& distribution, const std::vector<std::uint8_t>& archive,
                                           const DecodedStream& decoded) {
    std::vector<std::string> faults = distribution.PartFaults;
    if (decoded.Truncated()) {
        faults.push_back("the archive is truncated: decoding " + std::to_string(distribution.Table.DecodedTotal) +
                         " bytes needs more than the " + std::to_string(archive.size()) + " bytes the parts hold");
    } else if (decoded.UnusedBytes() > 0) {
        faults.push_back("the archive goes on for " + std::to_string(decoded.UnusedBytes()) +
                         " bytes after the stream that DecodedTotal " +
                         std::to_string(distribution.Table.DecodedTotal) +
                         " of setup.exe covers: a part is damaged or belongs to another setup.exe");
    }
    if (!distribution.StampProblem.empty()) {
        faults.push_back(distribution.StampProblem);
    } else {
        const std::string stamped = std::string(SetupFileName) + " is stamped ";
        if (distribution.Stamp.DiskCount != static_cast<std::int64_t>(distribution.Parts.size())) {
            faults.push_back(stamped + "DiskCount=" + std::to_string(distribution.Stamp.DiskCount) + " but " +
                             std::to_string(distribution.Parts.size()) + " part(s) were found");
        }
        if (distribution.Stamp.ArchiveSize != static_cast<std::int64_t>(archive.size())) {
            faults.push_back(stamped + "ArchiveSize=" + std::to_string(distribution.Stamp.ArchiveSize) +
                             " but the parts hold " + std::to_string(archive.size()) + " bytes");
        }
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
    if (manifest.ArchiveSize != archive.size()) {
        faults.push_back(named + " has ArchiveSize=" + std::to_string(manifest.ArchiveSize) + " but the parts hold " +
                         std::to_string(archive.size()) + " bytes");
    }
    if (manifest.DecodedTotal != distribution.Table.DecodedTotal) {
        faults.push_back(named + " has DecodedTotal=" + std::to_string(manifest.DecodedTotal) +
                         " but setup.exe's table says " + std::to_string(distribution.Table.DecodedTotal));
    }
    std::size_t from = 0;
    for (std::size_t i = 0; i < distribution.Parts.size() && i < manifest.Parts.size(); ++i) {
        const ArchivePart& part = distribution.Parts[i];
        if (part.Size != manifest.Parts[i].Size) {
            faults.push_back(part.Name + " holds " + std::to_string(part.Size) + " bytes, " + named + " says " +
                             std::to_string(manifest.Parts[i].Size));
        } else if (Crc32(archive.data() + from, part.Size) != manifest.Parts[i].Crc) {
            faults.push_back(part.Name + " is damaged: its CRC-32 differs from the one in " + named);
        }
        from += part.Size;
    }
    if (!decoded.Truncated() && decoded.Crc != manifest.DecodedCrc) {
        faults.push_back("the decoded stream's CRC-32 differs from the one in " + named);
    }
    return faults;
}
