#include "dbengine/excel/ByteSource.h"

#include "dbengine/EngineError.h"

#include <algorithm>
#include <cstring>

namespace ds::db::excel {

void ByteSource::checkRange(std::uint64_t offset, std::size_t length) const {
    const std::uint64_t total = size();
    if (offset > total || length > total - offset)
        throwEngineError(err::CorruptDatabase);
}

void FileSource::read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
    checkRange(offset, length);
    file_->readExactly(offset, out, length);
}

void SectorSource::read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
    checkRange(offset, length);
    while (length > 0) {
        const std::uint64_t index = offset / sectorSize_;
        const std::uint32_t within = static_cast<std::uint32_t>(offset % sectorSize_);
        // Neighbouring sectors that follow each other in the file are read in one call.
        std::uint64_t last = index;
        std::uint64_t run = sectorSize_ - within;
        while (run < length && last + 1 < sectors_.size() &&
               sectors_[last + 1] == sectors_[last] + sectorSize_) {
            ++last;
            run += sectorSize_;
        }
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(run, length));
        file_->readExactly(sectors_[index] + within, out, n);
        out += n;
        offset += n;
        length -= n;
    }
}

void MemorySource::read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
    checkRange(offset, length);
    if (length > 0)
        std::memcpy(out, bytes_.data() + offset, length);
}

}  // namespace ds::db::excel
