// gvdist as its users run it: a separate process in a scratch directory,
// judged by its exit status, its messages and the files it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include "archive/member_table.h"
#include "base/folder_lock.h"
#include "media/disk_format.h"
#include "media/tool_process.h"
#include "setup/stamp.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// In text mode, so that Windows line ends read as "\n".
std::string ReadText(const fs::path& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

constexpr std::size_t SectionHeaderAt = 0x58, StampAt = 1024;

// A stand-in setup.exe of 1500 bytes: a PE image of one section,
// `stampSection`, which holds the stamp of its distribution at StampAt.
Bytes SetupImage(std::int32_t diskCount = 3, std::int32_t archiveSize = 3675000,
                 const std::string& stampSection = StampSection) {
    Bytes bytes(1500, 0);
    // "MZ", "PE" at 0x40, one section, no optional header; the section's size and place
    for (const auto& [at, value] : std::map<std::size_t, std::uint32_t>{
             {0, 0x5A4D}, {0x3C, 0x40}, {0x40, 0x4550}, {0x46, 1}, {0x60, StampSize}, {0x68, 476}, {0x6C, StampAt}})
        for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
    std::copy(stampSection.begin(), stampSection.end(), bytes.begin() + SectionHeaderAt);
    const DistributionStamp stamp = MakeStamp(diskCount, archiveSize);
    std::memcpy(bytes.data() + StampAt, &stamp, sizeof stamp);
    return bytes;
}

// `setup` with `stamp` in place of its own.
Bytes Stamped(Bytes setup, const DistributionStamp& stamp) {
    std::memcpy(&setup.at(StampAt), &stamp, sizeof stamp);
    return setup;
}

// Bytes that compress like a program, with runs of text among noise; with
// no text, noise.
Bytes Sample(std::size_t size, std::size_t textRun = 16) {
    std::minstd_rand random(12345);
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = i % 32 < textRun ? "Glyphvane renders glyph "[i % 24] : static_cast<std::uint8_t>(random() >> 8);
    }
    return bytes;
}

// Every file and folder under `dir` with its content; none if there is no `dir`.
std::map<std::string, Bytes> Snapshot(const fs::path& dir) {
    std::map<std::string, Bytes> files;
    std::error_code noDir;
    for (const auto& entry : fs::recursive_directory_iterator(dir, noDir)) {
        files[entry.path().lexically_relative(dir).string()] = entry.is_regular_file() ? ReadBytes(entry) : Bytes();
    }
    return files;
}

struct Result {
    int Status;
    std::string Out;  // stdout and stderr
};

// The run ended with `status` and said `said`.
testing::AssertionResult Ran(const Result& run, int status, const std::string& said) {
    const bool ran = run.Status == status && run.Out.find(said) != std::string::npos;
    return (ran ? testing::AssertionSuccess() : testing::AssertionFailure())
           << "exit " << run.Status << ", want " << status << " and '" << said << "' in:\n" + run.Out;
}

class GvdistCliTest : public ::testing::Test {
protected:
    // Each test works in a folder of its own, named relative to it.
    void SetUp() override {
        fs::create_directories(root_ / "in");
        fs::current_path(root_);
        WriteBytes("in/setup.exe", SetupImage());
        WriteBytes("in/prog.exe", program_);
        WriteBytes("in/UnInstal.Exe", Bytes(3000, 0x90));
        for (const char* name : {"GLYPH.HLP", "USER.LIB", "README.TXT"}) {
            std::ofstream(fs::path("in") / name, std::ios::binary) << name << " text\n";
        }
    }
    void TearDown() override {
        fs::current_path(root_.parent_path());
        fs::remove_all(root_);
    }

    // Its output stays in out.txt until the next run. The gvdist just built,
    // or the one GVDIST_UNDER_TEST names (the Debian package's, installed).
    static Result Gvdist(const std::string& arguments, const std::string& wrapper = "") {
        const char* path = std::getenv("GVDIST_UNDER_TEST");
        const std::string command =
            wrapper + "\"" + std::string(path != nullptr ? path : GVDIST_PATH) + "\" " + arguments + " >out.txt 2>&1";
#ifdef _WIN32
        const int status = std::system(("\"" + command + "\"").c_str());  // cmd.exe drops the first and the last quote
#else
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        return {status, ReadText("out.txt")};
    }

    // About 30 KB of archive on disks of 12 KB: three parts.
    static Result Pack(const std::string& outDir, const std::string& extra = "--disk-size 12288") {
        return Gvdist(
            "pack --program in/prog.exe --setup in/setup.exe --member in/GLYPH.HLP --member in/USER.LIB "
            "--member in/README.TXT --member in/UnInstal.Exe -o " +
            outDir + " " + extra);
    }

    // verify and extract of "disks" refuse it, naming `fault`, and extract writes nothing.
    static void ExpectRefused(const char* fault) {
        EXPECT_TRUE(Ran(Gvdist("verify disks"), 2, fault));
        EXPECT_EQ(Gvdist("extract disks -d dest/in").Status, 2);
        EXPECT_EQ(Snapshot("dest").size(), 0u);  // neither in dest/in nor one level up
    }
    // Three 360K disks with their folders and images in "disks"; the noise member returned.
    static Bytes PackNoiseOntoDisks() {
        const Bytes noise = Sample(760000, 0);
        WriteBytes("in/NOISE.DAT", noise);
        EXPECT_EQ(Pack("disks", NoiseMedia).Status, 0);
        return noise;
    }
    static constexpr const char* NoiseMedia = "--member in/NOISE.DAT --format 360K --disks --images";

