// The C++ library's error paths and its operator new, replaced in setup
// executables. The library's own versions throw, which would bring GCC's
// unwinder and the library's exception support into a setup built without
// exceptions; its verbose terminate handler brings the demangler. Here each
// ends the run through the setup's report, under the name of the class the
// library would have thrown.
#include <cstddef>
#include <cstdlib>
#include <new>

#include "setup/error_report_win.h"
#include "setup/error_text.h"

namespace {

// The library's words where it gives some, else the class's name.
[[noreturn]] void Fail(LibraryFailure failure, const char* what = nullptr) {
    RaiseError(LibraryFailureClass(failure), what ? what : LibraryFailureClass(failure));
}

void* Allocate(std::size_t size) {
    // malloc(0) may give nothing; new must give a distinct block.
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) Fail(LibraryFailure::BadAlloc);
    return block;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace std {

void __throw_bad_alloc() { Fail(LibraryFailure::BadAlloc); }
void __throw_bad_array_new_length() { Fail(LibraryFailure::BadArrayNewLength); }
void __throw_bad_cast() { Fail(LibraryFailure::BadCast); }
void __throw_bad_typeid() { Fail(LibraryFailure::BadTypeid); }
void __throw_bad_exception() { Fail(LibraryFailure::BadException); }
void __throw_logic_error(const char* what) { Fail(LibraryFailure::LogicError, what); }
void __throw_domain_error(const char* what) { Fail(LibraryFailure::DomainError, what); }
void __throw_invalid_argument(const char* what) { Fail(LibraryFailure::InvalidArgument, what); }
void __throw_length_error(const char* what) { Fail(LibraryFailure::LengthError, what); }
void __throw_out_of_range(const char* what) { Fail(LibraryFailure::OutOfRange, what); }
void __throw_out_of_range_fmt(const char* what, ...) { Fail(LibraryFailure::OutOfRange, what); }
void __throw_runtime_error(const char* what) { Fail(LibraryFailure::RuntimeError, what); }
void __throw_range_error(const char* what) { Fail(LibraryFailure::RangeError, what); }
void __throw_overflow_error(const char* what) { Fail(LibraryFailure::OverflowError, what); }
void __throw_underflow_error(const char* what) { Fail(LibraryFailure::UnderflowError, what); }

}  // namespace std
