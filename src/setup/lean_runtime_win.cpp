// The C++ library's error paths, replaced in setup executables. The
// library's own versions build their messages in its older string classes
// and its verbose terminate handler brings the demangler: together more
// than the setup's own code. The errors still end the run through the
// setup's report (class LibraryError, the library's message).
#include <windows.h>

#include <new>

#include "setup/error_report_win.h"
#include "util/message_error.h"

namespace {

class LibraryError : public MessageError {
public:
    using MessageError::MessageError;
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_bad_cast() { throw LibraryError("bad cast"); }
void __throw_bad_typeid() { throw LibraryError("bad typeid"); }
void __throw_bad_exception() { throw LibraryError("bad exception"); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_domain_error(const char* what) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw LibraryError(what); }
void __throw_runtime_error(const char* what) { throw LibraryError(what); }
void __throw_range_error(const char* what) { throw LibraryError(what); }
void __throw_overflow_error(const char* what) { throw LibraryError(what); }
void __throw_underflow_error(const char* what) { throw LibraryError(what); }

}  // namespace std

namespace __gnu_cxx {

// Runs only before the setup installs its own handler at start-up.
void __verbose_terminate_handler() { ExitProcess(UnhandledErrorExitCode); }

}  // namespace __gnu_cxx
