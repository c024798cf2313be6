#include "archive/unpack_win.h"

#include <gtest/gtest.h>

#include <functional>

#include "archive/extract_win.h"
#include "archive/member_list_win.h"
#include "archive/progress_draw_win.h"
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
    // table where the unpacking reads it; `keep` cuts the archive short.
    void Stage(const Product& product, bool withHelpDir = true, double keep = 1.0)
    {
        dest_ = std::make_unique<TempDir>();
        windows_ = std::make_unique<TempDir>();
        PrepareInstallState(dest_->Path(), windows_->Path(), withHelpDir);
        const Bytes stream = product.Stream();
        Bytes archive = LzhEncode(stream.data(), stream.size());
        archive.resize(static_cast<std::size_t>(archive.size() * keep));
        WriteBytes(*dest_ / ArchiveFile, archive);
        PlaceSetupFile(*dest_ / "setup.bin", product.Table());
        EXPECT_EQ(LoadMemberTable(), "");
    }
    static Product SmallProduct()
    {
        Product product;
        product.Program = SampleBytes(9000, 1);
        product.Members = {{"UnInstal.Exe", SampleBytes(3000, 2)}, {"glyph.hlp", SampleBytes(2049, 3)}};
        return product;
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
        Product product;
        product.Program = SampleBytes(5000, 1);
        product.Members = members;
        Stage(product, withHelpDir);
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), "Progress", nullptr, ProgressDialogProc, 0), 1);
        EXPECT_FALSE(FileExists(*dest_ / ArchiveFile));
        EXPECT_EQ(ReadBytes(*dest_ / ProgramFile), product.Program);
        for (const auto& [name, content] : product.Members)
            EXPECT_EQ(ReadBytes(*dest_ / name), content) << name;
    }
}

TEST_F(Unpacking, RefusesWithTheMessage)
{
    struct Case {
        const char* what;
        double keep;
        std::function<void(std::int32_t archiveSize)> spoil;
        std::size_t writtenAtMost;  // bytes the program file may hold afterwards
    };
    const std::size_t any = SIZE_MAX, streamSize = SmallProduct().Stream().size();
    const Case cases[] = {
        {"truncated archive", 0.7, [](std::int32_t) {}, any},
        {"missing archive", 1.0, [this](std::int32_t) { DeleteFileA((*dest_ / ArchiveFile).c_str()); }, any},
        {"hostile member name", 1.0, [](std::int32_t) { MemberList[0].Name = "..\\evil.exe"; }, any},
        {"member past the stream", 1.0, [](std::int32_t) { MemberList[1].Size = 1 << 30; }, any},
        {"empty member named like the program", 1.0,
         [](std::int32_t) { MemberList.push_back({"GLYPHVANE.EXE", DecodedTotal, 0}); }, any},
        {"more than an archive of its size can hold", 1.0, [](std::int32_t size) { DecodedTotal = 48 * size + 61; }, 0},
        {"the table of a longer archive", 1.0, [](std::int32_t size) { DecodedTotal = 40 * size; }, streamSize + 512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Stage(SmallProduct(), true, c.keep);
        c.spoil(static_cast<std::int32_t>(ReadBytes(*dest_ / ArchiveFile).size()));
        EXPECT_EQ(WithUser(RunUnpacking, [](User& user) { user.Answer(user.WaitFor(Seen::Failure), IDOK); }), 0);
        EXPECT_FALSE(FileExists(*windows_ / "evil.exe"));
        EXPECT_FALSE(FileExists(*dest_ / "UnInstal.Exe"));
        EXPECT_LE(ReadBytes(*dest_ / ProgramFile).size(), c.writtenAtMost);
    }
}

// An older, longer program file that the decoding could only open in place
// loses its tail to the cut, with no members too.
TEST_F(Unpacking, CutsAStaleTailWithoutMembers)
{
    Product product;
    product.Program = SampleBytes(3000, 1);
    Stage(product);
    Bytes longer = product.Program;
    longer.resize(5000, 'x');
    WriteBytes(*dest_ / ProgramFile, longer);
    EXPECT_TRUE(TruncateProgramFile());
    EXPECT_EQ(ReadBytes(*dest_ / ProgramFile), product.Program);
}

}  // namespace
