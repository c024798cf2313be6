// The folders a command makes on its way, removed again unless it went
// through: a refused or interrupted run leaves no trace.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class MadeFolders {
public:
    MadeFolders() = default;
    ~MadeFolders();
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;

    // Makes `path` and any folder missing above it; throws DataError.
    void Make(const std::string& path);
    // What was made stays.
    void Keep() { made_.clear(); }

private:
    std::vector<std::filesystem::path> made_;
};
