#pragma once

#include "dbengine/Recordset.h"
#include "dbengine/access/Libmdb.h"
#include "dbengine/access/PageReader.h"
#include "dbengine/access/TableScan.h"

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

namespace ds::db::access {

// A table of an Access file. libmdb parses the table definition; the rows are walked and cracked
// here (TableScan), through a page window rather than libmdb's three system calls per page, and
// a value is cut out only when asked for: text goes straight from the stored UCS-2 (or the
// header code page on Jet 3) into per-field UTF-8 buffers that keep their capacity from record
// to record.
class AccessRecordset final : public Recordset {
  public:
    // Reads the table of `entry` through its own session and file. Throws EngineError(3049)
    // when the table definition is damaged.
    AccessRecordset(const QString& path, std::unique_ptr<MdbSession> session,
                    const MdbCatalogEntry& entry, std::uint64_t fileSize);
    ~AccessRecordset() override;

    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    const FieldInfo& fieldInfo(int index) const override;

    void moveFirst() override;
    void moveLast() override;
    void moveNext() override;
    bool eof() const override;
    std::int64_t recordCount() const override;

    QVariant value(int index) override;
    TextRef text(int index) override;

  private:
    struct Field {
        FieldInfo info;
        MdbColumn* column = nullptr;
        bool fixedText = false;  // fixed-width Text: trailing blanks are padding
        std::vector<char> utf8;  // grows, never shrinks
        std::size_t utf8Size = 0;
    };

    // A value of the current record: its bytes in the page, or Null.
    struct Cell {
        bool isNull = true;
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
    };

    bool fetchNext() const;
    void rewind() const;
    void countAll() const;
    void syncCursor();
    Cell cell(int index);
    const Field& checkedField(int index) const;
    const std::uint8_t* fixedBytes(const Cell& c, std::size_t width) const;
    std::pair<const std::uint8_t*, std::size_t> longValue(const Cell& c);
    // Decodes a Text or Memo cell into the field's buffer; false when Null.
    bool decodeText(int index);
    [[noreturn]] void corrupt() const;

    std::unique_ptr<MdbSession> session_;
    MdbCatalogEntry entry_;
    TableDefPtr table_;
    std::uint64_t fileSize_;
    PageReader pages_;
    mutable std::unique_ptr<TableScan> scan_;
    std::vector<Field> fields_;
    std::vector<std::uint8_t> gathered_;
    std::unordered_set<std::uint32_t> visited_;  // pieces of the memo chain being read
    const std::array<char16_t, 256>* jet3Table_ = nullptr;

    // Record positions are 0-based. The scan may lag behind after counting; it is brought to
    // the position when a value is read.
    std::int64_t position_ = 0;
    mutable std::int64_t cursor_ = -1;  // row the scan is on (-1: rewound)
    mutable bool cursorAtEnd_ = false;
    mutable std::int64_t count_ = -1;  // known once a walk reached the end
};

}  // namespace ds::db::access
