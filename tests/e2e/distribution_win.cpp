#include "distribution_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <stdexcept>

#include "commands.h"
#include "options.h"

namespace {

constexpr std::uint64_t Cluster = 512;
// What part 1 gets beside setup.exe on the first disk.
constexpr std::uint64_t FirstPartRoom = 16384;
// Room for the member table that pack appends to setup.exe.
constexpr std::uint64_t TableRoom = 5 + 28 * 255;

std::uint64_t RoundUp(std::uint64_t size) { return (size + Cluster - 1) / Cluster * Cluster; }

// Deterministic bytes: `text` repeated, or noise that does not compress.
Bytes Repeated(const std::string& text, std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(text[i % text.size()]);
    return bytes;
}

Bytes Noise(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t state = seed;
    for (auto& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<std::uint8_t>(state >> 11);
    }
    return bytes;
}

std::uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int CountParts(const std::string& directory) {
    int count = 0;
    while (count < 9 && FileExists(directory + "Glyphvan.00" + std::to_string(count + 1))) ++count;
    return count;
}

}  // namespace

Product MakeProduct(std::size_t noiseSize, std::size_t atlasSize) {
    Product product;
    product.Program = ReadBytes(OwnDirectory() + "e2e_product.exe");
    EXPECT_GT(product.Program.size(), 0u) << "the marker program is missing";
    product.Members = {
        {"UnInstal.Exe", Repeated("MZ uninstaller of the walks ", 3000)},
        {"Glyphvane.hlp", Repeated("help topic, lower-case extension; ", 2049)},
        {"Glyphvane.LIB", Repeated("library as shipped ", 2048)},
        {"ReadMe.Txt", Repeated("Read me first.\r\nThen read me again.\r\n", 1500)},
        {"Glyphvane.Dat", Noise(noiseSize, 0x2545F491u)},
    };
    if (atlasSize > 0)
        product.Members.push_back({"Atlas.Txt", Repeated("Glyphvane atlas, sheet 0123456789\r\n", atlasSize)});
    return product;
}

PackedDistribution Pack(const std::string& setupExe, const Product& product,
                        const std::string& directory) {
    PackedDistribution packed;
    packed.Directory = directory;
    packed.Contents = product;
    RemoveTree(directory.substr(0, directory.size() - 1));
    MakeDirectory(directory);
    std::string staging = directory + "product\\";
    MakeDirectory(staging);
    WriteBytes(staging + "Glyphvane.Exe", product.Program);
    Options pack;
    pack.Command = "pack";
    pack.Quiet = true;
    pack.ProgramPath = staging + "Glyphvane.Exe";
    for (const ProductFile& member : product.Members) {
        WriteBytes(staging + member.Name, member.Content);
        pack.MemberPaths.push_back(staging + member.Name);
    }
    pack.SetupPath = setupExe;
    pack.OutputDir = directory + "dist";
    // Disk 1 holds setup.exe and a small first part; the others are full.
    pack.DiskSize = RoundUp(FileSize(setupExe) + TableRoom) + FirstPartRoom;
    std::ostringstream out, err;
    try {
        RunPack(pack, out, err);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "gvdist pack: " << error.what() << "\n" << err.str();
    }
    packed.Directory = directory + "dist\\";
    packed.PartCount = CountParts(packed.Directory);
    RemoveTree(staging.substr(0, staging.size() - 1));
    return packed;
}

std::size_t NoiseSizeForThreeParts(const std::string& setupExe, std::size_t atlasSize) {
    // Noise does not shrink and a repeated line shrinks to about 2 %; aim
    // at the middle of disk 3.
    std::uint64_t disk = RoundUp(FileSize(setupExe) + TableRoom) + FirstPartRoom;
    std::uint64_t archive = FirstPartRoom + disk + disk / 2;
    return static_cast<std::size_t>(archive * 9 / 10 - atlasSize / 50);
}

PackedDistribution Repackage(const PackedDistribution& packed, const std::string& setupExe,
                             const std::string& directory) {
    PackedDistribution copy = packed;
    copy.Directory = directory;
    RemoveTree(directory.substr(0, directory.size() - 1));
    MakeDirectory(directory);
    Bytes table = ReadBytes(packed.Directory + "setup.exe");
    std::size_t tableSize = 5 + 28 * static_cast<std::size_t>(table.at(table.size() - 5));
    Bytes setup = ReadBytes(setupExe);
    setup.insert(setup.end(), table.end() - static_cast<std::ptrdiff_t>(tableSize), table.end());
    WriteBytes(directory + "setup.exe", setup);
    for (int k = 1; k <= packed.PartCount; ++k) {
        std::string name = "Glyphvan.00" + std::to_string(k);
        CopyInto(packed.Directory + name, directory + name);
    }
    return copy;
}

Disks::Disks(const PackedDistribution& packed, const std::string& root)
    : drive_(root + "DISK\\"), shelf_(root + "SHELF\\") {
    MakeDirectory(drive_);
    MakeDirectory(shelf_);
    CopyInto(packed.Directory + "setup.exe", Setup());
    CopyInto(packed.Directory + PartName(1), drive_ + PartName(1));
    for (int k = 2; k <= packed.PartCount; ++k)
        CopyInto(packed.Directory + PartName(k), shelf_ + PartName(k));
}

std::string Disks::PartName(int k) const { return "Glyphvan.00" + std::to_string(k); }

void Disks::Insert(int k) {
    ASSERT_TRUE(MoveFileA((shelf_ + PartName(k)).c_str(), (drive_ + PartName(k)).c_str()))
        << "disk " << k << ": error " << GetLastError();
}
