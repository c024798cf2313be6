// Where the setup puts what it unpacks and what the archive parts are called.
// Names are ANSI byte strings; a backslash is the only directory separator.
#pragma once

#include <string>

// The part of `name` from its last '.' to the end, dot included, provided
// no '\' or ':' follows that dot; "" when there is none.
std::string ExtensionOf(const std::string& name);

// Upper-cases the letters a to z only.
std::string UpperAscii(std::string text);

// An existing file of such a name (".LIB", ".DTP") is never overwritten.
bool IsKeptOnReinstall(const std::string& name);

// Help files (".HLP", in any case) go to the Windows help directory.
bool IsHelpFile(const std::string& name);

// A name a FAT directory holds as it is (8.3): 1 to 8 characters, then
// optionally a dot and 1 to 3 more, none of them a dot, a space or one of
// + , ; = [ ]. Case does not count. Any other name gets a short alias.
bool IsShortName(const std::string& name);

// A short name of the form Windows gives a long name as its alias: the
// base ends in '~' and digits ("LONGFI~1.TXT").
bool HasAliasForm(const std::string& name);

// Cuts `name` at its extension's dot (if any) and appends `extension`.
std::string ReplaceExtension(const std::string& name, const std::string& extension);

// The name of archive part `k` (1 to 4): `firstPart` itself for 1, else
// `firstPart` with the extension ".002", ".003" or ".004". Any other `k`
// gives "", the name of no file.
std::string PartFileName(const std::string& firstPart, int k);
