#include "support/dbase/DbfWriter.h"

#include "dbengine/CodePages.h"
#include "dbengine/dbase/LanguageDrivers.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ds::test {

namespace {

constexpr qsizetype kChunkBytes = 1 << 20;
constexpr int kBacklinkBytes = 263;  // Visual FoxPro: path of the database container
constexpr std::uint8_t kFlagSystem = 0x01;
constexpr std::uint8_t kFlagNullable = 0x02;
constexpr std::uint8_t kFlagBinary = 0x04;

void putLe16(char* p, std::uint32_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>((v >> 8) & 0xFF);
}

void putLe32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putLe64(char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putBe32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

bool isMemoType(char type, DbfFlavor flavor) {
    return type == 'M' || type == 'G' || type == 'P' || type == 'W' ||
           (type == 'B' && flavor != DbfFlavor::VisualFoxPro);
}

int defaultLength(char type, DbfFlavor flavor) {
    if (isMemoType(type, flavor))
        return flavor == DbfFlavor::VisualFoxPro ? 4 : 10;
    switch (type) {
        case 'D':
        case 'T':
        case 'Y':
        case 'B':
            return 8;
        case 'L':
            return 1;
        case 'I':
            return 4;
        default:
            return 10;
    }
}

// Right-aligns text in a field of blanks, as dBASE writes numbers and memo pointers.
void putRightAligned(char* out, int width, const QByteArray& text) {
    const int n = std::min<int>(width, static_cast<int>(text.size()));
    std::memset(out, ' ', static_cast<std::size_t>(width));
    std::memcpy(out + width - n, text.constData(), static_cast<std::size_t>(n));
}

}  // namespace

struct DbfWriter::Column {
    DbfColumn def;
    std::uint32_t offset = 0;
    int nullBit = -1;
    int lengthBit = -1;
    bool memo = false;
};

// The .DBT or .FPT beside the table: blocks appended as memos come, header patched at the end.
class DbfWriter::MemoWriter {
  public:
    MemoWriter(const QString& path, DbfFlavor flavor, int blockSize, const QString& tableName)
        : file_(path),
          flavor_(flavor),
          blockSize_(static_cast<std::uint32_t>(blockSize)),
          tableName_(tableName) {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        // The header fills the first 512 bytes (.FPT) or the first block (.DBT).
        const std::uint32_t headerBytes = isFoxPro() ? 512 : blockSize_;
        nextBlock_ = (headerBytes + blockSize_ - 1) / blockSize_;
        file_.write(QByteArray(static_cast<qsizetype>(nextBlock_ * blockSize_), '\0'));
    }

    bool isOpen() const { return file_.isOpen(); }

    std::uint32_t write(const QByteArray& data, char fieldType) {
        const std::uint32_t block = nextBlock_;
        QByteArray out;
        if (isFoxPro()) {
            char head[8];
            putBe32(head, fieldType == 'M' ? 1 : 0);  // 1 text, 0 picture/binary
            putBe32(head + 4, static_cast<std::uint32_t>(data.size()));
            out.append(head, 8).append(data);
        } else if (flavor_ == DbfFlavor::Dbase4) {
            char head[8] = {'\xFF', '\xFF', '\x08', '\x00', 0, 0, 0, 0};
            putLe32(head + 4, static_cast<std::uint32_t>(data.size() + 8));
            out.append(head, 8).append(data);
        } else {
            out.append(data).append("\x1A\x1A", 2);
        }
        const auto blocks = static_cast<std::uint32_t>((out.size() + blockSize_ - 1) / blockSize_);
        out.append(QByteArray(static_cast<qsizetype>(blocks * blockSize_ - out.size()), '\0'));
        file_.write(out);
        nextBlock_ += std::max<std::uint32_t>(blocks, 1);
        return block;
    }

    void finish() {
        if (!file_.isOpen())
            return;
        QByteArray head(32, '\0');
        if (isFoxPro()) {
            putBe32(head.data(), nextBlock_);
            head[6] = static_cast<char>((blockSize_ >> 8) & 0xFF);
            head[7] = static_cast<char>(blockSize_ & 0xFF);
        } else {
            putLe32(head.data(), nextBlock_);
            if (flavor_ == DbfFlavor::Dbase4) {
                const QByteArray name = tableName_.toLatin1().left(8).toUpper();
                std::memcpy(head.data() + 8, name.constData(),
                            static_cast<std::size_t>(name.size()));
                head[18] = 0x02;
                head[19] = 0x01;
                putLe16(head.data() + 20, blockSize_);
            } else {
                head[16] = 0x03;
            }
        }
        file_.seek(0);
        file_.write(head);
        file_.close();
    }