    const fs::path root_ = fs::temp_directory_path() /
                           ("gvdist_cli_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
                            "_" + std::to_string(std::random_device{}()));  // runs side by side do not meet
    const Bytes program_ = Sample(60000);
};

// Refused: a member named like another but for case or like its alias, a
// setup.exe that is not a PE image or has no section for the stamp (the
// magic elsewhere does not count) or none in it, or is cut short.
TEST_F(GvdistCliTest, PackRefusesAndWritesNothing) {
    fs::create_directories("in/case");
    for (const char* name : {"user.lib", "Long name.txt", "LONGNA~1.TXT"})
        std::ofstream("in/case/" + std::string(name)) << "x";
    Bytes noMagic = SetupImage();
    noMagic[StampAt] = 0;
    const struct {
        Bytes Setup;
        std::string Extra;
        const char* Fault;
    } refused[] = {
        {SetupImage(), "--disk-size 12288 --member in/case/user.lib", "already taken"},
        {SetupImage(), "--member \"in/case/Long name.txt\" --member in/case/LONGNA~1.TXT",
         "member 6 (\"LONGNA~1.TXT\"): name has the form of a short alias, which member 5 (\"Long name.txt\")"},
        // Member names are ASCII only.
        {SetupImage(), "--member in/\xC3\x84.TXT", "name contains the non-ASCII byte 0xC3"},
        {Bytes(1500, 0x4D), "", "in/setup.exe is not a PE image (a Windows program)"},
        {SetupImage(3, 1, ".rdata"), "", "has no .gvstamp section for the stamp of DiskCount and ArchiveSize"},
        {noMagic, "", "in/setup.exe's .gvstamp section does not hold the stamp"},
        {Bytes(noMagic.begin(), noMagic.begin() + 120), "", "its section table runs past the end of the file"},
        {Bytes(noMagic.begin(), noMagic.begin() + 1200), "", "its section .gvstamp runs past the end of the file"},
    };
    for (const auto& [setup, extra, fault] : refused) {
        WriteBytes("in/setup.exe", setup);
        EXPECT_TRUE(Ran(Pack("disks", extra), 2, fault));
        EXPECT_EQ(Snapshot("disks").size(), 0u);
    }
}

TEST_F(GvdistCliTest, PackStampsTheSectionAndListShowsTheMembersInOrder) {
    // Debug information may repeat the magic: only the section is stamped.
    Bytes setup = SetupImage();
    std::copy_n(StampMagic, StampMagicSize, setup.begin() + 600);
    WriteBytes("in/setup.exe", setup);
    const Result pack = Pack("disks");
    ASSERT_EQ(pack.Status, 0) << pack.Out;
    const std::string archiveSize = std::to_string(std::stoi(pack.Out.substr(pack.Out.find("ArchiveSize=") + 12)));
    // and no progress bar when not on a terminal
    EXPECT_EQ(pack.Out, "DiskCount=3\nArchiveSize=" + archiveSize + "\n");
    EXPECT_EQ(Snapshot("disks").size(), 5u);  // the parts, setup.exe, gvdist.txt
    Bytes want = SetupImage(3, std::stoi(archiveSize)), packed = ReadBytes("disks/setup.exe");
    std::copy_n(StampMagic, StampMagicSize, want.begin() + 600);
    // with the checks behind the counts, which list shows and verify uses
    std::copy_n(packed.begin() + StampAt + StampCountsSize, StampSize - StampCountsSize,
                want.begin() + StampAt + StampCountsSize);
    EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 1500), want);

    // In this order: the members as given, after the program.
    const Result list = Gvdist("list disks");
    EXPECT_EQ(list.Status, 0);
    std::size_t at = 0;
    for (const std::string& expected : std::vector<std::string>{
             "4 member(s), DecodedTotal 63045", "stamped for DiskCount 3, ArchiveSize " + archiveSize,
             "disk 3: " + std::to_string(fs::file_size("disks/Glyphvan.003")) + " bytes, CRC-32 ", "Glyphvane.Exe",
             "GLYPH.HLP", "Windows help directory", "USER.LIB", "kept if existing", "Glyphvan.003",
             "3 part(s), " + archiveSize + " bytes"}) {
        at = list.Out.find(expected, at);
        EXPECT_NE(at, std::string::npos) << expected << "\n" << list.Out;
    }
    EXPECT_EQ(Gvdist("verify disks").Status, 0);
    // A setup built before the checks is stamped with the counts alone, and its set reads as before.
    setup[0x60] = StampCountsSize;
    WriteBytes("in/setup.exe", setup);
    EXPECT_TRUE(Ran(Pack("old"), 0, "the setup will not check its disks"));
    EXPECT_TRUE(Ran(Gvdist("verify old"), 0, "its disks carry no checksums"));
}

