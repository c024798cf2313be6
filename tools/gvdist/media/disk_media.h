// The disks of a distribution as a maker copies them: a folder per disk
// and a floppy image per disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/disk_format.h"

std::string DiskFolderName(int disk);  // "DISK1"
std::string DiskImageName(int disk);   // "glyphvane-disk1.img"
std::string DiskLabel(int disk);       // "GLYPHVANE1"

// The time stamp of everything on the images: SOURCE_DATE_EPOCH when set,
// else the newest of the `inputs`' modification times, within the years a
// FAT disk can record. Throws DataError for a SOURCE_DATE_EPOCH that is no
// number of seconds.
std::int64_t MediaTime(const std::vector<std::string>& inputs);

// What goes on each disk: disk k's files, by path, each under its own name.
struct MediaRequest {
    std::vector<std::vector<std::string>> DiskFiles;
    bool Folders = false;
    bool Images = false;
    const DiskFormat* Format = nullptr;
    std::uint32_t Serial = 0;  // disk k gets Serial + k
    std::int64_t Time = 0;
};

// Makes the requested folders and images in `dir` under DiskFolderName and
// DiskImageName, and returns those names.
std::vector<std::string> MakeMedia(const std::string& dir, const MediaRequest& request);
