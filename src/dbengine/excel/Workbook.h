#pragma once

#include "dbengine/excel/BiffText.h"
#include "dbengine/excel/ByteSource.h"
#include "dbengine/excel/Decryption.h"
#include "dbengine/excel/NumberFormats.h"
#include "dbengine/excel/RecordReader.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace ds::db::excel {

enum class CellKind : std::uint8_t { Number, Date, Text, Boolean, Error };

// Where a text cell's string lies in its pool.
struct CellText {
    std::uint32_t offset;
    std::uint32_t size;
};

// One cell with a value. Empty and formatted-only cells are not kept, so a sheet costs memory
// by what it holds, never by how far its cells are spread.
struct Cell {
    std::uint16_t row = 0;
    std::uint16_t col = 0;
    CellKind kind = CellKind::Error;
    bool localText = false;  // text in the sheet's own pool, else in the shared strings
    bool wideText = false;
    union {
        double number;
        bool boolean;
        CellText text;
    };
    Cell() : number(0.0) {}
};

// The cells of one worksheet, ordered by row and column, one cell per position.
struct SheetData {
    std::vector<Cell> cells;
    TextPool strings;           // strings stored in the cells themselves
    int narrowCodePage = 1252;  // of the 8-bit strings
    bool date1904 = false;
};

struct SheetInfo {
    QString name;
    std::uint64_t offset = 0;  // of the sheet's BOF record in the stream
};

// An opened workbook: the stream found, decryption set up, the workbook globals read (code page,
// date system, formats, shared strings, list of worksheets). Sheets are read on request.
class Workbook {
  public:
    // Throws EngineError: the file's open error, 3274 not an XLS of BIFF3 to BIFF8, 3031 no
    // password fits, 3161 encryption that cannot be read, 3049 damaged structure.
    Workbook(const QString& path, const std::optional<QString>& password);
    ~Workbook();

    int biffVersion() const { return version_; }
    const std::vector<SheetInfo>& sheets() const { return sheets_; }
    const TextPool& sharedStrings() const { return sstPool_; }

    // Reads one worksheet's cells. Throws EngineError(3049) when they are damaged.
    SheetData readSheet(std::size_t index) const;

  private:
    void openStream(const QString& path);
    void readGlobals(const std::optional<QString>& password);
    void checkSingleSheet(const std::optional<QString>& password);
    void readSharedStrings(RecordReader& reader, const Record& sst);

    SharedFile file_;
    std::unique_ptr<ByteSource> stream_;
    bool workbookStreamName_ = false;  // "Workbook" (BIFF8) rather than "Book"
    std::unique_ptr<StreamCipher> cipher_;
    int version_ = 0;
    int codePage_ = 1252;
    bool date1904_ = false;
    FormatTable formats_;
    TextPool sstPool_;
    std::vector<TextSpan> sst_;
    std::vector<SheetInfo> sheets_;
};

}  // namespace ds::db::excel
