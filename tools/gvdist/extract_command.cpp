#include <filesystem>

#include "archive/naming.h"
#include "commands.h"
#include "errors.h"
#include "file_util.h"
#include "progress_bar.h"
#include "setup/globals.h"
#include "verified_distribution.h"

namespace fs = std::filesystem;

namespace {

void MakeDirectory(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) {
        throw DataError("cannot create " + path + ": " + error.message());
    }
}

void WriteSlice(const fs::path& target, const std::vector<std::uint8_t>& bytes, std::int64_t offset,
                std::int64_t size) {
    AtomicFile file(target.string());
    file.Write(bytes.data() + offset, static_cast<std::size_t>(size));
    file.Commit();
}

}  // namespace

void RunExtract(const Options& options, std::ostream& out, std::ostream&) {
    // Every name in the table has passed the member name rules by now, and
    // the stream decoded whole: nothing is written for a bad distribution.
    const VerifiedDistribution source = LoadAndCheck(options.Arguments, ProgressWanted(options.Quiet));
    if (!source.Faults.empty()) {
        throw DataError(source.Faults.front());
    }
    const MemberTable& table = source.Source.Table;
    const std::vector<std::uint8_t>& decoded = source.Decoded.Bytes;

    MakeDirectory(options.OutputDir);
    const fs::path destDir(options.OutputDir);
    const fs::path helpDir(options.HelpDir.empty() ? options.OutputDir : options.HelpDir);
    if (!options.HelpDir.empty()) {
        MakeDirectory(options.HelpDir);
    }

    WriteSlice(destDir / ProgramFile, decoded, 0, ProgramLength(table));
    out << ProgramFile << "\n";
    for (const MemberEntry& member : table.Members) {
        std::error_code error;
        if (IsKeptOnReinstall(member.Name) && fs::exists(destDir / member.Name, error)) {
            out << member.Name << " (kept: it exists)\n";
            continue;
        }
        const fs::path target = (IsHelpFile(member.Name) ? helpDir : destDir) / member.Name;
        WriteSlice(target, decoded, member.Offset, member.Size);
        out << member.Name << (IsHelpFile(member.Name) && !options.HelpDir.empty() ? " (help directory)" : "")
            << "\n";
    }
}
