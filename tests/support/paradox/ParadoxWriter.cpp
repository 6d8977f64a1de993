#include "support/paradox/ParadoxWriter.h"

#include "dbengine/CodePages.h"
#include "dbengine/paradox/ParadoxCrypt.h"
#include "support/TempDir.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ds::test {

namespace {

constexpr int kBlockHeader = 6;
constexpr int kBlobPointer = 10;
constexpr int kUnit = 4096;
constexpr int kSuballocLimit = 2048;  // shorter blobs share a 4 KB block
constexpr int kFirstDataUnit = 0x15;  // data of a shared block starts at 0x150
constexpr std::int64_t kJulianDayZero = 1721425;

void put16(QByteArray& b, int pos, std::uint32_t v) {
    b[pos] = static_cast<char>(v & 0xFF);
    b[pos + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(QByteArray& b, int pos, std::uint32_t v) {
    put16(b, pos, v & 0xFFFF);
    put16(b, pos + 2, v >> 16);
}

QByteArray flippedInteger(std::int64_t value, int width) {
    QByteArray out(width, '\0');
    auto u = static_cast<std::uint64_t>(value);
    for (int i = width - 1; i >= 0; --i, u >>= 8)
        out[i] = static_cast<char>(u & 0xFF);
    out[0] = static_cast<char>(out[0] ^ 0x80);
    return out;
}

QByteArray flippedDouble(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    bits = negative ? ~bits : bits | (std::uint64_t{1} << 63);
    QByteArray out(8, '\0');
    for (int i = 7; i >= 0; --i, bits >>= 8)
        out[i] = static_cast<char>(bits & 0xFF);
    return out;
}

QByteArray bcd(double value, int decimals) {
    QByteArray out(17, '\0');
    const bool negative = value < 0;
    const QString digits =
        QString::number(std::fabs(value), 'f', decimals).remove(QLatin1Char('.'));
    int nibbles[32] = {};
    for (int i = 0; i < digits.size() && i < 32; ++i)
        nibbles[31 - i] = digits[digits.size() - 1 - i].digitValue();
    out[0] = static_cast<char>((negative ? 0 : 0x80) | 0x40 | decimals);
    for (int i = 0; i < 32; ++i) {
        const int n = negative ? 15 - nibbles[i] : nibbles[i];
        out[1 + i / 2] = static_cast<char>(out[1 + i / 2] | (i % 2 == 0 ? n << 4 : n));
    }
    return out;
}

std::uint8_t typeCode(char type) {
    switch (type) {
        case 'A':
            return 0x01;
        case 'D':
            return 0x02;
        case 'S':
            return 0x03;
        case 'I':
            return 0x04;
        case '$':
            return 0x05;
        case 'N':
            return 0x06;
        case 'L':
            return 0x09;
        case 'M':
            return 0x0C;
        case 'B':
            return 0x0D;
        case 'F':
            return 0x0E;
        case 'O':
            return 0x0F;
        case 'G':
            return 0x10;
        case 'T':
            return 0x14;
        case '@':
            return 0x15;
        case '+':
            return 0x16;
        case '#':
            return 0x17;
        case 'Y':
            return 0x18;
        default:
            return 0;
    }
}

int fixedSize(char type) {
    switch (type) {
        case 'D':
        case 'I':
        case 'T':
        case '+':
            return 4;
        case 'S':
            return 2;
        case '$':
        case 'N':
        case '@':
            return 8;
        case 'L':
            return 1;
        default:
            return 0;
    }
}

// The rich-text wrapper of a formatted memo: entry count, text length with its NUL, six
// formatting entries as Paradox writes them for plain text, the text.
QByteArray formattedMemo(const QByteArray& text) {
    static const std::uint16_t kEntries[6][2] = {{0x0A, 0x11}, {3, 8},    {2, 6},
                                                 {4, 8},       {6, 0x36}, {7, 0x16}};
    QByteArray out(44, '\0');
    put32(out, 0, 7);
    put32(out, 4, static_cast<std::uint32_t>(text.size() + 1));
    for (int i = 0; i < 6; ++i) {
        put16(out, 8 + 6 * i, kEntries[i][0]);
        put32(out, 10 + 6 * i, kEntries[i][1]);
    }
    return out + text + QByteArray(1, '\0');
}

QByteArray prefixed(const QByteArray& data, char kind) {
    QByteArray head(8, '\0');
    head[0] = 1;
    head[3] = kind;
    put32(head, 4, static_cast<std::uint32_t>(data.size()));
    return head + data;
}

}  // namespace

// Lays blobs out in the .MB: header block, shared 4 KB blocks (slots from 63 down, data from
// 0x150 up), whole blocks for long blobs.
class ParadoxWriter::BlobStore {
  public:
    bool empty() const { return mb_.isEmpty(); }
    const QByteArray& bytes() const { return mb_; }

    std::uint32_t add(const QByteArray& data) {
        if (mb_.isEmpty())
            mb_ = headerBlock();
        if (data.size() >= kSuballocLimit)
            return addSingle(data);
        const int units = (static_cast<int>(data.size()) + 15) / 16;
        if (shared_ < 0 || slot_ < 0 || nextUnit_ + units > kUnit / 16) {
            shared_ = static_cast<int>(mb_.size());
            QByteArray block(kUnit, '\0');
            block[0] = 3;
            put16(block, 1, 1);
            mb_ += block;
            slot_ = 63;
            nextUnit_ = kFirstDataUnit;
        }
        const int entry = shared_ + 12 + 5 * slot_;
        mb_[entry] = static_cast<char>(nextUnit_);
        mb_[entry + 1] = static_cast<char>(units);
        put16(mb_, entry + 2, 1);
        mb_[entry + 4] = static_cast<char>(data.size() - (units - 1) * 16);
        mb_.replace(shared_ + nextUnit_ * 16, data.size(), data);
        nextUnit_ += units;
        return static_cast<std::uint32_t>(shared_) | static_cast<std::uint32_t>(slot_--);
    }

  private:
    static QByteArray headerBlock() {
        QByteArray block(kUnit, '\0');
        const char fixed[] = {0x00, 0x01, 0x00, 0x01, 0x00, char(0x82), 0x73,
                              0x02, 0x00, 0x29, 0x00, 0x00, 0x10,       0x00,
                              0x10, 0x00, 0x10, 0x40, 0x00, 0x00,       0x08};
        std::memcpy(block.data(), fixed, sizeof fixed);
        return block;
    }

    std::uint32_t addSingle(const QByteArray& data) {
        const int offset = static_cast<int>(mb_.size());
        const int units = (9 + static_cast<int>(data.size()) + kUnit - 1) / kUnit;
        QByteArray block(units * kUnit, '\0');
        block[0] = 2;
        put16(block, 1, static_cast<std::uint32_t>(units));
        put32(block, 3, static_cast<std::uint32_t>(data.size()));
        put16(block, 7, 1);
        block.replace(9, data.size(), data);
        mb_ += block;
        return static_cast<std::uint32_t>(offset) | 0xFF;
    }

    QByteArray mb_;
    int shared_ = -1;
    int slot_ = -1;
    int nextUnit_ = 0;
};

ParadoxWriter::ParadoxWriter(Version version) : version_(version) {}

ParadoxWriter& ParadoxWriter::setCodePage(int codePage) {
    codePage_ = codePage;
    return *this;
}

ParadoxWriter& ParadoxWriter::setSortOrder(std::uint8_t code, const QByteArray& name) {
    sortCode_ = code;
    sortName_ = name;
    return *this;
}

ParadoxWriter& ParadoxWriter::setPassword(const QString& password) {
    password_ = password;
    return *this;
}

ParadoxWriter& ParadoxWriter::setBlockSizeKb(int kilobytes) {
    blockKb_ = kilobytes;
    return *this;
}

ParadoxWriter& ParadoxWriter::setKeyed(bool keyed) {
    keyed_ = keyed;
    return *this;
}

ParadoxWriter& ParadoxWriter::setReverseBlockOrder(bool reverse) {
    reverse_ = reverse;
    return *this;
}

ParadoxWriter& ParadoxWriter::addField(const QString& name, char type, int size) {
    if (fixedSize(type) != 0)
        size = fixedSize(type);
    fields_.push_back(Field{name, type, size});
    return *this;
}

ParadoxWriter& ParadoxWriter::addRecord(const QVariantList& values) {
    records_.push_back(values);
    return *this;
}

int ParadoxWriter::codePage() const {
    if (codePage_ >= 0)
        return codePage_;
    return isV4() ? db::cp::Windows1252 : db::cp::Dos850;
}

std::uint32_t ParadoxWriter::key() const {
    if (password_.isEmpty())
        return 0;
    const QByteArray pw = db::encodeText(password_, codePage() ? codePage() : db::cp::Windows1252);
    return db::paradox::passwordKey(reinterpret_cast<const unsigned char*>(pw.constData()),
                                    static_cast<std::size_t>(pw.size()));
}

int ParadoxWriter::recordSize() const {
    int size = 0;
    for (const Field& f : fields_)
        size += f.type == '#' ? 17 : f.size;
    return size;
}

int ParadoxWriter::recordsPerBlock() const {
    return (blockSize() - kBlockHeader) / recordSize();
}

int ParadoxWriter::headerSize() const {
    const int n = static_cast<int>(fields_.size());
    int used = (isV4() ? 0x78 : 0x58) + 6 * n + 4 + (version_ == Version::V7 ? 261 : 79);
    for (const Field& f : fields_)
        used += static_cast<int>(f.name.size()) * 2 + 1;  // room for any code page
    used += 2 * n + static_cast<int>(sortName_.size()) + 1;
    return (used + 0x7FF) / 0x800 * 0x800;
}

QByteArray ParadoxWriter::encodeText(const QVariant& value) const {
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return db::encodeText(value.toString(), codePage() ? codePage() : db::cp::Windows1252);
}

QByteArray ParadoxWriter::encodeRecord(const QVariantList& values, BlobStore& blobs) const {
    QByteArray record;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const Field& f = fields_[i];
        const QVariant v = values.value(static_cast<qsizetype>(i));
        const int width = f.type == '#' ? 17 : f.size;
        QByteArray bytes(width, '\0');
        if (!v.isNull()) {
            switch (f.type) {
                case 'A':
                case 'Y':
                    bytes = (f.type == 'A' ? encodeText(v) : v.toByteArray()).left(width);
                    break;
                case 'S':
                case 'I':
                case '+':
                    bytes = flippedInteger(v.toLongLong(), width);
                    break;
                case 'N':
                case '$':
                    bytes = flippedDouble(v.toDouble());
                    break;
                case '#':
                    bytes = bcd(v.toDouble(), f.size);
                    break;
                case 'L':
                    bytes[0] = static_cast<char>(v.toBool() ? 0x81 : 0x80);
                    break;
                case 'D':
                    bytes = flippedInteger(v.toDate().toJulianDay() - kJulianDayZero, 4);
                    break;
                case 'T':
                    bytes = flippedInteger(v.toTime().msecsSinceStartOfDay(), 4);
                    break;
                case '@': {
                    const QDateTime t = v.toDateTime();
                    const double ms = double(t.date().toJulianDay() - kJulianDayZero) * 86400000.0 +
                                      t.time().msecsSinceStartOfDay();
                    bytes = flippedDouble(ms);
                    break;
                }
                default: {  // blobs
                    QByteArray data =
                        (f.type == 'M' || f.type == 'F') ? encodeText(v) : v.toByteArray();
                    QByteArray leaderCopy = data;
                    if (f.type == 'F') {
                        data = formattedMemo(data);
                        leaderCopy = data;
                    } else if (f.type == 'G' || f.type == 'O') {
                        data = prefixed(data, f.type == 'G' ? 1 : 2);
                    }
                    const int leader = width - kBlobPointer;
                    if (data.isEmpty())
                        break;
                    if (data.size() <= leader) {
                        bytes.replace(0, data.size(), data);
                        put32(bytes, leader + 4, static_cast<std::uint32_t>(data.size()));
                    } else {
                        bytes.replace(0, leader,
                                      leaderCopy.left(leader).leftJustified(leader, '\0'));
                        put32(bytes, leader, blobs.add(data));
                        put32(bytes, leader + 4, static_cast<std::uint32_t>(data.size()));
                        put16(bytes, leader + 8, 1);
                    }
                    break;
                }
            }
            bytes = bytes.leftJustified(width, '\0', true);
        }
        record += bytes;
    }
    return record;
}

QByteArray ParadoxWriter::buildHeader(const QString& tableName, int blocks, int firstBlock,
                                      int lastBlock) const {
    const int size = headerSize();
    const int n = static_cast<int>(fields_.size());
    QByteArray h(size, '\0');
    const std::uint32_t k = key();
    qint64 autoIncrement = 0;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].type != '+')
            continue;
        for (const QVariantList& r : records_)
            autoIncrement = std::max(autoIncrement, r.value(qsizetype(i)).toLongLong());
    }
    const auto version = static_cast<std::uint8_t>(version_);
    put16(h, 0x00, static_cast<std::uint32_t>(recordSize()));
    put16(h, 0x02, static_cast<std::uint32_t>(size));
    h[0x04] = static_cast<char>(keyed_ ? 0 : 2);
    h[0x05] = static_cast<char>(blockKb_);
    put32(h, 0x06, static_cast<std::uint32_t>(records_.size()));
    put16(h, 0x0A, static_cast<std::uint32_t>(blocks));
    put16(h, 0x0C, static_cast<std::uint32_t>(blocks));
    put16(h, 0x0E, static_cast<std::uint32_t>(firstBlock));
    put16(h, 0x10, static_cast<std::uint32_t>(lastBlock));
    put16(h, 0x21, static_cast<std::uint32_t>(n));
    put16(h, 0x23, keyed_ ? 1 : 0);
    h[0x29] = static_cast<char>(sortCode_);
    h[0x39] = static_cast<char>(version);
    put16(h, 0x3A, static_cast<std::uint32_t>(blocks));
    if (k == 0)
        put16(h, 0x3E, 0x0F1F);
    put32(h, 0x49, static_cast<std::uint32_t>(autoIncrement));
    int pos;
    if (isV4()) {
        put32(h, 0x25, 0xFF00FF00u);
        h[0x56] = 0x20;
        put16(h, 0x58, 0x100u + version);
        put16(h, 0x5A, 0x100u + version);
        put32(h, 0x5C, k);
        put16(h, 0x64, static_cast<std::uint32_t>(n + 1));
        put16(h, 0x6A, static_cast<std::uint32_t>(codePage()));
        pos = 0x78;
    } else {
        put32(h, 0x25, k);
        pos = 0x58;
    }
    for (const Field& f : fields_) {
        h[pos++] = static_cast<char>(typeCode(f.type));
        h[pos++] = static_cast<char>(f.size);
    }
    pos += 4 + 4 * n;
    const int nameRoom = version_ == Version::V7 ? 261 : 79;
    const QByteArray name = (tableName + QStringLiteral(".DB")).toLatin1().left(nameRoom - 1);
    h.replace(pos, name.size(), name);
    pos += nameRoom;
    for (const Field& f : fields_) {
        const QByteArray bytes = encodeText(f.name);
        h.replace(pos, bytes.size(), bytes);
        pos += static_cast<int>(bytes.size()) + 1;
    }
    if (isV4()) {
        for (int i = 1; i <= n; ++i, pos += 2)
            put16(h, pos, static_cast<std::uint32_t>(i));
        h.replace(pos, sortName_.size(), sortName_);
        pos += static_cast<int>(sortName_.size()) + 1;
        put16(h, 0x51, static_cast<std::uint32_t>(pos));
    }
    return h;
}

