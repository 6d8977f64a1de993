#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdint>
#include <functional>
#include <vector>

namespace ds::test {

// Writes minimal Jet 4 (.MDB) files that libmdb reads: a header with an optional database
// password, an MSysObjects catalog, tables with usage maps, rows over as many data pages as
// needed, and memos inline, in one LVAL row or in an LVAL chain. No indexes and no properties:
// the files are test fixtures, not something Access would accept unrepaired. A table's data
// pages are listed in one usage map row, which covers about 32,000 pages (some 130 MB); build()
// throws std::invalid_argument beyond that, and for rows or definitions larger than a page.
//
// Column types are the engine's codes: Boolean, Byte, Integer, Long, Currency, Single, Double,
// Date, Text, Long binary, Memo. Values are QVariants: a null QVariant is Null (a Boolean
// cannot be Null and stores false), numbers as int/double, Date as QDateTime, Text and Memo as
// QString, Long binary as QByteArray.
class Jet4Writer {
  public:
    struct Column {
        QString name;
        int type = 0;
        int textLength = 255;  // characters, Text only
    };

    using RowSource = std::function<QVariantList(int row)>;

    // Catalog flags of MSysObjects.
    static constexpr std::uint32_t SystemFlags = 0x80000002u;
    static constexpr std::uint32_t HiddenFlag = 0x8u;

    // Adds a table; returns its index for addRow. flags 0 makes an ordinary user table.
    int addTable(const QString& name, std::vector<Column> columns, std::uint32_t flags = 0);
    void addRow(int table, const QVariantList& values);
    // Rows made on demand while the file is built, so large files need not be held as values.
    void addRows(int table, int count, RowSource source);
    // A catalog entry of type 6 (a table linked from another database); it has no pages here.
    void addLinkedTable(const QString& name);

    // Up to 20 characters; empty means no password.
    void setPassword(const QString& password) { password_ = password; }
    // Creation date as an Access date number; the password mask is derived from it.
    void setCreationDate(double accessDate) { creationDate_ = accessDate; }
    // Non-zero: pages 1.. are RC4-encoded with this key ("encrypted database").
    void setPageEncodingKey(std::uint32_t key) { pageKey_ = key; }
    // Off: every text is stored as plain UCS-2, never in the compressed form.
    void setCompressText(bool on) { compressText_ = on; }

    QByteArray build() const;
    bool writeTo(const QString& path) const;

    // The Access date number of a date and time (whole milliseconds).
    static double accessDate(const QDateTime& dateTime);

  private:
    struct Table {
        QString name;
        std::vector<Column> columns;
        std::uint32_t flags = 0;
        std::vector<QVariantList> rows;
        std::vector<std::pair<int, RowSource>> generated;
        bool linked = false;
    };

    std::vector<Table> tables_;
    QString password_;
    double creationDate_ = 45352.4375;  // 2024-03-01 10:30
    std::uint32_t pageKey_ = 0;
    bool compressText_ = true;
};

}  // namespace ds::test
