// Reading a distribution's parts as one stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "dist/distribution.h"

// The parts one after another as one stream, read a block at a time, so
// that memory does not follow the size a part claims. Each part's CRC-32
// grows as it is read.
class PartStream {
public:
    explicit PartStream(const std::vector<ArchivePart>& parts);
    // Up to `size` bytes into `buffer`; 0 once every part has been read.
    // Throws DataError when a part cannot be read or holds less than its size.
    std::size_t Read(std::uint8_t* buffer, std::size_t size);
    // Reads what is left, so that every CRC-32 covers its whole part.
    void ReadToEnd();
    const std::vector<std::uint32_t>& Crcs() const { return crcs_; }

private:
    const std::vector<ArchivePart>& parts_;
    std::size_t index_ = 0;
    std::uint64_t done_ = 0;  // bytes read of parts_[index_]
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_{nullptr, std::fclose};
    std::vector<std::uint32_t> crcs_;
};
