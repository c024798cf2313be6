// gvdist as its users run it: a separate process in a scratch directory,
// judged by its exit status, its messages and the files it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "archive/member_table.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct RunResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string Quote(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

Bytes ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

// A program image that compresses like a real one: text runs and noise.
Bytes ProgramImage(std::size_t size) {
    Bytes bytes;
    std::uint32_t seed = 12345;
    while (bytes.size() < size) {
        seed = seed * 1103515245u + 12345u;
        if (seed >> 31) {
            const std::string text = "Glyphvane renders glyph " + std::to_string(seed % 977) + "; ";
            bytes.insert(bytes.end(), text.begin(), text.end());
        } else {
            for (int i = 0; i < 16; ++i) {
                seed = seed * 1103515245u + 12345u;
                bytes.push_back(static_cast<std::uint8_t>(seed >> 24));
            }
        }
    }
    bytes.resize(size);
    return bytes;
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    if (fs::exists(dir)) {
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            files.push_back(entry.path());
        }
    }
    return files;
}

class GvdistCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root_ = fs::temp_directory_path() / ("gvdist_cli_" + name);
        fs::remove_all(root_);
        fs::create_directories(root_ / "in");
        WriteBytes(root_ / "in" / "setup.exe", Bytes(1500, 0x4D));
        program_ = ProgramImage(60000);
        WriteBytes(root_ / "in" / "prog.exe", program_);
        WriteText(root_ / "in" / "GLYPH.HLP", "help topics\n");
        WriteText(root_ / "in" / "USER.LIB", "the user's glyph library\n");
        WriteText(root_ / "in" / "README.TXT", "read me first\n");
        WriteBytes(root_ / "in" / "UnInstal.Exe", Bytes(3000, 0x90));
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path Path(const std::string& relative) const { return root_ / relative; }

    RunResult Gvdist(const std::string& arguments) const {
        const fs::path out = root_ / "stdout.txt";
        const fs::path err = root_ / "stderr.txt";
        std::string command = Quote(GVDIST_PATH) + " " + arguments + " >" + Quote(out) + " 2>" + Quote(err);
#ifdef _WIN32
        // cmd.exe drops the first and the last quote of the line.
        command = "\"" + command + "\"";
#endif
        const int raw = std::system(command.c_str());
        RunResult result;
#ifdef _WIN32
        result.Status = raw;
#else
        result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        // Windows consoles end lines with CR LF; the tests compare lines.
        result.Out = WithoutCarriageReturns(ReadText(out));
        result.Err = WithoutCarriageReturns(ReadText(err));
        fs::remove(out);
        fs::remove(err);
        return result;
    }

    std::string PackArguments(const std::string& outDir, const std::string& extra = "") const {
        std::string arguments = "pack --program " + Quote(Path("in/prog.exe"));
        for (const char* member : {"GLYPH.HLP", "USER.LIB", "README.TXT", "UnInstal.Exe"}) {
            arguments += " --member " + Quote(Path("in") / member);
        }
        return arguments + " --setup " + Quote(Path("in/setup.exe")) + " -o " + Quote(Path(outDir)) + " " + extra;
    }

    // Three disks: the archive of about 30 KB on disks of 12 KB.
    RunResult PackThreeDisks(const std::string& outDir = "disks") const {
        return Gvdist(PackArguments(outDir, "--disk-size 12288"));
    }

    fs::path root_;
    Bytes program_;
};

