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
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "archive/member_table.h"
#include "setup/stamp.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& path) {
    const Bytes bytes = ReadBytes(path);
    std::string text(bytes.begin(), bytes.end());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());  // Windows line ends
    return text;
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A stand-in setup.exe: 1500 bytes holding the record of its distribution.
Bytes SetupImage(std::int32_t diskCount = 3, std::int32_t archiveSize = 3675000) {
    Bytes bytes(1500, 0x4D);
    const DistributionStamp stamp = MakeStamp(diskCount, archiveSize);
    std::memcpy(bytes.data() + 700, &stamp, sizeof stamp);
    return bytes;
}

// A program image that compresses like a real one: text runs and noise.
Bytes ProgramImage() {
    std::minstd_rand random(12345);
    Bytes bytes(60000);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = i % 32 < 16 ? "Glyphvane renders glyph "[i % 24] : static_cast<std::uint8_t>(random() >> 8);
    }
    return bytes;
}

// Every file and folder under `dir` with its content.
std::map<std::string, Bytes> Snapshot(const fs::path& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        files[entry.path().lexically_relative(dir).string()] = entry.is_regular_file() ? ReadBytes(entry) : Bytes();
    }
    return files;
}

std::ptrdiff_t FileCount(const fs::path& dir) {
    return fs::exists(dir) ? std::distance(fs::recursive_directory_iterator(dir), {}) : 0;
}

struct Result {
    int Status;
    std::string Out;  // stdout and stderr
};

class GvdistCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(root_);
        fs::create_directories(root_ / "in");
        WriteBytes(Path("in/setup.exe"), SetupImage());
        WriteBytes(Path("in/prog.exe"), program_);
        WriteBytes(Path("in/UnInstal.Exe"), Bytes(3000, 0x90));
        for (const char* name : {"GLYPH.HLP", "USER.LIB", "README.TXT"}) {
            std::ofstream(Path("in") / name, std::ios::binary) << name << " text\n";
        }
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path Path(const fs::path& relative) const { return root_ / relative; }
    std::string Q(const fs::path& relative) const { return "\"" + Path(relative).string() + "\""; }

    Result Gvdist(const std::string& arguments) const {
        std::string command = "\"" GVDIST_PATH "\" " + arguments + " >" + Q("out.txt") + " 2>&1";
#ifdef _WIN32
        command = "\"" + command + "\"";  // cmd.exe drops the first and the last quote
        const int status = std::system(command.c_str());
#else
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        const Result run{status, ReadText(Path("out.txt"))};
        fs::remove(Path("out.txt"));
        return run;
    }

    // About 30 KB of archive on disks of 12 KB: three parts.
    Result Pack(const std::string& outDir, const std::string& extra = "--disk-size 12288") const {
        std::string arguments = "pack --program " + Q("in/prog.exe") + " --setup " + Q("in/setup.exe");
        for (const char* member : {"GLYPH.HLP", "USER.LIB", "README.TXT", "UnInstal.Exe"}) {
            arguments += " --member " + Q(fs::path("in") / member);
        }
        return Gvdist(arguments + " -o " + Q(outDir) + " " + extra);
    }

    const fs::path root_ = fs::temp_directory_path() /
                           ("gvdist_cli_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                            std::to_string(std::random_device{}()));  // runs side by side do not meet
    const Bytes program_ = ProgramImage();
};

