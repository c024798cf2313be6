// Whole-file reading and all-or-nothing writing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The size of `path`, found without opening it, which must be a regular
// file: a FIFO would block the reading and a device might never end it.
// Throws DataError for anything else.
std::uint64_t RegularFileSize(const std::string& path);

// The bytes of the regular file `path`, refused before it is opened when it
// holds more than `limit` bytes, and read no further than that when it grows.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t limit = INT32_MAX);

// The CRC-32 of the file `path`, read a block at a time.
std::uint32_t FileCrc32(const std::string& path);

// Whether the regular files `a` and `b` hold the same bytes, read a block at a time.
bool SameFileBytes(const std::string& a, const std::string& b);

// What the names of CreateTemporaryFile's files start with.
extern const char TemporaryFilePrefix[];  // ".gvdist-temporary-"

// A new, empty file in `dir` under a name of its own, created exclusively
// (an existing file or link of that name is never opened). The name is
// longer than a member name may be, so no file of a distribution has it.
// Returns the path; `file` gets the file open for writing when given.
std::string CreateTemporaryFile(const std::string& dir, std::FILE** file = nullptr);

// A file written under a temporary name in its final directory and renamed
// into place by Commit, so that no reader ever sees a half-written file
// under the final name, and a file or link already there is replaced, never
// written through. Without Commit the temporary file is removed.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(const std::uint8_t* data, std::size_t size);
    void Write(const std::vector<std::uint8_t>& data) { Write(data.data(), data.size()); }
    void Write(const std::string& text);
    void Commit();
    const std::string& Path() const { return path_; }

    // For StagedFiles: Close writes everything out and closes the temporary
    // file, which then lies complete under Temporary(); Placed tells this
    // object that it has been renamed and must not be removed.
    void Close();
    const std::string& Temporary() const { return temporary_; }
    void Placed() noexcept { temporary_.clear(); }

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
