#include "dbengine/access/AccessDatabase.h"

#include "dbengine/EngineError.h"
#include "dbengine/access/AccessRecordset.h"
#include "dbengine/access/Libmdb.h"
#include "dbengine/access/TableDefCheck.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <QFile>

#include <array>
#include <vector>

namespace ds::db::access {

namespace {

constexpr unsigned long kCatalogPage = 2;
constexpr std::uint32_t kPageMask = 0x00FFFFFF;  // MSysObjects.Id: the definition page

int columnIndex(const Recordset& rs, const char* name) {
    for (int i = 0; i < rs.fieldCount(); ++i) {
        if (rs.fieldInfo(i).name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

}  // namespace

std::int32_t tableAttributes(int type, std::uint32_t catalogFlags) {
    std::int32_t attributes = 0;
    if (type == objectType::LinkedTable)
        attributes |= attr::Linked;
    if (type == objectType::LinkedOdbcTable)
        attributes |= attr::LinkedOdbc;
    if (catalogFlags & 0x80000002u)
        attributes |= attr::System;
    if (catalogFlags & 0x8u)
        attributes |= attr::Hidden;
    return attributes;
}

AccessDatabase::AccessDatabase(QString path, const JetHeader& header, std::uint64_t fileSize)
    : path_(std::move(path)), header_(header), fileSize_(fileSize) {
    readCatalog();
}

// MSysObjects read as an ordinary table: one row per object, tables with Type 1 (local), 6 or
// 4 (linked); Id holds the page of a local table's definition.
void AccessDatabase::readCatalog() {
    auto session = std::make_unique<MdbSession>(path_, header_);
    const MdbCatalogEntry entry = session->entryFor("MSysObjects", kCatalogPage);
    AccessRecordset rs(path_, std::move(session), entry, fileSize_);
    const std::array<int, 4> columns{columnIndex(rs, "Id"), columnIndex(rs, "Name"),
                                     columnIndex(rs, "Type"), columnIndex(rs, "Flags")};
    for (int c : columns) {
        if (c < 0)
            throwEngineError(err::CorruptDatabase, path_);
    }
    for (; !rs.eof(); rs.moveNext()) {
        const int type = rs.value(columns[2]).toInt();
        if (type != objectType::LocalTable && type != objectType::LinkedTable &&
            type != objectType::LinkedOdbcTable)
            continue;
        CatalogTable table;
        table.name = rs.value(columns[1]).toString();
        table.utf8Name = table.name.toStdString();
        table.objectType = type;
        table.page = static_cast<std::uint32_t>(rs.value(columns[0]).toInt()) & kPageMask;
        table.flags = static_cast<std::uint32_t>(rs.value(columns[3]).toInt());
        tables_.push_back(std::move(table));
    }
}

std::vector<TableDef> AccessDatabase::tableDefs() {
    std::vector<TableDef> defs;
    defs.reserve(tables_.size());
    for (const CatalogTable& table : tables_)
        defs.push_back({table.name, tableAttributes(table.objectType, table.flags)});
    return defs;
}

std::unique_ptr<Recordset> AccessDatabase::openRecordset(const QString& tableName) {
    const CatalogTable* found = nullptr;
    for (const CatalogTable& table : tables_) {
        if (table.name.compare(tableName, Qt::CaseInsensitive) == 0) {
            found = &table;
            break;
        }
    }
    if (!found)
        throwEngineError(err::ObjectNotFound, tableName);
    // Linked tables live in other files, which this reader does not follow.
    if (found->objectType != objectType::LocalTable)
        throwEngineError(err::CannotOpenFile, tableName);
    checkTableDefinition(path_, header_, found->page, fileSize_);
    auto session = std::make_unique<MdbSession>(path_, header_);
    const MdbCatalogEntry entry = session->entryFor(found->utf8Name, found->page);
    return std::make_unique<AccessRecordset>(path_, std::move(session), entry, fileSize_);
}

}  // namespace ds::db::access

namespace ds::db {

std::unique_ptr<Database> openAccessDatabase(const OpenRequest& request) {
    using access::JetHeader;
    ReadOnlyFile file;
    if (!file.open(QFile::encodeName(request.name).toStdString()))
        throwEngineError(file.lastError(), request.name);
    std::vector<std::uint8_t> head(4096);
    head.resize(file.readAt(0, head.data(), head.size()));

    JetHeader header;
    switch (JetHeader::parse(head.data(), head.size(), file.size(), header)) {
        case JetHeader::Check::NotJet:
            throwEngineError(err::WrongFormat, request.name);
        case JetHeader::Check::Truncated:
            throwEngineError(err::CorruptDatabase, request.name);
        case JetHeader::Check::Ok:
            break;
    }
    if (!header.password.empty()) {
        const QString stored = QString::fromStdU16String(header.password);
        if (!request.connect.password || *request.connect.password != stored)
            throwEngineError(err::NotAPassword, request.name);
    }
    access::checkCatalogPage(file, header);
    return std::make_unique<access::AccessDatabase>(request.name, header, file.size());
}

}  // namespace ds::db
