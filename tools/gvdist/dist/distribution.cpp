#include "dist/distribution.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "archive/crc32.h"
#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "media/disk_image.h"
#include "setup/product.h"
#include "setup/stamp.h"

namespace fs = std::filesystem;

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
        const std::string fault = StampFault(distribution.Stamp.DiskCount, distribution.Stamp.ArchiveSize);
        if (!fault.empty()) {
            distribution.StampProblem = std::string(SetupFileName) + " is stamped with " + fault;
        }
    } catch (const DataError& error) {
        distribution.StampProblem = error.what();
    }
}

// A file the distribution needs, as found in one source.
struct Found {
    std::string Path;
    std::string Source;
};

bool IsSetupProgram(const fs::path& path) { return UpperAscii(path.extension().string()) == ".EXE"; }

// The files of `wanted` that the folder holds, in any letter case: disks
// copied on another system may have changed it. Two names that differ in
// case only would be one file on a FAT disk or on Windows, which keeps
// either; a FIFO or a device would block the reading. `setupGiven`: the
// setup.exe was given as a file, and the folder's is only judged with the rest.
void FindInFolder(const fs::path& dir, const std::string& source, const std::vector<std::string>& wanted,
                  std::map<std::string, std::vector<Found>>& found, bool setupGiven = false) {
    std::map<std::string, std::string> wantedByUpperCase, seen;
    for (const std::string& name : wanted) {
        wantedByUpperCase.emplace(UpperAscii(name), name);
    }
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const auto want = wantedByUpperCase.find(UpperAscii(name));
        if (want == wantedByUpperCase.end()) {
            continue;
        }
        const auto [twin, first] = seen.emplace(want->first, name);
        if (!first) {
            throw DataError(dir.string() + " holds both " + twin->second + " and " + name +
                            ", which a FAT disk or Windows takes for one file");
        }
        RegularFileSize(it->path().string());
        if (!setupGiven || want->second != SetupFileName) {
            found[want->second].push_back({it->path().string(), source});
        }
    }
    if (error) {
        throw DataError("cannot read the directory " + dir.string() + ": " + error.message());
    }
}

// The one copy of `name` among its finds; two that differ are refused.
const Found* Agreed(const std::string& name, const std::vector<Found>& finds) {
    if (finds.empty()) {
        return nullptr;
    }
    std::error_code error;
    for (std::size_t i = 1; i < finds.size(); ++i) {
        if (fs::equivalent(finds[0].Path, finds[i].Path, error) || SameFileBytes(finds[0].Path, finds[i].Path)) {
            continue;
        }
        throw DataError(name + " differs between " + finds[0].Source + " and " + finds[i].Source);
    }
    return &finds[0];
}

}  // namespace

std::string MissingDiskText(int disk) {
    return PartFileName(FirstPartFile, disk) + " (disk " + std::to_string(disk) + ") is not in the sources given";
}

Distribution OpenDistribution(const std::vector<std::string>& sources) {
    Distribution distribution;
    distribution.Sources = sources;
    std::vector<std::string> wanted = {SetupFileName, ManifestFileName};
    for (int k = 1; k <= MaxDiskCount; ++k) {
        wanted.push_back(PartFileName(FirstPartFile, k));
    }
    std::map<std::string, std::vector<Found>> found;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string& source = sources[i];
        const fs::path given(source);
        std::error_code error;
        if (fs::is_directory(given, error)) {
            FindInFolder(given, source, wanted, found);
            continue;
        }
        if (!fs::exists(given, error)) {
            throw DataError(source + " does not exist");
        }
        RegularFileSize(source);  // before anything opens it
        if (IsSetupProgram(given)) {
            found[SetupFileName].push_back({source, source});
            const fs::path dir = given.has_parent_path() ? given.parent_path() : fs::path(".");
            FindInFolder(dir, dir.string(), wanted, found, true);
        } else {
            if (!distribution.Staging) {
                distribution.Staging = std::make_shared<TempDir>(fs::temp_directory_path().string(), "gvdist-");
            }
            const fs::path dir = fs::path(distribution.Staging->Path()) / std::to_string(i);
            fs::create_directory(dir);
            for (const ImageFile& file : CopyFromImage(source, wanted, dir.string())) {
                // A part read short is judged like one cut short; setup.exe and gvdist.txt must be whole.
                if (!file.Fault.empty() && (file.Name == SetupFileName || file.Name == ManifestFileName)) {
                    throw DataError(file.Fault);
                }
                if (!file.Fault.empty()) {
                    distribution.ReadFaults.push_back(file.Fault);
                }
                found[file.Name].push_back({(dir / file.Name).string(), source});
            }
        }
    }

    const Found* setup = Agreed(SetupFileName, found[SetupFileName]);
    if (setup == nullptr) {
        throw MissingSetupError(std::string(SetupFileName) + " (disk 1) is not in the sources given");
    }
    distribution.SetupPath = setup->Path;
    distribution.SetupSource = setup->Source;
    const std::string fault = ReadMemberTableFile(distribution.SetupPath, distribution.Table);
    if (!fault.empty()) {
        throw DataError(setup->Source + ": bad member table: " + fault);
    }
    ReadStampOf(distribution);

    if (const Found* manifest = Agreed(ManifestFileName, found[ManifestFileName])) {
        const std::vector<std::uint8_t> text = ReadFileBytes(manifest->Path, ManifestSizeMax);
        distribution.Manifest = ParseManifest(std::string(text.begin(), text.end()));
        distribution.HasManifest = true;
    }

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
    return distribution;
}

