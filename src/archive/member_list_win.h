// The product's files as the member table appended to the setup program
// lists them, loaded once by the gathering phase for the unpacking phase.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/member_table.h"

extern std::vector<MemberEntry> MemberList;
extern std::int32_t DecodedTotal;  // length of the decoded stream

// The file whose end holds the member table; empty means this program's
// own file. Test and demo programs point it at a built setup.exe.
extern std::string MemberTableSource;

// Reads and checks the member table, replacing MemberList and DecodedTotal.
// After a fault MemberList is empty and DecodedTotal 0, so nothing can be
// unpacked from it.
Fault LoadMemberTable();

// Checks MemberList and DecodedTotal as they stand.
Fault CheckLoadedMembers();

// Empties MemberList once the unpacking is done with it.
void ReleaseMemberList();
