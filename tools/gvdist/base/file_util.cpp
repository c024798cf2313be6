#include "base/file_util.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "archive/crc32.h"
#include "base/errors.h"

namespace fs = std::filesystem;

namespace {

std::FILE* OpenDescriptor(int descriptor) {
#ifdef _WIN32
    return _fdopen(descriptor, "wb");
#else
    // mkstemp leaves the file to its owner alone; the files gvdist writes
    // get the permissions any new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    return fdopen(descriptor, "wb");
#endif
}

void CloseDescriptor(int descriptor) {
#ifdef _WIN32
    _close(descriptor);
#else
    close(descriptor);
#endif
}

}  // namespace

std::uint64_t RegularFileSize(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error) {
        throw DataError("cannot find " + path + ": " + error.message());
    }
    if (!fs::is_regular_file(status)) {
        throw DataError(path + (fs::is_directory(status) ? " is a folder" : " is not a regular file") +
                        " where a file is wanted");
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        throw DataError("cannot find the size of " + path + ": " + error.message());
    }
    return size;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t limit) {
    const std::uint64_t size = RegularFileSize(path);
    if (size > limit) {
        throw DataError(path + " holds " + std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
                        " it may hold");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw DataError("cannot open " + path);
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    char block[65536];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
        bytes.insert(bytes.end(), block, block + file.gcount());
        if (bytes.size() > limit) {
            throw DataError(path + " grew past " + std::to_string(limit) + " bytes while it was read");
        }
    }
    if (file.bad()) {
        throw DataError("cannot read " + path);
    }
    return bytes;
}

std::uint32_t FileCrc32(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw DataError("cannot open " + path);
    }
    std::uint32_t crc = 0;
    char block[65536];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
        crc = Crc32(reinterpret_cast<const std::uint8_t*>(block), static_cast<std::size_t>(file.gcount()), crc);
    }
    if (file.bad()) {
        throw DataError("cannot read " + path);
    }
    return crc;
}

bool SameFileBytes(const std::string& a, const std::string& b) {
    if (RegularFileSize(a) != RegularFileSize(b)) {
        return false;
    }
    std::ifstream fileA(a, std::ios::binary), fileB(b, std::ios::binary);
    if (!fileA || !fileB) {
        throw DataError("cannot open " + (fileA ? b : a));
    }
    char blockA[65536], blockB[sizeof blockA];
    while (fileA.read(blockA, sizeof blockA) || fileA.gcount() > 0) {
        const std::streamsize got = fileA.gcount();
        if (!fileB.read(blockB, got) || std::memcmp(blockA, blockB, static_cast<std::size_t>(got)) != 0) {
            return false;
        }
    }
    return !fileA.bad();
}

const char TemporaryFilePrefix[] = ".gvdist-temporary-";

std::string CreateTemporaryFile(const std::string& dir, std::FILE** file) {
    // mkstemp creates the file exclusively, so it never opens what a link
    // of that name points to.
    std::string name = (fs::path(dir.empty() ? "." : dir) / (std::string(TemporaryFilePrefix) + "XXXXXX")).string();
    const int descriptor = mkstemp(&name[0]);
    if (descriptor < 0) {
        throw DataError("cannot create a temporary file in " + (dir.empty() ? std::string(".") : dir) + ": " +
                        std::strerror(errno));
    }
    if (file == nullptr) {
        CloseDescriptor(descriptor);
        return name;
    }
    *file = OpenDescriptor(descriptor);
    if (*file == nullptr) {
        const int error = errno;
        CloseDescriptor(descriptor);
        std::remove(name.c_str());
        throw DataError("cannot open " + name + ": " + std::strerror(error));
    }
    return name;
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
    temporary_ = CreateTemporaryFile(fs::path(path_).parent_path().string(), &file_);
}

AtomicFile::~AtomicFile() { Discard(); }

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

void AtomicFile::Close() {
    if (file_ == nullptr) {
        throw DataError("internal: " + path_ + " closed twice");
    }
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) {
        throw DataError("cannot write " + temporary_ + ": " + std::strerror(errno));
    }
}

void AtomicFile::Commit() {
    Close();
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
