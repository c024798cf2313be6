#include "setup/error_text.h"

#include <cstring>
#include <typeinfo>

#include "util/paths.h"

const char ErrorReportCaption[] = "Application Error";
const char UnknownErrorClass[] = "unknown error";

namespace {

std::string PointerHex(std::uintptr_t address) {
    // As the platform's %p prints it: zero-padded, upper case, pointer wide.
    char digits[2 * sizeof(std::uintptr_t) + 1];
    for (std::size_t i = 0; i < 2 * sizeof(std::uintptr_t); ++i) {
        const unsigned nibble = static_cast<unsigned>(address >> (4 * (2 * sizeof(std::uintptr_t) - 1 - i))) & 0xF;
        digits[i] = "0123456789ABCDEF"[nibble];
    }
    digits[2 * sizeof(std::uintptr_t)] = '\0';
    return digits;
}

}  // namespace

std::string FormatErrorReport(const std::string& className, const std::string& moduleName, std::uintptr_t address,
                              const std::string& message) {
    const bool closed = message.empty() || message.back() == '.';
    return "Exception " + className + " in module " + moduleName + " at " + PointerHex(address) + ".\n" + message +
           (closed ? "" : ".");
}

std::string ErrorClassName(const std::exception& error) {
    // The compiler's class names, read for the forms a thrown class has
    // (a name, a namespace path, "St" for std) without the demangler, which
    // would add more to the setup than all of its own code.
    const char* const mangled = typeid(error).name();
    const char* p = mangled;
    const bool nested = *p == 'N';
    p += nested ? 1 : 0;
    std::string readable;
    if (p[0] == 'S' && p[1] == 't') {
        readable = "std";
        p += 2;
    }
    while (*p >= '1' && *p <= '9') {
        std::size_t length = 0;
        while (*p >= '0' && *p <= '9') {
            length = length * 10 + static_cast<std::size_t>(*p++ - '0');
        }
        if (std::strlen(p) < length) {
            return mangled;
        }
        readable += (readable.empty() ? "" : "::") + std::string(p, length);
        p += length;
    }
    p += nested && *p == 'E' ? 1 : 0;
    return *p == '\0' && !readable.empty() ? readable : std::string(mangled);
}

std::string ModuleBaseName(const std::string& modulePath) { return modulePath.substr(DirPart(modulePath).size()); }
