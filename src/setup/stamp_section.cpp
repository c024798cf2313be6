// The one stamp of the distribution in a setup executable, alone in its
// section; only setup executables link this file.
#include "setup/globals.h"
#include "setup/stamp.h"

// Volatile: the values are the file's, as gvdist stamped them, not the
// defaults the compiler saw.
extern const volatile DistributionStamp ShippedStamp;
__attribute__((section(GV_STAMP_SECTION), used)) const volatile DistributionStamp ShippedStamp =
    MakeStamp(ProductDiskCount, ProductArchiveSize);

void LoadDistributionStamp() {
    DiskCount = ShippedStamp.DiskCount;
    ArchiveSize = ShippedStamp.ArchiveSize;
    const volatile DistributionChecks& shipped = ShippedStamp.Checks;
    PartChecks.CheckedParts = shipped.CheckedParts;
    for (int k = 0; k < MaxDiskCount; ++k) {
        PartChecks.Parts[k].Size = shipped.Parts[k].Size;
        PartChecks.Parts[k].Crc = shipped.Parts[k].Crc;
    }
    PartChecks.DecodedCrc = shipped.DecodedCrc;
    if (!ChecksServe(PartChecks, DiskCount, ArchiveSize)) {
        PartChecks.CheckedParts = 0;
    }
}
