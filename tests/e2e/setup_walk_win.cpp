#include "setup_walk_win.h"

#include <cstring>
#include <map>
#include <memory>
#include <sstream>

#include "commands.h"
#include "options.h"
#include "stamp_file.h"
#include "ui/agreement.h"

namespace {

constexpr const char* UninstallKey = "Software\\microsoft\\windows\\currentversion\\uninstall\\Glyphvane";
constexpr std::uint64_t Cluster = 512;
constexpr std::uint64_t FirstPartRoom = 16384;     // part 1 beside setup.exe
constexpr std::uint64_t TableRoom = 5 + 28 * 255;  // the table pack appends
constexpr std::uint64_t MinimumDisk = 512 << 10;   // room for a Long atlas's share
constexpr std::size_t LongAtlasSize = 24u << 20;   // decodes in about a second

std::string OwnDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string text(path);
    return text.substr(0, text.find_last_of('\\') + 1);
}

void Copy(const std::string& from, const std::string& to) {
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << ": error " << GetLastError();
}

Bytes Repeated(const std::string& text, std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(text[i % text.size()]);
    return bytes;
}

Bytes Noise(std::size_t size) {  // does not compress
    Bytes bytes(size);
    std::uint32_t state = 0x2545F491u;
    for (auto& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<std::uint8_t>(state >> 11);
    }
    return bytes;
}

struct PackedDistribution {
    std::string Directory;  // setup.exe, Glyphvan.001, .002, ...
    int PartCount = 0;
    Product Contents;
    std::string ProductDirectory;  // the program and members as packed
};

// Wine starts Unix programs too, so mtools and the native gvdist work on
// the floppy images from here. Wine neither waits for them nor passes their
// exit status on: the shell leaves a mark when the command is done, and
// callers judge by the files.
std::string ImageName(int disk) { return "glyphvane-disk" + std::to_string(disk) + ".img"; }

