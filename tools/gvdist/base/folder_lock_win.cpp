#include <windows.h>

#include <filesystem>

#include "base/errors.h"
#include "base/folder_lock.h"

namespace fs = std::filesystem;

// Opened by one process at a time (no sharing), and gone when closed.
FolderLock::FolderLock(const std::string& dir) : path_((fs::path(dir) / FolderLockName).string()) {
    const HANDLE handle = CreateFileW(fs::path(path_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw DataError(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED
                            ? FolderBusyText(dir)
                            : "cannot create the lock file " + path_ + ": error " + std::to_string(error));
    }
    handle_ = handle;
}

FolderLock::~FolderLock() { CloseHandle(static_cast<HANDLE>(handle_)); }
