// The files of a distribution as found in its sources: folders, setup.exe
// files and disk images, in any order.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/temp_dir.h"

// A file the distribution needs, as found in one source.
struct Found {
    std::string Path;
    std::string Source;
};

using FoundFiles = std::map<std::string, std::vector<Found>>;

// Every copy of each of `wanted` in `sources`: a folder's files in any
// letter case, a setup.exe file with its folder, an image's files copied
// into a folder of `staging` (made on first use). A part an image reads
// short is found with its fault in `readFaults`; setup.exe or gvdist.txt
// read short is refused.
FoundFiles FindFiles(const std::vector<std::string>& sources, const std::vector<std::string>& wanted,
                     std::shared_ptr<TempDir>& staging, std::vector<std::string>& readFaults);

// The one copy of `name` among its finds, nullptr for none; two that
// differ are refused.
const Found* Agreed(const std::string& name, const std::vector<Found>& finds);
