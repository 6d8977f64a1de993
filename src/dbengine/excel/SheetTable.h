#pragma once

#include "dbengine/Recordset.h"
#include "dbengine/excel/ColumnLayout.h"
#include "dbengine/excel/Workbook.h"

#include <memory>
#include <vector>

namespace ds::db::excel {

// A worksheet opened as a table. Record r is sheet row r + 1; rows without cells are records
// whose fields are all Null. A cell whose kind does not fit its field's type reads as Null,
// except that numbers and dates stand for each other.
class SheetTable final : public Recordset {
  public:
    SheetTable(std::shared_ptr<const Workbook> workbook, SheetData sheet);

    int fieldCount() const override { return static_cast<int>(layout_.fields().size()); }
    const FieldInfo& fieldInfo(int index) const override;

    void moveFirst() override;
    void moveLast() override;
    void moveNext() override;
    bool eof() const override { return current_ == 0; }
    std::int64_t recordCount() const override { return layout_.recordCount(); }

    QVariant value(int index) override;
    TextRef text(int index) override;

  private:
    // onward: the record after the current one, found by walking on instead of searching.
    void moveTo(std::int64_t record, bool onward);
    const Cell* cellOf(int index) const;

    std::shared_ptr<const Workbook> workbook_;  // owns the shared strings the cells point into
    SheetData sheet_;
    ColumnLayout layout_;
    std::int64_t current_ = 0;         // 1-based; 0 at end of file
    std::size_t rowBegin_ = 0;         // first cell of the current record's row
    std::vector<std::int32_t> slots_;  // cell index per field in the current record, or -1
};

}  // namespace ds::db::excel