TEST_F(GvdistCliTest, ExtractKeepsTheUsersLibraryAndPutsHelpWhereAsked) {
    ASSERT_EQ(Pack("disks").Status, 0);
    ASSERT_EQ(Gvdist("extract disks -d dest --help-dir help").Status, 0);
    EXPECT_EQ(ReadBytes("dest/Glyphvane.Exe"), program_);
    EXPECT_EQ(ReadText("help/GLYPH.HLP"), "GLYPH.HLP text\n");
    EXPECT_EQ(Snapshot("dest").size(), 4u);  // the help file went to --help-dir

    // Again: the user's library is kept, the rest replaced; help lands beside the program.
    std::ofstream("dest/USER.LIB") << "glyphs the user made";
    std::ofstream("dest/README.TXT") << "stale";
    ASSERT_EQ(Gvdist("extract disks -d dest").Status, 0);
    EXPECT_EQ(std::tuple(ReadText("dest/USER.LIB"), ReadText("dest/README.TXT"), ReadText("dest/GLYPH.HLP")),
              std::tuple("glyphs the user made", "README.TXT text\n", "GLYPH.HLP text\n"));
}

// Packed onto three disks, then four, then one: no old part stays.
TEST_F(GvdistCliTest, PackAgainLeavesNoOldPart) {
    EXPECT_EQ(Pack("disks").Out.rfind("DiskCount=3\n", 0), 0u);
    EXPECT_EQ(Pack("disks", "--disk-size 9216").Out.rfind("DiskCount=4\n", 0), 0u);
    EXPECT_EQ(Pack("disks", "").Out.rfind("DiskCount=1\n", 0), 0u);
    EXPECT_EQ(Snapshot("disks").size(), 3u);
    // From its own setup.exe again: the old member table goes.
    const Bytes packedOnce = ReadBytes("disks/setup.exe");
    WriteBytes("in/setup.exe", packedOnce);  // MinGW's copy_file cannot overwrite
    EXPECT_EQ(Pack("disks", "").Status, 0);
    EXPECT_EQ(ReadBytes("disks/setup.exe"), packedOnce);
}

TEST_F(GvdistCliTest, DamagedDistributionsAreRefusedBeforeAnythingIsWritten) {
    const Result pack = Pack("disks");
    ASSERT_EQ(pack.Status, 0);
    const std::int32_t archive = std::stoi(pack.Out.substr(pack.Out.find("ArchiveSize=") + 12));
    const Bytes packedSetup = ReadBytes("disks/setup.exe");
    const auto stamped = [&packedSetup](const DistributionStamp& stamp) { return Stamped(packedSetup, stamp); };
    const auto tabled = [](const MemberEntry& member, std::int32_t decodedTotal) {
        Bytes setup = SetupImage(),
              table = SerializeMemberTable(MemberTable{{{"GOOD.TXT", 0, 10}, member}, decodedTotal});
        setup.insert(setup.end(), table.begin(), table.end());
        return setup;
    };
    Bytes longer = packedSetup;  // DecodedTotal, in the last 4 bytes, past the stream's end
    const std::int32_t decodedTotal = 63045 + 1000;
    std::memcpy(&longer[longer.size() - 4], &decodedTotal, 4);
    Bytes corrupt = ReadBytes("disks/Glyphvan.002");
    corrupt[corrupt.size() / 2] ^= 0x5A;
    const struct {
        const char* File;
        Bytes Content;
        const char* Fault;
    } edits[] = {
        // The disk count and archive size are stamped.
        {"setup.exe", stamped(MakeStamp(2, 1)), "setup.exe is stamped DiskCount=2 but 3 part(s) were found"},
        {"setup.exe", stamped(MakeStamp(3, 1)), "setup.exe is stamped ArchiveSize=1 but the parts hold"},
        {"setup.exe", stamped(MakeStamp(5, 1)), "setup.exe is stamped with DiskCount 5, not 1 to 4"},
        {"setup.exe", stamped(MakeStamp(0, 1)), "setup.exe is stamped with DiskCount 0, not 1 to 4"},
        {"setup.exe", stamped(MakeStamp(3, 0)), "setup.exe is stamped with ArchiveSize 0, below 1"},
        // The member table is checked before anything is written.
        {"setup.exe", tabled({"..\\EVIL.TXT", 0, 5}, 63045), "member 2 (\"..\\x5CEVIL.TXT\"): name contains '\\'"},
        // At most 48 bytes per archive byte, plus 60: one byte more is refused.
        {"setup.exe", tabled({"MORE.TXT", 10, 5}, 48 * archive + 61), "cannot decode to"},
        {"Glyphvan.002", corrupt, "Glyphvan.002 (disk 2) is damaged"},
    };
    for (const auto& [file, content, fault] : edits) {
        const Bytes original = ReadBytes(fs::path("disks") / file);
        WriteBytes(fs::path("disks") / file, content);
        ExpectRefused(fault);
        WriteBytes(fs::path("disks") / file, original);
    }
    // Every part as long as the stamp says, and no manifest: the table's DecodedTotal is at fault.
    fs::rename("disks/gvdist.txt", "gvdist.txt");
    WriteBytes("disks/setup.exe", longer);
    ExpectRefused("; the stream ends after 63045 bytes, before the DecodedTotal 64045 of setup.exe's");
    fs::rename("gvdist.txt", "disks/gvdist.txt");
}

