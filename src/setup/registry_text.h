// The registry layer's faults in the words the error report shows.
#pragma once

#include <string>

std::string CreateKeyFailedText(const std::string& path);  // "Failed to create key <path>"
std::string InvalidDataTypeText(const std::string& name);  // "Invalid data type for '<name>'"
std::string GetDataFailedText(const std::string& name);    // "Failed to get data for '<name>'"
std::string SetDataFailedText(const std::string& name);    // "Failed to set data for '<name>'"
