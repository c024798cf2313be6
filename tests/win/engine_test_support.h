// Helpers of the engine's Windows tests: scratch directories, file bytes,
// small distributions, and a second thread that answers the message boxes
// and dialogs the code under test puts up on the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "archive/member_table.h"

namespace enginetest {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory under the temp directory, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// Bytes that compress somewhat but not to nothing, the same for a seed.
Bytes SampleBytes(std::size_t size, std::uint32_t seed);

// The decoded stream of a product: the program followed by its members,
// with the member table that describes it.
struct Product {
    Bytes Program;
    std::vector<std::pair<std::string, Bytes>> Members;
    Bytes Stream() const;
    MemberTable Table() const;
};

// A file that ends with `table`, as setup.exe does.
void WriteSetupFile(const std::string& path, const MemberTable& table);

// Points the program-wide state at a test installation: DestDir,
// WindowsDir (whose "Help" directory is made when `withHelpDir`), the
// byte source and sink and their buffers.
void PrepareInstallState(const std::string& destDir, const std::string& windowsDir, bool withHelpDir);

// A dialog or message box of this process that is up right now.
struct ShownBox {
    HWND Window;
    std::string Caption;
    std::string Text;  // a message box's text; "" for other dialogs
    bool IsCopyDialog;  // one of the two copy dialogs, not a message box
};

// Answers boxes from a thread of its own: `answer` is asked once for every
// new dialog window of the process and returns the command to post to it
// (IDOK, IDCANCEL, IDYES, ...) or 0 to leave it alone. Every box answered
// is recorded in order.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<int(const ShownBox&)> answer);
    ~BoxAnswerer();
    std::vector<ShownBox> Answered();

private:
    void Run();
    std::function<int(const ShownBox&)> answer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<ShownBox> answered_;
    struct Seen {
        DWORD since;
        bool answered;
    };
    std::map<HWND, Seen> seen_;
    std::thread thread_;
};

}  // namespace enginetest