TEST_F(GvdistCliTest, OlderStampsReadAndShortPartsAreJudgedByTheStamp) {
    const Result pack = Pack("disks");
    ASSERT_EQ(pack.Status, 0);
    const std::int32_t archive = std::stoi(pack.Out.substr(pack.Out.find("ArchiveSize=") + 12));
    const Bytes packedSetup = ReadBytes("disks/setup.exe");
    // One packed before the stamp had a section of its own reads the same;
    // it stays for the rest.
    Bytes older = packedSetup;
    std::copy_n(".rdata\0", 8, older.begin() + SectionHeaderAt);
    WriteBytes("disks/setup.exe", older);
    EXPECT_EQ(Gvdist("verify disks").Status, 0);

    fs::resize_file("disks/Glyphvan.003", fs::file_size("disks/Glyphvan.003") - 16);
    ExpectRefused("Glyphvan.003 (disk 3) holds");  // and the stamp says more
    fs::remove("disks/gvdist.txt");  // found by the decoding, without the manifest and with a stamp that agrees
    WriteBytes("disks/setup.exe", Stamped(packedSetup, MakeStamp(3, archive - 16)));
    ExpectRefused("the archive is truncated");
}

// The archive decodes from its start: a salvage keeps the files (in stream
// order) that decode whole before the first byte missing, byte for byte,
// and leaves no trace of the others.
TEST_F(GvdistCliTest, SalvageKeepsWhatDecodesBeforeTheFirstMissingByte) {
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"Glyphvane.Exe", Sample(2000)},     {"A.DAT", Sample(6000, 0)},  {"B.DAT", Sample(6000, 0)},
        {"UnInstal.Exe", Bytes(3000, 0x90)}, {"C.DAT", Sample(14000, 0)}, {"E.TXT", Sample(8000)}};
    std::string members;
    for (const auto& [name, bytes] : files) {
        WriteBytes("in/" + name, bytes);
        members += (members.empty() ? "--program in/" : " --member in/") + name;
    }
    ASSERT_EQ(Gvdist("pack " + members + " --setup in/setup.exe -o disks --disk-size 12288 --disks").Status, 0);
    // Without gvdist.txt: a middle disk copied short, yet longer than the
    // last, and one whose eight sectors read as zeros, as a bad floppy does.
    fs::copy("disks/DISK2", "s2");
    fs::resize_file("s2/Glyphvan.002", fs::file_size("s2/Glyphvan.002") - 100);
    fs::copy("disks/DISK2", "z2");
    std::ofstream("z2/Glyphvan.002", std::ios::binary | std::ios::in).seekp(2048) << std::string(4096, '\0');
    fs::copy("disks/DISK1", "mix");  // and another pack's gvdist.txt
    ASSERT_EQ(Pack("other").Status, 0);
    fs::copy_file("other/gvdist.txt", "mix/gvdist.txt");
    const struct {
        const char* From;
        std::size_t Recovered;  // the first files of the stream
        const char* Says;       // what extract says besides its list
        const char* Verify;
    } rows[] = {
        {.From = "disks", .Recovered = 6, .Says = "recovered  E.TXT", .Verify = ": OK"},
        {.From = "disks/DISK1 disks/DISK2", .Recovered = 4, .Says = "disk 3 missing", .Verify = "recoverable; disk 3"},
        {.From = "disks/DISK1", .Recovered = 2, .Says = "; disks 2 and 3 missing", .Verify = "; disks 2 and 3 missing"},
        {.From = "disks/DISK2 disks/DISK3", .Recovered = 0, .Says = "nothing can be", .Verify = "(disk 1) is not"},
        {.From = "disks/DISK1 disks/DISK3", .Recovered = 2, .Says = "decoded past a gap", .Verify = "; disk 2 missing"},
        {.From = "disks/DISK1 s2 disks/DISK3", .Recovered = 2, .Says = "damaged (disk 2)", .Verify = "(disk 2) holds"},
        {.From = "disks/DISK1 z2 disks/DISK3", .Recovered = 2, .Says = "damaged (disk 2)", .Verify = "(disk 2) is dam"},
        {.From = "mix disks/DISK2",
         .Recovered = 4,
         .Says = "gvdist.txt belongs to another",
         .Verify = "; disk 3 missing"},
    };
    for (const auto& row : rows) {
        const Result salvage = Gvdist("extract --salvage " + std::string(row.From) + " -d dest");
        EXPECT_TRUE(Ran(salvage, row.Recovered == files.size() ? 0 : 2, row.Says)) << row.From;
        if (row.Recovered > 0 && row.Recovered < files.size()) {
            EXPECT_NE(salvage.Out.find(std::to_string(row.Recovered) + " of 6 members recovered;"), std::string::npos);
        }
        // Byte for byte; the lost files are absent.
        EXPECT_EQ(Snapshot("dest"), (std::map<std::string, Bytes>(files.begin(), files.begin() + row.Recovered)));
        EXPECT_TRUE(Ran(Gvdist("verify " + std::string(row.From)), row.Recovered == files.size() ? 0 : 2, row.Verify));
        fs::remove_all("dest");
    }
}

