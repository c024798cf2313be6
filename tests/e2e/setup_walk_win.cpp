#include "setup_walk_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "commands.h"
#include "options.h"

namespace {

// A window of another process answers only from its own message loop: a
// busy setup must not hang the test.
constexpr UINT SendTimeoutMs = 5000;
constexpr const char* UninstallKey =
    "Software\\microsoft\\windows\\currentversion\\uninstall\\Glyphvane";
constexpr std::uint64_t Cluster = 512;
constexpr std::uint64_t FirstPartRoom = 16384;        // part 1 beside setup.exe
constexpr std::uint64_t TableRoom = 5 + 28 * 255;     // the table pack appends
constexpr std::size_t LongAtlasSize = 24u << 20;      // decodes in about a second

std::string OwnDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.find_last_of('\\') + 1);
}

std::string TempRoot() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    std::string root = std::string(path) + "gv-e2e\\";
    CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

void RemoveTree(std::string path) {
    if (path.back() == '\\') path.pop_back();
    for (const std::string& name : ListDirectory(path)) {
        std::string child = path + "\\" + name;
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DirectoryExists(child)) RemoveTree(child);
        else DeleteFileA(child.c_str());
    }
    RemoveDirectoryA(path.c_str());
}

void Copy(const std::string& from, const std::string& to) {
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << ": error " << GetLastError();
}

std::string Caption(HWND window) {  // read without a message: no wait on a busy setup
    char buffer[512] = {};
    int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string WindowText(HWND window) {
    char buffer[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_NORMAL, SendTimeoutMs, &length))
        return "<no answer>";
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

// Opens `key` (creates it when `create`) for one call of `use`.
LONG WithKey(HKEY root, const std::string& key, const std::function<LONG(HKEY)>& use, bool create = false) {
    HKEY handle;
    LONG status = create ? RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr)
                         : RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &handle);
    if (status != ERROR_SUCCESS) return status;
    status = use(handle);
    RegCloseKey(handle);
    return status;
}

bool ReadString(HKEY root, const std::string& key, const std::string& name, std::string& value) {
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = 0;
    if (WithKey(root, key, [&](HKEY k) {
            return RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        }) != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value = data;
    return true;
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
};

std::string PartName(int k) { return "Glyphvan.00" + std::to_string(k); }

// The marker program, uninstaller, a help file in lower case, a library, a
// text, noise that makes three parts and, for a Long unpacking, an atlas
// that compresses well but takes its time to decode.
PackedDistribution Pack(const std::string& setupExe, std::size_t atlasSize, const std::string& dir) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(setupExe.c_str(), GetFileExInfoStandard, &data);
    const std::uint64_t disk = (data.nFileSizeLow + TableRoom + Cluster - 1) / Cluster * Cluster + FirstPartRoom;
    // Aim the archive at the middle of disk 3; a repeated line packs to ~2 %.
    const auto noise = static_cast<std::size_t>((FirstPartRoom + disk + disk / 2) * 9 / 10 - atlasSize / 50);
    PackedDistribution packed;
    Product& product = packed.Contents;
    product.Program = ReadBytes(OwnDirectory() + "e2e_product.exe");
    EXPECT_FALSE(product.Program.empty()) << "the marker program is missing";
    product.Members = {
        {"UnInstal.Exe", Repeated("MZ uninstaller of the walks ", 3000)},
        {"Glyphvane.hlp", Repeated("help topic, lower-case extension; ", 2049)},
        {"Glyphvane.LIB", Repeated("library as shipped ", 2048)},
        {"ReadMe.Txt", Repeated("Read me first.\r\nThen read me again.\r\n", 1500)},
        {"Glyphvane.Dat", Noise(noise)},
    };
    if (atlasSize > 0)
        product.Members.push_back({"Atlas.Txt", Repeated("Glyphvane atlas, sheet 0123456789\r\n", atlasSize)});

    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string staging = dir + "\\product\\";
    CreateDirectoryA(staging.c_str(), nullptr);
    Options pack;
    pack.Command = "pack";
    pack.Quiet = true;
    pack.ProgramPath = staging + "Glyphvane.Exe";
    WriteBytes(pack.ProgramPath, product.Program);
    for (const ProductFile& member : product.Members) {
        WriteBytes(staging + member.Name, member.Content);
        pack.MemberPaths.push_back(staging + member.Name);
    }
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
    while (packed.PartCount < 9 && FileExists(packed.Directory + PartName(packed.PartCount + 1)))
        ++packed.PartCount;
    return packed;
}

