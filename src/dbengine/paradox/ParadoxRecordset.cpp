#include "dbengine/paradox/ParadoxRecordset.h"

#include "dbengine/CodePages.h"
#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "dbengine/paradox/Bytes.h"
#include "dbengine/paradox/FieldValues.h"
#include "dbengine/paradox/FormattedMemo.h"
#include "dbengine/paradox/ParadoxCrypt.h"
#include "dbengine/paradox/Roman8.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cstring>

namespace ds::db::paradox {

namespace {

constexpr int kItemNotFound = 3265;  // no field with that index
constexpr int kBlobPointer = 10;     // offset/slot, length, modification number after the leader
constexpr int kMaxPassword = 255;

int engineType(std::uint8_t c) {
    switch (c) {
        case code::Alpha:
            return type::Text;
        case code::Date:
        case code::Time:
        case code::Timestamp:
            return type::Date;
        case code::Short:
            return type::Integer;
        case code::Long:
        case code::AutoIncrement:
            return type::Long;
        case code::Money:
            return type::Currency;
        case code::Number:
        case code::Bcd:
            return type::Double;
        case code::Logical:
            return type::Boolean;
        case code::Memo:
        case code::FormattedMemo:
            return type::Memo;
        case code::Bytes:
            return type::Binary;
        default:
            return type::LongBinary;  // B, O, G
    }
}

// Field sizes as the engine reports them: a number's width is its engine type's width.
int engineSize(int engineTypeCode, const FieldLayout& f) {
    switch (engineTypeCode) {
        case type::Text:
        case type::Binary:
            return f.width;
        case type::Memo:
        case type::LongBinary:
            return 0;
        case type::Boolean:
            return 1;
        case type::Integer:
            return 2;
        case type::Long:
            return 4;
        default:
            return 8;  // Currency, Double, Date
    }
}

// G and O blobs begin with 01 00 00 0x and the length of what follows; the picture (a BMP) or
// the OLE object comes after it.
QByteArray withoutBlobPrefix(const char* data, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (size >= 8 && p[0] == 1 && p[1] == 0 && p[2] == 0 && (p[3] == 1 || p[3] == 2) &&
        le32(p + 4) == size - 8)
        return QByteArray(data + 8, static_cast<qsizetype>(size - 8));
    return QByteArray(data, static_cast<qsizetype>(size));
}

}  // namespace

ParadoxRecordset::ParadoxRecordset(const QString& tablePath,
                                   const std::optional<QString>& password) {
    if (!file_.open(tablePath.toStdString()))
        throwEngineError(file_.lastError(), tablePath);
    header_ = readTableHeader(file_);
    encoding_ = tableEncoding(header_);
    checkPassword(password);
    buildFieldInfos();
    openBlobFile(tablePath);
    blocks_.emplace(file_, header_);
    summary_ = blocks_->walk();
    total_ = summary_.records;
    moveFirst();
}

void ParadoxRecordset::checkPassword(const std::optional<QString>& password) const {
    if (!header_.encrypted())
        return;
    if (!password || password->isEmpty())
        throwEngineError(err::NotAPassword);
    // Passwords are compared as bytes in the table's code page, case kept.
    const int passwordCodePage = encoding_.roman8 ? cp::Windows1252 : encoding_.codePage;
    bool ok = false;
    const QByteArray bytes = encodeText(*password, passwordCodePage, &ok);
    if (!ok || bytes.size() > kMaxPassword ||
        passwordKey(reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<std::size_t>(bytes.size())) != header_.key)
        throwEngineError(err::NotAPassword);
}

void ParadoxRecordset::openBlobFile(const QString& tablePath) {
    bool hasBlobs = false;
    for (const FieldLayout& f : header_.fields)
        hasBlobs = hasBlobs || isBlobCode(f.code);
    if (!hasBlobs)
        return;
    // Without the .MB file the blob fields still give what their leaders hold.
    const QString path = findCompanionFile(tablePath, QStringLiteral(".MB"));
    if (!path.isEmpty() && !blobs_.open(path.toStdString(), header_.key))
        throwEngineError(blobs_.lastError(), path);
}

void ParadoxRecordset::buildFieldInfos() {
    infos_.reserve(header_.fields.size());
    scratch_.resize(header_.fields.size());
    std::vector<char> utf8;
    for (const FieldLayout& f : header_.fields) {
        FieldInfo info;
        if (encoding_.roman8) {
            roman8ToUtf8(f.name.data(), f.name.size(), utf8);
            info.name = decodeText(utf8.data(), utf8.size(), cp::Utf8);
        } else {
            info.name = decodeText(f.name.data(), f.name.size(), encoding_.codePage);
        }
        info.type = engineType(f.code);
        info.size = engineSize(info.type, f);
        infos_.push_back(std::move(info));
    }
}

void ParadoxRecordset::corrupt() const {
    throwEngineError(err::CorruptDatabase, QString::fromStdString(file_.path()));
}

const FieldInfo& ParadoxRecordset::fieldInfo(int index) const {
    if (index < 0 || index >= fieldCount())
        throwEngineError(kItemNotFound);
    return infos_[static_cast<std::size_t>(index)];
}

// ---- moving ----

void ParadoxRecordset::enterBlockWithRecords(int blockNumber) {
    for (int k = blockNumber;;) {
        if (k == 0 || ++loads_ > blocks_->maxBlocks())
            corrupt();  // fewer records than counted: the file changed or the chain loops
        const DataBlocks::Block block = blocks_->load(k);
        if (block.records > 0) {
            index_ = 0;
            blockRecords_ = block.records;
            nextBlock_ = block.next;
            return;
        }
        k = block.next;
    }
}

void ParadoxRecordset::moveFirst() {
    position_ = 0;
    loads_ = 0;
    eof_ = true;
    if (total_ == 0)
        return;
    enterBlockWithRecords(header_.firstBlock);
    eof_ = false;
}

void ParadoxRecordset::moveLast() {
    eof_ = true;
    if (total_ == 0)
        return;
    loads_ = 0;
    const DataBlocks::Block block = blocks_->load(summary_.lastBlock);
    if (block.records != summary_.lastBlockRecords)
        corrupt();
    index_ = block.records - 1;
    blockRecords_ = block.records;
    nextBlock_ = block.next;
    position_ = total_ - 1;
    eof_ = false;
}

void ParadoxRecordset::moveNext() {
    if (eof_)
        return;
    if (++position_ >= total_) {
        eof_ = true;
        return;
    }
    if (++index_ < blockRecords_)
        return;
    eof_ = true;  // stays at end if the next block turns out damaged
    enterBlockWithRecords(nextBlock_);
    eof_ = false;
}

// ---- reading ----

const FieldLayout& ParadoxRecordset::field(int index) const {
    if (eof_)
        throwEngineError(err::NoCurrentRecord);
    if (index < 0 || index >= fieldCount())
        throwEngineError(kItemNotFound);
    return header_.fields[static_cast<std::size_t>(index)];
}

const unsigned char* ParadoxRecordset::fieldBytes(const FieldLayout& f) const {
    return blocks_->record(index_) + f.offset;
}

ParadoxRecordset::Blob ParadoxRecordset::blob(int index) {
    const FieldLayout& f = header_.fields[static_cast<std::size_t>(index)];
    const unsigned char* p = fieldBytes(f);
    const auto leaderSize = static_cast<std::size_t>(f.width - kBlobPointer);
    const std::uint32_t location = le32(p + leaderSize);
    const std::uint32_t length = le32(p + leaderSize + 4);
    const auto* leader = reinterpret_cast<const char*>(p);
    if (length == 0)
        return {};
    if (length <= leaderSize)
        return {leader, length, false, false};
    if (!blobs_.isOpen())
        return {leader, leaderSize, true, false};
    std::vector<char>& buffer = scratch_[static_cast<std::size_t>(index)].blob;
    blobs_.read(location, length, buffer);
    return {buffer.data(), buffer.size(), false, false};
}

TextRef ParadoxRecordset::textOf(int index, const char* data, std::size_t size) {
    size = trimmedLength(data, size);
    if (!encoding_.roman8)
        return TextRef::of(data, size, encoding_.codePage);
    std::vector<char>& utf8 = scratch_[static_cast<std::size_t>(index)].text;
    roman8ToUtf8(data, size, utf8);
    return TextRef::of(utf8.data(), utf8.size(), cp::Utf8);
}

TextRef ParadoxRecordset::text(int index) {
    const FieldLayout& f = field(index);
    if (f.code == code::Alpha) {
        const auto* p = reinterpret_cast<const char*>(fieldBytes(f));
        if (p[0] == '\0')
            return TextRef::null();
        const void* nul = std::memchr(p, 0, static_cast<std::size_t>(f.width));
        const auto size = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p)
                              : static_cast<std::size_t>(f.width);
        return textOf(index, p, size);
    }
    if (f.code != code::Memo && f.code != code::FormattedMemo)
        return TextRef::null();
    const Blob b = blob(index);
    if (b.isNull)
        return TextRef::null();
    if (f.code == code::Memo)
        return textOf(index, b.data, b.size);
    const std::string_view t = formattedMemoText(b.data, b.size, b.partial);
    return textOf(index, t.data(), t.size());
}

