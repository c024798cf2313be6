#include "archive/member_list_win.h"

#include <windows.h>

#include "archive/file_handle_win.h"
#include "util/module_path_win.h"

std::vector<MemberEntry> MemberList;
std::int32_t DecodedTotal = 0;
std::string MemberTableSource;

namespace {

bool MemberTableLoaded = false;

// The table at the end of `path`, read through the system: the setup
// carries no C++ streams.
Fault ReadOwnMemberTable(const std::string& path, MemberTable& table) {
    const FileHandle file = OpenForReading(path);
    if (!file) return "cannot open " + path;
    const long long fileSize = FileSizeOf(file.Get());
    if (fileSize < 0) return "cannot find the size of " + path;
    std::vector<std::uint8_t> tail(MemberTableTailSize(static_cast<std::uint64_t>(fileSize)));
    const DWORD wanted = static_cast<DWORD>(tail.size());
    DWORD read = 0;
    if (SetFilePointer(file.Get(), -static_cast<LONG>(wanted), nullptr, FILE_END) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file.Get(), tail.data(), wanted, &read, nullptr) || read != wanted)
        return "cannot read the end of " + path;
    return ParseMemberTable(tail.data(), tail.size(), static_cast<std::uint64_t>(fileSize), table);
}

}  // namespace

Fault LoadMemberTable() {
    const std::string path = MemberTableSource.empty() ? ModulePath() : MemberTableSource;
    MemberTable table;
    Fault problem = ReadOwnMemberTable(path, table);
    if (problem) {
        MemberList.clear();
        DecodedTotal = 0;
        MemberTableLoaded = false;
        return problem;
    }
    MemberList = std::move(table.Members);
    DecodedTotal = table.DecodedTotal;
    MemberTableLoaded = true;
    return {};
}

Fault CheckLoadedMembers() {
    if (!MemberTableLoaded) return "no member table has been loaded";
    MemberTable table;
    table.Members = MemberList;
    table.DecodedTotal = DecodedTotal;
    return ValidateMemberTable(table);
}

void ReleaseMemberList() {
    MemberList.clear();
    MemberTableLoaded = false;
}
