#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace ds::test {

// Which program's files to imitate: version byte, memo file layout, header size.
enum class DbfFlavor {
    Dbase3,        // 0x03 / 0x83 with a dBASE III .DBT (512-byte blocks, 0x1A-terminated)
    Dbase4,        // 0x03 / 0x8B with a dBASE IV .DBT (FF FF 08 00 + length blocks)
    FoxPro2,       // 0x03 / 0xF5 with an .FPT
    VisualFoxPro,  // 0x30 (0x32 with V/Q fields), 263-byte backlink, 4-byte memo pointers
};

struct DbfColumn {
    QString name;     // up to 10 characters
    char type = 'C';  // C N F D L M I Y T B G V Q
    int length = -1;  // -1: the type's usual width (C 10, N 10, D 8, L 1, memo 10 or 4, ...)
    int decimals = 0;
    bool nullable = false;  // Visual FoxPro only: gets a bit in _NullFlags
};

// One value of a record. The default is Null: blanks in the field (the VFP null bit when the
// field is nullable, memo pointer 0).
struct DbfValue {
    std::variant<std::monostate, QString, QByteArray, double, std::int64_t, bool, QDate, QDateTime>
        v;

    DbfValue() = default;
    DbfValue(const char* text) : v(QString::fromUtf8(text)) {}
    DbfValue(QString text) : v(std::move(text)) {}
    DbfValue(QByteArray raw) : v(std::move(raw)) {}  // bytes written as they are
    DbfValue(double d) : v(d) {}
    DbfValue(int i) : v(std::int64_t{i}) {}
    DbfValue(std::int64_t i) : v(i) {}
    DbfValue(bool b) : v(b) {}
    DbfValue(QDate d) : v(d) {}
    DbfValue(QDateTime dt) : v(std::move(dt)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v); }
};

struct DbfOptions {
    DbfFlavor flavor = DbfFlavor::Dbase3;
    std::uint8_t languageDriver = 0;  // header byte 29; 0 = none
    int codePage = 0;                 // for QString values; 0 = the language driver's (850)
    int memoBlockSize = 0;            // 0 = 512 for .DBT, 64 for .FPT
    bool endOfFileMarker = true;      // 0x1A after the last record
    QDate lastUpdate = QDate(2024, 5, 17);
};

// Writes a .DBF (and its .DBT/.FPT when a field needs one) record by record. Nothing is held in
// memory beyond one output chunk, so it writes million-record files as easily as small ones.
class DbfWriter {
  public:
    DbfWriter(const QString& dbfPath, std::vector<DbfColumn> fields, DbfOptions options = {});
    ~DbfWriter();
    DbfWriter(const DbfWriter&) = delete;
    DbfWriter& operator=(const DbfWriter&) = delete;

    // False when a file could not be created; errorString() says why.
    bool isOpen() const { return error_.isEmpty(); }
    const QString& errorString() const { return error_; }

    // Values in field order; missing trailing values are Null.
    void addRecord(const std::vector<DbfValue>& values, bool deleted = false);

    // Writes the header with the final record count, the end marker and the memo header, and
    // closes the files. Called by the destructor when not called before.
    bool finish();

    QString memoPath() const { return memoPath_; }
    std::uint32_t recordCount() const { return records_; }
    int codePage() const { return codePage_; }
    std::uint32_t headerLength() const { return headerLength_; }
    std::uint32_t recordLength() const { return recordLength_; }

  private:
    struct Column;
    class MemoWriter;

    QByteArray headerBytes() const;
    void encodeValue(const Column& column, const DbfValue& value, char* out, bool& isNull);
    QByteArray textBytes(const DbfValue& value) const;
    void flush();

    std::vector<Column> columns_;
    DbfOptions options_;
    QFile file_;
    std::unique_ptr<MemoWriter> memo_;
    QString memoPath_;
    QString error_;
    QByteArray chunk_;
    QByteArray record_;
    int codePage_ = 850;
    std::uint8_t version_ = 0x03;
    std::uint32_t headerLength_ = 0;
    std::uint32_t recordLength_ = 1;
    std::uint32_t nullFlagsOffset_ = 0;
    std::uint32_t nullFlagsLength_ = 0;
    std::uint32_t records_ = 0;
    bool finished_ = false;
};

}  // namespace ds::test