TEST_F(GvdistCliTest, PackListVerifyExtract) {
    // Refused: five disks' worth, a member named like another but for case,
    // a setup.exe without the record or with two.
    fs::create_directories(Path("in/case"));
    std::ofstream(Path("in/case/user.lib")) << "x";
    Bytes twoRecords = SetupImage();
    twoRecords.insert(twoRecords.end(), twoRecords.begin() + 700, twoRecords.begin() + 700 + StampSize);
    const struct {
        Bytes Setup;
        std::string Extra;
        const char* Fault;
    } refused[] = {
        {SetupImage(), "--disk-size 6144", "at most 4"},
        {SetupImage(), "--disk-size 12288 --member " + Q("in/case/user.lib"), "already taken"},
        {Bytes(1500, 0x4D), "", "has no record of DiskCount and ArchiveSize"},
        {twoRecords, "", "has 2 records of DiskCount and ArchiveSize"},
    };
    for (const auto& row : refused) {
        WriteBytes(Path("in/setup.exe"), row.Setup);
        const Result run = Pack("disks", row.Extra);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Out.find(row.Fault), std::string::npos) << run.Out;
        EXPECT_EQ(FileCount(Path("disks")), 0);
    }
    WriteBytes(Path("in/setup.exe"), SetupImage());

    const Result pack = Pack("disks");
    ASSERT_EQ(pack.Status, 0) << pack.Out;
    const std::string archiveSize = std::to_string(std::stoi(pack.Out.substr(pack.Out.find("ArchiveSize=") + 12)));
    EXPECT_EQ(pack.Out, "DiskCount=3\nArchiveSize=" + archiveSize + "\n");  // and no progress bar when not on a terminal
    EXPECT_EQ(FileCount(Path("disks")), 5);  // the parts, setup.exe, gvdist.txt
    const Bytes setup = ReadBytes(Path("disks/setup.exe"));
    EXPECT_EQ(Bytes(setup.begin(), setup.begin() + 1500), SetupImage(3, std::stoi(archiveSize)));

    // In this order: the members as given, after the program.
    const Result list = Gvdist("list " + Q("disks"));
    EXPECT_EQ(list.Status, 0);
    std::size_t at = 0;
    for (const std::string& expected : std::vector<std::string>{
             "4 member(s), DecodedTotal 63045", "stamped for DiskCount 3, ArchiveSize " + archiveSize, "Glyphvane.Exe", "GLYPH.HLP",
             "Windows help directory", "USER.LIB", "kept if existing", "Glyphvan.003", "3 part(s), " + archiveSize + " bytes"}) {
        at = list.Out.find(expected, at);
        EXPECT_NE(at, std::string::npos) << expected << "\n" << list.Out;
    }
    EXPECT_EQ(Gvdist("verify " + Q("disks")).Status, 0);

    ASSERT_EQ(Gvdist("extract " + Q("disks") + " -d " + Q("dest") + " --help-dir " + Q("help")).Status, 0);
    EXPECT_EQ(ReadBytes(Path("dest/Glyphvane.Exe")), program_);
    EXPECT_EQ(ReadText(Path("help/GLYPH.HLP")), "GLYPH.HLP text\n");
    EXPECT_EQ(FileCount(Path("dest")), 4);  // the help file went to --help-dir

    // Again: the user's library is kept, the rest replaced; help lands beside the program.
    std::ofstream(Path("dest/USER.LIB")) << "glyphs the user made";
    std::ofstream(Path("dest/README.TXT")) << "stale";
    ASSERT_EQ(Gvdist("extract " + Q("disks") + " -d " + Q("dest")).Status, 0);
    EXPECT_EQ(ReadText(Path("dest/USER.LIB")), "glyphs the user made");
    EXPECT_EQ(ReadText(Path("dest/README.TXT")), "README.TXT text\n");
    EXPECT_EQ(ReadText(Path("dest/GLYPH.HLP")), "GLYPH.HLP text\n");

    // Packed again onto four disks, then onto one: no old part stays.
    EXPECT_EQ(Pack("disks", "--disk-size 9216").Out.rfind("DiskCount=4\n", 0), 0u);
    EXPECT_EQ(Pack("disks", "").Out.rfind("DiskCount=1\n", 0), 0u);
    EXPECT_EQ(FileCount(Path("disks")), 3);
}

