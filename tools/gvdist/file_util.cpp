#include "file_util.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "errors.h"

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw DataError("cannot open " + path);
    }
    std::vector<std::uint8_t> bytes;
    char block[65536];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
        bytes.insert(bytes.end(), block, block + file.gcount());
    }
    if (file.bad()) {
        throw DataError("cannot read " + path);
    }
    return bytes;
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)), temporary_(path_ + ".gvdist-part") {
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (file_ == nullptr) {
        throw DataError("cannot create " + temporary_ + ": " + std::strerror(errno));
    }
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : path_(std::move(other.path_)), temporary_(std::move(other.temporary_)), file_(other.file_) {
    other.file_ = nullptr;
    other.temporary_.clear();
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() noexcept {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
        temporary_.clear();
    }
}

void AtomicFile::Write(const std::uint8_t* data, std::size_t size) {
    if (file_ == nullptr) {
        throw DataError("internal: write to " + path_ + " after it was closed");
    }
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
        throw DataError("cannot write " + temporary_ + ": " + std::strerror(errno));
    }
}

void AtomicFile::Write(const std::string& text) {
    Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void AtomicFile::Commit() {
    if (file_ == nullptr) {
        throw DataError("internal: " + path_ + " committed twice");
    }
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) {
        throw DataError("cannot write " + temporary_ + ": " + std::strerror(errno));
    }
    std::error_code error;
    fs::rename(temporary_, path_, error);
    if (error) {
        throw DataError("cannot rename " + temporary_ + " to " + path_ + ": " + error.message());
    }
    temporary_.clear();
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& data) {
    AtomicFile file(path);
    file.Write(data);
    file.Commit();
}

std::string BaseName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
