#include "dbengine/access/AccessRecordset.h"

#include "dbengine/CodePages.h"
#include "dbengine/EngineError.h"
#include "dbengine/access/JetText.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>
#include <cstring>
#include <tuple>

namespace ds::db::access {

namespace {

constexpr std::size_t kMemoHeader = 12;
constexpr std::uint32_t kMemoInline = 0x80000000u;
constexpr std::uint32_t kMemoSingleRow = 0x40000000u;
constexpr std::uint32_t kMemoLengthMask = 0x3FFFFFFFu;

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// libmdb column types to engine type codes. 1..12 coincide; the rest map to the nearest kind.
int engineType(int mdbType) {
    switch (mdbType) {
        case MDB_BOOL:
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
        case MDB_MONEY:
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_DATETIME:
        case MDB_BINARY:
        case MDB_TEXT:
        case MDB_OLE:
        case MDB_MEMO:
            return mdbType;
        case MDB_REPID:
            return type::Guid;
        case MDB_NUMERIC:
            return type::Decimal;
        case MDB_COMPLEX:
            return type::Long;  // a complex column holds the key of its value list
        default:
            return type::Binary;
    }
}

// Field.Size as the engine reports it: bytes, except Text, whose size is in characters.
int engineSize(const MdbColumn& column, bool jet4) {
    switch (column.col_type) {
        case MDB_BOOL:
        case MDB_BYTE:
            return 1;
        case MDB_INT:
            return 2;
        case MDB_LONGINT:
        case MDB_FLOAT:
        case MDB_COMPLEX:
            return 4;
        case MDB_MONEY:
        case MDB_DOUBLE:
        case MDB_DATETIME:
            return 8;
        case MDB_TEXT:
            return jet4 ? column.col_size / 2 : column.col_size;
        case MDB_OLE:
        case MDB_MEMO:
            return 0;
        case MDB_REPID:
        case MDB_NUMERIC:
            return 16;
        default:
            return column.col_size;
    }
}

// Access dates: days since 1899-12-30; the fraction is the time of day, also for negative days.
// Access shows whole seconds, so the time is rounded to the second.
QVariant accessDate(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return {};
    double whole = std::trunc(value);
    long long seconds = std::llround(std::fabs(value - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += value < 0 ? -1 : 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    return QDateTime(date, QTime(0, 0).addSecs(static_cast<int>(seconds)));
}

QString guidText(const std::uint8_t* p) {
    return QStringLiteral("{%1-%2-%3-%4-%5}")
        .arg(le32(p), 8, 16, QLatin1Char('0'))
        .arg(le16(p + 4), 4, 16, QLatin1Char('0'))
        .arg(le16(p + 6), 4, 16, QLatin1Char('0'))
        .arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(p + 8), 2).toHex()))
        .arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(p + 10), 6).toHex()))
        .toUpper();
}

// Jet 4 decimal: a sign byte, then a 128-bit magnitude as four 32-bit words, most significant
// word first, each little-endian.
double decimalValue(const std::uint8_t* p, int scale) {
    double magnitude = 0;
    for (int w = 0; w < 4; ++w)
        magnitude = magnitude * 4294967296.0 + le32(p + 1 + 4 * w);
    const double value = magnitude / std::pow(10.0, std::clamp(scale, 0, 28));
    return (p[0] & 0x80) ? -value : value;
}

}  // namespace

AccessRecordset::AccessRecordset(const QString& path, std::unique_ptr<MdbSession> session,
                                 const MdbCatalogEntry& entry, std::uint64_t fileSize)
    : session_(std::move(session)),
      entry_(entry),
      fileSize_(fileSize),
      pages_(path, session_->header()) {
    entry_.mdb = session_->handle();
    {
        QuietLibmdb quiet;
        table_.reset(mdb_read_table(&entry_));
        if (!table_ || !mdb_read_columns(table_.get()) || !table_->columns ||
            table_->columns->len != table_->num_cols || !table_->usage_map)
            corrupt();
    }

    const JetHeader& header = session_->header();
    if (!header.isJet4())
        jet3Table_ = &singleByteTable(isSingleByteCodePage(header.codePage) ? header.codePage
                                                                            : cp::Windows1252);
    fields_.resize(table_->num_cols);
    std::vector<ColumnLayout> layout(table_->num_cols);
    for (unsigned i = 0; i < table_->num_cols; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
        Field& f = fields_[i];
        f.column = column;
        f.info.name = QString::fromUtf8(column->name);
        f.info.type = engineType(column->col_type);
        f.info.size = engineSize(*column, header.isJet4());
        f.fixedText = column->col_type == MDB_TEXT && column->is_fixed;
        if (column->col_num < 0 || column->col_size < 0 || column->fixed_offset < 0)
            corrupt();
        layout[i] = {column->col_num, column->is_fixed != 0, column->fixed_offset, column->col_size,
                     column->var_col_num};
    }
    const auto* map = table_->usage_map;
    scan_ = std::make_unique<TableScan>(
        pages_, static_cast<std::uint32_t>(entry_.table_pg),
        std::vector<std::uint8_t>(map, map + table_->map_sz), std::move(layout), header.isJet4(),
        table_->num_var_cols > 0, QString::fromUtf8(entry_.object_name));
    rewind();
    if (!fetchNext())
        count_ = 0;
}

