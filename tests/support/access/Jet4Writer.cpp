#include "support/access/Jet4Writer.h"

#include "dbengine/Recordset.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>
#include <utility>

namespace ds::test {

namespace {

namespace type = ds::db::type;

constexpr int kPageSize = 4096;
constexpr int kDataHeader = 14;       // page type .. row count
constexpr int kMaxRowsPerPage = 255;  // pg_row pointers hold an 8-bit row number
constexpr int kMaxRow = kPageSize - kDataHeader - 2;
constexpr int kChainPiece = kMaxRow - 4;  // a chain piece starts with the next piece's pg_row
constexpr int kInlineMemo = 256;
constexpr int kBitmapMin = 64;  // bytes; real files use 64 (512 pages)
constexpr std::uint32_t kCatalogPage = 2;
constexpr std::uint32_t kLvalOwner = 0x4C41564C;  // "LVAL" read as a little-endian word
constexpr std::uint8_t kBlockKey[4] = {0xC7, 0xDA, 0x39, 0x6B};

void put16(QByteArray& b, int at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(QByteArray& b, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void append16(QByteArray& b, std::uint32_t v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>((v >> 8) & 0xFF));
}
void append32(QByteArray& b, std::uint32_t v) {
    append16(b, v & 0xFFFF);
    append16(b, v >> 16);
}
template <typename T>
void putRaw(QByteArray& b, int at, T value) {
    std::memcpy(b.data() + at, &value, sizeof value);
}

void rc4(const std::uint8_t* key, int keyLength, char* data, int length) {
    std::array<std::uint8_t, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLength]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) & 0xFF]);
    }
}

// Jet 4 text: UCS-2LE, or the compressed form (FF FE, one byte per character U+0001..U+00FF,
// a 00 byte switching to and from two-byte characters) when that is shorter. A string with a
// character whose low byte is 0 cannot be compressed.
QByteArray encodeText(const QString& text, bool compress) {
    QByteArray plain;
    plain.reserve(text.size() * 2);
    bool compressible = compress;
    for (QChar c : text) {
        append16(plain, c.unicode());
        if ((c.unicode() & 0xFF) == 0)
            compressible = false;
    }
    const bool looksCompressed = plain.size() >= 2 && static_cast<std::uint8_t>(plain[0]) == 0xFF &&
                                 static_cast<std::uint8_t>(plain[1]) == 0xFE;
    if (!compressible) {
        if (looksCompressed)
            throw std::invalid_argument("text starting with U+FEFF must be compressible");
        return plain;
    }
    QByteArray packed("\xFF\xFE", 2);
    bool oneByte = true;
    for (QChar c : text) {
        const bool small = c.unicode() <= 0xFF;
        if (small != oneByte) {
            packed.append('\0');
            oneByte = small;
        }
        if (small)
            packed.append(static_cast<char>(c.unicode()));
        else
            append16(packed, c.unicode());
    }
    return packed.size() < plain.size() || looksCompressed ? packed : plain;
}

struct ColumnLayout {
    QString name;
    int type = 0;
    int number = 0;
    bool fixed = false;
    int fixedOffset = 0;
    int varIndex = 0;
    int length = 0;  // bytes in the definition
};

int fixedWidth(int t) {
    switch (t) {
        case type::Boolean:
            return 0;  // lives in the null mask
        case type::Byte:
            return 1;
        case type::Integer:
            return 2;
        case type::Long:
        case type::Single:
            return 4;
        case type::Currency:
        case type::Double:
        case type::Date:
            return 8;
        default:
            return -1;  // variable
    }
}

std::vector<ColumnLayout> layoutOf(const std::vector<Jet4Writer::Column>& columns) {
    std::vector<ColumnLayout> out;
    int fixedOffset = 0;
    int varIndex = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        ColumnLayout c;
        c.name = columns[i].name;
        c.type = columns[i].type;
        c.number = static_cast<int>(i);
        const int width = fixedWidth(c.type);
        if (width >= 0) {
            c.fixed = true;
            c.fixedOffset = fixedOffset;
            c.length = c.type == type::Boolean ? 1 : width;
            fixedOffset += width;
        } else if (c.type == type::Text || c.type == type::Memo || c.type == type::LongBinary) {
            c.varIndex = varIndex++;
            c.length = c.type == type::Text ? 2 * columns[i].textLength : 0;
        } else {
            throw std::invalid_argument("column type not supported by the writer");
        }
        out.push_back(c);
    }
    if (out.size() > 255)
        throw std::invalid_argument("at most 255 columns");
    return out;
}

