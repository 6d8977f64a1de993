#pragma once

#include "dbengine/Engine.h"
#include "platform/Drives.h"
#include "search/FileScan.h"
#include "search/SearchHost.h"
#include "search/TermMatcher.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace ds::search {

// The search run: reads the criteria, builds a fresh result table, walks the drives or the
// folder and, in text search, searches every matching database file. Runs on the caller's
// thread and yields through the host at fixed points; talks to nothing but the host.
class SearchRun {
  public:
    // Characters of row text one run may append (file rows, hit rows, error rows, file-search
    // folder headings).
    static constexpr int kDefaultCapacity = 32767;

    explicit SearchRun(SearchHost& host);

    void RunSearch();

    // One walk: collect the folder tree of the start path, then visit it.
    void WalkFolders(const QString& startPath, const QStringList& searchTerms, int formatIndex,
                     const QString& connectString);

    // Searches one database file; returns its hits and sets folderHasHits when it wrote the
    // folder heading.
    int SearchDatabaseFile(db::Workspace& workspace, const QString& folder, const QString& fileName,
                           const QStringList& searchTerms, int formatIndex,
                           const QString& connectString, bool& folderHasHits);

    // TAB, size, TAB, dd.mm.yyyy, TAB, hh:mm, TAB, attribute letters (A R H S or "_").
    static QString FileInfoText(const QString& path);
    // The file's length in bytes as decimal text.
    static QString FileSizeText(const QString& path);

    // Run fields, as the windows and tests see them.
    bool SearchRunning = false;
    int HitCount = 0;  // kept in the 16-bit range; an overflow is reported like the old one
    int FullNameFormat = 0;
    bool StatusLineMode = false;
    bool MatchCase = false;
    bool AllTerms = false;
    bool ExcludeActive = false;
    QString ExcludeText;
    std::int32_t RowTextTotal = 0;
    bool ResultTableFull = false;  // the result-table-full signal

    // The accepted terms and exclusion of the last text search (for export and printout).
    QString lastTermList;
    QString lastExcludeText;

    // Capacity of the result table and the largest hit count (the CLI can lift both; the old
    // counters were 16-bit).
    int capacity = kDefaultCapacity;
    int hitCountLimit = 32767;

    // Record slots per part when a large table is read on several threads.
    std::uint64_t partSlots = std::uint64_t(1) << 16;

    // The drive the walk's drive list is on (it only refuses a drive when it changes to it).
    QString walkDrive;

    // Drive enumeration (replaced in tests).
    std::function<QList<platform::DriveInfo>()> listDrives = platform::listDrives;

  private:
    struct Walk;
    class FileRows;
    class HostControl;
    void collectFolders(Walk& walk);
    void visitTextSearch(Walk& walk, const QStringList& terms, int formatIndex,
                         const QString& connect);
    // The same visit with the files read ahead on worker threads.
    void visitTextSearchConcurrently(Walk& walk, const QStringList& terms, int formatIndex,
                                     const QString& connect, int threads);
    void visitFileSearch(Walk& walk, int formatIndex);
    ScanRequest scanRequest(const QString& folder, const QString& fileName, int formatIndex,
                            const QString& connectString) const;
    void showHitCount();
    void selectWalkDrive(const QString& startPath);
    void addHits(int count);

    // The matcher of the run's terms, kept across files (compiling a term is not free).
    TermMatcher& matcherFor(const QStringList& terms);

    SearchHost& host_;
    SearchCriteria criteria_;
    std::unique_ptr<TermMatcher> matcher_;
    QStringList matcherTerms_;
    bool matcherCase_ = false;
    std::optional<QString> matcherExclude_;
};

// Errors of the walk itself, reported as "Fehler!" rows.
struct WalkError {
    int number;
    QString description;
};

}  // namespace ds::search
