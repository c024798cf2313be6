#include "media/disk_image.h"

#include <filesystem>
#include <fstream>

#include "base/errors.h"
#include "base/numbers.h"
#include "media/tool_process.h"

namespace fs = std::filesystem;

namespace {

const char MtoolsPackage[] = "mtools";

// FAT stores local times: UTC keeps the bytes the same in every time zone.
std::vector<std::pair<std::string, std::string>> FixedTimes(std::int64_t time) {
    return {{"SOURCE_DATE_EPOCH", std::to_string(time)}, {"TZ", "UTC0"}};
}

// mtools checks the geometry against the drives it knows; an image is
// read as it is.
const std::vector<std::pair<std::string, std::string>> Reading = {{"MTOOLS_SKIP_CHECK", "1"}};

void Run(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
         const std::string& failure) {
    const ToolRun run = RunTool(argv, env, MtoolsPackage);
    if (run.Status != 0) {
        std::string output = run.Output;
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
            output.pop_back();
        }
        throw DataError(failure + (output.empty() ? "" : ": " + argv.front() + ": " + output));
    }
}

unsigned Little(const unsigned char* bytes, int count) {
    unsigned value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

}  // namespace

void MakeDiskImage(const std::string& imagePath, const DiskFormat& format, const ImageContent& content) {
    const auto env = FixedTimes(content.Time);
    Run({"mformat", "-i", imagePath, "-C", "-f", std::to_string(format.Kilobytes), "-v", content.Label, "-N",
         Hex32(content.Serial), "::"},
        env, "cannot format " + imagePath);
    std::vector<std::string> copy = {"mcopy", "-i", imagePath};
    copy.insert(copy.end(), content.Files.begin(), content.Files.end());
    copy.push_back("::");
    Run(copy, env, "cannot copy the files of " + content.Label + " onto " + imagePath);
}

void CheckImageLayout(const std::string& imagePath) {
    std::ifstream file(imagePath, std::ios::binary);
    unsigned char boot[512] = {};
    file.read(reinterpret_cast<char*>(boot), sizeof boot);
    if (!file) {
        throw DataError(imagePath + " is not a FAT disk image: it is shorter than one sector");
    }
    const unsigned sectorBytes = Little(boot + 11, 2);
    const unsigned clusterSectors = boot[13];
    const unsigned sectors = Little(boot + 19, 2) != 0 ? Little(boot + 19, 2) : Little(boot + 32, 4);
    const bool sectorSizeOk = sectorBytes >= 128 && sectorBytes <= 4096 && (sectorBytes & (sectorBytes - 1)) == 0;
    const bool clusterOk = clusterSectors != 0 && (clusterSectors & (clusterSectors - 1)) == 0;
    if (!sectorSizeOk || !clusterOk || Little(boot + 14, 2) == 0 || boot[16] == 0 || sectors == 0) {
        throw DataError(imagePath + " is not a FAT disk image: its first sector is no FAT boot sector");
    }
    const std::uintmax_t declared = static_cast<std::uintmax_t>(sectors) * sectorBytes;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(imagePath, error);
    if (error || size < declared) {
        throw DataError(imagePath + " is truncated: its boot sector declares " + std::to_string(declared) +
                        " bytes, the file holds " + std::to_string(error ? 0 : size));
    }
}

std::vector<std::string> CopyFromImage(const std::string& imagePath, const std::vector<std::string>& names,
                                       const std::string& dir) {
    CheckImageLayout(imagePath);
    Run({"mdir", "-i", imagePath, "::"}, Reading, imagePath + " is not a readable FAT disk image");
    std::vector<std::string> found;
    for (const std::string& name : names) {
        // One fixed source name and one target path per file: a name on the
        // image never becomes part of a path here.
        const std::string target = (fs::path(dir) / name).string();
        const ToolRun run = RunTool({"mcopy", "-n", "-i", imagePath, "::" + name, target}, Reading, MtoolsPackage);
        std::error_code error;
        if (run.Status == 0 && fs::is_regular_file(fs::symlink_status(target, error))) {
            found.push_back(name);
        }
    }
    return found;
}
