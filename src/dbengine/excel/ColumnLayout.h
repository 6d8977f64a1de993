#pragma once

#include "dbengine/Recordset.h"
#include "dbengine/excel/Workbook.h"

#include <cstdint>
#include <vector>

namespace ds::db::excel {

// How a worksheet becomes a table: the first row names the fields, the rows below it are the
// records, the used columns are the fields, and each field's type is decided by the cells of
// the first eight records.
class ColumnLayout {
  public:
    static constexpr int kTypeGuessRows = 8;
    static constexpr int kMaxTextLength = 255;

    ColumnLayout(const SheetData& sheet, const TextPool& shared);

    const std::vector<FieldInfo>& fields() const { return fields_; }
    std::uint16_t firstColumn() const { return firstColumn_; }
    std::int64_t recordCount() const { return records_; }

  private:
    struct Votes {
        int text = 0, number = 0, date = 0, boolean = 0;
        bool longText = false;
    };
    QString headerName(const Cell* cell, int position) const;
    int decideType(const Votes& votes) const;
    std::size_t textLength(const Cell& cell) const;

    const SheetData& sheet_;
    const TextPool& shared_;
    std::vector<FieldInfo> fields_;
    std::uint16_t firstColumn_ = 0;
    std::int64_t records_ = 0;
};

// The text of a text cell as the reader hands it out: its bytes and their code page.
TextRef cellText(const Cell& cell, const SheetData& sheet, const TextPool& shared);

}  // namespace ds::db::excel
