// Kept apart from the rest of the harness: only the engine tests link the
// setup's Windows code that it points the state at.
#include "archive/byte_stream_win.h"
#include "archive/member_list_win.h"
#include "archive/progress_draw_win.h"
#include "harness_win.h"
#include "setup/globals.h"
#include "setup/run_state_win.h"

namespace harness {

void PrepareInstallState(const std::string& destDir, const std::string& windowsDir, bool withHelpDir) {
    StartRunState();
    DestDir = SourceDir = destDir;
    std::snprintf(WindowsDir, sizeof WindowsDir, "%s", windowsDir.c_str());
    if (withHelpDir) CreateDirectoryA((windowsDir + "\\Help").c_str(), nullptr);
    ContinueFlag = 1;
    DiskCount = ProductDiskCount;
    ArchiveSize = ProductArchiveSize;
    MemberList.clear();
    MemberTableSource.clear();
    ProgressDC = nullptr;
}

void PlaceSetupFile(const std::string& path, const MemberTable& table) {
    Bytes file(100, 'M');  // stands for the executable image
    const Bytes tail = SerializeMemberTable(table);
    file.insert(file.end(), tail.begin(), tail.end());
    WriteBytes(path, file);
    MemberTableSource = path;
}

}  // namespace harness