std::string UnixPath(const std::string& path) {
    using Convert = char*(CDECL*)(const WCHAR*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    const std::wstring wide(path.begin(), path.end());
    char* unix = convert ? convert(wide.c_str()) : nullptr;
    const std::string result = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

void RunUnix(const std::string& command, const std::string& scratch) {
    const std::string done = scratch + "\\unix-command.done";
    DeleteFileA(done.c_str());
    std::string line = "/bin/sh -c \"" + command + "; : >" + UnixPath(done) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        << line << ": error " << GetLastError();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    for (int i = 0; i < 2400 && !FileExists(done); ++i) Sleep(50);
    EXPECT_TRUE(DeleteFileA(done.c_str())) << "not done in 2 minutes: " << command;
}

std::uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow;
}

// The marker program, uninstaller, an empty file, a help file in lower
// case, a library, a text, `noise` bytes that do not compress and, for a
// Long unpacking, an atlas that compresses well but takes its time to
// decode; written to `dir`\product.
PackedDistribution MakeProduct(std::size_t noise, std::size_t atlasSize, const std::string& dir) {
    PackedDistribution packed;
    Product& product = packed.Contents;
    product.Program = ReadBytes(OwnDirectory() + "e2e_product.exe");
    EXPECT_FALSE(product.Program.empty()) << "the marker program is missing";
    product.Members = {
        {"UnInstal.Exe", Repeated("MZ uninstaller of the walks ", 3000)},
        {"Empty.Dat", {}},
        {"Glyphvane.hlp", Repeated("help topic, lower-case extension; ", 2049)},
        {"Glyphvane.LIB", Repeated("library as shipped ", 2048)},
        {"ReadMe.Txt", Repeated("Read me first.\r\nThen read me again.\r\n", 1500)},
        {"Glyphvane.Dat", Noise(noise)},
    };
    if (atlasSize > 0) product.Members.push_back({"Atlas.Txt", Repeated("Glyphvane atlas, sheet 0123456789\r\n", atlasSize)});
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    packed.ProductDirectory = dir + "\\product\\";
    CreateDirectoryA(packed.ProductDirectory.c_str(), nullptr);
    WriteBytes(packed.ProductDirectory + "Glyphvane.Exe", product.Program);
    for (const auto& [name, content] : product.Members) WriteBytes(packed.ProductDirectory + name, content);
    return packed;
}

// Three parts on small disks that leave room for setup.exe on the first.
PackedDistribution Pack(const std::string& setupExe, std::size_t atlasSize, const std::string& dir) {
    const std::uint64_t setupOnDisk = (FileSize(setupExe) + TableRoom + Cluster - 1) / Cluster * Cluster;
    const std::uint64_t disk = std::max(setupOnDisk + FirstPartRoom, MinimumDisk);
    // Aim the archive at the middle of disk 3; a repeated line packs to ~2 %.
    const auto noise = static_cast<std::size_t>((disk - setupOnDisk + disk + disk / 2) * 9 / 10 - atlasSize / 50);
    PackedDistribution packed = MakeProduct(noise, atlasSize, dir);
    Options pack;
    pack.Command = "pack";
    pack.Quiet = true;
    pack.ProgramPath = packed.ProductDirectory + "Glyphvane.Exe";
    for (const auto& member : packed.Contents.Members) pack.MemberPaths.push_back(packed.ProductDirectory + member.first);
    pack.SetupPath = setupExe;
    pack.OutputDir = dir + "\\dist";
    pack.DiskSize = disk;
    std::ostringstream out, err;
    try {
        RunPack(pack, out, err);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "pack: " << error.what() << "\n" << err.str();
    }
    packed.Directory = pack.OutputDir + "\\";
    while (packed.PartCount < 9 && FileExists(packed.Directory + PartName(packed.PartCount + 1))) ++packed.PartCount;
    return packed;
}

// Packed once per build and kept for the whole run.
const PackedDistribution& DistributionFor(const std::string& build, Unpacking unpacking) {
    static std::map<std::string, PackedDistribution> packed;
    static TempDir cache;
    const bool isLong = unpacking == Unpacking::Long;
    const std::string key = build + (isLong ? ".long" : "");
    const auto found = packed.find(key);
    if (found != packed.end()) return found->second;
    if (build == SetupComplete) return packed[key] = Pack(OwnDirectory() + build, isLong ? LongAtlasSize : 0, cache / key);
    // Another build with the same parts: its executable with the member table appended.
    PackedDistribution copy = DistributionFor(SetupComplete, unpacking);
    const std::string dir = cache / key;
    CreateDirectoryA(dir.c_str(), nullptr);
    const Bytes table = ReadBytes(copy.Directory + "setup.exe");
    Bytes setup = ReadBytes(OwnDirectory() + build);
    // Stamped for the parts as pack stamped the complete build.
    WriteStamp(setup, FindTheStamp(setup, build), ReadStamp(table, FindTheStamp(table, "setup.exe")));
    setup.insert(setup.end(), table.end() - static_cast<std::ptrdiff_t>(5 + 28 * table.at(table.size() - 5)), table.end());
    WriteBytes(dir + "\\setup.exe", setup);
    for (int k = 1; k <= copy.PartCount; ++k) Copy(copy.Directory + PartName(k), dir + "\\" + PartName(k));
    copy.Directory = dir + "\\";
    return packed[key] = copy;
}

// The product on three 1.44 MB floppy images, packed by the native gvdist
// as a maker packs it; the images are Directory/glyphvane-disk1.img and on.
const PackedDistribution& ImagesFor(const std::string& setupExe) {
    static PackedDistribution packed;
    static TempDir out;
    if (packed.PartCount > 0) return packed;
    constexpr std::uint64_t Floppy = 1457664;  // what a 1.44 MB disk holds; aim at the middle of disk 3
    const std::uint64_t noise = Floppy - (FileSize(setupExe) + TableRoom) + Floppy + Floppy / 2;
    packed = MakeProduct(static_cast<std::size_t>(noise), 0, out.Path());
    std::string command = std::string(GV_NATIVE_GVDIST) + " pack -q --images --format 1.44M --setup " +
                          UnixPath(setupExe) + " -o " + UnixPath(out.Path()) + " --program " +
                          UnixPath(packed.ProductDirectory + "Glyphvane.Exe");
    for (const auto& member : packed.Contents.Members) command += " --member " + UnixPath(packed.ProductDirectory + member.first);
    RunUnix(command + " >/dev/null", out.Path());
    packed.Directory = out.Path() + "\\";
    while (packed.PartCount < 9 && FileExists(packed.Directory + ImageName(packed.PartCount + 1))) ++packed.PartCount;
    EXPECT_GT(packed.PartCount, 0) << "the native gvdist made no images: " << command;
    return packed;
}

}  // namespace

