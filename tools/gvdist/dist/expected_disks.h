// What a distribution should hold, beside what was found: how many disks,
// and the size and CRC-32 of each part, from the stamp or the manifest.
#pragma once

#include <string>
#include <vector>

#include "dist/distribution.h"
#include "dist/manifest.h"

// "Glyphvan.002 (disk 2) is not in the sources given"
std::string MissingDiskText(int disk);

// How many disks the set has: up to the last part found, or as many as the
// manifest or a usable stamp says, whichever is most.
int ExpectedDiskCount(const Distribution& distribution);

// What each part must hold: the checks of setup.exe's stamp, else those of
// gvdist.txt when it is this pack's; nullptr when there are neither.
const std::vector<ManifestPart>* ExpectedParts(const Distribution& distribution);
// Whether gvdist.txt was written with this setup.exe: it records the same
// decoded length, and the same counts where the stamp can serve.
bool ManifestOfThisPack(const Distribution& distribution);
// Where ExpectedParts come from, for messages: "setup.exe's stamp".
std::string ExpectedPartsSource(const Distribution& distribution);
// What a set without checks in its stamp is told once, or "".
std::string NoChecksNote(const Distribution& distribution);
