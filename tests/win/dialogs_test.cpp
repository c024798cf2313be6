// The backdrop and the three questions, run for real: the test thread runs
// each dialog modally while a second thread plays the user with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "setup/globals.h"
#include "ui/agreement.h"
#include "ui/dialogs_win.h"
#include "ui/resource.h"
#include "util/paths.h"

namespace {

constexpr char DialogClass[] = "#32770";
constexpr char ConfirmCaption[] = "Exit Glyphvane";

HWND WaitForDialog(const char* caption) {
  for (int i = 0; i < 1000; ++i) {
    if (HWND found = FindWindowA(DialogClass, caption)) return found;
    Sleep(5);
  }
  return nullptr;
}

bool WaitUntilGone(HWND window) {
  for (int i = 0; i < 1000; ++i) {
    if (!IsWindow(window)) return true;
    Sleep(5);
  }
  return false;
}

std::string TextOf(HWND window) {
  char buffer[1024] = {};
  SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

void SetText(HWND window, const std::string& text) {
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Presses a button the way the dialog manager does. Sent, so the dialog has
// handled it on return (only for commands that raise no question).
void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Presses Cancel and answers the confirmation; true when the box appeared.
bool CancelAndAnswer(HWND dialog, int answer) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  HWND box = WaitForDialog(ConfirmCaption);
  if (!box) return false;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
  return WaitUntilGone(box);
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  return info.hwndFocus;
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM found) {
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpA(cls, DialogClass) == 0) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// A user that got lost leaves a dialog, perhaps a question, open on the test
// thread: answer Yes and end the dialogs so the test fails instead of hanging.
void EndLeftoverDialogs(DWORD thread) {
  for (int i = 0; i < 400; ++i) {
    std::vector<HWND> open;
    EnumThreadWindows(thread, CollectDialogs, reinterpret_cast<LPARAM>(&open));
    if (open.empty()) return;
    for (HWND w : open) {
      if (TextOf(w) == ConfirmCaption) {
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
      } else {
        PostMessageA(w, WM_DESTROY, 0, 0);  // the question dialogs end with 0 on it
      }
    }
    Sleep(5);
  }
}

// Runs template `name` on this thread while `user` acts on a second one.
INT_PTR RunDialog(const char* name, DLGPROC proc, const std::function<void()>& user) {
  const DWORD self = GetCurrentThreadId();
  std::thread player([&] {
    user();
    EndLeftoverDialogs(self);
  });
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), name, nullptr, proc, 0);
  player.join();
  return result;
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  }
};

// ---- registry fixtures, set with the raw API -------------------------------

void SetRegValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
                 DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetRegString(HKEY root, const char* path, const char* name, const std::string& value) {
  SetRegValue(root, path, name, REG_SZ, value.c_str(), DWORD(value.size() + 1));
}

void DeleteRegValue(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, name);
    RegCloseKey(key);
  }
}

bool ReadRawString(HKEY root, const char* path, const char* name, std::string& value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1;
  const bool ok = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                   &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (ok) value = buffer;
  return ok;
}

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

constexpr char MakerKey[] = "Software\\Tallowmere";
constexpr char ProductKey[] = "Software\\Tallowmere\\Glyphvane";
constexpr char CurrentVersionKey[] = "software\\microsoft\\windows\\CurrentVersion";

// Puts the machine's "ProgramFilesDir" back after a test changed it.
class DestinationTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    hadProgramFiles_ = ReadRawString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir",
                                     programFiles_);
    RegDeleteKeyA(HKEY_CURRENT_USER, ProductKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, MakerKey);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    cwd_ = cwd;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    scratch_ = PathJoin(temp, "gvui" + std::to_string(GetCurrentProcessId()));
    CreateDirectoryA(scratch_.c_str(), nullptr);
  }
  void TearDown() override {
    SetCurrentDirectoryA(cwd_.c_str());
    if (hadProgramFiles_) {
      SetRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", programFiles_);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, ProductKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, MakerKey);
    for (const std::string& dir : made_) RemoveDirectoryA(dir.c_str());
    RemoveDirectoryA(scratch_.c_str());
  }
  std::string Scratch(const std::string& name) {
    made_.insert(made_.begin(), PathJoin(scratch_, name));
    return made_.front();
  }

  std::string scratch_;

 private:
  bool hadProgramFiles_ = false;
  std::string programFiles_;
  std::string cwd_;
  std::vector<std::string> made_;
};

std::string Upper(std::string s) {
  CharUpperBuffA(&s[0], DWORD(s.size()));
  return s;
}

std::string OwnDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return DirPart(path);
}

// ---- destination ---------------------------------------------------------

