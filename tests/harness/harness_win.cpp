#include "harness_win.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

#include "dialog_driver_win.h"

namespace fs = std::filesystem;

namespace harness {

namespace {

// A dialog is read while it shows: another one counts once it has stayed
// this long, so that one still being filled in is not taken for it.
constexpr ULONGLONG SettleMs = 500;

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
    std::error_code error;
    return fs::is_regular_file(path, error);
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "run";
    std::replace(name.begin(), name.end(), '/', '_');  // a table's tests are named "Table/Test"
    path_ = (fs::temp_directory_path() / "gv-test" / (name + "-" + std::to_string(counter++))).string();
    std::error_code error;
    fs::remove_all(path_, error);
    fs::create_directories(path_, error);
}

TempDir::~TempDir() {
    std::error_code error;
    if (!::testing::Test::HasFailure()) fs::remove_all(path_, error);
}

Bytes SampleBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random() >> 11);
    return bytes;
}

std::string Caption(HWND window) { return driver::Caption(window); }

std::string ItemText(HWND dialog, int id) { return driver::ItemText(dialog, id); }

void SetItemText(HWND dialog, int id, const std::string& text) {
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                    SMTO_NORMAL, 5000, &result))
        << "control " << id;
}

void Press(HWND dialog, int id) { EXPECT_TRUE(driver::Press(dialog, id)) << "control " << id; }

std::vector<HWND> User::VisibleWindows() const { return driver::VisibleWindows(processId_); }

HWND User::Find(const DialogMatch& match) const {
    for (HWND window : VisibleWindows())
        if (driver::WindowClass(window) == driver::DialogClass && Caption(window) == match.Caption &&
            (match.Text.empty() || ItemText(window, 0xFFFF) == match.Text))
            return window;
    return nullptr;
}

bool User::Until(const std::function<bool()>& done, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (!process_)
            Sleep(5);
        else if (WaitForSingleObject(process_, 10) == WAIT_OBJECT_0)
            return done();
    }
    return true;
}

void User::Lose(const std::string& what) {
    if (!lost_) ADD_FAILURE() << what << "\nvisible windows:\n" << DescribeWindows();
    lost_ = true;
}

HWND User::OtherQuestion(const DialogMatch* expected) {
    HWND other = nullptr;
    for (HWND window : VisibleWindows()) {
        const std::string caption = Caption(window);
        const bool same = expected && caption == expected->Caption;
        // A busy process may not tell its text yet: only another text counts.
        const std::string text = same && !expected->Text.empty() ? ItemText(window, 0xFFFF) : driver::NoAnswer;
        if (driver::WindowClass(window) == driver::DialogClass && caption != Seen::Gathering.Caption &&
            (!same || (text != driver::NoAnswer && text != expected->Text)) &&
            std::count(known_.begin(), known_.end(), window) == 0)
            other = window;
    }
    if (other != candidate_) seenAt_ = GetTickCount64();
    candidate_ = other;
    return other && GetTickCount64() - seenAt_ >= SettleMs ? other : nullptr;
}

std::string User::WhyNot(HWND other, DWORD timeoutMs) const {
    if (other) return "it shows \"" + Caption(other) + "\" " + ItemText(other, 0xFFFF) + " instead";
    if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return "it has ended";
    return "not on show after " + std::to_string(timeoutMs / 1000) + " s";
}

HWND User::WaitFor(const DialogMatch& match, DWORD timeoutMs) {
    HWND found = nullptr, other = nullptr;
    if (lost_ || !Until([&] { return (found = Find(match)) || (other = OtherQuestion(&match)); }, timeoutMs) || other)
        Lose("no dialog \"" + match.Caption + "\" " + match.Text + ": " + WhyNot(other, timeoutMs));
    else
        known_.push_back(found);
    return lost_ ? nullptr : found;
}

void User::Answer(HWND dialog, int id) {
    if (!dialog || lost_) return Lose("no dialog to answer with " + std::to_string(id));
    Press(dialog, id);
    if (!Until([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 15000))
        Lose("\"" + Caption(dialog) + "\" still open");
}

std::string User::DescribeWindows() const {
    std::ostringstream out;
    for (HWND window : VisibleWindows()) {
        out << "  [" << driver::WindowClass(window) << "] \"" << Caption(window) << "\"\n";
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            out << "      " << GetDlgCtrlID(child) << " \"" << driver::Text(child).substr(0, 120) << "\"\n";
    }
    return out.str();
}

INT_PTR WithUser(const std::function<INT_PTR()>& modal, const std::function<void(User&)>& user) {
    std::atomic<bool> ended{false};
    std::thread player([&] {
        User acting;
        user(acting);
        // Dialogs the user leaves open are cancelled, the question confirmed.
        if (!acting.Until([&] { return ended.load(); }, acting.Lost() ? 0 : 30000)) acting.Lose("left open");
        while (!ended) {
            for (HWND window : acting.VisibleWindows())
                if (driver::WindowClass(window) == driver::DialogClass)
                    PostMessageA(window, WM_COMMAND, Caption(window) == Seen::CancelQuestion.Caption ? IDYES : IDCANCEL,
                                 0);
            Sleep(100);
        }
    });
    const INT_PTR result = modal();
    ended = true;
    player.join();
    return result;
}

}  // namespace harness
