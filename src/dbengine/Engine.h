#pragma once

#include "dbengine/Recordset.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace ds::db {

// Format family named by a connect string's first part.
enum class Family { Access, Dbase, Paradox, Excel };

// A parsed connect string: "dBASE IV;PWD=geheim;" -> family dBASE, version text "dBASE IV",
// password "geheim". An empty first part is Access.
struct ConnectInfo {
    Family family = Family::Access;
    QString formatName;               // the first part as given, e.g. "Excel 5.0"
    std::optional<QString> password;  // present once a PWD= part was given
};

// Parses a connect string; throws EngineError(3170) when the format name is unknown.
ConnectInfo parseConnect(const QString& connect);

// What a reader's open function receives.
struct OpenRequest {
    QString name;  // file path (Access, Excel) or folder (one-table formats)
    ConnectInfo connect;
    bool exclusive = false;
};

// The engine's workspace: opens databases by name and connect string. Always read-only; the
// read-only flag is accepted for the callers' sake and never changes anything.
class Workspace {
  public:
    std::unique_ptr<Database> openDatabase(const QString& name, bool exclusive, bool readOnly,
                                           const QString& connect);
    // Releasing read locks: the readers hold none between calls.
    void idle() {}
    void close() {}
};

// Replaces a family's reader (tests drive the content search with in-memory databases); an
// empty function restores the real reader.
using DatabaseOpener = std::function<std::unique_ptr<Database>(const OpenRequest&)>;
void overrideOpener(Family family, DatabaseOpener opener);

// Reader entry points, one per family (each in its reader's folder).
std::unique_ptr<Database> openAccessDatabase(const OpenRequest& request);
std::unique_ptr<Database> openDbaseFolder(const OpenRequest& request);
std::unique_ptr<Database> openParadoxFolder(const OpenRequest& request);
std::unique_ptr<Database> openExcelWorkbook(const OpenRequest& request);

}  // namespace ds::db

namespace ds::db {

// For the one-table formats: the file of a table in a folder. The name is tried as given, then
// with the extension appended, then both without regard to case (files copied from DOS often
// have upper-case names). Throws EngineError(3011) when there is none.
QString resolveTableFile(const QString& folder, const QString& tableName, const QString& extension);

// A companion file beside a table (memo .DBT/.FPT, blob .MB): same base name, the given
// extension, case ignored. Empty when there is none.
QString findCompanionFile(const QString& tablePath, const QString& extension);
// The spelling findCompanionFile tries first: the extension in the case of the table's own.
QString companionFileGuess(const QString& tablePath, const QString& extension);

}  // namespace ds::db
