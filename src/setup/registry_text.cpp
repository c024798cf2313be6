#include "setup/registry_text.h"

std::string CreateKeyFailedText(const std::string& path) { return "Failed to create key " + path; }
std::string InvalidDataTypeText(const std::string& name) { return "Invalid data type for '" + name + "'"; }
std::string GetDataFailedText(const std::string& name) { return "Failed to get data for '" + name + "'"; }
std::string SetDataFailedText(const std::string& name) { return "Failed to set data for '" + name + "'"; }