// Pack puts all its files in place or none; extract writes through
// temporary names of its own and never through a link already there.
TEST_F(GvdistCliTest, FilesTakeTheirPlacesTogetherAndNeverThroughLinks) {
    // The file that cannot take its place comes after the parts, setup.exe
    // and gvdist.txt; an image, after the disk folders too.
#ifdef _WIN32
    const std::string media = " --disks", blocked = "gvdist.txt";
#else
    const std::string media = " --disks --images", blocked = "glyphvane-disk1.img";  // mtools: Linux and macOS only
#endif
    // What is not an earlier pack's, at a name a pack of fewer disks throws away, stops it before anything changes:
    // a file at a folder's name, a folder at a file's, a file the user changed.
    const std::pair<const char*, const char*> planted[] = {{"DISK3", "photos/cat.jpg"},
                                                           {"DISK4", ""},
                                                           {"DISK1", "setup.exe"},
                                                           {"Glyphvan.004", "x"},
                                                           {"glyphvane-disk1.img", ""}};
    for (const auto& [name, inside] : planted) {
        ASSERT_EQ(Pack("kept", "--format 360K" + media).Status, 0);  // three disks
        const fs::path folder = fs::path("kept") / name, file = *inside ? folder / inside : folder;
        if (!fs::is_directory(folder)) fs::remove(folder);  // an image, not a folder
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "the user's";
        const auto kept = Snapshot("kept");
        EXPECT_TRUE(Ran(Pack("kept", "--format 2.88M" + media), 2, folder.string() + ": not what an earlier gvdist"));
        EXPECT_EQ(Snapshot("kept"), kept);
        fs::remove_all(folder);
    }
    ASSERT_EQ(Pack("disks", "--format 360K" + media).Status, 0);
    {
        const FolderLock other("disks");  // another pack, in the middle of writing
        EXPECT_TRUE(Ran(Pack("disks", "--format 2.88M" + media), 2, FolderBusyText("disks")));
    }
#ifndef _WIN32
    fs::create_symlink("elsewhere", "disks/.gvdist-lock");
    EXPECT_TRUE(Ran(Pack("disks", media), 2, "disks/.gvdist-lock is a link or a folder where gvdist keeps its lock"));
    fs::remove("disks/.gvdist-lock");
#endif
    EXPECT_EQ(Pack("disks", "--format 2.88M" + media).Status, 0);        // an earlier pack's disks 2 and 3 go
    EXPECT_EQ(Snapshot("disks").size(), media == " --disks" ? 6u : 7u);  // and so does the lock file
    ASSERT_EQ(Pack("disks", "--format 360K" + media).Status, 0);
    fs::remove(fs::path("disks") / blocked);
    fs::create_directories(fs::path("disks") / blocked / "in the way");
    const auto before = Snapshot("disks");
    EXPECT_EQ(Pack("disks", "--format 720K" + media).Status, 2);
    EXPECT_EQ(Snapshot("disks"), before);
}

TEST_F(GvdistCliTest, ExtractWritesThroughNoLinkAlreadyThere) {
    std::ofstream("in/A.TXT") << "A";
    std::ofstream("in/A.TXT.gvdist-part") << "A.TXT.gvdist-part";
    ASSERT_EQ(Pack("names", "--member in/A.TXT.gvdist-part --member in/A.TXT").Status, 0);
    fs::create_directories("dest");
#ifndef _WIN32
    std::ofstream("victim") << "not gvdist's";
    for (const char* name : {"Glyphvane.Exe.gvdist-part", "A.TXT.gvdist-part", "A.TXT"}) {
        fs::create_symlink(root_ / "victim", fs::path("dest") / name);
    }
#endif
    ASSERT_EQ(Gvdist("extract names -d dest").Status, 0);
    EXPECT_EQ(ReadText("dest/A.TXT"), "A");
    EXPECT_EQ(ReadText("dest/A.TXT.gvdist-part"), "A.TXT.gvdist-part");
#ifndef _WIN32
    EXPECT_EQ(ReadText("victim"), "not gvdist's");
#endif
}

TEST_F(GvdistCliTest, EncodeDecodeRoundTrip) {
    ASSERT_EQ(Gvdist("encode in/prog.exe prog.lzs").Status, 0);
    ASSERT_EQ(Gvdist("decode --length 60000 prog.lzs prog.out").Status, 0);
    EXPECT_EQ(ReadBytes("prog.out"), program_);

    fs::resize_file("prog.lzs", fs::file_size("prog.lzs") / 2);
    EXPECT_TRUE(Ran(Gvdist("decode --length 60000 prog.lzs half.out"), 2, "truncated"));
    EXPECT_FALSE(fs::exists("half.out"));
}

#ifndef _WIN32
// Images are made and read by mtools and checked by dosfstools' fsck, which
// scripts/bootstrap installs: without them these tests fail, never skip.

