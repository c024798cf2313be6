// The two kinds of failure the tool reports, each with its own exit code.
#pragma once

#include <stdexcept>

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

constexpr int ExitSuccess = 0;
constexpr int ExitUsage = 1;
constexpr int ExitData = 2;
