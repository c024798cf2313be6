// The one record of the distribution in a setup executable; only setup
// executables link this file, so gvdist finds the magic once in each.
#include "setup/globals.h"
#include "setup/stamp.h"

// Volatile: the values are the file's, as gvdist stamped them, not the
// defaults the compiler saw.
extern const volatile DistributionStamp ShippedStamp;
const volatile DistributionStamp ShippedStamp = MakeStamp(ProductDiskCount, ProductArchiveSize);

void LoadDistributionStamp() {
    DiskCount = ShippedStamp.DiskCount;
    ArchiveSize = ShippedStamp.ArchiveSize;
}
