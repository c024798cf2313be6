#include "archive/unpack_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "archive/extract_win.h"
#include "archive/member_list_win.h"
#include "harness_win.h"
#include "lzh_encode.h"
#include "setup/globals.h"

using namespace harness;

namespace {

// The unpacking of a joined archive in the destination: decoding, the
// members cut out of the program file, the program file cut back.
class Unpacking : public ::testing::Test {
public:
    // Puts the archive of `product` into a fresh destination and its member
    // table where the unpacking reads it.
    void Stage(const Product& product, bool withHelpDir = true)
    {
        dest_ = std::make_unique<TempDir>();
        windows_ = std::make_unique<TempDir>();
        PrepareInstallState(dest_->Path(), windows_->Path(), withHelpDir);
        const Bytes stream = product.Stream();
        WriteBytes(*dest_ / ArchiveFile, LzhEncode(stream.data(), stream.size()));
        PlaceSetupFile(*dest_ / "setup.bin", product.Table());
        EXPECT_EQ(LoadMemberTable(), "");
    }

    std::unique_ptr<TempDir> dest_, windows_;
};

// The walks install a product with members into a help directory; these
// are the layouts they cannot reach.
TEST_F(Unpacking, DecodesExtractsAndCutsBack)
{
    const std::pair<bool, std::vector<std::pair<std::string, Bytes>>> cases[] = {
        {false, {{"guide.hlp", SampleBytes(300, 4)}}},  // no help directory: help beside the program
        {true, {}},                                      // no members
    };
    for (const auto& [withHelpDir, members] : cases) {
        const Product product{SampleBytes(5000, 1), members};
        Stage(product, withHelpDir);
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), "Progress", nullptr, ProgressDialogProc, 0), 1);
        EXPECT_FALSE(FileExists(*dest_ / ArchiveFile));
        EXPECT_EQ(ReadBytes(*dest_ / ProgramFile), product.Program);
        for (const auto& [name, content] : product.Members)
            EXPECT_EQ(ReadBytes(*dest_ / name), content) << name;
    }
}

// The member table's own rules are the native tests'; here one broken
// table stands for them all. A stream that runs dry fails, and a table
// promising more than any archive of its size holds is refused at once.
TEST_F(Unpacking, RefusesWithTheMessage)
{
    const Product product{SampleBytes(9000, 1), {{"UnInstal.Exe", SampleBytes(3000, 2)}}};
    std::int32_t size = 0;  // the archive's
    const std::size_t any = SIZE_MAX, streamSize = product.Stream().size();
    const std::tuple<const char*, std::function<void()>, std::size_t> cases[] = {
        {"missing archive", [this] { DeleteFileA((*dest_ / ArchiveFile).c_str()); }, any},
        {"hostile member name", [] { MemberList[0].Name = "..\\evil.exe"; }, any},
        {"more than an archive of its size can hold", [&size] { DecodedTotal = 48 * size + 61; }, 0},
        {"the table of a longer archive", [&size] { DecodedTotal = 40 * size; }, streamSize + 512},
    };
    for (const auto& [what, spoil, writtenAtMost] : cases) {
        SCOPED_TRACE(what);
        Stage(product);
        size = static_cast<std::int32_t>(ReadBytes(*dest_ / ArchiveFile).size());
        spoil();
        EXPECT_EQ(WithUser(RunUnpacking, [](User& user) { user.Answer(user.WaitFor(Seen::Failure), IDOK); }), 0);
        EXPECT_FALSE(FileExists(*dest_ / "UnInstal.Exe"));
        EXPECT_LE(ReadBytes(*dest_ / ProgramFile).size(), writtenAtMost);
    }
}

// An older, longer program file that the decoding could only open in place
// loses its tail to the cut, with no members too.
TEST_F(Unpacking, CutsAStaleTailWithoutMembers)
{
    const Product product{SampleBytes(3000, 1), {}};
    Stage(product);
    WriteBytes(*dest_ / ProgramFile, SampleBytes(5000, 1));  // the program, then a stale tail
    EXPECT_TRUE(TruncateProgramFile());
    EXPECT_EQ(ReadBytes(*dest_ / ProgramFile), product.Program);
}

}  // namespace
