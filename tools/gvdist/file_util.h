// Whole-file reading and all-or-nothing writing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// A file written under a temporary name in its final directory and renamed
// into place by Commit, so that no reader ever sees a half-written file
// under the final name. Without Commit the temporary file is removed.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;

    void Write(const std::uint8_t* data, std::size_t size);
    void Write(const std::vector<std::uint8_t>& data) { Write(data.data(), data.size()); }
    void Write(const std::string& text);
    void Commit();
    const std::string& Path() const { return path_; }

private:
    void Discard() noexcept;

    std::string path_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

// Writes `data` to `path` through an AtomicFile.
void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& data);

// The last component of a path written with '/' or '\'.
std::string BaseName(const std::string& path);
