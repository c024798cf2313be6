// A set of files that take their places together: after Commit every path
// holds its new content (or is gone, when it was to be removed); when
// Commit throws, every path holds what it held before, and no temporary
// file is left behind.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/file_util.h"

class StagedFiles {
public:
    StagedFiles() = default;
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // A new file for `path`, written under a temporary name until Commit.
    // The reference stays valid while this object lives.
    AtomicFile& Add(const std::string& path);
    // A file or folder made complete at `ready`, on the same file system,
    // that Commit renames to `path`.
    void Place(const std::string& ready, const std::string& path);
    // `path` (a file or a folder) is gone after Commit; nothing happens
    // when it does not exist.
    void Remove(const std::string& path);
    // Throws DataError after putting every path back as it was.
    void Commit();

private:
    struct Entry {
        std::string Path;
        std::unique_ptr<AtomicFile> File;  // a new file, or
        std::string Ready;                 // something made elsewhere; neither for a removal
        std::string Backup;                // where the previous file waits
        bool MovedAside = false;
        bool Placed = false;
    };
    void RollBack(std::string& problem) noexcept;

    std::vector<Entry> entries_;
    bool committed_ = false;
};
