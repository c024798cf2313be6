#include "base/folder_lock.h"

const char FolderLockName[] = ".gvdist-lock";

std::string FolderBusyText(const std::string& dir) {
    return dir + " is being written by another gvdist pack; run one pack at a time into a folder";
}
