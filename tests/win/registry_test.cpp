// The setup's registry layer against the real registry, in a scratch key.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "setup/registry_win.h"

namespace {

Fault Read(HKEY key, const std::string& name, std::string& value) {
    Fault fault;
    EXPECT_FALSE(TryReadRegString(key, name, value, fault)) << name;
    return fault;
}

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()); }
    TRegKey Reopen(REGSAM access) {
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, access, &key);
        return TRegKey(key);
    }
    const std::string path_ = "Software\\GlyphvaneRegistryTest" + std::to_string(GetCurrentProcessId());
    const TRegKey owned_ = CreateRegKey(HKEY_CURRENT_USER, path_);
    const HKEY key_ = owned_.get();
};

// A plain value is read in the default destination's walk; these are the
// values it does not meet.
TEST_F(RegistryTest, ReadsStringsAsStoredUpToTheFirstZero) {
    const struct {
        const char* Name;
        DWORD Type;
        std::string Stored, Read;  // the terminator stored where wanted
    } cases[] = {
        {"not expanded", REG_EXPAND_SZ, std::string("%WINDIR%\\x", 11), "%WINDIR%\\x"},
        {"cut at zero", REG_SZ, std::string("AB\0CD", 6), "AB"},
        {"no terminator", REG_SZ, "XYZ", "XYZ"},
        {"no data, not a string type", REG_BINARY, "", ""},
    };
    for (const auto& [name, type, data, read] : cases) {
        RegSetKeyValueA(key_, nullptr, name, type, data.data(), DWORD(data.size()));
        std::string value = "before";
        EXPECT_TRUE(ReadRegString(key_, name, value)) << name;
        EXPECT_EQ(value, read) << name;
    }
}

TEST_F(RegistryTest, WritesAndCreatesOrReportsFailureInItsOwnWords) {
    WriteRegString(key_, "text", "Glyphvane");
    char buffer[64] = {};
    DWORD size = sizeof buffer, type = 0;
    RegQueryValueExA(key_, "text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    // The terminator is stored.
    EXPECT_EQ(std::pair(std::string(buffer, size), type), std::pair(std::string("Glyphvane", 10), DWORD(REG_SZ)));
    EXPECT_FALSE(OpenRegKey(key_, "Sub")) << "opening does not create";

    const DWORD number = 5;
    RegSetKeyValueA(key_, nullptr, "number", REG_DWORD, &number, sizeof number);
    const TRegKey writeOnly = Reopen(KEY_SET_VALUE), readOnly = Reopen(KEY_READ);
    const HKEY invalid = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFF0));
    // What the raising calls would report; the walks see the report itself.
    std::string value;
    const std::pair<std::function<Fault()>, std::string> cases[] = {
        {[&] { return Read(key_, "number", value); }, "Invalid data type for 'number'"},
        {[&] { return Read(writeOnly.get(), "text", value); }, "Failed to get data for 'text'"},
        {[&] { return TryWriteRegString(readOnly.get(), "Other", "x"); }, "Failed to set data for 'Other'"},
        {[&] { return CreateKeyFault("Sub"); }, "Failed to create key Sub"},
    };
    for (const auto& [act, message] : cases) EXPECT_EQ(act().Message(), message);
    EXPECT_FALSE(TryCreateRegKey(invalid, "Sub"));
}

}  // namespace
