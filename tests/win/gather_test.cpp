#include "archive/gather_win.h"

#include <gtest/gtest.h>

#include "archive/file_handle_win.h"
#include "harness_win.h"
#include "setup/globals.h"

using namespace harness;

namespace {

// The gathering dialog refusing at once, or when the first part is not on
// the drive; the walks gather from several disks. The stamp's limits are
// gvdist's too: its tests refuse the rest of them.
struct Gather {
    const char* what;
    int disks;
    std::vector<int> present;  // the parts on the drive
    bool archiveMade;          // and left empty
};

TEST(Gathering, RefusesWithTheMessage) {
    // The member table of a 500-byte program. The stop walk shows the table
    // refused before anything is written.
    const MemberTable table{{}, 500};
    const Gather cases[] = {
        // Read and write failures stop the copy with a message.
        {"first part missing", 3, {2, 3}, true},
        // The disk count and archive size are stamped.
        {"no disks recorded", 0, {1, 2, 3, 4}, false},
    };
    for (const Gather& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir drive, dest;
        PrepareInstallState(dest.Path(), dest.Path(), false);
        SourceDir = drive.Path() + "\\";
        DiskCount = c.disks;
        for (int k : c.present) WriteBytes(drive / PartName(k), SampleBytes(1000 * k + 2047, k));
        PlaceSetupFile(drive / "setup.bin", table);

        const INT_PTR result = WithUser(
            [] { return DialogBoxParamA(GetModuleHandleA(nullptr), "IProgress", nullptr, IProgressDialogProc, 0); },
            [](User& user) { user.Answer(user.WaitFor(Seen::Failure), IDOK); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(harness::FileExists(dest / ArchiveFile), c.archiveMade);
        EXPECT_EQ(ReadBytes(dest / ArchiveFile), Bytes());
    }
}

// The gathering counts in 64 bits: the count runs on across the parts, past
// 2 GiB where 32 bits turn negative.
TEST(Gathering, CountsPast2GiB) {
    TempDir dir;
    WriteBytes(dir / "part", SampleBytes(3000, 1));
    const FileHandle part = OpenForReading(dir / "part");
    const FileHandle archive = CreateForWriting(dir / "joined");
    std::int64_t copied = INT32_MAX - 1000;
    ContinueFlag = 1;
    std::uint32_t crc = 0;
    EXPECT_EQ(AppendPart(part.Get(), archive.Get(), copied, crc), CopyOutcome::Done);
    EXPECT_EQ(copied, INT32_MAX + 2000LL);
}

}  // namespace
