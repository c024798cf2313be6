// The full path of a loaded module, however long: the buffer grows until
// the path fits, since GetModuleFileNameA cuts a long one short silently.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline std::string ModulePath(HMODULE module = nullptr) {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}
