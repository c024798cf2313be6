#include "setup_walk_win.h"

#include <map>
#include <sstream>

#include "cli/cli.h"

namespace {

constexpr std::uint64_t Cluster = 512;
constexpr std::uint64_t FirstPartRoom = 16384;     // part 1 beside setup.exe
constexpr std::uint64_t TableRoom = 5 + 28 * 255;  // the table pack appends
constexpr std::uint64_t MinimumDisk = 512 << 10;   // enough to decode for a cancel to land

Bytes Repeated(const std::string& text, std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(text[i % text.size()]);
    return bytes;
}

}  // namespace

std::string OwnDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path().string() + "\\";
}

// The marker program, uninstaller, an empty file, a help file in lower
// case, a library, a text and bytes that do not compress; packed for three
// small disks that leave room for setup.exe on the first. Packed once per
// build (and first member) and kept for the whole run.
const PackedDistribution& DistributionFor(const std::string& build, const std::string& firstMember) {
    static std::map<std::string, PackedDistribution> packed;
    static TempDir cache;
    const auto [found, fresh] = packed.try_emplace(build + firstMember);
    if (!fresh) return found->second;
    const std::string setupExe = OwnDirectory() + build, dir = cache / (build + firstMember);
    const std::uint64_t setupOnDisk = (fs::file_size(setupExe) + TableRoom + Cluster - 1) / Cluster * Cluster;
    const std::uint64_t disk = std::max(setupOnDisk + FirstPartRoom, MinimumDisk);
    found->second = {dir + "\\dist\\", {ReadBytes(OwnDirectory() + "e2e_product.exe"), {}}};
    Product& product = found->second.Contents;
    // Aim the archive at the middle of disk 3; a repeated line packs to ~2 %.
    product.Members = {
        {"UnInstal.Exe", Repeated("MZ uninstaller of the walks ", 3000)},
        {"Empty.Dat", {}},
        {"Glyphvane.hlp", Repeated("help topic, lower-case extension; ", 2049)},
        {"Glyphvane.LIB", Repeated("library as shipped ", 2048)},
        {"ReadMe.Txt", Repeated("Read me first.\r\nThen read me again.\r\n", 1500)},
        {"Glyphvane.Dat", SampleBytes(static_cast<std::size_t>((disk - setupOnDisk + disk + disk / 2) * 9 / 10), 7)},
    };
    if (!firstMember.empty()) product.Members.insert(product.Members.begin(), {firstMember, Repeated("first ", 600)});
    std::vector<std::string> args = {"pack",    "--quiet", "--disks", "--disk-size", std::to_string(disk),
                                     "--setup", setupExe};
    args.insert(args.end(), {"--program", OwnDirectory() + "e2e_product.exe", "--output", dir + "\\dist"});
    const std::string files = dir + "\\product\\";
    fs::create_directories(files);
    for (const auto& [name, content] : product.Members) {
        WriteBytes(files + name, content);
        args.insert(args.end(), {"--member", files + name});
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunGvdist(args, out, err), 0) << "pack: " << err.str();
    return found->second;
}
