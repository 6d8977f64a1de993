#include "dbengine/access/TableScan.h"

#include "dbengine/EngineError.h"

namespace ds::db::access {

namespace {

constexpr std::uint8_t kDataPage = 0x01;
constexpr unsigned kOffsetMask = 0x1FFF;
// Row offset flags. 0x4000 marks deleted rows and the pointers left behind when a row grew
// and moved; 0x8000 the moved rows themselves, which a scan reads where they now are (this is
// libmdb's order too).
constexpr unsigned kSkipped = 0x4000;

unsigned le16(const std::uint8_t* p) {
    return static_cast<unsigned>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

TableScan::TableScan(PageReader& pages, std::uint32_t definitionPage,
                     std::vector<std::uint8_t> usageMap, std::vector<ColumnLayout> columns,
                     bool jet4, bool hasVarColumns, QString name)
    : pages_(pages),
      definitionPage_(definitionPage),
      map_(std::move(usageMap)),
      columns_(std::move(columns)),
      jet4_(jet4),
      hasVarColumns_(hasVarColumns),
      rowCountOffset_(jet4 ? 12 : 8),
      name_(std::move(name)),
      slots_(columns_.size()) {}

void TableScan::damaged() const {
    throwEngineError(err::CorruptDatabase, name_);
}

void TableScan::rewind() {
    pageNumber_ = 0;
    page_ = nullptr;
    rows_ = 0;
    row_ = 0;
    atEnd_ = false;
    cracked_ = false;
}

bool TableScan::isTablePage(const std::uint8_t* p) const {
    return p[0] == kDataPage && le32(p + 4) == definitionPage_;
}

// The next page after `after` that the usage map names, or 0.
std::uint32_t TableScan::nextPage(std::uint32_t after) {
    const std::uint32_t count = pages_.pageCount();
    if (map_.size() >= 5 && map_[0] == 0) {
        const std::uint32_t start = le32(&map_[1]);
        const std::uint64_t bits = (map_.size() - 5) * 8;
        for (std::uint64_t i = after >= start ? std::uint64_t{after} - start + 1 : 0; i < bits;
             ++i) {
            if (std::uint64_t{start} + i >= count)
                return 0;
            if (map_[5 + i / 8] & (1u << (i % 8)))
                return static_cast<std::uint32_t>(start + i);
        }
        return 0;
    }
    if (map_.size() >= 5 && map_[0] == 1) {
        // Each entry names a page whose bytes from 4 on are a bitmap of the next pages.
        const std::uint64_t perMap = (pages_.pageSize() - 4) * 8;
        const std::uint64_t first = std::uint64_t{after} + 1;
        for (std::uint64_t entry = first / perMap; 1 + 4 * entry + 4 <= map_.size(); ++entry) {
            const std::uint32_t mapPage = le32(&map_[1 + 4 * entry]);
            if (mapPage == 0 || mapPage >= count)
                continue;
            const std::uint8_t* bitmap = pages_.sidePage(mapPage) + 4;
            for (std::uint64_t i = entry == first / perMap ? first % perMap : 0; i < perMap; ++i) {
                const std::uint64_t candidate = entry * perMap + i;
                if (candidate >= count)
                    return 0;
                if (bitmap[i / 8] & (1u << (i % 8)))
                    return static_cast<std::uint32_t>(candidate);
            }
        }
        return 0;
    }
    // An unknown map type: every page in file order, as libmdb falls back to.
    return after + 1 < count ? after + 1 : 0;
}

bool TableScan::findRow(const std::uint8_t* page, std::size_t pageSize, bool jet4, unsigned row,
                        unsigned& start, unsigned& end) {
    const std::size_t rco = jet4 ? 12 : 8;
    if (row >= le16(page + rco) || rco + 2 + 2 * std::size_t{row} + 2 > pageSize)
        return false;
    start = le16(page + rco + 2 + 2 * row) & kOffsetMask;
    end = row == 0 ? static_cast<unsigned>(pageSize) : le16(page + rco + 2 * row) & kOffsetMask;
    return start < end && end <= pageSize && start >= rco + 2;
}

bool TableScan::next() {
    cracked_ = false;
    while (!atEnd_) {
        if (page_ && row_ < rows_) {
            const unsigned row = row_++;
            const unsigned entry = le16(page_ + rowCountOffset_ + 2 + 2 * row);
            if (entry & kSkipped)
                continue;
            if (findRow(page_, pages_.pageSize(), jet4_, row, rowStart_, rowEnd_))
                return true;
            continue;
        }
        const std::uint32_t n = nextPage(pageNumber_);
        if (n == 0 || n <= pageNumber_) {
            atEnd_ = true;
            break;
        }
        pageNumber_ = n;
        page_ = pages_.scanPage(n);
        if (!isTablePage(page_)) {
            page_ = nullptr;
            continue;
        }
        row_ = 0;
        // The offset table must fit in front of the rows.
        const std::size_t maxRows = (pages_.pageSize() - rowCountOffset_ - 2) / 2;
        rows_ = std::min<unsigned>(le16(page_ + rowCountOffset_), static_cast<unsigned>(maxRows));
    }
    return false;
}

const std::vector<Slot>& TableScan::crack() {
    if (cracked_)
        return slots_;
    const std::uint8_t* p = page_;
    const unsigned size = rowEnd_ - rowStart_;
    const unsigned countBytes = jet4_ ? 2 : 1;
    if (size < countBytes)
        damaged();
    const unsigned rowColumns = jet4_ ? le16(p + rowStart_) : p[rowStart_];
    const unsigned maskBytes = (rowColumns + 7) / 8;
    if (maskBytes + countBytes > size)
        damaged();
    const std::uint8_t* mask = p + rowEnd_ - maskBytes;

    // The variable-column offset table, in front of the column count before the null mask.
    unsigned rowVar = 0;
    offsets_.clear();
    if (hasVarColumns_) {
        if (maskBytes + 2 * countBytes > size)
            damaged();
        const unsigned last = rowEnd_ - 1;  // the row's last byte
        if (jet4_) {
            rowVar = le16(p + rowEnd_ - maskBytes - 2);
            if (std::size_t{maskBytes} + 4 + 2 * std::size_t{rowVar} > size)
                damaged();
            for (unsigned i = 0; i <= rowVar; ++i)
                offsets_.push_back(le16(p + rowEnd_ - maskBytes - 4 - 2 * i));
        } else {
            // Jet 3 keeps one-byte offsets; a jump table before the count says where they
            // pass a 256-byte boundary.
            rowVar = p[last - maskBytes];
            unsigned jumps = (size - 1) / 256;
            if (maskBytes + jumps + 1 + rowVar + 1 > size)
                damaged();
            // A last jump entry that points past the offsets is padding; it keeps its byte.
            const unsigned columnPointer = last - maskBytes - jumps - 1;
            if ((columnPointer - rowStart_ - rowVar) / 256 < jumps)
                --jumps;
            unsigned used = 0;
            for (unsigned i = 0; i <= rowVar; ++i) {
                while (used < jumps && i == p[last - maskBytes - used - 1])
                    ++used;
                if (columnPointer < i + rowStart_)
                    damaged();
                offsets_.push_back(p[columnPointer - i] + used * 256);
            }
        }
    }

    const unsigned rowFixed = rowColumns - std::min(rowVar, rowColumns);
    unsigned fixedFound = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ColumnLayout& c = columns_[i];
        Slot& s = slots_[i];
        s = Slot{};
        const auto bit = static_cast<unsigned>(c.number);
        const bool present = bit / 8 < maskBytes && (mask[bit / 8] & (1u << (bit % 8)));
        if (c.fixed) {
            if (fixedFound >= rowFixed)
                continue;
            ++fixedFound;
            if (!present)
                continue;
            s.start = rowStart_ + countBytes + static_cast<unsigned>(c.fixedOffset);
            s.size = static_cast<unsigned>(c.size);
        } else {
            if (c.varIndex >= rowVar || !present)
                continue;
            const unsigned from = offsets_[c.varIndex];
            const unsigned to = offsets_[c.varIndex + 1];
            if (from > to)
                damaged();
            s.start = rowStart_ + from;
            s.size = to - from;
        }
        if (std::size_t{s.start} + s.size > rowEnd_)
            damaged();
        s.isNull = false;
    }
    cracked_ = true;
    return slots_;
}

}  // namespace ds::db::access
