#include <gtest/gtest.h>

#include "harness_win.h"
#include "util/dirs_win.h"

using namespace harness;

namespace {

// A drive letter with nothing behind it in this prefix.
char UnusedDrive()
{
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter >= 'D'; --letter)
        if (!(drives & (1u << (letter - 'A'))))
            return letter;
    return 0;
}

TEST(DriveValid, AcceptsExistingDrivesInEitherCaseOnly)
{
    EXPECT_TRUE(DriveValid('C'));
    EXPECT_TRUE(DriveValid('c'));
    ASSERT_NE(UnusedDrive(), 0);
    for (char other : {UnusedDrive(), '1', ':', '\0', '['})
        EXPECT_FALSE(DriveValid(other)) << static_cast<int>(other);
}

// A floppy-type drive A: is a drive for the destination like a fixed one.
TEST(DriveValid, AcceptsARemovableDrive)
{
    if (GetDriveTypeA("A:\\") != DRIVE_REMOVABLE)
        GTEST_SKIP() << "this prefix has no floppy drive A:";
    EXPECT_TRUE(DriveValid('a'));
    EXPECT_TRUE(DirExists("A:\\"));
}

TEST(DirExists, TellsDirectoriesFromFilesAndNothing)
{
    TempDir dir;
    CreateDirectoryA((dir / "sub").c_str(), nullptr);
    WriteBytes(dir / "file.txt", {'x'});
    const std::string unused(1, UnusedDrive());
    const std::pair<std::string, bool> cases[] = {
        {dir.Path(), true},
        {dir.Path() + "\\", true},
        {dir / "sub\\*.*", true},
        {dir / "nothing\\*.*", false},
        {dir / "file.txt", false},
        {dir / "missing", false},
        {dir.Path() + "\\\\", false},  // only one trailing backslash is dropped
        {"c:", true},
        {"c:\\", true},
        {"c:q", true},  // three characters ask only the drive
        {unused + ":", false},
        {unused + ":\\windows", false},
        {"", false},
        {"*", false},
    };
    for (const auto& [path, exists] : cases)
        EXPECT_EQ(DirExists(path), exists) << path;
}

}  // namespace
