#include "setup/error_report_win.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "setup/error_text.h"
#include "util/module_path_win.h"

namespace {

void ShowReport(const std::string& className, const std::string& message) {
    // The address shown is the base of the setup's own module: an error
    // thrown as a C++ exception carries no code address of its own, and the
    // base tells which build and load address the report came from.
    const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const std::string text = FormatErrorReport(className, ModuleBaseName(ModulePath()), base, message);
    MessageBoxA(nullptr, text.c_str(), ErrorReportCaption, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

[[noreturn]] void ReportAndEnd() {
    if (std::exception_ptr error = std::current_exception()) {
        ReportUnhandledError(error);
    }
    ExitProcess(UnhandledErrorExitCode);
}

}  // namespace

void ReportUnhandledError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        ShowReport(ErrorClassName(e), e.what());
    } catch (...) {
        ShowReport(UnknownErrorClass, "");
    }
}

void InstallUnhandledErrorReport() { std::set_terminate(ReportAndEnd); }
