#include "dbengine/paradox/DataBlocks.h"

#include "dbengine/EngineError.h"
#include "dbengine/io/ReadOnlyFile.h"
#include "dbengine/paradox/Bytes.h"
#include "dbengine/paradox/ParadoxCrypt.h"
#include "dbengine/paradox/TableHeader.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace ds::db::paradox {

DataBlocks::DataBlocks(const ReadOnlyFile& file, const TableHeader& header)
    : file_(file),
      key_(header.key),
      headerSize_(static_cast<std::uint64_t>(header.headerSize)),
      blockSize_(static_cast<std::size_t>(header.blockSize)),
      recordSize_(static_cast<std::size_t>(header.recordSize)),
      firstBlock_(header.firstBlock),
      window_(file, std::max(ReadWindow::kDefaultSize, blockSize_)) {
    // The last block may be cut short by the end of the file, so count a partial one too.
    const std::uint64_t body = file.size() > headerSize_ ? file.size() - headerSize_ : 0;
    maxBlocks_ =
        static_cast<int>(std::min<std::uint64_t>((body + blockSize_ - 1) / blockSize_, 0xFFFF));
    if (key_)
        decrypted_.resize(blockSize_);
}

void DataBlocks::corrupt() const {
    throwEngineError(err::CorruptDatabase, QString::fromStdString(file_.path()));
}

DataBlocks::Block DataBlocks::readBlock(int blockNumber, bool wholeBlock) {
    if (blockNumber < 1 || blockNumber > maxBlocks_)
        corrupt();
    const std::uint64_t start = headerSize_ + std::uint64_t(blockNumber - 1) * blockSize_;
    const std::size_t available =
        static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, file_.size() - start));
    // Encrypted blocks decrypt in whole chunks only; a cut-short tail chunk is unreadable.
    const std::size_t usable = key_ ? available & ~(kCryptChunk - 1) : available;
    // Walking needs the block header only: 6 bytes, or the first chunk when encrypted.
    const std::size_t length =
        wholeBlock ? usable : std::min(usable, key_ ? kCryptChunk : kBlockHeader);
    if (length < kBlockHeader)
        corrupt();
    const unsigned char* bytes = window_.bytes(start, length);
    if (key_) {
        std::memcpy(decrypted_.data(), bytes, length);
        decryptDataBlock(decrypted_.data(), length, key_, static_cast<std::uint32_t>(blockNumber));
        bytes = decrypted_.data();
    }
    current_ = bytes;

    Block block;
    block.next = le16(bytes);
    const auto addDataSize = static_cast<std::int16_t>(le16(bytes + 4));
    if (addDataSize >= 0) {
        const std::size_t fit = (blockSize_ - kBlockHeader) / recordSize_;
        block.records = static_cast<int>(
            std::min<std::size_t>(static_cast<std::size_t>(addDataSize) / recordSize_ + 1, fit));
    }
    if (kBlockHeader + block.records * recordSize_ > usable)
        corrupt();
    return block;
}

DataBlocks::Summary DataBlocks::walk() {
    Summary summary;
    int steps = 0;
    for (int k = firstBlock_; k != 0;) {
        if (++steps > maxBlocks_)
            corrupt();  // a chain longer than the file has blocks runs in a circle
        const Block block = readBlock(k, false);
        if (block.records > 0) {
            summary.records += block.records;
            summary.lastBlock = k;
            summary.lastBlockRecords = block.records;
        }
        k = block.next;
    }
    current_ = nullptr;
    return summary;
}

DataBlocks::Block DataBlocks::load(int blockNumber) {
    return readBlock(blockNumber, true);
}

}  // namespace ds::db::paradox
