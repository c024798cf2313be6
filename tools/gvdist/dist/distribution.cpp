#include "dist/distribution.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "media/disk_image.h"
#include "setup/globals.h"
#include "setup/stamp.h"

namespace fs = std::filesystem;

namespace {

// Names in the directory by their upper-case form: disks copied on another
// system may have changed the letter case.
std::map<std::string, std::string> NamesByUpperCase(const fs::path& dir) {
    std::map<std::string, std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error)) {
            const std::string name = it->path().filename().string();
            names.emplace(UpperAscii(name), name);
        }
    }
    if (error) {
        throw DataError("cannot read the directory " + dir.string() + ": " + error.message());
    }
    return names;
}

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

// The files of `wanted` that the folder holds, in any letter case.
void FindInFolder(const fs::path& dir, const std::string& source, const std::vector<std::string>& wanted,
                  std::map<std::string, std::vector<Found>>& found) {
    const auto names = NamesByUpperCase(dir);
    for (const std::string& name : wanted) {
        const auto hit = names.find(UpperAscii(name));
        if (hit != names.end()) {
            found[name].push_back({(dir / hit->second).string(), source});
        }
    }
}

// The one copy of `name` among its finds; two that differ are refused.
const Found* Agreed(const std::string& name, const std::vector<Found>& finds) {
    if (finds.empty()) {
        return nullptr;
    }
    std::error_code error;
    for (std::size_t i = 1; i < finds.size(); ++i) {
        if (fs::equivalent(finds[0].Path, finds[i].Path, error) ||
            ReadFileBytes(finds[0].Path) == ReadFileBytes(finds[i].Path)) {
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
    for (int k = 1; k <= MaxParts; ++k) {
        wanted.push_back(PartFileName(FirstPartFile, k));
    }
    std::map<std::string, std::vector<Found>> found;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string& source = sources[i];
        const fs::path given(source);
        std::error_code error;
        if (fs::is_directory(given, error)) {
            FindInFolder(given, source, wanted, found);
        } else if (!fs::exists(given, error)) {
            throw DataError(source + " does not exist");
        } else if (IsSetupProgram(given)) {
            found[SetupFileName].push_back({source, source});
            const fs::path dir = given.has_parent_path() ? given.parent_path() : fs::path(".");
            FindInFolder(dir, dir.string(), std::vector<std::string>(wanted.begin() + 1, wanted.end()), found);
        } else {
            if (!distribution.Staging) {
                distribution.Staging = std::make_shared<TempDir>(fs::temp_directory_path().string(), "gvdist-");
            }
            const fs::path dir = fs::path(distribution.Staging->Path()) / std::to_string(i);
            fs::create_directory(dir);
            for (const std::string& name : CopyFromImage(source, wanted, dir.string())) {
                found[name].push_back({(dir / name).string(), source});
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
        const std::vector<std::uint8_t> text = ReadFileBytes(manifest->Path);
        distribution.Manifest = ParseManifest(std::string(text.begin(), text.end()));
        distribution.HasManifest = true;
    }

    int firstMissing = 0;
    for (int k = 1; k <= MaxParts; ++k) {
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
        std::error_code error;
        ArchivePart entry{name, part->Path, part->Source, fs::file_size(part->Path, error)};
        if (error) {
            throw DataError("cannot find the size of " + part->Path + ": " + error.message());
        }
        distribution.Parts.push_back(entry);
    }
    // The disks that must be there: up to the last part found, or as many
    // as the manifest or a usable stamp says.
    int expected = static_cast<int>(distribution.Parts.size());
    if (distribution.HasStamp && distribution.StampProblem.empty()) {
        expected = std::max(expected, static_cast<int>(distribution.Stamp.DiskCount));
    }
    for (int k = MaxParts; k > expected; --k) {
        if (!found[PartFileName(FirstPartFile, k)].empty()) {
            expected = k;
            break;
        }
    }
    expected = std::max({expected, distribution.HasManifest ? distribution.Manifest.DiskCount : 0, 1});
    for (int k = static_cast<int>(distribution.Parts.size()) + 1; k <= expected; ++k) {
        if (found[PartFileName(FirstPartFile, k)].empty()) {
            distribution.PartFaults.push_back(MissingDiskText(k));
        }
    }
    return distribution;
}

std::string DescribeSources(const Distribution& distribution) {
    std::string text;
    for (const std::string& source : distribution.Sources) {
        text += (text.empty() ? "" : ", ") + source;
    }
    return text;
}

std::vector<std::uint8_t> JoinParts(const Distribution& distribution) {
    std::vector<std::uint8_t> archive;
    for (const ArchivePart& part : distribution.Parts) {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(part.Path);
        archive.insert(archive.end(), bytes.begin(), bytes.end());
    }
    return archive;
}

std::int64_t ProgramLength(const MemberTable& table) {
    return table.Members.empty() ? table.DecodedTotal : table.Members.front().Offset;
}
