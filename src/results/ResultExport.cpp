#include "results/ResultExport.h"

#include "common/AppInfo.h"
#include "common/Val.h"
#include "dbengine/CodePages.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ds::results {

using platform::Icon;

namespace {

constexpr int kPathFileAccessError = 75;
constexpr int kPathNotFound = 76;
constexpr int kWriteTestAttempts = 4;

QString crlf() {
    return QStringLiteral("\r\n");
}

// The folder a path names a file in ("" for a bare name): up to and including the separator.
QString folderOfFile(const QString& path) {
    const qsizetype i = path.lastIndexOf(platform::pathSeparator());
    return i >= 0 ? path.left(i + 1) : QString();
}

bool folderIsThere(const QString& folder) {
    return folder.isEmpty() || QFileInfo(folder).isDir();
}

int makeFolder(const QString& path) {
    if (QDir().mkdir(path))
        return 0;
    return folderIsThere(folderOfFile(path)) ? kPathFileAccessError : kPathNotFound;
}

// The texts the old run time gave for the errors of file output.
QString fileErrorDescription(const QFile& file, bool opening) {
    if (!opening)
        return QStringLiteral("Fehler beim Geräte-E/A");
    const QFileInfo info(file.fileName());
    if (!folderIsThere(folderOfFile(file.fileName())))
        return QStringLiteral("Pfad nicht gefunden");
    if (info.isDir())
        return QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
    if (info.exists() ? !info.isWritable() : !QFileInfo(info.absolutePath()).isWritable())
        return QStringLiteral("Zugriff verweigert");
    return QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
}

}  // namespace

QString writeProtectedMessage() {
    return QStringLiteral("Das Speichermedium ist schreibgeschützt!") + crlf() +
           QStringLiteral("Die Datei kann nicht gespeichert werden.");
}

QStringList termsOfTermList(const QString& termList) {
    QStringList pieces = termList.split(QLatin1Char('\r'));
    pieces.removeLast();  // whatever follows the last CR is not a term
    QStringList terms;
    for (const QString& piece : pieces) {
        const QString term = trimBlanks(piece);
        if (!term.isEmpty())
            terms.append(term);
    }
    return terms;
}

QStringList reportHeadLines(const GridText& grid, int layout, const QString& termList) {
    QStringList lines{programTitle().toUpper(), QString(), programDescription(), QString()};
    if (layout < 2) {
        lines.append(QStringLiteral("Suchbegriffe"));
        lines.append(termsOfTermList(termList));
        lines.append(QString());
    }
    lines.append(reportRowLine(grid, 0));
    lines.append(QString());
    return lines;
}

QString reportRowLine(const GridText& grid, int row) {
    QStringList cells;
    for (int c = 1; c < grid.columnCount(); ++c)
        cells.append(grid.cellText(row, c));
    return cells.join(QLatin1Char('\t'));
}

QByteArray reportBytes(const QString& line) {
    return db::encodeText(line, db::cp::Windows1252) + QByteArrayLiteral("\r\n");
}

bool writeReportFile(const QString& path, const GridText& grid, int layout, const QString& termList,
                     ExportHost& host, QString* errorDescription) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (errorDescription)
            *errorDescription = fileErrorDescription(file, true);
        return false;
    }
    bool ok = true;
    for (const QString& line : reportHeadLines(grid, layout, termList))
        ok = file.write(reportBytes(line)) >= 0 && ok;
    // rowCount() is asked anew each time: the grid may go away while events are processed.
    for (int r = 2; ok && r < grid.rowCount(); ++r) {
        ok = file.write(reportBytes(reportRowLine(grid, r))) >= 0;
        host.processEvents();
        if (host.cancelRequested()) {
            host.clearCancel();
            break;
        }
    }
    ok = file.flush() && ok;
    file.close();
    if (!ok && errorDescription)
        *errorDescription = fileErrorDescription(file, false);
    return ok;
}

void runSaveReport(const GridText& grid, int layout, const QString& termList, ExportHost& host) {
    QString fileName;
    QString folder;
    QString title;
    bool cancelled = false;
    SaveFileDialog(fileName, folder, QStringLiteral("Textdatei"), QStringLiteral(".TXT"), title,
                   cancelled);
    if (!cancelled) {
        if (!platform::endsWithSeparator(folder))
            folder += platform::pathSeparator();
        const QString path = folder + fileName;
        if (WriteTest(path) != 0) {
            platform::showMessage(writeProtectedMessage(), Icon::Critical);
        } else {
            // A read-only, hidden or system file would refuse to be replaced.
            if (FileExists(path))
                platform::SetFileAttr(path, platform::attr::Archive);
            host.beginLongOperation();
            host.setStatusText(QStringLiteral("Speichern des Ergebnisses in ") + path);
            QString error;
            if (!writeReportFile(path, grid, layout, termList, host, &error)) {
                platform::showMessage(
                    QStringLiteral("Fehler beim Speichern der Datei:") + crlf() + error,
                    Icon::Critical);
            }
        }
    }
    host.setStatusText(QString());
    host.endLongOperation();
}

void SaveFileDialog(QString& fileName, QString& folder, const QString& description,
                    const QString& extension, QString& title, bool& cancelled) {
    if (title.isEmpty())
        title = QStringLiteral("Speichern einer Datei");
    const QString filter = description + QStringLiteral(" (*") + extension + QLatin1Char(')') +
                           QChar(0) + QLatin1Char('*') + extension;
    // No owner: the dialog seam takes the window that is active on the screen.
    const QString chosen = FileDialog(nullptr, title, folder, fileName, filter, extension, 1);
    cancelled = false;
    if (chosen.isEmpty()) {
        cancelled = true;
        return;
    }
    if (WriteTest(chosen) != 0) {
        platform::showMessage(writeProtectedMessage(), Icon::Critical, QStringLiteral("Fehler"));
        cancelled = true;
        return;
    }
    folder = folderOfFile(chosen);
    fileName = chosen.mid(folder.size());
    if (!fileName.isEmpty()) {
        if (fileName.startsWith(QLatin1Char('.')))
            fileName.remove(0, 1);
        if (!fileName.isEmpty())
            fileName[0] = fileName[0].toUpper();
    }
}

QString FileDialog(QObject* owner, const QString& title, const QString& startFolder,
                   const QString& startFileName, const QString& filter,
                   const QString& defaultExtension, int mode) {
    if (mode == 0)
        return {};
    // The seam takes the first filter's description and adds "Alle Dateien (*.*)" itself.
    const QString firstFilter = filter.section(QChar(0), 0, 0);
    const QString chosen = platform::Dialogs::current().saveFileName(
        owner, title, startFolder, startFileName, firstFilter, defaultExtension);
    return chosen.section(QChar(0), 0, 0);
}

QString writeTestScratchFolder(const QString& folder) {
    return folder + QString(2, QChar(0xFF));
}

int WriteTest(const QString& path) {
    const QString folder =
        platform::endsWithSeparator(path) ? trimBlanks(path) : folderOfFile(path);
    const QString scratch = writeTestScratchFolder(folder);
    int error = 0;
    for (int attempt = 0; attempt < kWriteTestAttempts; ++attempt) {
        error = makeFolder(scratch);
        if (error != kPathFileAccessError)
            break;
    }
    if (error != 0)
        return error;
    return QDir().rmdir(scratch) ? 0 : kPathFileAccessError;
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

}  // namespace ds::results
