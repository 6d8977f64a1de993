#include "dbengine/paradox/TableHeader.h"

#include "dbengine/EngineError.h"
#include "dbengine/io/ReadOnlyFile.h"
#include "dbengine/paradox/Bytes.h"

#include <QString>

#include <cstring>

namespace ds::db::paradox {

namespace {

constexpr int kFixedPart3 = 0x58;  // 3.x: the field array starts here
constexpr int kFixedPart4 = 0x78;  // 4.x and later: after the extension 0x58..0x77
constexpr int kBcdWidth = 17;
constexpr int kBlockHeader = 6;

[[noreturn]] void fail(int number, const ReadOnlyFile& file) {
    throwEngineError(number, QString::fromStdString(file.path()));
}

// Bytes a field takes in the record, or 0 when the declared size is impossible for its type.
int fieldWidth(std::uint8_t type, std::uint8_t size) {
    switch (type) {
        case code::Alpha:
        case code::Bytes:
            return size;
        case code::Short:
            return size == 2 ? 2 : 0;
        case code::Date:
        case code::Long:
        case code::Time:
        case code::AutoIncrement:
            return size == 4 ? 4 : 0;
        case code::Money:
        case code::Number:
        case code::Timestamp:
            return size == 8 ? 8 : 0;
        case code::Logical:
            return size == 1 ? 1 : 0;
        case code::Memo:
        case code::Blob:
        case code::FormattedMemo:
        case code::Ole:
        case code::Graphic:
            return size >= 10 ? size : 0;  // leader plus the 10-byte pointer
        case code::Bcd:
            return size <= 32 ? kBcdWidth : 0;  // the size byte holds the decimal places
        default:
            return 0;
    }
}

// A NUL-terminated string inside [pos, end); false when no NUL ends it there.
bool readCString(const unsigned char* base, std::size_t& pos, std::size_t end, std::string& out) {
    if (pos >= end)
        return false;
    const void* nul = std::memchr(base + pos, 0, end - pos);
    if (!nul)
        return false;
    const auto length =
        static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - base) - pos;
    out.assign(reinterpret_cast<const char*>(base + pos), length);
    pos += length + 1;
    return true;
}

}  // namespace

TableHeader readTableHeader(const ReadOnlyFile& file) {
    unsigned char fixed[kFixedPart3] = {};
    if (file.readAt(0, fixed, sizeof fixed) < sizeof fixed)
        fail(err::WrongFormat, file);

    TableHeader h;
    h.recordSize = le16(fixed + 0x00);
    h.headerSize = le16(fixed + 0x02);
    const std::uint8_t fileType = fixed[0x04];
    const std::uint8_t blockCode = fixed[0x05];
    h.headerRecordCount = le32(fixed + 0x06);
    h.firstBlock = le16(fixed + 0x0E);
    const auto fieldCount = static_cast<std::int16_t>(le16(fixed + 0x21));
    h.sortOrder = fixed[0x29];
    h.version = fixed[0x39];

    // What makes a file a Paradox table: a data file type (0 keyed, 2 unkeyed; index files and
    // foreign formats have other values), a known version and a block size of 1..32 KB.
    if ((fileType != 0 && fileType != 2) || blockCode < 1 || blockCode > 32 || h.version < 3 ||
        h.version > 12 || h.recordSize < 1 || fieldCount < 1 || fieldCount > 255)
        fail(err::WrongFormat, file);
    const bool v4 = h.version >= kFirstVersion4;
    const int fixedEnd = v4 ? kFixedPart4 : kFixedPart3;
    if (h.headerSize < fixedEnd)
        fail(err::WrongFormat, file);
    h.blockSize = blockCode * 1024;

    if (file.size() < static_cast<std::uint64_t>(h.headerSize))
        fail(err::CorruptDatabase, file);
    std::vector<unsigned char> header(static_cast<std::size_t>(h.headerSize));
    file.readExactly(0, header.data(), header.size());
    const unsigned char* p = header.data();
    const auto end = header.size();

    h.key = v4 ? le32(p + 0x5C) : le32(p + 0x25);
    h.codePageWord = v4 ? le16(p + 0x6A) : 0;

    const auto n = static_cast<std::size_t>(fieldCount);
    const std::size_t arrayPos = static_cast<std::size_t>(fixedEnd);
    const std::size_t tableNameLength = h.version >= 12 ? 261 : 79;
    std::size_t namePos = arrayPos + 6 * n + 4 + tableNameLength;
    if (namePos > end)
        fail(err::CorruptDatabase, file);

    h.fields.resize(n);
    int offset = 0;
    for (std::size_t i = 0; i < n; ++i) {
        FieldLayout& f = h.fields[i];
        f.code = p[arrayPos + 2 * i];
        f.sizeByte = p[arrayPos + 2 * i + 1];
        f.width = fieldWidth(f.code, f.sizeByte);
        if (f.width == 0)
            fail(err::CorruptDatabase, file);
        f.offset = offset;
        offset += f.width;
        if (!readCString(p, namePos, end, f.name))
            fail(err::CorruptDatabase, file);
    }
    if (offset != h.recordSize || h.recordSize + kBlockHeader > h.blockSize)
        fail(err::CorruptDatabase, file);

    // The sort order name after the field numbers tells the language driver; optional.
    std::size_t sortPos = namePos + 2 * n;
    if (v4 && !readCString(p, sortPos, end, h.sortOrderName))
        h.sortOrderName.clear();
    return h;
}

}  // namespace ds::db::paradox
