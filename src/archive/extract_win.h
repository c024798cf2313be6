// Cutting the product's files out of the decoded program file. Works on
// plain files: DestDir, WindowsDir and MemberList say what goes where.
#pragma once

#include <string>

#include "archive/member_table.h"

enum class CopyOutcome { Done, Cancelled, Failed, ProgramFileUnwritable };

// Where a member goes: help files into the "Help" directory under the
// Windows directory, everything else into DestDir.
std::string MemberTarget(const MemberEntry& member);

// Copies every member of MemberList out of ProgramFile in DestDir, in table
// order. An existing .LIB or .DTP file of a member's name in DestDir is
// kept; a help file whose directory cannot take it goes to DestDir. When a
// member's file cannot be created at all, the user chooses: Abort
// (Cancelled), Retry, or Ignore, which leaves the member out. Failed when
// the program file cannot be opened, holds less than a member needs, or a
// member's file cannot be written in full. After Cancelled or Failed the
// members this call wrote are deleted again.
CopyOutcome ExtractMembers();

// Cuts ProgramFile in DestDir back to the program's own length: the first
// member's offset, or DecodedTotal for an empty MemberList.
bool TruncateProgramFile();
