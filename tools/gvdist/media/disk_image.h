// FAT floppy images, made and read with mtools: gvdist has no FAT code of
// its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/disk_format.h"

struct ImageContent {
    std::string Label;               // "GLYPHVANE1"
    std::uint32_t Serial = 0;        // the volume serial number
    std::int64_t Time = 0;           // seconds since 1970 for every time stamp
    std::vector<std::string> Files;  // copied into the root under their own names
};

// Throws DataError, naming `dir`, when mtools could not be given an image
// in `dir`: its absolute path holds "@@".
void CheckImageFolder(const std::string& dir);

// Creates `imagePath` (which must not exist) as a freshly formatted disk of
// `format` holding `content`. The same arguments give the same bytes.
void MakeDiskImage(const std::string& imagePath, const DiskFormat& format, const ImageContent& content);

// Throws DataError unless `imagePath` starts with a FAT boot sector and is
// as long as that sector says; returns that length.
std::uintmax_t CheckImageLayout(const std::string& imagePath);

struct ImageFile {
    std::string Name;
    std::string Fault;  // naming the image, when the bytes copied are not all the directory gives the file
};

// Copies each of `names` found in the image's root directory (in any
// letter case) to `dir`/name and returns those found. Nothing is written
// but those files, whatever the image holds, and none larger than the
// disk. Throws DataError when one of them is a folder or cannot be read.
std::vector<ImageFile> CopyFromImage(const std::string& imagePath, const std::vector<std::string>& names,
                                     const std::string& dir);
