#pragma once

#include "dbengine/Engine.h"
#include "dbengine/access/JetHeader.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ds::db::access {

// Table attributes as the engine reports them (the values DAO uses).
namespace attr {
constexpr std::int32_t Hidden = 0x1;
constexpr std::int32_t LinkedOdbc = 0x20000000;
constexpr std::int32_t Linked = 0x40000000;
constexpr std::int32_t System = static_cast<std::int32_t>(0x80000002u);
}  // namespace attr

// MSysObjects.Type of the objects that are tables.
namespace objectType {
constexpr int LocalTable = 1;
constexpr int LinkedOdbcTable = 4;
constexpr int LinkedTable = 6;
}  // namespace objectType

// The engine's attributes of a catalog object: MSysObjects.Flags has 0x80000000 for system,
// 0x2 for "alt system" and 0x8 for hidden objects.
std::int32_t tableAttributes(int objectType, std::uint32_t catalogFlags);

// An .MDB file (Jet 3 or Jet 4) opened read-only.
class AccessDatabase final : public Database {
  public:
    // Reads the catalog; throws EngineError(3049) when it is damaged.
    AccessDatabase(QString path, const JetHeader& header, std::uint64_t fileSize);

    std::vector<TableDef> tableDefs() override;
    std::unique_ptr<Recordset> openRecordset(const QString& tableName) override;

  private:
    struct CatalogTable {
        QString name;
        std::string utf8Name;
        int objectType = 0;
        unsigned long page = 0;
        std::uint32_t flags = 0;
    };

    void readCatalog();

    QString path_;
    JetHeader header_;
    std::uint64_t fileSize_;
    std::vector<CatalogTable> tables_;
};

}  // namespace ds::db::access
