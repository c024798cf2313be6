// The small registry layer of the setup: keys opened with full access,
// string values read and written as ANSI text. Failures that a caller cannot
// go on from are raised, as ERegistryException with the layer's own words:
// the setup's report ends the run. Each raising call has a twin that
// returns the fault instead, for callers that go on without the value.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "util/fault.h"

// The error class that the report names for the layer's faults.
constexpr char RegistryErrorClass[] = "ERegistryException";

struct TRegKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
// Owns one open key; empty when the key could not be opened.
using TRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TRegKeyCloser>;

// Opens `path` under `parent`, creating it when missing; raises
// "Failed to create key <path>" when that fails.
TRegKey CreateRegKey(HKEY parent, const std::string& path);

// The same, for callers that carry on without the key: empty on failure.
TRegKey TryCreateRegKey(HKEY parent, const std::string& path);

// Opens an existing key; empty when it is missing or not fully accessible.
TRegKey OpenRegKey(HKEY parent, const std::string& path);

// Reads a REG_SZ or REG_EXPAND_SZ value (not expanded), cut at its first
// zero byte; a value without data reads as "" whatever its type. False
// when the value does not exist. Raises
// "Failed to get data for '<name>'" when it exists but cannot be read and
// "Invalid data type for '<name>'" when it holds anything but a string.
bool ReadRegString(HKEY key, const std::string& name, std::string& value);

// The same, giving what ReadRegString raises in `fault` (and false) instead.
bool TryReadRegString(HKEY key, const std::string& name, std::string& value, Fault& fault);

// Writes a REG_SZ value; raises "Failed to set data for '<name>'".
void WriteRegString(HKEY key, const std::string& name, const std::string& value);

// The same, returning what WriteRegString raises.
Fault TryWriteRegString(HKEY key, const std::string& name, const std::string& value);

// The words CreateRegKey raises.
Fault CreateKeyFault(const std::string& path);
