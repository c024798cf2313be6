#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>

#include "archive/crc32.h"
#include "archive/member_table.h"
#include "archive/naming.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "base/folder_lock.h"
#include "base/made_folders.h"
#include "base/staged_files.h"
#include "base/temp_dir.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "dist/distribution.h"
#include "dist/earlier_pack.h"
#include "dist/pe_sections.h"
#include "dist/stamp_file.h"
#include "lzh/lzh_encode.h"
#include "lzh/stream_codec.h"
#include "media/disk_image.h"
#include "media/disk_media.h"
#include "setup/product.h"

namespace fs = std::filesystem;

namespace {

const char MediaFolderPrefix[] = ".gvdist-media-";

struct DecodedInput {
    std::vector<std::uint8_t> Stream;
    MemberTable Table;
};

// The program first, then the members in the order given, each member's
// name its file's base name.
DecodedInput GatherInput(const Options& options, std::ostream& err) {
    if (options.MemberPaths.size() > MemberCountMax) {
        throw DataError(std::to_string(options.MemberPaths.size()) + " members, but a table holds at most " +
                        std::to_string(MemberCountMax));
    }
    // Every name is sound, every input a regular file and their sizes fit
    // a table before the first byte is read.
    DecodedInput input;
    std::uint64_t total = RegularFileSize(options.ProgramPath);
    std::set<std::string> seen = {UpperAscii(ProgramFile)};
    bool hasUninstaller = false;
    for (const std::string& path : options.MemberPaths) {
        MemberEntry member;
        member.Name = BaseName(path);
        ThrowIfFault(CheckMemberName(member.Name), path + ": unusable member name: ");
        // The setup copies the members out of the program file: a member of
        // that name would overwrite it while it is being read. Windows file
        // names ignore case, so two names differing in case are one file.
        if (!seen.insert(UpperAscii(member.Name)).second) {
            throw DataError(path + ": the name " + member.Name + " is already taken by the program or a member");
        }
        hasUninstaller = hasUninstaller || UpperAscii(member.Name) == UpperAscii(UninstallFile);
        total += RegularFileSize(path);
        input.Table.Members.push_back(member);
    }
    ThrowIfFault(CheckAliasNames(input.Table.Members));
    if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        throw DataError("the program and its members hold " + std::to_string(total) + " bytes, more than 2147483647");
    }
    input.Stream = ReadFileBytes(options.ProgramPath, total);
    for (std::size_t i = 0; i < options.MemberPaths.size(); ++i) {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(options.MemberPaths[i], total - input.Stream.size());
        input.Table.Members[i].Offset = static_cast<std::int32_t>(input.Stream.size());
        input.Table.Members[i].Size = static_cast<std::int32_t>(bytes.size());
        input.Stream.insert(input.Stream.end(), bytes.begin(), bytes.end());
    }
    input.Table.DecodedTotal = static_cast<std::int32_t>(input.Stream.size());
    if (!hasUninstaller) {
        err << "gvdist: warning: no member is named " << UninstallFile
            << "; the uninstall entry the setup writes will point to a missing file\n";
    }
    return input;
}

std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& stream, LzhParse parse, bool showProgress) {
    std::vector<std::uint8_t> compressed;
    {
        ProgressBar bar("encoding", stream.size(), showProgress);
        compressed = LzhEncodeWith(parse, stream.data(), stream.size(), [&bar](std::size_t done) { bar.Update(done); });
    }
    // Disks that do not install are found out by users; check every byte here.
    ProgressBar bar("checking", stream.size(), showProgress);
    bool same = true;
    const DecodedStream check = DecodeStream(
        compressed, static_cast<std::int32_t>(stream.size()),
        [&](std::uint64_t at, const std::uint8_t* data, std::size_t size) {
            same = same && std::equal(data, data + size, stream.begin() + static_cast<std::ptrdiff_t>(at));
        },
        [&bar](std::uint64_t done) { bar.Update(done); });
    if (!same || check.Length != stream.size() || check.Truncated() || check.UnusedBytes() > 0) {
        throw DataError("internal: the compressed archive does not decode to the input");
    }
    return compressed;
}

using Bytes = std::vector<std::uint8_t>;

