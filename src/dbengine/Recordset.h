#pragma once

#include "dbengine/TextRef.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

namespace ds::db {

// Field type codes of the engine. Only Text and Memo are searched.
namespace type {
constexpr int Boolean = 1;
constexpr int Byte = 2;
constexpr int Integer = 3;
constexpr int Long = 4;
constexpr int Currency = 5;
constexpr int Single = 6;
constexpr int Double = 7;
constexpr int Date = 8;
constexpr int Binary = 9;
constexpr int Text = 10;
constexpr int LongBinary = 11;
constexpr int Memo = 12;
constexpr int Guid = 15;
constexpr int Decimal = 20;
}  // namespace type

inline bool isSearchableType(int typeCode) {
    return typeCode == type::Text || typeCode == type::Memo;
}

struct FieldInfo {
    QString name;
    int type = 0;
    int size = 0;  // bytes: Text its declared length, Memo and Long binary 0, numbers their width
};

// A table opened read-only, positioned on one record at a time.
//
// Contract shared by every reader:
// - After open the position is the first record (or end of file when the table is empty).
// - moveFirst / moveLast on an empty table leave eof() true and do not throw.
// - moveNext past the last record leaves eof() true and does not throw.
// - recordCount() is exact at any time (table-type recordsets know their size).
// - value() and text() throw EngineError(3021) when eof(); damaged data throws EngineError
//   (3049 or a reader-specific number), never crashes or reads out of bounds.
// - value() returns a null QVariant for Null; Text and Memo as QString, Boolean as bool,
//   Byte/Integer/Long as int, Currency/Single/Double as double, Date as QDateTime,
//   Long binary as QByteArray.
// - text() is only called for Text and Memo fields and returns the raw bytes with their code
//   page; trailing blanks of fixed-width text fields are not part of the value.
class Recordset {
  public:
    virtual ~Recordset() = default;

    virtual int fieldCount() const = 0;
    virtual const FieldInfo& fieldInfo(int index) const = 0;

    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;
    virtual void moveNext() = 0;
    virtual bool eof() const = 0;
    virtual std::int64_t recordCount() const = 0;
    // True when recordCount() has to read the whole table (dBASE: the deletion flags), and a
    // pass with moveNext() up to eof() visits exactly as many records.
    virtual bool countIsAPass() const { return false; }
    // Record slots (live and deleted records) for reading the table in independent parts, each
    // with its own recordset; 0 where the reader cannot.
    virtual std::uint64_t slotCount() const { return 0; }
    // Limits the recordset to the slots [first, end): the first record among them becomes the
    // first record, the count covers only them.
    virtual void restrictToSlots(std::uint64_t /*first*/, std::uint64_t /*end*/) {}

    virtual QVariant value(int index) = 0;
    virtual TextRef text(int index) = 0;
};

struct TableDef {
    QString name;
    std::int32_t attributes = 0;  // 0: ordinary user table; system, hidden, linked: non-zero
};

// An opened database: a file (Access, Excel) or a folder (dBASE, FoxPro, Paradox).
class Database {
  public:
    virtual ~Database() = default;
    virtual std::vector<TableDef> tableDefs() = 0;
    // Opens a table read-only; throws EngineError (3011 unknown table, 3274 wrong format,
    // 3031 password, ...).
    virtual std::unique_ptr<Recordset> openRecordset(const QString& tableName) = 0;
};

}  // namespace ds::db