TEST_F(GvdistCliTest, DisksAndImagesOfAFormat) {
    PackNoiseOntoDisks();
    for (int k = 1; k <= 3; ++k) {  // DISKk holds part k, and setup.exe on disk 1: the table below reads them
        const std::string n = std::to_string(k), image = "disks/glyphvane-disk" + n + ".img";
        EXPECT_EQ(Snapshot("disks/DISK" + n).size(), k == 1 ? 2u : 1u);
        EXPECT_EQ(fs::file_size(image), 368640u);
        const std::string check =
            "fsck.fat -n " + image + " >/dev/null && mdir -i " + image + " :: | grep -q 'is GLYPHVANE" + n + "'";
        EXPECT_EQ(std::system(check.c_str()), 0) << image;
    }
    EXPECT_EQ(fs::file_size("disks/Glyphvan.001"), 362496u - 2048);  // disk 1 full, setup.exe in 2 clusters

    // The same inputs, the same bytes; another time stamp, other bytes.
    ASSERT_EQ(Pack("again", NoiseMedia).Status, 0);
    EXPECT_EQ(ReadBytes("again/glyphvane-disk2.img"), ReadBytes("disks/glyphvane-disk2.img"));
    setenv("SOURCE_DATE_EPOCH", "946684800", 1);
    EXPECT_EQ(Pack("again", NoiseMedia).Status, 0);
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_NE(ReadBytes("again/glyphvane-disk2.img"), ReadBytes("disks/glyphvane-disk2.img"));
}

TEST_F(GvdistCliTest, AnySetOfSourcesAndHostileImages) {
    const Bytes noise = PackNoiseOntoDisks();
    fs::copy("disks/DISK3", "other3");
    Bytes changed = ReadBytes("other3/Glyphvan.003");
    changed[10] ^= 1;  // the same size, other bytes
    WriteBytes("other3/Glyphvan.003", changed);
    WriteBytes("junk.img", Bytes(4096, 0xF6));
    fs::copy_file("disks/glyphvane-disk3.img", "short.img");
    fs::resize_file("short.img", 300000);
    // A long name on the image that climbs out: the files still land where
    // gvdist puts them and nowhere else.
    Bytes image = ReadBytes("disks/glyphvane-disk2.img");
    const std::string lfn("G\0l\0y\0p\0h\0", 10), climb("/\0.\0.\0/\0.\0", 10);
    const auto at = std::search(image.begin(), image.end(), lfn.begin(), lfn.end());
    ASSERT_NE(at, image.end());
    std::copy(climb.begin(), climb.end(), at);
    WriteBytes("hostile.img", image);
    fs::copy_file("disks/glyphvane-disk1.img", "junk.img@@0");  // mtools would read junk.img
    ASSERT_EQ(std::system("mformat -C -f 360 -i dir.img :: && mmd -i dir.img ::Glyphvan.002 && "
                          "mcopy -i dir.img in/prog.exe ::Glyphvan.002/-rf"),
              0);
    Bytes looped = ReadBytes("disks/glyphvane-disk2.img");
    looped[515] = 2;  // the part's first cluster, 2, leads back to itself
    looped[516] &= 0xF0;
    WriteBytes("looped.img", looped);
    const struct {
        std::string Sources;
        const char* Fault;  // nullptr: extract succeeds
    } rows[] = {
        {"disks/glyphvane-disk3.img disks/glyphvane-disk1.img disks/glyphvane-disk2.img", nullptr},
        {"disks/glyphvane-disk2.img disks/DISK1 disks/glyphvane-disk3.img disks/DISK3", nullptr},
        {"disks/DISK1 hostile.img disks/DISK3", nullptr},
        {"disks/glyphvane-disk1.img disks/glyphvane-disk3.img", "Glyphvan.002 (disk 2) is not in the sources given"},
        {"disks/glyphvane-disk2.img disks/DISK3", "setup.exe (disk 1) is not in the sources given"},
        {"disks/glyphvane-disk2.img disks/DISK1", "Glyphvan.003 (disk 3) is not in the sources given"},
        {"disks other3", "Glyphvan.003 differs between"},
        {"disks junk.img", "junk.img is not a FAT disk image"},
        {"short.img disks", "short.img is truncated"},
        {"junk.img@@0 disks", "junk.img@@0: mtools would read the image at the offset after '@@'"},
        {"disks/DISK1 dir.img disks/DISK3", "dir.img: Glyphvan.002 on it is not a file"},
        {"disks/DISK1 looped.img disks/DISK3", "cannot copy Glyphvan.002 from looped.img: mtype: loop detected"},
    };
    for (const auto& [sources, fault] : rows) {
        EXPECT_TRUE(Ran(Gvdist("extract -d dest " + sources), fault ? 2 : 0, fault ? fault : "NOISE.DAT")) << sources;
        EXPECT_EQ(Snapshot("dest").size(), fault ? 0u : 6u);  // nothing, or the product's files
        EXPECT_EQ(ReadBytes("dest/NOISE.DAT"), fault ? Bytes() : noise);
        fs::remove_all("dest");
    }
}