// Packed once per build and kept for the whole run.
const PackedDistribution& DistributionFor(const std::string& build, Unpacking unpacking) {
    static std::map<std::string, PackedDistribution> packed;
    const bool isLong = unpacking == Unpacking::Long;
    const std::string key = build + (isLong ? ".long" : "");
    auto found = packed.find(key);
    if (found != packed.end()) return found->second;
    const std::string cache = TempRoot() + "packed";
    CreateDirectoryA(cache.c_str(), nullptr);
    if (build == SetupComplete)
        return packed[key] = Pack(OwnDirectory() + build, isLong ? LongAtlasSize : 0, cache + "\\" + key);
    // Another build with the same parts: its executable with the member table appended.
    PackedDistribution copy = DistributionFor(SetupComplete, unpacking);
    const std::string dir = cache + "\\" + key;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    Bytes table = ReadBytes(copy.Directory + "setup.exe"), setup = ReadBytes(OwnDirectory() + build);
    setup.insert(setup.end(), table.end() - static_cast<std::ptrdiff_t>(5 + 28 * table.at(table.size() - 5)), table.end());
    WriteBytes(dir + "\\setup.exe", setup);
    for (int k = 1; k <= copy.PartCount; ++k) Copy(copy.Directory + PartName(k), dir + "\\" + PartName(k));
    copy.Directory = dir + "\\";
    return packed[key] = copy;
}

class PackedCache : public ::testing::Environment {
public:
    void TearDown() override { RemoveTree(TempRoot() + "packed"); }
};
::testing::Environment* const packedCache = ::testing::AddGlobalTestEnvironment(new PackedCache);

}  // namespace

std::string InCapitals(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string WindowClass(HWND window) {
    char buffer[256] = {};
    int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item ? WindowText(item) : "<no control " + std::to_string(id) + ">";
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                                    reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, SendTimeoutMs, &result))
        << "control " << id;
}

void Press(HWND dialog, int id, bool handled) {
    WPARAM command = MAKEWPARAM(id, BN_CLICKED);
    LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    DWORD_PTR result = 0;
    ASSERT_TRUE(handled ? SendMessageTimeoutA(dialog, WM_COMMAND, command, button, SMTO_NORMAL, SendTimeoutMs, &result)
                        : PostMessageA(dialog, WM_COMMAND, command, button));
}

RegistryValue::RegistryValue(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
    data_.resize(4096);
    DWORD size = static_cast<DWORD>(data_.size());
    had_ = WithKey(root_, key_, [&](HKEY k) {
               return RegQueryValueExA(k, name_.c_str(), nullptr, &type_, data_.data(), &size);
           }) == ERROR_SUCCESS;
    data_.resize(had_ ? size : 0);
}

RegistryValue::~RegistryValue() {
    if (!had_) Remove();
    else WithKey(root_, key_, [&](HKEY k) {
        return RegSetValueExA(k, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    }, true);
}

void RegistryValue::Write(const std::string& value) {
    ASSERT_EQ(WithKey(root_, key_, [&](HKEY k) {
                  return RegSetValueExA(k, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>(value.size() + 1));
              }, true),
              ERROR_SUCCESS)
        << key_;
}

void RegistryValue::Remove() {
    WithKey(root_, key_, [&](HKEY k) { return RegDeleteValueA(k, name_.c_str()); });
}

std::string UninstallValue(const char* name) {
    std::string value = "<missing>";
    ReadString(HKEY_LOCAL_MACHINE, UninstallKey, name, value);
    return value;
}

std::string ProgramsFolder() {
    std::string folder;
    ReadString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
               "Programs", folder);
    return folder;
}