TEST_F(GvdistCliTest, PackListVerifyExtract) {
    const RunResult pack = PackThreeDisks();
    ASSERT_EQ(pack.Status, 0) << pack.Err;
    EXPECT_EQ(pack.Err, "");  // no progress bar when stderr is not a terminal

    // Parts, setup.exe and the record; nothing temporary left.
    std::uint64_t archiveSize = 0;
    for (const char* part : {"Glyphvan.001", "Glyphvan.002", "Glyphvan.003"}) {
        ASSERT_TRUE(fs::exists(Path("disks") / part)) << part;
        archiveSize += fs::file_size(Path("disks") / part);
    }
    EXPECT_FALSE(fs::exists(Path("disks/Glyphvan.004")));
    EXPECT_EQ(FilesIn(Path("disks")).size(), 5u);
    // setup.exe and part 1 share the first disk.
    EXPECT_LE(2048 + fs::file_size(Path("disks/Glyphvan.001")), 12288u);
    const std::string values = "DiskCount=3\nArchiveSize=" + std::to_string(archiveSize) + "\n";
    EXPECT_EQ(pack.Out, values);
    EXPECT_NE(ReadText(Path("disks/gvdist.txt")).find(values), std::string::npos);

    // setup.exe is the given one with the table behind it.
    const Bytes setup = ReadBytes(Path("disks/setup.exe"));
    ASSERT_GT(setup.size(), 1500u);
    EXPECT_EQ(Bytes(setup.begin(), setup.begin() + 1500), Bytes(1500, 0x4D));
    MemberTable table;
    ASSERT_EQ(ReadMemberTableFile(Path("disks/setup.exe").string(), table), "");
    ASSERT_EQ(table.Members.size(), 4u);
    EXPECT_EQ(table.Members[0].Name, "GLYPH.HLP");
    EXPECT_EQ(table.Members[0].Offset, 60000);
    EXPECT_EQ(table.Members[3].Name, "UnInstal.Exe");
    EXPECT_EQ(table.DecodedTotal, 60000 + 12 + 25 + 14 + 3000);

    const RunResult list = Gvdist("list " + Quote(Path("disks")));
    ASSERT_EQ(list.Status, 0) << list.Err;
    for (const char* expected : {"DecodedTotal 63051", "Glyphvane.Exe", "GLYPH.HLP", "Windows help directory",
                                 "USER.LIB", "kept if existing", "Glyphvan.003", "3 part(s)"}) {
        EXPECT_NE(list.Out.find(expected), std::string::npos) << expected << "\n" << list.Out;
    }
    const RunResult listSetup = Gvdist("list " + Quote(Path("disks/setup.exe")));
    EXPECT_EQ(listSetup.Status, 0);
    EXPECT_NE(listSetup.Out.find("Glyphvan.002"), std::string::npos);

    const RunResult verify = Gvdist("verify " + Quote(Path("disks")));
    EXPECT_EQ(verify.Status, 0) << verify.Err;
    EXPECT_NE(verify.Out.find("OK"), std::string::npos);

    const RunResult extract =
        Gvdist("extract " + Quote(Path("disks")) + " -d " + Quote(Path("dest")) + " --help-dir " + Quote(Path("help")));
    ASSERT_EQ(extract.Status, 0) << extract.Err;
    EXPECT_EQ(ReadBytes(Path("dest/Glyphvane.Exe")), program_);
    EXPECT_EQ(ReadBytes(Path("dest/UnInstal.Exe")), ReadBytes(Path("in/UnInstal.Exe")));
    EXPECT_EQ(ReadText(Path("dest/README.TXT")), "read me first\n");
    EXPECT_EQ(ReadText(Path("help/GLYPH.HLP")), "help topics\n");
    EXPECT_FALSE(fs::exists(Path("dest/GLYPH.HLP")));
    EXPECT_EQ(FilesIn(Path("dest")).size(), 4u);

    // A second installation keeps the user's library and replaces the rest.
    WriteText(Path("dest/USER.LIB"), "glyphs the user made");
    WriteText(Path("dest/README.TXT"), "stale");
    const RunResult again = Gvdist("extract " + Quote(Path("disks")) + " -d " + Quote(Path("dest")));
    ASSERT_EQ(again.Status, 0) << again.Err;
    EXPECT_EQ(ReadText(Path("dest/USER.LIB")), "glyphs the user made");
    EXPECT_EQ(ReadText(Path("dest/README.TXT")), "read me first\n");
    // Without --help-dir the help file lands beside the program.
    EXPECT_EQ(ReadText(Path("dest/GLYPH.HLP")), "help topics\n");
}