TEST_F(GvdistCliTest, DamagedDistributionsAreRefusedBeforeAnythingIsWritten) {
    const Result pack = Pack("disks");
    ASSERT_EQ(pack.Status, 0);
    const std::int32_t archive = std::stoi(pack.Out.substr(pack.Out.find("ArchiveSize=") + 12));
    const auto expectRefused = [this](const char* fault) {
        const Result verify = Gvdist("verify " + Q("disks"));
        EXPECT_EQ(verify.Status, 2);
        EXPECT_NE(verify.Out.find(fault), std::string::npos) << verify.Out;
        EXPECT_EQ(Gvdist("extract " + Q("disks") + " -d " + Q("dest/in")).Status, 2);
        EXPECT_EQ(FileCount(Path("dest")), 0);  // neither in dest/in nor one level up
    };
    const Bytes packedSetup = ReadBytes(Path("disks/setup.exe"));
    const auto stamped = [&packedSetup](const DistributionStamp& stamp) {
        Bytes setup = packedSetup;
        std::memcpy(&setup.at(700), &stamp, sizeof stamp);
        return setup;
    };
    const auto tabled = [](const MemberEntry& member, std::int32_t decodedTotal) {
        Bytes setup = SerializeMemberTable(MemberTable{{{"GOOD.TXT", 0, 10}, member}, decodedTotal});
        setup.insert(setup.begin(), 1500, 0x4D);
        return setup;
    };
    const std::pair<Bytes, const char*> setups[] = {
        {stamped(MakeStamp(2, 1)), "setup.exe is stamped DiskCount=2 but 3 part(s) were found"},
        {stamped(MakeStamp(3, 1)), "setup.exe is stamped ArchiveSize=1 but the parts hold"},
        {stamped(MakeStamp(5, 1)), "setup.exe is stamped with DiskCount 5, not 1 to 4"},
        {stamped(MakeStamp(3, 0)), "setup.exe is stamped with ArchiveSize 0, below 1"},
        {tabled({"..\\EVIL.TXT", 0, 5}, 63045), "member 2 (\"..\\x5CEVIL.TXT\"): name contains '\\'"},
        // One byte more than any stream of the parts' size decodes to.
        {tabled({"MORE.TXT", 10, 5}, 48 * archive + 61), "cannot decode to"},
    };
    for (const auto& [setup, fault] : setups) {
        WriteBytes(Path("disks/setup.exe"), setup);
        expectRefused(fault);
    }
    WriteBytes(Path("disks/setup.exe"), packedSetup);
    const Bytes part2 = ReadBytes(Path("disks/Glyphvan.002"));
    Bytes corrupt = part2;
    corrupt[corrupt.size() / 2] ^= 0x5A;
    WriteBytes(Path("disks/Glyphvan.002"), corrupt);
    expectRefused("Glyphvan.002 is damaged");
    WriteBytes(Path("disks/Glyphvan.002"), part2);
    fs::resize_file(Path("disks/Glyphvan.003"), fs::file_size(Path("disks/Glyphvan.003")) - 16);
    expectRefused("Glyphvan.003 holds");  // and gvdist.txt says more
    fs::remove(Path("disks/gvdist.txt"));  // found by the decoding, without the record
    expectRefused("the archive is truncated");
}

// Pack puts all its files in place or none; extract writes through
// temporary names of its own and never through a link already there.
TEST_F(GvdistCliTest, FilesTakeTheirPlacesTogetherAndNeverThroughLinks) {
#ifdef _WIN32
    const std::string media = " --disks";  // images need mtools, which gvdist runs on Linux and macOS only
    const std::vector<std::string> blocked = {"gvdist.txt"};
#else
    const std::string media = " --disks --images";
    const std::vector<std::string> blocked = {"gvdist.txt", "glyphvane-disk1.img"};
#endif
    for (const std::string& file : blocked) {
        ASSERT_EQ(Pack("disks", "--format 360K" + media).Status, 0) << file;
        fs::remove(Path("disks") / file);
        fs::create_directories(Path("disks") / file / "in the way");  // this file cannot take its place
        const auto before = Snapshot(Path("disks"));
        EXPECT_EQ(Pack("disks", "--format 720K" + media).Status, 2) << file;
        EXPECT_EQ(Snapshot(Path("disks")), before) << file;
        fs::remove_all(Path("disks"));
    }

    std::ofstream(Path("in/A.TXT")) << "A";
    std::ofstream(Path("in/A.TXT.gvdist-part")) << "A.TXT.gvdist-part";
    ASSERT_EQ(Pack("names", "--member " + Q("in/A.TXT.gvdist-part") + " --member " + Q("in/A.TXT")).Status, 0);
    fs::create_directories(Path("dest"));
#ifndef _WIN32
    std::ofstream(Path("victim")) << "not gvdist's";
    for (const char* name : {"Glyphvane.Exe.gvdist-part", "A.TXT.gvdist-part", "A.TXT"}) {
        fs::create_symlink(Path("victim"), Path("dest") / name);
    }
#endif
    ASSERT_EQ(Gvdist("extract " + Q("names") + " -d " + Q("dest")).Status, 0);
    EXPECT_EQ(ReadText(Path("dest/A.TXT")), "A");
    EXPECT_EQ(ReadText(Path("dest/A.TXT.gvdist-part")), "A.TXT.gvdist-part");
#ifndef _WIN32
    EXPECT_EQ(ReadText(Path("victim")), "not gvdist's");
#endif
}

