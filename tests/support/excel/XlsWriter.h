#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <map>
#include <utility>
#include <variant>
#include <vector>

namespace ds::test {

// Which program generation writes the file: raw BIFF3/BIFF4 worksheet streams (Excel 3.0, 4.0;
// several sheets in BIFF4 make a BIFF4 workbook), BIFF5 in a compound file ("Book" stream,
// Excel 5.0/95) or BIFF8 ("Workbook" stream, Excel 97-2003).
enum class XlsVersion { Biff3, Biff4, Biff5, Biff8 };

struct XlsError {
    quint8 code = 0x07;  // #DIV/0!
};
// A formula cell; only its last result is stored (the formula itself is a constant).
struct XlsFormula {
    std::variant<double, QString, bool> result;
};
using XlsCell =
    std::variant<std::monostate, QString, double, QDate, QDateTime, bool, XlsError, XlsFormula>;

class WorkbookBuilder;

class XlsSheet {
  public:
    explicit XlsSheet(QString name) : name_(std::move(name)) {}
    const QString& name() const { return name_; }

    // Rows and columns count from 0 (A1 is 0, 0). An empty XlsCell removes the cell.
    XlsSheet& set(int row, int col, XlsCell value);
    XlsSheet& setRow(int row, const QList<XlsCell>& values, int firstCol = 0);

    // Cells ordered by row, then column.
    const std::map<std::pair<int, int>, XlsCell>& cells() const { return cells_; }

  private:
    QString name_;
    std::map<std::pair<int, int>, XlsCell> cells_;
};

// Writes .XLS workbooks for tests and sample data: text (shared or inline), numbers (RK, MULRK
// and NUMBER records), dates and date-times with built-in and custom formats, booleans, errors
// and formula results. Dates are stored as serial numbers of the chosen date system.
class XlsWriter {
  public:
    explicit XlsWriter(XlsVersion version = XlsVersion::Biff8) : version_(version) {}

    XlsSheet& addSheet(const QString& name);
    std::vector<XlsSheet>& sheets() { return sheets_; }

    XlsWriter& setCodePage(int codePage);  // 8-bit text before BIFF8; default 1252
    XlsWriter& setDate1904(bool on);
    XlsWriter& setSharedStrings(bool on);    // BIFF8: LABELSST (default) or LABEL records
    XlsWriter& setRichText(bool on);         // BIFF8: shared strings carry runs and phonetic data
    XlsWriter& setMaxRecordSize(int bytes);  // where the shared strings split into CONTINUE
    XlsWriter& setPassword(const QString& password);  // BIFF8: RC4 encryption
    XlsWriter& setSmallStreamAllowed(bool on);        // else streams are padded to 4096 bytes

    QByteArray workbookStream() const;  // the BIFF records alone
    QByteArray toBytes() const;         // the file
    bool save(const QString& path) const;

    // The serial number of a date in a date system (1900 with its leap-year bug, or 1904).
    static double serialOf(const QDateTime& value, bool date1904);

  private:
    friend class WorkbookBuilder;
    XlsVersion version_;
    std::vector<XlsSheet> sheets_;
    int codePage_ = 1252;
    bool date1904_ = false;
    bool sharedStrings_ = true;
    bool richText_ = false;
    int maxRecordSize_ = 8224;
    QString password_;
    bool smallStreamAllowed_ = false;
};

}  // namespace ds::test
