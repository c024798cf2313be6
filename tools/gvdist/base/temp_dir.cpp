#include "base/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "base/errors.h"

namespace fs = std::filesystem;

TempDir::TempDir(const std::string& parent, const std::string& prefix) {
    std::error_code error;
    auto tail = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    // create_directory reports an existing name, link or not, as not created.
    for (int attempt = 0; attempt < 100; ++attempt, tail = tail * 6364136223846793005ull + 1) {
        const fs::path candidate = fs::path(parent) / (prefix + std::to_string(tail % 1000000000ull));
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
        if (error && error != std::errc::file_exists) {
            break;
        }
    }
    throw DataError("cannot create a temporary folder in " + parent + (error ? ": " + error.message() : ""));
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}
