#include "dist/manifest.h"

#include <map>
#include <sstream>

#include "base/errors.h"
#include "base/numbers.h"
#include "dist/disk_plan.h"
#include "setup/product.h"

const char ManifestFileName[] = "gvdist.txt";

namespace {

std::uint64_t ParseNumber(const std::string& key, const std::string& text, int base) {
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used, base);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || text[0] == '-' || text[0] == '+') {
        throw DataError(std::string(ManifestFileName) + ": " + key + " has the value '" + text + "', not a number");
    }
    return value;
}

}  // namespace

std::string FormatManifest(const DistributionManifest& manifest) {
    std::ostringstream text;
    text << "# Written by gvdist pack, which stamped setup.exe with DiskCount and ArchiveSize below.\n";
    text << "DiskCount=" << manifest.DiskCount << "\n";
    text << "ArchiveSize=" << manifest.ArchiveSize << "\n";
    text << "DecodedTotal=" << manifest.DecodedTotal << "\n";
    text << "DecodedCrc32=" << Hex32(manifest.DecodedCrc) << "\n";
    const auto record = [&text](const std::string& name, const ManifestPart& file) {
        text << name << "Size=" << file.Size << "\n" << name << "Crc32=" << Hex32(file.Crc) << "\n";
    };
    for (std::size_t i = 0; i < manifest.Parts.size(); ++i) {
        record("Part" + std::to_string(i + 1), manifest.Parts[i]);
    }
    if (manifest.Setup) {
        record("Setup", *manifest.Setup);
    }
    for (std::size_t i = 0; i < manifest.Images.size(); ++i) {
        record("Image" + std::to_string(i + 1), manifest.Images[i]);
    }
    return text.str();
}

DistributionManifest ParseManifest(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::string::size_type equals = line.find('=');
        if (equals == std::string::npos) {
            throw DataError(std::string(ManifestFileName) + ": line " + std::to_string(number) + " is not KEY=VALUE");
        }
        values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    const auto get = [&values](const std::string& key) -> const std::string& {
        const auto found = values.find(key);
        if (found == values.end()) {
            throw DataError(std::string(ManifestFileName) + ": " + key + " is missing");
        }
        return found->second;
    };
    DistributionManifest manifest;
    const std::uint64_t diskCount = ParseNumber("DiskCount", get("DiskCount"), 10);
    if (diskCount < 1 || diskCount > MaxDiskCount) {
        throw DataError(std::string(ManifestFileName) + ": DiskCount " + std::to_string(diskCount) + " is not 1 to " +
                        std::to_string(MaxDiskCount));
    }
    manifest.DiskCount = static_cast<int>(diskCount);
    manifest.ArchiveSize = ParseNumber("ArchiveSize", get("ArchiveSize"), 10);
    manifest.DecodedTotal = static_cast<std::int64_t>(ParseNumber("DecodedTotal", get("DecodedTotal"), 10));
    manifest.DecodedCrc = static_cast<std::uint32_t>(ParseNumber("DecodedCrc32", get("DecodedCrc32"), 16));
    const auto record = [&get](const std::string& name) {
        return ManifestPart{ParseNumber(name + "Size", get(name + "Size"), 10),
                            static_cast<std::uint32_t>(ParseNumber(name + "Crc32", get(name + "Crc32"), 16))};
    };
    for (int k = 1; k <= manifest.DiskCount; ++k) {
        manifest.Parts.push_back(record("Part" + std::to_string(k)));
    }
    if (values.count("SetupSize") != 0) {
        manifest.Setup = record("Setup");
    }
    for (int k = 1; k <= manifest.DiskCount && values.count("Image" + std::to_string(k) + "Size") != 0; ++k) {
        manifest.Images.push_back(record("Image" + std::to_string(k)));
    }
    return manifest;
}
