#include "util/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathJoin, PutsExactlyOneBackslashBeforeTheName) {
    const struct {
        const char *Directory, *Name, *Joined;
    } cases[] = {
        {"", "Glyphvan.001", "Glyphvan.001"},
        {"C:\\Program Files\\Glyphvane", "UnInstal.Exe", "C:\\Program Files\\Glyphvane\\UnInstal.Exe"},
        {"C:\\Glyphvane\\", "UnInstal.Exe", "C:\\Glyphvane\\UnInstal.Exe"},
        {"C:", "x.dat", "C:\\x.dat"},  // the root, not the drive's current directory
    };
    for (const auto& [directory, name, joined] : cases) {
        EXPECT_EQ(PathJoin(directory, name), joined) << directory << " + " << name;
        // Without the heap: in room for the path and its zero, not in one byte less.
        char fixed[64], cut[64];
        const std::size_t room = std::string(joined).size() + 1;
        EXPECT_TRUE(PathJoinInto(fixed, room, directory, name) && fixed == std::string(joined) &&
                    !PathJoinInto(cut, room - 1, directory, name) && cut[0] == '\0')
            << joined;
    }
}

TEST(DirPart, CutsBehindTheLastColonOrBackslash) {
    // A colon after the last backslash still counts as the cut.
    const std::pair<const char*, const char*> cases[] = {
        {"setup.exe", ""}, {"C:\\setup.exe", "C:\\"}, {"C:setup.exe", "C:"}, {"dir\\C:x", "dir\\C:"}};
    for (const auto& [path, directory] : cases) EXPECT_EQ(DirPart(path), directory) << path;
}

}  // namespace
