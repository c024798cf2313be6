#include "harness_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>


namespace harness {

namespace {

// A window of another process answers only from its own message loop: a
// busy setup must not hang the test.
constexpr UINT SendTimeoutMs = 5000;

std::string Caption(HWND window) {  // read without a message: no wait on a busy setup
    char buffer[512] = {};
    const int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string WindowText(HWND window) {
    char buffer[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                             SendTimeoutMs, &length))
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

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveTree(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    for (const std::string& name : ListDirectory(path)) {
        const std::string child = path + "\\" + name;
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DirectoryExists(child)) RemoveTree(child);
        else DeleteFileA(child.c_str());
    }
    RemoveDirectoryA(path.c_str());
}

std::string InCapitals(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "run";
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    const std::string root = std::string(base) + "gv-test";
    CreateDirectoryA(root.c_str(), nullptr);
    path_ = root + "\\" + name + "-" + std::to_string(counter++);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
    if (!::testing::Test::HasFailure()) RemoveTree(path_);
}

Bytes SampleBytes(std::size_t size, std::uint32_t seed) {
    // Words from a small vocabulary with noise: matches and literals both.
    static const char* const words[] = {"glyph ", "vane ", "setup ", "disk ", "archive ", "member ", "\r\n"};
    Bytes bytes;
    std::uint32_t state = seed * 2654435761u + 1;
    while (bytes.size() < size) {
        state = state * 1664525u + 1013904223u;
        if ((state >> 28) == 0) {
            bytes.push_back(static_cast<std::uint8_t>(state >> 8));
            continue;
        }
        for (const char* c = words[(state >> 16) % 7]; *c && bytes.size() < size; ++c)
            bytes.push_back(static_cast<std::uint8_t>(*c));
    }
    return bytes;
}

Bytes Product::Stream() const {
    Bytes stream = Program;
    for (const auto& member : Members) stream.insert(stream.end(), member.second.begin(), member.second.end());
    return stream;
}

MemberTable Product::Table() const {
    MemberTable table;
    auto offset = static_cast<std::int32_t>(Program.size());
    for (const auto& [name, content] : Members) {
        table.Members.push_back(MemberEntry{name, offset, static_cast<std::int32_t>(content.size())});
        offset += table.Members.back().Size;
    }
    table.DecodedTotal = offset;
    return table;
}

std::string PartName(int disk) { return "Glyphvan.00" + std::to_string(disk); }

void PutIntoDriveA(const std::string& folder) {
    using UnixName = char*(CDECL*)(const WCHAR*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    char prefix[MAX_PATH] = {};
    ASSERT_TRUE(unixName && GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH))
        << "drive A: is Wine's: run under a prefix of scripts/lib/wine.sh";
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH);
    char* target = unixName(wide);
    ASSERT_NE(target, nullptr) << folder;
    std::string command = "Z:\\bin\\ln -sfn \"" + std::string(target) + "\" \"" + prefix + "/dosdevices/a:\"";
    HeapFree(GetProcessHeap(), 0, target);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        << command << ": error " << GetLastError();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    // The handle of a Unix process does not tell when it is done: the drive does.
    const auto sorted = [](std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> content = sorted(ListDirectory(folder));
    for (int i = 0; i < 200 && sorted(ListDirectory("A:")) != content; ++i) Sleep(25);
    EXPECT_EQ(sorted(ListDirectory("A:")), content) << "drive A: holds exactly " << folder;
}

void Disks::Insert(int disk) const {
    if (Floppy) {
        PutIntoDriveA(Shelf + "\\DISK" + std::to_string(disk));
        return;
    }
    EXPECT_TRUE(MoveFileA((Shelf + "\\" + PartName(disk)).c_str(), (Drive + "\\" + PartName(disk)).c_str()))
        << "disk " << disk << ": error " << GetLastError();
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
    EXPECT_EQ(WithKey(root_, key_, [&](HKEY k) {
                  return RegSetValueExA(k, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>(value.size() + 1));
              }, true),
              ERROR_SUCCESS)
        << key_;
}

void RegistryValue::WriteNumber(DWORD value) {
    EXPECT_EQ(WithKey(root_, key_, [&](HKEY k) {
                  return RegSetValueExA(k, name_.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                        sizeof value);
              }, true),
              ERROR_SUCCESS)
        << key_;
}

void RegistryValue::Remove() {
    WithKey(root_, key_, [&](HKEY k) { return RegDeleteValueA(k, name_.c_str()); });
}

std::string RegistryString(HKEY root, const std::string& key, const std::string& name) {
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = 0;
    if (WithKey(root, key, [&](HKEY k) {
            return RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        }) != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return "<missing>";
    return data;
}

std::string UninstallValue(const char* name) {
    return RegistryString(HKEY_LOCAL_MACHINE, "Software\\microsoft\\windows\\currentversion\\uninstall\\Glyphvane",
                          name);
}

std::string ProgramsFolder() {
    const std::string folder = RegistryString(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs");
    return folder == "<missing>" ? "" : folder;
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
        loaded = SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                 SUCCEEDED(link->GetWorkingDirectory(directory, MAX_PATH)) &&
                 SUCCEEDED(link->GetShowCmd(&shortcut.ShowCommand));
        shortcut.Target = text;
        shortcut.WorkingDirectory = directory;
        file->Release();
    }
    link->Release();
    return loaded;
}

std::string WindowClass(HWND window) {
    char buffer[256] = {};
    const int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item ? WindowText(item) : "<no control " + std::to_string(id) + ">";
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                    SMTO_NORMAL, SendTimeoutMs, &result))
        << "control " << id;
}

void Press(HWND dialog, int id, bool handled) {
    const WPARAM command = MAKEWPARAM(id, BN_CLICKED);
    const auto button = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    DWORD_PTR result = 0;
    EXPECT_TRUE(handled ? SendMessageTimeoutA(dialog, WM_COMMAND, command, button, SMTO_NORMAL, SendTimeoutMs, &result)
                        : PostMessageA(dialog, WM_COMMAND, command, button));
}

void User::Attach(DWORD processId, HANDLE process) {
    processId_ = processId;
    process_ = process;
}

std::vector<HWND> User::VisibleWindows() const {
    ProcessWindows state{processId_, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&state));
    return state.second;
}

