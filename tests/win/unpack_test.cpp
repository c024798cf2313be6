#include "archive/unpack_win.h"

#include <gtest/gtest.h>

#include <functional>

#include "archive/extract_win.h"
#include "archive/member_list_win.h"
#include "harness_win.h"
#include "lzh/lzh_encode.h"
#include "setup/globals.h"
#include "setup/stamp.h"

using namespace harness;

namespace {

// The unpacking of a joined archive in the destination: decoding, the
// members cut out of the program file, the program file cut back.

// Puts the archive of `product` into `dest`, which stands for the Windows
// directory too, and its member table where the unpacking reads it.
void Stage(const TempDir& dest, const Product& product, bool withHelpDir = true) {
    PrepareInstallState(dest.Path(), dest.Path(), withHelpDir);
    Bytes stream = product.Program;
    MemberTable table;
    for (const auto& [name, content] : product.Members) {
        table.Members.push_back(
            {name, static_cast<std::int32_t>(stream.size()), static_cast<std::int32_t>(content.size())});
        stream.insert(stream.end(), content.begin(), content.end());
    }
    table.DecodedTotal = static_cast<std::int32_t>(stream.size());
    WriteBytes(dest / ArchiveFile, LzhEncode(stream.data(), stream.size()));
    PlaceSetupFile(dest / "setup.bin", table);
    EXPECT_EQ(LoadMemberTable().Message(), "");
}

// The walks install a product with members into a help directory; these
// are the layouts they cannot reach.
TEST(Unpacking, DecodesExtractsAndCutsBack) {
    const struct {
        bool WithHelpDir;
        std::vector<std::pair<std::string, Bytes>> Members;
    } cases[] = {
        {false, {{"guide.hlp", SampleBytes(300, 4)}}},  // no help directory: help beside the program
        {true, {}},                                     // no members
    };
    for (const auto& [withHelpDir, members] : cases) {
        const TempDir dest;
        const Product product{SampleBytes(5000, 1), members};
        Stage(dest, product, withHelpDir);
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), "Progress", nullptr, ProgressDialogProc, 0), 1);
        EXPECT_EQ(ReadBytes(dest / ProgramFile), product.Program);
        for (const auto& [name, content] : product.Members) EXPECT_EQ(ReadBytes(dest / name), content) << name;
    }
}

// The member table's rules are the native tests', and the gathering refuses
// a broken table before the unpacking starts. A stream that runs dry fails,
// and a table promising more than any archive of its size holds is refused
// at once.
TEST(Unpacking, RefusesWithTheMessage) {
    const Product product{SampleBytes(9000, 1), {{"UnInstal.Exe", SampleBytes(3000, 2)}}};
    std::int32_t size = 0;  // the archive's
    const struct {
        const char* What;
        std::function<void(const TempDir&)> Spoil;
        std::size_t ProgramAtMost;  // bytes of the program file left
    } cases[] = {
        {"missing archive", [](const TempDir& dest) { DeleteFileA((dest / ArchiveFile).c_str()); }, 0},
        // At most 48 bytes per archive byte, plus 60.
        {"more than an archive of its size can hold", [&size](const TempDir&) { DecodedTotal = 48 * size + 61; }, 0},
        // Decoding stops when the archive runs out: the program and its member, and a block.
        {"the table of a longer archive", [&size](const TempDir&) { DecodedTotal = 40 * size; }, 9000 + 3000 + 512},
        // A damaged disk is named, never installed: nor a stream that decodes to other bytes.
        {"a stream whose CRC-32 is not the stamp's 0", [](const TempDir&) { PartChecks.CheckedParts = 1; }, 12000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const TempDir dest;
        Stage(dest, product);
        size = static_cast<std::int32_t>(ReadBytes(dest / ArchiveFile).size());
        c.Spoil(dest);
        EXPECT_EQ(WithUser(RunUnpacking, [](User& user) { user.Answer(user.WaitFor(Seen::Failure), IDOK); }), 0);
        EXPECT_FALSE(FileExists(dest / "UnInstal.Exe"));
        EXPECT_LE(ReadBytes(dest / ProgramFile).size(), c.ProgramAtMost);
        PartChecks = {};
    }
}

// The program file is cut even without members: an older, longer program
// file that the decoding could only open in place loses its tail.
TEST(Unpacking, CutsAStaleTailWithoutMembers) {
    const TempDir dest;
    const Product product{SampleBytes(3000, 1), {}};
    Stage(dest, product);
    WriteBytes(dest / ProgramFile, SampleBytes(5000, 1));  // the program, then a stale tail
    EXPECT_TRUE(TruncateProgramFile());
    EXPECT_EQ(ReadBytes(dest / ProgramFile), product.Program);
}

}  // namespace