// Pages of the file under construction and the rows packed into them.
class PageFile {
  public:
    struct OpenPage {
        int page = -1;
        int rows = 0;
        int freeEnd = kPageSize;
    };

    std::uint32_t newPage() {
        pages_.emplace_back(kPageSize, '\0');
        return static_cast<std::uint32_t>(pages_.size() - 1);
    }
    QByteArray& page(std::uint32_t n) { return pages_[n]; }
    std::vector<QByteArray>& pages() { return pages_; }

    // Appends a row to the open page of this kind (or a new one) and returns its pg_row.
    std::uint32_t addRow(OpenPage& open, std::uint32_t owner, const QByteArray& row) {
        if (row.size() > kMaxRow)
            throw std::invalid_argument("row larger than a page");
        if (open.page < 0 || open.rows == kMaxRowsPerPage ||
            open.freeEnd - row.size() < kDataHeader + 2 * (open.rows + 1)) {
            open.page = static_cast<int>(newPage());
            open.rows = 0;
            open.freeEnd = kPageSize;
            QByteArray& p = page(static_cast<std::uint32_t>(open.page));
            p[0] = 0x01;
            p[1] = 0x01;
            put32(p, 4, owner);
            if (owner != kLvalOwner)
                dataPages_[owner].push_back(static_cast<std::uint32_t>(open.page));
        }
        QByteArray& p = page(static_cast<std::uint32_t>(open.page));
        open.freeEnd -= static_cast<int>(row.size());
        std::memcpy(p.data() + open.freeEnd, row.constData(), static_cast<std::size_t>(row.size()));
        put16(p, kDataHeader + 2 * open.rows, static_cast<std::uint32_t>(open.freeEnd));
        ++open.rows;
        put16(p, 12, static_cast<std::uint32_t>(open.rows));
        put16(p, 2, static_cast<std::uint32_t>(open.freeEnd - kDataHeader - 2 * open.rows));
        return static_cast<std::uint32_t>(open.page) << 8 |
               static_cast<std::uint32_t>(open.rows - 1);
    }

    const std::vector<std::uint32_t>& dataPagesOf(std::uint32_t owner) { return dataPages_[owner]; }

  private:
    std::vector<QByteArray> pages_;
    std::map<std::uint32_t, std::vector<std::uint32_t>> dataPages_;
};

// Encodes rows of one table, storing long values on LVAL pages.
class RowEncoder {
  public:
    RowEncoder(PageFile& file, PageFile::OpenPage& lval, const std::vector<ColumnLayout>& layout,
               bool compress)
        : file_(file), lval_(lval), layout_(layout), compress_(compress) {
        for (const ColumnLayout& c : layout_) {
            if (c.fixed)
                fixedSize_ += fixedWidth(c.type);
            else
                ++varCount_;
        }
    }

