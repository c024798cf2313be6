#include "media/disk_image.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/errors.h"
#include "base/numbers.h"
#include "media/tool_process.h"
#include "util/little_endian.h"

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

// "mcopy: <what it said>", or "mcopy failed" when it said nothing.
std::string Trimmed(const std::string& program, std::string output) {
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
        output.pop_back();
    }
    return program + (output.empty() ? " failed" : ": " + output);
}

void Run(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
         const std::string& failure) {
    const ToolRun run = RunTool(argv, env, MtoolsPackage);
    if (run.Status != 0) {
        throw DataError(failure + ": " + Trimmed(argv.front(), run.Output));
    }
}

// Paths handed to mtools start with '/': none reads as an option ("-Do")
// or as a disk ("a:x").
std::string HostPath(const std::string& path) { return fs::absolute(path).string(); }

// mtools reads "name@@offset" as the image inside `name` at that offset.
std::string ImagePath(const std::string& path) {
    if (path.find("@@") != std::string::npos) {
        throw DataError(path + ": mtools would read the image at the offset after '@@', not this file; rename it");
    }
    return HostPath(path);
}

}  // namespace

void MakeDiskImage(const std::string& imagePath, const DiskFormat& format, const ImageContent& content) {
    const auto env = FixedTimes(content.Time);
    const std::string image = ImagePath(imagePath);
    Run({"mformat", "-i", image, "-C", "-f", std::to_string(format.Kilobytes), "-v", content.Label, "-N",
         Hex32(content.Serial), "::"},
        env, "cannot format " + imagePath);
    std::vector<std::string> copy = {"mcopy", "-i", image};
    for (const std::string& file : content.Files) {
        copy.push_back(HostPath(file));
    }
    copy.push_back("::");
    Run(copy, env, "cannot copy the files of " + content.Label + " onto " + imagePath);
}

std::uintmax_t CheckImageLayout(const std::string& imagePath) {
    std::ifstream file(imagePath, std::ios::binary);
    unsigned char boot[512] = {};
    file.read(reinterpret_cast<char*>(boot), sizeof boot);
    if (!file) {
        throw DataError(imagePath + " is not a FAT disk image: it is shorter than one sector");
    }
    const unsigned sectorBytes = ReadLittle(boot + 11, 2);
    const unsigned clusterSectors = boot[13];
    const unsigned sectors = ReadLittle(boot + 19, 2) != 0 ? ReadLittle(boot + 19, 2) : ReadLittle(boot + 32, 4);
    const bool sectorSizeOk = sectorBytes >= 128 && sectorBytes <= 4096 && (sectorBytes & (sectorBytes - 1)) == 0;
    const bool clusterOk = clusterSectors != 0 && (clusterSectors & (clusterSectors - 1)) == 0;
    if (!sectorSizeOk || !clusterOk || ReadLittle(boot + 14, 2) == 0 || boot[16] == 0 || sectors == 0) {
        throw DataError(imagePath + " is not a FAT disk image: its first sector is no FAT boot sector");
    }
    const std::uintmax_t declared = static_cast<std::uintmax_t>(sectors) * sectorBytes;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(imagePath, error);
    if (error || size < declared) {
        throw DataError(imagePath + " is truncated: its boot sector declares " + std::to_string(declared) +
                        " bytes, the file holds " + std::to_string(error ? 0 : size));
    }
    return declared;
}

std::vector<std::string> CopyFromImage(const std::string& imagePath, const std::vector<std::string>& names,
                                       const std::string& dir) {
    // No file on the disk is larger than the disk: a chain that loops or
    // is shared by many entries stops there.
    const std::uintmax_t capacity = CheckImageLayout(imagePath);
    const std::string image = ImagePath(imagePath);
    Run({"mdir", "-i", image, "::"}, Reading, imagePath + " is not a readable FAT disk image");
    std::vector<std::string> found;
    for (const std::string& name : names) {
        // Listed on its own, a file shows under the root's heading, and a
        // folder under its own: mtools would copy what it holds.
        const ToolRun listed = RunTool({"mdir", "-a", "-i", image, "::" + name}, Reading, MtoolsPackage);
        if (listed.Status != 0) {
            continue;
        }
        const std::size_t heading = listed.Output.find("\nDirectory for ");
        if (heading == std::string::npos || heading != listed.Output.find("\nDirectory for ::/\n")) {
            throw DataError(imagePath + ": " + name + " on it is not a file");
        }
        // One fixed source name, and the bytes come back through a pipe: a
        // name on the image never becomes a host path.
        const std::string target = (fs::path(dir) / name).string();
        std::FILE* file = std::fopen(target.c_str(), "wbx");
        if (file == nullptr) {
            throw DataError("cannot create " + target);
        }
        const ToolSink sink{file, capacity};
        const ToolRun copied = RunTool({"mtype", "-i", image, "::" + name}, Reading, MtoolsPackage, &sink);
        const bool closed = std::fclose(file) == 0;
        if (copied.Cut) {
            throw DataError(imagePath + ": " + name + " on it claims more than the " + std::to_string(capacity) +
                            " bytes the disk holds");
        }
        if (copied.Status != 0 || !closed) {
            throw DataError("cannot copy " + name + " from " + imagePath + ": " + Trimmed("mtype", copied.Output));
        }
        found.push_back(name);
    }
    return found;
}
