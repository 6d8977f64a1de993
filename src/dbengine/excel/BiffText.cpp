#include "dbengine/excel/BiffText.h"

#include "dbengine/CodePages.h"
#include "dbengine/EngineError.h"
#include "dbengine/excel/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ds::db::excel {

void TextPool::reserveMore(std::size_t bytes) {
    // Offsets are 32-bit; no real workbook comes near.
    if (bytes > std::numeric_limits<std::uint32_t>::max() - bytes_.size())
        throwEngineError(err::CorruptDatabase);
}

TextSpan TextPool::add(const std::uint8_t* bytes, std::size_t size, bool wide) {
    begin();
    if (wide) {
        wide_ = true;
        reserveMore(size);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
    } else {
        appendNarrow(bytes, size);
    }
    return finish();
}

void TextPool::begin() {
    start_ = bytes_.size();
    wide_ = false;
}

void TextPool::appendNarrow(const std::uint8_t* bytes, std::size_t count) {
    if (!wide_) {
        reserveMore(count);
        bytes_.insert(bytes_.end(), bytes, bytes + count);
        return;
    }
    reserveMore(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes_.push_back(static_cast<char>(bytes[i]));
        bytes_.push_back('\0');
    }
}

void TextPool::appendWide(const std::uint8_t* bytes, std::size_t count) {
    if (!wide_) {
        const std::size_t narrow = bytes_.size() - start_;
        reserveMore(narrow + 2 * count);
        bytes_.resize(start_ + 2 * narrow);
        for (std::size_t i = narrow; i-- > 0;) {
            bytes_[start_ + 2 * i] = bytes_[start_ + i];
            bytes_[start_ + 2 * i + 1] = '\0';
        }
        wide_ = true;
    }
    reserveMore(2 * count);
    bytes_.insert(bytes_.end(), bytes, bytes + 2 * count);
}

TextSpan TextPool::finish() {
    return TextSpan{static_cast<std::uint32_t>(start_),
                    static_cast<std::uint32_t>(bytes_.size() - start_), wide_};
}

std::optional<RawString> parseByteString(const std::uint8_t* data, std::size_t size,
                                         std::size_t pos, int lengthBytes) {
    if (pos > size || size - pos < static_cast<std::size_t>(lengthBytes))
        return std::nullopt;
    std::size_t count = lengthBytes == 1 ? data[pos] : readU16(data + pos);
    pos += static_cast<std::size_t>(lengthBytes);
    count = std::min(count, size - pos);
    return RawString{data + pos, count, false, pos + count};
}

std::optional<RawString> parseUnicodeString(const std::uint8_t* data, std::size_t size,
                                            std::size_t pos, int lengthBytes) {
    if (pos > size || size - pos < static_cast<std::size_t>(lengthBytes) + 1)
        return std::nullopt;
    std::size_t count = lengthBytes == 1 ? data[pos] : readU16(data + pos);
    pos += static_cast<std::size_t>(lengthBytes);
    const std::uint8_t flags = data[pos++];
    const bool wide = flags & 0x01;
    std::uint64_t trailing = 0;
    if (flags & 0x08) {
        if (size - pos < 2)
            return std::nullopt;
        trailing += 4u * readU16(data + pos);
        pos += 2;
    }
    if (flags & 0x04) {
        if (size - pos < 4)
            return std::nullopt;
        trailing += readU32(data + pos);
        pos += 4;
    }
    const std::size_t unit = wide ? 2 : 1;
    count = std::min(count, (size - pos) / unit);
    const std::size_t afterChars = pos + count * unit;
    const std::size_t end =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, afterChars + trailing));
    return RawString{data + pos, count, wide, end};
}

QString toQString(const RawString& s, int codePage) {
    if (s.wide)
        return decodeText(reinterpret_cast<const char*>(s.chars), 2 * s.count, cp::Utf16LE);
    return decodeText(reinterpret_cast<const char*>(s.chars), s.count, codePage);
}

std::u16string toUnits(const RawString& s) {
    std::u16string out;
    out.reserve(s.count);
    for (std::size_t i = 0; i < s.count; ++i)
        out.push_back(s.wide ? readU16(s.chars + 2 * i) : s.chars[i]);
    return out;
}

ContinuedRecord::ContinuedRecord(RecordReader& reader, const Record& first)
    : reader_(reader), segment_(first.data, first.data + first.size) {}

bool ContinuedRecord::advance() {
    // Empty CONTINUE records occur and carry nothing, not even an option byte.
    std::uint16_t id = 0;
    while (reader_.peekId(id) && id == rec::Continue) {
        Record next;
        reader_.next(next);
        if (next.size == 0)
            continue;
        segment_.assign(next.data, next.data + next.size);
        pos_ = 0;
        return true;
    }
    return false;
}

bool ContinuedRecord::read(std::uint8_t* out, std::size_t length) {
    while (length > 0) {
        if (pos_ == segment_.size() && !advance())
            return false;
        const std::size_t n = std::min(length, segment_.size() - pos_);
        std::memcpy(out, segment_.data() + pos_, n);
        pos_ += n;
        out += n;
        length -= n;
    }
    return true;
}

bool ContinuedRecord::skip(std::uint64_t length) {
    while (length > 0) {
        if (pos_ == segment_.size() && !advance())
            return false;
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, segment_.size() - pos_));
        pos_ += n;
        length -= n;
    }
    return true;
}

bool ContinuedRecord::readChars(std::size_t count, bool wide, TextPool& pool) {
    while (count > 0) {
        if (pos_ == segment_.size()) {
            if (!advance())
                return false;
            wide = segment_[pos_++] & 0x01;
            continue;
        }
        const std::size_t unit = wide ? 2 : 1;
        const std::size_t available = std::min(count, (segment_.size() - pos_) / unit);
        if (available == 0)
            return false;  // half a character before the record ends
        if (wide)
            pool.appendWide(segment_.data() + pos_, available);
        else
            pool.appendNarrow(segment_.data() + pos_, available);
        pos_ += available * unit;
        count -= available;
    }
    return true;
}

}  // namespace ds::db::excel
