// Setup builds that lack one dialog template.
#include "setup_walk_win.h"

TEST_F(SetupWalk, WithoutTheDestinationTemplateTheSetupEndsAtOnce) {
    Start(SetupWithoutMain);
    // Watch the whole run: not one dialog may show.
    for (int i = 0; i < 2000 && !setup_->Ended(10); ++i)
        for (HWND window : setup_->VisibleWindows())
            ASSERT_NE(WindowClass(window), "#32770") << "a dialog appeared:\n" << setup_->DescribeWindows();
    DWORD code = STILL_ACTIVE;
    bool ended = setup_->WaitExit(0, code);
    ASSERT_TRUE(ended);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ListDirectory(disks_->Drive()).size(), 2u) << "nothing is written beside setup.exe";
    std::string value;
    EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName", value));
}

TEST_F(SetupWalk, WithoutTheAgreementTemplateGatheringFollowsTheDestination) {
    Start(SetupWithoutLicense);
    EnterDestination(Destination());
    HWND gathering = setup_->WaitFor(Seen::Gathering);
    ASSERT_NE(gathering, nullptr);
    EXPECT_EQ(setup_->Find(Seen::Agreement), nullptr);
    HWND prompt = setup_->WaitFor(Seen::DiskPrompt(2));
    ASSERT_NE(prompt, nullptr);
    setup_->Answer(prompt, IDCANCEL);
    ExpectTerminated();
    EXPECT_FALSE(FileExists(Destination() + "\\Glyphvan._TM"));
}

TEST_F(SetupWalk, WithoutTheUnpackingTemplateTheJoinedArchiveIsRemoved) {
    const std::string dest = Destination();
    Start(SetupWithoutProgress);
    EnterDestination(dest);
    AcceptAgreement();
    SwapDisks();
    ExpectTerminated();
    EXPECT_FALSE(FileExists(dest + "\\Glyphvan._TM")) << "this run's archive is deleted";
    EXPECT_TRUE(ListDirectory(dest).empty()) << "nothing was unpacked";
    EXPECT_FALSE(FileExists(HelpFile()));
}

TEST_F(SetupWalk, WithoutTheGroupTemplateTheSetupStopsAndRemovesTheProgram) {
    const std::string dest = Destination();
    Start(SetupWithoutGroup);
    EnterDestination(dest);
    AcceptAgreement();
    SwapDisks();
    ExpectTerminated();

    EXPECT_FALSE(FileExists(dest + "\\Glyphvane.Exe")) << "the program file is deleted";
    EXPECT_FALSE(FileExists(dest + "\\Glyphvan._TM"));
    for (const ProductFile& member : Contents().Members) {
        std::string path = (member.Name == "Glyphvane.hlp" ? HelpDirectory() : dest + "\\") + member.Name;
        EXPECT_EQ(ReadBytes(path), member.Content) << path << ": the other files stay";
    }
    EXPECT_FALSE(FileExists(ShortcutPath()));
    std::string value;
    EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName", value));
}
