// The words of the report shown when an error reaches the top of the
// setup uncaught. Kept apart from the message box so they can be checked
// on any system.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// The caption of the report.
extern const char ErrorReportCaption[];  // "Application Error"
// The class shown for an error that is no std::exception.
extern const char UnknownErrorClass[];  // "unknown error"

// "Exception <class> in module <module> at <address>.\n<message><end>",
// the address in upper-case hex as wide as a pointer, <end> a full stop
// when the message does not already close with one.
std::string FormatErrorReport(const std::string& className, const std::string& moduleName, std::uintptr_t address,
                              const std::string& message);

// The readable class name of the error (not the compiler's mangled one).
std::string ErrorClassName(const std::exception& error);

// The file name of a module path: what follows its last ':' or '\'.
std::string ModuleBaseName(const std::string& modulePath);
