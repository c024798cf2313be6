// What an incomplete set of disks still holds. The archive is one stream
// decoded from its start, so every file whose bytes all decode before the
// first archive byte that is missing comes out exact; nothing after that
// byte can be decoded, whatever later disks are there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dist/distribution.h"
#include "lzh/stream_codec.h"

struct SalvagedFile {
    std::string Name;
    std::uint64_t Offset = 0;  // in the decoded stream
    std::uint64_t Size = 0;
    bool Recovered = false;  // every byte decodes from parts that are there
};

struct SalvagePlan {
    std::vector<SalvagedFile> Files;    // the program file, then the members in the table's order
    std::vector<ArchivePart> Parts;     // the parts that decode in turn
    std::uint64_t ArchiveSize = 0;      // the bytes they hold
    std::uint64_t SoundLength = 0;      // the decoded bytes that come from them alone
    int BreakDisk = 0;                  // the disk of the first archive byte missing; 0 when none is
    std::string Break;                  // what is wrong there: "disk 3 missing", "disk 2 cut short"
    bool Damaged = false;               // the part of BreakDisk is there but not as recorded
    std::vector<std::string> Unusable;  // the parts found past the break, and a manifest, that cannot serve

    bool Complete() const { return BreakDisk == 0; }
    std::size_t RecoveredCount() const;
    // "2 of 6 members recoverable; disk 3 missing", with `done` "recoverable" or "recovered".
    std::string Summary(const std::string& done) const;
};

// Decodes the parts that follow on from disk 1: up to the first that is
// missing or differs from the checks of the stamp or the manifest (size or
// CRC-32), or one that ends early, which comes last. Without any checks, a
// middle disk shorter than the next, or a full set shorter than the stamp
// says, ends early.
// Decodes up to `length` bytes of plan.Parts, read as one stream a block
// at a time, into `sink`.
DecodedStream DecodeTakenParts(const SalvagePlan& plan, std::int32_t length, const DecodedSink& sink,
                               const std::function<void(std::uint64_t)>& progress = {});

SalvagePlan PlanSalvage(const Distribution& distribution, const std::function<void(std::uint64_t)>& progress = {});
