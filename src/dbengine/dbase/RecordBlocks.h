#pragma once

#include "dbengine/io/ReadOnlyFile.h"

#include <cstdint>
#include <vector>

namespace ds::db::dbase {

// The records of a table, read in large blocks so that a pass over the table costs few reads
// and the memory stays the same whatever the file size.
class RecordBlocks {
  public:
    static constexpr std::size_t kBlockBytes = 256 * 1024;

    // `start`: bytes already read from the beginning of the file; blocks inside them are not
    // read again.
    RecordBlocks(const ReadOnlyFile& file, std::uint64_t dataStart, std::uint32_t recordLength,
                 std::uint32_t recordCount, std::vector<char> start = {});

    std::uint32_t count() const { return count_; }

    // The bytes of a record (index < count()); valid until a record of another block is asked
    // for. Throws EngineError 3049 when the file has become shorter than its header said.
    const char* record(std::uint32_t index) {
        if (index - first_ >= loaded_)  // unsigned: also true when index < first_
            load(index);
        return data_ + static_cast<std::size_t>(index - first_) * recordLength_;
    }

  private:
    void load(std::uint32_t index);

    const ReadOnlyFile& file_;
    std::uint64_t dataStart_;
    std::uint32_t recordLength_;
    std::uint32_t count_;
    std::uint32_t perBlock_;
    std::uint32_t first_ = 0;
    std::uint32_t loaded_ = 0;
    std::vector<char> buffer_;
    std::vector<char> start_;
    const char* data_ = nullptr;  // the loaded block: in buffer_ or in start_
};

}  // namespace ds::db::dbase
