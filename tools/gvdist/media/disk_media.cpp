#include "media/disk_media.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "base/errors.h"
#include "base/numbers.h"
#include "media/disk_image.h"

namespace fs = std::filesystem;

namespace {

// FAT time stamps run from 1980-01-01 to 2107-12-31.
constexpr std::int64_t FirstFatTime = 315532800;
constexpr std::int64_t LastFatTime = 4354819198;

}  // namespace

std::string DiskFolderName(int disk) { return "DISK" + std::to_string(disk); }

std::string DiskImageName(int disk) { return "glyphvane-disk" + std::to_string(disk) + ".img"; }

std::string DiskLabel(int disk) { return "GLYPHVANE" + std::to_string(disk); }

std::int64_t MediaTime(const std::vector<std::string>& inputs) {
    std::int64_t time = 0;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        const std::optional<std::uint64_t> seconds = DecimalValue(epoch, 12);
        if (!seconds) {
            throw DataError("SOURCE_DATE_EPOCH is '" + std::string(epoch) + "', not a number of seconds");
        }
        time = static_cast<std::int64_t>(*seconds);
    } else {
        for (const std::string& input : inputs) {
            struct stat status {};
            if (stat(input.c_str(), &status) == 0) {
                time = std::max<std::int64_t>(time, status.st_mtime);
            }
        }
    }
    return std::min(std::max(time, FirstFatTime), LastFatTime);
}

std::vector<std::string> MakeMedia(const std::string& dir, const MediaRequest& request) {
    std::vector<std::string> made;
    for (std::size_t i = 0; i < request.DiskFiles.size(); ++i) {
        const int disk = static_cast<int>(i + 1);
        const std::vector<std::string>& files = request.DiskFiles[i];
        if (request.Folders) {
            const fs::path folder = fs::path(dir) / DiskFolderName(disk);
            std::error_code error;
            fs::create_directory(folder, error);
            for (const std::string& file : files) {
                if (!error) {
                    fs::copy_file(file, folder / fs::path(file).filename(), error);
                }
            }
            if (error) {
                throw DataError("cannot write " + folder.string() + ": " + error.message());
            }
            made.push_back(DiskFolderName(disk));
        }
        if (request.Images) {
            const ImageContent content{DiskLabel(disk), request.Serial + static_cast<std::uint32_t>(disk), request.Time,
                                       files};
            MakeDiskImage((fs::path(dir) / DiskImageName(disk)).string(), *request.Format, content);
            made.push_back(DiskImageName(disk));
        }
    }
    return made;
}
