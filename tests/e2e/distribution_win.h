// Distributions for the walks: a small product packed by gvdist into three
// archive parts, laid out per test as disk 1 (setup.exe and Glyphvan.001)
// and a shelf holding the later disks until the test "inserts" them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "system_state_win.h"

struct ProductFile {
    std::string Name;
    Bytes Content;
};

// The product as the user should find it installed.
struct Product {
    Bytes Program;                     // installed as Glyphvane.Exe
    std::vector<ProductFile> Members;  // in table order
};

// The walks' product: the marker program (it records that it ran), the
// uninstaller, a help file named in lower case, a library, a text, a data
// file of `noiseSize` bytes that sets the archive's size, and, when
// `atlasSize` is not 0, a text of that size that compresses well but takes
// its time to decode.
Product MakeProduct(std::size_t noiseSize, std::size_t atlasSize);
// The noise size that makes gvdist cut the archive into three parts when
// disk 1 also carries `setupExe`, next to an atlas of `atlasSize`.
std::size_t NoiseSizeForThreeParts(const std::string& setupExe, std::size_t atlasSize);

// A packed distribution in a directory of its own, shared by the tests.
struct PackedDistribution {
    std::string Directory;  // setup.exe, Glyphvan.001, .002, ...
    int PartCount = 0;
    Product Contents;
};

// Packs `product` with gvdist for `setupExe` into `directory`, choosing a
// disk size that gives three parts. Failures are recorded.
PackedDistribution Pack(const std::string& setupExe, const Product& product,
                        const std::string& directory);

// The same distribution for another build of the setup: its executable
// with the member table of `packed` appended, and the same parts.
PackedDistribution Repackage(const PackedDistribution& packed, const std::string& setupExe,
                             const std::string& directory);

// One test's disks.
class Disks {
public:
    Disks(const PackedDistribution& packed, const std::string& root);
    const std::string& Drive() const { return drive_; }  // disk 1 now, with '\'
    std::string Setup() const { return drive_ + "setup.exe"; }
    std::string PartName(int k) const;
    // Puts disk `k` into the drive: its part appears in the drive's directory.
    void Insert(int k);

private:
    std::string drive_;
    std::string shelf_;
};