std::string HelpDirectory() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Help\\";
}

bool LoadShortcut(const std::string& path, Shortcut& shortcut) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool loaded = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        char text[MAX_PATH] = {}, directory[MAX_PATH] = {};
        loaded = SUCCEEDED(file->Load(wide, STGM_READ)) &&
                 SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                 SUCCEEDED(link->GetWorkingDirectory(directory, MAX_PATH)) &&
                 SUCCEEDED(link->GetShowCmd(&shortcut.ShowCommand));
        shortcut.Target = text;
        shortcut.WorkingDirectory = directory;
        file->Release();
    }
    link->Release();
    return loaded;
}

void SetupWalk::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    root_ = TempRoot() + name + "\\";
    RemoveTree(root_);
    for (const char* dir : {"", "DISK", "SHELF"}) CreateDirectoryA((root_ + dir).c_str(), nullptr);
    regDir_ = new RegistryValue(HKEY_CURRENT_USER, "Software\\Tallowmere\\Glyphvane", "RegDir");
    regDir_->Remove();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    DeleteFileA(ShortcutPath().c_str());
    DeleteFileA(HelpFile().c_str());
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
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    DeleteFileA(ShortcutPath().c_str());
    DeleteFileA(HelpFile().c_str());
    delete regDir_;
    if (!HasFailure()) RemoveTree(root_);
}

void SetupWalk::Start(const char* setupBuild, Unpacking unpacking) {
    const PackedDistribution& packed = DistributionFor(setupBuild, unpacking);
    contents_ = &packed.Contents;
    ASSERT_EQ(packed.PartCount, 3) << "the walks need a distribution of three disks";
    Copy(packed.Directory + "setup.exe", Drive() + "setup.exe");
    for (int k = 1; k <= 3; ++k)
        Copy(packed.Directory + PartName(k), (k == 1 ? Drive() : root_ + "SHELF\\") + PartName(k));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string exe = Drive() + "setup.exe", commandLine = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               Drive().c_str(), &startup, &info))
        << "cannot start " << exe << ": error " << GetLastError();
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
}

void SetupWalk::InsertDisk(int disk) {
    ASSERT_TRUE(MoveFileA((root_ + "SHELF\\" + PartName(disk)).c_str(), (Drive() + PartName(disk)).c_str()))
        << "disk " << disk << ": error " << GetLastError();
}

bool SetupWalk::Until(const std::function<bool()>& done, DWORD timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (WaitForSingleObject(process_, 10) == WAIT_OBJECT_0) return done();
    }
    return true;
}

namespace {
using ProcessWindows = std::pair<DWORD, std::vector<HWND>>;

// A named CALLBACK, not a lambda: the 32-bit build needs the stdcall convention.
BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM data) {
    auto* state = reinterpret_cast<ProcessWindows*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == state->first && IsWindowVisible(window)) state->second.push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> SetupWalk::VisibleWindows() const {
    ProcessWindows state{processId_, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&state));
    return state.second;
}

HWND SetupWalk::Find(const DialogMatch& match) const {
    for (HWND window : VisibleWindows())
        if (WindowClass(window) == "#32770" && Caption(window) == match.Caption &&
            (match.Text.empty() || ItemText(window, 0xFFFF) == match.Text))
            return window;
    return nullptr;
}

