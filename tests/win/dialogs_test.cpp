// The three questions, run for real: the test thread runs
// each dialog modally while a second thread plays the user with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine_test_support.h"
#include "setup/globals.h"
#include "setup/registry_win.h"
#include "ui/agreement.h"
#include "ui/dialogs_win.h"
#include "ui/resource.h"
#include "util/paths.h"

namespace {

constexpr char ConfirmCaption[] = "Exit Glyphvane";

// The dialog with `caption` once it shows, or null after five seconds.
HWND WaitFor(const char* caption) {
  HWND found = nullptr;
  for (int i = 0; i < 1000; ++i, Sleep(5)) {
    if ((found = FindWindowA("#32770", caption)) && IsWindowVisible(found)) return found;
  }
  return nullptr;
}

std::string TextOf(HWND window) {
  char buffer[1024] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// Sent, so the dialog has handled it on return: only for commands that ask nothing.
void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Cancel asks first: No keeps the dialog open, Yes ends it.
void CancelNoThenYes(HWND dialog) {
  for (int answer : {IDNO, IDYES}) {
    EXPECT_TRUE(IsWindowVisible(dialog)) << answer;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    HWND box = WaitFor(ConfirmCaption);
    ASSERT_NE(box, nullptr) << answer;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    for (int i = 0; i < 1000 && IsWindow(box); ++i) Sleep(5);
  }
}

// A dialog left open, or a question over it, by a user that got lost:
// answered Yes or ended (the question dialogs end with 0 on WM_DESTROY).
BOOL CALLBACK EndLeftover(HWND window, LPARAM count) {
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") != 0) return TRUE;
  ++*reinterpret_cast<int*>(count);
  const bool box = TextOf(window) == ConfirmCaption;
  PostMessageA(window, box ? WM_COMMAND : WM_DESTROY, box ? MAKEWPARAM(IDYES, BN_CLICKED) : 0, 0);
  return TRUE;
}

struct Question {
  const char* name;
  DLGPROC proc;
  const char* caption;
};
const Question Destination{"Main", MainDialogProc, "Destination Directory"};
const Question Agreement{"License", LicenseDialogProc, "License Agreement"};
const Question Group{"Group", GroupDialogProc, "Program Group"};

// Runs `question` modally on this thread while `user` acts on it from a
// second one, and checks what the dialog ended with.
void Drive(const Question& question, INT_PTR result, const std::function<void(HWND)>& user) {
  ScreenWidth = GetSystemMetrics(SM_CXSCREEN);  // the dialogs centre on it
  ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  const DWORD self = GetCurrentThreadId();
  bool shown = false;
  std::thread player([&] {
    if (HWND dialog = WaitFor(question.caption)) {
      shown = true;
      // Enter presses OK: it stays the default button.
      EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID)) << question.name;
      user(dialog);
    }
    for (int i = 0, open = 1; i < 400 && open; ++i, Sleep(5)) {
      open = 0;
      EnumThreadWindows(self, EndLeftover, reinterpret_cast<LPARAM>(&open));
    }
  });
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), question.name, nullptr, question.proc, 0),
            result);
  player.join();
  EXPECT_TRUE(shown) << question.caption;
}

constexpr char MakerKey[] = "Software\\Tallowmere";
constexpr char ProductKey[] = "Software\\Tallowmere\\Glyphvane";
constexpr char CurrentVersionKey[] = "software\\microsoft\\windows\\CurrentVersion";

// Writes `text` as a string value, or deletes the value when it is null.
void SetString(HKEY root, const char* path, const char* name, const char* text) {
  const TRegKey key = CreateRegKey(root, path);
  if (text) WriteRegString(key.get(), name, text);
  if (!text) RegDeleteValueA(key.get(), name);
}

void ForgetProduct() {
  RegDeleteKeyA(HKEY_CURRENT_USER, ProductKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, MakerKey);
}

std::string Upper(std::string s) {
  CharUpperBuffA(&s[0], DWORD(s.size()));
  return s;
}

// Puts the machine's "ProgramFilesDir" back and removes what a test made.
class DestinationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hadProgramFiles_ = ReadRegString(CreateRegKey(HKEY_LOCAL_MACHINE, CurrentVersionKey).get(),
                                     "ProgramFilesDir", programFiles_);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    cwd_ = cwd;
    ForgetProduct();
  }
  void TearDown() override {
    SetCurrentDirectoryA(cwd_.c_str());
    if (hadProgramFiles_)
      SetString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", programFiles_.c_str());
    ForgetProduct();
  }
  bool hadProgramFiles_ = false;
  enginetest::TempDir scratch_;
  std::string programFiles_, cwd_;
};

