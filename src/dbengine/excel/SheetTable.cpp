#include "dbengine/excel/SheetTable.h"

#include "dbengine/EngineError.h"
#include "dbengine/excel/NumberFormats.h"

#include <algorithm>

namespace ds::db::excel {

namespace {
constexpr int kItemNotFound = 3265;
}

SheetTable::SheetTable(std::shared_ptr<const Workbook> workbook, SheetData sheet)
    : workbook_(std::move(workbook)),
      sheet_(std::move(sheet)),
      layout_(sheet_, workbook_->sharedStrings()),
      slots_(layout_.fields().size(), -1) {
    moveFirst();
}

const FieldInfo& SheetTable::fieldInfo(int index) const {
    if (index < 0 || index >= fieldCount())
        throwEngineError(kItemNotFound);
    return layout_.fields()[static_cast<std::size_t>(index)];
}

void SheetTable::moveFirst() {
    moveTo(recordCount() > 0 ? 1 : 0, false);
}

void SheetTable::moveLast() {
    moveTo(recordCount(), false);
}

void SheetTable::moveNext() {
    if (current_ != 0)
        moveTo(current_ < recordCount() ? current_ + 1 : 0, true);
}

void SheetTable::moveTo(std::int64_t record, bool onward) {
    current_ = record;
    std::fill(slots_.begin(), slots_.end(), -1);
    if (record == 0)
        return;
    const std::vector<Cell>& cells = sheet_.cells;
    if (onward) {
        while (rowBegin_ < cells.size() && cells[rowBegin_].row < record)
            ++rowBegin_;
    } else {
        rowBegin_ = static_cast<std::size_t>(
            std::lower_bound(cells.begin(), cells.end(), record,
                             [](const Cell& c, std::int64_t row) { return c.row < row; }) -
            cells.begin());
    }
    const std::uint16_t first = layout_.firstColumn();
    for (std::size_t i = rowBegin_; i < cells.size() && cells[i].row == record; ++i)
        slots_[cells[i].col - first] = static_cast<std::int32_t>(i);
}

const Cell* SheetTable::cellOf(int index) const {
    if (current_ == 0)
        throwEngineError(err::NoCurrentRecord);
    if (index < 0 || index >= fieldCount())
        throwEngineError(kItemNotFound);
    const std::int32_t slot = slots_[static_cast<std::size_t>(index)];
    return slot < 0 ? nullptr : &sheet_.cells[static_cast<std::size_t>(slot)];
}

QVariant SheetTable::value(int index) {
    const Cell* c = cellOf(index);
    if (!c)
        return {};
    const bool numeric = c->kind == CellKind::Number || c->kind == CellKind::Date;
    switch (fieldInfo(index).type) {
        case type::Text:
        case type::Memo:
            if (c->kind == CellKind::Text)
                return cellText(*c, sheet_, workbook_->sharedStrings()).toString();
            break;
        case type::Double:
            if (numeric)
                return c->number;
            break;
        case type::Date:
            if (numeric) {
                if (const auto dt = serialToDateTime(c->number, sheet_.date1904))
                    return *dt;
            }
            break;
        case type::Boolean:
            if (c->kind == CellKind::Boolean)
                return c->boolean;
            break;
        default:
            break;
    }
    return {};
}

TextRef SheetTable::text(int index) {
    const Cell* c = cellOf(index);
    if (!c || c->kind != CellKind::Text || !isSearchableType(fieldInfo(index).type))
        return TextRef::null();
    return cellText(*c, sheet_, workbook_->sharedStrings());
}

}  // namespace ds::db::excel
