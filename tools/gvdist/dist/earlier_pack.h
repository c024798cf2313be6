// What an earlier pack left in an output folder, and what of it a new pack
// may throw away.
#pragma once

#include <string>

// Throws DataError naming each of the parts, disk folders and images in
// `dir` that the gvdist.txt beside them does not prove an earlier pack
// wrote: by its sizes and CRC-32s, a part or image, or a disk folder that
// holds exactly its part (and setup.exe on disk 1). A pack may replace or
// remove only what passes.
void CheckEarlierPackOnly(const std::string& dir);
