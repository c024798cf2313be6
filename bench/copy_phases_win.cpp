// Runs the setup's two copy dialogs, gathering then unpacking, over a
// distribution directory, and prints how long each took:
//   copy_phases SOURCE_DIR DEST_DIR [SETUP_FILE] [--drain-every-byte]
// SETUP_FILE is the setup.exe whose member table and stamped DiskCount and
// ArchiveSize belong to the parts (default: this program itself and the
// product's values). --drain-every-byte serves the message
// queue after every compressed byte, for comparison.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "archive/byte_stream_win.h"
#include "archive/gather_win.h"
#include "archive/member_list_win.h"
#include "archive/message_pump_win.h"
#include "archive/unpack_win.h"
#include "base/file_util.h"
#include "dist/stamp_file.h"
#include "setup/globals.h"
#include "setup/run_state_win.h"
#include "util/paths.h"

namespace {

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

INT_PTR RunPhase(const char* templateName, DLGPROC procedure, const char* label) {
    const double start = Seconds();
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), templateName, nullptr, procedure, 0);
    std::printf("%s: result %d in %.3f s\n", label, static_cast<int>(result), Seconds() - start);
    std::fflush(stdout);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--drain-every-byte") == 0)
            DecodePumpPace = {1, 0, 1};
        else
            paths.push_back(argv[i]);
    }
    if (paths.size() < 2 || paths.size() > 3) {
        std::fprintf(stderr, "usage: copy_phases SOURCE_DIR DEST_DIR [SETUP_FILE] [--drain-every-byte]\n");
        return 2;
    }

    StartRunState();
    SourceDir = PathJoin(paths[0], "");
    DestDir = paths[1];
    if (paths.size() == 3) {
        MemberTableSource = paths[2];
        const std::vector<std::uint8_t> setup = ReadFileBytes(paths[2]);
        const StampValues stamp = ReadStamp(setup, FindTheStamp(setup, paths[2]));
        DiskCount = static_cast<int>(stamp.DiskCount);
        ArchiveSize = static_cast<std::int32_t>(stamp.ArchiveSize);
    }

    if (RunPhase("IProgress", IProgressDialogProc, "gathering") != 1) return 1;
    if (RunPhase("Progress", ProgressDialogProc, "unpacking") != 1) return 1;
    return 0;
}
