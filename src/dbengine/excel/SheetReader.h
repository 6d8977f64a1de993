#pragma once

#include "dbengine/excel/NumberFormats.h"
#include "dbengine/excel/RecordReader.h"
#include "dbengine/excel/Workbook.h"

#include <optional>
#include <vector>

namespace ds::db::excel {

// Reads the records of one sheet substream (BOF to EOF) into cells: numbers and dates, strings
// inline or shared, booleans, errors and the cached results of formulas. Records it does not
// need are passed over; embedded chart substreams are skipped whole.
class SheetReader {
  public:
    SheetReader(RecordReader& reader, int biffVersion, FormatTable formats,
                const std::vector<TextSpan>& sharedStrings, SheetData& out);

    void read(std::uint64_t bofOffset);

  private:
    void handle(const Record& r);
    void skipSubstream();
    void readFormulaString(const Record& r);
    void readFormula(const std::uint8_t* d, std::size_t size, std::size_t resultAt);
    void addNumber(std::uint16_t row, std::uint16_t col, std::uint16_t xf, double value);
    void addInlineText(std::uint16_t row, std::uint16_t col, const std::optional<RawString>& s);
    void addShared(std::uint16_t row, std::uint16_t col, std::uint32_t index);
    void addBoolErr(std::uint16_t row, std::uint16_t col, std::uint8_t value, bool isError);
    bool place(Cell& cell, std::uint16_t row, std::uint16_t col);
    void finish();

    struct PendingString {
        std::uint16_t row, col;
    };

    RecordReader& reader_;
    int version_;
    FormatTable formats_;
    const std::vector<TextSpan>& sst_;
    SheetData& out_;
    std::optional<PendingString> pending_;
};

}  // namespace ds::db::excel
