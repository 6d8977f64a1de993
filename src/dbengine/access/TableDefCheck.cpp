#include "dbengine/access/TableDefCheck.h"

#include "dbengine/EngineError.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <QFile>

#include <set>
#include <vector>

namespace ds::db::access {

namespace {

constexpr std::uint8_t kTableDefinitionPage = 0x02;
constexpr unsigned kMaxColumns = 256;  // libmdb's MDB_MAX_COLS
constexpr unsigned kMaxIndexes = 1000;
constexpr unsigned kMaxContinuations = 64;  // 256 columns and their names fit in far fewer

struct Offsets {
    std::size_t columns, realIndexes, usageMap, rowCount;
};
constexpr Offsets kJet3{25, 31, 35, 8};
constexpr Offsets kJet4{45, 51, 55, 12};
constexpr unsigned kOffsetMask = 0x1FFF;
constexpr std::size_t kMinUsageMap = 5;  // map type and start page, or type and one map page

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

unsigned le16(const std::uint8_t* p) {
    return static_cast<unsigned>(p[0] | p[1] << 8);
}

// libmdb copies the usage map row as it finds it; an empty copy is a null pointer that its page
// walk dereferences.
void checkUsageMap(const ReadOnlyFile& file, const JetHeader& header, std::uint32_t pgRow,
                   const QString& name) {
    const Offsets& o = header.isJet4() ? kJet4 : kJet3;
    const std::uint32_t page = pgRow >> 8;
    const unsigned row = pgRow & 0xFF;
    if (page == 0 || page >= file.size() / header.pageSize)
        throwEngineError(err::CorruptDatabase, name);
    std::vector<std::uint8_t> buffer(header.pageSize);
    file.readExactly(std::uint64_t{page} * header.pageSize, buffer.data(), buffer.size());
    header.decodePage(page, buffer.data(), buffer.size());
    const std::size_t entry = o.rowCount + 2 + 2 * row;
    const unsigned start = le16(&buffer[entry]) & kOffsetMask;
    const unsigned end =
        row == 0 ? static_cast<unsigned>(header.pageSize) : le16(&buffer[entry - 2]) & kOffsetMask;
    if (row >= le16(&buffer[o.rowCount]) || end > header.pageSize || start + kMinUsageMap > end)
        throwEngineError(err::CorruptDatabase, name);
}

void check(const ReadOnlyFile& file, const JetHeader& header, std::uint32_t page,
           const QString& name) {
    const std::uint64_t pages = file.size() / header.pageSize;
    std::vector<std::uint8_t> buffer(header.pageSize);
    std::set<std::uint32_t> seen;
    bool first = true;
    while (page != 0 || first) {
        if (page >= pages || !seen.insert(page).second || seen.size() > kMaxContinuations)
            throwEngineError(err::CorruptDatabase, name);
        file.readExactly(std::uint64_t{page} * header.pageSize, buffer.data(), buffer.size());
        header.decodePage(page, buffer.data(), buffer.size());
        if (buffer[0] != kTableDefinitionPage)
            throwEngineError(err::CorruptDatabase, name);
        if (first) {
            const Offsets& o = header.isJet4() ? kJet4 : kJet3;
            const unsigned columns = le16(&buffer[o.columns]);
            const std::uint32_t realIndexes = le32(&buffer[o.realIndexes]);
            // The variable-column count may exceed the column count: it keeps deleted columns.
            if (columns > kMaxColumns || realIndexes > kMaxIndexes)
                throwEngineError(err::CorruptDatabase, name);
            checkUsageMap(file, header, le32(&buffer[o.usageMap]), name);
        }
        first = false;
        page = le32(&buffer[4]);
    }
}

}  // namespace

void checkCatalogPage(const ReadOnlyFile& file, const JetHeader& header) {
    check(file, header, 2, QString::fromStdString(file.path()));
}

void checkTableDefinition(const QString& path, const JetHeader& header, unsigned long page,
                          std::uint64_t fileSize) {
    ReadOnlyFile file;
    if (!file.open(QFile::encodeName(path).toStdString()))
        throwEngineError(file.lastError(), path);
    if (file.size() != fileSize)
        throwEngineError(err::CorruptDatabase, path);
    check(file, header, static_cast<std::uint32_t>(page), path);
}

}  // namespace ds::db::access
