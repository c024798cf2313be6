#include <algorithm>
#include <filesystem>
#include <optional>

#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "base/made_folders.h"
#include "base/staged_files.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "cli/verified_distribution.h"
#include "dist/expected_disks.h"
#include "dist/salvage.h"
#include "setup/product.h"

namespace fs = std::filesystem;

namespace {

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

// Opens the sources; a salvage says what a missing disk 1 means for it.
Distribution OpenSources(const Options& options) {
    try {
        return OpenDistribution(options.Arguments);
    } catch (const MissingSetupError& error) {
        if (!options.Salvage) {
            throw;
        }
        throw DataError(std::string(error.what()) +
                        ": it holds the member table and the start of the stream, so nothing can be recovered");
    }
}

// "lost       GLYPH.HLP (cut after 1200 of 5000 bytes: needs disk 2)", or
// "damaged (disk 2)" when the disk is there.
std::string LostLine(const SalvagedFile& file, const SalvagePlan& plan) {
    const std::string number = std::to_string(plan.BreakDisk);
    const std::string disk = (plan.Damaged ? "damaged (disk " + number + ")" : "needs disk " + number) + ")";
    if (file.Offset >= plan.SoundLength) {
        return "lost       " + file.Name + " (" + disk;
    }
    return "lost       " + file.Name + " (cut after " + std::to_string(plan.SoundLength - file.Offset) + " of " +
           std::to_string(file.Size) + " bytes: " + disk;
}

// The salvage of a set that misses disks; none for a whole set, which goes
// through every check of a plain extract.
std::optional<SalvagePlan> PlanIfSalvage(const Options& options, const Distribution& distribution) {
    if (!options.Salvage) {
        return std::nullopt;
    }
    ProgressBar bar("decoding", static_cast<std::uint64_t>(distribution.Table.DecodedTotal),
                    ProgressWanted(options.Quiet));
    SalvagePlan plan = PlanSalvage(distribution, [&bar](std::uint64_t done) { bar.Update(done); });
    if (plan.Complete()) {
        return std::nullopt;
    }
    return plan;
}

// Where each file goes: a slice of the stream into a staged file, and a
// line of the report; a salvage's lost files get their line only.
struct Placement {
    StagedFiles Files;
    std::vector<Slice> Slices;
    std::vector<std::string> Report;
};

void PlaceFiles(const MemberTable& table, const std::optional<SalvagePlan>& salvage, const Options& options,
                Placement& placed) {
    const fs::path destDir(options.OutputDir);
    const fs::path helpDir(options.HelpDir.empty() ? options.OutputDir : options.HelpDir);
    const std::string recovered = options.Salvage ? "recovered  " : "";
    const auto lost = [&salvage](std::size_t file) { return salvage && !salvage->Files[file].Recovered; };
    if (lost(0)) {
        placed.Report.push_back(LostLine(salvage->Files[0], *salvage));
    } else {
        placed.Slices.push_back({0, static_cast<std::uint64_t>(ProgramLength(table.Members, table.DecodedTotal)),
                                 &placed.Files.Add((destDir / ProgramFile).string())});
        placed.Report.push_back(recovered + ProgramFile);
    }
    for (std::size_t i = 0; i < table.Members.size(); ++i) {
        const MemberEntry& member = table.Members[i];
        std::error_code error;
        if (lost(i + 1)) {
            placed.Report.push_back(LostLine(salvage->Files[i + 1], *salvage));
            continue;
        }
        if (IsKeptOnReinstall(member.Name) && fs::exists(destDir / member.Name, error)) {
            placed.Report.push_back(recovered + member.Name + " (kept: it exists)");
            continue;
        }
        const bool help = IsHelpFile(member.Name);
        AtomicFile& file = placed.Files.Add(((help ? helpDir : destDir) / member.Name).string());
        placed.Slices.push_back(
            {static_cast<std::uint64_t>(member.Offset), static_cast<std::uint64_t>(member.Size), &file});
        placed.Report.push_back(recovered + member.Name +
                                (help && !options.HelpDir.empty() ? " (help directory)" : ""));
    }
}

// Decodes the stream into the slices: the whole of it, verified, or as far
// as a salvage's parts reach.
void Decode(Distribution distribution, const std::optional<SalvagePlan>& salvage, const Options& options,
            const std::vector<Slice>& slices) {
    const auto route = [&slices](std::uint64_t at, const std::uint8_t* data, std::size_t size) {
        Route(slices, at, data, size);
    };
    if (salvage) {
        ProgressBar bar("writing", salvage->SoundLength, ProgressWanted(options.Quiet));
        DecodeTakenParts(*salvage, static_cast<std::int32_t>(salvage->SoundLength), route,
                         [&bar](std::uint64_t done) { bar.Update(done); });
        return;
    }
    const VerifiedDistribution source = Verify(std::move(distribution), ProgressWanted(options.Quiet), route);
    if (!source.Faults.empty()) {
        throw DataError(source.Faults.front());
    }
}

}  // namespace

void RunExtract(const Options& options, std::ostream& out, std::ostream& err) {
    // Every name in the table has passed the member name rules by now.
    Distribution distribution = OpenSources(options);
    const MemberTable table = distribution.Table;
    if (!NoChecksNote(distribution).empty()) {
        err << "gvdist: note: " << NoChecksNote(distribution) << "\n";
    }
    const std::optional<SalvagePlan> salvage = PlanIfSalvage(options, distribution);
    MadeFolders folders;
    folders.Make(options.OutputDir);
    if (!options.HelpDir.empty()) {
        folders.Make(options.HelpDir);
    }
    // The files fill under temporary names while the stream decodes and
    // take their names together once it has proved sound: nothing is put
    // in place for a bad distribution, nor a byte of a file cut short.
    Placement placed;
    PlaceFiles(table, salvage, options, placed);
    Decode(std::move(distribution), salvage, options, placed.Slices);
    placed.Files.Commit();
    if (!salvage || salvage->RecoveredCount() > 0) {
        folders.Keep();
    }
    for (const std::string& line : placed.Report) {
        out << line << "\n";
    }
    if (salvage) {
        for (const std::string& note : salvage->Unusable) {
            err << "gvdist: " << note << "\n";
        }
        throw DataError(salvage->Summary("recovered"));
    }
}
