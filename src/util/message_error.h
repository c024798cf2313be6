// The base of the setup's own error classes: an error with a message.
// Derived from std::exception rather than std::runtime_error, whose
// copy-on-write message strings would double the string code in setup.exe.
#pragma once

#include <exception>
#include <string>
#include <utility>

class MessageError : public std::exception {
public:
    explicit MessageError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};