TEST_F(GvdistCliTest, UsageErrorsAndHelp) {
    for (const char* line : {"", "frob", "list --frob", "extract x", "decode a b"}) {
        const Result run = Gvdist(line);
        EXPECT_EQ(run.Status, 1) << line;
        EXPECT_EQ(run.Out.rfind("gvdist: ", 0), 0u) << run.Out;
        EXPECT_EQ(run.Out.find('\n'), run.Out.size() - 1) << "one line: " << run.Out;
    }
    const Result help = Gvdist("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: gvdist", 0), 0u);
}

TEST_F(GvdistCliTest, EncodeDecodeRoundTrip) {
    ASSERT_EQ(Gvdist("encode " + Q("in/prog.exe") + " " + Q("prog.lzs")).Status, 0);
    ASSERT_EQ(Gvdist("decode --length 60000 " + Q("prog.lzs") + " " + Q("prog.out")).Status, 0);
    EXPECT_EQ(ReadBytes(Path("prog.out")), program_);

    fs::resize_file(Path("prog.lzs"), fs::file_size(Path("prog.lzs")) / 2);
    const Result truncated = Gvdist("decode --length 60000 " + Q("prog.lzs") + " " + Q("half.out"));
    EXPECT_EQ(truncated.Status, 2);
    EXPECT_NE(truncated.Out.find("truncated"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("half.out")));
}

#ifndef _WIN32
Bytes Noise(std::size_t size) {
    Bytes bytes(size);
    std::minstd_rand random(99);
    std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<std::uint8_t>(random() >> 8); });
    return bytes;
}

