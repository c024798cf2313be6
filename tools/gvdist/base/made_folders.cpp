#include "base/made_folders.h"

#include <system_error>

#include "base/errors.h"

namespace fs = std::filesystem;

MadeFolders::~MadeFolders() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
        std::error_code ignored;
        fs::remove_all(*it, ignored);
    }
}

void MadeFolders::Make(const std::string& path) {
    fs::path missing;
    for (fs::path at = fs::absolute(path); !at.empty() && !fs::exists(at); at = at.parent_path()) {
        missing = at;
        if (at == at.parent_path()) break;
    }
    std::error_code error;
    fs::create_directories(path, error);
    if (error) {
        throw DataError("cannot create " + path + ": " + error.message());
    }
    if (!missing.empty()) {
        made_.push_back(missing);
    }
}
