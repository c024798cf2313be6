#include <gtest/gtest.h>

#include "harness_win.h"
#include "util/dirs_win.h"

using namespace harness;

namespace {

// Short paths ask only whether the drive exists.
TEST(DirExists, TellsDirectoriesFromFilesAndNothing) {
    // A drive letter with nothing behind it in this prefix.
    char unused = 'Z';
    while (unused >= 'D' && (GetLogicalDrives() & (1u << (unused - 'A')))) --unused;
    ASSERT_GE(unused, 'D');
    TempDir dir;
    const std::pair<std::string, bool> cases[] = {
        {dir.Path(), true},
        {dir / "*.txt", true},  // the directory part, its trailing backslash dropped
        {dir / "nothing\\*.*", false},
        {dir.Path() + "\\\\", false},  // only one trailing backslash is dropped
        {"c:q", true},
        {"a:", GetDriveTypeA("A:\\") != DRIVE_NO_ROOT_DIR},  // the floppy drive of scripts/lib/wine.sh
        {std::string(1, unused) + ":", false},
        {"[:", false},
        {"*", false},
    };
    for (const auto& [path, exists] : cases) EXPECT_EQ(DirExists(path), exists) << path;
}

}  // namespace
