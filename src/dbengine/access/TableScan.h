#pragma once

#include "dbengine/access/PageReader.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ds::db::access {

// What the reader needs of a column, taken from libmdb's parsed table definition.
struct ColumnLayout {
    int number = 0;  // bit in the null mask
    bool fixed = false;
    int fixedOffset = 0;    // fixed columns: offset after the column count
    int size = 0;           // fixed columns: bytes
    unsigned varIndex = 0;  // variable columns: slot in the offset table
};

// One value of a cracked row: its span in the page, or Null (for a yes/no column: false).
struct Slot {
    bool isNull = true;
    unsigned start = 0;
    unsigned size = 0;
};

// Walks the rows of one table in page order: the pages its usage map lists (type 0, a bitmap;
// type 1, bitmap pages), each only when it is a data page of this table, as libmdb's table scan
// does; deleted rows and the pointers of moved rows are not records. Every offset is checked
// against the page; damage found in a row that is read throws EngineError(3049).
class TableScan {
  public:
    // `name` is what error messages call the table.
    TableScan(PageReader& pages, std::uint32_t definitionPage, std::vector<std::uint8_t> usageMap,
              std::vector<ColumnLayout> columns, bool jet4, bool hasVarColumns, QString name);

    void rewind();
    // Moves to the next row; false at the end of the table.
    bool next();

    // The page of the current row.
    const std::uint8_t* page() const { return page_; }
    // Splits the current row into its columns (indexes as given to the constructor).
    const std::vector<Slot>& crack();

    // Finds row `row` of a page (for memo values on LVAL pages): its span, or false.
    static bool findRow(const std::uint8_t* page, std::size_t pageSize, bool jet4, unsigned row,
                        unsigned& start, unsigned& end);

  private:
    std::uint32_t nextPage(std::uint32_t after);
    bool isTablePage(const std::uint8_t* p) const;
    [[noreturn]] void damaged() const;

    PageReader& pages_;
    std::uint32_t definitionPage_;
    std::vector<std::uint8_t> map_;
    std::vector<ColumnLayout> columns_;
    bool jet4_;
    bool hasVarColumns_;
    std::size_t rowCountOffset_;
    QString name_;

    std::uint32_t pageNumber_ = 0;  // 0: before the first page
    const std::uint8_t* page_ = nullptr;
    unsigned rows_ = 0;
    unsigned row_ = 0;
    unsigned rowStart_ = 0;
    unsigned rowEnd_ = 0;
    bool atEnd_ = false;
    bool cracked_ = false;
    std::vector<Slot> slots_;
    std::vector<unsigned> offsets_;
};

}  // namespace ds::db::access
