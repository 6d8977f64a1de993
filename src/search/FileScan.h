#pragma once

#include "dbengine/Engine.h"
#include "search/TermMatcher.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace ds::search {

// Where the reading of one database file reports what it finds, in reading order. The search run
// turns these into result rows at once; a worker thread records them for the run to replay.
class ScanSink {
  public:
    virtual ~ScanSink() = default;
    // The records reported next belong to this table; displayText names it in the rows.
    virtual void beginTable(const QString& displayText) = 0;
    // A record with hits: its number within the table and the indices of the terms found.
    virtual void recordHits(std::int64_t record, std::span<const int> terms) = 0;
    // The table's records were read; `visited` of them.
    virtual void endTable(std::int64_t /*visited*/) {}
    // The file ends here: with an engine error, unopened, or for want of memory.
    virtual void endWithError(int number, const QString& message) = 0;
    virtual void endNotOpened() = 0;
    virtual void endOutOfMemory() = 0;
};

// What the reading of a file needs from the run while it goes on.
class ScanControl {
  public:
    virtual ~ScanControl() = default;
    virtual bool showsProgress() const = 0;
    virtual void setRecordProgress(std::int64_t record, int percent) = 0;
    virtual void yield() = 0;
    virtual bool stopRequested() = 0;
    // The password prompt: ";PWD=...;" or empty when cancelled.
    virtual QString askPassword(const QString& filePath) = 0;
};

// The term cell of a record's row when all terms must occur and do.
QString allTermsCell();

// One part of a large one-table file: its record slots and the password that let the first part
// in. Its records are numbered from 1; nobody is asked for a password.
struct ScanPart {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
    QString passwordPart;
};

// The file of the content search and how to open it.
struct ScanRequest {
    QString folder;  // with its trailing separator
    QString fileName;
    int formatIndex = 1;
    QString connect;
    bool allTerms = false;
    std::optional<ScanPart> part;  // only this part of the file

    // The engine's database and table names for the file (the table name empty for formats with
    // several tables per file).
    QString databaseName() const;
    QString tableName() const;
};

// A large one-table file may be read in parts on several threads. The reader of the first part
// asks the planner once it knows the table's record slots; the planner schedules the other parts
// and returns where the first one ends.
class PartPlanner {
  public:
    virtual ~PartPlanner() = default;
    virtual std::uint64_t planParts(std::uint64_t slotCount, const QString& passwordPart) = 0;
};

// Reads every ordinary table of the file (or the request's part) and reports each record that
// holds a term in a text or memo field (the password prompt repeats while the engine refuses the
// password). Exceptions the sink throws end the reading and pass through.
void scanDatabaseFile(db::Workspace& workspace, const ScanRequest& request, TermMatcher& matcher,
                      ScanControl& control, ScanSink& sink, PartPlanner* planner = nullptr);

}  // namespace ds::search
