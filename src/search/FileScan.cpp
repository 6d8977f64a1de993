#include "search/FileScan.h"

#include "dbengine/EngineError.h"
#include "platform/Paths.h"
#include "search/FileTypes.h"
#include "search/ShortPath.h"

#include <new>
#include <vector>

namespace ds::search {

namespace {

// Engine errors that end a table or a field quietly, as if there were nothing more to read.
bool isSkipped(int number) {
    return number == 94 || number == db::err::NoCurrentRecord || number == 3112 || number == 3050 ||
           number == 3420;
}

// Read-only and shared; null where the engine's error means there is nothing to read.
std::unique_ptr<db::Database> openDatabase(db::Workspace& workspace, const QString& name,
                                           const QString& connect) {
    try {
        return workspace.openDatabase(name, false, true, connect);
    } catch (const db::EngineError& e) {
        if (isSkipped(e.number()))
            return nullptr;
        throw;
    }
}

std::unique_ptr<db::Recordset> openTable(db::Database& database, const QString& table) {
    try {
        return database.openRecordset(table);
    } catch (const db::EngineError& e) {
        if (isSkipped(e.number()))
            return nullptr;
        throw;
    }
}

// Reads the recordset from its position. Counted (the progress labels need the count): exactly
// recordCount() records; otherwise up to the end. Returns the records visited.
std::int64_t scanRecords(db::Recordset& rs, bool counted, TermMatcher& matcher, bool allTerms,
                         db::Workspace& workspace, ScanControl& control, ScanSink& sink) {
    std::int64_t n = 0;
    if (counted) {
        rs.moveLast();
        n = rs.recordCount();
        if (n <= 0)
            return 0;
        rs.moveFirst();
    } else if (rs.eof()) {
        return 0;
    }
    std::vector<int> searchable;
    for (int f = 0; f < rs.fieldCount(); ++f) {
        if (db::isSearchableType(rs.fieldInfo(f).type))
            searchable.push_back(f);
    }
    std::vector<int> found;
    found.reserve(std::size_t(matcher.termCount()));
    workspace.idle();
    std::int64_t r = 1;
    for (; counted ? r <= n : !rs.eof(); ++r) {
        if (counted)
            control.setRecordProgress(r, int(r * 100 / n));
        workspace.idle();
        matcher.beginRecord();
        for (int f : searchable) {
            try {
                matcher.addField(rs.text(f));
            } catch (const db::EngineError& e) {
                if (!isSkipped(e.number()))
                    throw;
            }
        }
        if (matcher.recordHasText() && !matcher.excluded()) {
            found.clear();
            for (int k = 0; k < matcher.termCount(); ++k) {
                if (matcher.termFound(k))
                    found.push_back(k);
            }
            if (allTerms ? int(found.size()) == matcher.termCount() : !found.empty())
                sink.recordHits(r, found);
        }
        control.yield();
        if (control.stopRequested())
            return r;
        try {
            rs.moveNext();
        } catch (const db::EngineError& e) {
            if (!isSkipped(e.number()))
                throw;
        }
    }
    return r - 1;
}

}  // namespace

QString allTermsCell() {
    return QStringLiteral("Alle Suchbegriffe enthalten...");
}

QString ScanRequest::databaseName() const {
    return hasSeveralTables(formatIndex) ? folder + fileName : folder;
}

QString ScanRequest::tableName() const {
    if (hasSeveralTables(formatIndex))
        return {};
    // Paradox and names with blanks are opened under the short name where the system has one.
    if (isParadox(formatIndex) || fileName.contains(QLatin1Char(' '))) {
        const QString full = folder + fileName;
        const QString shortName = ShortPathName(full);
        if (!shortName.isEmpty() && shortName.compare(full, Qt::CaseInsensitive) != 0) {
            const QString shortPart = platform::namePart(shortName);
            if (shortPart.compare(fileName, Qt::CaseInsensitive) != 0)
                return shortPart;
        }
    }
    return fileName;
}

void scanDatabaseFile(db::Workspace& workspace, const ScanRequest& request, TermMatcher& matcher,
                      ScanControl& control, ScanSink& sink, PartPlanner* planner) {
    const bool severalTables = hasSeveralTables(request.formatIndex);
    const QString databaseName = request.databaseName();
    const QString tableName = request.tableName();
    QString passwordPart = request.part ? request.part->passwordPart : QString();
    for (;;) {
        try {
            const auto database =
                openDatabase(workspace, databaseName, request.connect + passwordPart);
            if (!database) {
                sink.endNotOpened();
                return;
            }
            if (severalTables) {
                for (const db::TableDef& def : database->tableDefs()) {
                    if (def.attributes != 0)
                        continue;
                    if (auto rs = openTable(*database, def.name)) {
                        sink.beginTable(request.fileName + QLatin1Char('\t') + def.name);
                        const bool counted = control.showsProgress() || !rs->countIsAPass();
                        sink.endTable(scanRecords(*rs, counted, matcher, request.allTerms,
                                                  workspace, control, sink));
                    }
                }
            } else if (auto rs = openTable(*database, tableName)) {
                sink.beginTable(request.fileName);
                bool counted = control.showsProgress() || !rs->countIsAPass();
                if (request.part) {
                    rs->restrictToSlots(request.part->first, request.part->end);
                    counted = false;
                } else if (planner && rs->slotCount() > 0) {
                    const std::uint64_t slotTotal = rs->slotCount();
                    const std::uint64_t end = planner->planParts(slotTotal, passwordPart);
                    if (end < slotTotal) {
                        rs->restrictToSlots(0, end);
                        counted = false;
                    }
                }
                sink.endTable(
                    scanRecords(*rs, counted, matcher, request.allTerms, workspace, control, sink));
            }
            return;
        } catch (const std::bad_alloc&) {
            sink.endOutOfMemory();
            return;
        } catch (const db::EngineError& e) {
            if (e.number() == db::err::NotAPassword && !request.part) {
                passwordPart = control.askPassword(request.folder + request.fileName);
                if (!passwordPart.isEmpty())
                    continue;
            }
            sink.endWithError(e.number(), e.message());
            return;
        }
    }
}

}  // namespace ds::search
