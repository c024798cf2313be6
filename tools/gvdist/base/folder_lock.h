// One gvdist at a time writes a folder: two packs into one folder at once
// would leave the parts of one beside the setup.exe of the other.
#pragma once

#include <string>

extern const char FolderLockName[];  // ".gvdist-lock"

class FolderLock {
public:
    // Holds `dir` through the lock file FolderLockName in it. Throws
    // DataError naming the folder when another process holds it.
    explicit FolderLock(const std::string& dir);
    // Removes the lock file: it is no part of what was written.
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::string path_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int descriptor_ = -1;
#endif
};

// "... is being written by another gvdist"
std::string FolderBusyText(const std::string& dir);
