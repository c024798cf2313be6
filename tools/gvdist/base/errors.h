// The two kinds of failure the tool reports, each with its own exit code.
#pragma once

#include <stdexcept>
#include <string>

#include "util/fault.h"

// The command line asks for something the tool does not offer (exit 1).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The input is unusable or a file cannot be read or written (exit 2).
class DataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises a fault of the code gvdist shares with the setup as a DataError,
// its words after `context`.
inline void ThrowIfFault(const Fault& fault, const std::string& context = {}) {
    if (fault) throw DataError(context + fault.Message());
}

constexpr int ExitSuccess = 0;
constexpr int ExitUsage = 1;
constexpr int ExitData = 2;
