#include "dbengine/excel/ColumnLayout.h"

#include "dbengine/CodePages.h"

#include <algorithm>

namespace ds::db::excel {

TextRef cellText(const Cell& cell, const SheetData& sheet, const TextPool& shared) {
    const TextPool& pool = cell.localText ? sheet.strings : shared;
    const TextSpan span{cell.text.offset, cell.text.size, cell.wideText};
    return TextRef::of(pool.data(span), span.size,
                       cell.wideText ? cp::Utf16LE : sheet.narrowCodePage);
}

ColumnLayout::ColumnLayout(const SheetData& sheet, const TextPool& shared)
    : sheet_(sheet), shared_(shared) {
    const std::vector<Cell>& cells = sheet.cells;
    if (cells.empty()) {
        // An empty sheet still has one field, as the table of a blank range does.
        fields_.push_back(FieldInfo{QStringLiteral("F1"), type::Text, kMaxTextLength});
        return;
    }
    std::uint16_t lastColumn = 0;
    firstColumn_ = cells.front().col;
    for (const Cell& c : cells) {
        firstColumn_ = std::min(firstColumn_, c.col);
        lastColumn = std::max(lastColumn, c.col);
    }
    records_ = cells.back().row;  // row 0 is the header, row r is record r

    const std::size_t width = static_cast<std::size_t>(lastColumn - firstColumn_) + 1;
    std::vector<const Cell*> header(width, nullptr);
    std::vector<Votes> votes(width);
    for (const Cell& c : cells) {
        if (c.row > kTypeGuessRows)
            break;
        const std::size_t at = c.col - firstColumn_;
        if (c.row == 0) {
            header[at] = &c;
            continue;
        }
        Votes& v = votes[at];
        switch (c.kind) {
            case CellKind::Text:
                ++v.text;
                v.longText = v.longText || textLength(c) > kMaxTextLength;
                break;
            case CellKind::Number:
                ++v.number;
                break;
            case CellKind::Date:
                ++v.date;
                break;
            case CellKind::Boolean:
                ++v.boolean;
                break;
            case CellKind::Error:
                break;
        }
    }
    fields_.reserve(width);
    for (std::size_t i = 0; i < width; ++i) {
        const int t = decideType(votes[i]);
        const int size = t == type::Text      ? kMaxTextLength
                         : t == type::Memo    ? 0
                         : t == type::Boolean ? 1
                                              : 8;
        fields_.push_back(FieldInfo{headerName(header[i], static_cast<int>(i) + 1), t, size});
    }
}

int ColumnLayout::decideType(const Votes& v) const {
    // A long text wins over everything, so that it stays searchable; ties go to Text, and
    // among the rest numbers before dates before booleans.
    if (v.longText)
        return type::Memo;
    if (v.text >= std::max({v.number, v.date, v.boolean}))
        return type::Text;
    if (v.number >= v.date && v.number >= v.boolean)
        return type::Double;
    return v.date >= v.boolean ? type::Date : type::Boolean;
}

std::size_t ColumnLayout::textLength(const Cell& c) const {
    if (c.wideText)
        return c.text.size / 2;
    if (c.text.size <= kMaxTextLength || isSingleByteCodePage(sheet_.narrowCodePage))
        return c.text.size;
    return static_cast<std::size_t>(cellText(c, sheet_, shared_).toString().size());
}

QString ColumnLayout::headerName(const Cell* c, int position) const {
    QString name;
    if (c) {
        switch (c->kind) {
            case CellKind::Text:
                name = cellText(*c, sheet_, shared_).toString();
                break;
            case CellKind::Number:
                name = QString::number(c->number, 'g', 15);
                break;
            case CellKind::Date:
                if (const auto dt = serialToDateTime(c->number, sheet_.date1904))
                    name = dt->time().msecsSinceStartOfDay() == 0
                               ? dt->date().toString(QStringLiteral("dd.MM.yyyy"))
                               : dt->toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
                break;
            case CellKind::Boolean:
                name = c->boolean ? QStringLiteral("WAHR") : QStringLiteral("FALSCH");
                break;
            case CellKind::Error:
                break;
        }
    }
    return name.isEmpty() ? QStringLiteral("F%1").arg(position) : name;
}

}  // namespace ds::db::excel
