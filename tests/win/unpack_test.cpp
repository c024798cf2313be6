#include "archive/unpack_win.h"

#include <gtest/gtest.h>

#include "archive/member_list_win.h"
#include "archive/progress_draw_win.h"
#include "engine_test_support.h"
#include "lzh_encode.h"
#include "setup/globals.h"

using namespace enginetest;

namespace {

const char FailureText[] = "Glyphvane was unable to install its files.";

class Unpacking : public ::testing::Test {
public:
    void SetUp() override
    {
        PrepareInstallState(dest_.Path(), windows_.Path(), true);
        ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
        ProgressDC = nullptr;
    }
    void TearDown() override
    {
        MemberList.clear();
        MemberTableSource.clear();
        ContinueFlag = 1;
    }
    // Puts the archive of `product` into the destination and its member
    // table where the unpacking reads it; `keep` cuts the archive short.
    Bytes Stage(const Product& product, double keep = 1.0)
    {
        const Bytes stream = product.Stream();
        Bytes archive = LzhEncode(stream.data(), stream.size());
        archive.resize(static_cast<std::size_t>(archive.size() * keep));
        WriteBytes(dest_ / ArchiveFile, archive);
        WriteSetupFile(dest_ / "setup.bin", product.Table());
        MemberTableSource = dest_ / "setup.bin";
        EXPECT_EQ(LoadMemberTable(), "");
        return archive;
    }
    static Product SmallProduct()
    {
        Product product;
        product.Program = SampleBytes(9000, 1);
        product.Members = {{"UnInstal.Exe", SampleBytes(3000, 2)}, {"glyph.hlp", SampleBytes(2049, 3)}};
        return product;
    }

    TempDir dest_;
    TempDir windows_;
};

TEST_F(Unpacking, DecodesExtractsAndCutsBack)
{
    const Product product = SmallProduct();
    Stage(product);
    EXPECT_EQ(RunUnpacking(), 1);
    EXPECT_FALSE(Exists(dest_ / ArchiveFile));
    EXPECT_EQ(ReadBytes(dest_ / ProgramFile), product.Program);
    EXPECT_EQ(ReadBytes(dest_ / "UnInstal.Exe"), product.Members[0].second);
    EXPECT_EQ(ReadBytes(windows_ / "Help\\glyph.hlp"), product.Members[1].second);
}

TEST_F(Unpacking, RefusesWithTheMessage)
{
    struct Case {
        const char* what;
        std::function<void(Unpacking&)> stage;
    };
    const Case cases[] = {
        {"truncated archive", [](Unpacking& t) { t.Stage(SmallProduct(), 0.7); }},
        {"missing archive",
         [](Unpacking& t) {
             t.Stage(SmallProduct());
             DeleteFileA((t.dest_ / ArchiveFile).c_str());
         }},
        {"hostile member name",
         [](Unpacking& t) {
             t.Stage(SmallProduct());
             MemberList[0].Name = "..\\evil.exe";
         }},
        {"member past the stream",
         [](Unpacking& t) {
             t.Stage(SmallProduct());
             MemberList[1].Size = 1 << 30;
         }},
        {"no member table", [](Unpacking& t) {
             t.Stage(SmallProduct());
             t.TearDown();
             MemberTableSource = t.dest_ / "nowhere.bin";
             EXPECT_NE(LoadMemberTable(), "");
         }},
    };
    for (const Case& c : cases) {
        ContinueFlag = 1;
        c.stage(*this);
        BoxAnswerer answerer([](const ShownBox& box) { return box.IsCopyDialog ? 0 : IDOK; });
        EXPECT_EQ(RunUnpacking(), 0) << c.what;
        const auto boxes = answerer.Answered();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes[0].Caption, "Error") << c.what;
        EXPECT_EQ(boxes[0].Text, FailureText) << c.what;
        EXPECT_FALSE(Exists(windows_ / "evil.exe")) << c.what;
        EXPECT_FALSE(Exists(dest_ / "UnInstal.Exe")) << c.what;
    }
}

INT_PTR RunProgressDialog()
{
    return DialogBoxParamA(GetModuleHandleA(nullptr), "Progress", nullptr, ProgressDialogProc, 0);
}

TEST_F(Unpacking, DialogRunsTheWorkAndEndsWithOne)
{
    const Product product = SmallProduct();
    Stage(product);
    BoxAnswerer answerer([](const ShownBox& box) { return box.IsCopyDialog ? 0 : IDOK; });
    EXPECT_EQ(RunProgressDialog(), 1);
    EXPECT_EQ(ReadBytes(dest_ / ProgramFile), product.Program);
    EXPECT_TRUE(answerer.Answered().empty());
}

TEST_F(Unpacking, ACancelDuringDecodingEndsWithZeroAndDeletesTheArchive)
{
    Product product;
    product.Program = SampleBytes(24000000, 9);  // long enough to decode that a cancel lands mid-way
    product.Members = {{"A.DAT", SampleBytes(100, 2)}};
    Stage(product);
    const std::string programPath = dest_ / ProgramFile;
    bool cancelled = false;
    BoxAnswerer answerer([&](const ShownBox& box) {
        if (box.Caption == "Exit Glyphvane")
            return IDYES;
        // Cancel once the decoding has written its first block.
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!cancelled && box.IsCopyDialog &&
            GetFileAttributesExA(programPath.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0) {
            cancelled = true;
            return IDCANCEL;
        }
        return 0;
    });
    EXPECT_EQ(RunProgressDialog(), 0);
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(Exists(dest_ / ArchiveFile));
    EXPECT_FALSE(Exists(dest_ / "A.DAT"));
    EXPECT_LT(ReadBytes(programPath).size(), product.Program.size()) << "the decoding did not stop";
    const auto boxes = answerer.Answered();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Caption, "Please Stand By...");
    EXPECT_EQ(boxes[1].Text, CancelQuestion);
}

TEST_F(Unpacking, ACancelAnsweredNoLetsTheDecodingFinish)
{
    Product product;
    product.Program = SampleBytes(24000000, 9);  // long enough to decode that a cancel lands mid-way
    Stage(product);
    const std::string programPath = dest_ / ProgramFile;
    bool asked = false;
    BoxAnswerer answerer([&](const ShownBox& box) {
        if (box.Caption == "Exit Glyphvane")
            return IDNO;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!asked && box.IsCopyDialog &&
            GetFileAttributesExA(programPath.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0) {
            asked = true;
            return IDCANCEL;
        }
        return 0;
    });
    EXPECT_EQ(RunProgressDialog(), 1);
    EXPECT_TRUE(asked);
    EXPECT_EQ(ReadBytes(programPath), product.Program);
}

}  // namespace
