#include "setup/registry_win.h"

#include <algorithm>
#include <vector>

#include "setup/error_report_win.h"
#include "setup/registry_text.h"

namespace {

HKEY CreateKeyHandle(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

void RaiseIf(const Fault& fault) {
    if (fault) RaiseError(RegistryErrorClass, fault.Message().c_str());
}

}  // namespace

Fault CreateKeyFault(const std::string& path) { return CreateKeyFailedText(path); }

TRegKey CreateRegKey(HKEY parent, const std::string& path) {
    TRegKey key(CreateKeyHandle(parent, path));
    if (!key) RaiseIf(CreateKeyFault(path));
    return key;
}

TRegKey TryCreateRegKey(HKEY parent, const std::string& path) { return TRegKey(CreateKeyHandle(parent, path)); }

TRegKey OpenRegKey(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return TRegKey();
    }
    return TRegKey(key);
}

bool TryReadRegString(HKEY key, const std::string& name, std::string& value, Fault& fault) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return false;
    if (status == ERROR_SUCCESS && size == 0) {
        value.clear();  // nothing to read, whatever type the value claims
        return true;
    }
    std::vector<char> data;
    // The value may grow between the size query and the read; ask again then.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            fault = InvalidDataTypeText(name);
            return false;
        }
        data.assign(std::size_t(size) + 1, '\0');
        size = DWORD(data.size());
        status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            data.resize(size);
            value.assign(data.begin(), std::find(data.begin(), data.end(), '\0'));
            return true;
        }
    }
    fault = GetDataFailedText(name);
    return false;
}

bool ReadRegString(HKEY key, const std::string& name, std::string& value) {
    Fault fault;
    const bool found = TryReadRegString(key, name, value, fault);
    RaiseIf(fault);
    return found;
}

Fault TryWriteRegString(HKEY key, const std::string& name, const std::string& value) {
    if (RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       DWORD(value.size() + 1)) != ERROR_SUCCESS) {
        return SetDataFailedText(name);
    }
    return {};
}

void WriteRegString(HKEY key, const std::string& name, const std::string& value) {
    RaiseIf(TryWriteRegString(key, name, value));
}