TEST_F(GvdistCliTest, PackIsDeterministicAndDropsStaleParts) {
    ASSERT_EQ(PackThreeDisks("a").Status, 0);
    ASSERT_EQ(PackThreeDisks("b").Status, 0);
    for (const char* name : {"Glyphvan.001", "Glyphvan.002", "Glyphvan.003", "setup.exe", "gvdist.txt"}) {
        EXPECT_EQ(ReadBytes(Path("a") / name), ReadBytes(Path("b") / name)) << name;
    }
    // Packed again onto one big disk, the old parts 2 and 3 must go.
    const RunResult repack = Gvdist(PackArguments("a"));
    ASSERT_EQ(repack.Status, 0) << repack.Err;
    EXPECT_NE(repack.Out.find("DiskCount=1\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("a/Glyphvan.002")));
    EXPECT_FALSE(fs::exists(Path("a/Glyphvan.003")));
    EXPECT_EQ(Gvdist("verify " + Quote(Path("a"))).Status, 0);
}

TEST_F(GvdistCliTest, DamagedDistributionsFailVerification) {
    ASSERT_EQ(PackThreeDisks().Status, 0);

    fs::copy(Path("disks"), Path("corrupt"));
    Bytes part = ReadBytes(Path("corrupt/Glyphvan.002"));
    part[part.size() / 2] ^= 0x5A;
    WriteBytes(Path("corrupt/Glyphvan.002"), part);
    const RunResult corrupt = Gvdist("verify " + Quote(Path("corrupt")));
    EXPECT_EQ(corrupt.Status, 2);
    EXPECT_NE(corrupt.Err.find("Glyphvan.002 is damaged"), std::string::npos) << corrupt.Err;
    // extract refuses it and writes nothing.
    const RunResult extract = Gvdist("extract " + Quote(Path("corrupt")) + " -d " + Quote(Path("dest")));
    EXPECT_EQ(extract.Status, 2);
    EXPECT_TRUE(FilesIn(Path("dest")).empty());

    fs::copy(Path("disks"), Path("short"));
    fs::resize_file(Path("short/Glyphvan.003"), fs::file_size(Path("short/Glyphvan.003")) - 16);
    const RunResult truncated = Gvdist("verify " + Quote(Path("short")));
    EXPECT_EQ(truncated.Status, 2);
    EXPECT_EQ(truncated.Err.rfind("gvdist: the archive is truncated", 0), 0u) << truncated.Err;
    // Found by the decoding itself, without the record to compare with.
    fs::remove(Path("short/gvdist.txt"));
    const RunResult bare = Gvdist("verify " + Quote(Path("short")));
    EXPECT_EQ(bare.Status, 2);
    EXPECT_NE(bare.Err.find("truncated"), std::string::npos) << bare.Err;

    fs::copy(Path("disks"), Path("gap"));
    fs::remove(Path("gap/Glyphvan.002"));
    const RunResult gap = Gvdist("verify " + Quote(Path("gap")));
    EXPECT_EQ(gap.Status, 2);
    EXPECT_NE(gap.Err.find("Glyphvan.003 is present but Glyphvan.002 is missing"), std::string::npos) << gap.Err;
}

TEST_F(GvdistCliTest, RefusesMoreThanFourDisksLeavingNothing) {
    const RunResult pack = Gvdist(PackArguments("disks", "--disk-size 6144"));
    EXPECT_EQ(pack.Status, 2);
    EXPECT_NE(pack.Err.find("at most 4"), std::string::npos) << pack.Err;
    EXPECT_TRUE(FilesIn(Path("disks")).empty());
}

TEST_F(GvdistCliTest, RefusesUnusableMemberNames) {
    fs::create_directories(Path("other"));
    WriteText(Path("other/readme.txt"), "same name, other case");
    WriteText(Path("other/GLYPHVANE.EXE"), "would overwrite the program");
    const std::string base = "pack --program " + Quote(Path("in/prog.exe")) + " --setup " +
                             Quote(Path("in/setup.exe")) + " -o " + Quote(Path("disks"));
    const RunResult twice =
        Gvdist(base + " --member " + Quote(Path("in/README.TXT")) + " --member " + Quote(Path("other/readme.txt")));
    EXPECT_EQ(twice.Status, 2);
    EXPECT_NE(twice.Err.find("already taken"), std::string::npos) << twice.Err;
    const RunResult program = Gvdist(base + " --member " + Quote(Path("other/GLYPHVANE.EXE")));
    EXPECT_EQ(program.Status, 2);
    EXPECT_TRUE(FilesIn(Path("disks")).empty());
}

TEST_F(GvdistCliTest, HostileTableIsRefusedBeforeAnythingIsWritten) {
    ASSERT_EQ(PackThreeDisks().Status, 0);
    const struct {
        MemberEntry Member;
        const char* Fault;
    } hostile[] = {
        {{"..\\EVIL.TXT", 0, 5}, "member 2 (\"..\\x5CEVIL.TXT\"): name contains '\\'"},
        {{"../EVIL.TXT", 0, 5}, "member 2 (\"../EVIL.TXT\"): name contains '/'"},
        {{"A:B.TXT", 0, 5}, "member 2 (\"A:B.TXT\"): name contains ':'"},
        {{"nul.txt", 0, 5}, "device name"},
        {{"FAR.TXT", 2147483647, 2}, "past DecodedTotal"},
    };
    for (const auto& c : hostile) {
        SCOPED_TRACE(c.Fault);
        MemberTable table;
        table.Members = {{"GOOD.TXT", 0, 10}, c.Member};
        table.DecodedTotal = 63051;
        Bytes setup(1500, 0x4D);
        const Bytes tail = SerializeMemberTable(table);
        setup.insert(setup.end(), tail.begin(), tail.end());
        WriteBytes(Path("disks/setup.exe"), setup);

        const RunResult list = Gvdist("list " + Quote(Path("disks")));
        EXPECT_EQ(list.Status, 2);
        EXPECT_NE(list.Err.find(c.Fault), std::string::npos) << list.Err;
        const RunResult extract = Gvdist("extract " + Quote(Path("disks")) + " -d " + Quote(Path("dest/inner")));
        EXPECT_EQ(extract.Status, 2);
        EXPECT_NE(extract.Err.find(c.Fault), std::string::npos) << extract.Err;
        EXPECT_TRUE(FilesIn(Path("dest")).empty());
        EXPECT_FALSE(fs::exists(Path("EVIL.TXT")));
    }
}

TEST_F(GvdistCliTest, UsageAndHelp) {
    for (const char* line : {"", "frob", "list --frob", "verify", "extract " /* no -d */ "x",
                             "pack --program p -o o", "decode a b"}) {
        SCOPED_TRACE(line);
        const RunResult run = Gvdist(line);
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err.rfind("gvdist: ", 0), 0u) << run.Err;
        EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << "one line";
    }
    const RunResult help = Gvdist("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("Usage: gvdist"), std::string::npos);
    const RunResult version = Gvdist("--version");
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("gvdist ", 0), 0u);
    const RunResult missing = Gvdist("verify " + Quote(Path("nowhere")));
    EXPECT_EQ(missing.Status, 2);
    EXPECT_NE(missing.Err.find("does not exist"), std::string::npos);
}

TEST_F(GvdistCliTest, EncodeDecodeRawStreams) {
    const RunResult encode = Gvdist("encode " + Quote(Path("in/prog.exe")) + " " + Quote(Path("prog.lzs")));
    ASSERT_EQ(encode.Status, 0) << encode.Err;
    const std::uintmax_t encodedSize = fs::file_size(Path("prog.lzs"));
    EXPECT_LT(encodedSize, program_.size());

    const RunResult decode =
        Gvdist("decode --length 60000 " + Quote(Path("prog.lzs")) + " " + Quote(Path("prog.out")));
    ASSERT_EQ(decode.Status, 0) << decode.Err;
    EXPECT_EQ(ReadBytes(Path("prog.out")), program_);

    fs::resize_file(Path("prog.lzs"), encodedSize / 2);
    const RunResult truncated =
        Gvdist("decode --length 60000 " + Quote(Path("prog.lzs")) + " " + Quote(Path("half.out")));
    EXPECT_EQ(truncated.Status, 2);
    EXPECT_NE(truncated.Err.find("truncated"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("half.out")));
}

#ifndef _WIN32
// Debian's lhasa reads the archive: an encoder check independent of ours.
TEST_F(GvdistCliTest, LzhArchiveExtractsWithLha) {
    if (std::system("command -v lha >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "lha is not installed";
    }
    const RunResult encode = Gvdist("encode --lzh " + Quote(Path("in/prog.exe")) + " " + Quote(Path("prog.lzh")));
    ASSERT_EQ(encode.Status, 0) << encode.Err;
    fs::create_directories(Path("lha"));
    const std::string command =
        "cd " + Quote(Path("lha")) + " && lha xq " + Quote(Path("prog.lzh")) + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(Path("lha/prog.exe")), program_);
}
#endif

}  // namespace
