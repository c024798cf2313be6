// What an earlier pack left in an output folder, and what of it a new pack
// may throw away.
#pragma once

#include <string>

// Throws DataError naming the first of the parts, disk folders and images
// in `dir` that is a folder gvdist did not write: any folder at those
// names but a disk folder holding exactly the files an earlier pack put
// there, as the gvdist.txt beside it records them.
void CheckEarlierPackOnly(const std::string& dir);
