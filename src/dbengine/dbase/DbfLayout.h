#pragma once

#include "dbengine/Recordset.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace ds::db {
class ReadOnlyFile;
}

namespace ds::db::dbase {

// How a field's bytes are stored; decides how they are decoded.
enum class Storage : std::uint8_t {
    Character,   // C: fixed width, blank padded
    VarChar,     // V (Visual FoxPro): length in the last byte when shorter than the field
    VarBinary,   // Q (Visual FoxPro)
    Numeric,     // N, F: ASCII number
    Date,        // D: ASCII YYYYMMDD
    Logical,     // L: one letter
    TextMemo,    // M: pointer into the memo file
    BinaryMemo,  // G, P, W, and B in dBASE IV/5: pointer into the memo file
    Integer,     // I (FoxPro): int32 little-endian
    Currency,    // Y (FoxPro): int64 little-endian, four implied decimals
    DateTime,    // T (FoxPro): int32 Julian day + int32 milliseconds
    Double,      // B (Visual FoxPro): IEEE double little-endian
};

// Which companion file holds the memos, and its block layout.
enum class MemoKind : std::uint8_t {
    None,
    Dbase3,  // .DBT, 512-byte blocks, text ends at 0x1A
    Dbase4,  // .DBT, block size in the header, blocks start FF FF 08 00 + length
    FoxPro,  // .FPT, big-endian block size, blocks start with type + length
};

struct DbfField {
    FieldInfo info;  // what the engine shows: name, type code, size
    Storage storage = Storage::Character;
    char letter = 'C';         // type letter as stored
    std::uint32_t offset = 0;  // from the start of the record (byte 0 is the deletion flag)
    std::uint32_t length = 0;  // bytes in the record
    int nullBit = -1;          // Visual FoxPro: bit in the null flags, -1 when not nullable
    int lengthBit = -1;        // Visual FoxPro V/Q: bit set when the last byte holds the length
};

// The structure of a .DBF file as read from its header.
struct DbfLayout {
    std::uint8_t version = 0;
    std::uint8_t languageDriver = 0;
    int codePage = 850;
    std::uint32_t headerLength = 0;  // where record 1 starts
    std::uint32_t recordLength = 0;
    std::uint32_t headerRecordCount = 0;
    std::uint32_t recordCount = 0;  // the header count clamped to the whole records present
    MemoKind memoKind = MemoKind::None;
    std::vector<DbfField> fields;  // visible fields; the null-flags field is not one of them
    std::uint32_t nullFlagsOffset = 0;
    std::uint32_t nullFlagsLength = 0;  // 0: the table has no null flags

    bool usesMemo() const;
};

// Reads and checks the header of an opened .DBF. Throws EngineError 3274 when the file is not a
// DBF of a version read here, 3049 when the header is cut short. `start` receives the bytes read
// from the beginning of the file (the whole file when it is small).
DbfLayout readDbfLayout(const ReadOnlyFile& file, const QString& path,
                        std::vector<char>* start = nullptr);

// True for the version bytes of the FoxPro family (memo in .FPT).
bool isFoxProVersion(std::uint8_t version);

}  // namespace ds::db::dbase
