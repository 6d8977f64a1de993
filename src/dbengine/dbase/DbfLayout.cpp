#include "dbengine/dbase/DbfLayout.h"

#include "dbengine/CodePages.h"
#include "dbengine/EngineError.h"
#include "dbengine/dbase/ByteOrder.h"
#include "dbengine/dbase/LanguageDrivers.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <array>
#include <cctype>
#include <optional>

namespace ds::db::dbase {

namespace {

constexpr std::uint32_t kFileHeaderSize = 32;
constexpr std::uint64_t kStartBytes = 64 * 1024;
constexpr std::uint32_t kDescriptorSize = 32;
constexpr char kHeaderTerminator = 0x0D;
constexpr std::uint8_t kFieldNullable = 0x02;

// The versions read here and where their memos live. dBASE II (0x02) and dBASE 7 (0x8C, and
// 0x04 with level-7 descriptors, which fail the descriptor checks) are not among them.
std::optional<MemoKind> memoKindOfVersion(std::uint8_t version) {
    switch (version) {
        case 0x03:  // dBASE III/IV/5, FoxBASE+, FoxPro without memo
        case 0x04:
        case 0x05:
        case 0x43:  // dBASE IV SQL table / system files
        case 0x63:
            return MemoKind::None;
        case 0x83:
            return MemoKind::Dbase3;
        case 0x7B:
        case 0x8B:
        case 0xCB:
            return MemoKind::Dbase4;
        case 0x30:  // Visual FoxPro, with autoincrement, with varchar/blob
        case 0x31:
        case 0x32:
        case 0xF5:  // FoxPro 2.x with memo
        case 0xFB:
            return MemoKind::FoxPro;
        default:
            return std::nullopt;
    }
}

bool isVisualFoxPro(std::uint8_t version) {
    return version >= 0x30 && version <= 0x32;
}

[[noreturn]] void wrongFormat() {
    throwEngineError(err::WrongFormat);
}

struct TypeRule {
    Storage storage;
    int engineType;
    int fixedLength;  // 0: any length
};

// Type letter -> storage; false for letters not used by the versions read here. B is a double
// in Visual FoxPro and a binary memo in dBASE IV/5.
bool ruleForLetter(char letter, bool vfp, TypeRule& rule) {
    switch (letter) {
        case 'C':
            rule = {Storage::Character, type::Text, 0};
            return true;
        case 'V':
            rule = {Storage::VarChar, type::Text, 0};
            return true;
        case 'Q':
            rule = {Storage::VarBinary, type::Binary, 0};
            return true;
        case 'N':
        case 'F':
            rule = {Storage::Numeric, type::Double, 0};
            return true;
        case 'D':
            rule = {Storage::Date, type::Date, 8};
            return true;
        case 'L':
            rule = {Storage::Logical, type::Boolean, 0};
            return true;
        case 'M':
            rule = {Storage::TextMemo, type::Memo, 0};
            return true;
        case 'G':
        case 'P':
        case 'W':
            rule = {Storage::BinaryMemo, type::LongBinary, 0};
            return true;
        case 'B':
            rule = vfp ? TypeRule{Storage::Double, type::Double, 8}
                       : TypeRule{Storage::BinaryMemo, type::LongBinary, 0};
            return true;
        case 'I':
            rule = {Storage::Integer, type::Long, 4};
            return true;
        case 'Y':
            rule = {Storage::Currency, type::Currency, 8};
            return true;
        case 'T':
            rule = {Storage::DateTime, type::Date, 8};
            return true;
        default:
            return false;
    }
}

int engineSize(const TypeRule& rule, std::uint32_t length) {
    switch (rule.engineType) {
        case type::Text:
        case type::Binary:
            return static_cast<int>(length);
        case type::Memo:
        case type::LongBinary:
            return 0;
        case type::Boolean:
            return 1;
        case type::Long:
            return 4;
        default:
            return 8;  // Double, Currency, Date
    }
}

QString fieldName(const char* raw, int codePage) {
    std::size_t n = 0;
    while (n < 11 && raw[n] != '\0')
        ++n;
    while (n > 0 && raw[n - 1] == ' ')
        --n;
    return decodeText(raw, n, codePage);
}

// Visual FoxPro numbers the flag bits in field order: first the length bit of a V/Q field,
// then the null bit of a nullable field. Bits beyond the flags field are ignored.
void assignNullBits(DbfLayout& layout, const std::vector<bool>& nullable) {
    const int bits = static_cast<int>(layout.nullFlagsLength * 8);
    int next = 0;
    auto take = [&] {
        const int bit = next++;
        return bit < bits ? bit : -1;
    };
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        DbfField& f = layout.fields[i];
        if (f.storage == Storage::VarChar || f.storage == Storage::VarBinary)
            f.lengthBit = take();
        if (nullable[i])
            f.nullBit = take();
    }
}

}  // namespace

