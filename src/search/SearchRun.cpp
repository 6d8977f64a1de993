#include "search/SearchRun.h"

#include "common/Val.h"
#include "dbengine/EngineError.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "search/FileTypes.h"
#include "search/ParallelScan.h"
#include "search/SearchTerms.h"
#include "search/TermMatcher.h"

#include <charconv>
#include <deque>
#include <new>

namespace ds::search {

using namespace ds::platform;
using ProgressLabel::FileName;

namespace {

const QString kTab = QStringLiteral("\t");

QList<ColumnSpec> textSearchColumns(bool severalTables) {
    if (severalTables)
        return {{QString(), 400, 2},
                {QStringLiteral("Datei"), 5100, 0},
                {QStringLiteral("Tabelle"), 1300, 0},
                {QStringLiteral("Datensatz"), 1000, 2},
                {QStringLiteral("Suchbegriff"), 1300, 0}};
    return {{QString(), 400, 2},
            {QStringLiteral("Datei"), 5100, 0},
            {QStringLiteral("Datensatz"), 1000, 2},
            {QStringLiteral("Suchbegriff"), 2000, 0}};
}

QList<ColumnSpec> fileSearchColumns(bool fileInfo) {
    QList<ColumnSpec> cols = {{QString(), 400, 2}, {QStringLiteral("Datei"), 5100, 0}};
    if (fileInfo) {
        // The old time column had an unusable negative width; it gets the grid's default.
        cols += {{QStringLiteral("Bytes"), 1300, 0},
                 {QStringLiteral("Datum"), 1000, 2},
                 {QStringLiteral("Zeit"), 960, 2},
                 {QStringLiteral("Attr."), 500, 2}};
    }
    return cols;
}

// Thrown to end a file at once (result table full, out of memory): goes to the closing step.
struct EndOfFile {};

}  // namespace

struct SearchRun::Walk {
    QString start;
    QStringList folderList;
    std::uint64_t device = 0;
};

SearchRun::SearchRun(SearchHost& host) : host_(host) {}

void SearchRun::RunSearch() {
    criteria_ = host_.criteria();
    const SearchCriteria& c = criteria_;

    // 1-2: file type.
    FullNameFormat = 0;
    const int formatIndex = c.formatIndex;
    const QString connectString = fileTypeConnect(formatIndex);

    // 3-7
    host_.setStatusText(QStringLiteral(" "));
    host_.discardResults();
    ResultTableFull = false;
    const bool textSearch = c.textSearch;
    const QString statusText = c.modeCaption.mid(1) + QStringLiteral("...");
    StatusLineMode = c.statusLineMode;
    QStringList searchTerms{QString()};

    if (textSearch) {
        MatchCase = c.matchCase;
        AllTerms = c.allTerms;
        const QString termText = trimBlanks(c.termsText) + QStringLiteral("\r\n");
        ExcludeActive = false;
        ExcludeText = trimBlanks(c.excludeText);
        if (c.excludeChecked) {
            ExcludeActive = !ExcludeText.isEmpty();
            lastExcludeText = ExcludeText;
        }
        const SplitTerms split = splitSearchTerms(termText, ExcludeActive, ExcludeText, MatchCase);
        lastTermList = split.termList;
        if (split.terms.isEmpty()) {
            host_.message(QStringLiteral("Es wurde kein Suchbegriff eingegeben!"),
                          Icon::Exclamation);
            return;
        }
        searchTerms = split.terms;
        if (searchTerms.size() == 1)
            AllTerms = false;
        host_.setStatusText(statusText);
        host_.prepareResults(
            hasSeveralTables(formatIndex) ? QStringLiteral("0") : QStringLiteral("1"),
            connectString, formatIndex, textSearchColumns(hasSeveralTables(formatIndex)));
    } else {
        host_.setStatusText(statusText);
        FullNameFormat = c.fullNames ? 1 : 0;
        host_.prepareResults(QString::number(2 + FullNameFormat), connectString, formatIndex,
                             fileSearchColumns(c.fileInfo));
        host_.setProgressLabelVisible(ProgressLabel::FileNameCaption, false);
        host_.setProgressLabelVisible(ProgressLabel::BytesCaption, false);
        host_.setProgressLabelVisible(ProgressLabel::RecordCaption, false);
    }

    // 10-16: the locked phase.
    RowTextTotal = 0;
    SearchRunning = true;
    host_.lockUserInterface(true);
    HitCount = 0;
    if (StatusLineMode) {
        host_.showStatusLine(true);
        host_.setStatusLineText(3, QStringLiteral(" "));
    } else {
        host_.showProgressWindow(true);
        host_.setProgressText(ProgressLabel::HitCount, QStringLiteral("0"));
    }

    // 17: the walk.
    switch (c.pathChoice) {
        case SearchCriteria::PathChoice::AllDrives:
            for (const DriveInfo& drive : listDrives()) {
                if (!isDriveExcluded(drive.spec, c.excludedDrives, driveStyle()) && drive.fixed)
                    WalkFolders(drive.spec, searchTerms, formatIndex, connectString);
                host_.yield();
                if (host_.stopRequested() || ResultTableFull)
                    break;
            }
            break;
        case SearchCriteria::PathChoice::Drive:
            WalkFolders(upperIfCaseless(c.driveEntry), searchTerms, formatIndex, connectString);
            break;
        case SearchCriteria::PathChoice::Folder:
            for (const QString& folder : QStringList{c.folder} + c.extraFolders) {
                host_.addSearchFolder(folder);
                WalkFolders(folder, searchTerms, formatIndex, connectString);
                if (host_.stopRequested() || ResultTableFull)
                    break;
            }
            break;
    }

    // 18: closing rows.
    const bool stopped = host_.stopRequested();
    if (HitCount == 0 && !stopped)
        host_.appendRow(kTab + QStringLiteral("Keine Datei gefunden!"));
    if (stopped)
        host_.appendRow(kTab + QStringLiteral("Suchvorgang abgebrochen..."));

    // 19-21: unlock.
    host_.clearStopRequest();
    host_.lockUserInterface(false);
    host_.setStatusText(QString());
    SearchRunning = false;

    // 22-25
    if (ResultTableFull) {
        host_.message(QStringLiteral("Abbruch! Zu viele Fundstellen!"), Icon::Exclamation);
        ResultTableFull = false;
    }
    host_.setProgressLabelVisible(ProgressLabel::FileNameCaption, true);
    host_.setProgressLabelVisible(ProgressLabel::BytesCaption, true);
    host_.setProgressLabelVisible(ProgressLabel::RecordCaption, true);
    host_.showProgressWindow(false);
    if (StatusLineMode)
        host_.showStatusLine(false);
    host_.showResults();
}

void SearchRun::addHits(int count) {
    if (count > hitCountLimit - HitCount)
        throw WalkError{6, QStringLiteral("Überlauf")};
    HitCount += count;
}

void SearchRun::selectWalkDrive(const QString& startPath) {
    const QString drive =
        driveStyle() == DriveStyle::Letters ? startPath.left(2) : driveOfPath(startPath);
    if (samePath(drive, walkDrive))
        return;
    if (isDriveExcluded(drive, criteria_.excludedDrives, driveStyle())) {
        // Refused by the drive list with its message; the walk goes on with the path.
        host_.message(QStringLiteral("Der Zugriff auf Laufwerk ") + upperIfCaseless(drive) +
                          QStringLiteral("\r\nist nicht möglich!"),
                      Icon::Exclamation);
        return;
    }
    if (FileSystem::deviceOf(drive))
        walkDrive = drive;
}

void SearchRun::WalkFolders(const QString& startPath, const QStringList& searchTerms,
                            int formatIndex, const QString& connectString) {
    Walk walk;
    try {
        const QString verzeichnisbaum = QStringLiteral("Verzeichnisbaum Laufwerk");
        host_.setProgressText(ProgressLabel::Folder, verzeichnisbaum + QStringLiteral("\r\n[ ") +
                                                         startPath + QStringLiteral(" ]"));
        if (StatusLineMode)
            host_.setStatusLineText(
                1, QLatin1Char(' ') + verzeichnisbaum + QLatin1Char(' ') + startPath);

        QString start = lowerIfCaseless(startPath);
        if (start.contains(QStringLiteral(": [")))
            start = start.left(2);
        else if (driveStyle() == DriveStyle::MountPoints && start.contains(QStringLiteral(" [")))
            start = driveSpecOfEntry(start);
        start = withTrailingSeparator(start);
        walk.start = start;
        walk.folderList.append(start);

        selectWalkDrive(start);
        const int probe = FileSystem::probeFolder(start);
        if (probe == 68)
            throw WalkError{68, QStringLiteral("Kein Zugriff auf das Laufwerk möglich!")};
        if (probe == 76)
            throw WalkError{76, QStringLiteral("Ungültiger Dateityp")};
        if (probe != 0)
            throw WalkError{probe, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei")};
        walk.device = FileSystem::deviceOf(start).value_or(0);

        const bool collect = criteria_.pathChoice != SearchCriteria::PathChoice::Folder ||
                             criteria_.includeSubfolders;
        if (collect)
            collectFolders(walk);
        if (host_.stopRequested())
            return;

        const int threads = host_.scanThreads();
        if (criteria_.textSearch && threads > 1 && readsConcurrently(formatIndex))
            visitTextSearchConcurrently(walk, searchTerms, formatIndex, connectString, threads);
        else if (criteria_.textSearch)
            visitTextSearch(walk, searchTerms, formatIndex, connectString);
        else
            visitFileSearch(walk, formatIndex);

        host_.setProgressText(ProgressLabel::Folder, QStringLiteral(" "));
        if (StatusLineMode)
            host_.setStatusLineText(1, QStringLiteral(" "));
    } catch (const WalkError& e) {
        QString text = e.description;
        if (e.number != 68 && e.number != 76)
            text += QStringLiteral(" Nr. ") + QString::number(e.number);
        host_.appendRow(kTab + QStringLiteral("Fehler! ") + text);
    }
}

void SearchRun::collectFolders(Walk& walk) {
    QStringList names;
    for (qsizetype i = 0; i < walk.folderList.size(); ++i) {
        const QString parent = withTrailingSeparator(walk.folderList[i]);
        FileSystem::subfolders(parent, walk.device, &names);
        for (qsizetype j = 0; j < names.size(); ++j) {
            walk.folderList.insert(i + j + 1, parent + names[j]);
            host_.yield();
            if (host_.stopRequested())
                break;
        }
        if (host_.stopRequested())
            break;
    }
}

void SearchRun::visitTextSearch(Walk& walk, const QStringList& terms, int formatIndex,
                                const QString& connect) {
    db::Workspace workspace;
    const QString extension = fileTypeExtension(formatIndex);
    QStringList files;
    for (const QString& entry : walk.folderList) {
        host_.setProgressText(ProgressLabel::Folder, entry);
        if (StatusLineMode)
            host_.setStatusLineText(1, QLatin1Char(' ') + entry);
        bool folderHasHits = false;
        const QString folder = withTrailingSeparator(entry);
        FileSystem::matchingFiles(folder, extension, &files);
        for (const QString& file : files) {
            if (StatusLineMode)
                host_.setStatusLineText(2, file);
            else
                host_.setProgressText(FileName, file);
            const int hits = SearchDatabaseFile(workspace, folder, file, terms, formatIndex,
                                                connect, folderHasHits);
            if (hits > 0) {
                folderHasHits = true;
                addHits(hits);
            }
            showHitCount();
            host_.yield();
            if (host_.stopRequested() || ResultTableFull)
                break;
        }
        host_.yield();
        if (host_.stopRequested() || ResultTableFull)
            break;
    }
    workspace.close();
    for (ProgressLabel l :
         {FileName, ProgressLabel::FileSize, ProgressLabel::Percent, ProgressLabel::Record})
        host_.setProgressText(l, QStringLiteral(" "));
}

void SearchRun::showHitCount() {
    if (HitCount == 0)
        return;
    if (StatusLineMode)
        host_.setStatusLineText(3, QString::number(HitCount));
    else
        host_.setProgressText(ProgressLabel::HitCount, QString::number(HitCount));
}

void SearchRun::visitFileSearch(Walk& walk, int formatIndex) {
    const QString extension = fileTypeExtension(formatIndex);
    const bool fileInfo = criteria_.fileInfo;
    QStringList files;
    for (const QString& entry : walk.folderList) {
        host_.setProgressText(ProgressLabel::Folder, entry);
        if (StatusLineMode)
            host_.setStatusLineText(1, QLatin1Char(' ') + entry);
        const QString folder = withTrailingSeparator(entry);
        FileSystem::matchingFiles(folder, extension, &files);
        if (FullNameFormat == 0 && !files.isEmpty()) {
            const QString heading =
                QStringLiteral("»\t") + upperIfCaseless(withoutTrailingSeparator(folder));
            if (RowTextTotal + heading.size() > capacity) {
                ResultTableFull = true;
                break;
            }
            if (HitCount > 0)
                host_.appendRow(QString());
            host_.appendRow(heading);
            RowTextTotal += std::int32_t(heading.size());
        }
        for (const QString& file : files) {
            const QString info = fileInfo ? FileInfoText(folder + file) : QString();
            const QString rowText = (FullNameFormat == 1 ? folder + file : file) + info;
            if (RowTextTotal + rowText.size() > capacity) {
                ResultTableFull = true;
                break;
            }
            host_.appendRow(kTab + rowText);
            RowTextTotal += std::int32_t(rowText.size());
            host_.yield();
            if (host_.stopRequested())
                break;
        }
        if (!files.isEmpty()) {
            addHits(int(std::min<qsizetype>(files.size(), qsizetype(hitCountLimit) + 1)));
            host_.setProgressText(ProgressLabel::HitCount, QString::number(HitCount));
            if (StatusLineMode)
                host_.setStatusLineText(3, QString::number(HitCount));
        }
        host_.yield();
        if (host_.stopRequested() || ResultTableFull)
            break;
    }
}

TermMatcher& SearchRun::matcherFor(const QStringList& terms) {
    const std::optional<QString> exclude =
        ExcludeActive ? std::optional<QString>(ExcludeText) : std::nullopt;
    if (!matcher_ || matcherTerms_ != terms || matcherCase_ != MatchCase ||
        matcherExclude_ != exclude) {
        matcher_ = std::make_unique<TermMatcher>(terms, MatchCase, exclude);
        matcherTerms_ = terms;
        matcherCase_ = MatchCase;
        matcherExclude_ = exclude;
    }
    return *matcher_;
}

QString SearchRun::FileInfoText(const QString& path) {
    FileStat st;
    if (!FileSystem::stat(path, &st))
        throw WalkError{53, QStringLiteral("Datei nicht gefunden")};
    QString attributes = QStringLiteral("____");
    if (st.attributes & attr::Archive)
        attributes[0] = QLatin1Char('A');
    if (st.attributes & attr::ReadOnly)
        attributes[1] = QLatin1Char('R');
    if (st.attributes & attr::Hidden)
        attributes[2] = QLatin1Char('H');
    if (st.attributes & attr::System)
        attributes[3] = QLatin1Char('S');
    return kTab + QString::number(st.size) + kTab +
           st.modified.toString(QStringLiteral("dd.MM.yyyy")) + kTab +
           st.modified.toString(QStringLiteral("HH:mm")) + kTab + attributes;
}

QString SearchRun::FileSizeText(const QString& path) {
    const std::int64_t size = FileSystem::size(path);
    return size >= 0 ? QString::number(size) : QString();
}

// Turns what the reading of one file reports into result rows: the folder heading before the
// file's first row of any kind, the capacity test, the file's hit count and the error rows.
class SearchRun::FileRows final : public ScanSink {
  public:
    FileRows(SearchRun& run, const QString& folder, const QString& fileName,
             const QStringList& terms, bool& folderHasHits)
        : run_(run),
          headingFolder_(withoutTrailingSeparator(folder)),
          fileName_(fileName),
          terms_(terms),
          folderHasHits_(folderHasHits) {}

    int hits() const { return hits_; }

    void beginTable(const QString& displayText) override { displayText_ = displayText; }

    void recordHits(std::int64_t record, std::span<const int> found) override {
        if (run_.AllTerms) {
            addHitRow(record, allTermsCell());
            addHitCount(1);
            return;
        }
        for (int k : found)
            addHitRow(record, terms_[k]);
        addHitCount(int(found.size()));
    }

    void endWithError(int number, const QString& message) override {
        switch (number) {
            case db::err::NotAPassword:
                addRow(fileName_ + QStringLiteral(": Kennwort-Schutz"));
                break;
            case db::err::PermissionDenied:
            case db::err::CannotOpenFile:
                addRow(fileName_ + QStringLiteral(" wird bereits bearbeitet!"));
                break;
            case db::err::PathFileAccess:
                addRow(fileName_ + QStringLiteral(" kann nicht eingelesen werden!"));
                break;
            case db::err::WrongFormat:
                addRow(fileName_ + QStringLiteral(": Falsches Datenbank-Format"));
                break;
            case 14:
                run_.ResultTableFull = true;
                break;
            default:
                addRow(fileName_ + QStringLiteral(" (") + message + QStringLiteral(")") +
                       QString::number(number));
                break;
        }
    }

    void endNotOpened() override {
        addRow(fileName_ + QStringLiteral(" kann nicht geöffnet werden!"));
    }

    void endOutOfMemory() override { run_.ResultTableFull = true; }

  private:
    // A row of the first empty cell and then text; the capacity counts the text.
    void addTabbedRow(const QString& row) {
        const qsizetype textSize = row.size() - 1;
        if (run_.RowTextTotal + textSize > run_.capacity) {
            run_.ResultTableFull = true;
            throw EndOfFile{};
        }
        if (!folderHasHits_) {
            folderHasHits_ = true;
            run_.host_.appendRow(QString());
            run_.host_.appendRow(QStringLiteral("»\t") + headingFolder_);
        }
        run_.host_.appendRow(row);
        run_.RowTextTotal += std::int32_t(textSize);
    }
    void addRow(const QString& text) { addTabbedRow(kTab + text); }
    // Built in one piece: a frequent term gives a row for many records.
    void addHitRow(std::int64_t record, const QString& what) {
        char digits[24];
        const char* end = std::to_chars(digits, digits + sizeof digits, record).ptr;
        const QLatin1StringView number(digits, end - digits);
        QString row;
        row.reserve(displayText_.size() + number.size() + what.size() + 3);
        row.append(kTab).append(displayText_).append(kTab).append(number).append(kTab).append(what);
        addTabbedRow(row);
    }
    void addHitCount(int count) {
        if (count > run_.hitCountLimit - hits_)
            throw db::EngineError(6, QStringLiteral("Überlauf"));
        hits_ += count;
    }

    SearchRun& run_;
    QString headingFolder_;
    QString fileName_;
    const QStringList& terms_;
    bool& folderHasHits_;
    QString displayText_;
    int hits_ = 0;
};

// The run's own reading of a file: progress, yield and the prompt through the host.
class SearchRun::HostControl final : public ScanControl {
  public:
    explicit HostControl(SearchHost& host) : host_(host) {}
    bool showsProgress() const override { return host_.showsProgress(); }
    void setRecordProgress(std::int64_t record, int percent) override {
        host_.setRecordProgress(record, percent);
    }
    void yield() override { host_.yield(); }
    bool stopRequested() override { return host_.stopRequested(); }
    QString askPassword(const QString& filePath) override { return host_.askPassword(filePath); }

  private:
    SearchHost& host_;
};

ScanRequest SearchRun::scanRequest(const QString& folder, const QString& fileName, int formatIndex,
                                   const QString& connectString) const {
    ScanRequest request;
    request.folder = folder;
    request.fileName = fileName;
    request.formatIndex = formatIndex;
    request.connect = connectString;
    request.allTerms = AllTerms;
    return request;
}

int SearchRun::SearchDatabaseFile(db::Workspace& workspace, const QString& folder,
                                  const QString& fileName, const QStringList& searchTerms,
                                  int formatIndex, const QString& connectString,
                                  bool& folderHasHits) {
    if (host_.showsProgress()) {
        host_.setProgressText(ProgressLabel::Record, QStringLiteral(" "));
        host_.setProgressText(ProgressLabel::FileSize, FileSizeText(folder + fileName));
    }
    FileRows rows(*this, folder, fileName, searchTerms, folderHasHits);
    HostControl control(host_);
    try {
        scanDatabaseFile(workspace, scanRequest(folder, fileName, formatIndex, connectString),
                         matcherFor(searchTerms), control, rows);
    } catch (const EndOfFile&) {
    } catch (const std::bad_alloc&) {
        ResultTableFull = true;
    }
    return rows.hits();
}

void SearchRun::visitTextSearchConcurrently(Walk& walk, const QStringList& terms, int formatIndex,
                                            const QString& connect, int threads) {
    ParallelScan::Settings settings;
    settings.threads = threads;
    settings.terms = terms;
    settings.matchCase = MatchCase;
    if (ExcludeActive)
        settings.exclude = ExcludeText;
    settings.allTerms = AllTerms;
    settings.capacity = capacity;
    settings.partSlots = partSlots;
    settings.askPassword = [this](const QString& path) { return host_.askPassword(path); };
    ParallelScan scan(std::move(settings));

    // The files in reading order with their folder; the rows follow this order.
    struct Submitted {
        qsizetype folderIndex;
        QString folder;
        QString file;
    };
    std::deque<Submitted> submitted;
    qsizetype rowsFolder = -1;
    bool folderHasHits = false;
    // Replays the oldest file as the run's own reading would have written it; false to stop.
    auto replayOldest = [&] {
        const Submitted next = std::move(submitted.front());
        submitted.pop_front();
        if (next.folderIndex != rowsFolder) {
            rowsFolder = next.folderIndex;
            folderHasHits = false;
            host_.setProgressText(ProgressLabel::Folder, walk.folderList[next.folderIndex]);
        }
        FileRows rows(*this, next.folder, next.file, terms, folderHasHits);
        try {
            scan.replayNext(rows);
        } catch (const EndOfFile&) {
        } catch (const std::bad_alloc&) {
            ResultTableFull = true;
        }
        if (rows.hits() > 0) {
            folderHasHits = true;
            addHits(rows.hits());
        }
        showHitCount();
        host_.yield();
        return !host_.stopRequested() && !ResultTableFull;
    };

    // Enough files ahead to keep the workers busy, few enough to keep the memory flat.
    const std::size_t window = std::size_t(threads) * 16;
    const QString extension = fileTypeExtension(formatIndex);
    QStringList files;
    bool going = true;
    for (qsizetype i = 0; going && i < walk.folderList.size(); ++i) {
        const QString folder = withTrailingSeparator(walk.folderList[i]);
        FileSystem::matchingFiles(folder, extension, &files);
        for (const QString& file : files) {
            submitted.push_back({i, folder, file});
            scan.submit(scanRequest(folder, file, formatIndex, connect));
            while (going && scan.pending() >= window)
                going = replayOldest();
            if (!going)
                break;
        }
    }
    while (going && !submitted.empty())
        going = replayOldest();
    for (ProgressLabel l :
         {FileName, ProgressLabel::FileSize, ProgressLabel::Percent, ProgressLabel::Record})
        host_.setProgressText(l, QStringLiteral(" "));
}

}  // namespace ds::search
