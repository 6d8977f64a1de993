#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "dbengine/paradox/ParadoxRecordset.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace ds::db {

namespace {

// A folder of Paradox tables: every .DB file in it is a table, named without the extension.
class ParadoxDatabase : public Database {
  public:
    explicit ParadoxDatabase(const OpenRequest& request)
        : folder_(request.name), password_(request.connect.password) {}

    std::vector<TableDef> tableDefs() override {
        const QFileInfoList entries =
            QDir(folder_).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
        std::vector<TableDef> defs;
        for (const QFileInfo& entry : entries) {
            if (entry.suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) == 0)
                defs.push_back(TableDef{entry.completeBaseName(), 0});
        }
        std::sort(defs.begin(), defs.end(), [](const TableDef& a, const TableDef& b) {
            return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        });
        return defs;
    }

    std::unique_ptr<Recordset> openRecordset(const QString& tableName) override {
        const QString path = resolveTableFile(folder_, tableName, QStringLiteral(".DB"));
        return std::make_unique<paradox::ParadoxRecordset>(path, password_);
    }

  private:
    QString folder_;
    std::optional<QString> password_;
};

}  // namespace

std::unique_ptr<Database> openParadoxFolder(const OpenRequest& request) {
    return std::make_unique<ParadoxDatabase>(request);
}

}  // namespace ds::db
