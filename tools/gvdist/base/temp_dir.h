// A folder of gvdist's own for files on their way somewhere else, removed
// with everything in it when the object goes.
#pragma once

#include <string>

class TempDir {
public:
    // A new, empty folder in `parent` named `prefix` plus a unique tail. It
    // is created by gvdist itself, so no link or older file lies inside.
    TempDir(const std::string& parent, const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
