#include "base/staged_files.h"

#include <filesystem>
#include <system_error>

#include "base/errors.h"

namespace fs = std::filesystem;

namespace {

// True for anything under `path`, a link too (not what it points to).
// Throws when a folder is there that a file would replace: what it holds
// is not ours to throw away.
bool Occupied(const std::string& path, bool byFile) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (byFile && fs::is_directory(status)) {
        throw DataError("cannot replace the folder " + path + " with a file");
    }
    return fs::exists(status);
}

}  // namespace

StagedFiles::~StagedFiles() {
    if (!committed_) {
        std::string ignored;
        RollBack(ignored);
    }
}

AtomicFile& StagedFiles::Add(const std::string& path) {
    entries_.push_back(Entry{path, std::make_unique<AtomicFile>(path), "", "", false, false});
    return *entries_.back().File;
}

void StagedFiles::Place(const std::string& ready, const std::string& path) {
    entries_.push_back(Entry{path, nullptr, ready, "", false, false});
}

void StagedFiles::Remove(const std::string& path) { entries_.push_back(Entry{path, nullptr, "", "", false, false}); }

void StagedFiles::Commit() {
    // Every new file is complete on disk before the first one moves.
    for (Entry& entry : entries_) {
        if (entry.File) {
            entry.File->Close();
        }
    }
    std::string problem;
    try {
        for (Entry& entry : entries_) {
            std::error_code error;
            const bool byFile = entry.File || (!entry.Ready.empty() && !fs::is_directory(entry.Ready, error));
            if (Occupied(entry.Path, byFile)) {
                // The previous file or folder waits under a fresh name of
                // our own, reserved in the same folder and freed for it.
                entry.Backup = CreateTemporaryFile(fs::path(entry.Path).parent_path().string());
                fs::remove(entry.Backup, error);
                fs::rename(entry.Path, entry.Backup, error);
                if (error) {
                    throw DataError("cannot replace " + entry.Path + ": " + error.message());
                }
                entry.MovedAside = true;
            }
            const std::string from = entry.File ? entry.File->Temporary() : entry.Ready;
            if (!from.empty()) {
                fs::rename(from, entry.Path, error);
                if (error) {
                    throw DataError("cannot rename " + from + " to " + entry.Path + ": " + error.message());
                }
                if (entry.File) {
                    entry.File->Placed();
                }
                entry.Placed = true;
            }
        }
    } catch (const DataError& error) {
        problem = error.what();
        RollBack(problem);
        throw DataError(problem);
    }
    committed_ = true;
    for (Entry& entry : entries_) {
        std::error_code ignored;
        if (!entry.Backup.empty()) {
            fs::remove_all(entry.Backup, ignored);
        }
    }
}

// Undoes the commit from the last step back; what cannot be undone is
// added to `problem`, so the user knows which file to look after.
void StagedFiles::RollBack(std::string& problem) noexcept {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        std::error_code error;
        if (it->Placed) {
            fs::remove_all(it->Path, error);
            it->Placed = false;
        }
        if (it->MovedAside) {
            fs::rename(it->Backup, it->Path, error);
            if (error) {
                problem += "; the previous " + it->Path + " is kept as " + it->Backup;
                continue;
            }
            it->MovedAside = false;
        } else if (!it->Backup.empty()) {
            fs::remove(it->Backup, error);
        }
        it->Backup.clear();
        it->File.reset();  // removes its temporary file unless placed
    }
}
