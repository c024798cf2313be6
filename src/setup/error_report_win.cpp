#include "setup/error_report_win.h"

#include <windows.h>

#include <cstdint>

#include "setup/error_text.h"

namespace {

// Static, since the heap may be what failed. Room for the longest path
// Windows knows; the text is cut where it does not fit.
char ModuleFile[32768];
char ReportText[4096];

}  // namespace

__attribute__((noinline)) void RaiseError(const char* errorClass, const char* message) {
    const auto address = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    const DWORD length = GetModuleFileNameA(nullptr, ModuleFile, sizeof ModuleFile - 1);
    ModuleFile[length] = '\0';
    FormatErrorReport(ReportText, sizeof ReportText, errorClass, ModuleBaseName(ModuleFile), address, message);
    MessageBoxA(nullptr, ReportText, ErrorReportCaption, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    ExitProcess(UnhandledErrorExitCode);
}