AccessRecordset::~AccessRecordset() {
    QuietLibmdb quiet;
    table_.reset();
}

void AccessRecordset::corrupt() const {
    throwEngineError(err::CorruptDatabase, QString::fromUtf8(entry_.object_name));
}

const AccessRecordset::Field& AccessRecordset::checkedField(int index) const {
    if (index < 0 || index >= fieldCount())
        throwEngineError(err::ObjectNotFound, QString::number(index));
    return fields_[static_cast<std::size_t>(index)];
}

const FieldInfo& AccessRecordset::fieldInfo(int index) const {
    return checkedField(index).info;
}

bool AccessRecordset::fetchNext() const {
    if (cursorAtEnd_)
        return false;
    if (scan_->next()) {
        ++cursor_;
        return true;
    }
    cursorAtEnd_ = true;
    count_ = cursor_ + 1;
    return false;
}

void AccessRecordset::rewind() const {
    scan_->rewind();
    cursor_ = -1;
    cursorAtEnd_ = false;
}

void AccessRecordset::countAll() const {
    while (count_ < 0 && fetchNext()) {
    }
}

bool AccessRecordset::eof() const {
    return count_ >= 0 && position_ >= count_;
}

std::int64_t AccessRecordset::recordCount() const {
    countAll();
    return count_;
}

void AccessRecordset::moveFirst() {
    position_ = 0;
    if (cursor_ != 0 || cursorAtEnd_) {
        rewind();
        fetchNext();
    }
}

void AccessRecordset::moveLast() {
    countAll();
    position_ = count_ > 0 ? count_ - 1 : 0;
}

void AccessRecordset::moveNext() {
    if (eof())
        return;
    ++position_;
    if (cursor_ == position_ - 1 && !cursorAtEnd_)
        fetchNext();
}

void AccessRecordset::syncCursor() {
    if (eof())
        throwEngineError(err::NoCurrentRecord);
    if (cursor_ == position_ && !cursorAtEnd_)
        return;
    if (cursor_ > position_ || cursorAtEnd_)
        rewind();
    while (cursor_ < position_) {
        if (!fetchNext())
            corrupt();  // fewer rows than the count walk found
    }
}

AccessRecordset::Cell AccessRecordset::cell(int index) {
    checkedField(index);
    syncCursor();
    const Slot& slot = scan_->crack()[static_cast<std::size_t>(index)];
    Cell c;
    c.isNull = slot.isNull;
    c.data = scan_->page() + slot.start;
    c.size = slot.size;
    return c;
}

const std::uint8_t* AccessRecordset::fixedBytes(const Cell& c, std::size_t width) const {
    if (c.size < width)
        corrupt();
    return c.data;
}

