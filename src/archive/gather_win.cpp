#include "archive/gather_win.h"

#include <vector>

#include "archive/copy_dialog_win.h"
#include "archive/crc32.h"
#include "archive/file_handle_win.h"
#include "archive/member_list_win.h"
#include "archive/message_pump_win.h"
#include "archive/naming.h"
#include "archive/progress.h"
#include "archive/progress_draw_win.h"
#include "setup/globals.h"
#include "setup/message_text.h"
#include "setup/stamp.h"
#include "util/paths.h"

namespace {

constexpr DWORD GatherBlockSize = 2048;

void ShowGatherProgress(std::int64_t copied) {
    // Parts larger than the announced total leave the bar where it was.
    ProgressMark mark;
    if (copied <= INT32_MAX && ProgressMarkFor(static_cast<std::int32_t>(copied), ArchiveSize, 0, 0, mark) &&
        mark.Percent <= 100)
        DrawProgress(GatherDC, static_cast<std::int32_t>(copied), ArchiveSize);
}

CopyOutcome CopyPartAt(const std::string& path, HANDLE archive, std::int64_t& copied, std::uint32_t& crc) {
    const FileHandle part = OpenForReading(path);
    if (!part) return CopyOutcome::Failed;
    return AppendPart(part.Get(), archive, copied, crc);
}

// Asks for another copy of disk `k`: true for Retry.
bool AskForAnotherCopy(HWND owner, int k) {
    const char disk[] = {static_cast<char>('0' + k), '\0'};
    const std::string text = FillIn(DamagedDiskText, {disk, disk});
    return MessageBoxA(owner, text.c_str(), ProductName, MB_RETRYCANCEL | MB_ICONSTOP) == IDRETRY;
}

// Appends part `k` until it is what the stamp records, copying it again
// from its start in the archive as often as the user offers another copy
// of its disk: a damaged part is never decoded.
CopyOutcome JoinPart(HWND dialog, int k, HANDLE archive, std::int64_t& copied) {
    const std::string path = PathJoin(SourceDir, PartFileName(FirstPartFile, k));
    const std::int64_t start = copied;
    for (;;) {
        if (k > 1 && !AwaitDisk(dialog, k, path)) return CopyOutcome::Cancelled;
        std::uint32_t crc = 0;
        const CopyOutcome outcome = CopyPartAt(path, archive, copied, crc);
        if (outcome != CopyOutcome::Done || PartIsSound(PartChecks, k, copied - start, crc)) return outcome;
        if (!AskForAnotherCopy(dialog, k)) {
            ContinueFlag = 0;
            return CopyOutcome::Cancelled;
        }
        copied = start;
        if (!SeekTo(archive, static_cast<std::int32_t>(start)) || !SetEndOfFile(archive)) return CopyOutcome::Failed;
    }
}

// Joins every part; the outcome of the first part that did not go through.
CopyOutcome JoinParts(HWND dialog, HANDLE archive) {
    std::int64_t copied = 0;
    LastPercent = -1;
    CopyOutcome outcome = CopyOutcome::Done;
    for (int k = 1; k <= MaxDiskCount && k <= DiskCount && outcome == CopyOutcome::Done; ++k) {
        outcome = JoinPart(dialog, k, archive, copied);
    }
    return outcome;
}

}  // namespace

CopyOutcome AppendPart(HANDLE from, HANDLE archive, std::int64_t& copied, std::uint32_t& crc) {
    std::vector<std::uint8_t> block(GatherBlockSize);
    while (ContinueFlag == 1) {
        DWORD read = 0;
        if (!ReadFile(from, block.data(), GatherBlockSize, &read, nullptr)) return CopyOutcome::Failed;
        if (read == 0) break;
        if (!WriteAll(archive, block.data(), read)) return CopyOutcome::Failed;
        crc = Crc32(block.data(), read, crc);
        copied += read;
        ShowGatherProgress(copied);
        DrainMessages();
    }
    return ContinueFlag == 1 ? CopyOutcome::Done : CopyOutcome::Cancelled;
}

bool AwaitDisk(HWND owner, int k, const std::string& partPath) {
    const std::string prompt = InsertDiskText + std::to_string(k);
    while (!FileExists(partPath) && ContinueFlag == 1) {
        if (MessageBoxA(owner, prompt.c_str(), ProductName, MB_OKCANCEL) == IDOK) {
            if (!FileExists(partPath)) MessageBoxA(owner, WrongDiskText, "", MB_OK);
        } else if (!FileExists(partPath)) {
            ContinueFlag = 0;
        }
    }
    return ContinueFlag == 1;
}

int RunGathering(HWND dialog) {
    if (StampFault(DiskCount, ArchiveSize) || LoadMemberTable()) {
        ReportInstallFailure();
        ContinueFlag = 0;
        return ContinueFlag;
    }
    const FileHandle archive = CreateForWriting(PathJoin(DestDir, ArchiveFile));
    const CopyOutcome outcome = archive ? JoinParts(dialog, archive.Get()) : CopyOutcome::Failed;
    if (outcome == CopyOutcome::Failed) ReportInstallFailure();
    if (outcome != CopyOutcome::Done) ContinueFlag = 0;
    return ContinueFlag;
}

INT_PTR CALLBACK IProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return CopyDialogProc(dialog, message, wParam, GatherDC, RunGathering);
}
