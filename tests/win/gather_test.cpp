#include "archive/gather_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "archive/file_handle_win.h"
#include "archive/member_list_win.h"
#include "harness_win.h"
#include "setup/globals.h"

using namespace harness;

namespace {

// One run of the gathering dialog over a drive holding some of the disks'
// parts, the others on the shelf. The user answers each box in turn with
// `answer` and inserts the disk at its `insertAt`th prompt (0: never).
struct Scenario {
    const char* what;
    int minDisks;
    std::vector<int> present;
    int answer;
    int insertAt;
    bool hostileTable;
    INT_PTR result;
    std::vector<DialogMatch> boxes;
    int joined;  // how many parts the archive holds
};

// The setup file on the drive, its table the one of a 500-byte program,
// with an entry that climbs out when `hostile`.
void PlaceSetup(const TempDir& drive, bool hostile)
{
    Product product;
    product.Program = SampleBytes(500, 1);
    MemberTable table = product.Table();
    if (hostile)
        table.Members.push_back(MemberEntry{"..\\..\\boot.ini", 0, 10});
    Bytes setup(100, 'M');
    const Bytes tail = SerializeMemberTable(table);
    setup.insert(setup.end(), tail.begin(), tail.end());
    WriteBytes(drive / "setup.bin", setup);
    MemberTableSource = drive / "setup.bin";
}

void RunScenarios(int all)
{
    using namespace Seen;
    DiskCount = all;
    const Scenario scenarios[] = {
        {"all parts present", 1, {1, 2, 3, 4}, IDCANCEL, 0, false, 1, {}, all},
        {"parts inserted at the prompt", 3, {1}, IDOK, 1, false, 1, {DiskPrompt(2), DiskPrompt(3)}, all},
        {"OK with the wrong disk", 2, {1, 3, 4}, IDOK, 2, false, 1, {DiskPrompt(2), WrongDisk, DiskPrompt(2)}, all},
        {"Cancel without the disk", 3, {1, 3}, IDCANCEL, 0, false, 0, {DiskPrompt(2)}, 1},
        {"Cancel with the disk", 3, {1, 3}, IDCANCEL, 1, false, 1, {DiskPrompt(2)}, all},
        {"first part missing", 1, {2, 3}, IDOK, 0, false, 0, {Failure}, 0},
        {"hostile member table", 1, {1, 2, 3, 4}, IDOK, 0, true, 0, {Failure}, 0},
    };
    std::vector<Bytes> parts;
    for (int k = 1; k <= 4; ++k)
        parts.push_back(SampleBytes(1000 * k + 2047, k));
    for (const Scenario& s : scenarios) {
        if (DiskCount < s.minDisks)
            continue;
        SCOPED_TRACE(s.what);
        TempDir drive, shelf, dest;
        PrepareInstallState(dest.Path(), dest.Path(), false);
        SourceDir = drive.Path() + "\\";
        for (int k = 1; k <= 4; ++k)
            WriteBytes((std::count(s.present.begin(), s.present.end(), k) ? drive : shelf) / PartName(k), parts[k - 1]);
        PlaceSetup(drive, s.hostileTable);

        const INT_PTR result = WithUser(
            [] { return DialogBoxParamA(GetModuleHandleA(nullptr), "IProgress", nullptr, IProgressDialogProc, 0); },
            [&](User& user) {
                std::map<std::string, int> prompts;
                for (const DialogMatch& expected : s.boxes) {
                    HWND box = user.WaitFor(expected);
                    for (int k = 2; k <= 4; ++k)
                        if (expected.Text == DiskPrompt(k).Text && ++prompts[expected.Text] == s.insertAt)
                            Disks{drive.Path(), shelf.Path()}.Insert(k);
                    user.Answer(box, s.answer);
                }
            });
        EXPECT_EQ(result, s.result);
        Bytes joined;
        for (int k = 1; k <= s.joined; ++k)
            joined.insert(joined.end(), parts[k - 1].begin(), parts[k - 1].end());
        EXPECT_EQ(ReadBytes(dest / ArchiveFile), joined);
        EXPECT_TRUE(s.result == 0 || DecodedTotal == 500);
        EXPECT_TRUE(MemberList.empty());
        MemberTableSource.clear();
        MemberList.clear();
        ContinueFlag = 1;
    }
}

TEST(Gathering, PromptsForDisksAndJoinsTheParts)
{
    for (int disks : {1, 3})
        RunScenarios(disks);
    DiskCount = ProductDiskCount;
}

// A record stamped with values no distribution has stops the phase before
// anything is copied, with the failure message, though every part is there.
TEST(Gathering, RefusesAnUnusableStamp)
{
    const std::pair<int, std::int32_t> stamps[] = {{0, 1000}, {5, 1000}, {3, 0}};
    for (const auto& [disks, size] : stamps) {
        SCOPED_TRACE(std::to_string(disks) + " disks, " + std::to_string(size) + " bytes");
        DiskCount = disks;
        ArchiveSize = size;
        TempDir drive, dest;
        PrepareInstallState(dest.Path(), dest.Path(), false);
        SourceDir = drive.Path() + "\\";
        for (int k = 1; k <= 4; ++k)
            WriteBytes(drive / PartName(k), SampleBytes(100, k));
        PlaceSetup(drive, false);
        const INT_PTR result = WithUser(
            [] { return DialogBoxParamA(GetModuleHandleA(nullptr), "IProgress", nullptr, IProgressDialogProc, 0); },
            [](User& user) { user.Answer(user.WaitFor(Seen::Failure), IDOK); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(GetFileAttributesA((dest / ArchiveFile).c_str()), INVALID_FILE_ATTRIBUTES);
        MemberTableSource.clear();
        ContinueFlag = 1;
    }
    DiskCount = ProductDiskCount;
    ArchiveSize = ProductArchiveSize;
}

// The count runs on across the parts, past 2 GiB where 32 bits turn negative.
TEST(Gathering, CountsPast2GiB)
{
    TempDir dir;
    WriteBytes(dir / "part", SampleBytes(3000, 1));
    const FileHandle part = OpenForReading(dir / "part");
    const FileHandle archive = CreateForWriting(dir / "joined");
    std::int64_t copied = INT32_MAX - 1000;
    ContinueFlag = 1;
    EXPECT_EQ(AppendPart(part.Get(), archive.Get(), copied), CopyOutcome::Done);
    EXPECT_EQ(copied, INT32_MAX + 2000LL);
}

}  // namespace