TEST_F(GvdistCliTest, ImagesThatLieAreJudgedByTheirBytes) {
    PackNoiseOntoDisks();
    // A chain cut short and a doubled entry: mtools hands over other bytes
    // without a word, and the salvage keeps only what is exact.
    Bytes cut = ReadBytes("disks/glyphvane-disk2.img"), doubled = ReadBytes("disks/glyphvane-disk3.img");
    cut[813] |= 0xF0;  // cluster 201, the part's 200th, ends its chain
    cut[814] = 0xFF;
    const auto entry = std::search(doubled.begin(), doubled.end(), "GLYPHVAN003", "GLYPHVAN003" + 11);
    std::copy_n(entry, 32, entry + 32);
    WriteBytes("cut.img", cut);
    WriteBytes("doubled.img", doubled);
    for (const auto& [sources, disk, named] :
         {std::tuple{"disks/DISK1 cut.img disks/DISK3", "2",
                     "cut.img: Glyphvan.002 on it yields 204800 of the 362496 bytes"},
          {"disks/DISK1 disks/DISK2 doubled.img", "3", "doubled.img: Glyphvan.003 stands in its directory 2 times"}}) {
        EXPECT_TRUE(Ran(Gvdist("verify " + std::string(sources)), 2, "(disk " + std::string(disk) + ") holds"));
        EXPECT_NE(ReadText("out.txt").find(named), std::string::npos) << ReadText("out.txt");  // the image is named
        EXPECT_TRUE(Ran(Gvdist("extract --salvage -d dest " + std::string(sources)), 2,
                        "of 760000 bytes: damaged (disk " + std::string(disk) + "))"));
        EXPECT_EQ(Snapshot("dest").size(), 5u) << sources;  // all but NOISE.DAT, which part 1 does not hold whole
        fs::remove_all("dest");
    }
}

TEST_F(GvdistCliTest, HostPathsReadAsNoOptionsAndPATHPlantsNoProgram) {
    const std::string path = std::getenv("PATH");
    // Host paths that read as options, and an mtools planted in a relative folder of PATH.
    ASSERT_EQ(Pack("-Do", "--format 360K --images").Status, 0);
    std::ofstream("mdir") << "#!/bin/sh\ntouch planted\n";
    fs::permissions("mdir", fs::perms::owner_all);
    for (const auto& [name, value, status, said] :
         {std::tuple{"TMPDIR", "/tmp", 0, "OK"}, {"TMPDIR", "-Do", 0, "OK"}, {"PATH", ".", 2, "install mtools"}}) {
        setenv(name, value, 1);
        const Result verify = Gvdist("verify ./-Do/glyphvane-disk1.img");
        setenv("PATH", path.c_str(), 1);
        unsetenv("TMPDIR");
        EXPECT_TRUE(Ran(verify, status, said)) << value;
    }
    // and nothing new beside the sources and out.txt
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 4);  // in, -Do, mdir, out.txt
    // Run in a folder whose name holds '@@', mtools would write and read ../u: the user's file stays.
    std::ofstream("u") << "my thesis";
    fs::create_directory("u@@0");
    fs::copy_file("-Do/glyphvane-disk1.img", "u@@0/disk2.img");
    fs::current_path("u@@0");
    for (const char* command :
         {"pack --program ../in/prog.exe --setup ../in/setup.exe -o dist --images", "list disk2.img"})
        EXPECT_TRUE(Ran(Gvdist(command), 2, "mtools would read")) << command;
    EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), 2);  // disk2.img and out.txt
    fs::current_path(root_);
    EXPECT_EQ(ReadText("u"), "my thesis");
}

TEST_F(GvdistCliTest, AStoppedPackLeavesOnlyWhatTheNextPackWrites) {
    const std::string path = std::getenv("PATH");
    // A pack stopped while mcopy runs (a stand-in signals it first), then a pack again: one pack's files alone.
    ASSERT_EQ(Pack("one", "--format 360K --images").Status, 0);
    fs::create_directory("fake");
    for (const std::string signal : {"INT", "TERM", "HUP", "KILL"}) {
        std::ofstream("fake/mcopy") << "#!/bin/sh\nkill -" << signal << " $PPID\nPATH=${PATH#*:} exec mcopy \"$@\"\n";
        fs::permissions("fake/mcopy", fs::perms::owner_all);
        setenv("PATH", ((root_ / "fake").string() + ":" + path).c_str(), 1);
        const Result stopped = Pack("sig", "--format 360K --images");
        setenv("PATH", path.c_str(), 1);
        EXPECT_NE(stopped.Status, 0) << signal;
        EXPECT_EQ(fs::exists("sig"), signal == "KILL") << signal;  // a folder the pack made goes with it
        EXPECT_EQ(Pack("sig", "--format 360K --images").Status, 0) << signal;
        EXPECT_EQ(Snapshot("sig"), Snapshot("one")) << signal;
        fs::remove_all("sig");
    }
}