int ExpectedDiskCount(const Distribution& distribution) {
    int expected = static_cast<int>(distribution.Parts.size());
    if (distribution.HasStamp && distribution.StampProblem.empty()) {
        expected = std::max(expected, static_cast<int>(distribution.Stamp.DiskCount));
    }
    if (distribution.HasManifest) {
        expected = std::max(expected, distribution.Manifest.DiskCount);
    }
    for (const int disk : distribution.DisksPastGap) {
        expected = std::max(expected, disk);
    }
    return std::max(expected, 1);
}

std::string DescribeSources(const Distribution& distribution) {
    std::string text;
    for (const std::string& source : distribution.Sources) {
        text += (text.empty() ? "" : ", ") + source;
    }
    return text;
}

const std::vector<ManifestPart>* ExpectedParts(const Distribution& distribution) {
    if (distribution.Stamp.HasChecks) {
        return &distribution.Stamp.Parts;
    }
    return distribution.HasManifest && ManifestOfThisPack(distribution) ? &distribution.Manifest.Parts : nullptr;
}

bool ManifestOfThisPack(const Distribution& distribution) {
    const DistributionManifest& manifest = distribution.Manifest;
    const bool stamped = distribution.HasStamp && distribution.StampProblem.empty();
    return manifest.DecodedTotal == distribution.Table.DecodedTotal &&
           (!stamped || (manifest.DiskCount == distribution.Stamp.DiskCount &&
                         manifest.ArchiveSize == static_cast<std::uint64_t>(distribution.Stamp.ArchiveSize)));
}

std::string ExpectedPartsSource(const Distribution& distribution) {
    return distribution.Stamp.HasChecks ? std::string(SetupFileName) + "'s stamp"
                                        : std::string("the manifest ") + ManifestFileName;
}

std::string NoChecksNote(const Distribution& distribution) {
    if (distribution.Stamp.HasChecks) {
        return "";
    }
    return "its disks carry no checksums: " + std::string(SetupFileName) + " was packed without them";
}

std::uint64_t PartsSize(const Distribution& distribution) {
    std::uint64_t total = 0;
    for (const ArchivePart& part : distribution.Parts) {
        total += part.Size;
    }
    return total;
}

PartStream::PartStream(const std::vector<ArchivePart>& parts) : parts_(parts), crcs_(parts.size(), 0) {}

std::size_t PartStream::Read(std::uint8_t* buffer, std::size_t size) {
    while (index_ < parts_.size()) {
        const ArchivePart& part = parts_[index_];
        if (done_ == part.Size) {
            file_.reset();
            ++index_;
            done_ = 0;
            continue;
        }
        if (!file_) {
            RegularFileSize(part.Path);
            file_.reset(std::fopen(part.Path.c_str(), "rb"));
            if (!file_) {
                throw DataError("cannot open " + part.Path);
            }
        }
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, part.Size - done_));
        const std::size_t got = std::fread(buffer, 1, wanted, file_.get());
        if (got == 0) {
            throw DataError("cannot read " + part.Path + ": it ended after " + std::to_string(done_) + " of its " +
                            std::to_string(part.Size) + " bytes");
        }
        crcs_[index_] = Crc32(buffer, got, crcs_[index_]);
        done_ += got;
        return got;
    }
    return 0;
}

void PartStream::ReadToEnd() {
    std::uint8_t block[65536];
    while (Read(block, sizeof block) > 0) {
    }
}
