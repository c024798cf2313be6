#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/errors.h"
#include "base/folder_lock.h"

namespace fs = std::filesystem;

FolderLock::FolderLock(const std::string& dir) : path_((fs::path(dir) / FolderLockName).string()) {
    for (;;) {
        const int descriptor = open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor < 0 && (errno == ELOOP || errno == EISDIR)) {
            throw DataError(path_ + " is a link or a folder where gvdist keeps its lock file; remove it to pack into " +
                            dir);
        }
        if (descriptor < 0) {
            throw DataError("cannot create the lock file " + path_ + ": " + std::strerror(errno));
        }
        if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(descriptor);
            throw DataError(error == EWOULDBLOCK ? FolderBusyText(dir)
                                                 : "cannot lock " + path_ + ": " + std::strerror(error));
        }
        // The holder before us removed the file as it let go: a lock on a
        // file no longer under that name holds nothing, so take the new one.
        struct stat held {
        }, named{};
        if (fstat(descriptor, &held) == 0 && lstat(path_.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            descriptor_ = descriptor;
            return;
        }
        close(descriptor);
    }
}

FolderLock::~FolderLock() {
    unlink(path_.c_str());  // while still held, so that no other process locks the name in between
    close(descriptor_);
}
