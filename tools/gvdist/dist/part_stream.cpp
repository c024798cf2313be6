#include "dist/part_stream.h"

#include <algorithm>

#include "archive/crc32.h"
#include "base/errors.h"
#include "base/file_util.h"

PartStream::PartStream(const std::vector<ArchivePart>& parts) : parts_(parts), crcs_(parts.size(), 0) {}

std::size_t PartStream::Read(std::uint8_t* buffer, std::size_t size) {
    while (index_ < parts_.size()) {
        const ArchivePart& part = parts_[index_];
        if (done_ == part.Size) {
            file_.reset();
            ++index_;
            done_ = 0;
            continue;
        }
        if (!file_) {
            RegularFileSize(part.Path);
            file_.reset(std::fopen(part.Path.c_str(), "rb"));
            if (!file_) {
                throw DataError("cannot open " + part.Path);
            }
        }
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, part.Size - done_));
        const std::size_t got = std::fread(buffer, 1, wanted, file_.get());
        if (got == 0) {
            throw DataError("cannot read " + part.Path + ": it ended after " + std::to_string(done_) + " of its " +
                            std::to_string(part.Size) + " bytes");
        }
        crcs_[index_] = Crc32(buffer, got, crcs_[index_]);
        done_ += got;
        return got;
    }
    return 0;
}

void PartStream::ReadToEnd() {
    std::uint8_t block[65536];
    while (Read(block, sizeof block) > 0) {
    }
}
