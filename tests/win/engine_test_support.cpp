#include "engine_test_support.h"

#include <chrono>
#include <fstream>
#include <iterator>

#include "archive/byte_stream_win.h"
#include "setup/globals.h"
#include "ui/resource.h"

namespace enginetest {

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string TextOf(HWND window, int controlId)
{
    HWND control = controlId ? GetDlgItem(window, controlId) : window;
    if (!control)
        return std::string();
    char text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        500, &length);
    return text;
}

struct Candidates {
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context)
{
    auto* candidates = reinterpret_cast<Candidates*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == candidates->process && std::string(className) == "#32770" && IsWindowVisible(window))
        candidates->windows.push_back(window);
    return TRUE;
}

}  // namespace

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "gv-engine-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Bytes SampleBytes(std::size_t size, std::uint32_t seed)
{
    // Words from a small vocabulary with noise: matches and literals both.
    static const char* const words[] = {"glyph ", "vane ", "setup ", "disk ", "archive ", "member ", "\r\n"};
    Bytes bytes;
    bytes.reserve(size);
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

Bytes Product::Stream() const
{
    Bytes stream = Program;
    for (const auto& member : Members)
        stream.insert(stream.end(), member.second.begin(), member.second.end());
    return stream;
}

MemberTable Product::Table() const
{
    MemberTable table;
    std::int32_t offset = static_cast<std::int32_t>(Program.size());
    for (const auto& [name, content] : Members) {
        table.Members.push_back(MemberEntry{name, offset, static_cast<std::int32_t>(content.size())});
        offset += table.Members.back().Size;
    }
    table.DecodedTotal = offset;
    return table;
}

void WriteSetupFile(const std::string& path, const MemberTable& table)
{
    Bytes file(100, 'M');  // stands for the executable image
    const Bytes tail = SerializeMemberTable(table);
    file.insert(file.end(), tail.begin(), tail.end());
    WriteBytes(path, file);
}

void PrepareInstallState(const std::string& destDir, const std::string& windowsDir, bool withHelpDir)
{
    static std::uint8_t inBlock[TransferBufferSize];
    static std::uint8_t outBlock[TransferBufferSize];
    InBuffer = inBlock;
    OutBuffer = outBlock;
    GetBytesProc = ReadCompressed;
    PutBytesProc = WriteDecoded;
    DestDir = destDir;
    SourceDir = destDir;
    std::snprintf(WindowsDir, sizeof WindowsDir, "%s", windowsDir.c_str());
    if (withHelpDir)
        CreateDirectoryA((windowsDir + "\\Help").c_str(), nullptr);
    ContinueFlag = 1;
}

BoxAnswerer::BoxAnswerer(std::function<int(const ShownBox&)> answer)
    : answer_(std::move(answer)), thread_([this] { Run(); })
{
}

BoxAnswerer::~BoxAnswerer()
{
    stop_ = true;
    thread_.join();
}

std::vector<ShownBox> BoxAnswerer::Answered()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return answered_;
}

void BoxAnswerer::Run()
{
    while (!stop_) {
        Candidates candidates{GetCurrentProcessId(), {}};
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&candidates));
        for (HWND window : candidates.windows) {
            // A box is filled in after it appears: give it a moment first.
            Seen& seen = seen_.emplace(window, Seen{GetTickCount(), false}).first->second;
            if (seen.answered || GetTickCount() - seen.since < 30)
                continue;
            // 0xFFFF is the id of a message box's text.
            const std::string caption = TextOf(window, 0);
            // A copy dialog loses its frame while it is being destroyed.
            const bool copyDialog =
                GetDlgItem(window, IDC_PROGRESS_FRAME) != nullptr || caption == "Please Stand By...";
            const ShownBox box{window, caption, TextOf(window, 0xFFFF), copyDialog};
            if (box.Caption.empty() && box.Text.empty())
                continue;  // not filled in yet
            const int command = answer_(box);
            if (command == 0)
                continue;
            seen.answered = true;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                answered_.push_back(box);
            }
            PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
        }
        // A closed window's handle may come back for the next box.
        for (auto it = seen_.begin(); it != seen_.end();)
            it = IsWindow(it->first) ? std::next(it) : seen_.erase(it);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace enginetest
