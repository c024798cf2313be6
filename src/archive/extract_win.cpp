#include "archive/extract_win.h"

#include <cstdint>
#include <vector>

#include "archive/file_handle_win.h"
#include "archive/member_list_win.h"
#include "archive/naming.h"
#include "setup/globals.h"
#include "util/paths.h"

namespace {

constexpr DWORD CopyBlockSize = 2048;

// Copies `size` bytes from the current position of `from`; false when the
// source runs short or a write fails.
bool CopyBytes(HANDLE from, HANDLE to, std::int32_t size) {
    std::vector<std::uint8_t> block(CopyBlockSize);
    std::int32_t copied = 0;
    while (copied < size) {
        const DWORD wanted =
            static_cast<DWORD>(size - copied) < CopyBlockSize ? static_cast<DWORD>(size - copied) : CopyBlockSize;
        DWORD read = 0;
        if (!ReadFile(from, block.data(), wanted, &read, nullptr) || read != wanted) return false;
        if (!WriteAll(to, block.data(), read)) return false;
        copied += static_cast<std::int32_t>(read);
    }
    return true;
}

bool ExtractMember(HANDLE program, const MemberEntry& member) {
    if (!SeekTo(program, member.Offset)) return false;

    const std::string inDestination = PathJoin(DestDir, member.Name);
    if (IsKeptOnReinstall(member.Name) && FileExists(inDestination)) return true;

    FileHandle target = CreateForWriting(MemberTarget(member));
    if (!target) target = CreateForWriting(inDestination);
    if (!target) return true;  // a file that cannot be made is left out, as before
    return CopyBytes(program, target.Get(), member.Size);
}

}  // namespace

std::string MemberTarget(const MemberEntry& member) {
    if (IsHelpFile(member.Name)) return PathJoin(PathJoin(WindowsDir, "Help"), member.Name);
    return PathJoin(DestDir, member.Name);
}

bool ExtractMembers() {
    const FileHandle program = OpenForReading(PathJoin(DestDir, ProgramFile));
    if (!program) return false;
    for (const MemberEntry& member : MemberList) {
        if (!ExtractMember(program.Get(), member)) return false;
    }
    return true;
}

bool TruncateProgramFile() {
    const FileHandle program = OpenForUpdate(PathJoin(DestDir, ProgramFile));
    if (!program) return false;
    // Without members the program is the whole stream; the cut still drops
    // what an older, longer program file left behind it and the part of
    // the last match that ran past the stream's end.
    return SeekTo(program.Get(), ProgramLength(MemberList, DecodedTotal)) && SetEndOfFile(program.Get());
}