ParadoxWriter::Files ParadoxWriter::build(const QString& tableName) const {
    BlobStore blobs;
    const int perBlock = recordsPerBlock();
    const int count = static_cast<int>(records_.size());
    const int blocks = (count + perBlock - 1) / perBlock;
    auto physical = [&](int chainIndex) { return reverse_ ? blocks - chainIndex : chainIndex + 1; };

    QByteArray body(blocks * blockSize(), '\0');
    for (int i = 0; i < blocks; ++i) {
        QByteArray block(blockSize(), '\0');
        const int first = i * perBlock;
        const int inBlock = std::min(perBlock, count - first);
        put16(block, 0, i + 1 < blocks ? static_cast<std::uint32_t>(physical(i + 1)) : 0);
        put16(block, 2, i > 0 ? static_cast<std::uint32_t>(physical(i - 1)) : 0);
        put16(block, 4, static_cast<std::uint32_t>((inBlock - 1) * recordSize()));
        int pos = kBlockHeader;
        for (int r = first; r < first + inBlock; ++r) {
            const QByteArray record = encodeRecord(records_[static_cast<std::size_t>(r)], blobs);
            block.replace(pos, record.size(), record);
            pos += static_cast<int>(record.size());
        }
        const int k = physical(i);
        if (key() != 0)
            db::paradox::encryptDataBlock(reinterpret_cast<unsigned char*>(block.data()),
                                          static_cast<std::size_t>(block.size()), key(),
                                          static_cast<std::uint32_t>(k));
        body.replace((k - 1) * blockSize(), block.size(), block);
    }

    Files files;
    files.table = buildHeader(tableName, blocks, blocks ? physical(0) : 0,
                              blocks ? physical(blocks - 1) : 0) +
                  body;
    files.blobs = blobs.bytes();
    if (key() != 0 && !files.blobs.isEmpty())
        db::paradox::encryptBlobChunks(reinterpret_cast<unsigned char*>(files.blobs.data()),
                                       static_cast<std::size_t>(files.blobs.size()), key());
    return files;
}

bool ParadoxWriter::writeTo(const QString& folder, const QString& tableName) const {
    const Files files = build(tableName);
    const QDir dir(folder);
    if (!writeFile(dir.filePath(tableName + QStringLiteral(".DB")), files.table))
        return false;
    return files.blobs.isEmpty() ||
           writeFile(dir.filePath(tableName + QStringLiteral(".MB")), files.blobs);
}

}  // namespace ds::test
