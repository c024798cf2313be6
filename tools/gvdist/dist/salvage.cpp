#include "dist/salvage.h"

#include <algorithm>

#include "archive/lzh_decode.h"
#include "archive/naming.h"
#include "dist/expected_disks.h"
#include "dist/part_stream.h"
#include "lzh/stream_codec.h"
#include "setup/product.h"

namespace {

// "disk 3", "disks 2 and 3", "disks 2, 3 and 4"
std::string DiskList(const std::vector<int>& disks) {
    std::string text = disks.size() == 1 ? "disk " : "disks ";
    for (std::size_t i = 0; i < disks.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == disks.size() ? " and " : ", ") + std::to_string(disks[i]);
    }
    return text;
}

// A part's CRC-32, read a block at a time: memory does not follow its size.
std::uint32_t PartCrc32(const ArchivePart& part) {
    const std::vector<ArchivePart> one = {part};
    PartStream stream(one);
    stream.ReadToEnd();
    return stream.Crcs().front();
}

// Takes the parts in turn into plan.Parts, up to the first that is not
// as recorded, or including the first that ends early where nothing
// records them; sets the break when it finds one.
void TakeParts(const Distribution& distribution, SalvagePlan& plan) {
    const std::vector<ArchivePart>& parts = distribution.Parts;
    const std::vector<ManifestPart>* expected = ExpectedParts(distribution);
    if (distribution.HasManifest && !ManifestOfThisPack(distribution)) {
        plan.Unusable.push_back(std::string(ManifestFileName) + " belongs to another pack: it records DecodedTotal " +
                                std::to_string(distribution.Manifest.DecodedTotal) + ", " + SetupFileName +
                                "'s member table " + std::to_string(distribution.Table.DecodedTotal) +
                                "; it is not used");
    }
    std::size_t used = 0;
    for (; used < parts.size() && plan.BreakDisk == 0; ++used) {
        const ArchivePart& part = parts[used];
        const int disk = static_cast<int>(used) + 1;
        bool cut = false;
        if (expected != nullptr && used < expected->size()) {
            // No byte of a part that differs from its record can be trusted,
            // not even those before the damage: it is not taken.
            const ManifestPart& want = (*expected)[used];
            if (part.Size != want.Size || PartCrc32(part) != want.Crc) {
                plan.BreakDisk = disk;
                plan.Damaged = true;
                plan.Break = "disk " + std::to_string(disk) + (part.Size < want.Size ? " cut short" : " damaged");
                continue;
            }
        } else if (expected == nullptr) {
            // Disk 1 shares its room with setup.exe; every other disk but the
            // last is full.
            cut = used > 0 && used + 1 < parts.size() && part.Size < parts[used + 1].Size;
        }
        plan.Parts.push_back(part);
        plan.ArchiveSize += part.Size;
        if (cut) {
            plan.BreakDisk = disk;
            plan.Break = "disk " + std::to_string(disk) + " cut short";
        }
    }
    for (std::size_t k = used; k < parts.size(); ++k) {
        plan.Unusable.push_back(parts[k].Name + " (disk " + std::to_string(k + 1) + ") cannot be used: " + plan.Break +
                                ", and the stream cannot be decoded past a gap");
    }
}

}  // namespace

std::size_t SalvagePlan::RecoveredCount() const {
    return static_cast<std::size_t>(
        std::count_if(Files.begin(), Files.end(), [](const SalvagedFile& file) { return file.Recovered; }));
}

std::string SalvagePlan::Summary(const std::string& done) const {
    return std::to_string(RecoveredCount()) + " of " + std::to_string(Files.size()) + " members " + done +
           (Complete() ? "" : "; " + Break);
}

DecodedStream DecodeTakenParts(const SalvagePlan& plan, std::int32_t length, const DecodedSink& sink,
                               const std::function<void(std::uint64_t)>& progress) {
    PartStream parts(plan.Parts);
    return DecodeStream(
        plan.ArchiveSize, [&parts](std::uint8_t* buffer, std::size_t size) { return parts.Read(buffer, size); }, length,
        sink, progress);
}

SalvagePlan PlanSalvage(const Distribution& distribution, const std::function<void(std::uint64_t)>& progress) {
    SalvagePlan plan;
    plan.Unusable = distribution.ReadFaults;
    TakeParts(distribution, plan);
    const int expected = ExpectedDiskCount(distribution);
    const int found = static_cast<int>(distribution.Parts.size());
    if (plan.BreakDisk == 0 && found < expected) {
        std::vector<int> missing;
        for (int disk = found + 1; disk <= expected; ++disk) {
            const auto& past = distribution.DisksPastGap;
            if (std::find(past.begin(), past.end(), disk) == past.end()) {
                missing.push_back(disk);
            }
        }
        plan.BreakDisk = found + 1;
        plan.Break = found == 0 ? PartFileName(FirstPartFile, 1) +
                                      " (disk 1) missing: the stream starts there, so nothing can be recovered"
                                : DiskList(missing) + " missing";
        for (const int disk : distribution.DisksPastGap) {
            plan.Unusable.push_back(PartFileName(FirstPartFile, disk) + " (disk " + std::to_string(disk) +
                                    ") cannot be used: the stream cannot be decoded past a gap, and disk " +
                                    std::to_string(found + 1) + " is missing");
        }
    } else if (plan.BreakDisk == 0 && distribution.HasStamp && distribution.StampProblem.empty() &&
               plan.ArchiveSize < static_cast<std::uint64_t>(distribution.Stamp.ArchiveSize)) {
        plan.BreakDisk = found;
        plan.Break = "disk " + std::to_string(found) + " cut short";
    }

    const MemberTable& table = distribution.Table;
    // A stream cut short decodes to no more than any stream of its length.
    const std::int64_t length = std::min<std::int64_t>(table.DecodedTotal, LzhMaxDecodedLength(plan.ArchiveSize));
    plan.SoundLength = DecodeTakenParts(plan, static_cast<std::int32_t>(length), {}, progress).SoundLength;
    if (plan.BreakDisk == 0 && plan.SoundLength < static_cast<std::uint64_t>(table.DecodedTotal)) {
        plan.BreakDisk = std::max(found, 1);  // the parts end before the stream does
        // Parts as long as the stamp says are whole: the table asks for more than they hold.
        const bool whole = distribution.HasStamp && distribution.StampProblem.empty() &&
                           plan.ArchiveSize == static_cast<std::uint64_t>(distribution.Stamp.ArchiveSize);
        plan.Break = whole ? "the stream ends after " + std::to_string(plan.SoundLength) + " bytes, before the " +
                                 "DecodedTotal " + std::to_string(table.DecodedTotal) + " of " + SetupFileName +
                                 "'s member table"
                           : "disk " + std::to_string(plan.BreakDisk) + " cut short";
    }

    plan.Files.push_back(
        {ProgramFile, 0, static_cast<std::uint64_t>(ProgramLength(table.Members, table.DecodedTotal))});
    for (const MemberEntry& member : table.Members) {
        plan.Files.push_back(
            {member.Name, static_cast<std::uint64_t>(member.Offset), static_cast<std::uint64_t>(member.Size)});
    }
    for (SalvagedFile& file : plan.Files) {
        file.Recovered = file.Offset + file.Size <= plan.SoundLength;
    }
    return plan;
}
