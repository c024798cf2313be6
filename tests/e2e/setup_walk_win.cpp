#include "setup_walk_win.h"

#include <map>
#include <sstream>

#include "cli/cli.h"
#include "dialog_driver_win.h"
#include "util/module_path_win.h"

using namespace harness;

namespace {

constexpr std::uint64_t Cluster = 512;
constexpr std::uint64_t FirstPartRoom = 16384;     // part 1 beside setup.exe
constexpr std::uint64_t TableRoom = 5 + 28 * 255;  // the table pack appends
constexpr std::uint64_t MinimumDisk = 512 << 10;   // enough to decode for a cancel to land

Bytes Repeated(const std::string& text, std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(text[i % text.size()]);
    return bytes;
}

}  // namespace

std::string OwnDirectory() { return fs::path(ModulePath()).parent_path().string() + "\\"; }

// The marker program, uninstaller, an empty file, a help file in lower
// case, a library, a text and bytes that do not compress; packed for three
// small disks that leave room for setup.exe on the first. Packed once per
// build (and first member) and kept for the whole run.
const PackedDistribution& DistributionFor(const std::string& build, const std::string& firstMember) {
    static std::map<std::string, PackedDistribution> packed;
    static TempDir cache;
    const auto [found, fresh] = packed.try_emplace(build + firstMember);
    if (!fresh) return found->second;
    const std::string setupExe = OwnDirectory() + build, dir = cache / (build + firstMember);
    const std::uint64_t setupOnDisk = (fs::file_size(setupExe) + TableRoom + Cluster - 1) / Cluster * Cluster;
    const std::uint64_t disk = std::max(setupOnDisk + FirstPartRoom, MinimumDisk);
    found->second = {dir + "\\dist\\", {ReadBytes(OwnDirectory() + "e2e_product.exe"), {}}};
    Product& product = found->second.Contents;
    // Aim the archive at the middle of disk 3; a repeated line packs to ~2 %.
    product.Members = {
        {"UnInstal.Exe", Repeated("MZ uninstaller of the walks ", 3000)},
        {"Empty.Dat", {}},
        {"Glyphvane.hlp", Repeated("help topic, lower-case extension; ", 2049)},
        {"Glyphvane.LIB", Repeated("library as shipped ", 2048)},
        {"ReadMe.Txt", Repeated("Read me first.\r\nThen read me again.\r\n", 1500)},
        {"Glyphvane.Dat", SampleBytes(static_cast<std::size_t>((disk - setupOnDisk + disk + disk / 2) * 9 / 10), 7)},
    };
    if (!firstMember.empty()) product.Members.insert(product.Members.begin(), {firstMember, Repeated("first ", 600)});
    std::vector<std::string> args = {"pack", "--quiet", "--disks", "--disk-size", std::to_string(disk), "--setup"};
    args.insert(args.end(), {setupExe, "--program", OwnDirectory() + "e2e_product.exe", "--output", dir + "\\dist"});
    const std::string files = dir + "\\product\\";
    fs::create_directories(files);
    for (const auto& [name, content] : product.Members) {
        WriteBytes(files + name, content);
        args.insert(args.end(), {"--member", files + name});
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunGvdist(args, out, err), 0) << "pack: " << err.str();
    return found->second;
}

void SetupWalk::SetUp() {
    TearDown();
    ASSERT_NE(ProgramsFolder(), "<missing>") << "the Wine prefix names no Programs folder";
}

void SetupWalk::TearDown() {
    // A fixture runs one test: its handles, none before Start, are closed once.
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        ADD_FAILURE() << "setup still running at the end; its windows:\n" << DescribeWindows();
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
    CloseHandle(thread_);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    DeleteFileA(ShortcutPath().c_str());
    DeleteFileA((HelpDirectory() + "Glyphvane.hlp").c_str());
}

void SetupWalk::Start(const char* setupBuild, bool floppy, const std::string& firstMember, bool withoutChecks,
                      const std::function<void()>& alter) {
    const PackedDistribution& packed = DistributionFor(setupBuild, firstMember);
    for (int k = 1; k <= 3; ++k)  // the disks are this test's to change
        fs::copy(packed.Directory + "DISK" + std::to_string(k), Disk(k));
    if (withoutChecks) {
        Bytes setup = ReadBytes(Disk(1) + "setup.exe");
        const auto stamp = std::search(setup.begin(), setup.end(), StampMagic, StampMagic + StampMagicSize);
        ASSERT_NE(stamp, setup.end());
        std::fill_n(stamp + StampCountsSize, StampSize - StampCountsSize, 0);
        WriteBytes(Disk(1) + "setup.exe", setup);
    }
    if (alter) alter();
    floppy_ = floppy;
    if (floppy_) {
        EXPECT_EQ(GetDriveTypeA("A:\\"), static_cast<UINT>(DRIVE_REMOVABLE)) << "A: is a floppy drive";
        InsertDisk(1);
    }
    std::string commandLine = "\"" + Drive() + "setup.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION setup = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, Drive().c_str(), &startup,
                               &setup))
        << "cannot start " << commandLine << ": error " << GetLastError();
    thread_ = setup.hThread;
    processId_ = setup.dwProcessId;
    process_ = setup.hProcess;
}

void SetupWalk::InsertDisk(int disk) {
    if (!floppy_) {
        EXPECT_TRUE(MoveFileA((Disk(disk) + PartName(disk)).c_str(), (Drive() + PartName(disk)).c_str()))
            << "disk " << disk << ": error " << GetLastError();
        return;
    }
    const std::string fault = driver::InsertDisk(Disk(disk));
    EXPECT_EQ(fault, "") << "disk " << disk;
}