TEST_F(DestinationTest, ProposesTheStoredOrTheProgramFilesDefault) {
  enum class RegDir { Missing, Empty, Value, Lower, NotAString };
  enum class ProgramFiles { Standard, Root, Missing };
  struct Case {
    const char* name;
    RegDir regDir;
    ProgramFiles programFiles;
    const char* defaultDir;
  };
  const Case cases[] = {
      {"stored", RegDir::Value, ProgramFiles::Standard, "D:\\APPS\\GV"},
      {"stored lower case", RegDir::Lower, ProgramFiles::Standard, "d:\\apps\\gv"},
      {"stored but empty", RegDir::Empty, ProgramFiles::Root, "E:\\Glyphvane"},
      {"not a string", RegDir::NotAString, ProgramFiles::Root, "E:\\Glyphvane"},
      {"program files", RegDir::Missing, ProgramFiles::Standard, "C:\\Program Files\\Glyphvane"},
      {"drive root", RegDir::Missing, ProgramFiles::Root, "E:\\Glyphvane"},
      {"neither", RegDir::Missing, ProgramFiles::Missing, "C:\\Program Files\\Glyphvane"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegDeleteKeyA(HKEY_CURRENT_USER, ProductKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, MakerKey);
    const DWORD number = 7;
    switch (c.regDir) {
      case RegDir::Missing: break;
      case RegDir::Empty: SetRegString(HKEY_CURRENT_USER, ProductKey, "RegDir", ""); break;
      case RegDir::Value: SetRegString(HKEY_CURRENT_USER, ProductKey, "RegDir", "D:\\APPS\\GV"); break;
      case RegDir::Lower: SetRegString(HKEY_CURRENT_USER, ProductKey, "RegDir", "d:\\apps\\gv"); break;
      case RegDir::NotAString:
        SetRegValue(HKEY_CURRENT_USER, ProductKey, "RegDir", REG_DWORD, &number, sizeof number);
        break;
    }
    switch (c.programFiles) {
      case ProgramFiles::Standard:
        SetRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", "C:\\Program Files");
        break;
      case ProgramFiles::Root:
        SetRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", "E:\\");
        break;
      case ProgramFiles::Missing:
        DeleteRegValue(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir");
        break;
    }
    DestDir = "unset";
    std::string field, caption, destAtOpen;
    bool focusOnField = false;
    const INT_PTR result = RunDialog("Main", MainDialogProc, [&] {
      HWND dialog = WaitForDialog("Destination Directory");
      if (!dialog) return;
      caption = TextOf(dialog);
      destAtOpen = DestDir;
      field = TextOf(GetDlgItem(dialog, IDC_DEST_DIR));
      focusOnField = FocusOf(dialog) == GetDlgItem(dialog, IDC_DEST_DIR);
      SetText(GetDlgItem(dialog, IDC_DEST_DIR), "C:\\");
      Press(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(caption, "Destination Directory");
    EXPECT_EQ(destAtOpen, OwnDirectory());
    EXPECT_EQ(DefaultDestDir, c.defaultDir);
    EXPECT_EQ(field, Upper(c.defaultDir));
    EXPECT_TRUE(focusOnField);
    // The maker's key is left behind; nothing is written into it.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, MakerKey));
    EXPECT_EQ(c.regDir == RegDir::Missing, !KeyExists(HKEY_CURRENT_USER, ProductKey));
  }
}

TEST_F(DestinationTest, RejectsUnacceptableAnswersAndStaysOpen) {
  const std::string missingParent = Upper(PathJoin(Scratch("A"), "B"));
  const std::vector<std::string> rejected = {
      "",
      "C",
      "\\\\SERVER\\SHARE",
      "1:\\GLYPHVANE",
      missingParent,                          // only one level is ever created
      Upper(PathJoin(scratch_, "*.*")),       // the directory exists, but a pattern is no place
      Upper(PathJoin(scratch_, "GV?")),
  };
  const std::string created = Upper(Scratch("NEWDIR"));
  std::vector<std::string> destAfter;
  std::vector<bool> stayedOpen;
  const INT_PTR result = RunDialog("Main", MainDialogProc, [&] {
    HWND dialog = WaitForDialog("Destination Directory");
    if (!dialog) return;
    HWND field = GetDlgItem(dialog, IDC_DEST_DIR);
    for (const std::string& text : rejected) {
      SetText(field, text);
      Press(dialog, IDOK);
      stayedOpen.push_back(IsWindowVisible(dialog) && TextOf(field) == text);
      destAfter.push_back(DestDir);
    }
    SetText(field, created);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(result, 1);
  ASSERT_EQ(stayedOpen.size(), rejected.size());
  for (std::size_t i = 0; i < rejected.size(); ++i) {
    EXPECT_TRUE(stayedOpen[i]) << rejected[i];
    // Kept even when rejected: a cancel cleans up from the last answer.
    EXPECT_EQ(destAfter[i], rejected[i]);
  }
  const DWORD attributes = GetFileAttributesA(created.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(missingParent.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(DestDir, created);
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  EXPECT_EQ(Upper(cwd), created);
}

TEST_F(DestinationTest, CancelAsksAndOnlyYesEndsTheDialog) {
  bool askedFirst = false, stayedOpen = false, askedAgain = false;
  std::string textAfterNo;
  const INT_PTR result = RunDialog("Main", MainDialogProc, [&] {
    HWND dialog = WaitForDialog("Destination Directory");
    if (!dialog) return;
    HWND field = GetDlgItem(dialog, IDC_DEST_DIR);
    SetText(field, "9:\\NOWHERE");
    Press(dialog, IDOK);
    askedFirst = CancelAndAnswer(dialog, IDNO);
    stayedOpen = IsWindowVisible(dialog) != FALSE;
    textAfterNo = TextOf(field);
    askedAgain = CancelAndAnswer(dialog, IDYES);
  });
  EXPECT_TRUE(askedFirst);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(textAfterNo, "9:\\NOWHERE");
  EXPECT_TRUE(askedAgain);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(DestDir, "9:\\NOWHERE");
}

TEST_F(DestinationTest, TakesOnlyTheFirst254CharactersOfALongAnswer) {
  // Typing stops at the field's width, but a stored preference can be longer.
  const std::string longDir = "C:\\GV-NO-PARENT\\" + std::string(300, 'X');
  SetRegString(HKEY_CURRENT_USER, ProductKey, "RegDir", longDir);
  bool stayedOpen = false;
  std::string dest;
  RunDialog("Main", MainDialogProc, [&] {
    HWND dialog = WaitForDialog("Destination Directory");
    if (!dialog) return;
    Press(dialog, IDOK);  // its parent is missing: rejected
    stayedOpen = IsWindowVisible(dialog) != FALSE;
    dest = DestDir;
    SetText(GetDlgItem(dialog, IDC_DEST_DIR), "C:\\");
    Press(dialog, IDOK);
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(dest, longDir.substr(0, 254));
}

// ---- agreement -----------------------------------------------------------

TEST_F(UiTest, AgreementShowsItsTextFieldAndAcceptsAtOnce) {
  std::string caption;
  LONG_PTR style = 0, exStyle = 0;
  RECT place = {}, client = {};
  LRESULT length = 0;
  bool focusOnAgree = false, fieldFound = false;
  const INT_PTR result = RunDialog("License", LicenseDialogProc, [&] {
    HWND dialog = WaitForDialog("License Agreement");
    if (!dialog) return;
    caption = TextOf(dialog);
    HWND field = FindWindowExA(dialog, nullptr, "Edit", nullptr);
    while (field && GetDlgCtrlID(field) != IDC_LICENSE_TEXT) {
      field = FindWindowExA(dialog, field, "Edit", nullptr);
    }
    fieldFound = field != nullptr;
    if (field) {
      style = GetWindowLongPtrA(field, GWL_STYLE);
      exStyle = GetWindowLongPtrA(field, GWL_EXSTYLE);
      GetWindowRect(field, &place);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
      GetClientRect(dialog, &client);
      length = SendMessageA(field, WM_GETTEXTLENGTH, 0, 0);
    }
    focusOnAgree = FocusOf(dialog) == GetDlgItem(dialog, IDOK);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(caption, "License Agreement");
  ASSERT_TRUE(fieldFound);
  EXPECT_EQ(style & 0xFFFFFFFF, 0x50200804);
  EXPECT_TRUE(exStyle & WS_EX_CLIENTEDGE);
  EXPECT_EQ(place.left, 10);
  EXPECT_EQ(place.top, 10);
  EXPECT_EQ(place.right - place.left, client.right - 20);
  EXPECT_EQ(place.bottom - place.top, client.bottom - 90);
  EXPECT_EQ(length, LRESULT(lstrlenA(AgreementText)));
  EXPECT_TRUE(focusOnAgree);
}

TEST_F(UiTest, AgreementExitAsksAndNoKeepsItOpen) {
  bool askedFirst = false, stayedOpen = false, askedAgain = false;
  const INT_PTR result = RunDialog("License", LicenseDialogProc, [&] {
    HWND dialog = WaitForDialog("License Agreement");
    if (!dialog) return;
    askedFirst = CancelAndAnswer(dialog, IDNO);
    stayedOpen = IsWindowVisible(dialog) != FALSE;
    askedAgain = CancelAndAnswer(dialog, IDYES);
  });
  EXPECT_TRUE(askedFirst);
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(askedAgain);
  EXPECT_EQ(result, 0);
}

// ---- program group ---------------------------------------------------------

TEST_F(UiTest, GroupProposesTheNameAndTakesTheAnswer) {
  struct Case {
    const char* name;
    std::string start;
    const char* typed;  // nullptr: keep the proposal
    int button;
    INT_PTR result;
    std::string group;
  };
  const std::string longName(300, 'G');
  const Case cases[] = {
      {"proposal", "Glyphvane", nullptr, IDOK, 1, "Glyphvane"},
      {"emptied", "Glyphvane", "", IDOK, 1, ""},
      {"typed as is", "Glyphvane", "  my Tools\\x ", IDOK, 1, "  my Tools\\x "},
      {"cancel", "Glyphvane", "Other", IDCANCEL, 0, "Glyphvane"},
      {"long", longName, nullptr, IDOK, 1, longName.substr(0, 254)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GroupName = c.start;
    std::string caption, shown;
    bool focusOnOk = false;
    const INT_PTR result = RunDialog("Group", GroupDialogProc, [&] {
      HWND dialog = WaitForDialog("Program Group");
      if (!dialog) return;
      caption = TextOf(dialog);
      shown = TextOf(GetDlgItem(dialog, IDC_GROUP_NAME));
      focusOnOk = FocusOf(dialog) == GetDlgItem(dialog, IDOK);
      if (c.typed) SetText(GetDlgItem(dialog, IDC_GROUP_NAME), c.typed);
      // Cancel asks nothing here, so a sent command returns after the end.
      Press(dialog, c.button);
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(GroupName, c.group);
    EXPECT_EQ(caption, "Program Group");
    EXPECT_EQ(shown, c.start);
    EXPECT_TRUE(focusOnOk);
  }
  GroupName = "Glyphvane";
}

// ---- backdrop --------------------------------------------------------------

TEST_F(UiTest, BackdropPaintsTheWholeWindowAndQuitsOnClose) {
  // Wide enough that the footer (from x 550) clears the logo (298 to 501).
  ScreenWidth = 800;
  ScreenHeight = 200;
  WNDCLASSA wc = {};
  wc.style = CS_PARENTDC;
  wc.lpfnWndProc = BackgroundWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "GvBackdropTest";
  ASSERT_NE(RegisterClassA(&wc), 0);
  LogoBitmap = LoadBitmapA(GetModuleHandleA(nullptr), "logo");
  ASSERT_NE(LogoBitmap, nullptr);
  MainWindow = CreateWindowExA(0, "GvBackdropTest", "Installation", WS_POPUP | WS_VISIBLE, 0, 0,
                               ScreenWidth, ScreenHeight, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(MainWindow, nullptr);
  SendMessageA(MainWindow, WM_PAINT, 0, 0);
  HDC dc = GetDC(MainWindow);
  // 200 rows: the blue falls by one every row.
  EXPECT_EQ(GetPixel(dc, 700, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 700, 100), RGB(0, 0, 155));
  EXPECT_EQ(GetPixel(dc, 5, 199), RGB(0, 0, 56));
  // The logo's light grey corners, from (ScreenWidth / 2 - 102, ScreenHeight - 72).
  EXPECT_EQ(GetPixel(dc, 298, 128), RGB(192, 192, 192));
  EXPECT_EQ(GetPixel(dc, 297, 128), RGB(0, 0, 255 - 128));
  EXPECT_EQ(GetPixel(dc, 298 + 203, 128 + 65), RGB(192, 192, 192));
  EXPECT_EQ(GetPixel(dc, 298 + 204, 128 + 65), RGB(0, 0, 255 - 193));
  EXPECT_EQ(GetPixel(dc, 298 + 203, 128 + 66), RGB(0, 0, 255 - 194));
  // Some of the footer is yellow.
  int footer = 0;
  for (int y = 180; y < 200; ++y) {
    for (int x = 550; x < 800; ++x) footer += GetPixel(dc, x, y) == RGB(255, 255, 0);
  }
  EXPECT_GT(footer, 20);
  // Some of the title is yellow, some of its shadow black.
  int yellow = 0, black = 0;
  for (int y = 25; y < 75; ++y) {
    for (int x = 22; x < 300; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      yellow += c == RGB(255, 255, 0);
      black += c == RGB(0, 0, 0);
    }
  }
  ReleaseDC(MainWindow, dc);
  EXPECT_GT(yellow, 50);
  EXPECT_GT(black, 50);

  SendMessageA(MainWindow, WM_CLOSE, 0, 0);
  MSG msg = {};
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
  EXPECT_TRUE(quit);
  EXPECT_FALSE(IsWindow(MainWindow));
  MainWindow = nullptr;
  DeleteObject(LogoBitmap);
  LogoBitmap = nullptr;
  UnregisterClassA("GvBackdropTest", wc.hInstance);
  UiTest::SetUp();  // the real screen again for the tests that follow
}

}  // namespace
