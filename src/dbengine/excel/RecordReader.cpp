#include "dbengine/excel/RecordReader.h"

#include "dbengine/EngineError.h"
#include "dbengine/excel/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace ds::db::excel {

namespace {
constexpr std::size_t kReadAhead = 64 * 1024;
constexpr std::size_t kHeaderSize = 4;
}  // namespace

const std::uint8_t* RecordReader::fetch(std::uint64_t offset, std::size_t length) {
    if (offset < bufferStart_ || offset + length > bufferStart_ + buffer_.size()) {
        const std::uint64_t left = source_.size() - offset;
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max(length, kReadAhead), left));
        buffer_.resize(n);
        source_.read(offset, buffer_.data(), n);
        bufferStart_ = offset;
    }
    return buffer_.data() + (offset - bufferStart_);
}

bool RecordReader::peekId(std::uint16_t& id) {
    if (position_ > source_.size() || source_.size() - position_ < kHeaderSize)
        return false;
    id = readU16(fetch(position_, kHeaderSize));
    return true;
}

bool RecordReader::next(Record& record) {
    if (position_ > source_.size() || source_.size() - position_ < kHeaderSize)
        return false;
    const std::uint8_t* header = fetch(position_, kHeaderSize);
    record.id = readU16(header);
    record.offset = position_;
    const std::size_t size = readU16(header + 2);
    const std::uint64_t bodyOffset = position_ + kHeaderSize;
    if (source_.size() - bodyOffset < size)
        throwEngineError(err::CorruptDatabase);
    body_.resize(size);
    if (size > 0)
        std::memcpy(body_.data(), fetch(bodyOffset, size), size);
    if (cipher_ && !isPlain(record.id)) {
        // The sheet offset at the start of a BOUNDSHEET record is stored in plain.
        const std::size_t from = record.id == rec::BoundSheet ? std::min<std::size_t>(4, size) : 0;
        cipher_->decryptBody(bodyOffset, body_.data(), size, from);
    }
    record.data = body_.data();
    record.size = size;
    position_ = bodyOffset + size;
    return true;
}

bool RecordReader::isPlain(std::uint16_t id) const {
    switch (id) {
        case rec::Bof:
        case rec::FilePass:
        case rec::InterfaceHeader:
        case rec::UsrExcl:
        case rec::FileLock:
        case rec::RrdInfo:
        case rec::RrdHead:
            return true;
        default:
            return false;
    }
}

}  // namespace ds::db::excel
