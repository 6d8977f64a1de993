#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "dbengine/excel/SheetTable.h"
#include "dbengine/excel/Workbook.h"

namespace ds::db {

namespace {

class ExcelDatabase final : public Database {
  public:
    explicit ExcelDatabase(std::shared_ptr<const excel::Workbook> workbook)
        : workbook_(std::move(workbook)) {}

    std::vector<TableDef> tableDefs() override {
        std::vector<TableDef> defs;
        for (const excel::SheetInfo& sheet : workbook_->sheets())
            defs.push_back(TableDef{sheet.name + QLatin1Char('$'), 0});
        return defs;
    }

    std::unique_ptr<Recordset> openRecordset(const QString& tableName) override {
        QString wanted = tableName;
        // Names with blanks may come quoted: 'Sheet 1$'.
        if (wanted.size() >= 2 && wanted.startsWith(QLatin1Char('\'')) &&
            wanted.endsWith(QLatin1Char('\'')))
            wanted = wanted.mid(1, wanted.size() - 2);
        const std::vector<excel::SheetInfo>& sheets = workbook_->sheets();
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if ((sheets[i].name + QLatin1Char('$')).compare(wanted, Qt::CaseInsensitive) == 0)
                return std::make_unique<excel::SheetTable>(workbook_, workbook_->readSheet(i));
        }
        throwEngineError(err::ObjectNotFound, tableName);
    }

  private:
    std::shared_ptr<const excel::Workbook> workbook_;
};

}  // namespace

// Every connect string of the family ("Excel 3.0" to "Excel 8.0") reads every BIFF3-8 file.
std::unique_ptr<Database> openExcelWorkbook(const OpenRequest& request) {
    return std::make_unique<ExcelDatabase>(
        std::make_shared<const excel::Workbook>(request.name, request.connect.password));
}

}  // namespace ds::db