    QByteArray encode(const QVariantList& values) {
        const int columns = static_cast<int>(layout_.size());
        QByteArray row;
        append16(row, static_cast<std::uint32_t>(columns));
        row.append(QByteArray(fixedSize_, '\0'));
        QByteArray mask((columns + 7) / 8, '\0');
        std::vector<int> offsets(static_cast<std::size_t>(varCount_), 0);
        const auto setBit = [&](int n) {
            mask[n / 8] = static_cast<char>(mask[n / 8] | (1 << (n % 8)));
        };

        for (const ColumnLayout& c : layout_) {
            if (!c.fixed)
                continue;
            const QVariant v = values.value(c.number);
            if (c.type == type::Boolean) {
                if (v.toBool())
                    setBit(c.number);
                continue;
            }
            if (v.isNull())
                continue;
            setBit(c.number);
            const int at = 2 + c.fixedOffset;
            switch (c.type) {
                case type::Byte:
                    row[at] = static_cast<char>(v.toInt());
                    break;
                case type::Integer:
                    put16(row, at, static_cast<std::uint32_t>(v.toInt()));
                    break;
                case type::Long:
                    put32(row, at, static_cast<std::uint32_t>(v.toInt()));
                    break;
                case type::Currency:
                    putRaw(row, at, static_cast<std::int64_t>(std::llround(v.toDouble() * 10000)));
                    break;
                case type::Single:
                    putRaw(row, at, v.toFloat());
                    break;
                case type::Double:
                    putRaw(row, at, v.toDouble());
                    break;
                case type::Date:
                    putRaw(row, at,
                           v.userType() == QMetaType::QDateTime
                               ? Jet4Writer::accessDate(v.toDateTime())
                               : v.toDouble());
                    break;
                default:
                    break;
            }
        }
        if (varCount_ == 0) {
            row.append(mask);
            return row;
        }
        for (const ColumnLayout& c : layout_) {
            if (c.fixed)
                continue;
            offsets[static_cast<std::size_t>(c.varIndex)] = static_cast<int>(row.size());
            const QVariant v = values.value(c.number);
            if (v.isNull())
                continue;
            setBit(c.number);
            if (c.type == type::Text)
                row.append(encodeText(v.toString(), compress_));
            else
                row.append(longValue(c.type == type::Memo ? encodeText(v.toString(), compress_)
                                                          : v.toByteArray()));
        }
        append16(row, static_cast<std::uint32_t>(row.size()));  // end of the variable data
        for (int k = varCount_ - 1; k >= 0; --k)
            append16(row, static_cast<std::uint32_t>(offsets[static_cast<std::size_t>(k)]));
        append16(row, static_cast<std::uint32_t>(varCount_));
        row.append(mask);
        return row;
    }

  private:
    // The 12-byte memo header and, for short values, the value itself.
    QByteArray longValue(const QByteArray& bytes) {
        QByteArray slot;
        const auto length = static_cast<std::uint32_t>(bytes.size());
        if (bytes.size() <= kInlineMemo) {
            append32(slot, length | 0x80000000u);
            append32(slot, 0);
            append32(slot, 0);
            slot.append(bytes);
        } else if (bytes.size() <= kMaxRow) {
            append32(slot, length | 0x40000000u);
            append32(slot, file_.addRow(lval_, kLvalOwner, bytes));
            append32(slot, 0);
        } else {
            // Pieces are stored last first so that each knows where its successor went.
            std::uint32_t next = 0;
            const int pieces = (static_cast<int>(bytes.size()) + kChainPiece - 1) / kChainPiece;
            for (int k = pieces - 1; k >= 0; --k) {
                QByteArray piece;
                append32(piece, next);
                piece.append(bytes.mid(k * kChainPiece, kChainPiece));
                next = file_.addRow(lval_, kLvalOwner, piece);
            }
            append32(slot, length);
            append32(slot, next);
            append32(slot, 0);
        }
        return slot;
    }

    PageFile& file_;
    PageFile::OpenPage& lval_;
    const std::vector<ColumnLayout>& layout_;
    bool compress_;
    int fixedSize_ = 0;
    int varCount_ = 0;
};

QByteArray tableDefinition(const std::vector<ColumnLayout>& layout, std::uint32_t rows, bool system,
                           std::uint32_t mapRow) {
    QByteArray p(kPageSize, '\0');
    p[0] = 0x02;
    p[1] = 0x01;
    put32(p, 16, rows);
    p[40] = static_cast<char>(system ? 0x53 : 0x4E);
    int varColumns = 0;
    for (const ColumnLayout& c : layout)
        varColumns += c.fixed ? 0 : 1;
    put16(p, 41, static_cast<std::uint32_t>(layout.size()));
    put16(p, 43, static_cast<std::uint32_t>(varColumns));
    put16(p, 45, static_cast<std::uint32_t>(layout.size()));
    put32(p, 55, mapRow);
    put32(p, 59, mapRow);  // free-space map: the same row will do
    int at = 63;
    for (const ColumnLayout& c : layout) {
        if (at + 25 > kPageSize)
            throw std::invalid_argument("table definition larger than a page");
        p[at] = static_cast<char>(c.type);
        put16(p, at + 5, static_cast<std::uint32_t>(c.number));
        put16(p, at + 7, static_cast<std::uint32_t>(c.varIndex));
        put16(p, at + 9, static_cast<std::uint32_t>(c.number));
        if (c.type == type::Text || c.type == type::Memo)
            put16(p, at + 11, 0x0409);
        p[at + 15] = static_cast<char>(c.fixed ? 0x03 : 0x02);
        p[at + 16] = static_cast<char>(c.type == type::Text || c.type == type::Memo ? 0x01 : 0x00);
        put16(p, at + 21, static_cast<std::uint32_t>(c.fixed ? c.fixedOffset : 0));
        put16(p, at + 23, static_cast<std::uint32_t>(c.length));
        at += 25;
    }
    for (const ColumnLayout& c : layout) {
        const auto bytes = static_cast<int>(c.name.size() * 2);
        if (at + 2 + bytes > kPageSize - 10)
            throw std::invalid_argument("table definition larger than a page");
        put16(p, at, static_cast<std::uint32_t>(bytes));
        at += 2;
        for (QChar ch : c.name) {
            put16(p, at, ch.unicode());
            at += 2;
        }
    }
    put16(p, at, 0xFFFF);  // end of the (empty) variable-column usage list
    at += 10;
    put32(p, 8, static_cast<std::uint32_t>(at - 8));
    put16(p, 2, static_cast<std::uint32_t>(kPageSize - at));
    return p;
}

