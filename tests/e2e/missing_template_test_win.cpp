// Setup builds that lack one dialog template.
#include "setup_walk_win.h"

TEST_F(SetupWalk, WithoutTheDestinationTemplateTheSetupEndsAtOnceWithoutADialog) {
    Start(SetupWithoutMain);
    auto dialogShown = [&] {
        for (HWND window : VisibleWindows())
            if (WindowClass(window) == "#32770") return true;
        return false;
    };
    EXPECT_FALSE(Until(dialogShown, 20000)) << "a dialog appeared:\n" << DescribeWindows();
    ExpectEndsWithZero();
    EXPECT_EQ(ListDirectory(Drive()).size(), 2u) << "nothing is written beside setup.exe";
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
}

TEST_F(SetupWalk, WithoutTheAgreementTemplateGatheringFollowsTheDestination) {
    Start(SetupWithoutLicense);
    EnterDestination(Destination());
    EXPECT_NE(WaitFor(Seen::Gathering), nullptr);
    EXPECT_EQ(Find(Seen::Agreement), nullptr);
    Answer(WaitFor(Seen::DiskPrompt(2)), IDCANCEL);
    ExpectTerminated();
    EXPECT_FALSE(FileExists(Destination() + "\\Glyphvan._TM"));
}

namespace {

struct LateTemplateCase {
    const char* Name;
    const char* Build;
    bool Unpacked;  // without the group dialog the files are unpacked, then all but the program stay
};

class LateTemplateMissing : public SetupWalk, public ::testing::WithParamInterface<LateTemplateCase> {};

}  // namespace

TEST_P(LateTemplateMissing, TheSetupStopsAndRemovesThisRunsArchiveAndProgram) {
    const std::string dest = Destination() + "\\";
    Start(GetParam().Build);
    EnterDestination(Destination());
    AcceptAgreement();
    SwapDisks();
    ExpectTerminated();
    EXPECT_FALSE(FileExists(dest + "Glyphvan._TM")) << "this run's archive is deleted";
    EXPECT_FALSE(FileExists(dest + "Glyphvane.Exe")) << "the program file is deleted";
    if (GetParam().Unpacked) {
        for (const auto& [name, content] : Contents().Members) {
            const std::string path = (name == "Glyphvane.hlp" ? HelpDirectory() : dest) + name;
            EXPECT_TRUE(FileExists(path) && ReadBytes(path) == content) << path << ": the other files stay";
        }
    } else {
        EXPECT_TRUE(ListDirectory(dest).empty()) << "nothing was unpacked";
        EXPECT_FALSE(FileExists(HelpFile()));
    }
    ExpectNothingRegistered();
}

INSTANTIATE_TEST_SUITE_P(Builds, LateTemplateMissing,
                         ::testing::Values(LateTemplateCase{"Progress", SetupWithoutProgress, false},
                                           LateTemplateCase{"Group", SetupWithoutGroup, true}),
                         NameOf<LateTemplateCase>);
