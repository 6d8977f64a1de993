#pragma once

#include "common/GridText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QObject;

namespace ds::results {

// What a long export or printout needs from the windows around it: the status text, a chance
// for the user interface to handle events, and the cancel request (the main window's cancel
// button). The command line and the tests supply their own.
class ExportHost {
  public:
    virtual ~ExportHost() = default;
    // The hourglass on the result window and the cancel button shown, with an arrow pointer.
    virtual void beginLongOperation() {}
    // The cancel button hidden and both pointers back to normal.
    virtual void endLongOperation() {}
    virtual void setStatusText(const QString&) {}
    virtual void processEvents() {}
    virtual bool cancelRequested() const { return false; }
    virtual void clearCancel() {}
};

// The accepted search terms of a term list as the search run leaves it (each term followed by
// CR): cut at CR, trimmed of blanks, empty pieces skipped, text after the last CR dropped.
QStringList termsOfTermList(const QString& termList);

// The report file's lines before the rows: title, description, the search terms of content
// searches (layouts 0 and 1), the heading line and the empty line after it.
QStringList reportHeadLines(const GridText& grid, int layout, const QString& termList);
// A row's line: columns 1 to the last joined by TAB (column 0 is never written).
QString reportRowLine(const GridText& grid, int row);
// A line as it goes into the file: Windows-1252 with CR LF.
QByteArray reportBytes(const QString& line);

// Writes the report into path (an existing file is replaced): the head lines, then the rows
// from row 2 on. After each row the host may process events; a cancel request then stops the
// rows and is cleared. False, with the error's description, when the file could not be opened
// or written; what was written stays.
bool writeReportFile(const QString& path, const GridText& grid, int layout, const QString& termList,
                     ExportHost& host, QString* errorDescription);

// "Export &Reportdatei" without its windows: the save dialog, the writability test, replacing
// a read-only file, the status text, the rows with their cancel test, the error message, and
// the closing steps on every path.
void runSaveReport(const GridText& grid, int layout, const QString& termList, ExportHost& host);

// The save dialog for a file of one type. Title empty: "Speichern einer Datei". Cancelled when
// the dialog was cancelled or the chosen folder cannot be written (after its message). Else
// folder (ending in the separator) and fileName (one leading "." removed, first letter capital)
// are the choice.
void SaveFileDialog(QString& fileName, QString& folder, const QString& description,
                    const QString& extension, QString& title, bool& cancelled);

// The common file dialog: mode 1 save with an overwrite question, any other mode but 0 the same
// dialog (the system dialog always asks before overwriting). The chosen full path, or empty
// when cancelled. filter is "description (*.ext)", NUL, "*.ext" (NUL-separated pairs). Mode 0
// (open) has no dialog behind the seam yet and returns empty; nothing asks for it.
QString FileDialog(QObject* owner, const QString& title, const QString& startFolder,
                   const QString& startFileName, const QString& filter,
                   const QString& defaultExtension, int mode);

// 0 when a folder can be created (and removed again) in the folder of path; else the error
// number of the failing step (75 path/file access error, 76 path not found). A leftover
// scratch folder makes the folder count as not writable.
int WriteTest(const QString& path);

// The scratch folder WriteTest creates in folder (folder ends in the separator or is empty).
QString writeTestScratchFolder(const QString& folder);

// A file of that name exists, hidden and system files included; folders do not count.
bool FileExists(const QString& path);

// Message texts of the exports.
QString writeProtectedMessage();

}  // namespace ds::results
