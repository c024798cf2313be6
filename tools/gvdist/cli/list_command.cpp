#include <iomanip>

#include "base/numbers.h"
#include "cli/commands.h"
#include "dist/distribution.h"
#include "dist/expected_disks.h"
#include "dist/placement.h"
#include "setup/product.h"

void RunList(const Options& options, std::ostream& out, std::ostream&) {
    const Distribution distribution =
        OpenDistribution(options.Arguments.empty() ? std::vector<std::string>{"."} : options.Arguments);
    const MemberTable& table = distribution.Table;

    out << distribution.SetupSource << ": " << table.Members.size() << " member(s), DecodedTotal " << table.DecodedTotal
        << "\n";
    const StampValues& stamp = distribution.Stamp;
    if (distribution.HasStamp) {
        out << "stamped for DiskCount " << stamp.DiskCount << ", ArchiveSize " << stamp.ArchiveSize;
        out << (stamp.HasChecks ? ", decoded CRC-32 " + Hex32(stamp.DecodedCrc) : "") << "\n";
        for (std::size_t k = 0; k < stamp.Parts.size(); ++k) {
            out << "  disk " << k + 1 << ": " << stamp.Parts[k].Size << " bytes, CRC-32 " << Hex32(stamp.Parts[k].Crc)
                << "\n";
        }
    }
    if (!NoChecksNote(distribution).empty()) {
        out << "  note: " << NoChecksNote(distribution) << "\n";
    }
    if (!distribution.StampProblem.empty()) {
        out << "  note: " << distribution.StampProblem << "\n";
    }
    out << std::right << std::setw(11) << "offset" << std::setw(11) << "size"
        << "  " << std::left << std::setw(20) << "name"
        << "placed in\n";
    out << std::right << std::setw(11) << 0 << std::setw(11) << ProgramLength(table.Members, table.DecodedTotal) << "  "
        << std::left << std::setw(20) << ProgramFile << "DestDir (the program file)\n";
    for (const MemberEntry& member : table.Members) {
        out << std::right << std::setw(11) << member.Offset << std::setw(11) << member.Size << "  " << std::left
            << std::setw(20) << PrintableName(member.Name) << PlacementOf(member.Name) << "\n";
    }

    std::uint64_t total = 0;
    out << "archive parts:\n";
    for (const ArchivePart& part : distribution.Parts) {
        out << "  " << std::left << std::setw(16) << part.Name << std::right << std::setw(11) << part.Size << "  "
            << part.Source << "\n";
        total += part.Size;
    }
    if (distribution.Parts.empty()) {
        out << "  none\n";
    } else {
        out << "  " << distribution.Parts.size() << " part(s), " << total << " bytes\n";
    }
    for (const std::string& fault : distribution.PartFaults) {
        out << "  note: " << fault << "\n";
    }
}
