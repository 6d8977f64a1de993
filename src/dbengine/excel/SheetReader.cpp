#include "dbengine/excel/SheetReader.h"

#include "dbengine/EngineError.h"
#include "dbengine/excel/FormatRecords.h"
#include "dbengine/excel/LittleEndian.h"

#include <algorithm>

namespace ds::db::excel {

namespace {

// Column IV is the last one any BIFF version can address.
constexpr std::uint16_t kLastColumn = 255;

double rkValue(std::uint32_t rk) {
    double v;
    if (rk & 0x02) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100.0 : v;
}

bool samePosition(const Cell& a, const Cell& b) {
    return a.row == b.row && a.col == b.col;
}
bool before(const Cell& a, const Cell& b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
}

}  // namespace

SheetReader::SheetReader(RecordReader& reader, int biffVersion, FormatTable formats,
                         const std::vector<TextSpan>& sharedStrings, SheetData& out)
    : reader_(reader),
      version_(biffVersion),
      formats_(std::move(formats)),
      sst_(sharedStrings),
      out_(out) {
    formats_.beginSheet();
}

void SheetReader::read(std::uint64_t bofOffset) {
    reader_.seek(bofOffset);
    Record r;
    if (!reader_.next(r) || !isBof(r.id))
        throwEngineError(err::CorruptDatabase);
    // A sheet cut off before its EOF record keeps the cells read so far.
    while (reader_.next(r) && r.id != rec::Eof)
        handle(r);
    finish();
}

void SheetReader::skipSubstream() {
    Record r;
    while (reader_.next(r) && r.id != rec::Eof) {
    }
}

void SheetReader::handle(const Record& r) {
    const std::uint8_t* d = r.data;
    const std::size_t n = r.size;
    const bool old = version_ <= 4;
    if (isBof(r.id)) {
        skipSubstream();
        return;
    }
    if (r.id == rec::String || (old && r.id == rec::String2)) {
        readFormulaString(r);
        return;
    }
    if (old) {
        if (applyFormatRecord(r, version_, formats_))
            return;
        if (r.id == rec::CodePage && n >= 2) {
            out_.narrowCodePage = codePageFromRecord(readU16(d));
            return;
        }
        if (r.id == rec::DateMode && n >= 2) {
            out_.date1904 = readU16(d) == 1;
            return;
        }
        if (r.id == rec::FilePass)
            throwEngineError(err::CannotDecrypt);
    }
    if (n < 6)
        return;
    const std::uint16_t row = readU16(d);
    const std::uint16_t col = readU16(d + 2);
    const std::uint16_t xf = readU16(d + 4);
    switch (r.id) {
        case rec::Number:
            if (n >= 14)
                addNumber(row, col, xf, readF64(d + 6));
            break;
        case rec::Rk:
            if (n >= 10)
                addNumber(row, col, xf, rkValue(readU32(d + 6)));
            break;
        case rec::MulRk: {
            if (n < 12)
                break;
            const std::size_t count = (n - 6) / 6;
            for (std::size_t i = 0; i < count && col + i <= kLastColumn; ++i) {
                const std::uint8_t* p = d + 4 + 6 * i;
                addNumber(row, static_cast<std::uint16_t>(col + i), readU16(p),
                          rkValue(readU32(p + 2)));
            }
            break;
        }
        case rec::Label:
        case rec::RString:
            addInlineText(
                row, col,
                version_ >= 8 ? parseUnicodeString(d, n, 6, 2) : parseByteString(d, n, 6, 2));
            break;
        case rec::LabelSst:
            if (version_ >= 8 && n >= 10)
                addShared(row, col, readU32(d + 6));
            break;
        case rec::BoolErr:
            if (n >= 8)
                addBoolErr(row, col, d[6], d[7] != 0);
            break;
        case rec::Formula3:
        case rec::Formula4:
            readFormula(d, n, 6);
            break;
        case rec::Formula:
            readFormula(d, n, old ? 7 : 6);
            break;
        // BIFF2 cells (row, column, three attribute bytes) turn up in BIFF3 and BIFF4 files.
        case rec::Integer2:
            if (old && n >= 9)
                addNumber(row, col, d[4] & 0x3F, readU16(d + 7));
            break;
        case rec::Number2:
            if (old && n >= 15)
                addNumber(row, col, d[4] & 0x3F, readF64(d + 7));
            break;
        case rec::Label2:
            if (old)
                addInlineText(row, col, parseByteString(d, n, 7, 1));
            break;
        case rec::BoolErr2:
            if (old && n >= 9)
                addBoolErr(row, col, d[7], d[8] != 0);
            break;
        default:
            break;
    }
}

void SheetReader::readFormula(const std::uint8_t* d, std::size_t n, std::size_t at) {
    if (n < at + 8)
        return;
    const std::uint16_t row = readU16(d);
    const std::uint16_t col = readU16(d + 2);
    const std::uint16_t xf = at == 7 ? (d[4] & 0x3F) : readU16(d + 4);
    const std::uint8_t* result = d + at;
    if (result[6] != 0xFF || result[7] != 0xFF) {
        addNumber(row, col, xf, readF64(result));
        return;
    }
    switch (result[0]) {
        case 0:  // the text follows in a STRING record
            pending_ = PendingString{row, col};
            break;
        case 1:
            addBoolErr(row, col, result[2], false);
            break;
        case 3: {
            const std::optional<RawString> empty = RawString{};
            addInlineText(row, col, empty);
            break;
        }
        default:
            addBoolErr(row, col, result[2], true);
            break;
    }
}

void SheetReader::readFormulaString(const Record& r) {
    if (!pending_)
        return;
    const PendingString at = *pending_;
    pending_.reset();
    if (version_ < 8) {
        addInlineText(at.row, at.col,
                      parseByteString(r.data, r.size, 0, r.id == rec::String2 ? 1 : 2));
        return;
    }
    // Long results continue in CONTINUE records like shared strings do.
    ContinuedRecord in(reader_, r);
    std::uint8_t header[3];
    if (!in.read(header, sizeof header))
        return;
    out_.strings.begin();
    in.readChars(readU16(header), header[2] & 0x01, out_.strings);
    const TextSpan span = out_.strings.finish();
    Cell cell;
    if (!place(cell, at.row, at.col))
        return;
    cell.kind = CellKind::Text;
    cell.localText = true;
    cell.wideText = span.wide;
    cell.text = {span.offset, span.size};
    out_.cells.push_back(cell);
}

bool SheetReader::place(Cell& cell, std::uint16_t row, std::uint16_t col) {
    // Any new cell ends the wait for a formula's STRING record.
    pending_.reset();
    if (col > kLastColumn)
        return false;
    cell.row = row;
    cell.col = col;
    return true;
}

void SheetReader::addNumber(std::uint16_t row, std::uint16_t col, std::uint16_t xf, double value) {
    Cell cell;
    if (!place(cell, row, col))
        return;
    cell.kind = formats_.isDateXf(xf) ? CellKind::Date : CellKind::Number;
    cell.number = value;
    out_.cells.push_back(cell);
}

void SheetReader::addInlineText(std::uint16_t row, std::uint16_t col,
                                const std::optional<RawString>& s) {
    Cell cell;
    if (!place(cell, row, col))
        return;
    if (!s) {
        cell.kind = CellKind::Error;
        out_.cells.push_back(cell);
        return;
    }
    const TextSpan span = out_.strings.add(s->chars, s->wide ? 2 * s->count : s->count, s->wide);
    cell.kind = CellKind::Text;
    cell.localText = true;
    cell.wideText = span.wide;
    cell.text = {span.offset, span.size};
    out_.cells.push_back(cell);
}

void SheetReader::addShared(std::uint16_t row, std::uint16_t col, std::uint32_t index) {
    Cell cell;
    if (!place(cell, row, col))
        return;
    if (index >= sst_.size()) {
        // A reference past the string table reads as Null rather than failing the sheet.
        cell.kind = CellKind::Error;
    } else {
        const TextSpan& span = sst_[index];
        cell.kind = CellKind::Text;
        cell.wideText = span.wide;
        cell.text = {span.offset, span.size};
    }
    out_.cells.push_back(cell);
}

void SheetReader::addBoolErr(std::uint16_t row, std::uint16_t col, std::uint8_t value,
                             bool isError) {
    Cell cell;
    if (!place(cell, row, col))
        return;
    cell.kind = isError ? CellKind::Error : CellKind::Boolean;
    cell.boolean = value != 0;
    out_.cells.push_back(cell);
}

void SheetReader::finish() {
    std::vector<Cell>& cells = out_.cells;
    if (!std::is_sorted(cells.begin(), cells.end(), before))
        std::stable_sort(cells.begin(), cells.end(), before);
    // Of several records for one position the last one wins.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (kept > 0 && samePosition(cells[kept - 1], cells[i]))
            cells[kept - 1] = cells[i];
        else
            cells[kept++] = cells[i];
    }
    cells.resize(kept);
}

}  // namespace ds::db::excel
