#include "setup_walk_win.h"

#include <map>

namespace {

constexpr DWORD ExitTimeoutMs = 20000;
// Decodes in about a second under Wine.
constexpr std::size_t LongAtlasSize = 24u << 20;

std::string SafeName(std::string name) {
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           InCapitals(text.substr(text.size() - tail.size())) == InCapitals(tail);
}

// The packed distributions live for the whole run of the tests.
class PackedCache : public ::testing::Environment {
public:
    void TearDown() override { RemoveTree(TestTempRoot() + "packed"); }
};
::testing::Environment* const packedCache = ::testing::AddGlobalTestEnvironment(new PackedCache);

}  // namespace

const PackedDistribution& SetupWalk::DistributionFor(const std::string& setupBuild,
                                                     Unpacking unpacking) {
    static std::map<std::string, PackedDistribution> packed;
    const bool isLong = unpacking == Unpacking::Long;
    const std::string key = SafeName(setupBuild) + (isLong ? "_long" : "");
    auto found = packed.find(key);
    if (found != packed.end()) return found->second;
    std::string cache = TestTempRoot() + "packed\\";
    MakeDirectory(cache);
    if (setupBuild == SetupComplete) {
        std::string exe = OwnDirectory() + SetupComplete;
        std::size_t atlas = isLong ? LongAtlasSize : 0;
        Product product = MakeProduct(NoiseSizeForThreeParts(exe, atlas), atlas);
        return packed[key] = Pack(exe, product, cache + key + "\\");
    }
    const PackedDistribution& complete = DistributionFor(SetupComplete, unpacking);
    return packed[key] = Repackage(complete, OwnDirectory() + setupBuild, cache + key + "\\");
}

void SetupWalk::ResetMachine() {
    RemoveUninstallEntry();
    DeleteFileA(ShortcutPath().c_str());
    DeleteFileA(HelpFile().c_str());
}

void SetupWalk::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = TestTempRoot() + SafeName(std::string(info->test_suite_name()) + "." + info->name()) + "\\";
    RemoveTree(root_.substr(0, root_.size() - 1));
    MakeDirectory(root_);
    regDir_ = std::make_unique<RegistryValue>(HKEY_CURRENT_USER, "Software\\Tallowmere\\Glyphvane",
                                              "RegDir");
    regDir_->Remove();
    ResetMachine();
    ASSERT_FALSE(ProgramsFolder().empty()) << "the Wine prefix names no Programs folder";
}

void SetupWalk::TearDown() {
    if (setup_) setup_.reset();
    ResetMachine();
    regDir_.reset();
    if (!HasFailure()) RemoveTree(root_.substr(0, root_.size() - 1));
}

SetupProcess& SetupWalk::Start(const std::string& setupBuild, Unpacking unpacking) {
    packed_ = &DistributionFor(setupBuild, unpacking);
    EXPECT_EQ(packed_->PartCount, 3) << "the walks need a distribution of three disks";
    disks_ = std::make_unique<Disks>(*packed_, root_);
    setup_ = std::make_unique<SetupProcess>(disks_->Setup(), disks_->Drive());
    return *setup_;
}

HWND SetupWalk::EnterDestination(const std::string& path) {
    HWND dialog = setup_->WaitFor(Seen::Destination);
    if (!dialog) return nullptr;
    SetItemText(dialog, 104, path);
    EXPECT_EQ(ItemText(dialog, 104), Typed(path)) << "the field holds capitals only";
    setup_->Answer(dialog, IDOK);
    return dialog;
}

void SetupWalk::AcceptAgreement() {
    if (HWND dialog = setup_->WaitFor(Seen::Agreement)) setup_->Answer(dialog, IDOK);
}

void SetupWalk::SwapDisks() {
    for (int k = 2; k <= 3; ++k) {
        HWND prompt = setup_->WaitFor(Seen::DiskPrompt(k));
        if (!prompt) return;
        EXPECT_EQ(GetWindow(prompt, GW_OWNER), setup_->Find(Seen::Gathering))
            << "the disk prompt belongs to the gathering dialog";
        disks_->Insert(k);
        setup_->Answer(prompt, IDOK);
    }
}

void SetupWalk::AcceptGroup(const std::string& name) {
    HWND dialog = setup_->WaitFor(Seen::ProgramGroup);
    if (!dialog) return;
    EXPECT_EQ(ItemText(dialog, 102), "Glyphvane") << "the product's name is proposed";
    if (!name.empty()) SetItemText(dialog, 102, name);
    setup_->Answer(dialog, IDOK);
}

void SetupWalk::AnswerFinalQuestion(int answer) {
    HWND question = setup_->WaitFor(Seen::FinalQuestion, 30000);
    if (!question) return;
    EXPECT_EQ(GetWindow(question, GW_OWNER), nullptr);
    setup_->Answer(question, answer);
}

void SetupWalk::CancelWith(HWND dialog, int answer) {
    ASSERT_NE(dialog, nullptr);
    Press(dialog, IDCANCEL);
    HWND question = setup_->WaitFor(Seen::CancelQuestion);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(GetWindow(question, GW_OWNER), nullptr) << "the cancel question has no owner";
    setup_->Answer(question, answer);
}

void SetupWalk::ExpectTerminated() {
    HWND message = setup_->WaitFor(Seen::Terminated, 30000);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(GetWindow(message, GW_OWNER), setup_->Backdrop())
        << "the terminated message belongs to the background window";
    EXPECT_NE(setup_->Backdrop(), nullptr);
    setup_->Answer(message, IDOK);
    ExpectEndsWithZero();
}

void SetupWalk::ExpectEndsWithZero() {
    DWORD code = 0;
    if (setup_->WaitExit(ExitTimeoutMs, code)) {
        EXPECT_EQ(code, 0u) << "setup's exit code";
    }
}

void SetupWalk::ExpectInstalled(const std::string& typedDestination,
                                const std::string& keptMember) const {
    const std::string dest = typedDestination + (EndsWithNoCase(typedDestination, "\\") ? "" : "\\");
    EXPECT_TRUE(ReadBytes(dest + "Glyphvane.Exe") == Contents().Program)
        << "the program file is the decoded program, cut to its length ("
        << Contents().Program.size() << " bytes, found "
        << ReadBytes(dest + "Glyphvane.Exe").size() << ")";
    for (const ProductFile& member : Contents().Members) {
        if (member.Name == keptMember) continue;
        bool help = EndsWithNoCase(member.Name, ".hlp");
        std::string path = (help ? HelpDirectory() : dest) + member.Name;
        EXPECT_TRUE(ReadBytes(path) == member.Content) << path << " differs from the member";
        if (help) {
            EXPECT_FALSE(FileExists(dest + member.Name)) << "help files go to the help directory";
        }
    }
    EXPECT_FALSE(FileExists(dest + "Glyphvan._TM")) << "the joined archive is removed";
}
