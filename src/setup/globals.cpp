#include "setup/globals.h"

const char ProductName[] = "Glyphvane";
const char ProgramFile[] = "Glyphvane.Exe";
const char FirstPartFile[] = "Glyphvan.001";
const char ArchiveFile[] = "Glyphvan._TM";
const char UninstallFile[] = "UnInstal.Exe";
const char TitleText[] = "Glyphvane Installation";
const char CancelQuestion[] = "Do you really want to terminate the Setup program?";
const char TerminatedText[] = "The Installation process has been terminated.";
const char WrongDiskText[] = "This is not the appropriate disk.\r\nPlease insert the correct disk and Press Enter";
const char DamagedDiskText[] =
    "Disk %c is damaged: it does not hold what was written to it.\r\n"
    "Insert another copy of disk %c and press Retry, or press Cancel to stop.";
const char SuccessText[] = "Glyphvane has been successfully installed.\r\n\r\nDo you wish to run ";
const char BackdropCaption[] = "Installation";
const char DestinationCaption[] = "Destination Directory";
const char GroupCaption[] = "Program Group";
const char StandByCaption[] = "Please Stand By...";
const char ExitCaptionStart[] = "Exit ";
const char InsertDiskText[] = "Please Insert Disk number ";
const char InstallFailureText[] = "Glyphvane was unable to install its files.";
const char InstallFailureCaption[] = "Error";
const char ShortcutFailedText[] = "The Start menu entry for Glyphvane could not be created.";
const char MemberUnwritableText[] =
    "Glyphvane cannot write the file\r\n%s\r\n\r\nAbort stops the installation, Retry tries again, Ignore leaves "
    "this file out.";
const char LowSpaceQuestion[] =
    "Glyphvane needs %lu KB of free space on drive %c:, which has %lu KB free.\r\n\r\nInstall there anyway?";
std::string GroupName = "Glyphvane";
std::string DefaultDestDir = "C:\\Program Files\\Glyphvane";

int DiskCount = ProductDiskCount;
std::int32_t ArchiveSize = ProductArchiveSize;

std::int32_t ScreenWidth = 0;
std::int32_t ScreenHeight = 0;
char WindowsDir[256] = {};
std::string SourceDir;
std::string DestDir;
std::uint8_t* InBuffer = nullptr;
std::uint8_t* OutBuffer = nullptr;
TLzhReadProc GetBytesProc = nullptr;
TLzhWriteProc PutBytesProc = nullptr;
std::int32_t ContinueFlag = 1;
std::int32_t PhaseResult = 0;
bool SetupAborted = false;

#ifdef _WIN32
HWND MainWindow = nullptr;
HBITMAP LogoBitmap = nullptr;
UINT FoundErrorMode = 0;
#endif