// The archive cut into parts of the planned sizes.
std::vector<Bytes> CutIntoParts(const Bytes& archive, const std::vector<std::uint64_t>& sizes) {
    std::vector<Bytes> parts;
    auto from = archive.begin();
    for (const std::uint64_t size : sizes) {
        const auto to = from + static_cast<std::ptrdiff_t>(size);
        parts.emplace_back(from, to);
        from = to;
    }
    return parts;
}

// The stamp of `parts`, which decode to `stream`, with their checks
// recorded when the setup has room for them.
StampValues StampFor(const std::vector<Bytes>& parts, const Bytes& stream, bool withChecks) {
    StampValues stamp;
    stamp.DiskCount = static_cast<std::int64_t>(parts.size());
    for (const Bytes& part : parts) {
        stamp.ArchiveSize += static_cast<std::int64_t>(part.size());
        stamp.Parts.push_back({part.size(), Crc32(part.data(), part.size())});
    }
    stamp.HasChecks = withChecks;
    stamp.DecodedCrc = Crc32(stream.data(), stream.size());
    return stamp;
}

// The disks as folders and images, made in a folder of their own inside
// the output folder from the files about to be placed there.
std::unique_ptr<TempDir> MakeMediaFor(const Options& options, const Bytes& setup, const std::vector<Bytes>& parts,
                                      const DistributionManifest& manifest) {
    if (!options.MakeDiskFolders && !options.MakeImages) {
        return nullptr;
    }
    auto media = std::make_unique<TempDir>(options.OutputDir, MediaFolderPrefix);
    const fs::path from = fs::path(media->Path()) / "files";
    fs::create_directory(from);
    MediaRequest request;
    request.Folders = options.MakeDiskFolders;
    request.Images = options.MakeImages;
    request.Format = options.Format != nullptr ? options.Format : &DefaultDiskFormat();
    request.Serial = manifest.DecodedCrc;
    std::vector<std::string> inputs = options.MemberPaths;
    inputs.push_back(options.ProgramPath);
    inputs.push_back(options.SetupPath);
    request.Time = MediaTime(inputs);
    WriteFileAtomically((from / SetupFileName).string(), setup);
    for (std::size_t k = 1; k <= parts.size(); ++k) {
        const std::string part = (from / PartFileName(FirstPartFile, static_cast<int>(k))).string();
        WriteFileAtomically(part, parts[k - 1]);
        request.DiskFiles.emplace_back();
        if (k == 1) {
            request.DiskFiles.back().push_back((from / SetupFileName).string());
        }
        request.DiskFiles.back().push_back(part);
    }
    MakeMedia(media->Path(), request);
    return media;
}

// gvdist.txt records the images too, so that the next pack knows it may replace them.
void RecordImages(DistributionManifest& manifest, const TempDir* media) {
    for (int k = 1; media != nullptr && k <= manifest.DiskCount; ++k) {
        const std::string image = (fs::path(media->Path()) / DiskImageName(k)).string();
        if (fs::exists(image)) {
            manifest.Images.push_back({RegularFileSize(image), FileCrc32(image)});
        }
    }
}

// The disk folders and images made in `media` take their places; those of
// an earlier pack, and its parts past `diskCount`, go: they would be taken
// for this one's.
void StageMediaAndRemovals(StagedFiles& files, const fs::path& dir, const TempDir* media, int diskCount) {
    for (int k = diskCount + 1; k <= MaxDiskCount; ++k) {
        files.Remove((dir / PartFileName(FirstPartFile, k)).string());
    }
    for (int k = 1; k <= MaxDiskCount; ++k) {
        for (const std::string& name : {DiskFolderName(k), DiskImageName(k)}) {
            const fs::path ready = media != nullptr ? fs::path(media->Path()) / name : fs::path();
            if (media != nullptr && fs::exists(ready)) {
                files.Place(ready.string(), (dir / name).string());
            } else {
                files.Remove((dir / name).string());
            }
        }
    }
}

// What a pack killed outright left behind: its temporary files and media
// folder, under names only gvdist makes. The lock is ours, so no pack is
// using them.
void RemoveWhatAKilledPackLeft(const std::string& dir) {
    std::error_code error;
    std::vector<fs::path> left;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(MediaFolderPrefix, 0) == 0 || name.rfind(TemporaryFilePrefix, 0) == 0) {
            left.push_back(it->path());
        }
    }
    for (const fs::path& path : left) {
        fs::remove_all(path, error);  // a link goes, not what it points to
    }
}

