#pragma once

#include "dbengine/Recordset.h"

#include <QString>

#include <memory>
#include <vector>

namespace ds::db::dbase {

// A folder of .DBF files, one table per file, named by the file name without its extension.
class DbaseDatabase final : public Database {
  public:
    explicit DbaseDatabase(QString folder);

    std::vector<TableDef> tableDefs() override;
    // Accepts the file name with or without its extension, in any case.
    std::unique_ptr<Recordset> openRecordset(const QString& tableName) override;

  private:
    QString tablePath(const QString& tableName) const;

    QString folder_;
};

// Opens one .DBF file with its memo file. Throws 3274 for files that are not DBF tables of the
// versions read here, 3024 when the memo file is missing, 3049 for damage.
std::unique_ptr<Recordset> openDbfTable(const QString& path);

}  // namespace ds::db::dbase
