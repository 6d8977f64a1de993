#include "dbengine/dbase/MemoFile.h"

#include "dbengine/EngineError.h"
#include "dbengine/dbase/ByteOrder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ds::db::dbase {

namespace {

constexpr std::uint32_t kDbase3BlockSize = 512;
constexpr std::uint64_t kFoxProHeaderSize = 512;
constexpr char kEndOfText = 0x1A;
constexpr unsigned char kDbase4Signature[4] = {0xFF, 0xFF, 0x08, 0x00};
constexpr std::size_t kWindowBytes = 64 * 1024;

}  // namespace

MemoFile::MemoFile(ReadOnlyFile file, MemoKind kind, QString path)
    : file_(std::move(file)), kind_(kind), path_(std::move(path)) {
    // Through the window: a small memo file is then read whole, header and memos at once.
    std::array<char, 32> head{};
    const std::size_t got = fetch(0, head.data(), head.size());
    switch (kind_) {
        case MemoKind::FoxPro:
            // The header is 512 bytes whatever the block size; no memo starts inside it.
            blockSize_ = got >= 8 ? be16(&head[6]) : 0;
            firstDataOffset_ = kFoxProHeaderSize;
            break;
        case MemoKind::Dbase4:
            blockSize_ = got >= 22 ? le16(&head[20]) : 0;
            if (blockSize_ == 0)  // dBASE III-style header without a block size
                blockSize_ = kDbase3BlockSize;
            firstDataOffset_ = blockSize_;
            break;
        case MemoKind::Dbase3:
        case MemoKind::None:
            blockSize_ = kDbase3BlockSize;
            firstDataOffset_ = blockSize_;
            break;
    }
}

std::size_t MemoFile::fetch(std::uint64_t offset, char* out, std::size_t length) const {
    if (length > kWindowBytes)
        return file_.readAt(offset, out, length);
    if (offset < windowStart_ || offset - windowStart_ + length > windowSize_) {
        // Small memo files get a window of their own size, not a 64 KiB zero-filled buffer.
        window_.resize(std::size_t(std::min<std::uint64_t>(kWindowBytes, file_.size())));
        windowStart_ = offset;
        windowSize_ = file_.readAt(offset, window_.data(), window_.size());
    }
    const std::uint64_t skip = offset - windowStart_;
    const std::size_t n =
        skip < windowSize_ ? std::min<std::size_t>(length, windowSize_ - skip) : 0;
    if (n > 0)  // an empty file has an empty window without storage
        std::memcpy(out, window_.data() + skip, n);
    return n;
}

void MemoFile::corrupt() const {
    throwEngineError(err::CorruptDatabase, path_);
}

void MemoFile::read(std::uint64_t block, std::string& out) const {
    out.clear();
    if (blockSize_ == 0)
        corrupt();
    const std::uint64_t offset = block * blockSize_;  // block < 2^32, blockSize_ < 2^16
    if (offset < firstDataOffset_ || offset >= file_.size())
        corrupt();

    if (kind_ == MemoKind::FoxPro) {
        std::array<char, 8> head{};
        if (fetch(offset, head.data(), head.size()) != head.size())
            corrupt();
        // Bytes 0-3: block type (0 picture, 1 text, 2 object); all are read the same way.
        readLengthPrefixed(offset + head.size(), be32(&head[4]), out);
        return;
    }
    {
        std::array<char, 8> head{};
        if (fetch(offset, head.data(), head.size()) == head.size() &&
            std::memcmp(head.data(), kDbase4Signature, sizeof kDbase4Signature) == 0) {
            // The stored length counts the 8-byte block header.
            const std::uint32_t stored = le32(&head[4]);
            readLengthPrefixed(offset + head.size(), stored >= 8 ? stored - 8 : 0, out);
            return;
        }
        // Otherwise a dBASE III-style block (dBASE IV files may still hold some).
    }
    readUntilEndMarker(offset, out);
}

void MemoFile::readLengthPrefixed(std::uint64_t offset, std::uint64_t length,
                                  std::string& out) const {
    if (length > kMaxMemoBytes || offset > file_.size() || length > file_.size() - offset)
        corrupt();
    out.resize(static_cast<std::size_t>(length));
    if (fetch(offset, out.data(), out.size()) != out.size())
        corrupt();
}

void MemoFile::readUntilEndMarker(std::uint64_t offset, std::string& out) const {
    // Text runs to the first 0x1A; a memo without one ends with the file.
    std::size_t chunk = kDbase3BlockSize;
    for (;;) {
        const std::size_t used = out.size();
        if (used >= kMaxMemoBytes)
            corrupt();
        const std::size_t want = std::min(chunk, kMaxMemoBytes - used);
        out.resize(used + want);
        const std::size_t got = fetch(offset + used, out.data() + used, want);
        out.resize(used + got);
        if (const void* end = std::memchr(out.data() + used, kEndOfText, got)) {
            out.resize(static_cast<std::size_t>(static_cast<const char*>(end) - out.data()));
            return;
        }
        if (got < want)
            return;
        chunk = std::min<std::size_t>(chunk * 2, 1u << 20);
    }
}

}  // namespace ds::db::dbase
