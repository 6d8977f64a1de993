#include "dbengine/dbase/DbfRecordset.h"

#include "dbengine/EngineError.h"
#include "dbengine/dbase/ByteOrder.h"
#include "dbengine/dbase/FieldDecode.h"

#include <QByteArray>

#include <algorithm>

namespace ds::db::dbase {

namespace {

constexpr char kDeletedFlag = '*';
constexpr int kItemNotFound = 3265;  // no field with that index

bool isDeleted(const char* record) {
    return record[0] == kDeletedFlag;
}

}  // namespace

DbfRecordset::DbfRecordset(ReadOnlyFile file, DbfLayout layout, std::optional<MemoFile> memo,
                           QString path, std::vector<char> start)
    : file_(std::move(file)),
      layout_(std::move(layout)),
      memo_(std::move(memo)),
      path_(std::move(path)),
      blocks_(file_, layout_.headerLength, layout_.recordLength, layout_.recordCount,
              std::move(start)),
      memoBuffers_(layout_.fields.size()) {
    endSlot_ = blocks_.count();
    moveFirst();
}

const FieldInfo& DbfRecordset::fieldInfo(int index) const {
    if (index < 0 || index >= fieldCount())
        throwEngineError(kItemNotFound);
    return layout_.fields[static_cast<std::size_t>(index)].info;
}

void DbfRecordset::seekLive(std::uint32_t from) {
    for (std::uint32_t i = from; i < endSlot_; ++i) {
        const char* r = blocks_.record(i);
        if (!isDeleted(r)) {
            position_ = i;
            record_ = r;
            return;
        }
    }
    position_ = endSlot_;
    record_ = nullptr;
}

void DbfRecordset::moveFirst() {
    seekLive(firstSlot_);
}

void DbfRecordset::restrictToSlots(std::uint64_t first, std::uint64_t end) {
    endSlot_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(end, blocks_.count()));
    firstSlot_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(first, endSlot_));
    liveCount_.reset();
    moveFirst();
}

void DbfRecordset::moveNext() {
    if (record_)
        seekLive(position_ + 1);
}

void DbfRecordset::moveLast() {
    countLive();
    if (*liveCount_ == 0) {
        position_ = endSlot_;
        record_ = nullptr;
        return;
    }
    position_ = lastLive_;
    record_ = blocks_.record(position_);
}

std::int64_t DbfRecordset::recordCount() const {
    countLive();
    return *liveCount_;
}

void DbfRecordset::countLive() const {
    if (liveCount_)
        return;
    // One pass over the deletion flags; the current record's block is read again afterwards.
    std::uint32_t live = 0;
    for (std::uint32_t i = firstSlot_; i < endSlot_; ++i) {
        if (!isDeleted(blocks_.record(i))) {
            ++live;
            lastLive_ = i;
        }
    }
    liveCount_ = live;
    if (record_)
        record_ = blocks_.record(position_);
}

const DbfField& DbfRecordset::currentField(int index) const {
    if (!record_)
        throwEngineError(err::NoCurrentRecord);
    if (index < 0 || index >= fieldCount())
        throwEngineError(kItemNotFound);
    return layout_.fields[static_cast<std::size_t>(index)];
}

bool DbfRecordset::isNull(const DbfField& field) const {
    if (field.length == 0)
        return true;
    if (field.nullBit < 0)
        return false;
    const auto flags = static_cast<unsigned char>(
        record_[layout_.nullFlagsOffset + static_cast<std::uint32_t>(field.nullBit / 8)]);
    return (flags >> (field.nullBit % 8)) & 1;
}

std::size_t DbfRecordset::varLength(const DbfField& field, const char* bytes) const {
    if (field.lengthBit < 0)
        return field.length;
    const auto flags = static_cast<unsigned char>(
        record_[layout_.nullFlagsOffset + static_cast<std::uint32_t>(field.lengthBit / 8)]);
    if (((flags >> (field.lengthBit % 8)) & 1) == 0)
        return field.length;  // the value fills the field
    const auto stored = static_cast<unsigned char>(bytes[field.length - 1]);
    if (stored >= field.length)
        throwEngineError(err::CorruptDatabase, path_);
    return stored;
}

bool DbfRecordset::readMemo(int index, const DbfField& field) {
    const std::optional<std::uint64_t> block = parseMemoBlock(record_ + field.offset, field.length);
    if (!block || !memo_)
        throwEngineError(err::CorruptDatabase, path_);
    if (*block == 0)
        return false;
    std::string& buffer = memoBuffers_[static_cast<std::size_t>(index)];
    memo_->read(*block, buffer);
    return !buffer.empty();
}

TextRef DbfRecordset::text(int index) {
    const DbfField& field = currentField(index);
    if (isNull(field))
        return TextRef::null();
    const char* bytes = record_ + field.offset;
    switch (field.storage) {
        case Storage::Character: {
            const std::size_t n = trimmedLength(bytes, field.length);
            return n == 0 ? TextRef::null() : TextRef::of(bytes, n, layout_.codePage);
        }
        case Storage::VarChar:
            return TextRef::of(bytes, varLength(field, bytes), layout_.codePage);
        case Storage::TextMemo: {
            if (!readMemo(index, field))
                return TextRef::null();
            const std::string& memo = memoBuffers_[static_cast<std::size_t>(index)];
            return TextRef::of(memo.data(), memo.size(), layout_.codePage);
        }
        default:
            return TextRef::null();  // only text and memo fields have text
    }
}

QVariant DbfRecordset::value(int index) {
    const DbfField& field = currentField(index);
    if (isNull(field))
        return {};
    const char* bytes = record_ + field.offset;
    switch (field.storage) {
        case Storage::Character:
        case Storage::VarChar:
        case Storage::TextMemo: {
            const TextRef t = text(index);
            return t.isNull ? QVariant() : QVariant(t.toString());
        }
        case Storage::VarBinary:
            return QByteArray(bytes, static_cast<qsizetype>(varLength(field, bytes)));
        case Storage::BinaryMemo: {
            if (!readMemo(index, field))
                return {};
            const std::string& memo = memoBuffers_[static_cast<std::size_t>(index)];
            return QByteArray(memo.data(), static_cast<qsizetype>(memo.size()));
        }
        case Storage::Numeric:
            if (const auto v = parseNumeric(bytes, field.length))
                return *v;
            return {};
        case Storage::Date:
            if (const auto v = parseDate(bytes, field.length))
                return QDateTime(*v, QTime(0, 0));
            return {};
        case Storage::Logical:
            if (const auto v = parseLogical(bytes[0]))
                return *v;
            return {};
        case Storage::DateTime:
            if (const auto v = parseDateTime(bytes))
                return *v;
            return {};
        case Storage::Integer:
            return static_cast<int>(static_cast<std::int32_t>(le32(bytes)));
        case Storage::Currency:
            return static_cast<double>(static_cast<std::int64_t>(le64(bytes))) / 10000.0;
        case Storage::Double:
            return leDouble(bytes);
    }
    return {};
}

}  // namespace ds::db::dbase
