// Where the setup puts an unpacked file, in words for listings.
#pragma once

#include <string>

// "DestDir", "Windows help directory", or "DestDir, kept if existing".
std::string PlacementOf(const std::string& memberName);