std::pair<const std::uint8_t*, std::size_t> AccessRecordset::longValue(const Cell& c) {
    if (c.size < kMemoHeader)
        corrupt();
    const std::uint32_t word = le32(c.data);
    const std::size_t length = word & kMemoLengthMask;
    if (word & kMemoInline)
        return {c.data + kMemoHeader, c.size - kMemoHeader};

    // The value lies in LVAL rows elsewhere; a value cannot be longer than the file.
    if (length > fileSize_)
        corrupt();
    const bool jet4 = session_->header().isJet4();
    gathered_.clear();
    std::uint32_t pgRow = le32(c.data + 4);
    const bool singleRow = (word & kMemoSingleRow) != 0;
    visited_.clear();
    while (gathered_.size() < length) {
        if (!visited_.insert(pgRow).second)
            corrupt();  // the chain loops
        const std::uint8_t* lval = pages_.sidePage(pgRow >> 8);
        unsigned start = 0;
        unsigned end = 0;
        if (!TableScan::findRow(lval, pages_.pageSize(), jet4, pgRow & 0xFF, start, end))
            corrupt();
        const std::uint8_t* piece = lval + start;
        const std::size_t rowLength = end - start;
        if (singleRow) {
            gathered_.assign(piece, piece + std::min(rowLength, length));
            break;
        }
        // A chain piece: the next piece's pg_row, then data.
        if (rowLength <= 4)
            corrupt();
        const std::size_t take = std::min(rowLength - 4, length - gathered_.size());
        gathered_.insert(gathered_.end(), piece + 4, piece + 4 + take);
        pgRow = le32(piece);
        if (pgRow == 0)
            break;
    }
    return {gathered_.data(), gathered_.size()};
}

bool AccessRecordset::decodeText(int index) {
    Field& field = fields_[static_cast<std::size_t>(index)];
    const Cell c = cell(index);
    field.utf8Size = 0;
    if (c.isNull)
        return false;
    const std::uint8_t* data = c.data;
    std::size_t size = c.size;
    if (field.column->col_type == MDB_MEMO)
        std::tie(data, size) = longValue(c);
    const std::size_t room = utf8Capacity(size);
    if (field.utf8.size() < room)
        field.utf8.resize(room);
    field.utf8Size = jet3Table_ ? decodeSingleByteText(data, size, *jet3Table_, field.utf8.data())
                                : decodeJet4Text(data, size, field.utf8.data());
    if (field.fixedText) {
        while (field.utf8Size > 0 && field.utf8[field.utf8Size - 1] == ' ')
            --field.utf8Size;
    }
    return true;
}

TextRef AccessRecordset::text(int index) {
    const Field& field = checkedField(index);
    if (field.info.type != type::Text && field.info.type != type::Memo)
        return TextRef::null();
    if (!decodeText(index))
        return TextRef::null();
    return TextRef::of(field.utf8.data(), field.utf8Size, cp::Utf8);
}

QVariant AccessRecordset::value(int index) {
    const Field& field = checkedField(index);
    const int type = field.column->col_type;
    if (type == MDB_BOOL)
        return QVariant(!cell(index).isNull);  // a yes/no value is its null bit
    if (type == MDB_TEXT || type == MDB_MEMO) {
        if (!decodeText(index))
            return {};
        return QString::fromUtf8(field.utf8.data(), static_cast<qsizetype>(field.utf8Size));
    }
    const Cell c = cell(index);
    if (c.isNull)
        return {};
    switch (type) {
        case MDB_BYTE:
            return QVariant(static_cast<int>(*fixedBytes(c, 1)));
        case MDB_INT:
            return QVariant(static_cast<int>(static_cast<std::int16_t>(le16(fixedBytes(c, 2)))));
        case MDB_LONGINT:
        case MDB_COMPLEX:
            return QVariant(static_cast<int>(static_cast<std::int32_t>(le32(fixedBytes(c, 4)))));
        case MDB_MONEY: {
            const std::uint8_t* p = fixedBytes(c, 8);
            const auto raw = static_cast<std::int64_t>(le32(p) | std::uint64_t{le32(p + 4)} << 32);
            return QVariant(static_cast<double>(raw) / 10000.0);
        }
        case MDB_FLOAT: {
            float v = 0;
            std::memcpy(&v, fixedBytes(c, 4), sizeof v);
            return QVariant(static_cast<double>(v));
        }
        case MDB_DOUBLE:
        case MDB_DATETIME: {
            double v = 0;
            std::memcpy(&v, fixedBytes(c, 8), sizeof v);
            return type == MDB_DOUBLE ? QVariant(v) : accessDate(v);
        }
        case MDB_REPID:
            return guidText(fixedBytes(c, 16));
        case MDB_NUMERIC:
            return QVariant(decimalValue(fixedBytes(c, 17), field.column->col_scale));
        case MDB_OLE: {
            const auto [data, size] = longValue(c);
            return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        }
        default:
            return QByteArray(reinterpret_cast<const char*>(c.data),
                              static_cast<qsizetype>(c.size));
    }
}

}  // namespace ds::db::access
