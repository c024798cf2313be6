// The rules of the destination question that need no window: the default
// it proposes and the form an answer must have.
#pragma once

#include <string>

// Used when the system's program-files directory cannot be read.
extern const char FallbackProgramFilesDir[];

// A stored preferred destination is proposed exactly as stored; without one
// the product gets its own directory under the program-files directory.
std::string DefaultDestination(const std::string& preferred, const std::string& programFilesDir);

// A drive letter in upper case, a colon, and no wildcard anywhere: a
// pattern would name no single directory to install into.
bool DestinationFormValid(const std::string& text);
