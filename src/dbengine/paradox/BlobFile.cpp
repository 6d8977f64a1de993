#include "dbengine/paradox/BlobFile.h"

#include "dbengine/EngineError.h"
#include "dbengine/paradox/Bytes.h"
#include "dbengine/paradox/ParadoxCrypt.h"

#include <QString>

#include <cstring>

namespace ds::db::paradox {

namespace {

constexpr std::uint8_t kSingleBlob = 2;
constexpr std::uint8_t kSuballocated = 3;
constexpr std::uint32_t kSingleSlot = 0xFF;
constexpr std::size_t kUnit = 4096;       // block lengths count in these
constexpr std::size_t kSingleHeader = 9;  // type, units, length, modification number
constexpr std::size_t kSlotTable = 12;    // slot entries start here, 5 bytes each
constexpr unsigned kSlots = 64;
constexpr std::size_t kChunkMask = kCryptChunk - 1;

}  // namespace

bool BlobFile::open(const std::string& utf8Path, std::uint32_t key) {
    key_ = key;
    sharedOffset_ = ~std::uint64_t{0};
    window_.clear();
    return file_.open(utf8Path);
}

void BlobFile::corrupt() const {
    throwEngineError(err::CorruptDatabase, QString::fromStdString(file_.path()));
}

void BlobFile::read(std::uint32_t location, std::uint32_t length, std::vector<char>& out) {
    const std::uint64_t offset = location & 0xFFFFFF00u;
    const std::uint32_t slot = location & 0xFFu;
    if (slot == kSingleSlot)
        readSingle(offset, length, out);
    else if (slot < kSlots)
        readSuballocated(offset, slot, length, out);
    else
        corrupt();
}

void BlobFile::readSingle(std::uint64_t offset, std::uint32_t length, std::vector<char>& out) {
    const std::uint64_t size = file_.size();
    const std::uint64_t dataEnd = offset + kSingleHeader + length;
    // An encrypted file can only be read in whole chunks.
    const std::uint64_t readEnd =
        key_ ? (dataEnd + kChunkMask) & ~std::uint64_t{kChunkMask} : dataEnd;
    if (offset >= size || readEnd > size)
        corrupt();

    unsigned char head[kCryptChunk];
    const std::size_t headSize = key_ ? kCryptChunk : kSingleHeader;
    std::memcpy(head, window_.bytes(offset, headSize), headSize);
    if (key_)
        decryptBlobChunks(head, headSize, key_);
    const std::uint64_t units = le16(head + 1);
    if (head[0] != kSingleBlob || le32(head + 3) != length ||
        kSingleHeader + std::uint64_t{length} > units * kUnit)
        corrupt();

    if (!key_) {
        out.resize(length);
        file_.readExactly(offset + kSingleHeader, out.data(), length);
        return;
    }
    const auto span = static_cast<std::size_t>(readEnd - offset);
    out.resize(span);
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    file_.readExactly(offset, bytes, span);
    decryptBlobChunks(bytes, span, key_);
    std::memmove(bytes, bytes + kSingleHeader, length);
    out.resize(length);
}

void BlobFile::readSuballocated(std::uint64_t offset, unsigned slot, std::uint32_t length,
                                std::vector<char>& out) {
    const unsigned char* block = nullptr;
    if (!key_) {
        block = window_.bytes(offset, kUnit);
    } else {
        if (offset != sharedOffset_) {
            sharedOffset_ = ~std::uint64_t{0};
            shared_.resize(kUnit);
            std::memcpy(shared_.data(), window_.bytes(offset, kUnit), kUnit);
            decryptBlobChunks(shared_.data(), kUnit, key_);
            sharedOffset_ = offset;
        }
        block = shared_.data();
    }
    const unsigned char* entry = block + kSlotTable + 5 * slot;
    const std::size_t start = std::size_t{entry[0]} * 16;  // 0: a deleted slot
    const unsigned units = entry[1];
    const unsigned lastUnitBytes = entry[4];
    if (block[0] != kSuballocated || start == 0 || units == 0 || lastUnitBytes == 0 ||
        lastUnitBytes > 16)
        corrupt();
    const std::size_t stored = (units - 1) * 16 + lastUnitBytes;
    if (stored != length || start + stored > kUnit)
        corrupt();
    out.resize(stored);
    std::memcpy(out.data(), block + start, stored);
}

}  // namespace ds::db::paradox