  private:
    bool isFoxPro() const {
        return flavor_ == DbfFlavor::FoxPro2 || flavor_ == DbfFlavor::VisualFoxPro;
    }

    QFile file_;
    DbfFlavor flavor_;
    std::uint32_t blockSize_;
    QString tableName_;
    std::uint32_t nextBlock_ = 1;
};

DbfWriter::DbfWriter(const QString& dbfPath, std::vector<DbfColumn> fields, DbfOptions options)
    : options_(std::move(options)), file_(dbfPath) {
    const DbfFlavor flavor = options_.flavor;
    const bool vfp = flavor == DbfFlavor::VisualFoxPro;
    codePage_ = options_.codePage != 0
                    ? options_.codePage
                    : db::dbase::codePageForLanguageDriver(options_.languageDriver);

    bool hasMemo = false;
    bool hasVar = false;
    int flagBits = 0;
    recordLength_ = 1;
    for (DbfColumn& def : fields) {
        if (def.length < 0)
            def.length = defaultLength(def.type, flavor);
        Column c;
        c.offset = recordLength_;
        c.memo = isMemoType(def.type, flavor);
        hasMemo = hasMemo || c.memo;
        if (vfp && (def.type == 'V' || def.type == 'Q')) {
            hasVar = true;
            c.lengthBit = flagBits++;
        }
        if (vfp && def.nullable)
            c.nullBit = flagBits++;
        recordLength_ += static_cast<std::uint32_t>(def.length);
        c.def = std::move(def);
        columns_.push_back(std::move(c));
    }
    if (flagBits > 0) {
        nullFlagsOffset_ = recordLength_;
        nullFlagsLength_ = static_cast<std::uint32_t>((flagBits + 7) / 8);
        recordLength_ += nullFlagsLength_;
    }
    const std::size_t descriptors = columns_.size() + (nullFlagsLength_ > 0 ? 1 : 0);
    headerLength_ =
        static_cast<std::uint32_t>(32 + 32 * descriptors + 1 + (vfp ? kBacklinkBytes : 0));
    switch (flavor) {
        case DbfFlavor::Dbase3:
            version_ = hasMemo ? 0x83 : 0x03;
            break;
        case DbfFlavor::Dbase4:
            version_ = hasMemo ? 0x8B : 0x03;
            break;
        case DbfFlavor::FoxPro2:
            version_ = hasMemo ? 0xF5 : 0x03;
            break;
        case DbfFlavor::VisualFoxPro:
            version_ = hasVar ? 0x32 : 0x30;
            break;
    }

    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = file_.errorString();
        return;
    }
    file_.write(headerBytes());
    if (hasMemo) {
        const QFileInfo fi(dbfPath);
        const bool fox = flavor == DbfFlavor::FoxPro2 || vfp;
        const QString ext = fox ? QStringLiteral(".fpt") : QStringLiteral(".dbt");
        const bool upper = fi.suffix() == fi.suffix().toUpper();
        memoPath_ = fi.dir().filePath(fi.completeBaseName() + (upper ? ext.toUpper() : ext));
        const int blockSize =
            options_.memoBlockSize > 0 ? options_.memoBlockSize : (fox ? 64 : 512);
        memo_ = std::make_unique<MemoWriter>(memoPath_, flavor, blockSize, fi.completeBaseName());
        if (!memo_->isOpen())
            error_ = QStringLiteral("cannot create %1").arg(memoPath_);
    }
    chunk_.reserve(kChunkBytes + static_cast<qsizetype>(recordLength_));
    record_.resize(static_cast<qsizetype>(recordLength_));
}

DbfWriter::~DbfWriter() {
    finish();
}

