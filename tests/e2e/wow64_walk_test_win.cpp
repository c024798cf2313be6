// The shipping setup.exe, a 32-bit program, on 64-bit Windows: run by
// ctest's e2e_wow64 in a WoW64 prefix. It proposes the 32-bit Program Files
// folder and writes its uninstall entry into the registry's 32-bit view,
// where Programs and Features reads a 32-bit program's entry.
#include "setup_walk_win.h"

using namespace harness;

namespace {

constexpr const char* ProgramFilesX86 = "C:\\PROGRAM FILES (X86)\\GLYPHVANE";
constexpr const char* Wow64UninstallKey =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Glyphvane";

// A string value as the registry's 64-bit view holds it, or "<missing>".
std::string ValueIn64BitView(const char* key, const char* name) {
    return RegistryString(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY);
}

class Wow64Walk : public SetupWalk {
protected:
    void TearDown() override {
        SetupWalk::TearDown();
        std::error_code error;
        fs::remove_all(ProgramFilesX86, error);
    }
};

}  // namespace

TEST_F(Wow64Walk, ProposesThe32BitProgramFilesAndRegistersInThe32BitView) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64) && wow64) << "run by ctest's e2e_wow64, in a 64-bit prefix";
    Start();
    HWND destination = WaitFor(Seen::Destination);
    EXPECT_EQ(ItemText(destination, 104), ProgramFilesX86);
    Answer(destination, IDOK);
    AcceptAgreement();
    SwapDisks();
    Answer(WaitFor(Seen::ProgramGroup), IDOK);
    Answer(WaitFor(Seen::FinalQuestion), IDNO);
    ExpectEndsWithZero();

    const std::string dir = std::string(ProgramFilesX86) + "\\";
    EXPECT_EQ(ReadBytes(dir + "Glyphvane.Exe"), DistributionFor(SetupComplete).Contents.Program);
    EXPECT_EQ(ValueIn64BitView(Wow64UninstallKey, "UnInstallString"), '"' + dir + "UnInstal.Exe\"");
    EXPECT_EQ(ValueIn64BitView(UninstallKey, "DisplayName"), "<missing>") << "nothing in the 64-bit view";
}
