#include "archive/gather_win.h"

#include <gtest/gtest.h>

#include "archive/member_list_win.h"
#include "archive/naming.h"
#include "archive/progress_draw_win.h"
#include "engine_test_support.h"
#include "setup/globals.h"

using namespace enginetest;

namespace {

const std::string Failure = "Glyphvane was unable to install its files.";
std::string Insert(int disk)
{
    return "Please Insert Disk number " + std::to_string(disk);
}

// One run of the gathering dialog over a source directory holding some of
// the disks' parts. A prompt for a disk is answered with `answer`, and the
// disk is inserted at its `insertAt`th prompt (0: never).
struct Scenario {
    const char* what;
    int minDisks;
    std::vector<int> present;
    int answer;
    int insertAt;
    bool hostileTable;
    INT_PTR result;
    std::vector<std::string> boxes;
    int joined;  // how many parts the archive holds
};

TEST(Gathering, PromptsForDisksAndJoinsTheParts)
{
    const int all = DiskCount;
    const Scenario scenarios[] = {
        {"all parts present", 1, {1, 2, 3, 4}, IDCANCEL, 0, false, 1, {}, all},
        {"parts inserted at the prompt", 3, {1}, IDOK, 1, false, 1, {Insert(2), Insert(3)}, all},
        {"OK with the wrong disk", 2, {1, 3, 4}, IDOK, 2, false, 1, {Insert(2), WrongDiskText, Insert(2)}, all},
        {"Cancel without the disk", 3, {1, 3}, IDCANCEL, 0, false, 0, {Insert(2)}, 1},
        {"Cancel with the disk", 3, {1, 3}, IDCANCEL, 1, false, 1, {Insert(2)}, all},
        {"first part missing", 1, {2, 3}, IDOK, 0, false, 0, {Failure}, 0},
        {"hostile member table", 1, {1, 2, 3, 4}, IDOK, 0, true, 0, {Failure}, 0},
    };
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    std::vector<Bytes> parts;
    for (int k = 1; k <= 4; ++k)
        parts.push_back(SampleBytes(1000 * k + 2047, k));
    for (const Scenario& s : scenarios) {
        if (DiskCount < s.minDisks)
            continue;
        TempDir source, dest;
        PrepareInstallState(dest.Path(), dest.Path(), false);
        SourceDir = source.Path() + "\\";
        const auto put = [&](int k) { WriteBytes(source / PartFileName(FirstPartFile, k), parts[k - 1]); };
        for (int k : s.present)
            put(k);
        MemberTable table;
        if (s.hostileTable) {
            table.Members.push_back(MemberEntry{"..\\..\\boot.ini", 0, 10});
            table.DecodedTotal = 10;
        } else {
            Product product;
            product.Program = SampleBytes(500, 1);
            table = product.Table();
        }
        WriteSetupFile(source / "setup.bin", table);
        MemberTableSource = source / "setup.bin";
        std::map<std::string, int> prompts;
        BoxAnswerer answerer([&](const ShownBox& box) {
            if (box.IsCopyDialog)
                return 0;
            for (int k = 2; k <= 4; ++k)
                if (box.Text == Insert(k) && ++prompts[box.Text] == s.insertAt)
                    put(k);
            return s.answer;
        });
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), "IProgress", nullptr, IProgressDialogProc, 0),
                  s.result)
            << s.what;
        std::vector<std::string> shown;
        for (const ShownBox& box : answerer.Answered()) {
            shown.push_back(box.Text);
            EXPECT_EQ(box.Caption, box.Text == Failure ? "Error" : box.Text == WrongDiskText ? "" : ProductName)
                << s.what;
        }
        EXPECT_EQ(shown, s.boxes) << s.what;
        Bytes joined;
        for (int k = 1; k <= s.joined; ++k)
            joined.insert(joined.end(), parts[k - 1].begin(), parts[k - 1].end());
        EXPECT_EQ(ReadBytes(dest / ArchiveFile), joined) << s.what;
        if (s.result == 1) {
            EXPECT_EQ(DecodedTotal, 500) << s.what;
        }
        EXPECT_TRUE(MemberList.empty()) << s.what;
        MemberTableSource.clear();
        MemberList.clear();
        ContinueFlag = 1;
    }
}

}  // namespace
