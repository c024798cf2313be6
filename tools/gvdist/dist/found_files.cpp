#include "dist/found_files.h"

#include <filesystem>

#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "dist/disk_plan.h"
#include "dist/manifest.h"
#include "media/disk_image.h"

namespace fs = std::filesystem;

namespace {

bool IsSetupProgram(const fs::path& path) { return UpperAscii(path.extension().string()) == ".EXE"; }

// The files of `wanted` that the folder holds, in any letter case: disks
// copied on another system may have changed it. Two names that differ in
// case only would be one file on a FAT disk or on Windows, which keeps
// either; a FIFO or a device would block the reading. `setupGiven`: the
// setup.exe was given as a file, and the folder's is only judged with the rest.
void FindInFolder(const fs::path& dir, const std::string& source, const std::vector<std::string>& wanted,
                  FoundFiles& found, bool setupGiven = false) {
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

}  // namespace

FoundFiles FindFiles(const std::vector<std::string>& sources, const std::vector<std::string>& wanted,
                     std::shared_ptr<TempDir>& staging, std::vector<std::string>& readFaults) {
    FoundFiles found;
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
            if (!staging) {
                staging = std::make_shared<TempDir>(fs::temp_directory_path().string(), "gvdist-");
            }
            const fs::path dir = fs::path(staging->Path()) / std::to_string(i);
            fs::create_directory(dir);
            for (const ImageFile& file : CopyFromImage(source, wanted, dir.string())) {
                // A part read short is judged like one cut short; setup.exe and gvdist.txt must be whole.
                if (!file.Fault.empty() && (file.Name == SetupFileName || file.Name == ManifestFileName)) {
                    throw DataError(file.Fault);
                }
                if (!file.Fault.empty()) {
                    readFaults.push_back(file.Fault);
                }
                found[file.Name].push_back({(dir / file.Name).string(), source});
            }
        }
    }

    return found;
}

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
