// The setup's program-wide state and product constants: one instance each,
// owned by the driver for the whole run.
#pragma once

#include <cstdint>
#include <string>

#include "archive/lzh_decode.h"  // ContinueFlag, TLzhReadProc, TLzhWriteProc
#include "setup/product.h"

#ifdef _WIN32
#include <windows.h>
#endif

// Product constants beside those of product.h. GroupName and DefaultDestDir
// are the only ones that change during a run.
extern const char TitleText[];
extern const char CancelQuestion[];
extern const char TerminatedText[];
extern const char WrongDiskText[];
// A part that is not what gvdist pack recorded; '#' stands for its disk.
extern const char DamagedDiskText[];
extern const char SuccessText[];
// Our own texts beside them, so that every text the setup shows is here.
extern const char BackdropCaption[];        // "Installation"
extern const char DestinationCaption[];     // "Destination Directory"
extern const char GroupCaption[];           // "Program Group"
extern const char StandByCaption[];         // "Please Stand By...", the copying dialogs'
extern const char ExitCaptionStart[];       // "Exit ", then ProductName: the cancel question's caption
extern const char InsertDiskText[];         // "Please Insert Disk number ", then the disk's number
extern const char InstallFailureText[];     // "Glyphvane was unable to install its files."
extern const char InstallFailureCaption[];  // "Error"
extern const char ShortcutFailedText[];     // "The Start menu entry for Glyphvane could not be created."
extern const char MemberUnwritableText[];   // %s: the member's full path
extern const char LowSpaceQuestion[];       // %lu KB needed, on drive %c:, %lu KB free
extern std::string GroupName;
extern std::string DefaultDestDir;

// The distribution this setup.exe serves: the number of archive parts
// (disks) and their total size, the 100 % mark of the gathering. Read at
// start-up from the stamp gvdist pack writes; the product's own values
// until then.
extern int DiskCount;
extern std::int32_t ArchiveSize;

// Program-wide state.
extern std::int32_t ScreenWidth;
extern std::int32_t ScreenHeight;
extern char WindowsDir[256];
extern std::string SourceDir;
extern std::string DestDir;
constexpr std::size_t TransferBufferSize = 2064;
extern std::uint8_t* InBuffer;
extern std::uint8_t* OutBuffer;
extern TLzhReadProc GetBytesProc;
extern TLzhWriteProc PutBytesProc;
extern std::int32_t PhaseResult;
extern bool SetupAborted;
// ContinueFlag is declared with the decoder that reads it.

#ifdef _WIN32
extern HWND MainWindow;
extern HBITMAP LogoBitmap;
// The error mode the setup found at start-up, the one the product starts with.
extern UINT FoundErrorMode;
#endif