QByteArray DbfWriter::headerBytes() const {
    QByteArray h(static_cast<qsizetype>(headerLength_), '\0');
    char* p = h.data();
    p[0] = static_cast<char>(version_);
    p[1] = static_cast<char>(options_.lastUpdate.year() - 1900);
    p[2] = static_cast<char>(options_.lastUpdate.month());
    p[3] = static_cast<char>(options_.lastUpdate.day());
    putLe32(p + 4, records_);
    putLe16(p + 8, headerLength_);
    putLe16(p + 10, recordLength_);
    if (options_.flavor == DbfFlavor::VisualFoxPro && memo_)
        p[28] = 0x02;
    p[29] = static_cast<char>(options_.languageDriver);
    char* d = p + 32;
    for (const Column& c : columns_) {
        const QByteArray name = db::encodeText(c.def.name, codePage_).left(10);
        std::memcpy(d, name.constData(), static_cast<std::size_t>(name.size()));
        d[11] = c.def.type;
        if (options_.flavor == DbfFlavor::VisualFoxPro)
            putLe32(d + 12, c.offset);
        d[16] = static_cast<char>(c.def.length & 0xFF);
        // Text longer than 255: the high byte goes where numbers keep their decimals.
        d[17] = static_cast<char>(c.def.type == 'C' ? (c.def.length >> 8) : c.def.decimals);
        std::uint8_t flags = 0;
        if (c.nullBit >= 0)
            flags |= kFlagNullable;
        if (c.def.type == 'Q')
            flags |= kFlagBinary;
        d[18] = static_cast<char>(flags);
        d += 32;
    }
    if (nullFlagsLength_ > 0) {
        std::memcpy(d, "_NullFlags", 10);
        d[11] = '0';
        putLe32(d + 12, nullFlagsOffset_);
        d[16] = static_cast<char>(nullFlagsLength_);
        d[18] = static_cast<char>(kFlagSystem | kFlagBinary);
        d += 32;
    }
    *d = 0x0D;
    return h;
}

QByteArray DbfWriter::textBytes(const DbfValue& value) const {
    if (const auto* s = std::get_if<QString>(&value.v))
        return db::encodeText(*s, codePage_);
    if (const auto* b = std::get_if<QByteArray>(&value.v))
        return *b;
    if (const auto* d = std::get_if<double>(&value.v))
        return QByteArray::number(*d);
    if (const auto* i = std::get_if<std::int64_t>(&value.v))
        return QByteArray::number(static_cast<qlonglong>(*i));
    return {};
}

