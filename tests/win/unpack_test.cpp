#include "archive/unpack_win.h"

#include <gtest/gtest.h>

#include "archive/member_list_win.h"
#include "archive/progress_draw_win.h"
#include "engine_test_support.h"
#include "lzh_encode.h"
#include "setup/globals.h"

using namespace enginetest;

namespace {

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
    void Stage(const Product& product, double keep = 1.0)
    {
        const Bytes stream = product.Stream();
        Bytes archive = LzhEncode(stream.data(), stream.size());
        archive.resize(static_cast<std::size_t>(archive.size() * keep));
        WriteBytes(dest_ / ArchiveFile, archive);
        WriteSetupFile(dest_ / "setup.bin", product.Table());
        MemberTableSource = dest_ / "setup.bin";
        EXPECT_EQ(LoadMemberTable(), "");
    }
    static Product SmallProduct()
    {
        Product product;
        product.Program = SampleBytes(9000, 1);
        product.Members = {{"UnInstal.Exe", SampleBytes(3000, 2)}, {"glyph.hlp", SampleBytes(2049, 3)}};
        return product;
    }
    static INT_PTR RunProgressDialog()
    {
        return DialogBoxParamA(GetModuleHandleA(nullptr), "Progress", nullptr, ProgressDialogProc, 0);
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
        double keep;
        std::function<void()> spoil;
    };
    const Case cases[] = {
        {"truncated archive", 0.7, [] {}},
        {"missing archive", 1.0, [this] { DeleteFileA((dest_ / ArchiveFile).c_str()); }},
        {"hostile member name", 1.0, [] { MemberList[0].Name = "..\\evil.exe"; }},
        {"member past the stream", 1.0, [] { MemberList[1].Size = 1 << 30; }},
    };
    for (const Case& c : cases) {
        ContinueFlag = 1;
        Stage(SmallProduct(), c.keep);
        c.spoil();
        BoxAnswerer answerer([](const ShownBox& box) { return box.IsCopyDialog ? 0 : IDOK; });
        EXPECT_EQ(RunUnpacking(), 0) << c.what;
        const auto boxes = answerer.Answered();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes[0].Caption, "Error") << c.what;
        EXPECT_EQ(boxes[0].Text, "Glyphvane was unable to install its files.") << c.what;
        EXPECT_FALSE(Exists(windows_ / "evil.exe")) << c.what;
        EXPECT_FALSE(Exists(dest_ / "UnInstal.Exe")) << c.what;
    }
}

// A cancel once the decoding has written its first block: Yes stops it with
// 0 and deletes the archive, No lets the dialog finish with 1.
TEST_F(Unpacking, ACancelDuringDecoding)
{
    Product product;
    product.Program = SampleBytes(24000000, 9);  // long enough to decode that a cancel lands mid-way
    product.Members = {{"A.DAT", SampleBytes(100, 2)}};
    const std::string programPath = dest_ / ProgramFile;
    for (int answer : {IDYES, IDNO}) {
        ContinueFlag = 1;
        Stage(product);
        bool cancelled = false;
        BoxAnswerer answerer([&](const ShownBox& box) {
            if (box.Caption == "Exit Glyphvane")
                return answer;
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (!cancelled && box.IsCopyDialog &&
                GetFileAttributesExA(programPath.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0) {
                cancelled = true;
                return IDCANCEL;
            }
            return 0;
        });
        const bool stop = answer == IDYES;
        EXPECT_EQ(RunProgressDialog(), stop ? 0 : 1) << stop;
        EXPECT_TRUE(cancelled);
        EXPECT_FALSE(Exists(dest_ / ArchiveFile)) << stop;
        EXPECT_EQ(Exists(dest_ / "A.DAT"), !stop);
        const Bytes program = ReadBytes(programPath);
        if (stop)
            EXPECT_LT(program.size(), product.Program.size()) << "the decoding did not stop";
        else
            EXPECT_EQ(program, product.Program);
        const auto boxes = answerer.Answered();
        ASSERT_EQ(boxes.size(), 2u) << stop;
        EXPECT_EQ(boxes[0].Caption, "Please Stand By...");
        EXPECT_EQ(boxes[1].Text, CancelQuestion);
        DeleteFileA(programPath.c_str());
        DeleteFileA((dest_ / "A.DAT").c_str());
    }
}

}  // namespace