// A type 0 usage map row: start page and one bit per page from there.
QByteArray usageMap(const std::vector<std::uint32_t>& pages) {
    QByteArray row(1, '\0');
    const std::uint32_t start = pages.empty() ? 0 : pages.front();
    append32(row, start);
    int bytes = kBitmapMin;
    if (!pages.empty())
        bytes = std::max(bytes, static_cast<int>((pages.back() - start) / 8 + 1));
    QByteArray bitmap(bytes, '\0');
    for (std::uint32_t pg : pages) {
        const std::uint32_t bit = pg - start;
        bitmap[static_cast<int>(bit / 8)] =
            static_cast<char>(bitmap[static_cast<int>(bit / 8)] | (1 << (bit % 8)));
    }
    row.append(bitmap);
    if (row.size() > kMaxRow)
        throw std::invalid_argument("table spans more pages than one usage map row covers");
    return row;
}

QByteArray headerPage(const QString& password, double creationDate, std::uint32_t pageKey) {
    QByteArray p(kPageSize, '\0');
    p[1] = 0x01;
    std::memcpy(p.data() + 4, "Standard Jet DB", 16);
    put32(p, 0x14, 1);
    QByteArray block(128, '\0');
    const auto at = [](int offset) { return offset - 0x18; };
    put16(block, at(0x3C), 1252);
    put32(block, at(0x3E), pageKey);
    put32(block, at(0x6E), 0x0409);
    putRaw(block, at(0x72), creationDate);
    const auto days = static_cast<std::uint32_t>(static_cast<std::int32_t>(creationDate));
    const std::uint8_t mask[4] = {
        static_cast<std::uint8_t>(days), static_cast<std::uint8_t>(days >> 8),
        static_cast<std::uint8_t>(days >> 16), static_cast<std::uint8_t>(days >> 24)};
    QByteArray secret(40, '\0');
    for (int i = 0; i < std::min<int>(20, static_cast<int>(password.size())); ++i)
        put16(secret, 2 * i, password[i].unicode());
    for (int i = 0; i < 40; ++i)
        block[at(0x42) + i] = static_cast<char>(secret[i] ^ mask[i % 4]);
    rc4(kBlockKey, 4, block.data(), static_cast<int>(block.size()));
    std::memcpy(p.data() + 0x18, block.constData(), 128);
    return p;
}

}  // namespace

int Jet4Writer::addTable(const QString& name, std::vector<Column> columns, std::uint32_t flags) {
    Table t;
    t.name = name;
    t.columns = std::move(columns);
    t.flags = flags;
    layoutOf(t.columns);  // rejects what cannot be written, now rather than at build()
    tables_.push_back(std::move(t));
    return static_cast<int>(tables_.size() - 1);
}

void Jet4Writer::addRow(int table, const QVariantList& values) {
    Table& t = tables_.at(static_cast<std::size_t>(table));
    if (!t.generated.empty())
        throw std::logic_error("explicit rows must come before generated ones");
    t.rows.push_back(values);
}

void Jet4Writer::addRows(int table, int count, RowSource source) {
    tables_.at(static_cast<std::size_t>(table)).generated.emplace_back(count, std::move(source));
}

