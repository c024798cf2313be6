#include <algorithm>
#include <filesystem>

#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "base/staged_files.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "cli/verified_distribution.h"
#include "setup/globals.h"

namespace fs = std::filesystem;

namespace {

// The folders extract makes, removed again unless the extraction went
// through: a refused distribution leaves no trace.
class MadeFolders {
public:
    ~MadeFolders() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            std::error_code ignored;
            fs::remove_all(*it, ignored);
        }
    }
    void Make(const std::string& path) {
        fs::path missing;
        for (fs::path at = fs::absolute(path); !at.empty() && !fs::exists(at); at = at.parent_path()) {
            missing = at;
            if (at == at.parent_path()) break;
        }
        std::error_code error;
        fs::create_directories(path, error);
        if (error) {
            throw DataError("cannot create " + path + ": " + error.message());
        }
        if (!missing.empty()) {
            made_.push_back(missing);
        }
    }
    void Keep() { made_.clear(); }

private:
    std::vector<fs::path> made_;
};

// One file cut out of the decoded stream: its bytes [Offset, Offset + Size).
struct Slice {
    std::uint64_t Offset;
    std::uint64_t Size;
    AtomicFile* File;
};

// Hands each slice its part of the piece of the stream that starts at `at`.
void Route(const std::vector<Slice>& slices, std::uint64_t at, const std::uint8_t* data, std::size_t size) {
    for (const Slice& slice : slices) {
        const std::uint64_t from = std::max(at, slice.Offset);
        const std::uint64_t to = std::min(at + size, slice.Offset + slice.Size);
        if (from < to) {
            slice.File->Write(data + (from - at), static_cast<std::size_t>(to - from));
        }
    }
}

}  // namespace

void RunExtract(const Options& options, std::ostream& out, std::ostream&) {
    // Every name in the table has passed the member name rules by now.
    Distribution distribution = OpenDistribution(options.Arguments);
    const MemberTable table = distribution.Table;
    MadeFolders folders;
    folders.Make(options.OutputDir);
    const fs::path destDir(options.OutputDir);
    const fs::path helpDir(options.HelpDir.empty() ? options.OutputDir : options.HelpDir);
    if (!options.HelpDir.empty()) {
        folders.Make(options.HelpDir);
    }

    // The files fill under temporary names while the stream decodes and
    // take their names together once it has proved sound: nothing is put
    // in place for a bad distribution.
    StagedFiles files;
    std::vector<Slice> slices;
    std::vector<std::string> report;
    slices.push_back(
        {0, static_cast<std::uint64_t>(ProgramLength(table)), &files.Add((destDir / ProgramFile).string())});
    report.push_back(ProgramFile);
    for (const MemberEntry& member : table.Members) {
        std::error_code error;
        if (IsKeptOnReinstall(member.Name) && fs::exists(destDir / member.Name, error)) {
            report.push_back(member.Name + " (kept: it exists)");
            continue;
        }
        const bool help = IsHelpFile(member.Name);
        AtomicFile& file = files.Add(((help ? helpDir : destDir) / member.Name).string());
        slices.push_back({static_cast<std::uint64_t>(member.Offset), static_cast<std::uint64_t>(member.Size), &file});
        report.push_back(member.Name + (help && !options.HelpDir.empty() ? " (help directory)" : ""));
    }

    const VerifiedDistribution source = Verify(
        std::move(distribution), ProgressWanted(options.Quiet),
        [&slices](std::uint64_t at, const std::uint8_t* data, std::size_t size) { Route(slices, at, data, size); });
    if (!source.Faults.empty()) {
        throw DataError(source.Faults.front());
    }
    files.Commit();
    folders.Keep();
    for (const std::string& line : report) {
        out << line << "\n";
    }
}
