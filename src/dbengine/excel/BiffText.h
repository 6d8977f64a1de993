#pragma once

#include "dbengine/excel/RecordReader.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace ds::db::excel {

// Where a string lies in a TextPool. Wide strings are UTF-16LE; narrow ones are 8-bit in the
// code page of their origin (ISO-8859-1 in BIFF8, the workbook's code page before).
struct TextSpan {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;  // bytes
    bool wide = false;
};

// One growing buffer holding many strings back to back, so a table of strings costs one
// allocation instead of one per string.
class TextPool {
  public:
    const char* data(const TextSpan& span) const { return bytes_.data() + span.offset; }
    std::size_t byteSize() const { return bytes_.size(); }

    TextSpan add(const std::uint8_t* bytes, std::size_t size, bool wide);

    // A string put together from pieces (BIFF8 strings may change between 8 and 16 bits at a
    // CONTINUE record): 8-bit pieces stay 8-bit until a 16-bit piece arrives; then the string
    // so far is widened to UTF-16LE.
    void begin();
    void appendNarrow(const std::uint8_t* bytes, std::size_t count);
    void appendWide(const std::uint8_t* bytes, std::size_t count);
    TextSpan finish();

  private:
    void reserveMore(std::size_t bytes);

    std::vector<char> bytes_;
    std::size_t start_ = 0;
    bool wide_ = false;
};

// A string inside one record body, not copied.
struct RawString {
    const std::uint8_t* chars = nullptr;
    std::size_t count = 0;  // characters
    bool wide = false;
    std::size_t end = 0;  // offset after the string (and its formatting data)
};

// BIFF2-7 byte string at pos with a length field of lengthBytes (1 or 2). A string cut off by
// the record's end keeps the characters present.
std::optional<RawString> parseByteString(const std::uint8_t* data, std::size_t size,
                                         std::size_t pos, int lengthBytes);
// BIFF8 string at pos: length, option flags, optional run count and extension size, characters.
std::optional<RawString> parseUnicodeString(const std::uint8_t* data, std::size_t size,
                                            std::size_t pos, int lengthBytes);

// Decodes a raw string: wide ones as UTF-16LE, narrow ones in codePage.
QString toQString(const RawString& s, int codePage);
// The characters as UTF-16 code units, each byte of a narrow string taken as one character.
// Enough to look at the ASCII structure of format codes.
std::u16string toUnits(const RawString& s);

// A record followed by its CONTINUE records, read as one sequence of bytes. Inside the
// characters of a string, each CONTINUE record starts with a fresh option byte that says whether
// the rest is 8 or 16 bits wide.
class ContinuedRecord {
  public:
    ContinuedRecord(RecordReader& reader, const Record& first);

    bool read(std::uint8_t* out, std::size_t length);
    bool skip(std::uint64_t length);
    // Appends count characters to the pool's current string; false when the data ends first.
    bool readChars(std::size_t count, bool wide, TextPool& pool);

  private:
    bool advance();

    RecordReader& reader_;
    std::vector<std::uint8_t> segment_;
    std::size_t pos_ = 0;
};

}  // namespace ds::db::excel