void SetupWalk::SetUp() {
    for (const std::string& dir : {disks_.Drive, disks_.Shelf}) CreateDirectoryA(dir.c_str(), nullptr);
    regDir_ = std::make_unique<RegistryValue>(HKEY_CURRENT_USER, "Software\\Tallowmere\\Glyphvane", "RegDir");
    regDir_->Remove();
    TearDown();
    ASSERT_FALSE(ProgramsFolder().empty()) << "the Wine prefix names no Programs folder";
}

void SetupWalk::TearDown() {
    if (process_) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            ADD_FAILURE() << "setup still running at the end; its windows:\n" << DescribeWindows();
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 10000);
        }
        CloseHandle(process_);
        process_ = nullptr;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    DeleteFileA(ShortcutPath().c_str());
    DeleteFileA(HelpFile().c_str());
}

void SetupWalk::Start(const char* setupBuild, Unpacking unpacking, Medium medium) {
    const bool fromImages = medium == Medium::Images;
    if (fromImages && !FileExists("Z:" GV_NATIVE_GVDIST))
        GTEST_SKIP() << "no native gvdist at " GV_NATIVE_GVDIST " to make the images with";
    const PackedDistribution& packed =
        fromImages ? ImagesFor(OwnDirectory() + setupBuild) : DistributionFor(setupBuild, unpacking);
    contents_ = &packed.Contents;
    ASSERT_EQ(packed.PartCount, 3) << "the walks need a distribution of three disks";
    if (fromImages) {
        EXPECT_EQ(GetDriveTypeA("A:\\"), static_cast<UINT>(DRIVE_REMOVABLE)) << "A: is a floppy drive";
        disks_ = Disks{"A:", root_ / "FLOPPIES", true};
        CreateDirectoryA(disks_.Shelf.c_str(), nullptr);
        images_ = packed.Directory;
        InsertDisk(1);
    } else if (medium == Medium::Floppy) {
        EXPECT_EQ(GetDriveTypeA("A:\\"), static_cast<UINT>(DRIVE_REMOVABLE)) << "A: is a floppy drive";
        disks_ = Disks{"A:", root_ / "FLOPPIES", true};
        CreateDirectoryA(disks_.Shelf.c_str(), nullptr);
        for (int k = 1; k <= 3; ++k) {
            const std::string disk = disks_.Shelf + "\\DISK" + std::to_string(k) + "\\";
            CreateDirectoryA(disk.c_str(), nullptr);
            if (k == 1) Copy(packed.Directory + "setup.exe", disk + "setup.exe");
            Copy(packed.Directory + PartName(k), disk + PartName(k));
        }
        InsertDisk(1);
    } else {
        Copy(packed.Directory + "setup.exe", Drive() + "setup.exe");
        for (int k = 1; k <= 3; ++k) Copy(packed.Directory + PartName(k), (k == 1 ? disks_.Drive : disks_.Shelf) + "\\" + PartName(k));
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string exe = Drive() + "setup.exe", commandLine = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, Drive().c_str(),
                               &startup, &info))
        << "cannot start " << exe << ": error " << GetLastError();
    CloseHandle(info.hThread);
    Attach(info.dwProcessId, info.hProcess);
}

void SetupWalk::InsertDisk(int disk) {
    if (!images_.empty()) {  // the disk holds exactly what its image holds
        const std::string folder = disks_.Shelf + "\\DISK" + std::to_string(disk);
        CreateDirectoryA(folder.c_str(), nullptr);
        RunUnix("/usr/bin/mcopy -n -i " + UnixPath(images_ + ImageName(disk)) + " ::* " + UnixPath(folder), root_.Path());
    }
    disks_.Insert(disk);
    EXPECT_TRUE(images_.empty() || FileExists(Drive() + PartName(disk))) << "image " << disk << " did not load";
}

