#include "setup/error_text.h"

const char ErrorReportCaption[] = "Application Error";

namespace {

// Appends to a text of fixed room, cutting what does not fit.
class FixedText {
public:
    FixedText(char* out, std::size_t size) : out_(out), room_(size) { Terminate(); }
    void Append(const char* text) {
        for (; *text != '\0' && length_ + 1 < room_; ++text) out_[length_++] = *text;
        Terminate();
    }

private:
    void Terminate() {
        if (room_ > 0) out_[length_] = '\0';
    }
    char* out_;
    std::size_t room_;
    std::size_t length_ = 0;
};

}  // namespace

void FormatErrorReport(char* out, std::size_t size, const char* errorClass, const char* moduleName,
                       std::uintptr_t address, const char* message) {
    // As the platform's %p prints it: zero-padded, upper case, pointer wide.
    constexpr std::size_t Digits = 2 * sizeof(std::uintptr_t);
    char hex[Digits + 1];
    for (std::size_t i = 0; i < Digits; ++i) hex[i] = "0123456789ABCDEF"[(address >> (4 * (Digits - 1 - i))) & 0xF];
    hex[Digits] = '\0';

    const char* last = message;
    for (const char* at = message; *at != '\0'; ++at) last = at;
    FixedText text(out, size);
    const char* const pieces[] = {"Exception ", errorClass, " in module ", moduleName, " at ", hex, ".\n", message};
    for (const char* piece : pieces) text.Append(piece);
    if (*message != '\0' && *last != '.') text.Append(".");
}

const char* LibraryFailureClass(LibraryFailure failure) {
    static const char* const names[] = {
        "std::bad_alloc",      "std::bad_array_new_length", "std::bad_cast",      "std::bad_typeid",
        "std::bad_exception",  "std::logic_error",          "std::domain_error",  "std::invalid_argument",
        "std::length_error",   "std::out_of_range",         "std::runtime_error", "std::range_error",
        "std::overflow_error", "std::underflow_error",
    };
    return names[static_cast<int>(failure)];
}

const char* ModuleBaseName(const char* modulePath) {
    const char* name = modulePath;
    for (const char* at = modulePath; *at != '\0'; ++at) {
        if (*at == ':' || *at == '\\') name = at + 1;
    }
    return name;
}
