#include "archive/unpack_win.h"

#include <cstdint>

#include "archive/byte_stream_win.h"
#include "archive/copy_dialog_win.h"
#include "archive/extract_win.h"
#include "archive/file_handle_win.h"
#include "archive/member_list_win.h"
#include "archive/progress_draw_win.h"
#include "setup/error_report_win.h"
#include "setup/globals.h"
#include "setup/stamp.h"
#include "util/paths.h"

namespace {

// The decoder only runs dry when the stream ends early: it then stops with
// a token or two of zero bits, which must not pass for the product's bytes.
bool StreamWasLongEnough(long long archiveSize) {
    return LzhBitsUsed() <= 8ull * static_cast<std::uint64_t>(archiveSize);
}

CopyOutcome DecodeInto(HANDLE output, const std::string& archivePath) {
    FileHandle archive = OpenForReading(archivePath);
    if (!archive) return CopyOutcome::Failed;
    const long long archiveSize = FileSizeOf(archive.Get());
    // A table that promises more than any stream of this size can hold
    // belongs to another archive: refuse it before writing anything.
    if (archiveSize < 0 || DecodedTotal > LzhMaxDecodedLength(static_cast<std::uint64_t>(archiveSize)))
        return CopyOutcome::Failed;

    ArchiveHandle = archive.Get();
    OutputHandle = output;
    ResetByteStreams();
    if (const Fault fault = LzhDecode(DecodedTotal, GetBytesProc, PutBytesProc)) {
        RaiseError(LzhErrorClass, fault.Message().c_str());
    }
    std::uint16_t unused = 0;
    if (ContinueFlag != 0) WriteDecoded(nullptr, 0, unused);
    ArchiveHandle = nullptr;
    OutputHandle = nullptr;
    archive.Close();
    DeleteFileA(archivePath.c_str());

    if (ReadFailed || WriteFailed) return CopyOutcome::Failed;
    if (ContinueFlag == 0) return CopyOutcome::Cancelled;
    if (!StreamWasLongEnough(archiveSize)) return CopyOutcome::Failed;
    if (!DecodedIsSound(PartChecks, DecodedCrc)) return CopyOutcome::Failed;
    return CopyOutcome::Done;
}

}  // namespace

CopyOutcome DecodeArchive() {
    if (CheckLoadedMembers()) return CopyOutcome::Failed;

    const std::string programPath = PathJoin(DestDir, ProgramFile);
    FileHandle output = CreateForWriting(programPath);
    if (!output)
        output = FileHandle(CreateFileA(programPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) return CopyOutcome::ProgramFileUnwritable;

    const std::string archivePath = PathJoin(DestDir, ArchiveFile);
    if (!FileExists(archivePath)) return CopyOutcome::Failed;
    return DecodeInto(output.Get(), archivePath);
}

int RunUnpacking() {
    CopyOutcome outcome = DecodeArchive();
    if (outcome == CopyOutcome::Done) {
        outcome = ExtractMembers();
        if (outcome == CopyOutcome::Done && !TruncateProgramFile()) outcome = CopyOutcome::Failed;
        ReleaseMemberList();
        if (outcome == CopyOutcome::Done) return ContinueFlag;
    }
    if (outcome == CopyOutcome::Failed) ReportInstallFailure();
    ContinueFlag = 0;
    return ContinueFlag;
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return CopyDialogProc(dialog, message, wParam, ProgressDC, [](HWND) { return RunUnpacking(); });
}
