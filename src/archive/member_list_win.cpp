#include "archive/member_list_win.h"

#include <windows.h>

std::vector<MemberEntry> MemberList;
std::int32_t DecodedTotal = 0;
std::string MemberTableSource;

namespace {

bool MemberTableLoaded = false;

std::string OwnFilePath()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

}  // namespace

std::string LoadMemberTable()
{
    const std::string path = MemberTableSource.empty() ? OwnFilePath() : MemberTableSource;
    MemberTable table;
    std::string problem = ReadMemberTableFile(path, table);
    if (!problem.empty()) {
        MemberList.clear();
        DecodedTotal = 0;
        MemberTableLoaded = false;
        return problem;
    }
    MemberList = std::move(table.Members);
    DecodedTotal = table.DecodedTotal;
    MemberTableLoaded = true;
    return std::string();
}

std::string CheckLoadedMembers()
{
    if (!MemberTableLoaded)
        return "no member table has been loaded";
    MemberTable table;
    table.Members = MemberList;
    table.DecodedTotal = DecodedTotal;
    return ValidateMemberTable(table);
}

void ReleaseMemberList()
{
    MemberList.clear();
    MemberTableLoaded = false;
}
