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

// Short paths ask only whether the drive exists.
TEST(DirExists, TellsDirectoriesFromFilesAndNothing)
{
    ASSERT_NE(UnusedDrive(), 0);
    TempDir dir;
    WriteBytes(dir / "file.txt", {'x'});
    const std::string unused(1, UnusedDrive());
    const std::pair<std::string, bool> cases[] = {
        {dir.Path(), true},
        {dir.Path() + "\\", true},
        {dir / "*.txt", true},
        {dir / "nothing\\*.*", false},
        {dir / "file.txt", false},
        {dir / "missing", false},
        {dir.Path() + "\\\\", false},  // only one trailing backslash is dropped
        {"c:", true},
        {"c:q", true},
        {"a:", GetDriveTypeA("A:\\") != DRIVE_NO_ROOT_DIR},  // the floppy drive of scripts/lib/wine.sh
        {unused + ":", false},
        {"[:", false},
        {"*", false},
    };
    for (const auto& [path, exists] : cases)
        EXPECT_EQ(DirExists(path), exists) << path;
}

}  // namespace
