#include "dist/earlier_pack.h"

#include <filesystem>
#include <optional>
#include <set>

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

// Disk k's folder as pack makes it: its part, and setup.exe on disk 1, as
// plain files, and the part the one the manifest records.
bool IsEarlierDiskFolder(const fs::path& folder, int disk, const std::optional<DistributionManifest>& manifest) {
    if (!manifest || disk > manifest->DiskCount) {
        return false;
    }
    const std::string part = PartFileName(FirstPartFile, disk);
    std::set<std::string> expected = {part};
    if (disk == 1) {
        expected.insert(SetupFileName);
    }
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error) || it->is_symlink(error) ||
            expected.erase(it->path().filename().string()) == 0) {
            return false;
        }
    }
    const ManifestPart& recorded = manifest->Parts[static_cast<std::size_t>(disk - 1)];
    if (error || !expected.empty() || fs::file_size(folder / part, error) != recorded.Size || error) {
        return false;
    }
    const std::vector<std::uint8_t> bytes = ReadFileBytes((folder / part).string());
    return Crc32(bytes.data(), bytes.size()) == recorded.Crc;
}

}  // namespace

void CheckEarlierPackOnly(const std::string& dir) {
    const std::optional<DistributionManifest> manifest = EarlierManifest(dir);
    for (int k = 1; k <= MaxDiskCount; ++k) {
        for (const std::string& name : {PartFileName(FirstPartFile, k), DiskFolderName(k), DiskImageName(k)}) {
            const fs::path path = fs::path(dir) / name;
            std::error_code error;
            if (!fs::is_directory(fs::symlink_status(path, error)) ||
                (name == DiskFolderName(k) && IsEarlierDiskFolder(path, k, manifest))) {
                continue;
            }
            throw DataError(path.string() + " is a folder that gvdist did not write; move it away to pack into " + dir +
                            " (nothing was changed)");
        }
    }
}