void Jet4Writer::addLinkedTable(const QString& name) {
    Table t;
    t.name = name;
    t.linked = true;
    tables_.push_back(std::move(t));
}

double Jet4Writer::accessDate(const QDateTime& dateTime) {
    const qint64 days = QDate(1899, 12, 30).daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

QByteArray Jet4Writer::build() const {
    PageFile file;
    file.newPage();                                     // 0: header, filled last
    const std::uint32_t firstMapPage = file.newPage();  // 1: usage maps
    file.newPage();                                     // 2: catalog definition
    std::vector<std::uint32_t> definitionPage(tables_.size(), 0);
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (!tables_[i].linked)
            definitionPage[i] = file.newPage();
    }

    PageFile::OpenPage lval;
    std::vector<std::uint32_t> rowCounts(tables_.size(), 0);
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        const Table& t = tables_[i];
        if (t.linked)
            continue;
        const auto layout = layoutOf(t.columns);
        RowEncoder encoder(file, lval, layout, compressText_);
        PageFile::OpenPage data;
        for (const QVariantList& row : t.rows) {
            file.addRow(data, definitionPage[i], encoder.encode(row));
            ++rowCounts[i];
        }
        for (const auto& [count, source] : t.generated) {
            for (int r = 0; r < count; ++r) {
                file.addRow(data, definitionPage[i], encoder.encode(source(r)));
                ++rowCounts[i];
            }
        }
    }

    // The catalog: its own row, then one per table, in the order they were added.
    const std::vector<ColumnLayout> catalog = layoutOf({{"Id", type::Long},
                                                        {"ParentId", type::Long},
                                                        {"Name", type::Text, 128},
                                                        {"Type", type::Integer},
                                                        {"DateCreate", type::Date},
                                                        {"Flags", type::Long},
                                                        {"LvProp", type::LongBinary}});
    {
        RowEncoder encoder(file, lval, catalog, compressText_);
        PageFile::OpenPage data;
        const QVariant tablesContainer = static_cast<int>(0x0F000001);
        const QVariant created = creationDate_;
        file.addRow(data, kCatalogPage,
                    encoder.encode({static_cast<int>(kCatalogPage), tablesContainer,
                                    QStringLiteral("MSysObjects"), 1, created,
                                    static_cast<int>(0x80000000u), QVariant()}));
        for (std::size_t i = 0; i < tables_.size(); ++i) {
            const Table& t = tables_[i];
            const int id =
                t.linked ? static_cast<int>(0x0100000 + i) : static_cast<int>(definitionPage[i]);
            file.addRow(data, kCatalogPage,
                        encoder.encode({id, tablesContainer, t.name, t.linked ? 6 : 1, created,
                                        static_cast<int>(t.flags), QVariant()}));
        }
    }

    // Usage maps, on page 1 and as many further pages as they need.
    PageFile::OpenPage maps;
    maps.page = static_cast<int>(firstMapPage);
    file.page(firstMapPage)[0] = 0x01;
    file.page(firstMapPage)[1] = 0x01;
    const std::uint32_t catalogMap = file.addRow(maps, 0, usageMap(file.dataPagesOf(kCatalogPage)));
    file.page(kCatalogPage) =
        tableDefinition(catalog, static_cast<std::uint32_t>(tables_.size() + 1), true, catalogMap);
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        const Table& t = tables_[i];
        if (t.linked)
            continue;
        const std::uint32_t map =
            file.addRow(maps, 0, usageMap(file.dataPagesOf(definitionPage[i])));
        file.page(definitionPage[i]) =
            tableDefinition(layoutOf(t.columns), rowCounts[i], (t.flags & SystemFlags) != 0, map);
    }

    file.page(0) = headerPage(password_, creationDate_, pageKey_);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(file.pages().size()) * kPageSize);
    for (std::size_t n = 0; n < file.pages().size(); ++n) {
        QByteArray& p = file.pages()[n];
        if (pageKey_ != 0 && n > 0) {
            const std::uint32_t k = pageKey_ ^ static_cast<std::uint32_t>(n);
            const std::uint8_t key[4] = {
                static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
            rc4(key, 4, p.data(), kPageSize);
        }
        out.append(p);
    }
    return out;
}

bool Jet4Writer::writeTo(const QString& path) const {
    const QByteArray bytes = build();
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace ds::test