HWND SetupWalk::Backdrop() const {
    for (HWND window : VisibleWindows())
        if (WindowClass(window) == "TMSetUp") return window;
    return nullptr;
}

void SetupWalk::EnterDestination(const std::string& path) {
    HWND dialog = WaitFor(Seen::Destination);
    if (!dialog) return;
    ExpectQuestion(dialog);
    SetItemText(dialog, 104, path);
    EXPECT_EQ(ItemText(dialog, 104), InCapitals(path)) << "the field holds capitals only";
    Answer(dialog, IDOK);
}

void SetupWalk::AcceptAgreement() {
    HWND dialog = WaitFor(Seen::Agreement);
    if (!dialog) return;
    ExpectQuestion(dialog);
    // The text sits in a read-only field of its own, id 0, that scrolls down.
    HWND field = GetDlgItem(dialog, 0);
    const LONG style = GetWindowLongA(field, GWL_STYLE), wanted = ES_READONLY | ES_MULTILINE | WS_VSCROLL;
    EXPECT_EQ(style & wanted, wanted);
    const std::string shown = ItemText(dialog, 0);
    DWORD_PTR length = 0;
    SendMessageTimeoutA(field, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length);
    EXPECT_EQ(length, std::strlen(AgreementText));
    EXPECT_EQ(shown, std::string(AgreementText).substr(0, shown.size()));
    Answer(dialog, IDOK);
}

void SetupWalk::SwapDisks() {
    for (int k = 2; k <= 3; ++k) {
        HWND prompt = WaitFor(Seen::DiskPrompt(k));
        if (!prompt) return;
        EXPECT_EQ(Owner(prompt), Find(Seen::Gathering)) << "the prompt belongs to the gathering dialog";
        InsertDisk(k);
        Answer(prompt, IDOK);
    }
}

void SetupWalk::AcceptGroup(const char* typed) {
    HWND dialog = WaitFor(Seen::ProgramGroup);
    if (!dialog) return;
    ExpectQuestion(dialog);
    EXPECT_EQ(ItemText(dialog, 102), "Glyphvane") << "the product's name is proposed";
    if (typed) SetItemText(dialog, 102, typed);
    Answer(dialog, IDOK);
}

void SetupWalk::AnswerFinalQuestion(int answer) {
    HWND question = WaitFor(Seen::FinalQuestion);
    EXPECT_TRUE(!question || !Owner(question)) << "the final question has no owner";
    Answer(question, answer);
}

void SetupWalk::ExpectTerminated() {
    HWND message = WaitFor(Seen::Terminated);
    if (!message) return;
    EXPECT_NE(Backdrop(), nullptr);
    EXPECT_EQ(Owner(message), Backdrop()) << "the terminated message belongs to the background window";
    Answer(message, IDOK);
    ExpectEndsWithZero();
}

void SetupWalk::ExpectEndsWithZero() {
    DWORD code = STILL_ACTIVE;
    if (lost_ || !process_) return;
    EXPECT_EQ(WaitForSingleObject(process_, 20000), WAIT_OBJECT_0) << "still running:\n" << DescribeWindows();
    EXPECT_TRUE(GetExitCodeProcess(process_, &code) && code == 0) << "exit code " << code;
}

void SetupWalk::ExpectInstalled(const std::string& dest, const std::string& keptMember) const {
    const std::string dir = InCapitals(dest.back() == '\\' ? dest : dest + "\\");
    EXPECT_TRUE(ReadBytes(dir + "Glyphvane.Exe") == Contents().Program)
        << "the program, cut to its length of " << Contents().Program.size() << " bytes";
    for (const auto& [name, content] : Contents().Members) {
        if (name == keptMember) continue;
        const bool help = name == "Glyphvane.hlp";
        EXPECT_TRUE(FileExists((help ? HelpDirectory() : dir) + name) && ReadBytes((help ? HelpDirectory() : dir) + name) == content) << name;
        EXPECT_TRUE(!help || !FileExists(dir + name)) << "help files go to the help directory";
    }
    EXPECT_FALSE(FileExists(dir + "Glyphvan._TM")) << "the joined archive is removed";
}

void SetupWalk::ExpectNothingRegistered() const {
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    EXPECT_FALSE(FileExists(ShortcutPath()));
}
