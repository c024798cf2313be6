// What a setup run leaves on the machine, read back by the tests: files,
// registry values and shortcuts; and the means to put them back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The directory of the running test executable, with a trailing backslash.
std::string OwnDirectory();
// The temporary directory of the tests (created), with a trailing backslash.
std::string TestTempRoot();
std::string InCapitals(std::string text);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
void CopyInto(const std::string& from, const std::string& to);
void MakeDirectory(const std::string& path);
void RemoveTree(const std::string& path);
// The names directly in a directory, without "." and "..".
std::vector<std::string> ListDirectory(const std::string& path);

// One registry string value. Remembers what was there and puts it back.
class RegistryValue {
public:
    RegistryValue(HKEY root, std::string key, std::string name);
    ~RegistryValue();  // restores the value found at construction
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

    bool Read(std::string& value) const;
    void Write(const std::string& value);
    void Remove();

private:
    HKEY root_;
    std::string key_;
    std::string name_;
    bool hadValue_ = false;
    DWORD type_ = REG_SZ;
    std::vector<BYTE> data_;
};

// The product's uninstall entry, HKLM\...\Uninstall\Glyphvane.
constexpr const char* UninstallKey = "Software\\microsoft\\windows\\currentversion\\uninstall\\Glyphvane";
void RemoveUninstallEntry();
bool ReadString(HKEY root, const std::string& key, const std::string& name, std::string& value);

// The user's Programs folder of the Start menu, as the registry names it.
std::string ProgramsFolder();
// The Windows help directory, with a trailing backslash.
std::string HelpDirectory();

struct Shortcut {
    std::string Target;
    std::string WorkingDirectory;
    int ShowCommand = 0;
};
// Loads a shell link file back through the shell's link object.
bool LoadShortcut(const std::string& path, Shortcut& shortcut);