// Images are made and read by mtools and checked by dosfstools' fsck.
TEST_F(GvdistCliTest, DiskMediaAndAnySetOfSources) {
    if (std::system("command -v mformat >/dev/null 2>&1 && command -v fsck.fat >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "mtools or dosfstools is not installed";
    }
    const Bytes noise = Noise(760000);
    WriteBytes(Path("in/NOISE.DAT"), noise);
    const std::string media = "--member " + Q("in/NOISE.DAT") + " --format 360K --disks --images";
    ASSERT_EQ(Pack("disks", media).Status, 0);
    for (int k = 1; k <= 3; ++k) {  // DISKk holds part k, and setup.exe on disk 1: the table below reads them
        const std::string n = std::to_string(k), image = "disks/glyphvane-disk" + n + ".img";
        EXPECT_EQ(FileCount(Path("disks/DISK" + n)), k == 1 ? 2 : 1);
        EXPECT_EQ(fs::file_size(Path(image)), 368640u);
        EXPECT_EQ(std::system(("fsck.fat -n " + Q(image) + " >/dev/null && mdir -i " + Q(image) +
                               " :: | grep -q 'is GLYPHVANE" + n + "'").c_str()), 0) << image;
    }
    EXPECT_EQ(fs::file_size(Path("disks/Glyphvan.001")), 362496u - 2048);  // disk 1 full, setup.exe in 2 clusters

    // The same inputs, the same bytes; another time stamp, other bytes.
    ASSERT_EQ(Pack("again", media).Status, 0);
    EXPECT_EQ(ReadBytes(Path("again/glyphvane-disk2.img")), ReadBytes(Path("disks/glyphvane-disk2.img")));
    setenv("SOURCE_DATE_EPOCH", "946684800", 1);
    const Result stamped = Pack("again", media);
    unsetenv("SOURCE_DATE_EPOCH");
    ASSERT_EQ(stamped.Status, 0) << stamped.Out;
    EXPECT_NE(ReadBytes(Path("again/glyphvane-disk2.img")), ReadBytes(Path("disks/glyphvane-disk2.img")));

    fs::copy(Path("disks/DISK3"), Path("other3"));
    Bytes changed = ReadBytes(Path("other3/Glyphvan.003"));
    changed[10] ^= 1;
    WriteBytes(Path("other3/Glyphvan.003"), changed);
    WriteBytes(Path("junk.img"), Bytes(4096, 0xF6));
    fs::copy_file(Path("disks/glyphvane-disk3.img"), Path("short.img"));
    fs::resize_file(Path("short.img"), 300000);
    const struct {
        std::vector<const char*> Sources;
        const char* Fault;  // nullptr: extract succeeds
    } rows[] = {
        {{"disks/glyphvane-disk3.img", "disks/glyphvane-disk1.img", "disks/glyphvane-disk2.img"}, nullptr},
        {{"disks/glyphvane-disk2.img", "disks/DISK1", "disks/glyphvane-disk3.img", "disks/DISK3"}, nullptr},
        {{"disks/glyphvane-disk1.img", "disks/glyphvane-disk3.img"}, "Glyphvan.002 (disk 2) is not in the sources given"},
        {{"disks/glyphvane-disk2.img", "disks/DISK3"}, "setup.exe (disk 1) is not in the sources given"},
        {{"disks/glyphvane-disk2.img", "disks/DISK1"}, "Glyphvan.003 (disk 3) is not in the sources given"},
        {{"disks", "other3"}, "Glyphvan.003 differs between"},
        {{"disks", "junk.img"}, "junk.img is not a FAT disk image"},
        {{"short.img", "disks"}, "short.img is truncated"},
    };
    for (const auto& row : rows) {
        std::string sources;
        for (const char* source : row.Sources) {
            sources += " " + Q(source);
        }
        const Result extract = Gvdist("extract" + sources + " -d " + Q("dest"));
        EXPECT_EQ(extract.Status, row.Fault ? 2 : 0) << sources << "\n" << extract.Out;
        if (row.Fault) {
            EXPECT_NE(extract.Out.find(row.Fault), std::string::npos) << extract.Out;
            EXPECT_EQ(FileCount(Path("dest")), 0);
        } else {
            EXPECT_EQ(ReadBytes(Path("dest/NOISE.DAT")), noise);
            fs::remove_all(Path("dest"));
        }
    }

    // A long name on the image that climbs out: the files still land where
    // gvdist puts them and nowhere else.
    Bytes image = ReadBytes(Path("disks/glyphvane-disk2.img"));
    const std::string lfn("G\0l\0y\0p\0h\0", 10), climb("/\0.\0.\0/\0.\0", 10);
    const auto at = std::search(image.begin(), image.end(), lfn.begin(), lfn.end());
    ASSERT_NE(at, image.end());
    std::copy(climb.begin(), climb.end(), at);
    fs::create_directories(Path("hostile"));
    WriteBytes(Path("hostile/glyphvane-disk2.img"), image);
    const Result hostile = Gvdist("extract " + Q("disks/DISK1") + " " + Q("hostile/glyphvane-disk2.img") + " " +
                                  Q("disks/DISK3") + " -d " + Q("hostile/dest"));
    EXPECT_EQ(FileCount(Path("hostile")), 1 + 1 + 6) << hostile.Out;  // the image, dest and the product's files
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 7);  // and nothing new beside them

    setenv("PATH", "/nonexistent", 1);
    const Result noMtools = Gvdist("verify " + Q("disks/glyphvane-disk1.img"));
    setenv("PATH", "/usr/local/bin:/usr/bin:/bin", 1);
    EXPECT_EQ(noMtools.Status, 2);
    EXPECT_NE(noMtools.Out.find("install mtools"), std::string::npos) << noMtools.Out;
}

// lhasa, a decoder independent of ours, reads the .lzh archives gvdist
// makes: one byte, runs that must not match the ring's unwritten tail, a
// program, and noise long enough for the tree to be rebuilt.
TEST_F(GvdistCliTest, LhaExtractsTheLzhArchive) {
    if (std::system("command -v lha >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "lha is not installed";
    }
    const std::pair<const char*, Bytes> inputs[] = {
        {"one.bin", {0x7F}}, {"zeros.bin", Bytes(5000, 0)}, {"spaces.txt", Bytes(5000, ' ')}, {"prog.exe", program_},
        {"noise.bin", Noise(40000)}};
    fs::create_directories(Path("lha"));
    for (const auto& [name, data] : inputs) {
        WriteBytes(Path(name), data);
        ASSERT_EQ(Gvdist("encode --lzh " + Q(name) + " " + Q("a.lzh")).Status, 0);
        EXPECT_EQ(std::system(("cd " + Q("lha") + " && lha xqf " + Q("a.lzh") + " >/dev/null 2>&1").c_str()), 0) << name;
        EXPECT_EQ(ReadBytes(Path("lha") / name), data) << name;
    }
}
#endif

}  // namespace
