// What went wrong in a step of the portable code that setup.exe and gvdist
// share: the decoder, the member table, the stamp. It is returned, never
// thrown, because setup.exe is built without C++ exceptions; the setup turns
// a fault into its message or its report of unhandled errors, gvdist into a
// DataError. A default Fault means the step succeeded.
#pragma once

#include <string>
#include <utility>

class [[nodiscard]] Fault {
public:
    Fault() = default;
    // Implicit, so a check can return its words as they are built. Words
    // are never empty: "" would read as success.
    Fault(std::string message) : message_(std::move(message)) {}
    Fault(const char* message) : message_(message) {}

    explicit operator bool() const noexcept { return !message_.empty(); }
    // The words, "" when there is no fault.
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};
