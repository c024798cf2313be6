#include "system_state_win.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <iterator>

std::string OwnDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.find_last_of('\\') + 1);
}

std::string TestTempRoot() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    std::string root = std::string(path) + "gv-e2e\\";
    CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

std::string InCapitals(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void CopyInto(const std::string& from, const std::string& to) {
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE))
        << from << " -> " << to << ": error " << GetLastError();
}

void MakeDirectory(const std::string& path) {
    if (DirectoryExists(path)) return;
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path << ": error " << GetLastError();
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveTree(const std::string& path) {
    if (!DirectoryExists(path)) {
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string& name : ListDirectory(path)) {
        std::string child = path + "\\" + name;
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveTree(child);
    }
    RemoveDirectoryA(path.c_str());
}

bool ReadString(HKEY root, const std::string& key, const std::string& name, std::string& value) {
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = 0;
    LONG status = RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    value = data;
    return true;
}

RegistryValue::RegistryValue(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
    HKEY handle;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExA(handle, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        hadValue_ = RegQueryValueExA(handle, name_.c_str(), nullptr, &type_, data_.data(), &size) ==
                    ERROR_SUCCESS;
    }
    RegCloseKey(handle);
}

RegistryValue::~RegistryValue() {
    if (!hadValue_) {
        Remove();
        return;
    }
    HKEY handle;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    RegCloseKey(handle);
}

bool RegistryValue::Read(std::string& value) const { return ReadString(root_, key_, name_, value); }

void RegistryValue::Write(const std::string& value) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS)
        << key_;
    RegSetValueExA(handle, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}

void RegistryValue::Remove() {
    HKEY handle;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueA(handle, name_.c_str());
    RegCloseKey(handle);
}

void RemoveUninstallEntry() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey); }

std::string ProgramsFolder() {
    std::string folder;
    ReadString(HKEY_CURRENT_USER,
               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs",
               folder);
    return folder;
}

std::string HelpDirectory() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Help\\";
}

bool LoadShortcut(const std::string& path, Shortcut& shortcut) {
    CoInitialize(nullptr);  // once per thread is enough; later calls only count
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool loaded = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = {};
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            shortcut.Target = text;
            text[0] = 0;
            link->GetWorkingDirectory(text, MAX_PATH);
            shortcut.WorkingDirectory = text;
            link->GetShowCmd(&shortcut.ShowCommand);
            loaded = true;
        }
        file->Release();
    }
    link->Release();
    return loaded;
}