// The setup runs in short slices until then and stays suspended while
// the cancel is posted: an unpacking that lasts a moment cannot end
// before the user acts, however busy the machine is.
void SetupWalk::CancelUnpacking(int answer) {
    HWND gathering = Find(Seen::Gathering), unpacking = nullptr;
    for (int slice = 0; slice < 30000 && !unpacking && !lost_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
         ++slice) {
        ResumeThread(thread_);
        Sleep(1);
        SuspendThread(thread_);
        for (HWND window : VisibleWindows())  // by caption: a held setup answers no message
            if (window != gathering && Caption(window) == Seen::Unpacking.Caption) unpacking = window;
    }
    ExpectLaidOut(unpacking);
    if (unpacking) Press(unpacking, IDCANCEL);
    ResumeThread(thread_);
    EXPECT_EQ(ItemText(unpacking, 0xFFFF), Seen::Unpacking.Text);
    AnswerOwned(Seen::CancelQuestion, nullptr, answer);
}

void SetupWalk::CancelWith(HWND dialog, int answer) {
    if (!dialog) return Lose("no dialog to cancel");
    Press(dialog, IDCANCEL);
    AnswerOwned(Seen::CancelQuestion, nullptr, answer);
}

void SetupWalk::AnswerOwned(const DialogMatch& match, HWND owner, int answer) {
    HWND dialog = WaitFor(match);
    EXPECT_TRUE(!dialog || Owner(dialog) == owner) << "the owner of \"" << match.Caption << "\" " << match.Text;
    Answer(dialog, answer);
}

// The agreement's field (id 0) lies over its heading, 102. Read without a
// message, so a held setup is seen too.
void SetupWalk::ExpectLaidOut(HWND dialog) {
    std::vector<std::pair<int, RECT>> controls;
    RECT rect{};
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && GetWindowRect(child, &rect)) controls.push_back({GetDlgCtrlID(child), rect});
    std::set<std::pair<int, int>> overlaps, meant;
    if (Caption(dialog) == Seen::Agreement.Caption) meant = {{0, 102}};
    for (const auto& [a, first] : controls)
        for (const auto& [b, second] : controls)
            if (&first < &second && IntersectRect(&rect, &first, &second)) overlaps.insert(std::minmax(a, b));
    EXPECT_EQ(overlaps, meant) << "controls that cover each other in \"" << Caption(dialog) << "\"";
}

HWND SetupWalk::WaitForQuestion(const DialogMatch& match) {
    HWND dialog = WaitFor(match);
    if (!dialog) return nullptr;
    ExpectLaidOut(dialog);
    RECT frame{};
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2) << "centred";
    EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2) << "centred";
    DWORD_PTR defaultId = 0, code = 0;
    SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &defaultId);
    SendMessageTimeoutA(GetDlgItem(dialog, LOWORD(defaultId)), WM_GETDLGCODE, 0, 0, SMTO_NORMAL, 5000, &code);
    EXPECT_TRUE(defaultId == MAKELRESULT(IDOK, DC_HASDEFID) && (code & DLGC_DEFPUSHBUTTON)) << "Enter presses OK";
    return dialog;
}

void SetupWalk::EnterDestination(const std::string& path) {
    HWND dialog = WaitForQuestion(Seen::Destination);
    if (!dialog) return;
    SetItemText(dialog, 104, path);  // the destination walk sees it in capitals
    Answer(dialog, IDOK);
}

void SetupWalk::AcceptAgreement() {
    HWND dialog = WaitForQuestion(Seen::Agreement);
    if (!dialog) return;
    // The text sits in a read-only field of its own, id 0, that scrolls down.
    HWND field = GetDlgItem(dialog, 0);
    const LONG style = GetWindowLongA(field, GWL_STYLE), wanted = ES_READONLY | ES_MULTILINE | WS_VSCROLL;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(ItemText(dialog, 0), AgreementText);
    Answer(dialog, IDOK);
}

void SetupWalk::SwapDisks() {
    HWND gathering = WaitFor(Seen::Gathering);
    ExpectLaidOut(gathering);
    for (int k = 2; k <= 3; ++k) {
        HWND prompt = WaitFor(Seen::DiskPrompt(k));
        EXPECT_EQ(Owner(prompt), gathering) << "the prompt belongs to the gathering dialog";
        if (k == 2) {  // OK without the disk is refused, and the same prompt comes again
            Answer(prompt, IDOK);
            AnswerOwned(Seen::WrongDisk, gathering, IDOK);
            prompt = WaitFor(Seen::DiskPrompt(2));
        }
        InsertDisk(k);
        Answer(prompt, k == 2 ? IDCANCEL : IDOK);  // with the disk in, Cancel goes on too
    }
}

void SetupWalk::ExpectTerminated() {
    // It belongs to the background window.
    EXPECT_TRUE(lost_ || Backdrop()) << "no background window";
    AnswerOwned(Seen::Terminated, Backdrop(), IDOK);
    ExpectEndsWithZero();
}

void SetupWalk::ExpectEndsWith(DWORD exitCode) {
    DWORD code = STILL_ACTIVE;
    HWND other = nullptr;
    if (lost_ || !process_) return;
    Until([&] { return (other = OtherQuestion(nullptr)) != nullptr; }, 20000);  // or the setup's end
    if (GetExitCodeProcess(process_, &code) && code == STILL_ACTIVE)
        return Lose("still running: " + WhyNot(other, 20000));
    EXPECT_EQ(code, exitCode) << "exit code";
}
