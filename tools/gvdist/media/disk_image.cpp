#include "media/disk_image.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>

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

// mtools reads "name@@offset" as the image inside `name` at that offset,
// wherever in the path it stands: in the current folder's name too, which
// only the absolute path shows.
std::string ImagePath(const std::string& path) {
    const std::string absolute = HostPath(path);
    if (absolute.find("@@") != std::string::npos) {
        throw DataError(path + ": mtools would read the image at the offset after '@@' in " + absolute +
                        ", not this file; rename it or the folder");
    }
    return absolute;
}

// Why the `got` bytes mtype gave of `name` are not the file mdir listed
// alone ("        1 file                5 000 bytes"), or "": mtype ends
// without a word where a FAT chain ends before the file's size, and joins
// the files of a name that stands twice in the directory.
std::string ListingFault(const std::string& listing, const std::string& name, std::uint64_t got) {
    static const std::regex summary("\n +([0-9]+) files? +([0-9 ]+) bytes\n");
    std::smatch match;
    if (!std::regex_search(listing, match, summary)) {
        return name + " on it is listed without its size";
    }
    std::string digits = match[2];
    digits.erase(std::remove(digits.begin(), digits.end(), ' '), digits.end());
    if (match[1] != "1") {
        return name + " stands in its directory " + match[1].str() + " times";
    }
    const std::optional<std::uint64_t> size = DecimalValue(digits, 12);
    if (!size || *size != got) {
        return name + " on it yields " + std::to_string(got) + " of the " + digits + " bytes its directory entry gives";
    }
    return "";
}

}  // namespace

void CheckImageFolder(const std::string& dir) {
    const std::string absolute = HostPath(dir);
    if (absolute.find("@@") != std::string::npos) {
        throw DataError(dir + ": mtools would read an image in it at the offset after '@@' in " + absolute +
                        ", not the image; pack into a folder whose path holds no '@@' (nothing was changed)");
    }
}

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

std::vector<ImageFile> CopyFromImage(const std::string& imagePath, const std::vector<std::string>& names,
                                     const std::string& dir) {
    // No file on the disk is larger than the disk: a chain that loops or
    // is shared by many entries stops there.
    const std::uintmax_t capacity = CheckImageLayout(imagePath);
    const std::string image = ImagePath(imagePath);
    Run({"mdir", "-i", image, "::"}, Reading, imagePath + " is not a readable FAT disk image");
    std::vector<ImageFile> found;
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
        const long got = std::ftell(file);
        const bool closed = std::fclose(file) == 0;
        if (copied.Cut) {
            throw DataError(imagePath + ": " + name + " on it claims more than the " + std::to_string(capacity) +
                            " bytes the disk holds");
        }
        if (copied.Status != 0 || !closed) {
            throw DataError("cannot copy " + name + " from " + imagePath + ": " + Trimmed("mtype", copied.Output));
        }
        const std::string fault = ListingFault(listed.Output, name, got < 0 ? 0 : static_cast<std::uint64_t>(got));
        found.push_back({name, fault.empty() ? "" : imagePath + ": " + fault + "; the image is damaged"});
    }
    return found;
}
