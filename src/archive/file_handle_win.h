// One owner per open file: closed when the owner goes, on every path out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include <windows.h>

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    void Close() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// Create or replace, reading and writing, others may read.
FileHandle CreateForWriting(const std::string& path);
// Existing file, reading only, others may read and write.
FileHandle OpenForReading(const std::string& path);
// Existing file, reading and writing, no sharing.
FileHandle OpenForUpdate(const std::string& path);

// A file (not a directory) of that name exists.
bool FileExists(const std::string& path);

// The file's size, or -1 when it cannot be told.
long long FileSizeOf(HANDLE file);

// Moves the file position to `offset` from the start; false when it cannot.
bool SeekTo(HANDLE file, std::int32_t offset);

// Writes all `size` bytes; false when the write fails or falls short.
bool WriteAll(HANDLE file, const void* data, DWORD size);