// A setup.exe taken from an earlier distribution carries that one's member
// table behind its image: it goes, so that tables do not pile up.
void StripOldTable(std::vector<std::uint8_t>& setup, const std::string& name) {
    std::uint64_t imageEnd = 0;
    for (const PeSection& section : ReadPeSections(setup, name)) {
        imageEnd = std::max(imageEnd, section.Offset + section.RawSize);
    }
    const std::size_t tail = setup.size() - static_cast<std::size_t>(std::min<std::uint64_t>(imageEnd, setup.size()));
    MemberTable old;
    if (tail > 0 && !ParseMemberTable(setup.data() + setup.size() - tail, tail, tail, old) &&
        tail == MemberTrailerSize + MemberEntrySize * old.Members.size()) {
        setup.resize(setup.size() - tail);
    }
}

// Writes the parts, setup.exe, the disk folders and images and gvdist.txt.
// All files are complete under temporary names before any takes its final
// name, and they take them together: a failure leaves the folder as it was.
void WriteDistribution(const Options& options, const std::vector<std::uint8_t>& setup, const std::vector<Bytes>& parts,
                       DistributionManifest& manifest) {
    MadeFolders folders;
    folders.Make(options.OutputDir);
    const fs::path dir(options.OutputDir);
    // Held until every file has taken its place, or none has.
    const FolderLock lock(options.OutputDir);
    RemoveWhatAKilledPackLeft(options.OutputDir);
    CheckEarlierPackOnly(options.OutputDir);

    StagedFiles files;
    for (std::size_t k = 1; k <= parts.size(); ++k) {
        files.Add((dir / PartFileName(FirstPartFile, static_cast<int>(k))).string()).Write(parts[k - 1]);
    }
    files.Add((dir / SetupFileName).string()).Write(setup);
    const std::unique_ptr<TempDir> media = MakeMediaFor(options, setup, parts, manifest);
    RecordImages(manifest, media.get());
    files.Add((dir / ManifestFileName).string()).Write(FormatManifest(manifest));
    StageMediaAndRemovals(files, dir, media.get(), manifest.DiskCount);
    files.Commit();
    folders.Keep();
}

}  // namespace

void RunPack(const Options& options, std::ostream& out, std::ostream& err) {
    if (options.MakeImages) {
        CheckImageFolder(options.OutputDir);
    }
    // setup.exe shares the first disk with Glyphvan.001: a larger one cannot be packed.
    std::vector<std::uint8_t> setup = ReadFileBytes(options.SetupPath, options.DiskSize);
    const std::size_t stampAt = FindTheStamp(setup, options.SetupPath);
    StripOldTable(setup, options.SetupPath);
    const DecodedInput input = GatherInput(options, err);
    const std::vector<std::uint8_t> compressed =
        Compress(input.Stream, options.Fast ? LzhParse::Fast : LzhParse::Optimal, ProgressWanted(options.Quiet));

    const std::vector<std::uint8_t> table = SerializeMemberTable(input.Table);
    setup.insert(setup.end(), table.begin(), table.end());

    // Everything that can be refused is refused before the first file is written.
    const std::vector<std::uint64_t> sizes =
        PlanPartSizes(compressed.size(), setup.size(), options.DiskSize, options.ClusterSize);
    const std::vector<Bytes> parts = CutIntoParts(compressed, sizes);
    // The copy in the distribution serves exactly these parts, and checks them.
    const StampValues stamp = StampFor(parts, input.Stream, StampHoldsChecks(setup, options.SetupPath));
    if (!stamp.HasChecks) {
        err << "gvdist: warning: " << options.SetupPath
            << " was built before its stamp had room for checksums: the setup will not check its disks\n";
    }
    WriteStamp(setup, stampAt, stamp);

    DistributionManifest manifest{static_cast<int>(parts.size()),
                                  compressed.size(),
                                  input.Table.DecodedTotal,
                                  stamp.DecodedCrc,
                                  stamp.Parts,
                                  ManifestPart{setup.size(), Crc32(setup.data(), setup.size())},
                                  {}};
    WriteDistribution(options, setup, parts, manifest);
    out << "DiskCount=" << manifest.DiskCount << "\n";
    out << "ArchiveSize=" << manifest.ArchiveSize << "\n";
}
