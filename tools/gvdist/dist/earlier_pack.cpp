#include "dist/earlier_pack.h"

#include <filesystem>
#include <optional>

#include "archive/crc32.h"
#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "dist/disk_plan.h"
#include "dist/manifest.h"
#include "media/disk_media.h"
#include "setup/product.h"

namespace fs = std::filesystem;

namespace {

std::optional<DistributionManifest> EarlierManifest(const fs::path& dir) {
    std::error_code error;
    const fs::path path = dir / ManifestFileName;
    if (!fs::is_regular_file(fs::symlink_status(path, error))) {
        return std::nullopt;
    }
    try {
        const std::vector<std::uint8_t> text = ReadFileBytes(path.string());
        return ParseManifest(std::string(text.begin(), text.end()));
    } catch (const DataError&) {
        return std::nullopt;
    }
}

// Whether `path` is a plain file, no link, holding what `record` says.
bool Holds(const fs::path& path, const ManifestPart* record) {
    std::error_code error;
    if (record == nullptr || !fs::is_regular_file(fs::symlink_status(path, error))) {
        return false;
    }
    const std::uintmax_t size = fs::file_size(path, error);
    return !error && size == record->Size && FileCrc32(path.string()) == record->Crc;
}

const ManifestPart* Record(const std::vector<ManifestPart>& records, int disk) {
    return disk <= static_cast<int>(records.size()) ? &records[static_cast<std::size_t>(disk - 1)] : nullptr;
}

// Disk k's folder as pack makes it: its part, and setup.exe on disk 1, as
// plain files holding what the manifest records, and nothing else.
bool IsEarlierDiskFolder(const fs::path& folder, int disk, const DistributionManifest& manifest) {
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(folder, error))) {
        return false;
    }
    const std::string part = PartFileName(FirstPartFile, disk);
    std::size_t held = 0;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        ++held;
    }
    const bool setupHeld = disk != 1 || (manifest.Setup && Holds(folder / SetupFileName, &*manifest.Setup));
    return !error && held == (disk == 1 ? 2u : 1u) && setupHeld && Holds(folder / part, Record(manifest.Parts, disk));
}

// Whether `name` in `dir` is absent, or holds what the earlier pack wrote there.
bool Replaceable(const fs::path& dir, const std::string& name, int disk,
                 const std::optional<DistributionManifest>& manifest) {
    std::error_code error;
    const fs::path path = dir / name;
    if (!fs::exists(fs::symlink_status(path, error))) {
        return true;
    }
    if (!manifest) {
        return false;
    }
    if (name == DiskFolderName(disk)) {
        return IsEarlierDiskFolder(path, disk, *manifest);
    }
    return Holds(path, Record(name == DiskImageName(disk) ? manifest->Images : manifest->Parts, disk));
}

}  // namespace

void CheckEarlierPackOnly(const std::string& dir) {
    const std::optional<DistributionManifest> manifest = EarlierManifest(dir);
    std::string unproven;
    for (int k = 1; k <= MaxDiskCount; ++k) {
        for (const std::string& name : {PartFileName(FirstPartFile, k), DiskFolderName(k), DiskImageName(k)}) {
            if (!Replaceable(dir, name, k, manifest)) {
                unproven += (unproven.empty() ? "" : ", ") + (fs::path(dir) / name).string();
            }
        }
    }
    if (!unproven.empty()) {
        throw DataError(unproven + ": not what an earlier gvdist pack wrote there, by the " + ManifestFileName +
                        " beside it; move it away to pack into " + dir + " (nothing was changed)");
    }
}
