#include "setup/error_text.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

#include "util/paths.h"

const char ErrorReportCaption[] = "Application Error";

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

std::string FormatErrorReport(const std::string& className, const std::string& moduleName,
                              std::uintptr_t address, const std::string& message) {
    const bool closed = message.empty() || message.back() == '.';
    return "Exception " + className + " in module " + moduleName + " at " + PointerHex(address) +
           ".\n" + message + (closed ? "" : ".");
}

std::string ErrorClassName(const std::exception& error) {
    const char* mangled = typeid(error).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return status == 0 && readable ? std::string(readable.get()) : std::string(mangled);
}

std::string ModuleBaseName(const std::string& modulePath) {
    return modulePath.substr(DirPart(modulePath).size());
}
