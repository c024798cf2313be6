#include "archive/extract_win.h"

#include <cstdint>
#include <vector>

#include "archive/file_handle_win.h"
#include "archive/member_list_win.h"
#include "archive/naming.h"
#include "setup/globals.h"
#include "setup/message_text.h"
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

// A member's file, asking the user when it cannot be made: a folder or a
// read-only file at its name must not pass in silence for an installed file.
CopyOutcome CreateMemberFile(const MemberEntry& member, FileHandle& target, std::string& path) {
    for (;;) {
        path = MemberTarget(member);
        target = CreateForWriting(path);
        if (!target) target = CreateForWriting(path = PathJoin(DestDir, member.Name));
        if (target) return CopyOutcome::Done;
        const std::string text = FillIn(MemberUnwritableText, {path.c_str()});
        switch (MessageBoxA(nullptr, text.c_str(), ProductName, MB_ABORTRETRYIGNORE | MB_ICONSTOP)) {
        case IDRETRY: continue;
        case IDIGNORE: path.clear(); return CopyOutcome::Done;
        default: return CopyOutcome::Cancelled;
        }
    }
}

// `written` gains the path of the member's file once it is made.
CopyOutcome ExtractMember(HANDLE program, const MemberEntry& member, std::vector<std::string>& written) {
    if (!SeekTo(program, member.Offset)) return CopyOutcome::Failed;
    if (IsKeptOnReinstall(member.Name) && FileExists(PathJoin(DestDir, member.Name))) return CopyOutcome::Done;

    FileHandle target;
    std::string path;
    const CopyOutcome created = CreateMemberFile(member, target, path);
    if (!target) return created;
    written.push_back(path);
    return CopyBytes(program, target.Get(), member.Size) ? CopyOutcome::Done : CopyOutcome::Failed;
}

}  // namespace

std::string MemberTarget(const MemberEntry& member) {
    if (IsHelpFile(member.Name)) return PathJoin(PathJoin(WindowsDir, "Help"), member.Name);
    return PathJoin(DestDir, member.Name);
}

CopyOutcome ExtractMembers() {
    const FileHandle program = OpenForReading(PathJoin(DestDir, ProgramFile));
    if (!program) return CopyOutcome::Failed;
    std::vector<std::string> written;
    CopyOutcome outcome = CopyOutcome::Done;
    for (auto member = MemberList.begin(); member != MemberList.end() && outcome == CopyOutcome::Done; ++member) {
        outcome = ExtractMember(program.Get(), *member, written);
    }
    // A stop leaves nothing of this run behind, as a cancel does.
    for (const std::string& path : written) {
        if (outcome != CopyOutcome::Done) DeleteFileA(path.c_str());
    }
    return outcome;
}

bool TruncateProgramFile() {
    const FileHandle program = OpenForUpdate(PathJoin(DestDir, ProgramFile));
    if (!program) return false;
    // Without members the program is the whole stream; the cut still drops
    // what an older, longer program file left behind it and the part of
    // the last match that ran past the stream's end.
    return SeekTo(program.Get(), ProgramLength(MemberList, DecodedTotal)) && SetEndOfFile(program.Get());
}