TEST_F(DestinationTest, ProposesTheStoredOrTheProgramFilesDefault) {
  struct Case {
    const char* regDir;  // nullptr: none, or a number with `number`
    bool number;
    const char* programFiles;  // nullptr: none
    const char* proposal;
  };
  const Case cases[] = {
      {"d:\\apps\\gv", false, "C:\\Program Files", "d:\\apps\\gv"},
      {"", false, "E:\\", "E:\\Glyphvane"},
      {nullptr, true, "E:\\", "E:\\Glyphvane"},
      {nullptr, false, "C:\\Program Files", "C:\\Program Files\\Glyphvane"},
      {nullptr, false, "E:\\", "E:\\Glyphvane"},
      {nullptr, false, nullptr, "C:\\Program Files\\Glyphvane"},
  };
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proposal);
    ForgetProduct();
    if (c.regDir) SetString(HKEY_CURRENT_USER, ProductKey, "RegDir", c.regDir);
    const DWORD seven = 7;
    if (c.number) {
      RegSetValueExA(CreateRegKey(HKEY_CURRENT_USER, ProductKey).get(), "RegDir", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&seven), sizeof seven);
    }
    SetString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", c.programFiles);
    DestDir = "unset";
    Drive(Destination, 1, [&](HWND dialog) {
      EXPECT_EQ(DestDir, DirPart(self));
      EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_DEST_DIR)), Upper(c.proposal));
      SetDlgItemTextA(dialog, IDC_DEST_DIR, "C:\\");
      Press(dialog, IDOK);
    });
    EXPECT_EQ(DefaultDestDir, c.proposal);
    EXPECT_TRUE(OpenRegKey(HKEY_CURRENT_USER, MakerKey));  // left behind
    EXPECT_EQ(bool(OpenRegKey(HKEY_CURRENT_USER, ProductKey)), c.regDir || c.number);
  }
}

TEST_F(DestinationTest, RejectsUnacceptableAnswersCreatesOneLevelAndAsksBeforeCancel) {
  const std::string in = Upper(scratch_.Path()) + "\\", twoLevels = in + "A\\B",
                    created = in + "NEWDIR";
  const std::string rejected[] = {"",        "C",        "\\\\SERVER\\SHARE", "1:\\GLYPHVANE",
                                  twoLevels, in + "*.*", in + "GV?"};
  Drive(Destination, 1, [&](HWND dialog) {
    for (const std::string& text : rejected) {
      SetDlgItemTextA(dialog, IDC_DEST_DIR, text.c_str());
      Press(dialog, IDOK);
      EXPECT_TRUE(IsWindowVisible(dialog)) << text;
      EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_DEST_DIR)), text);
      EXPECT_EQ(DestDir, text);  // kept: a cancel cleans up from the last answer
    }
    SetDlgItemTextA(dialog, IDC_DEST_DIR, created.c_str());
    Press(dialog, IDOK);
  });
  EXPECT_EQ(GetFileAttributesA(twoLevels.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(created.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  EXPECT_EQ(Upper(cwd), created);

  Drive(Destination, 0, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_DEST_DIR, "9:\\NOWHERE");
    Press(dialog, IDOK);
    CancelNoThenYes(dialog);
  });
  EXPECT_EQ(DestDir, "9:\\NOWHERE");
}

TEST(AgreementDialog, ShowsItsTextAndIsAcceptedOrLeftAfterAsking) {
  Drive(Agreement, 1, [&](HWND dialog) {
    HWND field = FindWindowExA(dialog, nullptr, "Edit", nullptr);  // by id 0: not GetDlgItem
    while (field && GetDlgCtrlID(field) != IDC_LICENSE_TEXT)
      field = FindWindowExA(dialog, field, "Edit", nullptr);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(GetWindowLongA(field, GWL_STYLE), 0x50200804);
    EXPECT_TRUE(GetWindowLongA(field, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    RECT place = {}, client = {};
    GetWindowRect(field, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    GetClientRect(dialog, &client);
    const std::vector<LONG> box = {place.left, place.top, place.right, place.bottom};
    EXPECT_EQ(box, std::vector<LONG>({10, 10, client.right - 10, client.bottom - 80}));
    EXPECT_EQ(GetWindowTextLengthA(field), lstrlenA(AgreementText));
    Press(dialog, IDOK);
  });
  Drive(Agreement, 0, [&](HWND dialog) { CancelNoThenYes(dialog); });
}

TEST(GroupDialog, ProposesTheNameAndTakesTheAnswer) {
  struct Case {
    const char* typed;  // nullptr: keep the proposal
    int button;
    INT_PTR result;
    std::string group;
  };
  const Case cases[] = {
      {nullptr, IDOK, 1, "Glyphvane"},
      {"", IDOK, 1, ""},
      {"Other", IDCANCEL, 0, "Glyphvane"},  // Cancel asks nothing here
  };
  for (const Case& c : cases) {
    GroupName = "Glyphvane";
    Drive(Group, c.result, [&](HWND dialog) {
      EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_GROUP_NAME)), "Glyphvane");
      if (c.typed) SetDlgItemTextA(dialog, IDC_GROUP_NAME, c.typed);
      Press(dialog, c.button);
    });
    EXPECT_EQ(GroupName, c.group);
  }
}

}  // namespace