QVariant ParadoxRecordset::binaryValue(int index) {
    const Blob b = blob(index);
    if (b.isNull || b.partial)
        return {};
    const std::uint8_t c = header_.fields[static_cast<std::size_t>(index)].code;
    if (c == code::Graphic || c == code::Ole)
        return withoutBlobPrefix(b.data, b.size);
    return QByteArray(b.data, static_cast<qsizetype>(b.size));
}

QVariant ParadoxRecordset::value(int index) {
    const FieldLayout& f = field(index);
    const unsigned char* p = fieldBytes(f);
    const auto width = static_cast<std::size_t>(f.width);
    switch (f.code) {
        case code::Alpha:
        case code::Memo:
        case code::FormattedMemo: {
            const TextRef t = text(index);
            return t.isNull ? QVariant() : QVariant(t.toString());
        }
        case code::Blob:
        case code::Ole:
        case code::Graphic:
            return binaryValue(index);
        case code::Logical:
            if (p[0] == 0)
                return {};
            return QVariant((p[0] & 0x7F) != 0);
        default:
            break;
    }
    if (allZero(p, width))
        return {};  // blank
    switch (f.code) {
        case code::Short:
        case code::Long:
        case code::AutoIncrement:
            return QVariant(decodeInteger(p, f.width));
        case code::Money:
        case code::Number:
            return QVariant(decodeDouble(p));
        case code::Bcd:
            return QVariant(decodeBcd(p));
        case code::Date: {
            const QDate date = QDate::fromJulianDay(julianDayOfDate(decodeInteger(p, 4)));
            return date.isValid() ? QVariant(QDateTime(date, QTime(0, 0))) : QVariant();
        }
        case code::Time: {
            // A time of day alone is a date on the engine's day zero, 1899-12-30.
            const std::int32_t msec = decodeInteger(p, 4);
            if (msec < 0 || msec >= kMsecPerDay)
                return {};
            return QDateTime(QDate(1899, 12, 30), QTime::fromMSecsSinceStartOfDay(msec));
        }
        case code::Timestamp: {
            const auto split = splitTimestamp(decodeDouble(p));
            if (!split)
                return {};
            return QDateTime(QDate::fromJulianDay(split->julianDay),
                             QTime::fromMSecsSinceStartOfDay(split->msecOfDay));
        }
        case code::Bytes:
            return QByteArray(reinterpret_cast<const char*>(p), static_cast<qsizetype>(width));
        default:
            return {};
    }
}

}  // namespace ds::db::paradox