// Every format holds what mtools leaves free on a disk it formats, in
// clusters of the size it lays out.
TEST_F(GvdistCliTest, FormatsHoldWhatMtoolsLeavesFree) {
    for (const DiskFormat& format : DiskFormats()) {
        const std::string image = "f" + std::to_string(format.Kilobytes) + ".img";
        const std::string probe = "mformat -C -f " + std::to_string(format.Kilobytes) + " -i " + image +
                                  " :: && echo $(mdir -i " + image + " :: | sed -n 's/ bytes free//p' | tr -d ' ') " +
                                  "$(minfo -i " + image +
                                  " :: | sed -n 's/^cluster size: \\([0-9]*\\) sectors/\\1/p') >mtools.txt";
        ASSERT_EQ(std::system(probe.c_str()), 0) << probe;
        EXPECT_EQ(ReadText("mtools.txt"),
                  std::to_string(format.FreeBytes) + " " + std::to_string(format.ClusterBytes / 512) + "\n")
            << format.Name;
    }
    EXPECT_TRUE(Ran(Gvdist("formats"), 0, "\n1.44M        1457664      512  default\n"));
}

// What an image yields stops at the disk's size, whatever its chains or
// sizes claim: a program that writes past its limit is stopped.
TEST(GvdistToolTest, OutputStopsAtItsLimit) {
    std::FILE* file = std::tmpfile();
    const ToolSink sink{file, 5000};
    const ToolRun run = RunTool({"yes"}, {}, "coreutils", &sink);
    EXPECT_TRUE(run.Cut);
    EXPECT_LE(std::ftell(file), 5000);
    std::fclose(file);
}

// Hostile sources and inputs are refused at once, before their bytes are
// read, naming the cause; what would hang is cut off by timeout, and memory is held to 128 MB (but under ASan,
// whose shadow takes more address space).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GV_ASAN
#endif
#endif
#ifdef GV_ASAN
constexpr const char* Bounded = "timeout 10 ";
#else
constexpr const char* Bounded = "ulimit -v 131072; timeout 10 ";
#endif
TEST_F(GvdistCliTest, HostileSourcesAreRefusedAtOnce) {
    ASSERT_EQ(Pack("disks").Status, 0);
    const struct {
        const char* Change;  // made in a copy of the distribution, d
        std::string Command;
        const char* Fault;
    } rows[] = {
        {"cp d/Glyphvan.001 d/GLYPHVAN.001", "verify d", " and GLYPHVAN.001, which a FAT disk or Windows takes"},
        {"echo other >d/SETUP.EXE", "verify d/setup.exe", "which a FAT disk or Windows takes for one file"},
        {"truncate -s 3G d/Glyphvan.001", "verify d", "Glyphvan.001 (disk 1) holds 3221225472 bytes"},
        {"truncate -s 800M d/Glyphvan.002 && rm d/Glyphvan.003", "verify d",
         "0 of 5 members recoverable; disk 2 damaged"},
        {"truncate -s 800M d/Glyphvan.002 && rm d/Glyphvan.003", "extract --salvage d -d dest",
         "0 of 5 members recovered"},
        {"rm d/Glyphvan.*", "verify d", "Glyphvan.001 (disk 1) is not in the sources given"},
        {"mv fifo d/Glyphvan.002", "extract d -d dest", "d/Glyphvan.002 is not a regular file"},
        {"mv fifo d/gvdist.txt", "verify d", "d/gvdist.txt is not a regular file"},
        {"mv fifo d/setup.exe", "list d/setup.exe", "d/setup.exe is not a regular file"},
        {"mv fifo d.img", "list d d.img", "d.img is not a regular file"},
        {"true", "pack --program in/prog.exe --setup /dev/zero -o out", "/dev/zero is not a regular file"},
        {"true", "pack --program fifo --setup in/setup.exe -o out", "fifo is not a regular file"},
        {"truncate -s 1500000 in/setup.exe", "pack --program in/prog.exe --setup in/setup.exe -o out",
         "in/setup.exe holds 1500000 bytes, more than the 1457664"},
    };
    for (const auto& row : rows) {
        mkfifo("fifo", 0600);  // unless the row before left it
        fs::copy("disks", "d");
        ASSERT_EQ(std::system(row.Change), 0) << row.Change;
        EXPECT_TRUE(Ran(Gvdist(row.Command, Bounded), 2, row.Fault)) << row.Change;
        EXPECT_FALSE(fs::exists("dest") || fs::exists("out")) << row.Change;
        for (const char* made : {"d", "d.img", "dest", "out"}) fs::remove_all(made);
    }
}

// lhasa, a decoder independent of ours, reads the .lzh archives gvdist
// makes: one byte, runs that must not match the ring's unwritten tail, a
// program, and noise long enough for the tree to be rebuilt.
TEST_F(GvdistCliTest, LhaExtractsTheLzhArchive) {
    const std::pair<const char*, Bytes> inputs[] = {{"one.bin", {0x7F}},
                                                    {"zeros.bin", Bytes(5000, 0)},
                                                    {"spaces.txt", Bytes(5000, ' ')},
                                                    {"prog.exe", program_},
                                                    {"noise.bin", Sample(40000, 0)}};
    for (const auto& [name, data] : inputs) {
        WriteBytes(name, data);
        ASSERT_EQ(Gvdist("encode --lzh " + std::string(name) + " a.lzh").Status, 0);
        EXPECT_EQ(std::system("lha xqfw=lha a.lzh >/dev/null 2>&1"), 0) << name;
        EXPECT_EQ(ReadBytes(fs::path("lha") / name), data) << name;
    }
}
#endif

}  // namespace
