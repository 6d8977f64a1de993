#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ds::db {
class ReadOnlyFile;
}

namespace ds::db::paradox {

// Field type codes as the field array stores them.
namespace code {
constexpr std::uint8_t Alpha = 0x01;
constexpr std::uint8_t Date = 0x02;
constexpr std::uint8_t Short = 0x03;
constexpr std::uint8_t Long = 0x04;
constexpr std::uint8_t Money = 0x05;
constexpr std::uint8_t Number = 0x06;
constexpr std::uint8_t Logical = 0x09;
constexpr std::uint8_t Memo = 0x0C;
constexpr std::uint8_t Blob = 0x0D;
constexpr std::uint8_t FormattedMemo = 0x0E;
constexpr std::uint8_t Ole = 0x0F;
constexpr std::uint8_t Graphic = 0x10;
constexpr std::uint8_t Time = 0x14;
constexpr std::uint8_t Timestamp = 0x15;
constexpr std::uint8_t AutoIncrement = 0x16;
constexpr std::uint8_t Bcd = 0x17;
constexpr std::uint8_t Bytes = 0x18;
}  // namespace code

inline bool isBlobCode(std::uint8_t c) {
    return c == code::Memo || c == code::Blob || c == code::FormattedMemo || c == code::Ole ||
           c == code::Graphic;
}

// Version byte at 0x39: 3 = 3.0, 4 = 3.5, 5..9 = 4.x, 10..11 = 5.x, 12 = 7.x.
constexpr int kFirstVersion4 = 5;

struct FieldLayout {
    std::string name;  // raw bytes in the table's code page
    std::uint8_t code = 0;
    std::uint8_t sizeByte = 0;  // declared size; for BCD the number of decimal places
    int offset = 0;             // within the record
    int width = 0;              // bytes the field takes in the record
};

struct TableHeader {
    int recordSize = 0;
    int headerSize = 0;  // data block 1 starts here
    int blockSize = 0;   // bytes
    int version = 0;
    std::uint32_t headerRecordCount = 0;
    int firstBlock = 0;          // 0 for an empty table
    std::uint32_t key = 0;       // 0 = not encrypted
    int codePageWord = 0;        // 4.x and later; 0 when absent
    std::uint8_t sortOrder = 0;  // sort order code at 0x29
    std::string sortOrderName;   // 4.x and later, e.g. "ascii"; may be empty
    std::vector<FieldLayout> fields;

    bool encrypted() const { return key != 0; }
};

// Reads and checks a table header. EngineError 3274 when the file is not a Paradox table at
// all (wrong file type, version, block size: a SQLite .db lands here), 3049 when it looks like
// one but its header is damaged or cut short.
TableHeader readTableHeader(const ReadOnlyFile& file);

}  // namespace ds::db::paradox
