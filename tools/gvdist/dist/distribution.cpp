#include "dist/distribution.h"

#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "dist/expected_disks.h"
#include "dist/found_files.h"
#include "setup/product.h"
#include "setup/stamp.h"

namespace {

// gvdist.txt holds a few short lines.
constexpr std::uint64_t ManifestSizeMax = 1 << 16;

// The stamp is looked for in front of the member table, whose names
// could hold anything.
void ReadStampOf(Distribution& distribution) {
    std::vector<std::uint8_t> setup = ReadFileBytes(distribution.SetupPath);
    setup.resize(setup.size() - MemberTrailerSize - MemberEntrySize * distribution.Table.Members.size());
    try {
        distribution.Stamp = ReadStamp(setup, FindStampOfPackedSetup(setup, SetupFileName));
        distribution.HasStamp = true;
        if (const Fault fault = StampFault(distribution.Stamp.DiskCount, distribution.Stamp.ArchiveSize)) {
            distribution.StampProblem = std::string(SetupFileName) + " is stamped with " + fault.Message();
        }
    } catch (const DataError& error) {
        distribution.StampProblem = error.what();
    }
}

// setup.exe, its member table and its stamp.
void ReadSetup(Distribution& distribution, FoundFiles& found) {
    const Found* setup = Agreed(SetupFileName, found[SetupFileName]);
    if (setup == nullptr) {
        throw MissingSetupError(std::string(SetupFileName) + " (disk 1) is not in the sources given");
    }
    distribution.SetupPath = setup->Path;
    distribution.SetupSource = setup->Source;
    ThrowIfFault(ReadMemberTableFile(distribution.SetupPath, distribution.Table),
                 setup->Source + ": bad member table: ");
    ReadStampOf(distribution);
}

// The parts from disk 1 up to the first one missing; those after it are
// only noted, and each disk the set should have but lacks is a PartFault.
void TakeParts(Distribution& distribution, FoundFiles& found) {
    int firstMissing = 0;
    for (int k = 1; k <= MaxDiskCount; ++k) {
        const std::string name = PartFileName(FirstPartFile, k);
        const Found* part = Agreed(name, found[name]);
        if (part == nullptr) {
            firstMissing = firstMissing == 0 ? k : firstMissing;
            continue;
        }
        if (firstMissing != 0) {
            distribution.DisksPastGap.push_back(k);  // the disk that is missing is named below
            continue;
        }
        distribution.Parts.push_back({name, part->Path, part->Source, RegularFileSize(part->Path)});
    }
    const int expected = ExpectedDiskCount(distribution);
    for (int k = static_cast<int>(distribution.Parts.size()) + 1; k <= expected; ++k) {
        if (found[PartFileName(FirstPartFile, k)].empty()) {
            distribution.PartFaults.push_back(MissingDiskText(k));
        }
    }
}

}  // namespace

Distribution OpenDistribution(const std::vector<std::string>& sources) {
    Distribution distribution;
    distribution.Sources = sources;
    std::vector<std::string> wanted = {SetupFileName, ManifestFileName};
    for (int k = 1; k <= MaxDiskCount; ++k) {
        wanted.push_back(PartFileName(FirstPartFile, k));
    }
    FoundFiles found = FindFiles(sources, wanted, distribution.Staging, distribution.ReadFaults);
    ReadSetup(distribution, found);
    if (const Found* manifest = Agreed(ManifestFileName, found[ManifestFileName])) {
        const std::vector<std::uint8_t> text = ReadFileBytes(manifest->Path, ManifestSizeMax);
        distribution.Manifest = ParseManifest(std::string(text.begin(), text.end()));
        distribution.HasManifest = true;
    }
    TakeParts(distribution, found);
    return distribution;
}

std::string DescribeSources(const Distribution& distribution) {
    std::string text;
    for (const std::string& source : distribution.Sources) {
        text += (text.empty() ? "" : ", ") + source;
    }
    return text;
}

std::uint64_t PartsSize(const Distribution& distribution) {
    std::uint64_t total = 0;
    for (const ArchivePart& part : distribution.Parts) {
        total += part.Size;
    }
    return total;
}