void DbfWriter::encodeValue(const Column& c, const DbfValue& value, char* out, bool& isNull) {
    const int width = c.def.length;
    const bool vfp = options_.flavor == DbfFlavor::VisualFoxPro;
    isNull = value.isNull();
    if (width == 0)
        return;
    switch (c.def.type) {
        case 'C': {
            std::memset(out, ' ', static_cast<std::size_t>(width));
            const QByteArray t = textBytes(value).left(width);
            std::memcpy(out, t.constData(), static_cast<std::size_t>(t.size()));
            return;
        }
        case 'V':
        case 'Q': {
            std::memset(out, 0, static_cast<std::size_t>(width));
            const QByteArray t = textBytes(value).left(width);
            std::memcpy(out, t.constData(), static_cast<std::size_t>(t.size()));
            if (t.size() < width) {
                out[width - 1] = static_cast<char>(t.size());
                record_[nullFlagsOffset_ + static_cast<std::uint32_t>(c.lengthBit / 8)] |=
                    static_cast<char>(1 << (c.lengthBit % 8));
            }
            return;
        }
        case 'N':
        case 'F': {
            QByteArray t;
            if (const auto* d = std::get_if<double>(&value.v))
                t = QByteArray::number(*d, 'f', c.def.decimals);
            else if (const auto* i = std::get_if<std::int64_t>(&value.v))
                t = c.def.decimals > 0
                        ? QByteArray::number(static_cast<double>(*i), 'f', c.def.decimals)
                        : QByteArray::number(static_cast<qlonglong>(*i));
            else
                t = textBytes(value);
            putRightAligned(out, width, t);
            return;
        }
        case 'D': {
            std::memset(out, ' ', static_cast<std::size_t>(width));
            QDate date;
            if (const auto* d = std::get_if<QDate>(&value.v))
                date = *d;
            else if (const auto* dt = std::get_if<QDateTime>(&value.v))
                date = dt->date();
            const QByteArray t = date.isValid()
                                     ? date.toString(QStringLiteral("yyyyMMdd")).toLatin1()
                                     : textBytes(value);
            std::memcpy(out, t.constData(),
                        static_cast<std::size_t>(std::min<qsizetype>(t.size(), width)));
            return;
        }
        case 'L': {
            char c0 = options_.flavor == DbfFlavor::Dbase3 ? ' ' : '?';
            if (const auto* b = std::get_if<bool>(&value.v))
                c0 = *b ? 'T' : 'F';
            else if (const QByteArray t = textBytes(value); !t.isEmpty())
                c0 = t[0];
            std::memset(out, ' ', static_cast<std::size_t>(width));
            if (width > 0)
                out[0] = c0;
            return;
        }
        case 'I': {
            std::int64_t i = 0;
            if (const auto* p = std::get_if<std::int64_t>(&value.v))
                i = *p;
            else if (const auto* d = std::get_if<double>(&value.v))
                i = std::llround(*d);
            putLe32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(i)));
            return;
        }
        case 'Y': {
            std::int64_t scaled = 0;
            if (const auto* p = std::get_if<std::int64_t>(&value.v))
                scaled = *p * 10000;
            else if (const auto* d = std::get_if<double>(&value.v))
                scaled = std::llround(*d * 10000.0);
            putLe64(out, static_cast<std::uint64_t>(scaled));
            return;
        }
        case 'T': {
            std::memset(out, 0, 8);
            QDateTime dt;
            if (const auto* p = std::get_if<QDateTime>(&value.v))
                dt = *p;
            else if (const auto* d = std::get_if<QDate>(&value.v))
                dt = QDateTime(*d, QTime(0, 0));
            if (dt.isValid()) {
                putLe32(out, static_cast<std::uint32_t>(dt.date().toJulianDay()));
                putLe32(out + 4, static_cast<std::uint32_t>(dt.time().msecsSinceStartOfDay()));
            }
            return;
        }
        default:
            break;
    }
    if (c.def.type == 'B' && vfp) {
        double d = 0;
        if (const auto* p = std::get_if<double>(&value.v))
            d = *p;
        else if (const auto* i = std::get_if<std::int64_t>(&value.v))
            d = static_cast<double>(*i);
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        putLe64(out, bits);
        return;
    }
    if (c.memo) {
        std::uint32_t block = 0;
        if (!isNull && memo_)
            block = memo_->write(textBytes(value), c.def.type);
        if (width == 4)
            putLe32(out, block);
        else
            putRightAligned(out, width, block ? QByteArray::number(block) : QByteArray());
        return;
    }
    // Any other letter: raw bytes, blank padded (for files with unusual types).
    std::memset(out, ' ', static_cast<std::size_t>(width));
    const QByteArray t = textBytes(value).left(width);
    std::memcpy(out, t.constData(), static_cast<std::size_t>(t.size()));
}

void DbfWriter::addRecord(const std::vector<DbfValue>& values, bool deleted) {
    if (!isOpen() || finished_)
        return;
    record_.fill('\0');
    record_[0] = deleted ? '*' : ' ';
    static const DbfValue kNull;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& c = columns_[i];
        const DbfValue& value = i < values.size() ? values[i] : kNull;
        bool isNull = false;
        encodeValue(c, value, record_.data() + c.offset, isNull);
        if (isNull && c.nullBit >= 0)
            record_[nullFlagsOffset_ + static_cast<std::uint32_t>(c.nullBit / 8)] |=
                static_cast<char>(1 << (c.nullBit % 8));
    }
    chunk_.append(record_);
    ++records_;
    if (chunk_.size() >= kChunkBytes)
        flush();
}

void DbfWriter::flush() {
    file_.write(chunk_);
    chunk_.clear();
}

bool DbfWriter::finish() {
    if (finished_)
        return isOpen();
    finished_ = true;
    if (!file_.isOpen())
        return false;
    flush();
    if (options_.endOfFileMarker)
        file_.write("\x1A", 1);
    file_.seek(0);
    file_.write(headerBytes());
    const bool ok = file_.error() == QFileDevice::NoError;
    file_.close();
    if (memo_)
        memo_->finish();
    return ok && isOpen();
}

}  // namespace ds::test