HWND SetupWalk::WaitFor(const DialogMatch& match, DWORD timeoutMs) {
    HWND found = nullptr;
    if (lost_ || !process_ || !Until([&] { return (found = Find(match)) != nullptr; }, timeoutMs)) {
        if (!lost_) ADD_FAILURE() << "no dialog \"" << match.Caption << "\" " << match.Text
                                  << "\nvisible windows:\n" << DescribeWindows();
        lost_ = true;
        return nullptr;
    }
    log_.emplace_back(match.Caption + " " + match.Text, std::chrono::steady_clock::now());
    return found;
}

void SetupWalk::Answer(HWND dialog, int id) {
    if (!dialog || lost_) {
        if (!lost_) ADD_FAILURE() << "no dialog to answer with " << id;
        return;
    }
    Press(dialog, id);
    if (!Until([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 15000)) {
        ADD_FAILURE() << "\"" << Caption(dialog) << "\" still open; visible windows:\n" << DescribeWindows();
        lost_ = true;
    }
}

HWND SetupWalk::Backdrop() const {
    for (HWND window : VisibleWindows())
        if (WindowClass(window) == "TMSetUp") return window;
    return nullptr;
}

std::string SetupWalk::DescribeWindows() const {
    std::ostringstream out;
    for (HWND window : VisibleWindows()) {
        out << "  [" << WindowClass(window) << "] \"" << Caption(window) << "\"\n";
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            out << "      " << GetDlgCtrlID(child) << " \"" << WindowText(child).substr(0, 120) << "\"\n";
    }
    return out.str();
}

void SetupWalk::EnterDestination(const std::string& path) {
    HWND dialog = WaitFor(Seen::Destination);
    if (!dialog) return;
    SetItemText(dialog, 104, path);
    EXPECT_EQ(ItemText(dialog, 104), InCapitals(path)) << "the field holds capitals only";
    Answer(dialog, IDOK);
}

void SetupWalk::AcceptAgreement() { Answer(WaitFor(Seen::Agreement), IDOK); }

void SetupWalk::SwapDisks() {
    for (int k = 2; k <= 3; ++k) {
        HWND prompt = WaitFor(Seen::DiskPrompt(k));
        if (!prompt) return;
        EXPECT_EQ(Owner(prompt), Find(Seen::Gathering)) << "the prompt belongs to the gathering dialog";
        InsertDisk(k);
        Answer(prompt, IDOK);
    }
}

void SetupWalk::AcceptGroup(const std::string& name) {
    HWND dialog = WaitFor(Seen::ProgramGroup);
    if (!dialog) return;
    EXPECT_EQ(ItemText(dialog, 102), "Glyphvane") << "the product's name is proposed";
    if (!name.empty()) SetItemText(dialog, 102, name);
    Answer(dialog, IDOK);
}

void SetupWalk::AnswerFinalQuestion(int answer) {
    HWND question = WaitFor(Seen::FinalQuestion);
    EXPECT_TRUE(!question || !Owner(question)) << "the final question has no owner";
    Answer(question, answer);
}

void SetupWalk::CancelWith(HWND dialog, int answer) {
    ASSERT_NE(dialog, nullptr);
    Press(dialog, IDCANCEL);
    HWND question = WaitFor(Seen::CancelQuestion);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(Owner(question), nullptr) << "the cancel question has no owner";
    Answer(question, answer);
}

void SetupWalk::ExpectTerminated() {
    HWND message = WaitFor(Seen::Terminated);
    ASSERT_NE(message, nullptr);
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
    for (const ProductFile& member : Contents().Members) {
        if (member.Name == keptMember) continue;
        bool help = member.Name == "Glyphvane.hlp";
        EXPECT_TRUE(ReadBytes((help ? HelpDirectory() : dir) + member.Name) == member.Content) << member.Name;
        EXPECT_TRUE(!help || !FileExists(dir + member.Name)) << "help files go to the help directory";
    }
    EXPECT_FALSE(FileExists(dir + "Glyphvan._TM")) << "the joined archive is removed";
}

void SetupWalk::ExpectNothingRegistered() const {
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    EXPECT_FALSE(FileExists(ShortcutPath()));
}
