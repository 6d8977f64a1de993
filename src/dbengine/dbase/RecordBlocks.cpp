#include "dbengine/dbase/RecordBlocks.h"

#include <algorithm>

namespace ds::db::dbase {

RecordBlocks::RecordBlocks(const ReadOnlyFile& file, std::uint64_t dataStart,
                           std::uint32_t recordLength, std::uint32_t recordCount,
                           std::vector<char> start)
    : file_(file),
      dataStart_(dataStart),
      recordLength_(recordLength),
      count_(recordCount),
      perBlock_(static_cast<std::uint32_t>(std::max<std::size_t>(1, kBlockBytes / recordLength))),
      start_(std::move(start)) {
    const std::uint32_t records = std::min(perBlock_, count_);
    // A table held whole by the first read needs no buffer of its own; in a larger one the
    // first block does not fit into those bytes, nor does any other.
    const std::uint64_t firstBlockEnd = dataStart_ + std::uint64_t(records) * recordLength_;
    if (firstBlockEnd > start_.size()) {
        start_ = {};
        buffer_.resize(static_cast<std::size_t>(records) * recordLength_);
    }
}

void RecordBlocks::load(std::uint32_t index) {
    const std::uint32_t n = std::min(perBlock_, count_ - index);
    loaded_ = 0;
    const std::uint64_t from = dataStart_ + static_cast<std::uint64_t>(index) * recordLength_;
    const std::size_t bytes = static_cast<std::size_t>(n) * recordLength_;
    if (from + bytes <= start_.size()) {
        data_ = start_.data() + from;
    } else {
        if (buffer_.size() < bytes)
            buffer_.resize(bytes);
        file_.readExactly(from, buffer_.data(), bytes);
        data_ = buffer_.data();
    }
    first_ = index;
    loaded_ = n;
}

}  // namespace ds::db::dbase
