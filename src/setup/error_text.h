// The words of the report shown when the setup meets an error it does not
// go on from. Kept apart from the message box so they can be checked on any
// system, and built without the heap: the report also tells of a failed
// allocation.
#pragma once

#include <cstddef>
#include <cstdint>

// The caption of the report.
extern const char ErrorReportCaption[];  // "Application Error"

// The C++ library's own failures. They end the setup through the report,
// named after the class the library would have thrown ("std::bad_alloc").
enum class LibraryFailure {
    BadAlloc,
    BadArrayNewLength,
    BadCast,
    BadTypeid,
    BadException,
    LogicError,
    DomainError,
    InvalidArgument,
    LengthError,
    OutOfRange,
    RuntimeError,
    RangeError,
    OverflowError,
    UnderflowError,
};
const char* LibraryFailureClass(LibraryFailure failure);

// Writes "Exception <class> in module <module> at <address>.\n<message><end>"
// into `out`, the address in upper-case hex as wide as a pointer, <end> a
// full stop when the message does not already close with one. What does not
// fit in `size` bytes is cut; the text always ends with a zero.
void FormatErrorReport(char* out, std::size_t size, const char* errorClass, const char* moduleName,
                       std::uintptr_t address, const char* message);

// The file name of a module path: what follows its last ':' or '\'.
const char* ModuleBaseName(const char* modulePath);
