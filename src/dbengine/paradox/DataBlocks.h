#pragma once

#include "dbengine/paradox/ReadWindow.h"

#include <cstdint>
#include <vector>

namespace ds::db {
class ReadOnlyFile;
}

namespace ds::db::paradox {

struct TableHeader;

// The chain of data blocks that holds a table's records, in chain order (for keyed tables
// that is key order, not file order). Every block number and record run is checked against
// the file; a chain that leaves the file, loops or whose records run past the file's end is
// EngineError 3049.
class DataBlocks {
  public:
    DataBlocks(const ReadOnlyFile& file, const TableHeader& header);

    struct Summary {
        std::int64_t records = 0;
        int lastBlock = 0;  // the last block that holds records
        int lastBlockRecords = 0;
    };
    // Walks the whole chain, reading only block headers.
    Summary walk();

    // Makes a block current; its records are then at record(0..count-1) until the next load.
    struct Block {
        int records = 0;
        int next = 0;  // 0: end of the chain
    };
    Block load(int blockNumber);
    const unsigned char* record(int index) const {
        return current_ + kBlockHeader + static_cast<std::size_t>(index) * recordSize_;
    }

    // The most blocks a chain can pass through without visiting one twice.
    int maxBlocks() const { return maxBlocks_; }

  private:
    static constexpr std::size_t kBlockHeader = 6;
    Block readBlock(int blockNumber, bool wholeBlock);
    [[noreturn]] void corrupt() const;

    const ReadOnlyFile& file_;
    std::uint32_t key_;
    std::uint64_t headerSize_;
    std::size_t blockSize_;
    std::size_t recordSize_;
    int firstBlock_;
    int maxBlocks_;
    ReadWindow window_;
    std::vector<unsigned char> decrypted_;  // encrypted tables: the current block in plain
    const unsigned char* current_ = nullptr;
};

}  // namespace ds::db::paradox