HWND User::Find(const DialogMatch& match) const {
    for (HWND window : VisibleWindows())
        if (WindowClass(window) == "#32770" && Caption(window) == match.Caption &&
            (match.Text.empty() || ItemText(window, 0xFFFF) == match.Text))
            return window;
    return nullptr;
}

bool User::Until(const std::function<bool()>& done, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (!process_) Sleep(5);
        else if (WaitForSingleObject(process_, 10) == WAIT_OBJECT_0) return done();
    }
    return true;
}

HWND User::WaitFor(const DialogMatch& match, DWORD timeoutMs) {
    HWND found = nullptr;
    if (lost_ || !Until([&] { return (found = Find(match)) != nullptr; }, timeoutMs)) {
        if (!lost_)
            ADD_FAILURE() << "no dialog \"" << match.Caption << "\" " << match.Text << "\nvisible windows:\n"
                          << DescribeWindows();
        lost_ = true;
        return nullptr;
    }
    log_.emplace_back(match.Caption + " " + match.Text, std::chrono::steady_clock::now());
    return found;
}

void User::Answer(HWND dialog, int id) {
    if (!dialog || lost_) {
        if (!lost_) ADD_FAILURE() << "no dialog to answer with " << id;
        lost_ = true;
        return;
    }
    Press(dialog, id);
    if (!Until([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 15000)) {
        ADD_FAILURE() << "\"" << Caption(dialog) << "\" still open; visible windows:\n" << DescribeWindows();
        lost_ = true;
    }
}

void User::CancelWith(HWND dialog, int answer) {
    if (!dialog) return void(lost_ = true);
    Press(dialog, IDCANCEL);
    HWND question = WaitFor(Seen::CancelQuestion);
    EXPECT_TRUE(!question || !Owner(question)) << "the cancel question has no owner";
    Answer(question, answer);
}

void User::ExpectQuestion(HWND dialog) {
    if (!dialog) return;
    RECT frame{};
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2) << "centred";
    EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2) << "centred";
    DWORD_PTR defaultId = 0;
    SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, SendTimeoutMs, &defaultId);
    EXPECT_EQ(defaultId, MAKELRESULT(IDOK, DC_HASDEFID)) << "Enter presses OK";
}

std::string User::DescribeWindows() const {
    std::ostringstream out;
    for (HWND window : VisibleWindows()) {
        out << "  [" << WindowClass(window) << "] \"" << Caption(window) << "\"\n";
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            out << "      " << GetDlgCtrlID(child) << " \"" << WindowText(child).substr(0, 120) << "\"\n";
    }
    return out.str();
}

INT_PTR WithUser(const std::function<INT_PTR()>& modal, const std::function<void(User&)>& user) {
    std::atomic<bool> ended{false};
    std::thread player([&] {
        User acting;
        user(acting);
        // Dialogs a lost user leaves open are cancelled, the question confirmed.
        bool reported = acting.Lost();
        for (int waited = 0; !ended; waited += 5, Sleep(5)) {
            if (!reported && waited < 30000) continue;
            if (!reported) ADD_FAILURE() << "left open:\n" << acting.DescribeWindows();
            reported = true;
            for (HWND window : acting.VisibleWindows())
                if (WindowClass(window) == "#32770")
                    PostMessageA(window, WM_COMMAND, Caption(window) == Seen::CancelQuestion.Caption ? IDYES : IDCANCEL, 0);
            Sleep(100);
        }
    });
    const INT_PTR result = modal();
    ended = true;
    player.join();
    return result;
}

}  // namespace harness
