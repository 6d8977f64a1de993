#include "dbengine/dbase/RecordBlocks.h"

#include <algorithm>

namespace ds::db::dbase {

RecordBlocks::RecordBlocks(const ReadOnlyFile& file, std::uint64_t dataStart,
                           std::uint32_t recordLength, std::uint32_t recordCount)
    : file_(file),
      dataStart_(dataStart),
      recordLength_(recordLength),
      count_(recordCount),
      perBlock_(static_cast<std::uint32_t>(std::max<std::size_t>(1, kBlockBytes / recordLength))) {
    const std::uint32_t records = std::min(perBlock_, count_);
    buffer_.resize(static_cast<std::size_t>(records) * recordLength_);
}

void RecordBlocks::load(std::uint32_t index) {
    const std::uint32_t n = std::min(perBlock_, count_ - index);
    loaded_ = 0;
    file_.readExactly(dataStart_ + static_cast<std::uint64_t>(index) * recordLength_,
                      buffer_.data(), static_cast<std::size_t>(n) * recordLength_);
    first_ = index;
    loaded_ = n;
}

}  // namespace ds::db::dbase
