#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace ds::search {

// What the windows hold when a run starts: mode, file type, path choice, terms and check marks.
struct SearchCriteria {
    bool textSearch = true;  // "&Textrecherche" selected
    QString modeCaption;     // caption of the selected mode option, with its "&"
    int formatIndex = 1;     // item data of the "Dateityp" entry
    enum class PathChoice { Drive = 0, AllDrives = 1, Folder = 2 };
    PathChoice pathChoice = PathChoice::Drive;
    QString driveEntry;             // current entry of the visible drive list
    QString folder;                 // full path behind the folder label
    QStringList extraFolders;       // further folders walked after it (command line only)
    QString excludedDrives;         // the settings window's excluded-drives list
    QString termsText;              // the terms box (lines separated by CR LF)
    QString excludeText;            // the exclusion box
    bool matchCase = false;         // "Groß-/Kleinschreibung beachten"
    bool allTerms = false;          // "alle Begriffe müssen vorkommen"
    bool excludeChecked = false;    // "aussortieren, wenn enthalten:"
    bool includeSubfolders = true;  // "&Unterverzeichnisse einbeziehen"
    bool statusLineMode = false;    // "&Suchvorgang als Statuszeile"
    bool fullNames = false;         // "&vollständiger Dateiname"
    bool fileInfo = true;           // "&Datei-Informationen"
};

// A result column: heading, width in twips and the grid's alignment code.
struct ColumnSpec {
    QString heading;
    int widthTwips = 0;
    int alignment = 0;
};

// Labels of the progress window, by their index in the old label array.
enum class ProgressLabel : int {
    HitCaption = 1,
    HitCount = 2,
    Folder = 4,
    FileNameCaption = 5,
    FileName = 6,
    FileSize = 7,
    BytesCaption = 8,
    Percent = 9,
    RecordCaption = 10,
    Record = 11,
};

// Everything the search run needs from its surroundings: the windows (or the CLI, or a test).
// The run keeps the order of its steps and calls these at the points where the old program
// touched its windows.
class SearchHost {
  public:
    virtual ~SearchHost() = default;

    virtual SearchCriteria criteria() = 0;

    // False when nobody sees the progress labels (the command line): the run then skips the
    // work that only feeds them, such as the size of every searched file.
    virtual bool showsProgress() const { return true; }

    // Worker threads the content search may read files on, ahead of the run. More than one only
    // for hosts without progress, stop button or prompt on the screen: askPassword is then
    // called on a worker thread (one call at a time).
    virtual int scanThreads() const { return 1; }

    // Result table: discard the previous one, create a new hidden one with its columns and the
    // hand-over values, append rows ("cells separated by TAB"), show it at the end.
    virtual void discardResults() = 0;
    virtual void prepareResults(const QString& layoutTag, const QString& connect, int formatIndex,
                                const QList<ColumnSpec>& columns) = 0;
    virtual void appendRow(const QString& row) = 0;
    virtual void showResults() = 0;

    virtual void setStatusText(const QString& text) = 0;

    // Progress window (shown unless status line mode) and status line strip.
    virtual void showProgressWindow(bool visible) = 0;
    virtual void setProgressText(ProgressLabel label, const QString& text) = 0;
    virtual void setProgressLabelVisible(ProgressLabel label, bool visible) = 0;
    // The hot path of the content search: record position and percentage.
    virtual void setRecordProgress(std::int64_t record, int percent) = 0;
    virtual void showStatusLine(bool visible) = 0;  // also hides/shows the main window
    virtual void setStatusLineText(int index, const QString& text) = 0;  // labels 1..3

    // Locks (true) or unlocks everything that could start a run or change its criteria: the
    // hourglass, the button bar's stop role, the settings and terms windows, the menus.
    virtual void lockUserInterface(bool locked) = 0;

    // Lets the window system run; called at every yield point (the host may skip passes so
    // that a pass happens at most every few milliseconds).
    virtual void yield() = 0;
    virtual bool stopRequested() = 0;
    virtual void clearStopRequest() = 0;

    virtual int message(const QString& text, platform::Icon icon) = 0;

    // The password prompt of a protected file: ";PWD=...;" or empty when cancelled.
    virtual QString askPassword(const QString& filePath) = 0;

    // The folder search list of the main window.
    virtual void addSearchFolder(const QString& folder) = 0;
};

}  // namespace ds::search