bool DbfLayout::usesMemo() const {
    for (const DbfField& f : fields) {
        if (f.length > 0 && (f.storage == Storage::TextMemo || f.storage == Storage::BinaryMemo))
            return true;
    }
    return false;
}

bool isFoxProVersion(std::uint8_t version) {
    return isVisualFoxPro(version) || version == 0xF5 || version == 0xFB;
}

DbfLayout readDbfLayout(const ReadOnlyFile& file, const QString& path,
                        std::vector<char>* startOut) {
    const std::uint64_t fileSize = file.size();
    if (fileSize < kFileHeaderSize)
        wrongFormat();
    // One read for the fixed header, the field descriptors and, in a small table, the records.
    std::vector<char> start(
        static_cast<std::size_t>(std::min<std::uint64_t>(kStartBytes, fileSize)));
    file.readExactly(0, start.data(), start.size());
    const char* head = start.data();

    DbfLayout layout;
    layout.version = static_cast<std::uint8_t>(head[0]);
    const std::optional<MemoKind> memoKind = memoKindOfVersion(layout.version);
    // The last-update date (YY MM DD) rejects text and most other files early.
    const auto month = static_cast<unsigned char>(head[2]);
    const auto day = static_cast<unsigned char>(head[3]);
    if (!memoKind || month > 12 || day > 31)
        wrongFormat();
    layout.memoKind = *memoKind;
    layout.headerRecordCount = le32(&head[4]);
    layout.headerLength = le16(&head[8]);
    layout.recordLength = le16(&head[10]);
    layout.languageDriver = static_cast<std::uint8_t>(head[29]);
    layout.codePage = codePageForLanguageDriver(layout.languageDriver);
    if (layout.recordLength == 0 || layout.headerLength < kFileHeaderSize + kDescriptorSize)
        wrongFormat();

    // The whole header in one read (at most 64 KiB); a header cut short is damage.
    std::vector<char> header(
        static_cast<std::size_t>(std::min<std::uint64_t>(layout.headerLength, fileSize)));
    if (header.size() <= start.size())
        std::copy_n(start.begin(), header.size(), header.begin());
    else
        file.readExactly(0, header.data(), header.size());

    const bool vfp = isVisualFoxPro(layout.version);
    std::uint32_t offset = 1;  // byte 0 of a record is the deletion flag
    bool haveNullFlags = false;
    std::vector<bool> nullable;
    // Some writers leave out the terminator when the descriptors fill the header exactly.
    for (std::uint32_t pos = kFileHeaderSize; pos + kDescriptorSize <= layout.headerLength;
         pos += kDescriptorSize) {
        if (pos < header.size() && header[pos] == kHeaderTerminator)
            break;
        if (pos + kDescriptorSize > header.size())
            throwEngineError(err::CorruptDatabase, path);
        const char* d = header.data() + pos;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(d[11])));
        std::uint32_t length = static_cast<unsigned char>(d[16]);
        // Text fields longer than 255 keep the high byte where numbers keep their decimals.
        if (letter == 'C')
            length |= static_cast<std::uint32_t>(static_cast<unsigned char>(d[17])) << 8;
        if (letter == '0') {
            if (!haveNullFlags) {
                haveNullFlags = true;
                layout.nullFlagsOffset = offset;
                layout.nullFlagsLength = length;
            }
            offset += length;
            continue;
        }
        TypeRule rule{};
        if (!ruleForLetter(letter, vfp, rule))
            wrongFormat();
        if (rule.fixedLength != 0 && length != 0 &&
            length != static_cast<std::uint32_t>(rule.fixedLength))
            wrongFormat();
        DbfField f;
        f.info.name = fieldName(d, layout.codePage);
        f.info.type = rule.engineType;
        f.info.size = engineSize(rule, length);
        f.storage = rule.storage;
        f.letter = letter;
        f.offset = offset;
        f.length = length;
        nullable.push_back((static_cast<std::uint8_t>(d[18]) & kFieldNullable) != 0);
        layout.fields.push_back(std::move(f));
        offset += length;
    }
    if (layout.fields.empty())
        wrongFormat();
    // Some writers leave the deletion flag out of the record length; the fields decide.
    layout.recordLength = std::max(layout.recordLength, offset);
    if (layout.headerLength > fileSize)
        throwEngineError(err::CorruptDatabase, path);

    if (vfp && haveNullFlags)
        assignNullBits(layout, nullable);
    else
        layout.nullFlagsLength = 0;

    const std::uint64_t whole = (fileSize - layout.headerLength) / layout.recordLength;
    layout.recordCount =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(layout.headerRecordCount, whole));
    if (startOut)
        *startOut = std::move(start);
    return layout;
}

}  // namespace ds::db::dbase
