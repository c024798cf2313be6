#include "archive/gather_win.h"

#include <gtest/gtest.h>

#include "archive/file_handle_win.h"
#include "harness_win.h"
#include "setup/globals.h"

using namespace harness;

namespace {

// The gathering dialog over a drive that holds every part it needs, or
// refusing at once; the walks answer its disk prompts. The stamp's limits
// are gvdist's too: its tests refuse the rest of them.
struct Gather {
    const char* what;
    int disks;
    std::vector<int> present;  // the parts on the drive
    const MemberTable& table;
    int joined;                // parts the archive holds; -1: no archive made
};

TEST(Gathering, JoinsTheRecordedPartsOrRefusesWithTheMessage)
{
    // The member tables of a 500-byte program, the second with an entry that climbs out.
    const MemberTable table{{}, 500}, hostile{{{"..\\..\\boot.ini", 0, 10}}, 500};
    const Gather cases[] = {
        {"one disk: its part only", 1, {1, 2, 3, 4}, table, 1},
        {"first part missing", 3, {2, 3}, table, 0},
        {"hostile member table", 3, {1, 2, 3}, hostile, -1},
        {"no disks recorded", 0, {1, 2, 3, 4}, table, -1},
    };
    for (const Gather& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir drive, dest;
        PrepareInstallState(dest.Path(), dest.Path(), false);
        SourceDir = drive.Path() + "\\";
        DiskCount = c.disks;
        Bytes joined;
        for (int k : c.present) {
            const Bytes part = SampleBytes(1000 * k + 2047, k);
            WriteBytes(drive / PartName(k), part);
            if (k <= c.joined) joined.insert(joined.end(), part.begin(), part.end());
        }
        PlaceSetupFile(drive / "setup.bin", c.table);

        const bool refused = c.joined < 1;
        const INT_PTR result = WithUser(
            [] { return DialogBoxParamA(GetModuleHandleA(nullptr), "IProgress", nullptr, IProgressDialogProc, 0); },
            [&](User& user) {
                if (refused) user.Answer(user.WaitFor(Seen::Failure), IDOK);
            });
        EXPECT_EQ(result, refused ? 0 : 1);
        EXPECT_EQ(harness::FileExists(dest / ArchiveFile), c.joined >= 0);
        EXPECT_EQ(ReadBytes(dest / ArchiveFile), joined);
    }
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
