// The setup's registry layer against the real registry, in a scratch key.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "setup/registry_win.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\GlyphvaneRegistryTest" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_CURRENT_USER, (path_ + "\\Sub").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  }
  void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  // The message of the ERegistryException that `action` raises, or "".
  template <typename Action>
  static std::string ErrorOf(Action action) {
    try {
      action();
    } catch (const ERegistryException& e) {
      return e.what();
    }
    return "";
  }

  std::string path_;
  HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ReadsStringValuesAsStoredUpToTheFirstZero) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;  // stored bytes, terminator included where wanted
    std::string read;
  };
  const Case cases[] = {
      {"plain", REG_SZ, std::string("D:\\APPS\\GV", 11), "D:\\APPS\\GV"},
      {"not expanded", REG_EXPAND_SZ, std::string("%WINDIR%\\x", 11), "%WINDIR%\\x"},
      {"cut at zero", REG_SZ, std::string("AB\0CD", 6), "AB"},
      {"no terminator", REG_SZ, std::string("XYZ", 3), "XYZ"},
      {"no bytes", REG_SZ, std::string(), ""},
  };
  for (const Case& c : cases) {
    SetRaw(c.name, c.type, c.data.data(), DWORD(c.data.size()));
    std::string value = "before";
    EXPECT_TRUE(ReadRegString(key_, c.name, value)) << c.name;
    EXPECT_EQ(value, c.read) << c.name;
  }
  std::string untouched = "before";
  EXPECT_FALSE(ReadRegString(key_, "missing", untouched));
  EXPECT_EQ(untouched, "before");
}

TEST_F(RegistryTest, ReportsNonStringAndUnreadableValuesInItsOwnWords) {
  const DWORD number = 5;
  SetRaw("number", REG_DWORD, &number, sizeof number);
  SetRaw("bytes", REG_BINARY, "ab", 2);
  std::string value;
  EXPECT_EQ(ErrorOf([&] { ReadRegString(key_, "number", value); }),
            "Invalid data type for 'number'");
  EXPECT_EQ(ErrorOf([&] { ReadRegString(key_, "bytes", value); }),
            "Invalid data type for 'bytes'");

  SetRaw("text", REG_SZ, "x", 2);
  HKEY writeOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_SET_VALUE, &writeOnly),
            ERROR_SUCCESS);
  EXPECT_EQ(ErrorOf([&] { ReadRegString(writeOnly, "text", value); }),
            "Failed to get data for 'text'");
  RegCloseKey(writeOnly);
}

TEST_F(RegistryTest, WritesPlainStringsAndReportsWhenItCannot) {
  WriteRegString(key_, "DisplayName", "Glyphvane");
  char buffer[64] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExA(key_, "DisplayName", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(size, 10u);  // the terminator is stored
  EXPECT_STREQ(buffer, "Glyphvane");

  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &readOnly),
            ERROR_SUCCESS);
  EXPECT_EQ(ErrorOf([&] { WriteRegString(readOnly, "UnInstallString", "x"); }),
            "Failed to set data for 'UnInstallString'");
  RegCloseKey(readOnly);
}

TEST_F(RegistryTest, CreatesOpensAndReportsKeys) {
  EXPECT_FALSE(OpenRegKey(key_, "Sub"));
  {
    TRegKey created = CreateRegKey(key_, "Sub");
    ASSERT_TRUE(created);
    WriteRegString(created.get(), "v", "1");
  }
  TRegKey opened = OpenRegKey(key_, "Sub");
  ASSERT_TRUE(opened);
  std::string value;
  EXPECT_TRUE(ReadRegString(opened.get(), "v", value));
  EXPECT_EQ(value, "1");
  // An existing key is simply opened again.
  EXPECT_TRUE(CreateRegKey(key_, "Sub"));

  HKEY invalid = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFF0));
  EXPECT_EQ(ErrorOf([&] { CreateRegKey(invalid, "Sub"); }), "Failed to create key Sub");
  EXPECT_FALSE(TryCreateRegKey(invalid, "Sub"));
}

}  // namespace
